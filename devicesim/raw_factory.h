#pragma once
// Raw files for the simulated cameras: each vendor's container with its metadata (make, model, orientation, the
// EXIF shooting data of the recipe) and an embedded preview JPEG where that vendor's readers look for it:
//  - CR2: little-endian TIFF with the CR2 signature; the preview is IFD0's strip.
//  - NEF: big-endian TIFF; sub-directories with JPEG offset and length, a small thumbnail and the preview.
//  - ARW: little-endian TIFF; IFD0 carries the preview's JPEG offset and length.
//  CR2, NEF and ARW are also built as DNGs (DNG version, colour matrix, white balance in IFD0) with one more
//  sub-directory holding the sensor's full picture, a 64 x 48 Bayer mosaic, so that a raw converter decodes them
//  whole (to a picture of the sensor's size, unlike the 1200 x 800 preview).
//  - CR3: ISO media boxes; the metadata in Canon's uuid box (CMT1 with IFD0, CMT2 with the EXIF directory), a
//    track whose JPEG sample (size table, chunk offset) is the preview, the preview itself in mdat.
//  - RAF: the vendor's header with the preview's offset and length at byte 84, the preview (whose EXIF carries the
//    metadata) and a small TIFF for the sensor data's header.
//  CR3 and RAF hold no picture but their preview: a converter cannot decode them.
// The rest of the requested size is sensor-like filler. Files are generated on first use and cached.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "devicesim/jpeg_factory.h"

namespace devicesim {

class GenericCamera;

// The sensor picture of CR2, NEF and ARW files, unless the recipe asks for another size.
inline constexpr int kRawSensorWidth = 64, kRawSensorHeight = 48;

enum class RawKind { Cr2, Cr3, Nef, Arw, Raf };

struct RawRecipe {
    RawKind kind = RawKind::Cr2;
    JpegRecipe preview;  // the embedded preview and the metadata (make, model, orientation, shooting data)
    uint32_t size = 0;   // total size; at least what the structure, the preview and the sensor data need
    int sensorWidth = kRawSensorWidth;  // CR2, NEF, ARW: the sensor picture (even sizes; 16 bits a sample)
    int sensorHeight = kRawSensorHeight;
};

struct GeneratedRaw {
    std::vector<uint8_t> bytes;
    uint64_t previewOffset = 0;  // where the embedded preview JPEG lies in bytes
    uint64_t previewLength = 0;
};

// A recipe for the vendor's own raw kind (CR2 for Canon, NEF, ARW, RAF) with its JPEG recipe.
RawRecipe vendorRawRecipe(Vendor vendor);

std::shared_ptr<const GeneratedRaw> rawImage(const RawRecipe& recipe);

// The PTP object format and a file name of the raw kind ("IMG_0001.CR2", "DSC_0001.NEF", ...; `number` 1 to 9999).
uint16_t rawObjectFormat(RawKind kind);
std::string rawFileName(RawKind kind, uint32_t number);

// Adds a raw object of the recipe to a simulated camera (its thumbnail is the preview's; its pixel size the
// preview's); returns its handle.
uint32_t addRawObject(GenericCamera& camera, const RawRecipe& recipe, uint32_t number);

}  // namespace devicesim
