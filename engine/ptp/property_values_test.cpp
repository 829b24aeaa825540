#include "engine/ptp/property_values.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/vendors/vendor_test_doubles.h"

namespace {

// A DevicePropDesc dataset, built by hand so that the tests do not depend on any encoder of the engine.
struct Desc {
    std::vector<uint8_t> bytes;
    Desc(uint16_t code, uint16_t type, uint8_t getSet) {
        put(code, 2);
        put(type, 2);
        bytes.push_back(getSet);
    }
    Desc& put(uint64_t v, size_t n) {
        for (size_t i = 0; i < n; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Desc& str(const std::string& s) {
        if (s.empty()) {
            bytes.push_back(0);
            return *this;
        }
        bytes.push_back(static_cast<uint8_t>(s.size() + 1));
        for (char c : s) put(static_cast<uint8_t>(c), 2);
        return put(0, 2);
    }
    Desc& form(uint8_t f) {
        bytes.push_back(f);
        return *this;
    }
};

size_t sizeOf(uint16_t type) { return type <= 2 ? 1 : type <= 4 ? 2 : type <= 6 ? 4 : 8; }

class PropertyValuesTest : public ::testing::Test {
protected:
    void SetUp() override { test_vendor::resetCoreState(); }
    void TearDown() override { test_vendor::resetCoreState(); }

    PropertyStruct* parse(uint32_t code, const Desc& d, bool* ok = nullptr) {
        PropertyStruct* r = propFind(code);
        if (!r) r = propCreate(code);
        bool parsed = propParseDesc(r, d.bytes.data(), d.bytes.size());
        if (ok) *ok = parsed;
        else EXPECT_TRUE(parsed);
        return r;
    }
};

// Every numeric data type with both forms: values read at their width, 64-bit kinds keeping their low 32 bits.
TEST_F(PropertyValuesTest, EveryNumericTypeParsesWithEnumerationAndRange) {
    struct Case {
        uint16_t type;
        uint64_t a, b, c;  // raw values of the type's width
        uint32_t expectA, expectB, expectC;
    };
    const Case cases[] = {
        {PTP_DTC_INT8, 0xFE, 0x05, 0x7F, 0xFE, 5, 0x7F},
        {PTP_DTC_UINT8, 1, 2, 3, 1, 2, 3},
        {PTP_DTC_INT16, 0xFFFD, 0, 3, 0xFFFD, 0, 3},
        {PTP_DTC_UINT16, 100, 200, 400, 100, 200, 400},
        {PTP_DTC_INT32, 0xFFFFFF00, 0, 0x100, 0xFFFFFF00, 0, 0x100},
        {PTP_DTC_UINT32, 0x80000000, 1, 2, 0x80000000, 1, 2},
        {PTP_DTC_INT64, 0x0000000500000007ull, 8, 9, 7, 8, 9},
        {PTP_DTC_UINT64, 0x1234567800000010ull, 0x11, 0x12, 0x10, 0x11, 0x12},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.type);
        size_t n = sizeOf(k.type);
        Desc e(0x5100 + k.type, k.type, 1);
        e.put(k.a, n).put(k.b, n).form(2).put(3, 2).put(k.a, n).put(k.b, n).put(k.c, n);
        PropertyStruct* r = parse(0x5100 + k.type, e);
        EXPECT_EQ(r->kind, k.type);
        EXPECT_EQ(r->enabled, 1);
        EXPECT_EQ(r->value, k.expectB);
        EXPECT_EQ(r->form, kPropFormEnumeration);
        ASSERT_EQ(r->valueCount, 3);
        EXPECT_EQ(r->values[0].value, k.expectA);
        EXPECT_EQ(r->values[1].value, k.expectB);
        EXPECT_EQ(r->values[2].value, k.expectC);
        EXPECT_STREQ(r->values[2].name, std::to_string(static_cast<int32_t>(k.expectC)).c_str());

        // The same type as a range from b to c in steps of 1 (signed kinds counted as signed).
        Desc g(0x5200 + k.type, k.type, 0);
        g.put(k.b, n).put(k.b, n).form(1).put(k.b, n).put(k.c, n).put(1, n);
        PropertyStruct* q = parse(0x5200 + k.type, g);
        EXPECT_EQ(q->enabled, 0);
        EXPECT_EQ(q->form, kPropFormRange);
        ASSERT_EQ(q->valueCount, k.expectC - k.expectB + 1);
        EXPECT_EQ(q->values[q->valueCount - 1].value, k.expectC);
        // The current value's width agrees between a description and a later raw update.
        std::vector<uint8_t> raw;
        for (size_t i = 0; i < n; ++i) raw.push_back(static_cast<uint8_t>(k.c >> (8 * i)));
        EXPECT_GE(propUpdateValue(0x5200 + k.type, raw.data(), raw.size()), 0);
        EXPECT_EQ(q->value, k.expectC);
    }
}

TEST_F(PropertyValuesTest, RangeOfIsoValuesIsListedWithDecimalNames) {
    Desc d(0x500F, PTP_DTC_UINT16, 1);
    d.put(100, 2).put(400, 2).form(1).put(100, 2).put(1600, 2).put(100, 2);
    PropertyStruct* r = parse(0x500F, d);
    ASSERT_EQ(r->valueCount, 16);
    EXPECT_STREQ(r->values[0].name, "100");
    EXPECT_STREQ(r->values[15].name, "1600");
    EXPECT_STREQ(r->valueText, "400");
    EXPECT_TRUE(propValueAllowed(0x500F, 800));
    EXPECT_FALSE(propValueAllowed(0x500F, 850));
}

// Ranges up to 65,535 entries are listed whole, so pickers and brackets can read every value; one entry more and
// the range keeps its bounds only.
TEST_F(PropertyValuesTest, RangesUpTo65535EntriesAreListed) {
    const struct {
        uint16_t type;
        int64_t min, max, step;
        uint16_t count;  // 0: kept as a range
        uint32_t last;
    } cases[] = {
        {PTP_DTC_UINT16, 0, 1024, 1, 1025, 1024},
        {PTP_DTC_UINT16, 0, 4000, 1, 4001, 4000},
        {PTP_DTC_UINT32, 10, 10 + 65534 * 3, 3, 65535, 10 + 65534 * 3},
        {PTP_DTC_UINT32, 10, 10 + 65535 * 3, 3, 0, 0},
        {PTP_DTC_INT16, -3000, 3000, 1, 6001, 3000},
        {PTP_DTC_UINT16, 0, 0xFFFE, 1, 65535, 0xFFFE},
        {PTP_DTC_UINT16, 0, 0xFFFF, 1, 0, 0},
    };
    for (const auto& c : cases) {
        const size_t n = sizeOf(c.type);
        Desc d(0xD110, c.type, 1);
        d.put(static_cast<uint64_t>(c.min), n).put(static_cast<uint64_t>(c.min), n).form(1);
        d.put(static_cast<uint64_t>(c.min), n).put(static_cast<uint64_t>(c.max), n).put(static_cast<uint64_t>(c.step), n);
        PropertyStruct* r = parse(0xD110, d);
        SCOPED_TRACE(testing::Message() << c.min << ".." << c.max << " step " << c.step);
        EXPECT_EQ(r->form, kPropFormRange);
        ASSERT_EQ(r->valueCount, c.count);
        if (c.count == 0) continue;
        EXPECT_EQ(r->values[0].value, static_cast<uint32_t>(c.min));
        EXPECT_EQ(r->values[c.count - 1].value, c.last);
        EXPECT_EQ(r->values[c.count - 1].name, std::to_string(static_cast<int32_t>(c.last)));
    }
}

TEST_F(PropertyValuesTest, RangeTooLongToListIsKeptAsARangeAndValidatedAgainstIt) {
    // 0..65535 step 1 and a signed 32-bit range: lists of this length wrapped to nothing in 16-bit arithmetic.
    Desc u(0xD100, PTP_DTC_UINT16, 1);
    u.put(0, 2).put(30000, 2).form(1).put(0, 2).put(0xFFFF, 2).put(1, 2);
    PropertyStruct* r = parse(0xD100, u);
    EXPECT_EQ(r->valueCount, 0);
    EXPECT_EQ(r->form, kPropFormRange);
    EXPECT_TRUE(propValueAllowed(0xD100, 65535));
    EXPECT_TRUE(propValueAllowed(0xD100, 0));

    Desc s(0xD101, PTP_DTC_INT32, 1);
    s.put(0, 4).put(0, 4).form(1).put(static_cast<uint32_t>(-100000), 4).put(100000, 4).put(10, 4);
    parse(0xD101, s);
    EXPECT_TRUE(propValueAllowed(0xD101, static_cast<uint32_t>(-99990)));
    EXPECT_TRUE(propValueAllowed(0xD101, 100000));
    EXPECT_FALSE(propValueAllowed(0xD101, 100010));
    EXPECT_FALSE(propValueAllowed(0xD101, 5));  // off the step

    // A range whose maximum equals its minimum, or of step 0, gives no list and allows anything.
    Desc flat(0xD102, PTP_DTC_UINT8, 1);
    flat.put(5, 1).put(5, 1).form(1).put(5, 1).put(5, 1).put(1, 1);
    EXPECT_EQ(parse(0xD102, flat)->valueCount, 0);
    EXPECT_TRUE(propValueAllowed(0xD102, 77));
}

TEST_F(PropertyValuesTest, TextEnumerationSetsTheIndexOfTheCurrentText) {
    Desc d(0xD203, kPropKindText, 1);
    d.str("Fine").str("Extra Fine").form(2).put(3, 2).str("Standard").str("Fine").str("Extra Fine");
    PropertyStruct* r = parse(0xD203, d);
    EXPECT_EQ(r->kind, kPropKindText);
    EXPECT_STREQ(r->valueText, "Extra Fine");
    EXPECT_EQ(r->value, 2u);
    ASSERT_EQ(r->valueCount, 3);
    EXPECT_STREQ(r->values[0].name, "Standard");
    EXPECT_EQ(r->values[1].value, 1u);

    // A text equal to no entry leaves the value as it was; a raw update finds the index by name.
    Desc other(0xD203, kPropKindText, 1);
    other.str("").str("Unknown").form(2).put(2, 2).str("Standard").str("Fine");
    r->value = 7;
    parse(0xD203, other);
    EXPECT_STREQ(r->valueText, "Unknown");
    EXPECT_EQ(r->value, 7u);
    Desc fine(0, 0, 0);
    fine.bytes.clear();
    fine.str("Fine");
    EXPECT_GE(propUpdateValue(0xD203, fine.bytes.data(), fine.bytes.size()), 0);
    EXPECT_EQ(r->value, 1u);
    EXPECT_STREQ(r->valueText, "Fine");
}

TEST_F(PropertyValuesTest, CutShortOrUnknownDescriptionsFailWithoutAList) {
    Desc full(0x5005, PTP_DTC_UINT16, 1);
    full.put(2, 2).put(2, 2).form(2).put(3, 2).put(2, 2).put(4, 2).put(6, 2);
    // Every cut of a good dataset that ends inside its enumeration fails and leaves no list.
    for (size_t cut = 0; cut < full.bytes.size(); ++cut) {
        PropertyStruct* r = propFind(0x5005) ? propFind(0x5005) : propCreate(0x5005);
        bool ok = propParseDesc(r, full.bytes.data(), cut);
        // Ending right after the current value (no form flag) is a description without a list.
        EXPECT_EQ(ok, cut == 9) << cut;
        EXPECT_EQ(r->valueCount, 0) << cut;
    }
    // An enumeration announcing more entries than it carries.
    Desc big(0x5006, PTP_DTC_UINT32, 1);
    big.put(0, 4).put(0, 4).form(2).put(0xFFFF, 2).put(1, 4);
    bool ok = true;
    EXPECT_EQ(parse(0x5006, big, &ok)->valueCount, 0);
    EXPECT_FALSE(ok);
    // Array and undefined data types are refused.
    Desc array(0x5008, 0x4004, 1);
    array.put(0, 4);
    parse(0x5008, array, &ok);
    EXPECT_FALSE(ok);
    Desc undefined(0x5009, 0, 1);
    undefined.put(0, 4).put(0, 4).form(0);
    parse(0x5009, undefined, &ok);
    EXPECT_FALSE(ok);
}

TEST_F(PropertyValuesTest, ValueTextsComeFromTheVendorTablesOrAreDecimal) {
    static const PropertyValueNamesStruct wb[] = {{"Auto", 2}, {"Daylight", 4}, {"", 0}};
    static const PropertyNameStruct table[] = {
        {0x5005, "White Balance", PTP_DTC_UINT16, wb},
        {0x5007, "Aperture", PTP_DTC_UINT16, nullptr},
        {0xD407, "End", PTP_DTC_UINT8, nullptr},
    };
    propSetNameTable(table, 0xD407);
    EXPECT_EQ(propFormatValue(0x5005, 4), "Daylight");
    EXPECT_EQ(propFormatValue(0x5005, 9), "9");              // missing from the table: decimal
    EXPECT_EQ(propFormatValue(0x5007, 280), std::nullopt);   // a row without value names
    EXPECT_EQ(propFormatValue(0x1234, 1), std::nullopt);     // no row
    EXPECT_EQ(propFormatValueOrNumber(0x1234, 0xFFFFFFFF), "-1");

    // Descriptions take their names from the table too.
    Desc d(0x5005, PTP_DTC_UINT16, 1);
    d.put(2, 2).put(4, 2).form(2).put(3, 2).put(2, 2).put(4, 2).put(5, 2);
    PropertyStruct* r = parse(0x5005, d);
    EXPECT_STREQ(r->name, "White Balance");
    EXPECT_STREQ(r->valueText, "Daylight");
    EXPECT_STREQ(r->values[0].name, "Auto");
    EXPECT_STREQ(r->values[2].name, "5");
}

TEST_F(PropertyValuesTest, NikonRules) {
    test_vendor::FakeNikon nikon;
    vendorRegisterNikon(&nikon);
    camSetVendor(VENDOR_NIKON);
    // 0xD16A is stored inverted.
    PropertyStruct* r = propCreate(0xD16A);
    r->kind = PTP_DTC_UINT8;
    const uint8_t zero = 0, one = 1;
    propUpdateValue(0xD16A, &zero, 1);
    EXPECT_EQ(r->value, 1u);
    propUpdateValue(0xD16A, &one, 1);
    EXPECT_EQ(r->value, 0u);
    EXPECT_EQ(propFormatValue(0xD0B5, 800), "ISO 800");

    // Focus mode 0xD161 on model 200: 3 and 4 and 2 go from the list; current value 3 disables it.
    camSetModelIndex(200);
    Desc d(0xD161, PTP_DTC_UINT8, 1);
    d.put(0, 1).put(3, 1).form(2).put(5, 2).put(0, 1).put(1, 1).put(2, 1).put(3, 1).put(4, 1);
    PropertyStruct* f = parse(0xD161, d);
    ASSERT_EQ(f->valueCount, 2);
    EXPECT_EQ(f->values[0].value, 0u);
    EXPECT_EQ(f->values[1].value, 1u);
    EXPECT_EQ(f->enabled, 0);
    // On a mirrorless model 4 stays.
    camSetModelIndex(225);
    Desc z(0xD061, PTP_DTC_UINT8, 1);
    z.put(0, 1).put(0, 1).form(2).put(4, 2).put(0, 1).put(2, 1).put(3, 1).put(4, 1);
    PropertyStruct* zr = parse(0xD061, z);
    ASSERT_EQ(zr->valueCount, 3);
    EXPECT_EQ(zr->values[2].value, 4u);
    EXPECT_EQ(zr->enabled, 1);

    // Ranges are named by the value tables except for the listed codes; 0xD1B1 gets no list.
    Desc range(0xD1B1, PTP_DTC_UINT8, 1);
    range.put(0, 1).put(0, 1).form(1).put(0, 1).put(5, 1).put(1, 1);
    EXPECT_EQ(parse(0xD1B1, range)->valueCount, 0);
}

TEST_F(PropertyValuesTest, ValidationCutsTheValueToTheKindsWidth) {
    PropertyStruct* r = propCreate(0x5013);
    r->kind = PTP_DTC_UINT16;
    const PropertyValueNamesStruct list[] = {{"Single", 1}, {"Continuous", 2}};
    propSetValueList(r, list, 2);
    EXPECT_TRUE(propValueAllowed(0x5013, 0x10002));
    EXPECT_FALSE(propValueAllowed(0x5013, 3));
    EXPECT_FALSE(propValueAllowed(0x9999, 1));  // not in the store

    r->valueCount = 255;  // 255 also means any value
    EXPECT_TRUE(propValueAllowed(0x5013, 3));
    r->valueCount = 2;

    // Canon's two free-form properties are always allowed.
    camSetVendor(VENDOR_CANON);
    EXPECT_TRUE(propValueAllowed(0xD055, 12345));
    EXPECT_TRUE(propValueAllowed(0xD1B0, 1));
}

TEST_F(PropertyValuesTest, ReadValueAndSizes) {
    const uint8_t bytes[] = {0x34, 0x12, 0x78, 0x56, 0xAA, 0xBB, 0xCC, 0xDD};
    uint32_t v = 0;
    EXPECT_EQ(ptpReadValue(PTP_DTC_UINT16, bytes, sizeof bytes, &v), 2u);
    EXPECT_EQ(v, 0x1234u);
    EXPECT_EQ(ptpReadValue(PTP_DTC_UINT64, bytes, sizeof bytes, &v), 8u);
    EXPECT_EQ(v, 0x56781234u);  // the low 32 bits, as propUpdateValue keeps them
    EXPECT_EQ(ptpReadValue(PTP_DTC_UINT64, bytes, 7, &v), 0u);
    EXPECT_EQ(ptpValueSize(0), 4u);
    EXPECT_EQ(ptpValueSize(9), 0u);
    const uint8_t text[] = {2, 'A', 0, 0, 0};
    EXPECT_EQ(ptpReadValue(kPropKindText, text, sizeof text, &v), 5u);
    EXPECT_EQ(ptpReadValue(kPropKindText, text, 4, &v), 0u);
}

}  // namespace
