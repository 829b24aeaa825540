#include "devicesim/generic_camera.h"

#include <algorithm>
#include <cstdio>

#include "devicesim/jpeg_factory.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

void putString(std::vector<uint8_t>& out, const std::string& s) {
    if (s.empty()) {
        wire::put8(out, 0);
        return;
    }
    const size_t n = std::min<size_t>(s.size(), 254);
    wire::put8(out, uint8_t(n + 1));
    for (size_t i = 0; i < n; ++i) wire::put16(out, uint8_t(s[i]));
    wire::put16(out, 0);
}

void putCodes(std::vector<uint8_t>& out, const std::vector<uint16_t>& codes) {
    wire::put32(out, uint32_t(codes.size()));
    for (uint16_t c : codes) wire::put16(out, c);
}

std::vector<uint8_t> uint32Array(const std::vector<uint32_t>& values) {
    std::vector<uint8_t> out;
    wire::put32(out, uint32_t(values.size()));
    for (uint32_t v : values) wire::put32(out, v);
    return out;
}

enum : uint16_t {
    kOk = 0x2001,
    kSessionNotOpen = 0x2003,
    kNotSupported = 0x2005,
    kInvalidHandle = 0x2009,
    kInvalidStorage = 0x2008,
    kNoThumbnail = 0x2010,
    kSessionAlreadyOpen = 0x201E,
};

}  // namespace

GenericCamera::GenericCamera(GenericCameraConfig config) : config_(std::move(config)) {}

GenericCameraConfig GenericCamera::config() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return config_;
}

void GenericCamera::setConfig(GenericCameraConfig config) {
    std::lock_guard<std::mutex> lock(mutex_);
    config_ = std::move(config);
}

void GenericCamera::setOperations(std::vector<uint16_t> operations) {
    std::lock_guard<std::mutex> lock(mutex_);
    config_.operations = std::move(operations);
}

std::string GenericCamera::modelName() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return config_.model;
}

uint32_t GenericCamera::addJpegObject(uint32_t size, uint8_t orientation, std::string name, uint32_t storage) {
    JpegRecipe recipe;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        recipe.make = config_.manufacturer;
        recipe.model = config_.model;
    }
    recipe.size = size;
    recipe.orientation = orientation;
    recipe.seed = size ^ orientation;
    auto image = jpegImage(recipe);
    SimObject o;
    o.storage = storage;
    o.name = std::move(name);
    o.bytes = std::shared_ptr<const std::vector<uint8_t>>(image, &image->bytes);
    o.thumbnail = image->thumbnail;
    o.thumbWidth = image->thumbWidth;
    o.thumbHeight = image->thumbHeight;
    o.width = image->width;
    o.height = image->height;
    o.orientation = orientation;
    return addObject(std::move(o));
}

uint32_t GenericCamera::addObject(SimObject object) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (object.handle == 0) object.handle = nextHandle_++;
    if (object.storage == 0) object.storage = config_.storages.empty() ? 0x00010001 : config_.storages.front();
    if (object.name.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%04u.JPG", object.handle & 0xFFFF);
        object.name = name;
    }
    const uint32_t handle = object.handle;
    objects_[handle] = std::move(object);
    return handle;
}

bool GenericCamera::removeObject(uint32_t handle) {
    std::lock_guard<std::mutex> lock(mutex_);
    return objects_.erase(handle) != 0;
}

std::optional<SimObject> GenericCamera::object(uint32_t handle) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = objects_.find(handle);
    if (it == objects_.end()) return std::nullopt;
    return it->second;
}

std::vector<uint32_t> GenericCamera::handles() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint32_t> out;
    for (const auto& [h, o] : objects_) out.push_back(h);
    return out;
}

void GenericCamera::answerBusy(int times, uint16_t code) {
    std::lock_guard<std::mutex> lock(mutex_);
    busyLeft_ = times;
    busyCode_ = code;
}

bool GenericCamera::sessionOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sessionOpen_;
}

std::vector<uint16_t> GenericCamera::operationsReceived() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

std::vector<uint8_t> GenericCamera::deviceInfoDataset() const {
    std::lock_guard<std::mutex> lock(mutex_);
    const GenericCameraConfig& c = config_;
    std::vector<uint8_t> d;
    wire::put16(d, c.standardVersion);
    wire::put32(d, c.vendorExtensionId);
    wire::put16(d, c.vendorExtensionVersion);
    putString(d, c.vendorExtensionDesc);
    wire::put16(d, 0);  // functional mode
    putCodes(d, c.operations);
    putCodes(d, c.events);
    putCodes(d, c.properties);
    putCodes(d, c.captureFormats);
    putCodes(d, c.imageFormats);
    putString(d, c.manufacturer);
    putString(d, c.model);
    putString(d, c.deviceVersion);
    putString(d, c.serialNumber);
    return d;
}

