#pragma once
// A generic simulated PTP camera: DeviceInfo (manufacturer, model and operation list configurable), session open
// and close, storages, object handles, ObjectInfo, GetObject, GetThumb, DeleteObject, and busy answers on demand.
// Its objects are real JPEG images (EXIF with an embedded thumbnail) generated on first use. The vendors' simulated
// cameras build on it: they handle their own operations in handleVendorOperation and call the generic ones.
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/camera.h"

namespace devicesim {

struct GenericCameraConfig {
    std::string manufacturer = "Generic";
    std::string model = "PTP Camera";
    std::string deviceVersion = "1.0";
    std::string serialNumber = "000000000001";
    uint16_t standardVersion = 100;
    uint32_t vendorExtensionId = 6;
    uint16_t vendorExtensionVersion = 100;
    std::string vendorExtensionDesc = "microsoft.com: 1.0";
    std::vector<uint16_t> operations = defaultOperations();
    std::vector<uint16_t> events = {0x4002, 0x4003, 0x4006};
    std::vector<uint16_t> properties = {0x5001};
    std::vector<uint16_t> captureFormats = {0x3801};
    std::vector<uint16_t> imageFormats = {0x3801};
    std::vector<uint32_t> storages = {0x00010001};

    // GetDeviceInfo, Open/CloseSession, GetStorageIDs, GetNumObjects, GetObjectHandles, GetObjectInfo, GetObject,
    // GetThumb, DeleteObject.
    static std::vector<uint16_t> defaultOperations() {
        return {0x1001, 0x1002, 0x1003, 0x1004, 0x1006, 0x1007, 0x1008, 0x1009, 0x100A, 0x100B};
    }
};

struct SimObject {
    uint32_t handle = 0;
    uint32_t storage = 0;
    uint16_t format = 0x3801;  // EXIF/JPEG
    std::string name;
    std::shared_ptr<const std::vector<uint8_t>> bytes;
    std::vector<uint8_t> thumbnail;
    int thumbWidth = 0;
    int thumbHeight = 0;
    int width = 0;
    int height = 0;
    uint8_t orientation = 1;
    uint16_t associationType = 0;
    std::string captureDate = "20240517T101112";
    std::string modificationDate = "20240517T101112";
    std::string keywords;
};

class GenericCamera : public Camera {
public:
    explicit GenericCamera(GenericCameraConfig config = {});

    PtpResult handleOperation(const PtpOperation& op) override;
    std::string modelName() const override;

    GenericCameraConfig config() const;
    void setConfig(GenericCameraConfig config);
    void setOperations(std::vector<uint16_t> operations);

    // Adds a generated JPEG object of `size` bytes; returns its handle. Name "IMG_nnnn.JPG" when none is given.
    uint32_t addJpegObject(uint32_t size, uint8_t orientation = 1, std::string name = {}, uint32_t storage = 0);
    // Adds an object as given (handle 0: the next free one); returns its handle.
    uint32_t addObject(SimObject object);
    bool removeObject(uint32_t handle);
    std::optional<SimObject> object(uint32_t handle) const;
    std::vector<uint32_t> handles() const;

    // The next `times` operations (GetDeviceInfo included) answer `code` instead of running.
    void answerBusy(int times, uint16_t code = 0x2019);
    // The next operation of `code` waits before it runs until releaseHeld(), keeping its exchange open while the
    // host does something else. Release before the device stops.
    void holdNext(uint16_t code);
    bool holding() const;
    void releaseHeld();
    bool sessionOpen() const;
    // Operation codes in the order they reached the camera.
    std::vector<uint16_t> operationsReceived() const;

    // PTP datasets as the camera sends them.
    std::vector<uint8_t> deviceInfoDataset() const;
    std::vector<uint8_t> objectInfoDataset(const SimObject& object, bool canonForm) const;

protected:
    // A subclass's own operations; none (fall through to the generic ones) by default. Called without the lock.
    virtual std::optional<PtpResult> handleVendorOperation(const PtpOperation& op) {
        (void)op;
        return std::nullopt;
    }

    mutable std::mutex mutex_;

private:
    PtpResult handleStandard(const PtpOperation& op);

    GenericCameraConfig config_;
    std::map<uint32_t, SimObject> objects_;
    uint32_t nextHandle_ = 0x1001;
    bool sessionOpen_ = false;
    int busyLeft_ = 0;
    uint16_t busyCode_ = 0x2019;
    mutable std::mutex holdMutex_;
    std::condition_variable holdChanged_;
    std::optional<uint16_t> holdCode_;
    bool held_ = false;
    std::vector<uint16_t> received_;
};

}  // namespace devicesim
