// The Fujifilm property table, its value names and the module's own value texts.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <set>
#include <string>

#include "engine/ptp/property_store.h"
#include "engine/vendors/fujifilm/fuji_property_table.h"

namespace {

const char* nameOf(uint32_t code, uint32_t value) {
    const PropertyNameStruct* row = fujiPropertyRow(code);
    return row ? propValueNameInTable(row->valueNames, value) : nullptr;
}

size_t entries(uint32_t code) {
    const PropertyNameStruct* row = fujiPropertyRow(code);
    size_t n = 0;
    while (row && row->valueNames && row->valueNames[n].name[0]) ++n;
    return n;
}

TEST(FujiPropertyTable, RowsKindsAndSentinel) {
    ASSERT_EQ(fujiPropertyRowCount(), 97u);
    const PropertyNameStruct* rows = fujiPropertyNames();
    EXPECT_EQ(rows[96].code, kFujiSentinelCode);
    EXPECT_STREQ(rows[96].name, "Custom - Focus Height");
    std::set<uint32_t> codes;
    for (size_t i = 0; i < 97; ++i) codes.insert(rows[i].code);
    // Two rows share a name but no two share a code.
    EXPECT_EQ(codes.size(), 97u);
    for (uint32_t text : {0x5003u, 0xD20Bu, 0xD36Du, 0xD38Du}) EXPECT_EQ(fujiPropertyRow(text)->kind, kPropKindText);
    EXPECT_EQ(fujiPropertyRow(0x500D)->kind, PTP_DTC_UINT32);
    EXPECT_EQ(fujiPropertyRow(0x5007)->kind, 0);
    EXPECT_STREQ(fujiPropertyRow(0xD02A)->name, "Focus Metering Mode 0");
    EXPECT_STREQ(fujiPropertyRow(0xD02B)->name, "Focus Metering Mode 0");
    EXPECT_EQ(fujiPropertyRow(0x1234), nullptr);

    size_t count = 0;
    const uint32_t* created = fujiCreationCodes(&count);
    ASSERT_EQ(count, 37u);
    for (size_t i = 0; i < count; ++i) EXPECT_NE(fujiPropertyRow(created[i]), nullptr) << std::hex << created[i];
}

TEST(FujiPropertyTable, ValueNames) {
    struct Case {
        uint32_t code;
        uint32_t value;
        const char* name;
    };
    const Case cases[] = {
        {0x5005, 0x8007, "ColorTemperature"}, {0x500A, 0x8002, "AF-C"},    {0x500E, 6, "P"},
        {0x500D, 0, "Unknown"},               {0x500D, 5, "1/180000"},     {0x500D, 0x7A, "1/8000"},
        {0x500D, 0x3D0, "1/1000"},            {0x500D, 0x3D09, "1/60"},    {0x500D, 1000000, "1\""},
        {0x500D, 0x3D09000, "60\""},          {0x500D, 64000030, "120\""}, {0x500D, 64000180, "3600\""},
        {0x500D, 0xFFFFFFFF, "Bulb"},         {0x500F, 40, "ISO 40"},      {0x500F, 102400, "ISO 102400"},
        {0x500F, 0xFFFFFFFC, "AUTO 4"},       {0x500F, 0x8005, "AUTO 6400"}, {0x5012, 0, "OFF"},
        {0xD02D, 0x8003, "Wide/Tracking"},    {0xD001, 15, "Acros G"},     {0xD017, 2500, "2500"},
        {0xD017, 10000, "10000"},             {0xD018, 7, "RAW + JPG Super Fine"}, {0xD01B, 10, "x13.1"},
        {0xD022, 1, "Off"},                   {0xD355, 1, "On"},           {0xD224, 0x8000, "AFL"},
        {0xD207, 2, "PC"},                    {0xD209, 3, "Failure"},      {0xD359, 3, "AE AWB"},
    };
    for (const Case& c : cases) {
        const char* name = nameOf(c.code, c.value);
        ASSERT_NE(name, nullptr) << std::hex << c.code << " " << c.value;
        EXPECT_STREQ(name, c.name) << std::hex << c.code << " " << c.value;
    }
    EXPECT_EQ(nameOf(0x500A, 2), nullptr);
    EXPECT_EQ(entries(0xD017), 31u);
    EXPECT_EQ(entries(0x5005), 12u);
    EXPECT_EQ(entries(0xD01B), 10u);
    // The shutter times grow with their names: each entry's value is larger than the one before (Bulb last).
    const PropertyValueNamesStruct* speeds = fujiPropertyRow(0x500D)->valueNames;
    for (size_t i = 1; speeds[i].name[0]; ++i) EXPECT_GT(speeds[i].value, speeds[i - 1].value) << speeds[i].name;
}

// The colour temperatures of 0xD017: 31 entries from 2500 K to 10000 K, each named by its number.
TEST(FujiPropertyTable, TheKelvinTable) {
    const uint32_t kKelvin[] = {2500, 2750, 3000, 3250, 3500, 3750, 4000, 4250, 4500, 4750, 5000,
                                5250, 5500, 5750, 6000, 6250, 6500, 6750, 7000, 7250, 7500, 7750,
                                8000, 8250, 8500, 8750, 9000, 9250, 9500, 9750, 10000};
    const PropertyValueNamesStruct* rows = fujiPropertyRow(0xD017)->valueNames;
    ASSERT_NE(rows, nullptr);
    size_t i = 0;
    for (; rows[i].name[0]; ++i) {
        ASSERT_LT(i, std::size(kKelvin));
        EXPECT_EQ(rows[i].value, kKelvin[i]) << i;
        EXPECT_EQ(std::string(rows[i].name), std::to_string(kKelvin[i])) << i;
    }
    EXPECT_EQ(i, std::size(kKelvin));
}

// The exposure compensation is a signed 16-bit count of thousandths of a stop: its text is that many stops with one
// decimal, as the module's own conversion reads it (+1 EV is "1.0", never "33.3").
TEST(FujiPropertyTable, ModuleValueTexts) {
    struct Case {
        uint32_t code;
        uint32_t value;
        const char* text;  // none: the value names apply
    };
    const Case cases[] = {
        {0x5003, 0, "2496x1664"},   {0x5003, 69, "7728x5152"}, {0x5003, 0x1230F, "6000x4000"}, {0x5003, 70, nullptr},
        {0x5007, 560, "5.6"},       {0x5007, 1100, "11.0"},    {0x5010, 1000, "1.0"},          {0x5010, 0xFFFFFEB3, "-0.3"},
        {0x5010, 0xFEB3, "-0.3"},   {0x5010, 667, "0.7"},      {0x5010, 3000, "3.0"},          {0x5010, 0xF448, "-3.0"},
        {0x500D, 0x3D09, nullptr},
        {0x500F, 160, nullptr},     {0x500F, 0x8003, nullptr}, {0x500F, 0xFFFFFFFE, nullptr},  // named by the list
        {0x500F, 125000, "ISO 125000"},  {0x500F, 30, "ISO 30"},
    };
    for (const Case& c : cases) {
        std::optional<std::string> text = fujiFormatValueText(c.code, c.value);
        if (!c.text) {
            EXPECT_FALSE(text) << std::hex << c.code << " " << c.value;
        } else {
            ASSERT_TRUE(text) << std::hex << c.code << " " << c.value;
            EXPECT_EQ(*text, c.text);
        }
    }
}

}  // namespace