std::vector<uint8_t> GenericCamera::objectInfoDataset(const SimObject& o, bool canonForm) const {
    std::vector<uint8_t> d;
    wire::put32(d, o.storage);
    wire::put16(d, o.format);
    wire::put16(d, 0);  // protection
    wire::put32(d, o.bytes ? uint32_t(o.bytes->size()) : 0);
    wire::put16(d, o.thumbnail.empty() ? 0 : 0x3808);
    wire::put32(d, uint32_t(o.thumbnail.size()));
    if (canonForm) wire::put32(d, 0);
    wire::put32(d, uint32_t(o.thumbWidth));
    wire::put32(d, uint32_t(o.thumbHeight));
    wire::put32(d, uint32_t(o.width));
    wire::put32(d, uint32_t(o.height));
    wire::put32(d, 24);
    wire::put32(d, 0);  // parent
    wire::put16(d, o.associationType);
    wire::put32(d, 0);
    wire::put32(d, 0);  // sequence
    putString(d, o.name);
    putString(d, o.captureDate);
    putString(d, o.modificationDate);
    putString(d, o.keywords);
    return d;
}

void GenericCamera::holdNext(uint16_t code) {
    std::lock_guard<std::mutex> lock(holdMutex_);
    holdCode_ = code;
}

bool GenericCamera::holding() const {
    std::lock_guard<std::mutex> lock(holdMutex_);
    return held_;
}

void GenericCamera::releaseHeld() {
    std::lock_guard<std::mutex> lock(holdMutex_);
    holdCode_.reset();
    held_ = false;
    holdChanged_.notify_all();
}

PtpResult GenericCamera::handleOperation(const PtpOperation& op) {
    {
        std::unique_lock<std::mutex> lock(holdMutex_);
        if (holdCode_ && *holdCode_ == op.code) {
            holdCode_.reset();
            held_ = true;
            holdChanged_.wait(lock, [this] { return !held_; });
        }
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        received_.push_back(op.code);
        if (busyLeft_ > 0) {
            --busyLeft_;
            return PtpResult::withCode(busyCode_);
        }
    }
    if (auto vendor = handleVendorOperation(op)) return *vendor;
    return handleStandard(op);
}

PtpResult GenericCamera::handleStandard(const PtpOperation& op) {
    const auto param = [&](size_t i) { return i < op.params.size() ? op.params[i] : 0u; };
    std::unique_lock<std::mutex> lock(mutex_);
    const bool listed =
        std::find(config_.operations.begin(), config_.operations.end(), op.code) != config_.operations.end();
    if (!listed && op.code != 0x1001) return PtpResult::withCode(kNotSupported);
    if (op.code == 0x1001) {
        lock.unlock();
        return PtpResult::withData(deviceInfoDataset());
    }
    if (op.code == 0x1002) {
        if (sessionOpen_) return PtpResult::withCode(kSessionAlreadyOpen);
        sessionOpen_ = true;
        return PtpResult::ok();
    }
    if (!sessionOpen_) return PtpResult::withCode(kSessionNotOpen);
    switch (op.code) {
        case 0x1003:
            sessionOpen_ = false;
            return PtpResult::ok();
        case 0x1004:
            return PtpResult::withData(uint32Array(config_.storages));
        case 0x1006:
        case 0x1007: {
            const uint32_t storage = param(0), format = param(1);
            if (storage != 0xFFFFFFFF && storage != 0 &&
                std::find(config_.storages.begin(), config_.storages.end(), storage) == config_.storages.end())
                return PtpResult::withCode(kInvalidStorage);
            std::vector<uint32_t> found;
            for (const auto& [h, o] : objects_)
                if ((storage == 0xFFFFFFFF || storage == 0 || o.storage == storage) && (format == 0 || o.format == format))
                    found.push_back(h);
            if (op.code == 0x1007) return PtpResult::withData(uint32Array(found));
            PtpResult r;
            r.params = {uint32_t(found.size())};
            return r;
        }
        case 0x1008:
        case 0x9170: {
            auto it = objects_.find(param(0));
            if (it == objects_.end()) return PtpResult::withCode(kInvalidHandle);
            return PtpResult::withData(objectInfoDataset(it->second, op.code == 0x9170));
        }
        case 0x1009: {
            auto it = objects_.find(param(0));
            if (it == objects_.end()) return PtpResult::withCode(kInvalidHandle);
            auto bytes = it->second.bytes;
            lock.unlock();
            return PtpResult::withData(bytes ? *bytes : std::vector<uint8_t>{});
        }
        case 0x100A: {
            auto it = objects_.find(param(0));
            if (it == objects_.end()) return PtpResult::withCode(kInvalidHandle);
            if (it->second.thumbnail.empty()) return PtpResult::withCode(kNoThumbnail);
            return PtpResult::withData(it->second.thumbnail);
        }
        case 0x100B: {
            const uint32_t handle = param(0);
            if (handle == 0xFFFFFFFF) {
                objects_.clear();
                return PtpResult::ok();
            }
            return PtpResult::withCode(objects_.erase(handle) ? kOk : kInvalidHandle);
        }
        default:
            return PtpResult::withCode(kNotSupported);
    }
}

}  // namespace devicesim
