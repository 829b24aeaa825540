#pragma once
// Raw files for the simulated cameras: each vendor's container with its metadata (make, model, orientation, the
// EXIF shooting data of the recipe) and an embedded preview JPEG where that vendor's readers look for it:
//  - CR2: little-endian TIFF with the CR2 signature; the preview is IFD0's strip.
//  - NEF: big-endian TIFF; two sub-directories with JPEG offset and length, a small thumbnail and the preview.
//  - ARW: little-endian TIFF; IFD0 carries the preview's JPEG offset and length.
//  - CR3: ISO media boxes; the metadata in Canon's uuid box (CMT1 with IFD0, CMT2 with the EXIF directory), a
//    track whose JPEG sample (size table, chunk offset) is the preview, the preview itself in mdat.
//  - RAF: the vendor's header with the preview's offset and length at byte 84, the preview (whose EXIF carries the
//    metadata) and a small TIFF for the sensor data's header.
// The rest of the requested size is sensor-like filler. Files are generated on first use and cached.
#include <cstdint>
#include <memory>
#include <vector>

#include "devicesim/jpeg_factory.h"

namespace devicesim {

enum class RawKind { Cr2, Cr3, Nef, Arw, Raf };

struct RawRecipe {
    RawKind kind = RawKind::Cr2;
    JpegRecipe preview;  // the embedded preview and the metadata (make, model, orientation, shooting data)
    uint32_t size = 0;   // total size; at least what the structure and the preview need
};

struct GeneratedRaw {
    std::vector<uint8_t> bytes;
    uint64_t previewOffset = 0;  // where the embedded preview JPEG lies in bytes
    uint64_t previewLength = 0;
};

// A recipe for the vendor's own raw kind (CR2 for Canon, NEF, ARW, RAF) with its JPEG recipe.
RawRecipe vendorRawRecipe(Vendor vendor);

std::shared_ptr<const GeneratedRaw> rawImage(const RawRecipe& recipe);

}  // namespace devicesim
