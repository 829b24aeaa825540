#include "devicesim/canon_camera.h"

#include <algorithm>
#include <cstdio>

#include "devicesim/jpeg_factory.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

enum : uint16_t {
    kOk = 0x2001,
    kGeneralError = 0x2002,
    kNotSupported = 0x2005,
    kInvalidParameter = 0x201D,
    kNoFrame = 0xA102,
    kInvalidValue = 0xA005,
};

enum : uint32_t {
    kAperture = 0xD101,
    kShutter = 0xD102,
    kIso = 0xD103,
    kExposureModeClassic = 0xD105,
    kExposureModeNew = 0xD138,
    kFocusMode = 0xD108,
    kImageFormat = 0xD120,
    kEvfOutput = 0xD1B0,
    kRecordState = 0xD1B8,
    kMirrorUpMode = 0xD13A,
    kMirrorState = 0xD1BF,  // 2 while the mirror is locked up
};

constexpr uint32_t kRoot = 0xFFFFFFFF;
constexpr uint16_t kFolderFormat = 0x3001;
constexpr uint16_t kJpegFormat = 0x3801;

CanonSimImage jpeg(uint32_t size, uint32_t compression) { return {1, size, compression}; }
CanonSimImage raw(uint32_t size) { return {6, size, 4}; }

GenericCameraConfig configFor(const CanonCameraOptions& o) {
    GenericCameraConfig c;
    c.manufacturer = "Canon Inc.";
    c.model = o.model.empty() ? canonBodyModel(o.body) : o.model;
    c.vendorExtensionId = 11;
    c.vendorExtensionDesc = "";
    c.serialNumber = "012345678901";
    c.storages = {CanonCamera::kStorage};
    c.operations = {0x1001, 0x1002, 0x1003, 0x1004, 0x1006, 0x1007, 0x1008, 0x1009, 0x100B, 0x9101, 0x9110, 0x9114,
                    0x9115, 0x9127, 0x9153, 0x9154, 0x9155, 0x9158, 0x9159, 0x9160, 0x910A, 0x9135, 0x910F};
    if (o.pressOperations) {
        c.operations.insert(c.operations.end(), {0x9128, 0x9129});
    } else {
        c.operations.insert(c.operations.end(), {0x9125, 0x9126});
    }
    switch (o.body) {
        case CanonBody::Mirrorless: c.operations.insert(c.operations.end(), {0x917A, 0x9170, 0x913D, 0x9133, 0x9134}); break;
        case CanonBody::DslrJpegLiveView: c.operations.insert(c.operations.end(), {0x9170, 0x9109, 0x9133, 0x9134, 0x913E}); break;
        case CanonBody::DslrYuvLiveView: c.operations.insert(c.operations.end(), {0x9109, 0x913E}); break;
    }
    c.events = {0xC181, 0xC182, 0xC189, 0xC18A, 0xC18B, 0xC1A5, 0xC1A7};
    if (o.body == CanonBody::Mirrorless) c.events.push_back(0xC1B6);
    c.properties = {};
    c.captureFormats = {0x3801};
    c.imageFormats = {0x3801, 0x3001, o.body == CanonBody::Mirrorless ? uint16_t(0xB108) : uint16_t(0xB103)};
    return c;
}

CanonSimProperty numeric(uint32_t code, CanonSimProperty::Kind kind, uint32_t value, std::vector<uint32_t> allowed) {
    CanonSimProperty p;
    p.code = code;
    p.kind = kind;
    p.value = value;
    p.allowed = std::move(allowed);
    return p;
}

CanonSimProperty text(uint32_t code, const std::string& value) {
    CanonSimProperty p;
    p.code = code;
    p.kind = CanonSimProperty::Text;
    p.text = value;
    return p;
}

uint32_t dataType(CanonSimProperty::Kind k) {
    switch (k) {
        case CanonSimProperty::U8: return 2;
        case CanonSimProperty::I8: return 1;
        case CanonSimProperty::U16: return 4;
        case CanonSimProperty::I16: return 3;
        case CanonSimProperty::Text: return 0xFFFF;
        default: return 6;
    }
}

std::vector<uint8_t> u32Bytes(uint32_t v) {
    std::vector<uint8_t> b;
    wire::put32(b, v);
    return b;
}

}  // namespace

std::string canonBodyModel(CanonBody body) {
    switch (body) {
        case CanonBody::Mirrorless: return "Canon EOS R6";
        case CanonBody::DslrJpegLiveView: return "Canon EOS 5D Mark IV";
        case CanonBody::DslrYuvLiveView: return "Canon EOS 700D";
    }
    return "Canon EOS R6";
}

std::optional<CanonBody> canonBodyNamed(const std::string& name) {
    if (name == "mirrorless") return CanonBody::Mirrorless;
    if (name == "dslr") return CanonBody::DslrJpegLiveView;
    if (name == "dslr-yuv") return CanonBody::DslrYuvLiveView;
    return std::nullopt;
}

