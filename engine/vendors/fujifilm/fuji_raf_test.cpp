// The RAF preview locator: the JPEG near the start of the file, measured by its own segments, and only when the
// whole preview lies inside the data.
#include <gtest/gtest.h>

#include <vector>

#include "engine/store/image_files.h"
#include "engine/vendors/fujifilm/fuji_module.h"
#include "engine/vendors/fujifilm/fuji_raf.h"

namespace {

// A small JPEG: SOI, an EXIF APP1 whose body holds a thumbnail with its own end marker, SOS, scan data with a
// stuffed FF 00 and a restart marker, EOI.
std::vector<uint8_t> jpeg() {
    std::vector<uint8_t> j = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x0E, 'E', 'x', 'i', 'f', 0, 0,
                              0xFF, 0xD8, 0x11, 0x22, 0xFF, 0xD9};  // APP1 length 14 covers the thumbnail
    std::vector<uint8_t> scan = {0xFF, 0xDA, 0x00, 0x04, 0x01, 0x02, 0x55, 0xFF, 0x00, 0x66, 0xFF, 0xD3, 0x77,
                                 0xFF, 0xD9};
    j.insert(j.end(), scan.begin(), scan.end());
    return j;
}

std::vector<uint8_t> raf(size_t at, const std::vector<uint8_t>& preview, size_t tail = 64) {
    std::vector<uint8_t> f(at, 0x20);
    f.insert(f.end(), preview.begin(), preview.end());
    f.insert(f.end(), tail, 0x11);
    return f;
}

TEST(FujiRafPreview, FoundWhenItLiesInsideTheFile) {
    const std::vector<uint8_t> j = jpeg();
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        bool found;
        uint64_t offset;
    };
    std::vector<uint8_t> cut = raf(0x94, j, 0);
    cut.resize(cut.size() - 1);  // the end marker is not all there
    std::vector<uint8_t> app1Long = raf(0x94, j);
    app1Long[0x94 + 4] = 0x7F;  // APP1 runs past the end of the file
    std::vector<uint8_t> noEnd = raf(0x94, std::vector<uint8_t>(j.begin(), j.end() - 2), 0);
    const Case cases[] = {
        {"at the usual place", raf(0x94, j), true, 0x94},
        {"at the very start", raf(0, j), true, 0},
        {"last place scanned", raf(499, j), true, 499},
        {"past the scanned start", raf(500, j), false, 0},
        {"end marker cut off", cut, false, 0},
        {"segment longer than the file", app1Long, false, 0},
        {"no end marker", noEnd, false, 0},
        {"no preview", std::vector<uint8_t>(2000, 0xFF), false, 0},
        {"short file", std::vector<uint8_t>{0xFF, 0xD8, 0xFF, 0xE1}, false, 0},
    };
    for (const Case& c : cases) {
        uint64_t offset = 99, size = 99;
        EXPECT_EQ(fujiFindPreviewJpeg(c.file.data(), c.file.size(), &offset, &size), c.found) << c.what;
        EXPECT_EQ(offset, c.offset) << c.what;
        EXPECT_EQ(size, c.found ? j.size() : 0u) << c.what;
    }
    uint64_t offset = 0, size = 0;
    EXPECT_FALSE(fujiFindPreviewJpeg(nullptr, 100, &offset, &size));
}

TEST(FujiRafPreview, InstalledAsTheRafLocator) {
    const std::vector<uint8_t> file = raf(0x94, jpeg());
    uint64_t offset = 0, size = 0;
    fujiUnregisterModule();
    EXPECT_FALSE(rawFindPreview(file.data(), file.size(), &offset, &size, 0xB111));
    fujiRegisterModule();
    EXPECT_TRUE(rawFindPreview(file.data(), file.size(), &offset, &size, 0xB111));
    EXPECT_EQ(offset, 0x94u);
    EXPECT_EQ(size, jpeg().size());
    fujiUnregisterModule();
}

}  // namespace
