#pragma once
// Real JPEG images for the simulated cameras and the device's SD card: a picture encoded with Qt, an EXIF APP1
// segment (make, model, orientation, dates, focal length, optionally exposure time, aperture, ISO, bias,
// metering, light source and white balance, and an embedded thumbnail in IFD1), and, for large sizes,
// application segments of filler so that the file has exactly the size asked for while staying a valid JPEG.
// Images are generated on first use and cached (by their parameters), so tests stay fast.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/tiff_writer.h"

namespace devicesim {

struct JpegRecipe {
    uint32_t size = 300 * 1024;  // exact file size in bytes
    int width = 1200;            // pixel size of the picture (reduced when its encoding exceeds `size`)
    int height = 800;
    uint8_t orientation = 1;     // EXIF orientation
    std::string make = "Generic";
    std::string model = "Camera";
    std::string dateTime = "2024:05:17 10:11:12";  // EXIF form
    uint32_t focalLengthMm = 50;
    uint32_t seed = 1;  // varies the picture
    bool littleEndian = false;  // EXIF block in "II" order instead of "MM"
    // Shooting data for the EXIF directory, in EXIF's own values; written only when set.
    struct Shooting {
        uint32_t exposureNum = 1, exposureDen = 250;  // exposure time in seconds
        uint32_t fNumberNum = 56, fNumberDen = 10;
        uint16_t iso = 400;
        int32_t biasNum = -2, biasDen = 3;  // exposure bias in EV
        uint16_t meteringMode = 5;          // 5 pattern
        uint16_t whiteBalance = 0;          // 0 auto, 1 manual
        uint16_t lightSource = 0;           // 0 unknown
    };
    std::optional<Shooting> shooting;
};

enum class Vendor { Canon, Nikon, Sony, Fuji };

// A recipe with the vendor's maker text, a model, the vendor's usual byte order and default shooting data.
JpegRecipe vendorJpegRecipe(Vendor vendor);

// The EXIF directory entries of a recipe (the shooting data when set, dates, focal length, pixel size), sorted by
// tag, for a writer of either byte order. Raw files reuse them.
std::vector<TiffEntry> exifEntries(const TiffWriter& writer, const JpegRecipe& recipe, int width, int height);

struct GeneratedJpeg {
    std::vector<uint8_t> bytes;      // the whole file
    std::vector<uint8_t> thumbnail;  // the embedded thumbnail JPEG (also inside bytes)
    int thumbWidth = 0;
    int thumbHeight = 0;
    int width = 0;  // the picture's pixel size: the recipe's, or smaller when that does not fit in the size asked
    int height = 0;
};

// The image for the recipe (cached: the same recipe gives the same shared image).
std::shared_ptr<const GeneratedJpeg> jpegImage(const JpegRecipe& recipe);

}  // namespace devicesim