std::shared_ptr<CanonCamera> makeCanonCamera(CanonBody body) {
    CanonCameraOptions options;
    options.body = body;
    return std::make_shared<CanonCamera>(options);
}

CanonCamera::CanonCamera(CanonCameraOptions options) : GenericCamera(configFor(options)), options_(std::move(options)) {
    addDefaultProperties();
}

void CanonCamera::addDefaultProperties() {
    using K = CanonSimProperty;
    const bool mirrorless = options_.body == CanonBody::Mirrorless;
    std::vector<CanonSimProperty> list = {
        numeric(kAperture, K::U16, 0x30,
                {0x20, 0x23, 0x25, 0x28, 0x2B, 0x2D, 0x30, 0x33, 0x35, 0x38, 0x3B, 0x3D, 0x40, 0x43, 0x45, 0x48, 0x50}),
        numeric(kShutter, K::U16, 0x68, {0x0C, 0x10, 0x18, 0x20, 0x28, 0x30, 0x38, 0x40, 0x48, 0x50, 0x58, 0x5D,
                                         0x60, 0x65, 0x68, 0x70, 0x78, 0x80, 0x88, 0x90, 0x98, 0xA0}),
        numeric(kIso, K::U16, 0x48, {0x00, 0x48, 0x4B, 0x4D, 0x50, 0x53, 0x55, 0x58, 0x60, 0x68, 0x70, 0x78}),
        numeric(0xD104, K::I8, 0x00, {0xF0, 0xF3, 0xF5, 0xF8, 0xFB, 0xFD, 0x00, 0x03, 0x05, 0x08, 0x0B, 0x0D, 0x10}),
        numeric(mirrorless ? kExposureModeNew : kExposureModeClassic, K::U16, 3, {0, 1, 2, 3, 4}),
        numeric(0xD106, K::U16, 0, {0, 1, 0x10}),
        numeric(0xD107, K::U8, 3, {1, 3, 4, 5}),
        numeric(kFocusMode, K::U16, 0, {0, 1, 2, 3}),
        numeric(0xD109, K::U8, 0, {0, 1, 2, 3, 4, 5, 8, 9}),
        numeric(0xD10A, K::U32, 5200, {2500, 3200, 4000, 5200, 6500}),
        numeric(0xD10F, K::U16, 1, {1, 2}),
        numeric(0xD111, K::U16, 2, {}),
        numeric(0xD11B, K::U32, 1234, {}),
        numeric(0xD11C, K::U32, 4, {2, 4}),
        numeric(kEvfOutput, K::U16, 0, {0, 1, 2, 3}),
        numeric(0xD1D9, K::U16, 0, {0, 3, 5, 8, 0x0B, 0x0D, 0x10}),
        text(0xD1D8, mirrorless ? "RF24-105mm F4 L IS USM" : "EF24-105mm f/4L IS USM"),
        text(0xD1AF, "012345678901"),
    };
    // The focus mode of a mirrorless body comes without its list.
    if (mirrorless) list[7].reportAllowed = false;
    CanonSimProperty format;
    format.code = kImageFormat;
    format.kind = K::Format;
    format.format = {jpeg(0, 3)};
    format.allowedFormats = {{jpeg(0, 3)}, {jpeg(0, 2)}, {jpeg(1, 3)}, {jpeg(2, 3)}, {raw(0)}, {raw(0), jpeg(0, 3)}};
    if (mirrorless) format.allowedFormats.push_back({raw(1), jpeg(2, 2)});
    list.push_back(format);
    if (!mirrorless) {
        list.push_back(numeric(kMirrorUpMode, K::U32, 0, {0, 1}));
        list.push_back(numeric(kMirrorState, K::U32, 0, {}));
        list.push_back(numeric(0xD1B1, K::U16, 0, {0, 1, 2}));
    } else {
        list.push_back(numeric(0xD179, K::U8, 1, {0, 1}));
    }
    if (options_.body != CanonBody::DslrYuvLiveView) list.push_back(numeric(kRecordState, K::U32, 0, {0, 4}));
    for (const CanonSimProperty& p : list) {
        const auto& absent = options_.absentProperties;
        if (std::find(absent.begin(), absent.end(), p.code) != absent.end()) continue;
        properties_[p.code] = p;
        order_.push_back(p.code);
    }
}

void CanonCamera::attach(Device& device) {
    // Routed through the device's current camera, so that a camera replaced later is never reached through a
    // stale pointer.
    device.setRawPacketHandler(kPtpRepeat, [](Device& d, const std::vector<uint8_t>& body) {
        auto canon = std::dynamic_pointer_cast<CanonCamera>(d.camera());
        return canon ? canon->repeatPacket(body) : std::vector<uint8_t>{};
    });
}

