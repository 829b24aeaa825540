#include "devicesim/fuji_camera.h"

#include <cstdio>

#include "devicesim/event_records.h"
#include "devicesim/fuji_frames.h"
#include "devicesim/jpeg_factory.h"

namespace devicesim {
namespace {
constexpr uint16_t kGetObjectHandles = 0x1007;
constexpr uint16_t kInitiateCapture = 0x100E;
constexpr uint16_t kGetDevicePropValue = 0x1015;
constexpr uint16_t kSetDevicePropValue = 0x1016;
constexpr uint16_t kInitiateOpenCapture = 0x101C;
constexpr uint16_t kBusy = 0x2019;
constexpr uint16_t kNoFrame = 0xA102;

constexpr uint32_t kAfUnknown = 1, kAfFocused = 2, kAfFailed = 3;

std::vector<std::string> sizesFor(FujiBody body) {
    if (body == FujiBody::Gfx100)
        return {"11648x8736", "11648x7768", "11648x6552", "8736x8736",
                "8256x5504",  "8256x4640",  "6192x6192",  "8256x6192"};
    return {"6240x4160", "6240x3512", "4160x4160", "4416x2944", "4416x2488",
            "2944x2944", "3120x2080", "3120x1760", "2080x2080"};
}

std::string capacityText(FujiBody body) {
    switch (body) {
        case FujiBody::XH2: return "0,0,0,0,987,0";
        case FujiBody::Gfx100: return "456";
        case FujiBody::XT3: break;
    }
    return "1234,0,0";
}

void put32be(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

GenericCameraConfig configFor(FujiBody body) {
    GenericCameraConfig c;
    c.manufacturer = "FUJIFILM";
    c.model = fujiBodyModel(body);
    c.vendorExtensionId = 0xE;
    c.vendorExtensionDesc = "fujifilm.co.jp: 1.0;";
    c.operations = GenericCameraConfig::defaultOperations();
    for (uint16_t op : {uint16_t{0x1014}, uint16_t{0x1015}, uint16_t{0x1016}, kInitiateCapture, kInitiateOpenCapture}) c.operations.push_back(op);
    c.properties.clear();
    return c;
}
}  // namespace

std::string fujiBodyModel(FujiBody body) {
    switch (body) {
        case FujiBody::Gfx100: return "GFX 100";
        case FujiBody::XH2: return "X-H2";
        case FujiBody::XT3: break;
    }
    return "X-T3";
}

std::optional<FujiBody> fujiBodyNamed(const std::string& name) {
    if (name == "x-t3") return FujiBody::XT3;
    if (name == "gfx100") return FujiBody::Gfx100;
    if (name == "x-h2") return FujiBody::XH2;
    return std::nullopt;
}

std::vector<uint8_t> makeRafFile(const std::vector<uint8_t>& jpeg, const std::string& model) {
    std::vector<uint8_t> out(kRafPreviewOffset, 0);
    const std::string magic = "FUJIFILMCCD-RAW 0201FF383501";
    std::copy(magic.begin(), magic.end(), out.begin());
    for (size_t i = 0; i < model.size() && i < 32; ++i) out[0x1C + i] = static_cast<uint8_t>(model[i]);
    put32be(out, 84, static_cast<uint32_t>(kRafPreviewOffset));
    put32be(out, 88, static_cast<uint32_t>(jpeg.size()));
    out.insert(out.end(), jpeg.begin(), jpeg.end());
    // Raw sensor data after the preview: a pattern that holds no JPEG markers.
    for (uint32_t i = 0; i < 64 * 1024; ++i) out.push_back(static_cast<uint8_t>((i * 7) & 0x7F));
    return out;
}

// Its live-view frame count and faults are kept by address: another body made where this one was starts afresh.
FujiCamera::~FujiCamera() { fujiForgetCamera(this); }

FujiCamera::FujiCamera(FujiCameraOptions options) : PropertyCamera(configFor(options.body)), options_(options) {
    addBodyProperties();
    // The live-view pictures are made here, on the thread that builds the camera, not on the device's thread.
    for (uint32_t seed = 1; seed <= 4; ++seed) {
        JpegRecipe recipe;
        recipe.size = 24 * 1024;
        recipe.width = 640;
        recipe.height = 426;
        recipe.make = "FUJIFILM";
        recipe.model = fujiBodyModel(options_.body);
        recipe.seed = 0xF0000 + seed;
        frames_.push_back(jpegImage(recipe)->bytes);
    }
}

void FujiCamera::addBodyProperties() {
    const FujiBody body = options_.body;
    auto e = [this](uint16_t code, uint16_t type, std::vector<int64_t> values, int64_t current) {
        addProperty(SimProperty::enumeration(code, type, std::move(values), current));
    };
    auto text = [this](uint16_t code, std::string current) {
        SimProperty p;
        p.code = code;
        p.dataType = kSimString;
        p.currentText = p.factoryText = std::move(current);
        addProperty(p);
    };
    std::vector<std::string> sizes = sizesFor(body);
    addProperty(SimProperty::textEnumeration(0x5003, sizes, sizes.front()));
    e(0x5005, kSimUint16, {0x2, 0x4, 0x6, 0x8001, 0x8006, 0x8007}, 0x2);
    e(0x5007, kSimUint16, {280, 400, 560, 800, 1100, 1600}, 560);
    e(0x500A, kSimUint16, {0x1, 0x8001, 0x8002}, 0x8001);
    e(0x500D, kSimUint32, {0x3D09, 0x3D0, 1000000, 2000000, 64000030, 0xFFFFFFFF}, 0x3D09);
    e(0x500B, kSimUint16, {1, 2, 3, 4}, 3);
    e(0x500E, kSimUint16, {1, 3, 4, 6}, 1);
    e(0x500F, kSimInt32, {100, 200, 400, 800, -1}, 200);
    e(0x5010, kSimInt16, {-2000, -1000, -667, -333, 0, 333, 667, 1000, 2000}, 0);
    if (body == FujiBody::XT3) e(0xD018, kSimUint16, {1, 2, 3, 4, 5}, 2);
    else e(0xD018, kSimUint16, {1, 2, 3, 4, 5, 6, 7}, 2);
    e(0xD01B, kSimUint16, {1, 2, 3, 4, 5}, 1);
    addProperty(SimProperty::range(0xD017, kSimUint16, 2500, 10000, 250, 5500));
    if (body == FujiBody::XT3)
        e(0xD208, kSimUint16, {0x200, 4, 0x500, 0x304, 12, 0x9100, 1, 0x804, 0x80}, 0x304);
    else
        e(0xD208, kSimUint16, {0x200, 4, 0x500, 0x304, 12, 0x9300, 0x9100, 5, 1, 0x804, 0x80}, 0x304);
    SimProperty af = SimProperty::enumeration(0xD209, kSimUint16, {1, 2, 3, 4}, 4);
    af.getSet = 0;
    addProperty(af);
    e(0xD20C, kSimUint16, {1, 2, 3, 4}, 4);
    text(0xD20D, capacityText(body));
    for (uint16_t code : {0xD20E, 0xD212, 0xD21C}) {
        SimProperty p = SimProperty::enumeration(code, kSimUint16, {}, code == 0xD20E ? 8 : 0);
        p.form = SimProperty::None;
        p.getSet = 0;
        addProperty(p);
    }
    e(0xD022, kSimUint16, {1, 2}, 1);
    text(0xD38D, "280,320,360,400,450,500,560,630,710,800,900,1000,1100,1300,1400,1600,1800,2000,2200");
    e(0xD36A, kSimUint32, {0, 1, 2, 3, 4, 5}, 4);
    addProperty(SimProperty::range(0xD171, kSimUint16, 0, 1000, 1, 500));
    e(0xD174, kSimUint16, {1, 2, 3}, 1);
    e(0xD173, kSimUint16, {1, 2, 3}, 1);
    text(0xD395, "0,0,3");
    e(0xD207, kSimUint16, {1, 2}, 1);
    text(0xD100, "");
    text(0xD38E, body == FujiBody::Gfx100 ? "3200,6400" : "1800,5500");
    e(0xD00A, kSimUint16, {1, 2}, 1);
    e(0xD025, kSimUint16, {1, 2, 3, 4}, body == FujiBody::Gfx100 ? 4 : 2);
    e(0x501C, kSimUint16, {0x8001, 0x8002, 0x8003, 0x8004}, 0x8001);
    e(0xD201, kSimUint16, {4, 8}, 4);
    e(0xD322, kSimUint16, {1, 2}, 2);
    e(0xD38C, kSimUint16, {0, 1}, 0);
}

void FujiCamera::attach(Device& device) {
    device.setCommandHandler(0x86, [this](Device&, const CommandRequest&) {
        {
            std::lock_guard<std::mutex> lock(fujiMutex_);
            if (liveView_) ++lvStops_;
            liveView_ = false;
        }
        return CommandReply::ok({0x01, 0x20});  // 0x2001, little-endian
    });
    device.setCommandHandler(0x88, [this](Device&, const CommandRequest&) {
        {
            std::lock_guard<std::mutex> lock(fujiMutex_);
            if (!liveView_) return CommandReply::withCode(kNoFrame);
        }
        return CommandReply::ok(fujiStandInLiveViewFrame(*this, frame()));
    });
    device.setCommandHandler(0xD5, [this](Device&, const CommandRequest& r) {
        if (r.payload.size() != 1) return CommandReply::withCode(0x2002);
        std::lock_guard<std::mutex> lock(fujiMutex_);
        saveRaws_ = r.payload[0];
        return CommandReply::ok();
    });
}

void FujiCamera::useCard(std::shared_ptr<SdCard> card) {
    std::lock_guard<std::mutex> lock(fujiMutex_);
    card_ = std::move(card);
}

std::vector<uint8_t> FujiCamera::frame() {
    std::lock_guard<std::mutex> lock(fujiMutex_);
    return frames_[frameSeed_++ % frames_.size()];
}

std::vector<uint8_t> FujiCamera::pollEvents(uint8_t pollFlag) {
    handOver();
    return PropertyCamera::pollEvents(pollFlag);
}

void FujiCamera::handOver() {
    std::vector<uint32_t> handles;
    std::shared_ptr<SdCard> card;
    uint8_t saveRaws;
    {
        std::lock_guard<std::mutex> lock(fujiMutex_);
        handles.swap(pendingObjects_);
        card = card_;
        saveRaws = saveRaws_;
    }
    for (uint32_t handle : handles) {
        std::optional<SimObject> o = object(handle);
        if (!o) continue;
        removeObject(handle);
        bool raw = o->name.size() > 4 && o->name.substr(o->name.size() - 4) == ".RAF";
        if (raw && saveRaws != 0) continue;  // the device was told not to keep raws
        if (card) card->addFile(o->name, o->bytes, o->thumbnail, o->orientation);
        queueObjectAdded(static_cast<uint32_t>(o->bytes ? o->bytes->size() : 0), o->name);
        std::lock_guard<std::mutex> lock(fujiMutex_);
        taken_.push_back(o->name);
    }
}

std::optional<PtpResult> FujiCamera::handleVendorOperation(const PtpOperation& op) {
    switch (op.code) {
        case kGetObjectHandles: {
            // Pictures listed once are the device's by the next listing.
            bool listedBefore;
            {
                std::lock_guard<std::mutex> lock(fujiMutex_);
                listedBefore = !pendingObjects_.empty() && handOverDue_;
                handOverDue_ = !pendingObjects_.empty();
            }
            if (listedBefore) handOver();
            return std::nullopt;
        }
        case kInitiateOpenCapture: {
            std::lock_guard<std::mutex> lock(fujiMutex_);
            if (refuseLiveView_ > 0) {
                --refuseLiveView_;
                return PtpResult::withCode(kBusy);
            }
            if (!liveView_) ++lvStarts_;
            liveView_ = true;
            return PtpResult::ok();
        }
        case kInitiateCapture: return initiateCapture();
        case kSetDevicePropValue: {
            if (std::optional<PtpResult> refused = noteDescribedSet(setLog_, *this, op)) return refused;
            std::lock_guard<std::mutex> lock(fujiMutex_);
            // These bodies take no settings while they stream live view.
            if (liveView_ && options_.body != FujiBody::XH2) return PtpResult::withCode(kBusy);
            break;
        }
        case kGetDevicePropValue: {
            if (op.params.empty() || op.params[0] != 0xD209) break;
            std::optional<uint32_t> settle;
            {
                std::lock_guard<std::mutex> lock(fujiMutex_);
                if (afReadsLeft_ > 0 && --afReadsLeft_ == 0) settle = afResult_;
            }
            if (settle) changeOnCamera(0xD209, *settle, 0);
            break;
        }
        default: break;
    }
    return PropertyCamera::handleVendorOperation(op);
}

PtpResult FujiCamera::initiateCapture() {
    auto mode = property(0xD208);
    auto focus = property(0x500A);
    if (!mode) return PtpResult::withCode(0x2002);
    const uint32_t m = static_cast<uint32_t>(mode->current);
    const bool autoFocus = focus && focus->current != 1;
    bool startAf = false, picture = false;
    {
        std::lock_guard<std::mutex> lock(fujiMutex_);
        if (failCapture_) {
            const uint16_t code = failCapture_;
            failCapture_ = 0;
            return PtpResult::withCode(code);
        }
        const bool shoots = m == 0x304 || m == 12;
        if (shoots && liveView_ && options_.body != FujiBody::XH2) return PtpResult::withCode(kBusy);
        modes_.push_back(m);
        switch (m) {
            case 0x200:
            case 0x9300:
            case 0x9100:
                halfPressed_ = true;
                if (autoFocus) {
                    startAf = true;
                    afReadsLeft_ = options_.afReads > 0 ? options_.afReads : 1;
                    afResult_ = failAf_ ? kAfFailed : kAfFocused;
                    failAf_ = false;
                }
                break;
            case 4:
            case 5:
            case 1: halfPressed_ = false; break;
            case 0x500: bulbOpen_ = true; break;
            case 0x304:
                picture = true;
                halfPressed_ = false;
                break;
            case 12:
                if (bulbOpen_) {
                    picture = true;
                    ++bulbs_;
                }
                bulbOpen_ = false;
                halfPressed_ = false;
                break;
            case 0x804: recording_ = true; break;
            case 0x80: recording_ = false; break;
            default: return PtpResult::withCode(0x201D);
        }
    }
    if (startAf) changeOnCamera(0xD209, kAfUnknown, 0);
    if (picture) takePicture();
    return PtpResult::ok();
}

std::vector<int64_t> FujiCamera::shotFocusPositions() const {
    std::lock_guard<std::mutex> lock(fujiMutex_);
    return shotFocus_;
}

void FujiCamera::takePicture() {
    uint32_t number;
    const auto focus = property(0xD171);
    {
        std::lock_guard<std::mutex> lock(fujiMutex_);
        number = nextFileNumber_++;
        ++shots_;
        shotFocus_.push_back(focus ? focus->current : -1);
    }
    auto quality = property(0xD018);
    const int64_t q = quality ? quality->current : 2;
    const bool jpeg = q != 1, raw = q == 1 || q == 4 || q == 5 || q == 7;
    char base[16];
    std::snprintf(base, sizeof base, "DSCF%04u", number % 10000);

    JpegRecipe recipe;
    recipe.size = options_.jpegSize;
    recipe.make = "FUJIFILM";
    recipe.model = fujiBodyModel(options_.body);
    recipe.seed = 0xF100 + number;
    auto image = jpegImage(recipe);
    auto add = [&](std::string name, std::shared_ptr<const std::vector<uint8_t>> bytes) {
        SimObject o;
        o.name = std::move(name);
        o.storage = 0x00010001;
        o.format = o.name.size() > 4 && o.name.substr(o.name.size() - 4) == ".RAF" ? 0xB111 : 0x3801;
        o.bytes = std::move(bytes);
        o.thumbnail = image->thumbnail;
        o.thumbWidth = image->thumbWidth;
        o.thumbHeight = image->thumbHeight;
        o.width = image->width;
        o.height = image->height;
        o.associationType = 1;  // the body reports its orientation here
        uint32_t handle = addObject(std::move(o));
        std::lock_guard<std::mutex> lock(fujiMutex_);
        pendingObjects_.push_back(handle);
    };
    if (jpeg) add(std::string(base) + ".JPG", std::shared_ptr<const std::vector<uint8_t>>(image, &image->bytes));
    if (raw)
        add(std::string(base) + ".RAF",
            std::make_shared<const std::vector<uint8_t>>(makeRafFile(image->bytes, fujiBodyModel(options_.body))));
}

void FujiCamera::shootOnCamera(int count) {
    for (int i = 0; i < count; ++i) takePicture();
}

void FujiCamera::failNextAutoFocus() {
    std::lock_guard<std::mutex> lock(fujiMutex_);
    failAf_ = true;
}
void FujiCamera::failNextCapture(uint16_t code) {
    std::lock_guard<std::mutex> lock(fujiMutex_);
    failCapture_ = code;
}
void FujiCamera::refuseLiveView(int count) {
    std::lock_guard<std::mutex> lock(fujiMutex_);
    refuseLiveView_ = count;
}

#define FUJI_GETTER(type, name, field)                 \
    type FujiCamera::name() const {                    \
        std::lock_guard<std::mutex> lock(fujiMutex_);  \
        return field;                                  \
    }
FUJI_GETTER(bool, liveViewOn, liveView_)
FUJI_GETTER(bool, halfPressed, halfPressed_)
FUJI_GETTER(bool, bulbOpen, bulbOpen_)
FUJI_GETTER(bool, recording, recording_)
FUJI_GETTER(int, shots, shots_)
FUJI_GETTER(int, bulbExposures, bulbs_)
FUJI_GETTER(int, liveViewStarts, lvStarts_)
FUJI_GETTER(int, liveViewStops, lvStops_)
FUJI_GETTER(std::vector<uint32_t>, captureModes, modes_)
FUJI_GETTER(std::vector<std::string>, filesTaken, taken_)
FUJI_GETTER(uint8_t, saveRawsFlag, saveRaws_)
#undef FUJI_GETTER

std::shared_ptr<FujiCamera> makeFujiCamera(FujiBody body) {
    FujiCameraOptions options;
    options.body = body;
    return std::make_shared<FujiCamera>(options);
}

}  // namespace devicesim
