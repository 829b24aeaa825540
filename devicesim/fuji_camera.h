#pragma once
// A simulated Fujifilm camera: DeviceInfo "FUJIFILM" with one of three bodies (X-T3, GFX 100, X-H2), property
// descriptors for the codes the host reads at session open (text-valued image size, media capacity, lens f-stops,
// focal length, focus area and user comment), PC priority, the capture-mode property 0xD208 driven by InitiateCapture
// (half press with the AF status 0xD209 going to focused or failed, full press, bulb, movie), live view through
// InitiateOpenCapture with bare JPEG frames from the device's live-view command and its end through the device's
// end-open-capture command, the focus position and area, and pictures that the device takes over: each stays in
// GetObjectHandles until the device has copied it onto its SD card and announced it with an object-added record
// (a RAF file with an embedded JPEG beside the JPEG when the quality records RAW and the device keeps raws).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/camera_properties.h"
#include "devicesim/property_set_log.h"
#include "devicesim/device.h"
#include "devicesim/sd_card.h"

namespace devicesim {

enum class FujiBody {
    XT3,     // "X-T3": tap focus
    Gfx100,  // "GFX 100": medium format
    XH2,     // "X-H2": takes sets and shots while live view runs
};

std::string fujiBodyModel(FujiBody body);
std::optional<FujiBody> fujiBodyNamed(const std::string& name);  // "x-t3", "gfx100", "x-h2"

struct FujiCameraOptions {
    FujiBody body = FujiBody::XT3;
    uint32_t jpegSize = 120 * 1024;  // size of each captured JPEG
    int afReads = 2;                 // reads of 0xD209 that still answer "Unknown" after a press
};

// A RAF file: a header naming the model, the JPEG preview at a fixed offset (located through the header's
// big-endian offset and length), then raw data.
std::vector<uint8_t> makeRafFile(const std::vector<uint8_t>& jpeg, const std::string& model);
inline constexpr size_t kRafPreviewOffset = 0x94;

class FujiCamera : public PropertyCamera {
public:
    explicit FujiCamera(FujiCameraOptions options = {});
    ~FujiCamera() override;

    // Takes over the device's end-open-capture (0x86), live-view-frame (0x88) and save-raws (0xD5) commands.
    void attach(Device& device) override;
    // The device's card, where pictures go when the device takes them over.
    void useCard(std::shared_ptr<SdCard> card);
    std::vector<uint8_t> pollEvents(uint8_t pollFlag) override;

    FujiCameraOptions options() const { return options_; }

    // --- on demand ---
    // The next autofocus fails (0xD209 ends at 3).
    void failNextAutoFocus();
    // The next `count` InitiateOpenCapture requests answer 0x2019.
    void refuseLiveView(int count);
    // The next InitiateCapture answers `code` and does nothing.
    void failNextCapture(uint16_t code);

    // Pictures taken on the camera itself, `count` in a burst; the device takes them over to its card at its next
    // poll and announces them.
    void shootOnCamera(int count = 1);

    // --- what happened ---
    bool liveViewOn() const;
    bool halfPressed() const;
    bool bulbOpen() const;
    bool recording() const;
    int shots() const;
    int bulbExposures() const;
    int liveViewStarts() const;
    int liveViewStops() const;
    // The focus position (0xD171) at each picture taken, in order.
    std::vector<int64_t> shotFocusPositions() const;
    std::vector<uint32_t> captureModes() const;  // every 0xD208 value InitiateCapture acted on, in order
    std::vector<std::string> filesTaken() const; // names of the pictures the device took over
    uint8_t saveRawsFlag() const;                // as last sent with 0xD5 (0 keeps raws)

    // --- property sets: every SetDevicePropValue noted, refusals on demand ---
    PropertySetLog& propertySets() { return setLog_; }

protected:
    std::optional<PtpResult> handleVendorOperation(const PtpOperation& op) override;

private:
    void addBodyProperties();
    PtpResult initiateCapture();
    void takePicture();
    void handOver();
    std::vector<uint8_t> frame();

    FujiCameraOptions options_;
    mutable std::mutex fujiMutex_;  // everything below; never held while the base camera's locks are taken
    std::shared_ptr<SdCard> card_;
    bool liveView_ = false, halfPressed_ = false, bulbOpen_ = false, recording_ = false;
    bool failAf_ = false;
    int afReadsLeft_ = 0;
    uint32_t afResult_ = 2;
    int refuseLiveView_ = 0;
    uint16_t failCapture_ = 0;
    int shots_ = 0, bulbs_ = 0, lvStarts_ = 0, lvStops_ = 0;
    std::vector<uint32_t> modes_;
    std::vector<int64_t> shotFocus_;
    std::vector<std::string> taken_;
    std::vector<uint32_t> pendingObjects_;
    bool handOverDue_ = false;  // the pending pictures were listed once
    uint32_t nextFileNumber_ = 1;
    uint8_t saveRaws_ = 0;
    uint32_t frameSeed_ = 0;
    std::vector<std::vector<uint8_t>> frames_;  // bare JPEG frames, in turn
    PropertySetLog setLog_;
};

// The camera that `vorlaxent-devicesim --camera fuji` runs: the X-T3 unless another body is named.
std::shared_ptr<FujiCamera> makeFujiCamera(FujiBody body = FujiBody::XT3);

}  // namespace devicesim
