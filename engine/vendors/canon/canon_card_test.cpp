#include "engine/vendors/canon/canon_card.h"

#include <gtest/gtest.h>

#include <vector>

#include "devicesim/canon_event_data.h"
#include "devicesim/canon_frames.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/wire.h"

namespace {

using Bytes = std::vector<uint8_t>;
namespace wire = devicesim::wire;

// A 0x9170 / 0x9109 record: length, handle, parent, format, then values at +24 and +28 and the name at +36.
Bytes exRecord(uint32_t handle, uint32_t parent, uint32_t format, const std::string& name, uint32_t length = 100) {
    Bytes r;
    for (uint32_t v : {length, handle, parent, format, 0u, 0u, 111u, 222u, 0u}) wire::put32(r, v);
    Bytes n(64, 0);
    std::copy(name.begin(), name.end(), n.begin());
    r.insert(r.end(), n.begin(), n.end());
    r.resize(length, 0);
    return r;
}

// A 0x917A record: handle at +4, parent, format, the name as a PTP string at +44.
Bytes entryRecord(uint32_t handle, uint32_t parent, uint32_t format, const std::string& name) {
    Bytes r;
    for (uint32_t v : {0u, handle, parent, format}) wire::put32(r, v);
    r.resize(44, 0);
    Bytes s = devicesim::canonPtpString(name);
    r.insert(r.end(), s.begin(), s.end());
    return r;
}

Bytes listing(std::initializer_list<Bytes> records, uint32_t count) {
    Bytes out;
    wire::put32(out, count);
    for (const Bytes& r : records) out.insert(out.end(), r.begin(), r.end());
    return out;
}

TEST(CanonCardParsers, EntriesOfBothReplyForms) {
    std::vector<CanonObjectEntry> e;
    Bytes ex = listing({exRecord(1, 0x10001, 0x3001, "DCIM"), exRecord(2, 0x10001, 0x3801, "IMG_0001.JPG"),
                        exRecord(3, 0x10001, 0xB103, "IMG_0001.CR2")},
                       3);
    ASSERT_EQ(canonParseObjectEntries(ex.data(), ex.size(), 0x9170, 0, &e), PTP_RC_OK);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[1].handle, 2u);
    EXPECT_EQ(e[1].parent, 0x10001u);
    EXPECT_EQ(e[1].format, 0x3801u);
    EXPECT_EQ(e[1].value1, 111u);
    EXPECT_EQ(e[1].value2, 222u);
    EXPECT_STREQ(e[1].fileName, "IMG_0001.JPG");
    e.clear();
    ASSERT_EQ(canonParseObjectEntries(ex.data(), ex.size(), 0x9109, 0xB103, &e), PTP_RC_OK);
    ASSERT_EQ(e.size(), 2u);  // the folder is kept, the JPEG dropped
    EXPECT_EQ(e[0].format, 0x3001u);
    EXPECT_EQ(e[1].format, 0xB103u);

    e.clear();
    Bytes entries = listing({entryRecord(7, 0x10001, 0x3001, "DCIM"), entryRecord(8, 7, 0xB108, "IMG_0002.CR3")}, 2);
    ASSERT_EQ(canonParseObjectEntries(entries.data(), entries.size(), 0x917A, 0, &e), PTP_RC_OK);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_STREQ(e[1].fileName, "IMG_0002.CR3");
    EXPECT_EQ(e[1].value1, 0u);
    EXPECT_EQ(canonParseObjectEntries(nullptr, 0, 0x917A, 0, &e), ERROR_BAD_PACKET);
}

TEST(CanonCardParsers, CountsAndLengthsBeyondTheReplyAreNotRead) {
    std::vector<CanonObjectEntry> e;
    // A count far above what is there; a record length past the end; one shorter than its fields.
    Bytes a = listing({exRecord(1, 0, 0x3801, "A.JPG")}, 100000);
    EXPECT_EQ(canonParseObjectEntries(a.data(), a.size(), 0x9170, 0, &e), PTP_RC_OK);
    EXPECT_EQ(e.size(), 1u);
    e.clear();
    Bytes b = listing({exRecord(1, 0, 0x3801, "A.JPG"), exRecord(2, 0, 0x3801, "B.JPG")}, 2);
    wire::set32(b, 104, 0x7FFFFFFF);
    EXPECT_EQ(canonParseObjectEntries(b.data(), b.size(), 0x9170, 0, &e), PTP_RC_OK);
    EXPECT_EQ(e.size(), 1u);
    e.clear();
    Bytes c = listing({exRecord(1, 0, 0x3801, "A.JPG", 20)}, 1);
    EXPECT_EQ(canonParseObjectEntries(c.data(), c.size(), 0x9170, 0, &e), PTP_RC_OK);
    EXPECT_TRUE(e.empty());
    // A name of 64 bytes without a terminator is cut to 63 characters.
    Bytes d = listing({exRecord(1, 0, 0x3801, std::string(64, 'N'))}, 1);
    ASSERT_EQ(canonParseObjectEntries(d.data(), d.size(), 0x9170, 0, &e), PTP_RC_OK);
    EXPECT_EQ(std::string(e[0].fileName).size(), 63u);
    e.clear();
    // A PTP string announcing more characters than the record holds.
    Bytes f = listing({entryRecord(9, 0, 0x3801, "X.JPG")}, 1);
    f[4 + 44] = 200;
    EXPECT_EQ(canonParseObjectEntries(f.data(), f.size(), 0x917A, 0, &e), PTP_RC_OK);
    EXPECT_TRUE(e.empty());
}