// --- on-screen exposure items ---

std::vector<uint8_t> CanonCamera::onScreenBlockLocked() {
    // Items 2, 4 and 8 (shutter, aperture, ISO) in the body's layout, then item 64 (the exposure reading) once one
    // has been shown.
    const bool mirrorless = options_.body == CanonBody::Mirrorless;
    std::vector<uint8_t> block(8, 0);
    auto item = [&](size_t length, size_t valueAt, uint32_t value) {
        std::vector<uint8_t> bytes(length, 0);
        bytes[0] = 1;
        bytes[valueAt] = uint8_t(value);
        wire::putBytes(block, bytes);
    };
    item(mirrorless ? 7 : 6, 5, properties_[kShutter].value);
    if (mirrorless) {
        item(9, 7, properties_[kAperture].value);
    } else {
        item(5, 4, properties_[kAperture].value);
    }
    item(4, 3, properties_[kIso].value);
    uint32_t mask = 0x2 | 0x4 | 0x8;
    if (onScreenExposure_) {
        item(7, 1, 1);
        block[block.size() - 5] = *onScreenExposure_;
        mask |= 0x40;
    }
    wire::set32(block, 0, uint32_t(block.size()));
    wire::set32(block, 4, mask);
    return block;
}

void CanonCamera::showOnScreenExposure(uint8_t level) {
    std::lock_guard<std::mutex> g(canonMutex_);
    onScreenExposure_ = level;
    queueLocked(canonOlcRecord(onScreenBlockLocked()));
}

// --- properties ---

std::optional<CanonSimProperty> CanonCamera::property(uint32_t code) const {
    std::lock_guard<std::mutex> g(canonMutex_);
    auto it = properties_.find(code);
    if (it == properties_.end()) return std::nullopt;
    return it->second;
}

std::optional<uint32_t> CanonCamera::propertyValue(uint32_t code) const {
    auto p = property(code);
    if (!p) return std::nullopt;
    return p->value;
}

void CanonCamera::changeOnCamera(uint32_t code, uint32_t value) {
    std::lock_guard<std::mutex> g(canonMutex_);
    auto it = properties_.find(code);
    if (it == properties_.end()) return;
    it->second.value = value;
    reportPropertyLocked(it->second, false);
}

void CanonCamera::setProperty(const CanonSimProperty& p) {
    std::lock_guard<std::mutex> g(canonMutex_);
    if (!properties_.count(p.code)) order_.push_back(p.code);
    properties_[p.code] = p;
    reportPropertyLocked(p, true);
}

std::vector<uint8_t> CanonCamera::valueBytes(const CanonSimProperty& p) const {
    std::vector<uint8_t> b;
    switch (p.kind) {
        case CanonSimProperty::U8:
        case CanonSimProperty::I8: wire::put8(b, uint8_t(p.value)); break;
        case CanonSimProperty::U16:
        case CanonSimProperty::I16: wire::put16(b, uint16_t(p.value)); break;
        case CanonSimProperty::U32: wire::put32(b, p.value); break;
        case CanonSimProperty::Text:
            b.assign(p.text.begin(), p.text.end());
            b.push_back(0);
            break;
        case CanonSimProperty::Format: b = canonFormatRecord(p.format); break;
    }
    return b;
}

void CanonCamera::queueLocked(const std::vector<uint8_t>& record) { wire::putBytes(pending_, record); }

void CanonCamera::reportPropertyLocked(const CanonSimProperty& p, bool withAllowed) {
    queueLocked(canonValueRecord(p.code, valueBytes(p)));
    if (!withAllowed || !p.reportAllowed) return;
    std::vector<std::vector<uint8_t>> entries;
    if (p.kind == CanonSimProperty::Format) {
        for (const CanonSimFormat& f : p.allowedFormats) entries.push_back(canonFormatRecord(f));
    } else {
        for (uint32_t v : p.allowed) entries.push_back(u32Bytes(v));
    }
    queueLocked(canonAllowedRecord(p.code, dataType(p.kind), entries));
}

// Everything the camera has to tell once the event mode is set: each value, then its allowed values.
void CanonCamera::dumpAllLocked() {
    for (uint32_t code : order_) reportPropertyLocked(properties_[code], true);
    queueLocked(canonStatusRecord(0));
}

std::vector<uint8_t> CanonCamera::pollEvents(uint8_t) {
    std::lock_guard<std::mutex> g(canonMutex_);
    if (pending_.empty()) return {};
    std::vector<uint8_t> out;
    out.swap(pending_);
    wire::putBytes(out, canonEndRecord());
    return out;
}

void CanonCamera::refuseSets(int count, uint16_t code) {
    std::lock_guard<std::mutex> g(canonMutex_);
    refuseSets_ = count;
    refuseCode_ = code;
}

