#include "devicesim/sony_camera.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "devicesim/canon_frames.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/sony_frames.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

constexpr uint16_t kNotSupported = 0x2005, kBadParameter = 0x2006;
enum : uint16_t { kInt8 = 1, kUint8 = 2, kInt16 = 3, kUint16 = 4, kInt32 = 5, kUint32 = 6, kInt64 = 7, kUint64 = 8 };
constexpr uint16_t kText = 0xFFFF;

size_t typeBytes(uint16_t type) {
    static const size_t sizes[] = {0, 1, 1, 2, 2, 4, 4, 8, 8};
    return type <= 8 ? sizes[type] : 0;
}

void putValue(std::vector<uint8_t>& out, uint16_t type, uint64_t v) {
    for (size_t i = 0; i < typeBytes(type); ++i) out.push_back(uint8_t(v >> (8 * i)));
}

void putText(std::vector<uint8_t>& out, const std::string& text) {
    if (text.empty()) {
        out.push_back(0);
        return;
    }
    out.push_back(uint8_t(text.size() + 1));
    for (char c : text) wire::put16(out, uint8_t(c));
    wire::put16(out, 0);
}

// Shutter speeds written as the camera shows them: "30" seconds, "0.8" seconds, "1/250".
uint32_t shutterFromText(const std::string& t) {
    if (t == "bulb") return 0;
    if (t.rfind("1/", 0) == 0) return 1u << 16 | uint32_t(std::stoul(t.substr(2)));
    return uint32_t(std::stod(t) * 10.0 + 0.5) << 16 | 10u;
}

std::vector<uint64_t> shutterList(bool to4000) {
    std::istringstream in(
        "bulb 30 25 20 15 13 10 8 6 5 4 3.2 2.5 2 1.6 1.3 1 0.8 0.6 0.5 0.4 0.3 1/4 1/5 1/6 1/8 1/10 1/13 1/15 "
        "1/20 1/25 1/30 1/40 1/50 1/60 1/80 1/100 1/125 1/160 1/200 1/250 1/320 1/400 1/500 1/640 1/800 1/1000 "
        "1/1250 1/1600 1/2000 1/2500 1/3200 1/4000 1/5000 1/6400 1/8000");
    std::vector<uint64_t> out;
    for (std::string t; in >> t;) {
        out.push_back(shutterFromText(t));
        if (to4000 && t == "1/4000") break;
    }
    return out;
}

// ISO in thirds of a stop from `lowest`, `count` numbers, then AUTO.
std::vector<uint64_t> isoList(uint32_t lowest, size_t count) {
    static const uint32_t thirds[] = {64, 80, 100, 125, 160, 200, 250, 320, 400, 500, 640, 800,
                                      1000, 1250, 1600, 2000, 2500, 3200, 4000, 5000, 6400, 8000, 10000, 12800,
                                      16000, 20000, 25600, 32000, 40000, 51200, 64000, 80000, 102400, 128000,
                                      160000, 204800};
    std::vector<uint64_t> out;
    if (lowest == 50) out.push_back(50);
    for (uint32_t iso : thirds)
        if (iso >= lowest && out.size() < count) out.push_back(iso);
    out.push_back(0xFFFFFF);
    return out;
}

std::vector<uint64_t> apertureList() {
    return {280, 320, 350, 400, 450, 500, 560, 630, 710, 800, 900, 1000, 1100, 1300, 1400, 1600, 1800, 2000, 2200};
}

bool isButton(uint16_t code) {
    return code == 0xD2C1 || code == 0xD2C2 || code == 0xD2C8 || code == 0xD2CB || (code >= 0xD2CD && code <= 0xD2D0);
}
}  // namespace

std::string sonyBodyModel(SonyBody body) {
    switch (body) {
        case SonyBody::A7M3: return "ILCE-7M3";
        case SonyBody::A7RM4: return "ILCE-7RM4";
        case SonyBody::A6300: return "ILCE-6300";
    }
    return {};
}

std::optional<SonyBody> sonyBodyNamed(const std::string& name) {
    if (name == "a7m3") return SonyBody::A7M3;
    if (name == "a7rm4") return SonyBody::A7RM4;
    if (name == "a6300") return SonyBody::A6300;
    return std::nullopt;
}

SonyCamera::~SonyCamera() { waitForPictures(); }

