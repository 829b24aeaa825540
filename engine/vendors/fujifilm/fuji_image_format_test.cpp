// Fujifilm image sizes, the combined image-format value, its label, the picker's choices and the shots left.
#include <gtest/gtest.h>

#include "engine/vendors/fujifilm/fuji_image_format.h"
#include "engine/vendors/fujifilm/fuji_property_table.h"
#include "engine/vendors/fujifilm/fuji_store_fixture.h"

namespace {

TEST(FujiImageSizes, TextsLettersAndIndices) {
    struct Letter {
        uint32_t index;
        char letter;
    };
    for (Letter c : {Letter{0, 'S'}, {2, 'S'}, {3, 'M'}, {8, 'L'}, {9, 'S'}, {14, 'M'}, {17, 'L'}, {20, 'S'},
                     {23, 'L'}, {27, 'S'}, {28, 'L'}, {31, 'L'}, {34, 'S'}, {37, 'M'}, {40, 'L'}, {41, 'M'},
                     {47, 'M'}, {48, 'L'}, {54, 'L'}, {55, 'S'}, {59, 'S'}, {60, 'M'}, {64, 'M'}, {65, 'L'},
                     {69, 'L'}, {70, 0}})
        EXPECT_EQ(fujiImageSizeLetter(c.index), c.letter) << c.index;
    EXPECT_STREQ(fujiImageSizeText(15), "6000x4000");
    EXPECT_STREQ(fujiImageSizeText(48), "11648x8736");
    EXPECT_EQ(fujiImageSizeText(70), nullptr);

    struct Index {
        const char* text;
        uint8_t model;
        uint16_t index;
    };
    const Index cases[] = {
        {"8256x5504", 20, 21},  {"8256x5504", 23, 41}, {"6192x6192", 37, 43},  {"4000x3000", 33, 24},
        {"3264x2592", 36, 55},  {"3264x2592", 22, 0xFFFF}, {"6240x4160", 36, 0xFFFF}, {"6240x4160", 22, 38},
        {"7728x5152", 35, 0xFFFF}, {"nonsense", 22, 0xFFFF}, {nullptr, 22, 0},
    };
    for (const Index& c : cases)
        EXPECT_EQ(fujiImageSizeIndexForModel(c.text, c.model), c.index) << (c.text ? c.text : "(none)") << " "
                                                                        << int(c.model);
}

// All 70 size texts and their letters, index by index, as the size table lists them in runs.
TEST(FujiImageSizes, TheWholeSizeTable) {
    struct Run {
        char letter;
        std::vector<const char*> texts;
    };
    const Run kRuns[] = {
        {'S', {"2496x1664", "2496x1408", "1664x1664"}},
        {'M', {"3456x2304", "3456x1944", "2304x2304"}},
        {'L', {"4896x3264", "4896x2760", "3264x3264"}},
        {'S', {"3008x2000", "3008x1688", "2000x2000"}},
        {'M', {"4240x2832", "4240x2384", "2832x2832"}},
        {'L', {"6000x4000", "6000x3376", "4000x4000"}},
        {'S', {"4000x2664", "4000x2248", "2992x2992"}},
        {'L', {"8256x5504", "8256x4640", "6192x6192"}},
        {'S', {"4000x3000", "4000x1480", "3744x3000", "3504x3000"}},
        {'L', {"8256x6192", "8256x3048", "7744x6192", "7232x6192"}},
        {'S', {"3120x2080", "3120x1760", "2080x2080"}},
        {'M', {"4416x2944", "4416x2488", "2944x2944"}},
        {'L', {"6240x4160", "6240x3512", "4160x4160"}},
        {'M', {"8256x5504", "8256x4640", "6192x6192", "8256x6192", "8256x3048", "7744x6192", "7232x6192"}},
        {'L', {"11648x8736", "11648x7768", "11648x6552", "8736x8736", "11648x4304", "10928x8736", "10192x8736"}},
        {'S', {"3264x2592", "3456x2592", "2592x2592", "3888x2184", "3888x2592"}},
        {'M', {"4560x3648", "4864x3648", "3648x3648", "5472x3080", "5472x3648"}},
        {'L', {"6432x5152", "6864x5152", "5152x5152", "7728x4344", "7728x5152"}},
    };
    uint32_t index = 0;
    for (const Run& run : kRuns) {
        for (const char* text : run.texts) {
            ASSERT_NE(fujiImageSizeText(index), nullptr) << index;
            EXPECT_STREQ(fujiImageSizeText(index), text) << index;
            EXPECT_EQ(fujiImageSizeLetter(index), run.letter) << index;
            // The value text of the size property is the same text, from the low byte of the value.
            EXPECT_EQ(fujiFormatValueText(0x5003, 0xAB00 | index), std::optional<std::string>(text)) << index;
            ++index;
        }
    }
    EXPECT_EQ(index, 70u);
    EXPECT_EQ(fujiImageSizeText(70), nullptr);
    EXPECT_EQ(fujiFormatValueText(0x5003, 70), std::nullopt);
}

TEST(FujiImageSizes, AspectGroupsFollowTheModel) {
    EXPECT_EQ(fujiAspectGroup(38, 22),
              (std::vector<uint32_t>{0, 9, 3, 12, 15, 6, 18, 32, 35, 38, 49, 59, 64, 69}));
    EXPECT_EQ(fujiAspectGroup(38, 20),
              (std::vector<uint32_t>{0, 9, 3, 12, 15, 6, 18, 21, 32, 35, 38, 49, 59, 64, 69}));
    EXPECT_EQ(fujiAspectGroup(52, 23), (std::vector<uint32_t>{25, 45, 52}));
    EXPECT_EQ(fujiAspectGroup(52, 34), (std::vector<uint32_t>{25, 52}));
    EXPECT_EQ(fujiAspectGroup(54, 21), (std::vector<uint32_t>{27, 31, 54}));
    EXPECT_TRUE(fujiAspectGroup(70, 22).empty());
}

TEST(FujiImageFormatLabel, Texts) {
    struct Case {
        int32_t value;
        const char* label;
    };
    const Case cases[] = {
        {-1, "--"},
        {0x1010000, "RAW"},
        {0x2010000, "C-RAW"},
        {0x2010F02, "C-RAW + L JPG (FINE)"},
        {0x0003, "S JPG (NORM)"},
        {0x2606, "L JPG (S-FINE)"},
        {0x0004, "S JPG "},
        {0x1012607, "RAW + L JPG "},
        {0x4602, "JPG (FINE)"},  // an index past the table has no letter
        {0x0001, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(fujiImageFormatLabel(c.value), c.label) << std::hex << c.value;
}

class FujiImageFormat : public FujiStoreTest {};

TEST_F(FujiImageFormat, ValueFromQualitySizeAndCompression) {
    record(0x5003, 38);
    record(0xD018, 1);
    record(0xD022, 2);
    struct Case {
        uint32_t quality;
        uint32_t value;
        int32_t raw, jpeg;
    };
    const Case cases[] = {
        {1, 0x2010000, 0x2010000, -1},      {2, 0x2602, -1, 0x2602},       {3, 0x2603, -1, 0x2603},
        {4, 0x2012602, 0x2010000, 0x2602},  {5, 0x2012603, 0x2010000, 0x2603}, {6, 0x2606, -1, 0x2606},
        {7, 0x2012606, 0x2010000, 0x2606},  {8, 0, -1, -1},
    };
    for (const Case& c : cases) {
        setValue(0xD018, c.quality);
        uint32_t value = 0;
        int32_t raw = 0, jpeg = 0;
        ASSERT_EQ(fujiImageFormatValue(&value), PTP_RC_OK);
        ASSERT_EQ(fujiRawFormatValue(&raw), PTP_RC_OK);
        ASSERT_EQ(fujiJpegFormatValue(&jpeg), PTP_RC_OK);
        EXPECT_EQ(value, c.value) << c.quality;
        EXPECT_EQ(raw, c.raw) << c.quality;
        EXPECT_EQ(jpeg, c.jpeg) << c.quality;
        EXPECT_EQ(fujiFormatIsRawPlusJpeg(), c.quality == 4 || c.quality == 5 || c.quality == 7);
    }
}

TEST_F(FujiImageFormat, MissingRecords) {
    uint32_t value = 0;
    int32_t part = 0;
    EXPECT_EQ(fujiImageFormatValue(&value), ERROR_INVALID_INPUT);
    EXPECT_EQ(fujiRawFormatValue(&part), ERROR_GENERAL);
    record(0xD018, 4);
    EXPECT_EQ(fujiJpegFormatValue(&part), ERROR_GENERAL);
    ASSERT_EQ(fujiRawFormatValue(&part), PTP_RC_OK);
    EXPECT_EQ(part, 0x10000);  // no compression record: RAW alone
    std::vector<int32_t> list;
    EXPECT_EQ(fujiImageFormatChoices(1, &list), PTP_ERROR_UNSUPPORTED_COMMAND);
    EXPECT_EQ(fujiImageFormatChoices(1, nullptr), ERROR_INVALID_INPUT);
    // Nothing asked for: refused before any record is looked at or anything sent.
    EXPECT_EQ(fujiSetImageFormat(-1, -1), ERROR_GENERAL);
}

TEST_F(FujiImageFormat, ChoicesOfTheCurrentAspect) {
    record(0x5003, 38, {32, 35, 38, 39});
    record(0xD018, 2, {1, 2, 3, 4, 5, 6, 7});
    std::vector<int32_t> list;
    ASSERT_EQ(fujiImageFormatChoices(6, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1, 0x1010000}));
    record(0xD022, 1);
    ASSERT_EQ(fujiImageFormatChoices(6, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1, 0x1010000, 0x2010000}));

    ASSERT_EQ(fujiImageFormatChoices(1, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1, 0x2003, 0x2002, 0x2006, 0x2303, 0x2302, 0x2306, 0x2603, 0x2602, 0x2606}));
    // A 16:9 size offers the 16:9 sizes the camera lists.
    setValue(0x5003, 39);
    ASSERT_EQ(fujiImageFormatChoices(1, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1, 0x2703, 0x2702, 0x2706}));
    // A size in no group offers nothing; another kind neither.
    setValue(0x5003, 0xFFFF);
    ASSERT_EQ(fujiImageFormatChoices(1, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1}));
    ASSERT_EQ(fujiImageFormatChoices(3, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1}));
}

TEST_F(FujiImageFormat, ChoicesWithoutSuperFine) {
    record(0x5003, 38, {38});
    record(0xD018, 2, {1, 2, 3, 4, 5});
    std::vector<int32_t> list;
    ASSERT_EQ(fujiImageFormatChoices(1, &list), PTP_RC_OK);
    EXPECT_EQ(list, (std::vector<int32_t>{-1, 0x2603, 0x2602}));
}

TEST_F(FujiImageFormat, ShotsAvailableFromTheCapacityText) {
    EXPECT_EQ(fujiShotsAvailable(), 0);
    record(0xD20D, 0);
    EXPECT_EQ(fujiShotsAvailable(), 0);
    setText(0xD20D, "321,0,0");
    EXPECT_EQ(fujiShotsAvailable(), 321);
    camSetModelIndex(35);
    setText(0xD20D, "1,2,3,4,987,6");
    EXPECT_EQ(fujiShotsAvailable(), 987);
    setText(0xD20D, "1,2,3");
    EXPECT_EQ(fujiShotsAvailable(), 0);
}

}  // namespace