void CanonCamera::reportBusy(bool busy) {
    std::lock_guard<std::mutex> g(canonMutex_);
    queueLocked(canonStatusRecord(busy ? 1 : 0));
}

void CanonCamera::failNextAutoFocus() {
    std::lock_guard<std::mutex> g(canonMutex_);
    failAutoFocus_ = true;
}

void CanonCamera::failOperation(uint16_t operation, std::optional<uint32_t> firstParam, uint16_t response, int times,
                                int after) {
    std::lock_guard<std::mutex> g(canonMutex_);
    failures_.push_back({operation, firstParam, response, times, after});
}

void CanonCamera::ignoreSets(uint32_t code, int times) {
    std::lock_guard<std::mutex> g(canonMutex_);
    ignoredSets_[code] = times;
}

void CanonCamera::withholdFrames(int count) {
    std::lock_guard<std::mutex> g(canonMutex_);
    withheldFrames_ = count;
}

void CanonCamera::queueEvent(const std::vector<uint8_t>& record) {
    std::lock_guard<std::mutex> g(canonMutex_);
    queueLocked(record);
}

void CanonCamera::shootOnCamera(int count, int busyAnswers) {
    // The pictures are made before the camera is locked, one at a time: making them takes long on a slow machine,
    // and a camera locked meanwhile would leave the host's requests unanswered.
    int first;
    {
        std::lock_guard<std::mutex> g(canonMutex_);
        first = shots_;
    }
    for (int i = 1; i <= count; ++i) jpegImage(pictureRecipe(first + i));
    for (int i = 0; i < count; ++i) {
        std::lock_guard<std::mutex> g(canonMutex_);
        takePicture();
    }
    if (busyAnswers > 0) answerBusy(busyAnswers);
}

// The body's own record of a new object.
void CanonCamera::announceLocked(uint32_t handle, uint16_t objectFormat, uint32_t size, const std::string& name) {
    switch (options_.body) {
        case CanonBody::Mirrorless:
            queueLocked(canonObjectAddedExRecord(handle, kStorage, objectFormat, size, kImageFolder, name));
            break;
        case CanonBody::DslrJpegLiveView:
            queueLocked(canonObjectAddedRecord(handle, kStorage, objectFormat, size, kImageFolder, name));
            break;
        case CanonBody::DslrYuvLiveView: queueLocked(canonObjectInfoRecord(handle)); break;
    }
}

uint32_t CanonCamera::announceOnCamera(SimObject o) {
    std::lock_guard<std::mutex> g(canonMutex_);
    const uint32_t size = o.bytes ? uint32_t(o.bytes->size()) : 0;
    const uint16_t objectFormat = o.format;
    const std::string name = o.name;
    const uint32_t handle = addObject(std::move(o));
    fileNumbers_[handle] = nextFileNumber_++;
    announceLocked(handle, objectFormat, size, name);
    return handle;
}

void CanonCamera::deleteOnCamera(uint32_t handle) { deleteObjects(handle); }

void CanonCamera::swapCard() {
    for (uint32_t handle : handles()) removeObject(handle);
    std::lock_guard<std::mutex> g(canonMutex_);
    nextFileNumber_ = 1;
}

// --- readings ---
#define CANON_READ(type, name, expr)                 \
    type CanonCamera::name() const {                 \
        std::lock_guard<std::mutex> g(canonMutex_);  \
        return expr;                                 \
    }
CANON_READ(bool, remoteMode, remote_)
CANON_READ(bool, eventMode, events_)
CANON_READ(bool, liveViewOn, liveViewOnLocked())
CANON_READ(bool, movieMode, movieMode_)
CANON_READ(bool, halfPressed, halfPressed_)
CANON_READ(bool, fullPressed, fullPressed_)
CANON_READ(int, shots, shots_)
CANON_READ(int, bulbExposures, bulbs_)
CANON_READ(int, autoFocusCount, afCount_)
CANON_READ(int, autoFocusCancels, afCancels_)
CANON_READ(int64_t, lensPosition, lens_)
CANON_READ(int64_t, lensTravel, travel_)
CANON_READ(std::vector<int64_t>, shotLensTravel, shotTravel_)
CANON_READ(uint32_t, zoomStep, zoomStep_)
CANON_READ(std::vector<uint32_t>, captured, captured_)
#undef CANON_READ

bool CanonCamera::recording() const {
    std::lock_guard<std::mutex> g(canonMutex_);
    auto it = properties_.find(kRecordState);
    return it != properties_.end() && it->second.value == 4;
}

void CanonCamera::busyLensDrives(int count) {
    std::lock_guard<std::mutex> g(canonMutex_);
    busyDrives_ = count;
}