TEST(CanonCardParsers, FileNumbers) {
    Bytes r;
    for (uint32_t v : {3u, 20u}) wire::put32(r, v);
    for (uint32_t row : {0u, 1u, 2u})
        for (uint32_t v : {0x100u + row, 0u, 0u, 0u, row == 1 ? 0xFFFFFFFFu : 40 + row}) wire::put32(r, v);
    std::vector<std::pair<uint32_t, uint32_t>> rows;
    ASSERT_EQ(canonParseFileNumbers(r.data(), r.size(), &rows), PTP_RC_OK);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (std::pair<uint32_t, uint32_t>{0x100, 40}));
    EXPECT_EQ(rows[1].second, 0u);
    rows.clear();
    EXPECT_EQ(canonParseFileNumbers(r.data(), 8, &rows), ERROR_BAD_PACKET);
    wire::set32(r, 0, 0xFFFFFFFF);  // more rows than there are
    ASSERT_EQ(canonParseFileNumbers(r.data(), r.size() - 1, &rows), PTP_RC_OK);
    EXPECT_EQ(rows.size(), 2u);
    wire::set32(r, 4, 4);  // rows too short for their number
    EXPECT_EQ(canonParseFileNumbers(r.data(), r.size(), &rows), ERROR_BAD_PACKET);
}

TEST(CanonCardParsers, ThumbnailCleaning) {
    devicesim::JpegRecipe recipe;
    recipe.width = 64;
    recipe.height = 48;
    recipe.size = 4000;
    Bytes jpeg = devicesim::canonBareJpeg(devicesim::jpegImage(recipe)->bytes);
    Bytes reply = devicesim::canonThumbnailReply(jpeg, 6);
    HeapBlock data = HeapBlock::copyOf(reply);
    uint8_t orientation = 0;
    ASSERT_EQ(canonCleanThumbnail(&data, &orientation), PTP_RC_OK);
    EXPECT_EQ(orientation, 6);
    EXPECT_EQ(data.toVector(), jpeg);
    // Without an orientation asked for the tag is not needed.
    Bytes noTag(jpeg);
    noTag.insert(noTag.begin(), {1, 2, 3});
    data = HeapBlock::copyOf(noTag);
    ASSERT_EQ(canonCleanThumbnail(&data, nullptr), PTP_RC_OK);
    EXPECT_EQ(data.toVector(), jpeg);
    data = HeapBlock::copyOf(noTag);
    EXPECT_EQ(canonCleanThumbnail(&data, &orientation), ERROR_INVALID_INPUT);
    Bytes tagAtEnd = {0, 0, 0x12, 0x01, 0, 0, 0, 0, 0};  // the orientation byte would lie past the end
    data = HeapBlock::copyOf(tagAtEnd);
    EXPECT_EQ(canonCleanThumbnail(&data, &orientation), ERROR_INVALID_INPUT);
    Bytes noJpeg = {0x12, 0x01, 0, 0, 0, 0, 0, 0, 1, 0xFF, 0xD8, 0xFF, 0xE0};
    data = HeapBlock::copyOf(noJpeg);
    EXPECT_EQ(canonCleanThumbnail(&data, &orientation), ERROR_INVALID_INPUT);
}

TEST(CanonCr3, FindsThePreviewAndChecksItLiesInside) {
    devicesim::JpegRecipe recipe;
    recipe.width = 320;
    recipe.height = 200;
    recipe.size = 150000;  // above 99999: read from the value just before "free"
    Bytes jpeg = devicesim::jpegImage(recipe)->bytes;
    Bytes file = devicesim::canonCr3File(jpeg, 5000, 9);
    uint64_t offset = 1, size = 1;
    ASSERT_TRUE(canonRawFindPreviewJpeg(file.data(), file.size(), &offset, &size));
    EXPECT_EQ(size, jpeg.size());
    EXPECT_EQ(Bytes(file.begin() + long(offset), file.begin() + long(offset + size)), jpeg);

    // A preview past the end of the data is not reported.
    Bytes cut(file.begin(), file.begin() + long(offset + size - 1));
    EXPECT_FALSE(canonRawFindPreviewJpeg(cut.data(), cut.size(), &offset, &size));
    EXPECT_EQ(offset, 0u);
    EXPECT_EQ(size, 0u);
    // Missing markers.
    Bytes noCo64 = file;
    for (size_t i = 0; i + 4 <= noCo64.size(); ++i)
        if (std::equal(noCo64.begin() + long(i), noCo64.begin() + long(i) + 4, "co64")) noCo64[i] = 'x';
    EXPECT_FALSE(canonRawFindPreviewJpeg(noCo64.data(), noCo64.size(), &offset, &size));
    EXPECT_FALSE(canonRawFindPreviewJpeg(file.data(), 40, &offset, &size));
    EXPECT_FALSE(canonRawFindPreviewJpeg(nullptr, 0, &offset, &size));
}

}  // namespace
