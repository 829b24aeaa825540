// Arbitrary bytes through the EXIF reader's own little-endian TIFF reader: the whole scan, and single directories
// read as TIFF and as EXIF directories. The first byte chooses the camera model index (which decides the header
// that holds the EXIF directory). Dictionaries must come back without a read outside the data.
#include <cstddef>
#include <cstdint>

#include "engine/ptp/vendor_state.h"
#include "session/exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    camSetModelIndex(data[0]);
    ++data;
    --size;
    if (auto d = Exif::getManualMetaDataDictionary(data, size)) {
        if (d->empty()) __builtin_trap();  // an empty result is none
    }
    Exif::tiffDictionaryFromHeader(size ? data : nullptr, size);
    Exif::exifDictionaryFromHeader(size ? data : nullptr, size, 0);
    if (size > 8) Exif::exifDictionaryFromHeader(data, size, data[size - 1] % size);
    return 0;
}