namespace {
// A drive parameter (0x8000 + size toward far) in small lens steps.
int64_t canonSmallSteps(uint32_t step) {
    const uint32_t size = step & 0x7FFF;
    const int64_t small = size == 2 ? 8 : size == 3 ? 25 : int64_t(size);
    return (step & 0x8000) ? -small : small;
}
}  // namespace

std::vector<std::pair<uint32_t, uint16_t>> CanonCamera::lensDrives() const {
    std::lock_guard<std::mutex> g(canonMutex_);
    return drives_;
}

std::pair<uint32_t, uint32_t> CanonCamera::zoomPosition() const {
    std::lock_guard<std::mutex> g(canonMutex_);
    return {zoomX_, zoomY_};
}

uint32_t CanonCamera::fileNumber(uint32_t handle) const {
    std::lock_guard<std::mutex> g(canonMutex_);
    auto it = fileNumbers_.find(handle);
    return it == fileNumbers_.end() ? 0 : it->second;
}

bool CanonCamera::liveViewOnLocked() const {
    auto it = properties_.find(kEvfOutput);
    return it != properties_.end() && (it->second.value & 2) != 0;
}

bool CanonCamera::bulbModeLocked() const {
    for (uint32_t code : {kExposureModeClassic, kExposureModeNew}) {
        auto it = properties_.find(code);
        if (it != properties_.end() && it->second.value == 4) return true;
    }
    auto it = properties_.find(kShutter);
    return it != properties_.end() && it->second.value == 0x0C;
}

// --- operations ---

std::optional<PtpResult> CanonCamera::handleVendorOperation(const PtpOperation& op) {
    const auto param = [&](size_t i) { return i < op.params.size() ? op.params[i] : 0u; };
    {
        std::lock_guard<std::mutex> g(canonMutex_);
        for (auto it = failures_.begin(); it != failures_.end(); ++it) {
            if (it->operation != op.code || (it->firstParam && *it->firstParam != param(0))) continue;
            if (it->after > 0) {
                --it->after;
                break;
            }
            const uint16_t response = it->response;
            if (--it->times <= 0) failures_.erase(it);
            return PtpResult::withCode(response);
        }
    }
    switch (op.code) {
        case 0x9114: {
            std::lock_guard<std::mutex> g(canonMutex_);
            remote_ = param(0) != 0;
            return PtpResult::ok();
        }
        case 0x9115: {
            std::lock_guard<std::mutex> g(canonMutex_);
            events_ = param(0) != 0;
            if (events_) dumpAllLocked();
            return PtpResult::ok();
        }
        case 0x913D: {
            std::lock_guard<std::mutex> g(canonMutex_);
            olcRequested_ = true;
            queueLocked(canonOlcRecord(onScreenBlockLocked()));
            return PtpResult::ok();
        }
        case 0x913E:
            return PtpResult::ok();
        case 0x9110: {
            // The request is noted before the body's own checks; a refusal armed for it answers instead.
            if (op.dataOut && op.dataOut->size() >= 12) {
                const std::vector<uint8_t>& d = *op.dataOut;
                if (std::optional<uint16_t> refused = setLog_.note(uint16_t(wire::get32(d.data() + 4)),
                                                                   int64_t(wire::get32(d.data() + 8))))
                    return PtpResult::withCode(*refused);
                PtpResult r = setPropertyFromHost(op);
                setLog_.answered(r.code);
                return r;
            }
            return setPropertyFromHost(op);
        }
        case 0x9127: {
            std::lock_guard<std::mutex> g(canonMutex_);
            auto it = properties_.find(param(0));
            if (it == properties_.end()) return PtpResult::withCode(kInvalidParameter);
            reportPropertyLocked(it->second, false);
            return PtpResult::ok();
        }
        case 0x910F: {
            std::lock_guard<std::mutex> g(canonMutex_);
            if (failAutoFocus_) {
                failAutoFocus_ = false;
                PtpResult r;
                r.params = {1};
                return r;
            }
            takePicture();
            return PtpResult::ok();
        }
        case 0x9128: return press(param(0));
        case 0x9129: return release(param(0));
        case 0x9125: {
            std::lock_guard<std::mutex> g(canonMutex_);
            bulbOpen_ = true;
            return PtpResult::ok();
        }
        case 0x9126: {
            std::lock_guard<std::mutex> g(canonMutex_);
            if (!bulbOpen_) return PtpResult::withCode(kGeneralError);
            endBulb();
            return PtpResult::ok();
        }
        case 0x9154: {
            std::lock_guard<std::mutex> g(canonMutex_);
            ++afCount_;
            return PtpResult::ok();
        }
        case 0x9160: {
            std::lock_guard<std::mutex> g(canonMutex_);
            ++afCancels_;
            return PtpResult::ok();
        }
        case 0x9155: {
            std::lock_guard<std::mutex> g(canonMutex_);
            if (busyDrives_ > 0) {
                --busyDrives_;
                return PtpResult::withCode(0x2019);
            }
            const uint32_t step = param(0);
            drives_.push_back({step, 1});
            lens_ += (step & 0x8000) ? -int64_t(step & 0x7FFF) : int64_t(step);
            travel_ += canonSmallSteps(step);
            return PtpResult::ok();
        }
        case 0x9133:
        case 0x9134: {
            std::lock_guard<std::mutex> g(canonMutex_);
            movieMode_ = op.code == 0x9133;
            return PtpResult::ok();
        }
        case 0x9158: {
            std::lock_guard<std::mutex> g(canonMutex_);
            zoomStep_ = param(0);
            return PtpResult::ok();
        }
        case 0x9159: {
            std::lock_guard<std::mutex> g(canonMutex_);
            zoomX_ = param(0);
            zoomY_ = param(1);
            return PtpResult::ok();
        }
        case 0x9153: return liveViewFrame();
        case 0x9101: {
            std::vector<uint8_t> d;
            wire::put32(d, 1);
            while (d.size() < 16) wire::put8(d, 0);
            wire::put32(d, kStorage);
            return PtpResult::withData(d);
        }
        case 0x917A:
        case 0x9109: return listEntries(op);
        case 0x9170:
            if (op.params.size() >= 3) return listEntries(op);
            return std::nullopt;  // the object's record: the generic camera's
        case 0x9135: return objectValue(op);
        case 0x910A: return thumbnail(op);
        case 0x100B: return deleteObjects(param(0));
        default: return std::nullopt;
    }
}