void SonyCamera::waitForPictures() {
    std::vector<std::thread> fetches;
    {
        std::lock_guard<std::mutex> lock(simMutex_);
        fetches.swap(fetches_);
    }
    for (std::thread& t : fetches) t.join();
}

SonyCamera::SonyCamera(SonyCameraOptions options) : options_(std::move(options)) {
    GenericCameraConfig c;
    c.manufacturer = "Sony Corporation";
    c.model = sonyBodyModel(options_.body);
    c.vendorExtensionId = 0x11;
    c.vendorExtensionDesc = "Sony PTP Extensions";
    c.operations = GenericCameraConfig::defaultOperations();
    for (uint16_t op : {0x9204, 0x9205, 0x9207, 0x9209}) c.operations.push_back(op);
    setConfig(c);
    if (!options_.card) options_.card = std::make_shared<SdCard>();
    build();
}

void SonyCamera::add(SonySimProperty p) {
    order_.push_back(p.code);
    props_[p.code] = std::move(p);
}

void SonyCamera::build() {
    const bool x = options_.body == SonyBody::A7RM4;
    const bool older = options_.body == SonyBody::A6300;
    auto prop = [](uint16_t code, uint16_t type, uint64_t value, std::vector<uint64_t> list = {}, uint8_t state = 1) {
        SonySimProperty p;
        p.code = code;
        p.type = type;
        p.value = value;
        p.state = state;
        p.list = std::move(list);
        p.form = p.list.empty() ? 0 : 2;
        return p;
    };
    if (x) {
        add(prop(0xD253, kUint8, 3, {1, 2, 3}));
        add(prop(0xD252, kUint8, 2, {1, 2, 3}));
    } else {
        add(prop(0x5004, kUint8, 3, older ? std::vector<uint64_t>{2, 3, 4, 0x10, 0x13}
                                          : std::vector<uint64_t>{2, 3, 4, 0x10, 0x12, 0x13}));
    }
    add(prop(0xD203, kUint8, 1, {1, 2, 3}));
    add(prop(0x5005, kUint16, 2, {2, 4, 0x8011, 0x8010, 6, 7}));
    add(prop(0x5007, kUint16, 560, apertureList()));
    add(prop(0x500A, kUint16, 2, {1, 2, 0x8004, 0x8005}));
    {
        SonySimProperty p = prop(0x500E, kUint16, 1, {1, 2, 3, 4, 0x8000, 0x8001, 7, 0x8011, 0x8012, 0x8013, 0x8014, 0x8015},
                                 older ? 2 : 1);
        if (older) p.hiddenCountWords = 2;
        add(p);
    }
    {
        std::vector<uint64_t> ev;
        for (int v : {-3000, -2700, -2300, -2000, -1700, -1300, -1000, -700, -300, 0, 300, 700, 1000, 1300, 1700, 2000,
                      2300, 2700, 3000})
            ev.push_back(uint16_t(int16_t(v)));
        add(prop(0x5010, kInt16, 0, ev));
    }
    add(prop(0x5013, kUint32, 1, {1, 2, 0x8012, 0x8005, 0x8311, 0x8337}));
    add(prop(0xD20D, kUint32, 1u << 16 | 125u, shutterList(older)));
    add(prop(0xD21E, kUint32, 400, older ? isoList(100, 28) : isoList(50, 35)));
    add(prop(0xD213, kUint8, 1, {}, 2));
    add(prop(0xD215, kUint8, 0, {}, 2));
    add(prop(0xD218, kUint8, 80, {}, 2));
    add(prop(0xD21D, kUint8, 0, {}, 2));
    add(prop(0xD22C, kUint16, 0x101, {1, 2, 3, 0x101, 0x102, 0x103}));
    add(prop(0xD232, kUint32, 0x014000F0, {}));
    {
        SonySimProperty t = prop(0xD20F, kUint16, 5500);
        t.form = 1;
        t.rangeMin = 2500;
        t.rangeMax = 9900;
        t.rangeStep = 100;
        add(t);
    }
    if (x) {
        add(prop(0xD254, kUint64, 1, {1, 5, 100, 200}));
        add(prop(0xD24C, kUint16, 500));
        SonySimProperty bar = prop(0xD25D, kText, 0, {}, 2);
        bar.text = "1.0x";
        add(bar);
    } else {
        add(prop(0xD22F, kUint8, 0, {}, 2));
    }
    for (uint16_t b : {0xD2C1, 0xD2C2, 0xD2C8, 0xD2CB, 0xD2CD, 0xD2CE, 0xD2CF, 0xD2D0, 0xD2D1})
        add(prop(b, kUint16, 1, {}));
    if (!older) add(prop(0xD2D2, kUint16, 1, {}));
}

