#pragma once
// The shooting data of one image (exposure time, aperture, ISO, exposure bias, pixel size, metering mode, white
// balance, focal length, maker and orientation) and the short texts of the viewer's information panel.
//
// The image may be a JPEG, a raw file, or a JPEG followed by the first bytes of its raw file (what a quick-raw
// download delivers). The metadata comes from the platform's reader (Exiv2), with a small little-endian TIFF reader
// of our own as the fallback when that yields nothing. Metering mode and white balance are turned into the camera
// maker's own property values, so that the property icons can show them.
//
// Input is untrusted: the own reader never reads outside the window it is given, a rational with a zero
// denominator counts as absent, and every conversion of a real number to an integer field is range-checked (out of
// range: 0, "unknown"). A reader is made and used on one thread.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/value.h"

class Exif {
public:
    // Makers, as the camera vendor numbers of the engine.
    static constexpr uint8_t kMakeOther = 0, kMakeCanon = 13, kMakeSony = 14, kMakeNikon = 15;
    // The own reader looks at no more than this many bytes from a header or directory.
    static constexpr size_t kManualWindow = 128000;

    // The reader of the data, or none when no usable metadata was found. `headerLength` is the length of the raw
    // file's head that may trail the image (normally Utilities::exifHeaderLength()).
    static std::shared_ptr<Exif> initWithData(const uint8_t* data, size_t size, uint32_t objectFormat,
                                              uint32_t headerLength);
    // The focal length in mm of the image in the data; 0 when it is not known.
    static uint32_t getFocalLength(const uint8_t* data, size_t size, uint32_t objectFormat);

    // The metadata dictionary of the data read as `objectFormat`, or none.
    std::optional<platform::ValueDictionary> getMetaData(const uint8_t* data, size_t size, uint32_t objectFormat) const;
    // Fills the fields from the data; true on success.
    bool parseData(const uint8_t* data, size_t size);

    // --- the own little-endian TIFF reader ---
    // A dictionary made by scanning the data for TIFF headers, or none.
    static std::optional<platform::ValueDictionary> getManualMetaDataDictionary(const uint8_t* data, size_t size);
    // The TIFF directory that the header at `header` points to, read within the window of `window` bytes from the
    // header (offsets count from the header). Values must lie within `dataLength` bytes from the header (the
    // window's length when 0).
    static std::optional<platform::ValueDictionary> tiffDictionaryFromHeader(const uint8_t* header, size_t window,
                                                                             size_t dataLength = 0);
    // An EXIF directory. With `directoryOffset` 0, the one that the header points to (the header's signature is
    // required); otherwise the directory `directoryOffset` bytes after the header, without a signature test.
    // Offsets count from the header; entries must end inside `window` bytes from the header, values inside
    // `dataLength` bytes (the window's length when 0).
    static std::optional<platform::ValueDictionary> exifDictionaryFromHeader(const uint8_t* header, size_t window,
                                                                             size_t directoryOffset,
                                                                             size_t dataLength = 0);

    // --- texts, made on the first request and kept; an empty text stands for "no text" ---
    const std::string& shutterSpeedString();
    const std::string& apertureString();
    const std::string& isoString();
    const std::string& exposureCompensationString();  // empty for no bias
    const std::string& sizeString();                  // empty when the size is 0
    const std::string& focalLengthString();

    // Sets the pixel size (each kept in 16 bits; out of range: 0) and drops the kept size text.
    void setSize(double width, double height);

    uint16_t xDimension() const { return xDimension_; }
    uint16_t yDimension() const { return yDimension_; }
    float shutterSpeed() const { return shutterSpeed_; }
    float aperture() const { return aperture_; }
    uint16_t iso() const { return iso_; }
    float exposureCompensation() const { return exposureCompensation_; }
    uint16_t meteringMode() const { return meteringMode_; }
    uint16_t whiteBalance() const { return whiteBalance_; }
    uint16_t focalLength() const { return focalLength_; }
    uint8_t cameraMake() const { return cameraMake_; }
    uint8_t orientation() const { return orientation_; }
    uint64_t rawMeteringMode() const { return mRawMeteringMode; }
    uint64_t rawWhiteBalance() const { return mRawWhiteBalance; }
    uint32_t objectFormat() const { return mObjectFormat; }
    const platform::ValueDictionary& originalProperties() const { return mOriginalProperties; }

    Exif(uint32_t objectFormat, uint32_t headerLength) : mObjectFormat(objectFormat), mExifHeaderLength(headerLength) {}

private:
    void convertForMaker(const uint8_t* data, size_t size, const std::string& make, uint64_t lightSource);

    uint16_t xDimension_ = 0, yDimension_ = 0;
    float shutterSpeed_ = 0, aperture_ = 0;
    uint16_t iso_ = 0;
    float exposureCompensation_ = 0;
    uint16_t meteringMode_ = 0, whiteBalance_ = 0, focalLength_ = 0;
    uint8_t cameraMake_ = 0;
    uint8_t orientation_ = 0;
    platform::ValueDictionary mOriginalProperties;
    std::optional<std::string> shutterText_, apertureText_, isoText_, compensationText_, sizeText_, focalText_;
    uint64_t mRawMeteringMode = 0, mRawWhiteBalance = 0;
    uint32_t mObjectFormat = 0;
    uint32_t mExifHeaderLength = 0;
};
