#pragma once
// The device's own command set over state it keeps: the camera-attached query, versions, battery, clock, sharing
// and watermark settings, SD transfer, the SD card's files (list, thumbnail, size, ranged reads, the JPEG inside a
// RAW file, delete, copy from the camera, format), ranged reads of camera objects, live-view frames, the event
// poll, the property snapshot and files sent to the device. install() registers every handler with a Device.
//
// Data that a command shares with the device's other clients (a data wrapper with sub-code 0xA0 or 0xA1) is noted
// in sharedTransfers(); with 0xA0 nothing comes back to the host.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/device.h"
#include "devicesim/sd_card.h"

namespace devicesim {

struct WatermarkSettings {
    bool show = false;
    uint8_t location = 0;
    uint8_t size = 0;
    std::string text;
};

struct SdTransferSettings {
    bool autoCopy = false;
    std::string prefix;
    std::string second;
};

// What went to the sharing clients: the command (or PTP operation), the wrapper's sub-codes and data, and the bytes
// shared (empty when only the wrapper is known).
struct SharedTransfer {
    uint8_t command = 0;
    uint8_t subCodeA = 0;
    uint8_t subCodeB = 0;
    std::vector<uint8_t> wrapperData;
    size_t bytes = 0;
};

class DeviceCommandSet {
public:
    explicit DeviceCommandSet(std::shared_ptr<SdCard> card = std::make_shared<SdCard>());

    // Registers every command handler with the device.
    void install(Device& device);

    SdCard& card() { return *card_; }
    // The card put in or pulled out as a user does it: the device tells the host with an SD-card status packet
    // (0xFD: 0x2001 inserted, 0xFF16 removed). False when no host is connected to hear it.
    bool setCardPresent(Device& device, bool present);
    std::shared_ptr<SdCard> cardPointer() { return card_; }

    // Settings and readings (thread-safe).
    void setFirmwareVersion(uint8_t v);
    // None: the device does not know 0x31 and answers 0xFF15.
    void setHardwareVersion(std::optional<float> v);
    void setBatteryStatus(std::vector<uint8_t> reply);  // the 0x87 reply as sent (44 bytes normally)
    static std::vector<uint8_t> batteryReply(uint16_t voltage, uint16_t percentage, int16_t current,
                                             uint16_t remainingMinutes, uint16_t temperatureDeciKelvin);
    void setFujiCallbackValue(uint16_t v);
    void setAutoShare(uint8_t sharing);
    void setLiveViewFrame(std::vector<uint8_t> frame);
    // A code other than 0: the sharing switch (0x70) is refused with it and the flag stays as it was.
    void setSharingRefusal(uint16_t code);
    // What 0xD7 (the camera on the device's USB port) answers from now on, camera or not: a model name (a body
    // that no PTP session reaches, e.g. one that needs newer device firmware), or none to fail the command. Until
    // this is called it names the attached camera's model, and fails without one.
    void setUsbPortReport(std::optional<std::string> modelName);
    void setSnapshotProvider(std::function<std::vector<uint8_t>(const std::vector<uint32_t>& codes)> provider);

    std::optional<int64_t> clock() const;  // as last set by 0xF4
    uint8_t sharingFlag() const;
    WatermarkSettings watermark() const;
    SdTransferSettings sdTransfer() const;
    uint8_t autoShare() const;
    uint8_t saveFujiRaws() const;
    uint8_t clientsCanSave() const;  // as last set by 0x81
    // The sharing and raw-saving settings as the device took (or refused) them, one line each, in order:
    // "sharing 1", "sharing refused 1", "clients-can-save 0", "watermark off",
    // "watermark on size 3 location 1 text <text>", "save-fuji-raws 1".
    std::vector<std::string> settingsLog() const;
    int formatCount() const;
    uint8_t lastPollFlag() const;
    std::vector<uint32_t> newObjectNotices() const;
    std::vector<std::vector<uint8_t>> filesReceived() const;  // 0xD0 payloads
    int cancelCount() const;
    std::vector<SharedTransfer> sharedTransfers() const;

private:
    void noteShared(const CommandRequest& request, size_t bytes);

    std::shared_ptr<SdCard> card_;
    mutable std::mutex mutex_;
    uint8_t firmware_ = 42;
    std::optional<float> hardware_ = 2.5f;
    std::vector<uint8_t> battery_;
    uint16_t fujiCallback_ = 0x2001;
    uint8_t autoShare_ = 0;
    std::vector<uint8_t> liveViewFrame_;
    std::function<std::vector<uint8_t>(const std::vector<uint32_t>&)> snapshot_;
    std::optional<int64_t> clock_;
    uint8_t sharingFlag_ = 0;
    WatermarkSettings watermark_;
    SdTransferSettings sdTransfer_;
    uint8_t saveFujiRaws_ = 0;
    uint16_t sharingRefusal_ = 0;
    std::optional<std::optional<std::string>> usbPortReport_;
    uint8_t clientsCanSave_ = 0;
    std::vector<std::string> settingsLog_;
    int formatCount_ = 0;
    uint8_t lastPollFlag_ = 0;
    std::vector<uint32_t> notices_;
    std::vector<std::vector<uint8_t>> files_;
    int cancels_ = 0;
    std::vector<SharedTransfer> shared_;
};

}  // namespace devicesim
