// Arbitrary bytes as the source of an in-memory image destination: decoded, their metadata read and carried into
// a JPEG or TIFF written back. The first byte chooses the output type, the type hint and the orientation.
// Nothing Exiv2 or the decoders throw may escape; a finalized destination holds a file.
#include <cstddef>
#include <cstdint>

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
    if (selector & 0xF0) properties[platform::kCGImagePropertyOrientation] = platform::Value(int(selector >> 4));
    if (!destination->addImageFromSource(size ? data : nullptr, size, properties, hint)) return 0;
    if (destination->finalize() && destination->data().empty()) __builtin_trap();
    return 0;
}
