#pragma once
// Hand-built metadata for the EXIF reader's tests: little-endian TIFF blocks in the layout of a CR3 file's
// metadata (one header with IFD0, a second whose first directory is the EXIF directory), so that each field can be
// set on its own and read by the own reader.
#include <cstdint>
#include <string>
#include <vector>

#include "devicesim/tiff_writer.h"

namespace exiftest {

struct Shot {
    std::string make = "Canon";
    uint16_t orientation = 1;
    uint32_t exposureNum = 1, exposureDen = 250;
    uint32_t fNumberNum = 8, fNumberDen = 1;
    uint16_t iso = 100;
    int32_t biasNum = 0, biasDen = 1;
    uint16_t metering = 5, whiteBalance = 0, lightSource = 0;
    uint32_t focalNum = 35, focalDen = 1;
    uint32_t width = 6000, height = 4000;
};

inline std::vector<uint8_t> tiffBlock(const std::vector<devicesim::TiffEntry>& entries) {
    devicesim::TiffWriter t(true);
    t.header();
    std::vector<size_t> at;
    t.writeIfd(entries, &at);
    return t.b;
}

// IFD0 block, then the EXIF block, with a few bytes between.
inline std::vector<uint8_t> twoHeaders(const Shot& s) {
    devicesim::TiffWriter t(true);
    std::vector<uint8_t> out = tiffBlock({t.ascii(0x010F, s.make), t.shortValue(0x0112, s.orientation)});
    out.insert(out.end(), 16, 0xEE);
    const std::vector<uint8_t> exif = tiffBlock({
        t.rational(0x829A, s.exposureNum, s.exposureDen), t.rational(0x829D, s.fNumberNum, s.fNumberDen),
        t.shortValue(0x8827, s.iso), t.signedRational(0x9204, s.biasNum, s.biasDen), t.shortValue(0x9207, s.metering),
        t.shortValue(0x9208, s.lightSource), t.rational(0x920A, s.focalNum, s.focalDen), t.longValue(0xA002, s.width),
        t.longValue(0xA003, s.height), t.shortValue(0xA403, s.whiteBalance)});
    out.insert(out.end(), exif.begin(), exif.end());
    return out;
}

}  // namespace exiftest
