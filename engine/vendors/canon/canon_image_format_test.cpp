#include "engine/vendors/canon/canon_image_format.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/link/byte_order.h"
#include "engine/ptp/property_store.h"
#include "engine/vendors/vendor_test_doubles.h"

namespace {

std::vector<uint8_t> record(std::vector<std::vector<uint32_t>> images) {
    std::vector<uint8_t> r(4);
    writeLe32(r.data(), static_cast<uint32_t>(images.size()));
    for (const auto& image : images) {
        size_t at = r.size();
        r.resize(at + 16);
        writeLe32(&r[at], 16);
        for (size_t i = 0; i < 3; ++i) writeLe32(&r[at + 4 + 4 * i], image[i]);
    }
    return r;
}

TEST(CanonImageFormat, PacksAndUnpacksTheCameraRecord) {
    const struct {
        std::vector<std::vector<uint32_t>> images;
        uint32_t packed;
    } cases[] = {
        {{{6, 0, 4}}, 0x16010000},
        {{{6, 1, 4}}, 0x16050000},
        {{{1, 0, 3}}, 0x1100C000},
        {{{1, 0x10, 2}}, 0x11408000},
        {{{6, 0, 4}, {1, 0, 3}}, 0x26010403},
        {{{6, 1, 4}, {1, 2, 2}}, 0x26050422},
        {{{6, 2, 4}, {1, 6, 0}}, 0x26090460},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = record(c.images);
        uint32_t packed = 0;
        EXPECT_EQ(canonImageFormatPack(bytes.data(), bytes.size(), &packed), static_cast<int>(bytes.size()));
        EXPECT_EQ(packed, c.packed);
        uint8_t back[kCanonImageFormatRecordMax];
        ASSERT_EQ(canonImageFormatUnpack(back, c.packed), static_cast<int>(bytes.size()));
        EXPECT_EQ(std::vector<uint8_t>(back, back + bytes.size()), bytes);
    }
}

TEST(CanonImageFormat, RecordsThatDoNotHoldWhatTheyAnnounceAreRefused) {
    uint32_t packed = 0x12345678;
    std::vector<uint8_t> two = record({{6, 0, 4}, {1, 0, 3}});
    // Every cut of a two-image record short of its 36 bytes.
    for (size_t n = 0; n < two.size(); ++n)
        EXPECT_EQ(canonImageFormatPack(two.data(), n, &packed), ERROR_INVALID_INPUT) << n;
    std::vector<uint8_t> three = record({{6, 0, 4}, {1, 0, 3}, {1, 0, 2}});
    EXPECT_EQ(canonImageFormatPack(three.data(), three.size(), &packed), -1);
    std::vector<uint8_t> none = record({});
    EXPECT_EQ(canonImageFormatPack(none.data(), none.size(), &packed), -1);
    std::vector<uint8_t> longEntry = record({{1, 0, 3}});
    writeLe32(&longEntry[4], 0xFFFFFFF0);  // an entry length no record can hold
    EXPECT_EQ(canonImageFormatPack(longEntry.data(), longEntry.size(), &packed), ERROR_INVALID_INPUT);
    EXPECT_EQ(packed, 0x12345678u);
    EXPECT_EQ(canonImageFormatPack(nullptr, 36, &packed), ERROR_INVALID_INPUT);
    uint8_t out[kCanonImageFormatRecordMax];
    EXPECT_EQ(canonImageFormatUnpack(out, 0x0FFFFFFF), ERROR_INVALID_INPUT);
    EXPECT_EQ(canonImageFormatUnpack(out, 0x30000000), ERROR_INVALID_INPUT);
}

TEST(CanonImageFormat, HalvesJoinAndSizes) {
    EXPECT_EQ(canonImageFormatRawHalf(0x26010403), 0x16010000u);
    EXPECT_EQ(canonImageFormatJpegHalf(0x26010403), 0x1100C000u);
    EXPECT_EQ(canonImageFormatJpegHalf(0x26050422), 0x11088000u);
    EXPECT_EQ(canonImageFormatRawHalf(0x1100C000), kCanonNoImageFormat);
    EXPECT_EQ(canonImageFormatJpegHalf(0x1100C000), 0x1100C000u);
    EXPECT_EQ(canonImageFormatJpegHalf(0x16010000), kCanonNoImageFormat);
    EXPECT_EQ(canonImageFormatJoin(0x16010000, 0x1100C000), 0x26010403u);
    EXPECT_EQ(canonImageFormatJoin(kCanonNoImageFormat, 0x1100C000), 0x1100C000u);
    EXPECT_EQ(canonImageFormatJoin(0x16010000, kCanonNoImageFormat), 0x16010000u);
    uint16_t size = 0;
    uint8_t compression = 0;
    EXPECT_EQ(canonImageFormatSizeQuality(0x26090460, 1, &size, &compression), PTP_RC_OK);
    EXPECT_EQ(size, 6);
    EXPECT_EQ(compression, 0);
    EXPECT_EQ(canonImageFormatSizeQuality(0x26090460, 6, &size, &compression), PTP_RC_OK);
    EXPECT_EQ(size, 2);
    EXPECT_EQ(compression, 4);
    EXPECT_EQ(canonImageFormatSizeQuality(0x1100C000, 6, &size, &compression), ERROR_GENERAL);
}

// The pickers work on the store's 0xD120 record.
TEST(CanonImageFormat, ChoicesAndPartsFromTheStore) {
    test_vendor::resetCoreState();
    uint32_t out = 0;
    std::vector<uint32_t> list;
    EXPECT_EQ(canonImageFormatRawPart(&out), ERROR_GENERAL);
    EXPECT_EQ(canonImageFormatChoices(6, &list), ERROR_GENERAL);
    PropertyStruct* r = propCreate(0xD120, true);
    r->kind = PTP_DTC_UINT32;
    r->value = 0x26010403;
    const PropertyValueNamesStruct allowed[] = {{"a", 0x1100C000}, {"b", 0x16010000}, {"c", 0x26010403},
                                                {"d", 0x11008000}, {"e", 0x16050000}};
    propSetValueList(r, allowed, 5);
    propUnlock(r);
    EXPECT_EQ(canonImageFormatRawPart(&out), PTP_RC_OK);
    EXPECT_EQ(out, 0x16010000u);
    EXPECT_EQ(canonImageFormatJpegPart(&out), PTP_RC_OK);
    EXPECT_EQ(out, 0x1100C000u);
    EXPECT_EQ(canonImageFormatJpegPart(nullptr), ERROR_INVALID_INPUT);
    ASSERT_EQ(canonImageFormatChoices(6, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<uint32_t>{kCanonNoImageFormat, 0x16010000, 0x16050000}));
    ASSERT_EQ(canonImageFormatChoices(1, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<uint32_t>{kCanonNoImageFormat, 0x1100C000, 0x11008000}));
    EXPECT_EQ(canonSetImageFormat(kCanonNoImageFormat, kCanonNoImageFormat), ERROR_INVALID_INPUT);
    EXPECT_EQ(canonImageFormatName(0x26010403), "RAW + Large Fine JPEG");
    test_vendor::resetCoreState();
}

}  // namespace
