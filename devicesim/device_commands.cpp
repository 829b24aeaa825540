#include "devicesim/device_commands.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "devicesim/generic_camera.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

constexpr uint16_t kGeneralError = 0x2002;
constexpr uint16_t kInvalidHandle = 0x2009;
constexpr uint16_t kUnknownCommand = 0xFF15;
constexpr uint16_t kNoCard = 0xFF16;

CommandReply fail(uint16_t code) { return CommandReply::withCode(code); }

// A zero-terminated name at `at` in the payload; none when there is no terminator.
std::optional<std::string> nameAt(const std::vector<uint8_t>& payload, size_t at) {
    if (at >= payload.size()) return std::nullopt;
    auto end = std::find(payload.begin() + long(at), payload.end(), uint8_t(0));
    if (end == payload.end()) return std::nullopt;
    return std::string(payload.begin() + long(at), end);
}

bool sharedOnly(const CommandRequest& r) { return r.wrapper && r.wrapper->subCodeA == 0xA0; }

std::shared_ptr<GenericCamera> genericCamera(Device& device) {
    return std::dynamic_pointer_cast<GenericCamera>(device.camera());
}

// Bytes [offset, offset + count) of data, clipped at its end; none when the offset lies past it.
std::optional<std::vector<uint8_t>> range(const std::vector<uint8_t>& data, uint64_t offset, uint64_t count) {
    if (offset > data.size()) return std::nullopt;
    const uint64_t n = std::min<uint64_t>(count, data.size() - offset);
    return std::vector<uint8_t>(data.begin() + long(offset), data.begin() + long(offset + n));
}

}  // namespace

DeviceCommandSet::DeviceCommandSet(std::shared_ptr<SdCard> card) : card_(std::move(card)) {
    battery_ = batteryReply(7400, 80, -350, 240, 2981);
}

std::vector<uint8_t> DeviceCommandSet::batteryReply(uint16_t voltage, uint16_t percentage, int16_t current,
                                                    uint16_t remainingMinutes, uint16_t temperatureDeciKelvin) {
    std::vector<uint8_t> r(44, 0);
    auto set16 = [&](size_t at, uint16_t v) {
        r[at] = uint8_t(v);
        r[at + 1] = uint8_t(v >> 8);
    };
    set16(8, voltage);
    set16(14, 2000);                            // nominal capacity
    set16(16, uint16_t(2000 * percentage / 100));  // remaining
    set16(18, 1950);                            // total
    set16(20, uint16_t(current));
    set16(22, remainingMinutes);
    set16(32, percentage);
    set16(36, temperatureDeciKelvin);
    return r;
}

void DeviceCommandSet::noteShared(const CommandRequest& request, size_t bytes) {
    if (!request.wrapper || (request.wrapper->subCodeA != 0xA0 && request.wrapper->subCodeA != 0xA1)) return;
    std::lock_guard<std::mutex> lock(mutex_);
    shared_.push_back({request.command, request.wrapper->subCodeA, request.wrapper->subCodeB, request.wrapper->data,
                       bytes});
}

