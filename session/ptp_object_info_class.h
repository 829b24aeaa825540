#pragma once
// An object of the camera or of the device's SD card as the interface sees it: an owned copy of the engine's
// 608-byte record with its fields unpacked. Immutable after creation, so it passes between threads freely (it is
// the object of the new-object, thumbnail, download and deletion notifications).
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/ptp/datasets.h"
#include "platform/foundation/object.h"
#include "platform/foundation/value.h"

class PtpObjectInfoClass : public platform::Object {
public:
    // The object of the record, or none for a missing record.
    static std::shared_ptr<PtpObjectInfoClass> init(const PtpObjectInfoStruct* record);

    // A camera object (a real handle) equals only an object with the same handle; a card object (handle
    // kObjectIdByName) equals any object with the same file name. Anything that is no PtpObjectInfoClass is unequal.
    bool isEqual(const platform::Object* other) const override;
    bool isEqual(const platform::Value& other) const;

    uint32_t objectId() const { return mOrigObjectInfo.objectId; }
    uint16_t objectFormat() const { return mOrigObjectInfo.objectFormat; }
    uint16_t protectionStatus() const { return mOrigObjectInfo.protectionStatus; }
    uint32_t objectCompressedSize() const { return mOrigObjectInfo.objectCompressedSize; }
    uint16_t thumbFormat() const { return mOrigObjectInfo.thumbFormat; }
    uint32_t thumbCompressedSize() const { return mOrigObjectInfo.thumbCompressedSize; }
    uint32_t thumbPixWidth() const { return mOrigObjectInfo.thumbPixWidth; }
    uint32_t thumbPixHeight() const { return mOrigObjectInfo.thumbPixHeight; }
    uint32_t imagePixWidth() const { return mOrigObjectInfo.imagePixWidth; }
    uint32_t imagePixHeight() const { return mOrigObjectInfo.imagePixHeight; }
    uint32_t imageBitDepth() const { return mOrigObjectInfo.imageBitDepth; }
    uint32_t parentObject() const { return mOrigObjectInfo.parentObject; }
    uint16_t associationType() const { return mOrigObjectInfo.associationType; }
    uint32_t associationDesc() const { return mOrigObjectInfo.associationDesc; }
    uint32_t sequenceNumber() const { return mOrigObjectInfo.sequenceNumber; }
    // The texts; none when the record's bytes are not valid UTF-8.
    const std::optional<std::string>& fileName() const { return fileName_; }
    const std::optional<std::string>& keywords() const { return keywords_; }
    // Seconds since 1970-01-01 00:00 UTC.
    double captureDate() const { return captureDate_; }
    double modificationDate() const { return modificationDate_; }
    uint8_t orientation() const { return mOrigObjectInfo.orientation; }
    // The object's own copy of the record, valid as long as the object lives.
    const PtpObjectInfoStruct* origObjectInfo() const { return &mOrigObjectInfo; }

    explicit PtpObjectInfoClass(const PtpObjectInfoStruct& record);

private:
    PtpObjectInfoStruct mOrigObjectInfo;
    std::optional<std::string> fileName_, keywords_;
    double captureDate_ = 0, modificationDate_ = 0;
};
