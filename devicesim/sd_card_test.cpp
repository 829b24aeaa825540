// The preview the device cuts out of a raw file: the whole JPEG stream, even when a segment inside it carries a
// thumbnail with its own end marker.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "devicesim/sd_card.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

// A segment: marker, big-endian length (counting itself), payload.
Bytes segment(uint8_t marker, const Bytes& payload) {
    const size_t n = payload.size() + 2;
    return cat({{0xFF, marker, uint8_t(n >> 8), uint8_t(n)}, payload});
}

TEST(EmbeddedJpeg, TheWholeStreamEvenWithAThumbnailInside) {
    const Bytes thumbnail = cat({{0xFF, 0xD8}, segment(0xDB, {1, 2, 3}), {0xFF, 0xD9}});
    // Entropy-coded data with a stuffed zero and a restart marker, which do not end the scan.
    const Bytes preview = cat({{0xFF, 0xD8}, segment(0xE1, cat({{'E', 'x', 'i', 'f', 0, 0}, thumbnail})),
                               segment(0xDB, {4, 5}), segment(0xDA, {6}), {0x11, 0xFF, 0x00, 0x22, 0xFF, 0xD3, 0x33},
                               {0xFF, 0xD9}});
    const Bytes raw = cat({{'I', 'I', 42, 0, 8, 0, 0, 0, 0xFF, 0xD9}, preview, {0xAA, 0xBB, 0xFF, 0xD9}});
    EXPECT_EQ(devicesim::embeddedJpeg(raw), preview);
    // A stream whose segments do not parse still ends at its first end marker.
    const Bytes broken = {0, 0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 7, 0xFF, 0xD9, 8};
    EXPECT_EQ(devicesim::embeddedJpeg(broken), (Bytes{0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 7, 0xFF, 0xD9}));
    // No stream, or one cut off before any end: nothing.
    EXPECT_TRUE(devicesim::embeddedJpeg({1, 2, 3, 4}).empty());
    EXPECT_TRUE(devicesim::embeddedJpeg({0, 0xFF, 0xD8, 0xFF, 0xE1, 0x00}).empty());
}

}  // namespace
