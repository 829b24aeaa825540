#include "devicesim/nikon_camera.h"

#include <algorithm>
#include <cstdio>

#include "devicesim/device.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/wire.h"

namespace devicesim {

namespace {

constexpr uint16_t kOk = 0x2001, kBusy = 0x2019;
constexpr uint16_t kOutOfFocus = 0xA002, kInvalidStatus = 0xA004, kNotLiveView = 0xA00B, kStepEnd = 0xA00C;
constexpr uint16_t kBulbBusy = 0xA200, kBufferFull = 0xA207;
constexpr uint16_t kObjectAdded = 0x4002, kPropertyChanged = 0x4006;
constexpr uint32_t kStorage = 0x00010001;

bool isZ(NikonBody b) { return b == NikonBody::Z6; }

SimProperty u8Enum(uint16_t code, std::vector<int64_t> values, int64_t current) {
    return SimProperty::enumeration(code, kSimUint8, std::move(values), current);
}
SimProperty u16Enum(uint16_t code, std::vector<int64_t> values, int64_t current) {
    return SimProperty::enumeration(code, kSimUint16, std::move(values), current);
}
SimProperty readOnly(SimProperty p) {
    p.getSet = 0;
    return p;
}

}  // namespace

std::string nikonBodyModel(NikonBody body) {
    switch (body) {
        case NikonBody::D850: return "D850";
        case NikonBody::D90: return "D90";
        case NikonBody::D7000: return "D7000";
        case NikonBody::Z6: return "Z 6";
    }
    return "D850";
}

std::optional<NikonBody> nikonBodyNamed(const std::string& name) {
    for (NikonBody b : {NikonBody::D850, NikonBody::D90, NikonBody::D7000, NikonBody::Z6})
        if (nikonBodyModel(b) == name) return b;
    return std::nullopt;
}

NikonCamera::NikonCamera(NikonCameraOptions options)
    : PropertyCamera([&] {
          GenericCameraConfig c;
          c.manufacturer = "Nikon Corporation";
          c.model = options.model.empty() ? nikonBodyModel(options.body) : options.model;
          c.vendorExtensionId = 0x0000000A;
          c.vendorExtensionDesc = "microsoft.com: 1.0";
          c.events = {0x4002, 0x4003, 0x4006};
          c.properties = {};
          std::vector<uint16_t> ops = {0x90C2, 0x90C8, 0x9206, 0x90C1, 0x9204, 0x910C, 0x9201,
                                       0x9202, 0x9203, 0x9205, 0x920A, 0x920B, 0x100E};
          if (options.body != NikonBody::D90) ops.push_back(0x9207);
          if (options.body == NikonBody::D850) ops.push_back(0x9435);
          if (isZ(options.body)) ops.push_back(0x9428);
          ops.insert(ops.end(), options.extraOperations.begin(), options.extraOperations.end());
          c.operations.insert(c.operations.end(), ops.begin(), ops.end());
          return c;
      }()),
      options_(options) {
    setReportSetsAsEvents(false);
    addBodyProperties();
    if (isZ(options_.body)) liveView_ = true;
    focus_ = options_.focusTravel / 2;
}

void NikonCamera::addBodyProperties() {
    NikonBody b = options_.body;
    bool newer = b == NikonBody::D850 || b == NikonBody::Z6;
    addProperty(readOnly(SimProperty::range(0x5001, kSimUint8, 0, 100, 1, 80)));
    if (newer) addProperty(u8Enum(0x5004, {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 11, 12, 13}, 4));
    else addProperty(u8Enum(0x5004, {0, 1, 2, 4, 5, 6, 7}, 2));
    addProperty(SimProperty::textEnumeration(0x5003, {"6048x4024", "4528x3016", "3024x2016"}, "6048x4024"));
    addProperty(u16Enum(0x5005, {2, 4, 5, 6, 7, 0x8010, 0x8011, 0x8012}, 2));
    addProperty(u16Enum(0x5007, {280, 320, 350, 400, 450, 500, 560, 630, 710, 800, 900, 1000, 1100}, 560));
    addProperty(readOnly(SimProperty::range(0x5008, kSimUint32, 2400, 12000, 100, 5000)));
    addProperty(u16Enum(0x500B, {2, 3, 4}, 3));
    addProperty(u16Enum(0x500C, {2, 4, 0x8010, 0x8011, 0x8012}, 0x8010));
    addProperty(readOnly(u16Enum(0x500E, {1, 2, 3, 4}, 3)));
    addProperty(u16Enum(0x500F, {100, 200, 400, 800, 1600, 3200, 6400}, 400));
    addProperty(SimProperty::enumeration(
        0x5010, kSimInt16, {-2000, -1666, -1333, -1000, -666, -333, 0, 333, 666, 1000, 1333, 1666, 2000}, 0));
    addProperty(u16Enum(0x5013, {1, 2, 0x8010, 0x8011, 0x8012}, 1));
    addProperty(SimProperty::range(0x5018, kSimUint16, 1, 100, 1, 1));
    addProperty(SimProperty::enumeration(0xD100, kSimUint32,
                                         {0x00010FA0, 0x000101F4, 0x000100FA, 0x0001007D, 0x0001003C, 0x0001001E,
                                          0x00010001, 0x001E0001, 0xFFFFFFFF},
                                         0x000100FA));
    addProperty(u8Enum(0xD0C0, {0, 1}, 0));
    addProperty(u8Enum(0xD0C1, {0, 1, 2, 3, 4, 5}, 0));
    addProperty(u8Enum(0xD0C2, {0, 1, 2, 3, 4, 5, 6, 7}, 0));
    addProperty(u8Enum(0xD078, {0, 1}, 0));
    addProperty(u8Enum(0xD056, {0, 1, 2}, 0));
    addProperty(readOnly(SimProperty::range(0xD1F1, kSimUint32, 0, 100000, 1, 850)));
    addProperty(readOnly(SimProperty::range(0xD1B4, kSimUint8, 0, 100, 1, 50)));
    if (b == NikonBody::D90) {
        // Focus by the camera's focus mode and its AF-S priority; live view kept by 0xD10B.
        addProperty(readOnly(u16Enum(0x500A, {1, 0x8010, 0x8011}, 0x8010)));
        addProperty(u8Enum(0xD049, {0, 1}, 0));
        addProperty(u8Enum(0xD048, {0, 1}, 1));
        addProperty(u8Enum(0xD10B, {0, 1}, 0));
        addProperty(u8Enum(0xD1F0, {0, 1}, 0));
    } else {
        addProperty(u8Enum(0xD161, {0, 1, 2, 4}, 0));
        addProperty(u8Enum(0xD061, {0, 1, 2, 4}, 0));
    }
    if (b == NikonBody::D7000) {
        addProperty(u8Enum(0xD1F0, {0, 1}, 0));
        addProperty(SimProperty::range(0xD01E, kSimUint8, 0, 30, 1, 20));  // an index into the kelvin table
    }
    if (!isZ(b)) {
        addProperty(readOnly(u8Enum(0xD1A2, {0, 1}, 0)));
        addProperty(SimProperty::range(0xD1A3, kSimUint8, 0, 7, 1, 0));
    }
    if (b == NikonBody::D850) {
        addProperty(SimProperty::textEnumeration(0xD0B6, {"L", "M", "S"}, "L"));
        addProperty(u8Enum(0xD1A6, {0, 1}, 0));
        addProperty(u8Enum(0xD16A, {0, 1}, 0));  // 0: auto ISO on
        addProperty(u16Enum(0xD0B5, {100, 200, 400, 800}, 400));
        addProperty(readOnly(u8Enum(0xD1F7, {0, 1}, 0)));  // the mirror is up
        addProperty(u16Enum(0xD1A1, {0, 1, 2, 0x8019}, 0));  // the drive mode used in live view
    }
    if (isZ(b)) addProperty(u16Enum(0xD1BD, {0, 360, 512, 720, 1024}, 0));
    if (b == NikonBody::D850) {
        // Auto ISO in P, A, S and M (on request), and the movie exposure settings that take the shutter-speed,
        // aperture, ISO and compensation buttons in movie mode.
        if (options_.autoIsoInExposureModes) addProperty(u8Enum(0xD054, {0, 1}, 1));
        addProperty(u8Enum(0xD1A8, {0, 1, 2, 3, 4, 5}, 2));
        addProperty(u8Enum(0xD1A9, {0, 1, 2, 3, 4}, 1));
        addProperty(u8Enum(0xD1AA, {0, 1, 2, 3, 4, 5, 6}, 2));
        addProperty(SimProperty::enumeration(0xD1AB, kSimInt16, {-1000, -666, -333, 0, 333, 666, 1000}, 0));
        // The exposure indicator of manual exposure: signed sixths of a stop in the low byte.
        addProperty(readOnly(SimProperty::range(0xD1B1, kSimUint8, 0, 255, 1, 0)));
    }
}

std::vector<uint8_t> NikonCamera::pollEvents(uint8_t pollFlag) {
    PropertyCamera::pollEvents(pollFlag);  // the generic records are not this camera's format
    std::lock_guard<std::mutex> g(nikonMutex_);
    std::vector<uint8_t> out;
    wire::put16(out, uint16_t(events_.size()));
    for (const auto& [code, parameter] : events_) {
        wire::put16(out, code);
        wire::put32(out, parameter);
    }
    events_.clear();
    return out;
}

void NikonCamera::attach(Device& device) {
    device.setCommandHandler(0xEB, [](Device& d, const CommandRequest& r) {
        auto nikon = std::dynamic_pointer_cast<NikonCamera>(d.camera());
        if (!nikon || r.payload.size() != 256) return CommandReply::withCode(0x2002);
        std::vector<uint32_t> codes;
        for (size_t i = 0; i < 64; ++i) codes.push_back(wire::get32(r.payload.data() + 4 * i));
        return CommandReply::ok(nikon->snapshot(codes));
    });
}

std::vector<uint8_t> NikonCamera::snapshot(const std::vector<uint32_t>& codes) const {
    std::vector<uint8_t> out;
    for (uint32_t code : codes) {
        auto p = code <= 0xFFFF ? property(uint16_t(code)) : std::nullopt;
        std::vector<uint8_t> desc = p ? encodePropertyDesc(*p) : std::vector<uint8_t>{};
        wire::put32(out, uint32_t(desc.size()));
        wire::putBytes(out, desc);
    }
    return out;
}

int64_t NikonCamera::value(uint16_t code) const {
    auto p = property(code);
    return p ? p->current : -1;
}

void NikonCamera::setQuietly(uint16_t code, int64_t value) {
    auto p = property(code);
    if (!p) return;
    p->current = value;
    addProperty(*p);
}

void NikonCamera::queueLocked(uint16_t code, uint32_t parameter) { events_.push_back({code, parameter}); }

void NikonCamera::queueNikonEvent(uint16_t code, uint32_t parameter) {
    std::lock_guard<std::mutex> g(nikonMutex_);
    queueLocked(code, parameter);
}

void NikonCamera::turnDial(uint16_t code, int64_t value) {
    setQuietly(code, value);
    queueNikonEvent(kPropertyChanged, code);
}

void NikonCamera::turnTextDial(uint16_t code, const std::string& text) {
    auto p = property(code);
    if (!p) return;
    p->currentText = text;
    addProperty(*p);
    queueNikonEvent(kPropertyChanged, code);
}

uint32_t NikonCamera::announcePicture(uint32_t handle) {
    JpegRecipe recipe;
    recipe.size = 4096;
    recipe.make = "Nikon";
    recipe.model = nikonBodyModel(options_.body);
    recipe.seed = handle;
    auto image = jpegImage(recipe);
    SimObject o;
    o.handle = handle;
    o.storage = kStorage;
    o.name = "DSC_RAM.JPG";
    o.bytes = std::shared_ptr<const std::vector<uint8_t>>(image, &image->bytes);
    o.width = image->width;
    o.height = image->height;
    uint32_t added = addObject(o);
    queueNikonEvent(kObjectAdded, added);
    return added;
}

void NikonCamera::fillBuffer(int count) {
    std::lock_guard<std::mutex> g(nikonMutex_);
    bufferFull_ = count;
}
void NikonCamera::fillBufferAfterCapture(int count) {
    std::lock_guard<std::mutex> g(nikonMutex_);
    bufferFullAfter_ = count;
}
void NikonCamera::setReadyBusy(int count) {
    std::lock_guard<std::mutex> g(nikonMutex_);
    readyBusy_ = count;
}
void NikonCamera::failNextAutoFocus() {
    std::lock_guard<std::mutex> g(nikonMutex_);
    failAf_ = true;
}

#define NIKON_GETTER(type, name, field)                \
    type NikonCamera::name() const {                   \
        std::lock_guard<std::mutex> g(nikonMutex_);    \
        return field;                                  \
    }
NIKON_GETTER(bool, hostMode, hostMode_)
NIKON_GETTER(bool, liveViewOn, liveView_)
NIKON_GETTER(bool, recording, recording_)
NIKON_GETTER(bool, bulbOpen, bulbOpen_)
NIKON_GETTER(int, shots, shots_)
NIKON_GETTER(int, autoFocusCount, afCount_)
NIKON_GETTER(int64_t, focusPosition, focus_)
NIKON_GETTER(std::vector<uint32_t>, captured, captured_)
NIKON_GETTER(std::vector<uint32_t>, captureFirstParams, captureParams_)
#undef NIKON_GETTER

std::pair<uint32_t, uint32_t> NikonCamera::zoomArea() const {
    std::lock_guard<std::mutex> g(nikonMutex_);
    return {zoomX_, zoomY_};
}

std::optional<PtpResult> NikonCamera::handleVendorOperation(const PtpOperation& op) {
    auto param = [&](size_t i) { return i < op.params.size() ? op.params[i] : 0u; };
    switch (op.code) {
        case 0x1016: {
            if (std::optional<PtpResult> refused = noteDescribedSet(setLog_, *this, op)) return refused;
            std::optional<PtpResult> r = PropertyCamera::handleVendorOperation(op);
            if (r) setLog_.answered(r->code);
            if (r && r->code == kOk && !op.params.empty()) {
                queueNikonEvent(kPropertyChanged, op.params[0]);
            }
            return r;
        }
        case 0x90C2: {
            std::lock_guard<std::mutex> g(nikonMutex_);
            hostMode_ = param(0) == 1;
            return PtpResult::ok();
        }
        case 0x9207: return capture(op, true);
        case 0x100E: return capture(op, false);
        case 0x90C8: return deviceReady();
        case 0x9206: return PtpResult::ok();
        case 0x9435: return PtpResult::ok();
        case 0x90C1: {
            std::lock_guard<std::mutex> g(nikonMutex_);
            ++afCount_;
            if (failAf_) {
                failAf_ = false;
                readyAnswers_.push_back(kOutOfFocus);
            }
            return PtpResult::ok();
        }
        case 0x9204: return mfDrive(op);
        case 0x910C: {
            {
                std::lock_guard<std::mutex> g(nikonMutex_);
                if (!bulbOpen_) return PtpResult::withCode(kInvalidStatus);
                bulbOpen_ = false;
            }
            takePicture();
            return PtpResult::ok();
        }
        case 0x9201:
        case 0x9202: {
            bool on = op.code == 0x9201;
            {
                std::lock_guard<std::mutex> g(nikonMutex_);
                if (!isZ(options_.body)) liveView_ = on;
            }
            if (!isZ(options_.body)) setQuietly(0xD1A2, on ? 1 : 0);
            return PtpResult::ok();
        }
        case 0x9203: return frame(false);
        case 0x9428: return isZ(options_.body) ? frame(true) : PtpResult::withCode(0x2005);
        case 0x9205: {
            std::lock_guard<std::mutex> g(nikonMutex_);
            if (!liveView_) return PtpResult::withCode(kNotLiveView);
            zoomX_ = param(0);
            zoomY_ = param(1);
            return PtpResult::ok();
        }
        case 0x920A: {
            std::lock_guard<std::mutex> g(nikonMutex_);
            if (!liveView_) return PtpResult::withCode(kInvalidStatus);
            recording_ = true;
            return PtpResult::ok();
        }
        case 0x920B: {
            {
                std::lock_guard<std::mutex> g(nikonMutex_);
                if (!recording_) return PtpResult::withCode(kInvalidStatus);
                recording_ = false;
            }
            SimObject movie;
            movie.format = 0x300D;
            movie.name = "DSC_MOV.MOV";
            movie.storage = kStorage;
            movie.bytes = std::make_shared<const std::vector<uint8_t>>(std::vector<uint8_t>(4096, 0x4D));
            uint32_t handle = addObject(movie);
            queueNikonEvent(kObjectAdded, handle);
            return PtpResult::ok();
        }
        default: return PropertyCamera::handleVendorOperation(op);
    }
}

void NikonCamera::shootOnCamera(int count) {
    for (int i = 0; i < count; ++i) takePicture();
}

void NikonCamera::swapCard() {
    for (uint32_t handle : handles()) removeObject(handle);
    std::lock_guard<std::mutex> g(nikonMutex_);
    fileNumber_ = 1;
}

uint32_t NikonCamera::shootUnannounced() {
    uint32_t number;
    {
        std::lock_guard<std::mutex> g(nikonMutex_);
        number = fileNumber_++;
    }
    char name[16];
    std::snprintf(name, sizeof name, "DSC_%04u.JPG", number);
    const uint32_t handle = addJpegObject(options_.jpegSize, 1, name, kStorage);
    std::lock_guard<std::mutex> g(nikonMutex_);
    ++shots_;
    captured_.push_back(handle);
    return handle;
}

uint32_t NikonCamera::takePicture() {
    uint32_t number;
    {
        std::lock_guard<std::mutex> g(nikonMutex_);
        number = fileNumber_++;
    }
    char name[16];
    std::snprintf(name, sizeof name, "DSC_%04u.JPG", number);
    uint32_t handle = addJpegObject(options_.jpegSize, 1, name, kStorage);
    std::lock_guard<std::mutex> g(nikonMutex_);
    ++shots_;
    shotFocus_.push_back(focus_);
    captured_.push_back(handle);
    queueLocked(kObjectAdded, handle);
    return handle;
}

PtpResult NikonCamera::capture(const PtpOperation& op, bool withAf) {
    bool bulb = value(0xD100) == 0xFFFFFFFF;
    {
        std::lock_guard<std::mutex> g(nikonMutex_);
        captureParams_.push_back(op.params.empty() ? 0 : op.params[0]);
        if (bufferFull_ > 0) {
            --bufferFull_;
            return PtpResult::withCode(kBufferFull);
        }
        bool autofocus = withAf && !op.params.empty() && op.params[0] == 0xFFFFFFFE;
        if (autofocus) ++afCount_;
        if (autofocus && failAf_) {
            failAf_ = false;
            readyAnswers_.push_back(kOutOfFocus);
            return PtpResult::ok();
        }
        for (int i = 0; i < readyBusy_; ++i) readyAnswers_.push_back(kBusy);
        if (bufferFullAfter_ > 0) {
            --bufferFullAfter_;
            readyAnswers_.push_back(kBufferFull);
        }
        if (bulb) {
            bulbOpen_ = true;
            readyAnswers_.push_back(kBulbBusy);
            return PtpResult::ok();
        }
    }
    takePicture();
    return PtpResult::ok();
}

PtpResult NikonCamera::deviceReady() {
    std::lock_guard<std::mutex> g(nikonMutex_);
    if (readyAnswers_.empty()) return PtpResult::ok();
    uint16_t code = readyAnswers_.front();
    readyAnswers_.pop_front();
    return PtpResult::withCode(code);
}

void NikonCamera::busyFocusDrives(int count) {
    std::lock_guard<std::mutex> g(nikonMutex_);
    busyDrives_ = count;
}

std::vector<int64_t> NikonCamera::shotFocusPositions() const {
    std::lock_guard<std::mutex> g(nikonMutex_);
    return shotFocus_;
}

PtpResult NikonCamera::mfDrive(const PtpOperation& op) {
    if (op.params.size() < 2) return PtpResult::withCode(0x201D);
    std::lock_guard<std::mutex> g(nikonMutex_);
    if (!liveView_) return PtpResult::withCode(kNotLiveView);
    if (busyDrives_ > 0) {
        --busyDrives_;
        return PtpResult::withCode(0x2019);
    }
    int64_t steps = op.params[1];
    int64_t target = op.params[0] == 1 ? focus_ - steps : focus_ + steps;
    int64_t clamped = std::clamp<int64_t>(target, 0, options_.focusTravel);
    focus_ = clamped;
    if (clamped != target) readyAnswers_.push_back(kStepEnd);
    return PtpResult::ok();
}

PtpResult NikonCamera::frame(bool extended) {
    uint32_t seed;
    {
        std::lock_guard<std::mutex> g(nikonMutex_);
        if (!liveView_) return PtpResult::withCode(kNotLiveView);
        seed = frameSeed_++;
    }
    JpegRecipe recipe;
    recipe.size = 6 * 1024;
    recipe.width = 320;
    recipe.height = 212;
    recipe.make = "Nikon";
    recipe.model = nikonBodyModel(options_.body);
    recipe.seed = 100 + seed % 3;
    auto jpeg = jpegImage(recipe);
    NikonFrameFields f;
    f.frameWidth = options_.liveViewWidth;
    f.frameHeight = options_.liveViewHeight;
    f.orientation = 2;
    f.seed = seed;
    NikonFrameForm form = extended                           ? NikonFrameForm::Extended
                          : options_.body == NikonBody::D90   ? NikonFrameForm::Fixed128
                          : options_.body == NikonBody::D7000 ? NikonFrameForm::Fixed384
                                                              : NikonFrameForm::LengthPrefixed;
    return PtpResult::withData(nikonFrameReply(form, f, jpeg->bytes));
}

std::shared_ptr<NikonCamera> makeNikonCamera(NikonBody body) {
    NikonCameraOptions o;
    o.body = body;
    return std::make_shared<NikonCamera>(o);
}

}  // namespace devicesim