std::vector<uint8_t> SonyCamera::descriptor(const SonySimProperty& p) const {
    std::vector<uint8_t> out;
    wire::put16(out, p.code);
    wire::put16(out, p.type);
    wire::put8(out, 1);
    wire::put8(out, p.state);
    if (p.type == kText) {
        putText(out, p.text);
        putText(out, p.text);
    } else {
        putValue(out, p.type, p.value);
        putValue(out, p.type, p.value);
    }
    wire::put8(out, p.form);
    if (p.form == 1) {
        putValue(out, p.type, uint64_t(p.rangeMin));
        putValue(out, p.type, uint64_t(p.rangeMax));
        putValue(out, p.type, uint64_t(p.rangeStep));
    } else if (p.form == 2) {
        for (int i = 0; i < p.hiddenCountWords; ++i) wire::put16(out, uint16_t(i == 0 ? 0 : 3));
        wire::put16(out, uint16_t(p.list.size()));
        for (uint64_t v : p.list) putValue(out, p.type, v);
        if (options_.body == SonyBody::A7RM4) {
            // The settable values: here the same list again.
            wire::put16(out, uint16_t(p.list.size()));
            for (uint64_t v : p.list) putValue(out, p.type, v);
        }
    }
    return out;
}

std::vector<uint8_t> SonyCamera::allPropertiesReply() const {
    std::lock_guard<std::mutex> lock(simMutex_);
    std::vector<uint8_t> out;
    wire::put32(out, uint32_t(order_.size()));
    wire::put32(out, 0);
    for (uint16_t code : order_) wire::putBytes(out, descriptor(props_.at(code)));
    return out;
}

std::vector<uint8_t> SonyCamera::pollEvents(uint8_t) { return records_.takeAll(); }

void SonyCamera::setCard(std::shared_ptr<SdCard> card) {
    std::lock_guard<std::mutex> lock(simMutex_);
    options_.card = std::move(card);
}
std::shared_ptr<SdCard> SonyCamera::card() const {
    std::lock_guard<std::mutex> lock(simMutex_);
    return options_.card;
}

std::optional<SonySimProperty> SonyCamera::property(uint16_t code) const {
    std::lock_guard<std::mutex> lock(simMutex_);
    auto it = props_.find(code);
    if (it == props_.end()) return std::nullopt;
    return it->second;
}

uint64_t SonyCamera::propertyValue(uint16_t code) const {
    auto p = property(code);
    return p ? p->value : 0;
}

void SonyCamera::change(uint16_t code, uint64_t value) {
    auto it = props_.find(code);
    if (it == props_.end()) return;
    it->second.value = value;
    records_.push(propertyChangedRecord(code, uint32_t(value), it->second.state == 1 ? 1 : 0));
}

void SonyCamera::setPropertyValue(uint16_t code, uint64_t value) {
    std::lock_guard<std::mutex> lock(simMutex_);
    change(code, value);
}

void SonyCamera::requestReloadAll() { records_.push(propertyChangedRecord(0x12345678, 0, 1)); }

void SonyCamera::answerAllPropertiesWithoutData(int times) {
    std::lock_guard<std::mutex> lock(simMutex_);
    allPropertiesWithoutData_ = times;
}

void SonyCamera::failNextPress(uint16_t button, uint16_t code) {
    std::lock_guard<std::mutex> lock(simMutex_);
    failPress_[button] = code;
}
std::vector<SonyControlWrite> SonyCamera::controlWrites() const {
    std::lock_guard<std::mutex> lock(simMutex_);
    return writes_;
}
bool SonyCamera::buttonDown(uint16_t button) const {
    std::lock_guard<std::mutex> lock(simMutex_);
    auto it = down_.find(button);
    return it != down_.end() && it->second;
}
int SonyCamera::shots() const {
    std::lock_guard<std::mutex> lock(simMutex_);
    return shots_;
}
std::vector<std::string> SonyCamera::pictures() const {
    std::lock_guard<std::mutex> lock(simMutex_);
    return pictures_;
}
bool SonyCamera::recording() const { return propertyValue(0xD21D) == 1; }
int SonyCamera::liveViewFrames() const {
    std::lock_guard<std::mutex> lock(simMutex_);
    return frames_;
}
std::vector<uint8_t> SonyCamera::lastLiveViewJpeg() const {
    std::lock_guard<std::mutex> lock(simMutex_);
    return lastJpeg_;
}