void DeviceCommandSet::install(Device& device) {
    auto on = [&device](uint8_t command, CommandHandler handler) { device.setCommandHandler(command, std::move(handler)); };

    on(0x10, [](Device& d, const CommandRequest&) { return CommandReply::ok({uint8_t(d.camera() ? 1 : 0)}); });
    on(0x30, [this](Device&, const CommandRequest&) {
        std::lock_guard<std::mutex> lock(mutex_);
        return CommandReply::ok({firmware_});
    });
    on(0x31, [this](Device&, const CommandRequest&) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!hardware_) return fail(kUnknownCommand);
        uint32_t bits;
        std::memcpy(&bits, &*hardware_, 4);
        std::vector<uint8_t> out;
        wire::put32(out, bits);
        return CommandReply::ok(out);
    });
    on(0x41, [this](Device& d, const CommandRequest& r) {
        if (r.payload.size() != 12) return fail(kGeneralError);
        auto camera = genericCamera(d);
        auto object = camera ? camera->object(wire::get32(r.payload.data())) : std::nullopt;
        if (!object || !object->bytes) return fail(kInvalidHandle);
        auto part = range(*object->bytes, wire::get32(r.payload.data() + 4), wire::get32(r.payload.data() + 8));
        if (!part) return fail(kGeneralError);
        noteShared(r, part->size());
        return CommandReply::ok(sharedOnly(r) ? std::vector<uint8_t>{} : std::move(*part));
    });
    on(0x70, [this](Device&, const CommandRequest& r) {
        if (r.payload.size() != 1) return fail(kGeneralError);
        std::lock_guard<std::mutex> lock(mutex_);
        if (sharingRefusal_ != 0) {
            settingsLog_.push_back("sharing refused " + std::to_string(r.payload[0]));
            return fail(sharingRefusal_);
        }
        sharingFlag_ = r.payload[0];
        settingsLog_.push_back("sharing " + std::to_string(sharingFlag_));
        return CommandReply::ok();
    });
    on(0x81, [this](Device&, const CommandRequest& r) {
        if (r.payload.size() != 1) return fail(kGeneralError);
        std::lock_guard<std::mutex> lock(mutex_);
        clientsCanSave_ = r.payload[0];
        settingsLog_.push_back("clients-can-save " + std::to_string(clientsCanSave_));
        return CommandReply::ok();
    });
    on(0x80, [this](Device&, const CommandRequest& r) {
        if (r.payload.size() != 135 || wire::get32(r.payload.data()) != 135) return fail(kGeneralError);
        WatermarkSettings w;
        w.show = r.payload[4] != 0;
        w.location = r.payload[5];
        w.size = r.payload[6];
        const char* text = reinterpret_cast<const char*>(r.payload.data() + 7);
        w.text.assign(text, strnlen(text, 128));
        std::lock_guard<std::mutex> lock(mutex_);
        watermark_ = w;
        settingsLog_.push_back(w.show ? "watermark on size " + std::to_string(w.size) + " location " +
                                            std::to_string(w.location) + " text " + w.text
                                      : std::string("watermark off"));
        return CommandReply::ok();
    });
    on(0x82, [this](Device& d, const CommandRequest& r) {
        if (r.payload.size() != 1) return fail(kGeneralError);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            lastPollFlag_ = r.payload[0];
        }
        auto camera = d.camera();
        // A camera pulled off the USB port mid-session: the poll fails, so that the host looks for it again.
        if (!camera) return fail(kGeneralError);
        return CommandReply::ok(camera->pollEvents(r.payload[0]));
    });
    on(0x86, [this](Device&, const CommandRequest&) {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<uint8_t> out;
        wire::put16(out, fujiCallback_);
        return CommandReply::ok(out);
    });
    on(0x87, [this](Device&, const CommandRequest&) {
        std::lock_guard<std::mutex> lock(mutex_);
        return CommandReply::ok(battery_);
    });
    on(0x88, [this](Device&, const CommandRequest& r) {
        std::vector<uint8_t> frame;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            frame = liveViewFrame_;
        }
        if (frame.empty()) return fail(0xA102);  // no frame yet
        noteShared(r, frame.size());
        return CommandReply::ok(sharedOnly(r) ? std::vector<uint8_t>{} : frame);
    });
    on(0xB1, [this](Device& d, const CommandRequest& r) {
        if (r.payload.size() != 4) return fail(kGeneralError);
        auto camera = genericCamera(d);
        auto object = camera ? camera->object(wire::get32(r.payload.data())) : std::nullopt;
        if (!object || !object->bytes) return fail(kInvalidHandle);
        std::vector<uint8_t> jpeg = embeddedJpeg(*object->bytes);
        if (jpeg.empty()) return fail(kGeneralError);
        noteShared(r, jpeg.size());
        return CommandReply::ok(sharedOnly(r) ? std::vector<uint8_t>{} : std::move(jpeg));
    });
    on(0xB2, [this](Device&, const CommandRequest& r) {
        if (r.payload.size() != 129) return fail(kGeneralError);
        SdTransferSettings s;
        s.autoCopy = r.payload[0] != 0;
        s.prefix.assign(reinterpret_cast<const char*>(r.payload.data() + 1), strnlen(reinterpret_cast<const char*>(r.payload.data() + 1), 64));
        s.second.assign(reinterpret_cast<const char*>(r.payload.data() + 65), strnlen(reinterpret_cast<const char*>(r.payload.data() + 65), 64));
        std::lock_guard<std::mutex> lock(mutex_);
        sdTransfer_ = s;
        return CommandReply::ok();
    });
    on(0xD0, [this](Device&, const CommandRequest& r) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_.push_back(r.payload);
        return CommandReply::ok();
    });
    on(0xD1, [this](Device&, const CommandRequest&) {
        std::lock_guard<std::mutex> lock(mutex_);
        return CommandReply::ok({autoShare_});
    });
    on(0xD2, [this](Device&, const CommandRequest&) {
        std::lock_guard<std::mutex> lock(mutex_);
        autoShare_ = 0;
        return CommandReply::ok();
    });
    on(0xD5, [this](Device&, const CommandRequest& r) {
        if (r.payload.size() != 1) return fail(kGeneralError);
        std::lock_guard<std::mutex> lock(mutex_);
        saveFujiRaws_ = r.payload[0];
        settingsLog_.push_back("save-fuji-raws " + std::to_string(saveFujiRaws_));
        return CommandReply::ok();
    });
    on(0xD6, [this](Device&, const CommandRequest&) {
        if (!card_->present()) return fail(kNoCard);
        std::this_thread::sleep_for(card_->formatDuration());
        card_->erase();
        std::lock_guard<std::mutex> lock(mutex_);
        ++formatCount_;
        return CommandReply::ok();
    });
    on(0xD7, [this](Device& d, const CommandRequest&) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (usbPortReport_) {
                if (!*usbPortReport_) return fail(kGeneralError);
                const std::string& name = **usbPortReport_;
                return CommandReply::ok(std::vector<uint8_t>(name.begin(), name.end()));
            }
        }
        auto camera = d.camera();
        if (!camera) return fail(kGeneralError);
        std::string name = camera->modelName();
        return CommandReply::ok(std::vector<uint8_t>(name.begin(), name.end()));
    });
    on(0xE0, [this](Device&, const CommandRequest&) {
        std::lock_guard<std::mutex> lock(mutex_);
        ++cancels_;
        return CommandReply::ok();
    });
    on(0xE3, [this](Device& d, const CommandRequest& r) {
        if (r.payload.size() != 4) return fail(kGeneralError);
        const uint32_t handle = wire::get32(r.payload.data());
        auto camera = genericCamera(d);
        auto object = camera ? camera->object(handle) : std::nullopt;
        if (!object) return fail(kInvalidHandle);
        std::lock_guard<std::mutex> lock(mutex_);
        notices_.push_back(handle);
        return CommandReply::ok({object->orientation});
    });
    on(0xEB, [this](Device&, const CommandRequest& r) {
        if (r.payload.size() != 256) return fail(kGeneralError);
        std::vector<uint32_t> codes;
        for (size_t i = 0; i < 64; ++i) codes.push_back(wire::get32(r.payload.data() + 4 * i));
        std::function<std::vector<uint8_t>(const std::vector<uint32_t>&)> provider;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            provider = snapshot_;
        }
        if (provider) return CommandReply::ok(provider(codes));
        std::vector<uint8_t> out;  // no descriptions: every property with length 0
        for (size_t i = 0; i < codes.size(); ++i) wire::put32(out, 0);
        return CommandReply::ok(out);
    });
    on(0xF0, [this](Device&, const CommandRequest&) {
        if (!card_->present()) return fail(kNoCard);
        std::string text;
        for (const std::string& name : card_->names()) text += (text.empty() ? "" : ":") + name;
        return CommandReply::ok(std::vector<uint8_t>(text.begin(), text.end()));
    });
    on(0xF2, [this](Device&, const CommandRequest& r) {
        auto name = nameAt(r.payload, 0);
        if (!name || name->size() > 255) return fail(kGeneralError);
        if (!card_->present()) return fail(kNoCard);
        auto file = card_->file(*name);
        if (!file) return fail(kInvalidHandle);
        noteShared(r, file->thumbnail.size());
        if (sharedOnly(r)) return CommandReply::ok();
        std::vector<uint8_t> out{file->orientation};
        out.insert(out.end(), file->thumbnail.begin(), file->thumbnail.end());
        return CommandReply::ok(out);
    });
    on(0xF3, [this](Device&, const CommandRequest& r) {
        auto name = nameAt(r.payload, 0);
        if (!name || name->size() > 256) return fail(kGeneralError);
        if (!card_->present()) return fail(kNoCard);
        auto file = card_->file(*name);
        if (!file) return fail(kInvalidHandle);
        std::vector<uint8_t> out;
        wire::put64(out, file->size);
        return CommandReply::ok(out);
    });
    on(0xF4, [this](Device&, const CommandRequest& r) {
        if (r.payload.size() != 8) return fail(kGeneralError);
        std::lock_guard<std::mutex> lock(mutex_);
        clock_ = int64_t(wire::get64(r.payload.data()));
        return CommandReply::ok();
    });
    on(0xF5, [this](Device&, const CommandRequest&) {
        std::vector<uint8_t> out;
        wire::put64(out, card_->present() ? 1 : 0);
        wire::put64(out, card_->freeSpace());
        return CommandReply::ok(out);
    });
    on(0xF8, [this](Device&, const CommandRequest& r) {
        if (r.payload.size() < 9) return fail(kGeneralError);
        auto name = nameAt(r.payload, 8);
        if (!name) return fail(kGeneralError);
        if (!card_->present()) return fail(kNoCard);
        auto file = card_->file(*name);
        if (!file) return fail(kInvalidHandle);
        auto part = range(*file->bytes, wire::get32(r.payload.data()), wire::get32(r.payload.data() + 4));
        if (!part) return fail(kGeneralError);
        noteShared(r, part->size());
        return CommandReply::ok(sharedOnly(r) ? std::vector<uint8_t>{} : std::move(*part));
    });
    on(0xF9, [this](Device&, const CommandRequest& r) {
        auto name = nameAt(r.payload, 0);
        if (!name || r.payload.size() > 200) return fail(kGeneralError);
        if (!card_->present()) return fail(kNoCard);
        auto file = card_->file(*name);
        if (!file) return fail(kInvalidHandle);
        std::vector<uint8_t> jpeg = embeddedJpeg(*file->bytes);
        if (jpeg.empty()) return fail(kGeneralError);
        noteShared(r, jpeg.size());
        return CommandReply::ok(sharedOnly(r) ? std::vector<uint8_t>{} : std::move(jpeg));
    });
    on(0xFC, [this](Device&, const CommandRequest& r) {
        auto name = nameAt(r.payload, 0);
        if (!name || r.payload.size() > 200) return fail(kGeneralError);
        if (!card_->present()) return fail(kNoCard);
        return card_->removeFile(*name) ? CommandReply::ok() : fail(kInvalidHandle);
    });
    on(0xFD, [this](Device& d, const CommandRequest& r) {
        if (r.payload.size() != 608) return fail(kGeneralError);
        const uint32_t handle = wire::get32(r.payload.data());
        const char* text = reinterpret_cast<const char*>(r.payload.data() + 60);
        std::string name(text, strnlen(text, 256));
        auto camera = genericCamera(d);
        auto object = camera ? camera->object(handle) : std::nullopt;
        if (!object || !object->bytes) return fail(kInvalidHandle);
        if (!card_->present()) return fail(kNoCard);
        if (name.empty()) name = object->name;
        return card_->addFile(name, object->bytes, object->thumbnail, object->orientation) ? CommandReply::ok()
                                                                                         : fail(kGeneralError);
    });
}

