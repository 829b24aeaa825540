// The Nikon property table and the texts of property values.
#include <gtest/gtest.h>

#include <set>

#include "engine/ptp/property_values.h"
#include "engine/vendors/nikon/nikon_test_fixture.h"

namespace {

TEST(NikonPropertyTable, RowsRunFromUnknownToTheSentinelWithoutRepeats) {
    const PropertyNameStruct* t = nikonPropertyNames();
    size_t n = nikonPropertyNameCount();
    ASSERT_EQ(n, 174u);  // "Unknown", 172 rows, the sentinel
    EXPECT_EQ(t[0].code, 0u);
    EXPECT_STREQ(t[0].name, "Unknown");
    EXPECT_EQ(t[n - 1].code, kNikonPropertySentinel);
    EXPECT_STREQ(t[n - 1].name, "Perceived Device Type");
    std::set<uint32_t> codes;
    for (size_t i = 0; i < n; ++i) {
        EXPECT_TRUE(codes.insert(t[i].code).second) << std::hex << t[i].code;
        EXPECT_NE(t[i].name, nullptr);
    }
    // A few rows in their place and with their types.
    EXPECT_EQ(t[1].code, 0x5001u);
    EXPECT_EQ(t[2].code, 0x5004u);
    EXPECT_EQ(t[3].code, 0x5003u);
    EXPECT_EQ(t[n - 2].code, 0xD16Au);
    struct Row {
        uint32_t code;
        const char* name;
        int32_t kind;
    };
    for (Row r : {Row{0x5003, "Image Size", kPropKindText}, Row{0xD0B6, "RAW Image Size", kPropKindText},
                  Row{0xD1AB, "Movie Exposure Bias", PTP_DTC_INT16}, Row{0xD1B1, "Exposure Status", PTP_DTC_INT8},
                  Row{0xD1BD, "Mirrorless Live View Zoom", PTP_DTC_UINT16}, Row{0xD0E7, "Mirrorless Lens Type", 0},
                  Row{0xD048, "A1 AFC Mode Priority", PTP_DTC_UINT8}, Row{0xD100, "Shutter Speed", PTP_DTC_UINT8},
                  Row{0xD0E2, "Lens Typs", PTP_DTC_UINT8}}) {
        const PropertyNameStruct* row = nikonPropertyEntry(r.code);
        ASSERT_NE(row, nullptr) << std::hex << r.code;
        EXPECT_STREQ(row->name, r.name);
        EXPECT_EQ(row->kind, r.kind) << r.name;
    }
    EXPECT_EQ(nikonPropertyEntry(0xD015), nullptr);
}

struct TextCase {
    const char* model;
    uint32_t code;
    uint32_t value;
    const char* text;
};

class NikonValueTexts : public NikonStoreTest {
protected:
    template <size_t N>
    void expectTexts(const TextCase (&cases)[N]) {
        for (const TextCase& c : cases) {
            nikonIdentifyModelText(c.model);
            EXPECT_EQ(propFormatValueOrNumber(c.code, c.value), c.text) << c.model << " " << std::hex << c.code;
        }
    }
};

TEST_F(NikonValueTexts, ValuesShowTheirNamesOrTheirNumber) {
    const TextCase cases[] = {
        {"D850", 0x5007, 560, "f5.6"},
        {"D850", 0x5007, 100, "f1"},
        {"D850", 0x5007, 9100, "f91"},
        {"D850", 0x5007, 0xFFFF, "Auto"},
        {"D850", 0x5007, 561, "561"},
        {"D850", 0xD1A9, 800, "f8"},
        {"D850", 0xD100, 0xFFFFFFFF, "bulb"},
        {"D850", 0xD100, 0xFFFFFFFE, "x spd"},
        {"D850", 0xD100, 0xFFFFFFFD, "- -"},
        {"D850", 0xD100, 0, "Auto"},
        {"D850", 0xD100, 0x000100FA, "1/250"},
        {"D850", 0xD100, 0x00011F40, "1/8000"},
        {"D850", 0xD100, 0x001E0001, "30\""},
        {"D850", 0xD100, 0x03840001, "900\""},
        {"D850", 0xD100, 0x000D000A, "1\"3"},
        {"D850", 0xD100, 0x000A000D, "0\"8"},
        {"D850", 0xD1A8, 0x0001003C, "1/60"},
        {"D850", 0x500E, 0x8050, "User 1"},
        {"D850", 0x500E, 4, "S"},
        {"D850", 0x5013, 0x8012, "MUP"},
        {"D850", 0x5013, 0x8178, "High-speed frame capture - C120"},
        {"D850", 0x5005, 0x8012, "Color Temperature"},
        {"D850", 0x5005, 3, "3"},
        {"D850", 0x500A, 0x8011, "AF-C"},
        {"D850", 0x500B, 0x8010, "Highlight-Weighted"},
        {"D850", 0xD1AF, 4, "Spot_NIKON"},
        {"D850", 0x500C, 0x8012, "Rear curtain"},
        {"D850", 0xD161, 4, "MF"},
        {"D850", 0xD161, 5, "AF-A"},
        {"D850", 0xD0FC, 0x15, "A"},
        {"D850", 0x500F, 400, "ISO 400"},
        {"D850", 0x500F, 0xFFFF, "Auto"},
        {"D850", 0x500F, 123, "123"},
        {"D850", 0xD0B5, 800, "ISO 800"},
        {"D850", 0x5004, 9, "RAW + JPG (BASIC)*"},
        {"D90", 0x5004, 6, "RAW + JPG (NORM)"},
        {"D90", 0x5004, 3, "TIFF"},
        {"D90", 0x500F, 1600, "ISO 1600"},
    };
    expectTexts(cases);
}

}  // namespace