std::optional<PtpResult> SonyCamera::handleVendorOperation(const PtpOperation& op) {
    const uint32_t p0 = op.params.empty() ? 0 : op.params[0];
    switch (op.code) {
        case 0x9209: {
            {
                std::lock_guard<std::mutex> lock(simMutex_);
                if (allPropertiesWithoutData_ > 0) {
                    --allPropertiesWithoutData_;
                    PtpResult r;
                    r.deviceAnswersAlone = true;
                    return r;
                }
            }
            return PtpResult::withData(allPropertiesReply());
        }
        case 0x9204: {
            std::lock_guard<std::mutex> lock(simMutex_);
            auto it = props_.find(uint16_t(p0));
            if (it == props_.end()) return PtpResult::withCode(kBadParameter);
            std::vector<uint8_t> out;
            if (it->second.type == kText)
                putText(out, it->second.text);
            else
                putValue(out, it->second.type, it->second.value);
            return PtpResult::withData(out);
        }
        case 0x9205: return setControl(op);
        case 0x9207: return writeControl(op);
        case 0x1008:
            if (p0 != kLiveViewHandle) return std::nullopt;
            {
                SimObject o;
                o.handle = kLiveViewHandle;
                o.name = "LiveView.JPG";
                return PtpResult::withData(objectInfoDataset(o, false));
            }
        case 0x1009:
            if (p0 != kLiveViewHandle) return std::nullopt;
            return liveViewFrame();
        default: return std::nullopt;
    }
}

PtpResult SonyCamera::setControl(const PtpOperation& op) {
    if (op.params.empty() || !op.dataOut) return PtpResult::withCode(kBadParameter);
    const uint16_t code = uint16_t(op.params[0]);
    const std::vector<uint8_t>& d = *op.dataOut;
    if (d.size() != 4 && d.size() != 8) return PtpResult::withCode(kBadParameter);
    std::lock_guard<std::mutex> lock(simMutex_);
    auto it = props_.find(code);
    if (it == props_.end()) return PtpResult::withCode(kNotSupported);
    SonySimProperty& p = it->second;
    const bool x = options_.body == SonyBody::A7RM4;
    if (!x && (code == 0x5007 || code == 0xD20D || code == 0xD21E)) return PtpResult::withCode(kBadParameter);
    if (code == 0xD254) {
        if (d.size() != 8) return PtpResult::withCode(kBadParameter);
        const uint32_t first = wire::get32(d.data()), second = wire::get32(d.data() + 4);
        // 0xFFFFFFFF first: a zoom scale; otherwise the zoomed area's position (kept in the high half).
        change(code, first == 0xFFFFFFFF ? (p.value & 0xFFFFFFFF00000000ull) | second
                                         : (uint64_t(first) << 32) | (p.value & 0xFFFFFFFF));
        return PtpResult::ok();
    }
    const uint64_t v = d.size() == 8 ? wire::get64(d.data()) : wire::get32(d.data());
    if (p.form == 2 && std::find(p.list.begin(), p.list.end(), v) == p.list.end())
        return PtpResult::withCode(kBadParameter);
    if (p.form == 1 && (int64_t(v) < p.rangeMin || int64_t(v) > p.rangeMax)) return PtpResult::withCode(kBadParameter);
    change(code, v);
    return PtpResult::ok();
}