PtpResult CanonCamera::setPropertyFromHost(const PtpOperation& op) {
    if (!op.dataOut || op.dataOut->size() < 12) return PtpResult::withCode(kInvalidParameter);
    const std::vector<uint8_t>& d = *op.dataOut;
    const uint32_t length = wire::get32(d.data()), code = wire::get32(d.data() + 4);
    if (length != d.size()) return PtpResult::withCode(kInvalidParameter);
    std::lock_guard<std::mutex> g(canonMutex_);
    if (refuseSets_ > 0) {
        --refuseSets_;
        return PtpResult::withCode(refuseCode_);
    }
    auto it = properties_.find(code);
    if (it == properties_.end()) return PtpResult::withCode(kInvalidParameter);
    if (auto ignored = ignoredSets_.find(code); ignored != ignoredSets_.end() && ignored->second > 0) {
        --ignored->second;
        return PtpResult::ok();
    }
    CanonSimProperty& p = it->second;
    if (p.kind == CanonSimProperty::Format) {
        CanonSimFormat f = canonFormatFromRecord(d.data() + 8, d.size() - 8);
        if (f.empty() || std::find(p.allowedFormats.begin(), p.allowedFormats.end(), f) == p.allowedFormats.end())
            return PtpResult::withCode(kInvalidValue);
        p.format = f;
    } else {
        const uint32_t value = wire::get32(d.data() + 8);
        if (!p.allowed.empty() && std::find(p.allowed.begin(), p.allowed.end(), value) == p.allowed.end())
            return PtpResult::withCode(kInvalidValue);
        const bool wasRecording = code == kRecordState && p.value == 4;
        p.value = value;
        if (wasRecording && value == 0) {
            // A finished movie lands on the card.
            SimObject movie;
            movie.format = 0x300D;
            movie.bytes = std::make_shared<const std::vector<uint8_t>>(4096, uint8_t(0x5A));
            char name[32];
            std::snprintf(name, sizeof name, "MVI_%04u.MOV", nextFileNumber_);
            movie.name = name;
            const uint32_t handle = addObject(std::move(movie));
            fileNumbers_[handle] = nextFileNumber_++;
            queueLocked(canonObjectAddedRecord(handle, kStorage, 0x300D, 4096, kImageFolder, name));
        }
    }
    reportPropertyLocked(p, false);
    return PtpResult::ok();
}

PtpResult CanonCamera::press(uint32_t kind) {
    std::lock_guard<std::mutex> g(canonMutex_);
    PtpResult r;
    if (kind == 1) {
        halfPressed_ = true;
        if (failAutoFocus_) {
            failAutoFocus_ = false;
            r.params = {1};
        }
        return r;
    }
    if (kind != 2 && kind != 3) return PtpResult::withCode(kInvalidParameter);
    fullPressed_ = true;
    // With mirror-up on, the first full press only locks the mirror up; the next one takes the picture and lets
    // the mirror down again.
    auto mode = properties_.find(kMirrorUpMode);
    auto mirror = properties_.find(kMirrorState);
    if (mode != properties_.end() && mode->second.value == 1 && mirror != properties_.end()) {
        const bool lift = mirror->second.value != 2;
        mirror->second.value = lift ? 2 : 0;
        reportPropertyLocked(mirror->second, false);
        if (lift) return r;
    }
    if (bulbModeLocked()) {
        bulbOpen_ = true;
    } else {
        takePicture();
    }
    return r;
}