void DeviceCommandSet::setFirmwareVersion(uint8_t v) {
    std::lock_guard<std::mutex> lock(mutex_);
    firmware_ = v;
}
bool DeviceCommandSet::setCardPresent(Device& device, bool present) {
    card_->setPresent(present);
    return device.sendSdCardStatus(present ? 0x2001 : kNoCard);
}

void DeviceCommandSet::setUsbPortReport(std::optional<std::string> modelName) {
    std::lock_guard<std::mutex> lock(mutex_);
    usbPortReport_ = std::move(modelName);
}
void DeviceCommandSet::setHardwareVersion(std::optional<float> v) {
    std::lock_guard<std::mutex> lock(mutex_);
    hardware_ = v;
}
void DeviceCommandSet::setBatteryStatus(std::vector<uint8_t> reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    battery_ = std::move(reply);
}
void DeviceCommandSet::setFujiCallbackValue(uint16_t v) {
    std::lock_guard<std::mutex> lock(mutex_);
    fujiCallback_ = v;
}
void DeviceCommandSet::setAutoShare(uint8_t sharing) {
    std::lock_guard<std::mutex> lock(mutex_);
    autoShare_ = sharing;
}
void DeviceCommandSet::setLiveViewFrame(std::vector<uint8_t> frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    liveViewFrame_ = std::move(frame);
}
void DeviceCommandSet::setSnapshotProvider(
    std::function<std::vector<uint8_t>(const std::vector<uint32_t>& codes)> provider) {
    std::lock_guard<std::mutex> lock(mutex_);
    snapshot_ = std::move(provider);
}

