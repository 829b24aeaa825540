#pragma once
// Real JPEG images for the simulated cameras and the device's SD card: a picture encoded with Qt, an EXIF APP1
// segment (make, model, orientation, dates, focal length, and an embedded thumbnail in IFD1), and, for large sizes,
// application segments of filler so that the file has exactly the size asked for while staying a valid JPEG.
// Images are generated on first use and cached (by their parameters), so tests stay fast.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

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
};

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
