#pragma once
// A simulated Nikon camera: DeviceInfo "Nikon Corporation" with one of four bodies (D850, D90, D7000, Z 6), host
// mode, the device's property snapshot (command 0xEB), property descriptors and sets reported in the Nikon event
// list (u16 count, then u16 code and u32 parameter per event), capture with the device-ready poll (busy, done,
// buffer full, autofocus failure), live view in the body's frame form, manual focus drive with an end of travel,
// zoom and zoom area, movie recording and bulb.
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/camera_properties.h"
#include "devicesim/nikon_frames.h"
#include "devicesim/property_set_log.h"

namespace devicesim {

enum class NikonBody {
    D850,   // length-prefixed live-view header, capture with AF (0x9207), raw sizes
    D90,    // 128-byte live-view header, InitiateCapture only, contrast-detect AF
    D7000,  // 384-byte live-view header
    Z6,     // mirrorless: live view always on, frames through 0x9428
};

struct NikonCameraOptions {
    NikonBody body = NikonBody::D850;
    std::string model;  // empty: the body's own model name
    uint32_t jpegSize = 120 * 1024;
    uint16_t liveViewWidth = 6048;  // the frame size zoom-area coordinates refer to
    uint16_t liveViewHeight = 4024;
    int64_t focusTravel = 1000;  // lens positions from the near end (0) to the far end
    std::vector<uint16_t> extraOperations;  // listed in DeviceInfo besides the body's own
    // D850: the automatic ISO of the P, A, S and M modes (0xD054, on), which then takes over from 0xD16A.
    bool autoIsoInExposureModes = false;
};

std::string nikonBodyModel(NikonBody body);
std::optional<NikonBody> nikonBodyNamed(const std::string& name);

class NikonCamera : public PropertyCamera {
public:
    explicit NikonCamera(NikonCameraOptions options = {});

    std::vector<uint8_t> pollEvents(uint8_t pollFlag) override;
    // Installs the device's property-snapshot command for this camera.
    void attach(Device& device) override;
    // The snapshot reply for the codes asked: per code a u32 length then its descriptor (length 0 when unknown).
    std::vector<uint8_t> snapshot(const std::vector<uint32_t>& codes) const;

    NikonCameraOptions options() const { return options_; }
    int64_t value(uint16_t code) const;

    // --- on demand ---
    void queueNikonEvent(uint16_t code, uint32_t parameter);
    // Pictures taken on the camera itself (its own shutter button), each a new object announced by an
    // object-added event.
    void shootOnCamera(int count = 1);
    // A card swapped for another: the pictures are gone and file numbering begins again at 1 (the next pictures
    // bear the names of the first ones on the earlier card, under new handles).
    void swapCard();
    // A picture whose object-added event never reaches the host (lost with a reply the link cut): on the card, in
    // the handle list, but announced by nothing. Returns its handle.
    uint32_t shootUnannounced();
    // Sets a value on the camera (a dial turned) and reports it.
    void turnDial(uint16_t code, int64_t value);
    // The same for a property whose values are texts.
    void turnTextDial(uint16_t code, const std::string& text);
    // A picture that the camera announces under a handle of its own choosing (the copies a body keeps in its
    // memory and on the card carry handles from different ranges).
    uint32_t announcePicture(uint32_t handle);
    // The next `count` captures answer 0xA207 (buffer full) and take nothing.
    void fillBuffer(int count);
    // The next `count` captures take their picture, and then the device-ready poll answers 0xA207 (the buffer
    // filled with it).
    void fillBufferAfterCapture(int count);
    // The device-ready poll after each capture answers busy this many times first.
    void setReadyBusy(int count);
    // The next capture with autofocus fails to focus (the device-ready poll answers 0xA002).
    void failNextAutoFocus();
    // The next `count` manual focus drives answer 0x2019 (busy) and leave the lens where it is.
    void busyFocusDrives(int count);

    // --- what happened ---
    bool hostMode() const;
    bool liveViewOn() const;
    bool recording() const;
    bool bulbOpen() const;
    int shots() const;
    int autoFocusCount() const;
    int64_t focusPosition() const;
    // The focus position at each picture taken, in order.
    std::vector<int64_t> shotFocusPositions() const;
    std::pair<uint32_t, uint32_t> zoomArea() const;
    std::vector<uint32_t> captured() const;
    // The first parameter of every capture request, in order.
    std::vector<uint32_t> captureFirstParams() const;

    // --- property sets: every SetDevicePropValue noted, refusals on demand ---
    PropertySetLog& propertySets() { return setLog_; }

protected:
    std::optional<PtpResult> handleVendorOperation(const PtpOperation& op) override;

private:
    void addBodyProperties();
    void setQuietly(uint16_t code, int64_t value);
    PtpResult capture(const PtpOperation& op, bool withAf);
    PtpResult deviceReady();
    PtpResult frame(bool extended);
    PtpResult mfDrive(const PtpOperation& op);
    uint32_t takePicture();
    void queueLocked(uint16_t code, uint32_t parameter);

    NikonCameraOptions options_;
    mutable std::mutex nikonMutex_;  // everything below; never held while the base classes' locks are taken
    std::vector<std::pair<uint16_t, uint32_t>> events_;
    std::deque<uint16_t> readyAnswers_;
    int readyBusy_ = 0;
    int bufferFull_ = 0;
    int bufferFullAfter_ = 0;
    bool failAf_ = false;
    bool hostMode_ = false, liveView_ = false, recording_ = false, bulbOpen_ = false;
    int shots_ = 0, afCount_ = 0;
    int64_t focus_ = 500;
    std::vector<int64_t> shotFocus_;
    int busyDrives_ = 0;
    uint32_t zoomX_ = 0, zoomY_ = 0;
    std::vector<uint32_t> captured_;
    std::vector<uint32_t> captureParams_;
    uint32_t fileNumber_ = 1;
    uint32_t frameSeed_ = 0;
    PropertySetLog setLog_;
};

// The camera that `vorlaxent-devicesim --camera nikon` runs: the D850 unless another body is named.
std::shared_ptr<NikonCamera> makeNikonCamera(NikonBody body = NikonBody::D850);

}  // namespace devicesim
