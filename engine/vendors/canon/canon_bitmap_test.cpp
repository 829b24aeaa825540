#include "engine/vendors/canon/canon_bitmap.h"

#include <gtest/gtest.h>

#include <vector>

#include "devicesim/canon_frames.h"
#include "engine/link/byte_order.h"
#include "engine/ptp/vendor_state.h"

namespace {

int floorDiv(int n) { return n >= 0 ? n / 1000 : -((-n + 999) / 1000); }
uint8_t clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// The colour of one pixel, Y + 1.403 V, Y - 0.344 U - 0.714 V, Y + 1.77 U in exact arithmetic, truncated.
uint32_t expected(int y, int u, int v) {
    uint32_t r = clamp(y + floorDiv(1403 * v)), g = clamp(y + floorDiv(-344 * u - 714 * v)), b = clamp(y + floorDiv(1770 * u));
    return 0xFF000000u | r << 16 | g << 8 | b;
}

// Every U and V with every Y: the vector form, the plain form and the exact formula agree.
TEST(CanonYuv, EveryColourConvertsExactlyInBothForms) {
    const uint32_t pairs = 65536, width = 2 * pairs;
    std::vector<uint8_t> row(2 * width), vec(4 * width), plain(4 * width);
    const CanonYuvKernel kernels[] = {CanonYuvKernel::Sse2, CanonYuvKernel::Avx2, CanonYuvKernel::Avx512};
    for (int y = 0; y < 256; ++y) {
        for (uint32_t k = 0; k < pairs; ++k) {
            row[4 * k] = static_cast<uint8_t>(k);
            row[4 * k + 1] = static_cast<uint8_t>(y);
            row[4 * k + 2] = static_cast<uint8_t>(k >> 8);
            row[4 * k + 3] = static_cast<uint8_t>(y ^ 0x80);
        }
        canonYuvRowToBgra(row.data(), width, plain.data(), CanonYuvKernel::Plain);
        for (CanonYuvKernel kernel : kernels) {
            if (!canonYuvKernelAvailable(kernel)) continue;
            canonYuvRowToBgra(row.data(), width, vec.data(), kernel);
            ASSERT_EQ(vec, plain) << "y " << y << " kernel " << static_cast<int>(kernel);
        }
        canonYuvRowToBgra(row.data(), width, vec.data());
        for (uint32_t k = 0; k < pairs; k += 1 + (y % 7)) {
            int u = static_cast<int8_t>(k & 0xFF), v = static_cast<int8_t>(k >> 8);
            ASSERT_EQ(readLe32(&vec[8 * k]), expected(y, u, v)) << k;
            ASSERT_EQ(readLe32(&vec[8 * k + 4]), expected(y ^ 0x80, u, v)) << k;
        }
    }
}

TEST(CanonYuv, OddWidthsAndShortRows) {
    for (uint32_t width : {1u, 3u, 7u, 9u, 17u, 47u, 63u, 97u}) {
        std::vector<uint8_t> row(2 * width), a(4 * width + 4, 0xAA), b(4 * width + 4, 0xAA);
        for (size_t i = 0; i < row.size(); ++i) row[i] = static_cast<uint8_t>(i * 37);
        canonYuvRowToBgra(row.data(), width, a.data());
        canonYuvRowToBgra(row.data(), width, b.data(), CanonYuvKernel::Plain);
        EXPECT_EQ(a, b) << width;
        EXPECT_EQ(a[4 * width], 0xAA) << width;  // nothing written past the row
    }
}

class CanonYuvFrameTest : public ::testing::Test {
protected:
    void SetUp() override { vendorStateReset(); }
    void TearDown() override { vendorStateReset(); }
};

TEST_F(CanonYuvFrameTest, FramesBecomeBitmapsOfTheirSize) {
    const uint32_t w = 96, h = 64;
    std::vector<uint8_t> reply = devicesim::canonYuvLiveViewReply(w, h, 0, 3);
    HeapBlock bmp;
    size_t length = canonDecodeYuvFrame(reply.data(), reply.size(), &bmp);
    ASSERT_EQ(length, kBmpHeaderSize + w * h * 4);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    EXPECT_EQ(readLe32(&bmp[2]), length);
    EXPECT_EQ(readLe32(&bmp[10]), kBmpHeaderSize);
    EXPECT_EQ(readLe32(&bmp[18]), w);
    EXPECT_EQ(readLe32(&bmp[22]), h);
    EXPECT_EQ(readLe16(&bmp[28]), 32);
    EXPECT_EQ(readLe32(&bmp[34]), w * h * 4);
    EXPECT_EQ(readLe32(&bmp[38]), 3780u);
    EXPECT_EQ(readLe32(&bmp[46]), 0u);  // 2^32 kept to 32 bits
    // The top row of the picture is the last row of the file.
    const uint8_t* top = reply.data() + devicesim::kCanonYuvHeaderLength;
    uint32_t first = readLe32(&bmp[kBmpHeaderSize + (h - 1) * w * 4]);
    EXPECT_EQ(first, expected(top[1], static_cast<int8_t>(top[0]), static_cast<int8_t>(top[2])));

    // Bodies that put the picture behind a prefix give its length in the first byte.
    camSetModelIndex(237);
    std::vector<uint8_t> prefixed = devicesim::canonYuvLiveViewReply(w, h, 48, 3);
    HeapBlock other;
    ASSERT_EQ(canonDecodeYuvFrame(prefixed.data(), prefixed.size(), &other), length);
    EXPECT_EQ(bmp.toVector(), other.toVector());
}

TEST_F(CanonYuvFrameTest, TheOldBodyDecodes425Rows) {
    camSetModelIndex(225);
    // A header that says 480 rows, pixels for 425: the rows below stay blank.
    std::vector<uint8_t> reply = devicesim::canonYuvLiveViewReply(16, 425, 0, 1);
    writeLe32(&reply[16], 480);
    HeapBlock bmp;
    ASSERT_EQ(canonDecodeYuvFrame(reply.data(), reply.size(), &bmp), kBmpHeaderSize + 16 * 480 * 4);
    EXPECT_EQ(readLe32(&bmp[kBmpHeaderSize]), 0x00FFFFFFu);  // bottom row of the file: not decoded
    EXPECT_NE(readLe32(&bmp[kBmpHeaderSize + 479 * 16 * 4]), 0x00FFFFFFu);
    // A header that says fewer rows than 425 needs the 425 rows' bytes.
    writeLe32(&reply[16], 100);
    reply.resize(reply.size() - 2);
    EXPECT_EQ(canonDecodeYuvFrame(reply.data(), reply.size(), &bmp), 0u);
}

TEST_F(CanonYuvFrameTest, RepliesThatAreNoPicture) {
    HeapBlock bmp;
    std::vector<uint8_t> reply = devicesim::canonYuvLiveViewReply(32, 16, 0, 1);
    EXPECT_EQ(canonDecodeYuvFrame(reply.data(), 255, &bmp), 0u);  // shorter than 256
    std::vector<uint8_t> shortPixels(reply.begin(), reply.end() - 1);
    EXPECT_EQ(canonDecodeYuvFrame(shortPixels.data(), shortPixels.size(), &bmp), 0u);
    std::vector<uint8_t> zero = reply;
    writeLe32(&zero[12], 0);
    EXPECT_EQ(canonDecodeYuvFrame(zero.data(), zero.size(), &bmp), 0u);
    std::vector<uint8_t> huge = reply;
    writeLe32(&huge[12], 0x80000000);
    writeLe32(&huge[16], 0x80000000);
    EXPECT_EQ(canonDecodeYuvFrame(huge.data(), huge.size(), &bmp), 0u);
    camSetModelIndex(237);  // the prefix length points past the reply
    std::vector<uint8_t> prefix(300, 0);
    prefix[0] = 0xF0;
    EXPECT_EQ(canonDecodeYuvFrame(prefix.data(), prefix.size(), &bmp), 0u);
    EXPECT_FALSE(bmp);
}

TEST(CanonBitmap, BuilderDepthsAndPixels) {
    EXPECT_EQ(bmpCreate(4, 4, 2), nullptr);
    EXPECT_EQ(bmpCreate(0, 4, 32), nullptr);
    EXPECT_EQ(bmpCreate(4, -1, 32), nullptr);
    EXPECT_EQ(bmpCreate(0x7FFFFFFF, 0x7FFFFFFF, 32), nullptr);
    const struct {
        int bits;
        size_t table;
        uint32_t row;
    } depths[] = {{1, 8, 4}, {4, 64, 4}, {8, 1024, 4}, {16, 12, 8}, {24, 0, 12}, {32, 0, 12}};
    for (const auto& d : depths) {
        SCOPED_TRACE(d.bits);
        BmpRecord* r = bmpCreate(3, 2, d.bits);
        ASSERT_NE(r, nullptr);
        EXPECT_TRUE(bmpSetPixel(r, 0, 0, 1));
        EXPECT_TRUE(bmpSetPixel(r, 2, 1, 0x00123456));
        EXPECT_FALSE(bmpSetPixel(r, 3, 0, 1));
        EXPECT_FALSE(bmpSetPixel(r, 0, 2, 1));
        HeapBlock f;
        size_t n = bmpSave(r, &f);
        ASSERT_EQ(n, kBmpHeaderSize + d.table + 2 * d.row);
        EXPECT_EQ(readLe32(&f[10]), kBmpHeaderSize + d.table);
        EXPECT_EQ(readLe32(&f[30]), d.bits == 16 ? 3u : 0u);
        EXPECT_EQ(readLe32(&f[34]), 2 * d.row);
        const uint8_t* pixels = f.data() + kBmpHeaderSize + d.table;
        if (d.bits == 32) {
            EXPECT_EQ(readLe32(pixels), 1u);                          // bottom row, x 0
            EXPECT_EQ(readLe32(pixels + 4), 0x00FFFFFFu);             // untouched
            EXPECT_EQ(readLe32(pixels + d.row + 8), 0x00123456u);     // top row, x 2
        } else if (d.bits == 24) {
            EXPECT_EQ(pixels[d.row + 6], 0x56);
            EXPECT_EQ(pixels[d.row + 8], 0x12);
        } else if (d.bits == 1) {
            EXPECT_EQ(pixels[0] & 0x80, 0x80);
        }
        bmpFree(r);
    }
}

}  // namespace
