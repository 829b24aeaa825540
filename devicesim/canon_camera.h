#pragma once
// A simulated Canon camera: DeviceInfo "Canon Inc." with one of three bodies (a mirrorless body, a DSLR with JPEG
// live view and a DSLR with YUV live view), remote and event modes, Canon event data (property values and allowed
// values, objects added, busy status, on-screen exposure items), property setting echoed as events, capture with
// and without the press operations, bulb, autofocus, the lens drive (one step, and many through the device's
// repeat packet), live-view frames, zoom and zoom position, movie mode and recording, the card listing with file
// numbers, thumbnails, CR3 raw files with their preview, and busy answers on demand.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/canon_event_data.h"
#include "devicesim/canon_frames.h"
#include "devicesim/device.h"
#include "devicesim/generic_camera.h"
#include "devicesim/property_set_log.h"
#include "devicesim/jpeg_factory.h"

namespace devicesim {

enum class CanonBody {
    Mirrorless,        // "Canon EOS R6": CR3 files, 0xD138, listing through 0x917A, objects as 0xC1B6
    DslrJpegLiveView,  // "Canon EOS 5D Mark IV": JPEG live view, listing through 0x9170, objects as 0xC1A7
    DslrYuvLiveView,   // "Canon EOS 700D": YUV live view, listing through 0x9109, objects as 0xC181
};

struct CanonCameraOptions {
    CanonBody body = CanonBody::Mirrorless;
    std::string model;              // empty: the body's own model name
    bool pressOperations = true;    // lists 0x9128 / 0x9129 (else one-step release and 0x9125 / 0x9126 bulb)
    uint32_t liveViewWidth = 960;   // size of the live-view pictures
    uint32_t liveViewHeight = 640;
    uint32_t jpegSize = 200 * 1024;  // size of each captured JPEG
    std::vector<uint32_t> absentProperties;  // properties this body lacks (left out of its defaults)
    uint32_t liveViewJpegSize = 150 * 1024;  // size of each live-view JPEG
};

// The model name of a body.
std::string canonBodyModel(CanonBody body);
// The body by its name on the command line ("mirrorless", "dslr", "dslr-yuv"); none for another name.
std::optional<CanonBody> canonBodyNamed(const std::string& name);

// One property as the camera keeps it.
struct CanonSimProperty {
    enum Kind { U8, I8, U16, I16, U32, Text, Format };
    uint32_t code = 0;
    Kind kind = U16;
    uint32_t value = 0;
    std::string text;
    CanonSimFormat format;
    std::vector<uint32_t> allowed;
    std::vector<CanonSimFormat> allowedFormats;
    bool reportAllowed = true;  // false: the camera sends only the value
};

class CanonCamera : public GenericCamera {
public:
    explicit CanonCamera(CanonCameraOptions options = {});

    std::vector<uint8_t> pollEvents(uint8_t pollFlag) override;
    // Installs the handler of the device's repeat packet (the lens drive of many steps).
    void attach(Device& device) override;
    // One repeat packet's body (after its 5-byte header): the whole answer packet.
    std::vector<uint8_t> repeatPacket(const std::vector<uint8_t>& body);

    CanonCameraOptions options() const { return options_; }
    CanonBody body() const { return options_.body; }

    // --- properties ---
    std::optional<CanonSimProperty> property(uint32_t code) const;
    std::optional<uint32_t> propertyValue(uint32_t code) const;
    // A change made on the camera itself (a dial turned): the value changes and is reported.
    void changeOnCamera(uint32_t code, uint32_t value);
    // Replaces (or adds) a property and reports it.
    void setProperty(const CanonSimProperty& p);

    // --- on demand ---
    // The next `count` property sets answer `code` (0x2019 busy) and change nothing.
    void refuseSets(int count, uint16_t code = 0x2019);
    // Reports the camera busy (or no longer).
    void reportBusy(bool busy);
    // The next half press answers with response parameter 1 (autofocus failed).
    void failNextAutoFocus();
    // The next `times` operations `operation` (with that first parameter, when given) answer `response` and do
    // nothing else; with `after`, that many matching operations are first carried out as usual.
    void failOperation(uint16_t operation, std::optional<uint32_t> firstParam, uint16_t response, int times = 1,
                       int after = 0);
    // The next `times` sets of `code` are answered 0x2001 but change nothing (the camera never reports the value).
    void ignoreSets(uint32_t code, int times);
    // The next `count` lens drives (one step or many) answer 0x2019 (busy) and leave the lens where it is.
    void busyLensDrives(int count);
    // The next `count` live-view requests answer 0xA102 (no frame yet).
    void withholdFrames(int count);
    void queueEvent(const std::vector<uint8_t>& record);
    // The camera's own exposure reading (on-screen item 64, one byte in the camera's exposure code) reported now with
    // items 2, 4 and 8, and in the answers to later on-screen requests (0x913D). The classic and mirrorless layouts.
    void showOnScreenExposure(uint8_t level);
    // Pictures taken on the camera itself (its own shutter button), `count` in quick succession as a burst takes
    // them: each one a new object announced by its object-added record. The camera then answers the next
    // `busyAnswers` operations busy (0x2019), as while it writes its buffer to the card.
    void shootOnCamera(int count = 1, int busyAnswers = 0);
    // An object that appears on the camera as a picture taken does (a movie, a picture with a thumbnail of the
    // test's own bytes), announced by the body's object-added record; returns its handle.
    uint32_t announceOnCamera(SimObject object);
    // The camera deletes an object itself (as after its own transfer), announced by the object-removed record.
    void deleteOnCamera(uint32_t handle);

