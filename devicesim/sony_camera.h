#pragma once
// A simulated Sony camera: DeviceInfo "Sony Corporation" with one of three bodies, the all-properties reply of
// descriptors (with the second allowed-value list on the extended-format body, and the display-only count that
// older bodies hide behind other words), direct sets (0x9205), control writes (0x9207) that step the shutter,
// aperture and ISO by notches on the older bodies and press the virtual buttons, the focus and saving states, live
// view through object 0xFFFFC002 (a focus block, then the JPEG), zoom, movie, the lens drive and the focus toggle.
// Each picture taken goes onto the device's SD card, announced by an object-added record; every change of a
// property is announced by a property-changed record (and a "re-read everything" record on demand).
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "devicesim/event_records.h"
#include "devicesim/generic_camera.h"
#include "devicesim/property_set_log.h"
#include "devicesim/sd_card.h"

namespace devicesim {

enum class SonyBody {
    A7M3,   // "ILCE-7M3": button control; shutter, aperture and ISO stepped one notch at a time
    A7RM4,  // "ILCE-7RM4": extended format (second lists, direct sets, zoom by position property)
    A6300,  // "ILCE-6300": no button control; RAW + JPEG written as code 19; display-only exposure program
};

struct SonyCameraOptions {
    SonyBody body = SonyBody::A7M3;
    uint32_t jpegSize = 200 * 1024;
    bool focusBlockLate = false;  // the live-view focus block after a longer header
    std::shared_ptr<SdCard> card;  // the device's card; none: a card of the camera's own
};

std::string sonyBodyModel(SonyBody body);
std::optional<SonyBody> sonyBodyNamed(const std::string& name);

// One property as the camera keeps it.
struct SonySimProperty {
    uint16_t code = 0;
    uint16_t type = 4;  // PTP data type (1-8), or 0xFFFF for a text
    uint8_t state = 1;  // 1 settable, 2 display only
    uint64_t value = 0;
    std::string text;
    uint8_t form = 0;  // 0 none, 1 range, 2 enumeration
    std::vector<uint64_t> list;
    int64_t rangeMin = 0, rangeMax = 0, rangeStep = 0;
    int hiddenCountWords = 0;  // words ahead of the enumeration's count (display-only programs of older bodies)
};

// One 0x9207 write as the camera received it.
struct SonyControlWrite {
    uint16_t code;
    int32_t value;
};

class SonyCamera : public GenericCamera {
public:
    explicit SonyCamera(SonyCameraOptions options = {});
    ~SonyCamera() override;

    std::vector<uint8_t> pollEvents(uint8_t pollFlag) override;

    SonyBody body() const { return options_.body; }
    void setCard(std::shared_ptr<SdCard> card);
    std::shared_ptr<SdCard> card() const;

    std::optional<SonySimProperty> property(uint16_t code) const;
    uint64_t propertyValue(uint16_t code) const;
    // Changes a value as the user would on the camera, announced by a property-changed record.
    void setPropertyValue(uint16_t code, uint64_t value);
    // Announces that everything must be read again.
    void requestReloadAll();
    // Queues an event record (a 38-byte record of the device's format) for the next poll, as for a picture that
    // reached the card by another way.
    void queueRecord(const std::vector<uint8_t>& record);
    // The all-properties reply as the camera sends it.
    std::vector<uint8_t> allPropertiesReply() const;

    // The next `times` all-properties reads are answered by the device alone, without data (a response of code 0).
    void answerAllPropertiesWithoutData(int times = 1);
    // The next down-press of a button answers `code` (and the press does not happen).
    void failNextPress(uint16_t button, uint16_t code = 0x2002);
    std::vector<SonyControlWrite> controlWrites() const;
    // --- property sets: every direct set (0x9205) and control write (0x9207) noted, refusals on demand ---
    PropertySetLog& propertySets() { return setLog_; }
    // Waits until every picture taken so far is on the card.
    void waitForPictures();
    // Pictures taken on the camera itself, `count` in a burst; each reaches the device's card a moment later and
    // is announced by the device's record.
    void shootOnCamera(int count = 1);
    // Buttons held down now.
    bool buttonDown(uint16_t button) const;
    // Pictures taken (counted at the press; each reaches the card a moment later).
    int shots() const;
    std::vector<std::string> pictures() const;
    bool recording() const;
    int liveViewFrames() const;
    // The JPEG of the last live-view frame served.
    std::vector<uint8_t> lastLiveViewJpeg() const;

    static constexpr uint32_t kLiveViewHandle = 0xFFFFC002;

protected:
    std::optional<PtpResult> handleVendorOperation(const PtpOperation& op) override;

private:
    void build();
    void add(SonySimProperty p);
    // Changes a value under the lock and queues its record.
    void change(uint16_t code, uint64_t value);
    PtpResult setControl(const PtpOperation& op);
    PtpResult writeControl(const PtpOperation& op);
    PtpResult liveViewFrame();
    void takePicture(int number, std::shared_ptr<SdCard> card);
    std::vector<uint8_t> descriptor(const SonySimProperty& p) const;

    SonyCameraOptions options_;
    mutable std::mutex simMutex_;
    std::map<uint16_t, SonySimProperty> props_;
    std::vector<uint16_t> order_;
    EventRecordQueue records_;
    std::map<uint16_t, uint16_t> failPress_;
    int allPropertiesWithoutData_ = 0;
    std::vector<SonyControlWrite> writes_;
    std::map<uint16_t, bool> down_;
    std::vector<std::string> pictures_;
    int shots_ = 0;
    int frames_ = 0;
    std::vector<uint8_t> lastJpeg_;
    std::vector<std::thread> fetches_;  // the device fetching pictures to its card, after the press was answered
    uint64_t autoFocusMode_ = 2;
    PropertySetLog setLog_;
};

std::shared_ptr<SonyCamera> makeSonyCamera(SonyBody body = SonyBody::A7M3);

}  // namespace devicesim