PtpResult CanonCamera::release(uint32_t kind) {
    std::lock_guard<std::mutex> g(canonMutex_);
    if (kind == 2) {
        fullPressed_ = false;
        if (bulbOpen_) endBulb();
    } else if (kind == 1) {
        halfPressed_ = false;
    } else {
        return PtpResult::withCode(kInvalidParameter);
    }
    return PtpResult::ok();
}

PtpResult CanonCamera::deleteObjects(uint32_t handle) {
    std::lock_guard<std::mutex> g(canonMutex_);
    std::vector<uint32_t> gone = handle == 0xFFFFFFFF ? handles() : std::vector<uint32_t>{handle};
    if (handle != 0xFFFFFFFF && !object(handle)) return PtpResult::withCode(0x2009);  // invalid object handle
    for (uint32_t h : gone) {
        if (!removeObject(h)) continue;
        fileNumbers_.erase(h);
        queueLocked(canonObjectRemovedRecord(h));
    }
    return PtpResult::ok();
}

void CanonCamera::endBulb() {
    bulbOpen_ = false;
    ++bulbs_;
    takePicture();
}

// One picture per image of the current format: a JPEG, and for raw a CR3 (mirrorless) or CR2 file.
JpegRecipe CanonCamera::pictureRecipe(int shot) const {
    JpegRecipe recipe;
    recipe.size = options_.jpegSize;
    recipe.make = "Canon";
    recipe.model = configFor(options_).model;
    recipe.seed = uint32_t(shot) * 7 + uint32_t(options_.body);
    return recipe;
}

void CanonCamera::takePicture() {
    ++shots_;
    shotTravel_.push_back(travel_);
    const CanonSimFormat format = properties_[kImageFormat].format;
    const JpegRecipe recipe = pictureRecipe(shots_);
    auto image = jpegImage(recipe);
    for (const CanonSimImage& part : format) {
        SimObject o;
        const uint32_t number = nextFileNumber_;
        char name[32];
        if (part.type == 6) {
            const bool cr3 = options_.body == CanonBody::Mirrorless;
            std::vector<uint8_t> file;
            if (cr3) {
                file = canonCr3File(image->bytes, 64 * 1024, recipe.seed);
            } else {
                file = {'I', 'I', 0x2A, 0, 0x10, 0, 0, 0, 'C', 'R', 2, 0};
                file.insert(file.end(), image->bytes.begin(), image->bytes.end());
            }
            o.format = cr3 ? 0xB108 : 0xB103;
            o.bytes = std::make_shared<const std::vector<uint8_t>>(std::move(file));
            std::snprintf(name, sizeof name, "IMG_%04u.%s", number, cr3 ? "CR3" : "CR2");
        } else {
            o.format = kJpegFormat;
            o.bytes = std::shared_ptr<const std::vector<uint8_t>>(image, &image->bytes);
            std::snprintf(name, sizeof name, "IMG_%04u.JPG", number);
        }
        o.name = name;
        o.thumbnail = image->thumbnail;
        o.thumbWidth = image->thumbWidth;
        o.thumbHeight = image->thumbHeight;
        o.width = image->width;
        o.height = image->height;
        o.orientation = 1;
        const uint32_t size = uint32_t(o.bytes->size());
        const uint16_t objectFormat = o.format;
        const uint32_t handle = addObject(std::move(o));
        fileNumbers_[handle] = number;
        captured_.push_back(handle);
        announceLocked(handle, objectFormat, size, name);
    }
    ++nextFileNumber_;
}

PtpResult CanonCamera::liveViewFrame() {
    uint32_t seed;
    CanonLiveViewInfo info;
    {
        std::lock_guard<std::mutex> g(canonMutex_);
        if (!liveViewOnLocked()) return PtpResult::withCode(kNoFrame);
        if (withheldFrames_ > 0) {
            --withheldFrames_;
            return PtpResult::withCode(kNoFrame);
        }
        seed = frameSeed_++ % 4;
        info.zoom = zoomStep_;
        info.zoomX = zoomX_;
        info.zoomY = zoomY_;
    }
    if (options_.body == CanonBody::DslrYuvLiveView)
        return PtpResult::withData(canonYuvLiveViewReply(options_.liveViewWidth, options_.liveViewHeight, 48, seed));
    JpegRecipe recipe;
    recipe.width = int(options_.liveViewWidth);
    recipe.height = int(options_.liveViewHeight);
    recipe.size = options_.liveViewJpegSize;
    recipe.make = "Canon";
    recipe.seed = 1000 + seed;
    auto image = jpegImage(recipe);
    canonStandInLiveViewInfo(this, options_.body == CanonBody::Mirrorless, seed, info);
    return PtpResult::withData(canonJpegLiveViewReply(canonBareJpeg(image->bytes), info));
}