    // --- what happened ---
    bool remoteMode() const;
    bool eventMode() const;
    bool liveViewOn() const;
    bool movieMode() const;
    bool recording() const;
    bool halfPressed() const;
    bool fullPressed() const;
    int shots() const;
    int bulbExposures() const;
    int autoFocusCount() const;
    int autoFocusCancels() const;
    // Lens position in steps (far positive), and each drive as (parameter, repetitions).
    int64_t lensPosition() const;
    std::vector<std::pair<uint32_t, uint16_t>> lensDrives() const;
    // The lens's travel in small steps, as a focus-stacking panel counts it: a medium step (parameter 2) is 8 small
    // ones, a large step (3) 25 (other parameters count as their value). Toward near positive.
    int64_t lensTravel() const;
    // The travel at each picture taken, in order.
    std::vector<int64_t> shotLensTravel() const;
    uint32_t zoomStep() const;
    std::pair<uint32_t, uint32_t> zoomPosition() const;
    // Handles of the pictures taken, in order (a RAW + JPEG capture adds both).
    std::vector<uint32_t> captured() const;
    // A card swapped for another: the camera's pictures are gone and file numbering begins again at 1 (the next
    // pictures bear the names of the first ones on the earlier card, under new handles).
    void swapCard();
    uint32_t fileNumber(uint32_t handle) const;

    // --- property sets: every SetDevicePropValueEx noted (its first value word), refusals on demand ---
    PropertySetLog& propertySets() { return setLog_; }

    // Folders of the card.
    static constexpr uint32_t kDcimFolder = 0x90000001;
    static constexpr uint32_t kImageFolder = 0x90000002;
    static constexpr uint32_t kStorage = 0x00010001;

protected:
    std::optional<PtpResult> handleVendorOperation(const PtpOperation& op) override;

private:
    void addDefaultProperties();
    void queueLocked(const std::vector<uint8_t>& record);
    void reportPropertyLocked(const CanonSimProperty& p, bool withAllowed);
    std::vector<uint8_t> onScreenBlockLocked();
    std::vector<uint8_t> valueBytes(const CanonSimProperty& p) const;
    void dumpAllLocked();
    PtpResult setPropertyFromHost(const PtpOperation& op);
    PtpResult press(uint32_t kind);
    PtpResult release(uint32_t kind);
    void takePicture();
    void announceLocked(uint32_t handle, uint16_t objectFormat, uint32_t size, const std::string& name);
    // The recipe of the picture of the given shot (options_ only: any thread).
    JpegRecipe pictureRecipe(int shot) const;
    // DeleteObject (0xFFFFFFFF: every object); each removal is reported as an object-removed event record.
    PtpResult deleteObjects(uint32_t handle);
    void endBulb();
    PtpResult liveViewFrame();
    PtpResult listEntries(const PtpOperation& op);
    PtpResult objectValue(const PtpOperation& op);
    PtpResult thumbnail(const PtpOperation& op);
    bool bulbModeLocked() const;
    bool liveViewOnLocked() const;

    CanonCameraOptions options_;
    mutable std::mutex canonMutex_;  // everything below; never held while the generic camera's lock is taken
    std::map<uint32_t, CanonSimProperty> properties_;
    std::vector<uint32_t> order_;  // codes in the order they were added
    std::vector<uint8_t> pending_;
    bool remote_ = false, events_ = false, olcRequested_ = false;
    std::optional<uint8_t> onScreenExposure_;
    struct Failure {
        uint16_t operation;
        std::optional<uint32_t> firstParam;
        uint16_t response;
        int times;
        int after;
    };
    std::vector<Failure> failures_;
    std::map<uint32_t, int> ignoredSets_;
    int refuseSets_ = 0;
    uint16_t refuseCode_ = 0x2019;
    bool failAutoFocus_ = false;
    int withheldFrames_ = 0;
    bool halfPressed_ = false, fullPressed_ = false, bulbOpen_ = false;
    bool movieMode_ = false;
    int shots_ = 0, bulbs_ = 0, afCount_ = 0, afCancels_ = 0;
    int64_t lens_ = 0;
    int64_t travel_ = 0;
    std::vector<int64_t> shotTravel_;
    int busyDrives_ = 0;
    std::vector<std::pair<uint32_t, uint16_t>> drives_;
    uint32_t zoomStep_ = 1, zoomX_ = 0, zoomY_ = 0;
    std::vector<uint32_t> captured_;
    std::map<uint32_t, uint32_t> fileNumbers_;
    uint32_t nextFileNumber_ = 1;
    uint32_t frameSeed_ = 0;
    PropertySetLog setLog_;
};

// The camera that `vorlaxent-devicesim --camera canon` runs: the mirrorless body unless another is named. The
// device must be given to attach() for the lens drive's repeat packet.
std::shared_ptr<CanonCamera> makeCanonCamera(CanonBody body = CanonBody::Mirrorless);

}  // namespace devicesim
