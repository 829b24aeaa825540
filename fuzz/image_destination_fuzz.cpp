// Arbitrary bytes as the source of an in-memory image destination: decoded, their metadata read and carried into
// a JPEG or TIFF written back. The first byte chooses the output type, the type hint and the orientation and its
// form.
// Nothing Exiv2 or the decoders throw may escape; a finalized destination holds a file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/imaging/image_destination.h"
#include "platform/imaging/image_metadata.h"
#include "platform/imaging/image_property_keys.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 20)) return 0;
    const uint8_t selector = data[0];
    ++data;
    --size;
    auto destination = platform::ImageDestination::createWithData((selector & 1) ? platform::kImageTypeTiff
                                                                                 : platform::kImageTypeJpeg);
    const char* hint = (selector & 2) ? platform::kImageTypeJpeg : "";
    platform::ValueDictionary properties;
    // Bits 2-3: how the caller gives the orientation (an integer, a real, inside the TIFF entries, or a text that
    // is no number and must be ignored).
    if (selector & 0xF0) {
        const int orientation = selector >> 4;
        switch ((selector >> 2) & 3) {
            case 0: properties[platform::kCGImagePropertyOrientation] = platform::Value(orientation); break;
            case 1: properties[platform::kCGImagePropertyOrientation] = platform::Value(orientation + 0.5); break;
            case 2:
                properties[platform::kCGImagePropertyTIFFDictionary] = platform::Value(platform::ValueDictionary{
                    {platform::kCGImagePropertyTIFFOrientation, platform::Value(orientation)}});
                break;
            default: properties[platform::kCGImagePropertyOrientation] = platform::Value(std::to_string(orientation));
        }
    }
    if (!destination->addImageFromSource(size ? data : nullptr, size, properties, hint)) return 0;
    if (destination->finalize() && destination->data().empty()) __builtin_trap();
    return 0;
}