namespace {

// ISO names follow each group of bodies' own native range: numbers inside it, stops below and above it. The
// expected texts are the bodies' published ranges counted in stops by hand.
TEST_F(NikonValueTexts, IsoNamesFollowTheBodysNativeRange) {
    const TextCase cases[] = {
        // A body in no group: the property rows' table, the 100-6400 bodies.
        {"D800", 0x500F, 0x32, "ISO Lo 1"},
        {"D800", 0x500F, 80, "ISO Lo 0.3"},
        {"D800", 0x500F, 64, "ISO Lo 0.7"},
        {"D800", 0x500F, 100, "ISO 100"},
        {"D800", 0x500F, 0x1900, "ISO 6400"},
        {"D800", 0x500F, 0x1F40, "ISO Hi 0.3"},
        {"D800", 0x500F, 0x2080, "ISO Hi 0.3"},
        {"D800", 0x500F, 10000, "ISO Hi 0.7"},
        {"D800", 0x500F, 12800, "ISO Hi 1"},
        {"D800", 0x500F, 0x6400, "ISO Hi 2"},
        {"D800", 0x500F, 0xFFFF, "Auto"},
        // 64-25600: 8000 is a native value here, not a step above the range.
        {"D850", 0xD0B4, 8000, "ISO 8000"},
        {"D850", 0xD0B4, 32, "ISO Lo 1"},
        {"D850", 0xD0B4, 32000, "ISO Hi 0.3"},
        {"D850", 0xD0B4, 102400, "ISO Hi 2"},
        {"D850", 0xD1AA, 25600, "ISO 25600"},
        {"D3S", 0x500F, 100, "ISO Lo 1"},
        {"D3S", 0x500F, 102400, "ISO Hi 3"},
        {"D750", 0x500F, 51200, "ISO Hi 2"},
        {"D810", 0x500F, 32, "ISO Lo 1"},
        {"D7200", 0x500F, 51200, "ISO Hi 1"},
        {"D5", 0xD0B4, 51200, "ISO 51200"},
        {"D5", 0xD0B4, 3280000, "ISO Hi 5"},
        {"D500", 0xD0B4, 1640000, "ISO Hi 5"},
        {"Z 6", 0xD1AA, 204800, "ISO Hi 2"},
        {"Z 7", 0xD0B4, 32, "ISO Lo 1"},
        {"Z 5", 0xD0B4, 102400, "ISO Hi 1"},
        {"Z6_3", 0xD0B4, 64000, "ISO 64000"},
        {"Z6_3", 0xD0B4, 80000, "ISO Hi 0.3"},
        {"Z 8", 0xD0B4, 0xFFFF, "Auto"},
    };
    expectTexts(cases);
    // The auto-ISO value has the ISO list of its row; its own text stays the plain number.
    const PropertyNameStruct* row = nikonPropertyEntry(0xD0B5);
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->valueNames, nullptr);
    EXPECT_STREQ(propValueNameInTable(row->valueNames, 0x6400), "ISO Hi 2");
    nikonIdentifyModelText("D850");
    EXPECT_EQ(propFormatValueOrNumber(0xD0B5, 0x6400), "ISO 25600");
}

}  // namespace
