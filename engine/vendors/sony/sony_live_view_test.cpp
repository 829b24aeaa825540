// Locating the JPEG of a live-view frame without touching the frame.
#include "engine/vendors/sony/sony_live_view.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

TEST(SonyLiveViewJpeg, TheFirstWholeStartOfAJpegToTheEndOfTheFrame) {
    struct Case {
        const char* what;
        std::vector<uint8_t> frame;
        std::optional<size_t> at;  // none: no JPEG
    };
    const Case cases[] = {
        {"empty", {}, std::nullopt},
        {"three bytes", {0xFF, 0xD8, 0xFF}, std::nullopt},
        {"at the start", {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43}, 0},
        {"after a header", {0x20, 0x00, 0xFF, 0x00, 0xFF, 0xD8, 0xFF, 0xDB, 0x00}, 4},
        {"the last four bytes", {0x01, 0x02, 0xFF, 0xD8, 0xFF, 0xDB}, 2},
        {"cut by the end", {0x01, 0x02, 0x03, 0xFF, 0xD8, 0xFF}, std::nullopt},
        {"a start inside a false one", {0xFF, 0xD8, 0xFF, 0xD8, 0xFF, 0xDB, 0x11}, 2},
        {"another marker", {0xFF, 0xD8, 0xFF, 0xE0, 0xFF, 0xD9}, std::nullopt},
        {"the first of two", {0xFF, 0xFF, 0xD8, 0xFF, 0xDB, 0xFF, 0xD8, 0xFF, 0xDB}, 1},
        {"only 0xFF", std::vector<uint8_t>(64, 0xFF), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The frame in a block of exactly its size, so that a sanitizer sees any read past it.
        const std::vector<uint8_t> frame = c.frame;
        const std::vector<uint8_t> before = frame;
        std::optional<SonyJpegRange> found = sonyLiveViewFindJpeg(frame.empty() ? nullptr : frame.data(), frame.size());
        EXPECT_EQ(frame, before);
        ASSERT_EQ(found.has_value(), c.at.has_value());
        if (!found) continue;
        EXPECT_EQ(found->offset, *c.at);
        EXPECT_EQ(found->length, frame.size() - *c.at);
    }
    EXPECT_FALSE(sonyLiveViewFindJpeg(nullptr, 10));
}

}  // namespace