PtpResult CanonCamera::listEntries(const PtpOperation& op) {
    const uint32_t parent = op.params.size() > 1 ? op.params[1] : kRoot;
    struct Row {
        uint32_t handle;
        uint16_t format;
        std::string name;
        uint32_t size;
    };
    std::vector<Row> rows;
    if (parent == kRoot) {
        rows.push_back({kDcimFolder, kFolderFormat, "DCIM", 0});
    } else if (parent == kDcimFolder) {
        rows.push_back({kImageFolder, kFolderFormat, "100CANON", 0});
    } else if (parent == kImageFolder) {
        for (uint32_t h : handles()) {
            auto o = object(h);
            if (o) rows.push_back({h, o->format, o->name, o->bytes ? uint32_t(o->bytes->size()) : 0});
        }
    }
    std::vector<uint8_t> d;
    wire::put32(d, uint32_t(rows.size()));
    for (const Row& r : rows) {
        std::vector<uint8_t> rec;
        if (op.code == 0x917A) {
            wire::put32(rec, 0);
            wire::put32(rec, r.handle);
            wire::put32(rec, parent == kRoot ? kStorage : parent);
            wire::put32(rec, r.format);
            while (rec.size() < 44) wire::put8(rec, 0);
            wire::putBytes(rec, canonPtpString(r.name));
        } else {
            wire::put32(rec, 100);
            wire::put32(rec, r.handle);
            wire::put32(rec, parent == kRoot ? kStorage : parent);
            wire::put32(rec, r.format);
            wire::put32(rec, r.size);  // +16
            wire::put32(rec, 0);       // +20
            wire::put32(rec, r.size);  // +24
            wire::put32(rec, 0x20240517);  // +28
            wire::put32(rec, 0);           // +32
            std::vector<uint8_t> name(64, 0);
            std::copy_n(r.name.begin(), std::min<size_t>(r.name.size(), 63), name.begin());
            wire::putBytes(rec, name);
        }
        wire::putBytes(d, rec);
    }
    return PtpResult::withData(d);
}

PtpResult CanonCamera::objectValue(const PtpOperation& op) {
    const uint32_t handle = op.params.size() > 1 ? op.params[1] : 0;
    std::vector<uint32_t> members;
    if (handle == kImageFolder) {
        members = handles();
    } else if (handle == kDcimFolder) {
        members = {kImageFolder};
    } else if (object(handle)) {
        members = {handle};
    } else {
        return PtpResult::withCode(kInvalidParameter);
    }
    std::lock_guard<std::mutex> g(canonMutex_);
    std::vector<uint8_t> d;
    wire::put32(d, uint32_t(members.size()));
    wire::put32(d, 20);
    for (uint32_t h : members) {
        auto it = fileNumbers_.find(h);
        wire::put32(d, h);
        wire::put32(d, 0);
        wire::put32(d, 0);
        wire::put32(d, 0);
        wire::put32(d, it == fileNumbers_.end() ? 0xFFFFFFFF : it->second);
    }
    return PtpResult::withData(d);
}

PtpResult CanonCamera::thumbnail(const PtpOperation& op) {
    auto o = object(op.params.empty() ? 0 : op.params[0]);
    if (!o) return PtpResult::withCode(0x2009);
    if (o->thumbnail.empty()) return PtpResult::withCode(0x2010);
    return PtpResult::withData(canonThumbnailReply(canonBareJpeg(o->thumbnail), o->orientation));
}

// The repeat packet: inner length, u16 repetitions, 00 00 4B 00, then one command container of 0x9155.
std::vector<uint8_t> CanonCamera::repeatPacket(const std::vector<uint8_t>& body) {
    if (body.size() != 26 || wire::get32(body.data()) != 26) return Device::responsePacket(kGeneralError, {});
    const uint16_t repetitions = wire::get16(body.data() + 4);
    const uint8_t* c = body.data() + 10;
    if (wire::get32(c) != 16 || wire::get16(c + 4) != 1 || wire::get16(c + 6) != 0x9155 || repetitions == 0 ||
        repetitions > 300)
        return Device::responsePacket(kGeneralError, {});
    const uint32_t step = wire::get32(c + 12);
    std::lock_guard<std::mutex> g(canonMutex_);
    if (busyDrives_ > 0) {
        --busyDrives_;
        return Device::responsePacket(0x2019, {});
    }
    drives_.push_back({step, repetitions});
    const int64_t one = (step & 0x8000) ? -int64_t(step & 0x7FFF) : int64_t(step);
    lens_ += one * repetitions;
    travel_ += canonSmallSteps(step) * repetitions;
    return Device::responsePacket(kOk, {});
}

}  // namespace devicesim