std::optional<int64_t> DeviceCommandSet::clock() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clock_;
}
uint8_t DeviceCommandSet::sharingFlag() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sharingFlag_;
}
WatermarkSettings DeviceCommandSet::watermark() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return watermark_;
}
SdTransferSettings DeviceCommandSet::sdTransfer() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return sdTransfer_;
}
uint8_t DeviceCommandSet::autoShare() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return autoShare_;
}
void DeviceCommandSet::setSharingRefusal(uint16_t code) {
    std::lock_guard<std::mutex> lock(mutex_);
    sharingRefusal_ = code;
}

uint8_t DeviceCommandSet::clientsCanSave() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clientsCanSave_;
}

std::vector<std::string> DeviceCommandSet::settingsLog() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return settingsLog_;
}

uint8_t DeviceCommandSet::saveFujiRaws() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return saveFujiRaws_;
}
int DeviceCommandSet::formatCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return formatCount_;
}
uint8_t DeviceCommandSet::lastPollFlag() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastPollFlag_;
}
std::vector<uint32_t> DeviceCommandSet::newObjectNotices() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return notices_;
}
std::vector<std::vector<uint8_t>> DeviceCommandSet::filesReceived() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return files_;
}
int DeviceCommandSet::cancelCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return cancels_;
}
std::vector<SharedTransfer> DeviceCommandSet::sharedTransfers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shared_;
}

}  // namespace devicesim
