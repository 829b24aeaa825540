#pragma once
// An image destination that writes one image as a JPEG or TIFF file into memory, in the manner of the decoder's
// counterpart: made for a type, given an image (pixels, or image 0 of an encoded source), finalized, and then its
// data is the file.
//
// Pixels are written as they are, never turned: the orientation is metadata, and a reader that honours it shows
// the picture turned. An image taken from a source keeps the source's metadata (EXIF, IPTC, XMP; not the maker
// note, the source's own thumbnail or the entries that describe the source file's layout), copied with Exiv2;
// the properties given with the image override the orientation.
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/value.h"

namespace platform {

inline constexpr const char* kImageTypeTiff = "public.tiff";
// (kImageTypeJpeg, "public.jpeg", is in image_metadata.h.)

class ImageDestination {
public:
    // A destination for one image of `type` (kImageTypeJpeg or kImageTypeTiff); null for any other type.
    static std::unique_ptr<ImageDestination> createWithData(const std::string& type);

    ~ImageDestination();
    ImageDestination(const ImageDestination&) = delete;
    ImageDestination& operator=(const ImageDestination&) = delete;

    const std::string& type() const { return type_; }

    // The image to write, with properties of the shape in image_property_keys.h, of which the orientation (at the
    // top or in the TIFF dictionary, 1 to 8) is written. False for a null image or when an image was added already.
    bool addImage(const QImage& image, const ValueDictionary& properties = {});
    // Image 0 of the encoded source (a JPEG or a TIFF; the hint names the container when the bytes alone do
    // not), with the source's metadata and the given properties over it. False when the source cannot be decoded
    // or an image was added already; the bytes are read only while this runs.
    bool addImageFromSource(const uint8_t* data, size_t size, const ValueDictionary& properties = {},
                            const std::string& typeHint = {});

    // Encodes the image; true when the data holds the whole file. False without an image, when encoding or the
    // metadata write fails (the data then stays empty), or when finalized already.
    bool finalize();
    const Data& data() const { return data_; }

private:
    struct SourceMetadata;
    explicit ImageDestination(std::string type);

    std::string type_;
    QImage image_;
    std::optional<uint16_t> orientation_;
    std::unique_ptr<SourceMetadata> metadata_;  // what the source had, read when it was added
    bool added_ = false;
    bool finalized_ = false;
    Data data_;
};

}  // namespace platform