PtpResult SonyCamera::writeControl(const PtpOperation& op) {
    if (op.params.empty() || !op.dataOut) return PtpResult::withCode(kBadParameter);
    const uint16_t code = uint16_t(op.params[0]);
    const std::vector<uint8_t>& d = *op.dataOut;
    if (d.size() != 2 && d.size() != 4) return PtpResult::withCode(kBadParameter);
    const int32_t value = d.size() == 2 ? int16_t(wire::get16(d.data())) : int32_t(wire::get32(d.data()));
    bool shoot = false;
    {
        std::lock_guard<std::mutex> lock(simMutex_);
        writes_.push_back({code, value});
        const bool x = options_.body == SonyBody::A7RM4;
        if (code == 0x5007 || code == 0xD20D || code == 0xD21E) {
            if (x) return PtpResult::withCode(kNotSupported);
            SonySimProperty& p = props_.at(code);
            auto at = std::find(p.list.begin(), p.list.end(), p.value);
            long i = at == p.list.end() ? 0 : long(at - p.list.begin());
            i = std::clamp<long>(i + value, 0, long(p.list.size()) - 1);
            change(code, p.list[size_t(i)]);
            return PtpResult::ok();
        }
        if (code == 0xD2DC) return x ? PtpResult::ok() : PtpResult::withCode(kNotSupported);
        if (!props_.count(code)) return PtpResult::withCode(kNotSupported);
        if (code == 0xD2D1) {
            if (props_.count(0xD24C)) change(0xD24C, uint16_t(int(props_[0xD24C].value) + value));
            return PtpResult::ok();
        }
        if (code == 0xD2D2) {
            // A toggle: a value other than the last one written switches between manual and automatic focus.
            if (value != 1 && value != 2) return PtpResult::withCode(kBadParameter);
            SonySimProperty& toggle = props_[0xD2D2];
            if (uint64_t(value) == toggle.value) return PtpResult::ok();
            toggle.value = uint64_t(value);
            const uint64_t mode = props_[0x500A].value;
            if (mode != 1) autoFocusMode_ = mode;
            change(0x500A, mode == 1 ? autoFocusMode_ : 1);
            return PtpResult::ok();
        }
        if (!isButton(code) || (value != 1 && value != 2)) return PtpResult::withCode(kBadParameter);
        const bool press = value == 2;
        if (press) {
            auto f = failPress_.find(code);
            if (f != failPress_.end()) {
                uint16_t rc = f->second;
                failPress_.erase(f);
                return PtpResult::withCode(rc);
            }
        }
        const bool wasDown = down_[code];
        down_[code] = press;
        if (code == 0xD2C1) change(0xD213, press ? 2 : 1);
        if (code == 0xD2C2 && press && !wasDown) shoot = down_[0xD2C1];
        if (code == 0xD2C8 && press != wasDown) change(0xD21D, press ? 1 : 0);
        if (code == 0xD2CB && press && props_.count(0xD22F)) {
            uint64_t z = props_[0xD22F].value;
            change(0xD22F, z == 0 ? 50 : z == 50 ? 100 : 0);
        }
    }
    if (shoot) {
        // The press is answered at once; the picture reaches the card when it is written, as on a real body.
        std::lock_guard<std::mutex> lock(simMutex_);
        const int number = ++shots_;
        change(0xD215, 1);
        fetches_.emplace_back([this, number, card = options_.card] { takePicture(number, card); });
    }
    return PtpResult::ok();
}

void SonyCamera::takePicture(int n, std::shared_ptr<SdCard> card) {
    JpegRecipe r;
    r.size = options_.jpegSize;
    r.make = "Sony";
    r.model = sonyBodyModel(options_.body);
    r.seed = uint32_t(n);
    auto image = jpegImage(r);
    char name[32];
    std::snprintf(name, sizeof name, "DSC%05d.JPG", n);
    auto bytes = std::make_shared<const std::vector<uint8_t>>(image->bytes);
    // The device fetches the picture to its card, then tells the host.
    const bool stored = card && card->addFile(name, bytes, image->thumbnail, 1);
    std::lock_guard<std::mutex> lock(simMutex_);
    if (stored) {
        pictures_.push_back(name);
        records_.push(objectAddedRecord(uint32_t(bytes->size()), name));
    }
    change(0xD215, 0);
}

PtpResult SonyCamera::liveViewFrame() {
    std::vector<uint8_t> jpeg;
    uint32_t location;
    bool late;
    {
        std::lock_guard<std::mutex> lock(simMutex_);
        ++frames_;
        location = uint32_t(props_[0xD232].value);
        late = options_.focusBlockLate;
    }
    JpegRecipe r;
    r.size = 24 * 1024;
    r.width = 640;
    r.height = 424;
    r.seed = 7;
    jpeg = canonBareJpeg(jpegImage(r)->bytes);
    std::vector<uint8_t> out = sonyStandInLiveViewFrame(this, jpeg, location, late);
    std::lock_guard<std::mutex> lock(simMutex_);
    lastJpeg_ = jpeg;
    return PtpResult::withData(out);
}

std::shared_ptr<SonyCamera> makeSonyCamera(SonyBody body) {
    SonyCameraOptions o;
    o.body = body;
    return std::make_shared<SonyCamera>(o);
}

}  // namespace devicesim
