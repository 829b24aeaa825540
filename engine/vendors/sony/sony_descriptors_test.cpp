#include "engine/vendors/sony/sony_descriptors.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ptp/camera_events.h"
#include "engine/vendors/sony/sony_state.h"
#include "engine/vendors/sony/sony_store_fixture.h"

namespace {

// Descriptors written byte by byte, as a camera sends them.
class Block {
public:
    Block& u8(uint8_t v) {
        b.push_back(v);
        return *this;
    }
    Block& u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    Block& u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    Block& u64(uint64_t v) { return u32(uint32_t(v)).u32(uint32_t(v >> 32)); }
    Block& value(uint16_t type, uint64_t v) {
        switch (type) {
            case 1:
            case 2: return u8(uint8_t(v));
            case 3:
            case 4: return u16(uint16_t(v));
            case 5:
            case 6: return u32(uint32_t(v));
            default: return u64(v);
        }
    }
    Block& text(const std::string& s) {
        if (s.empty()) return u8(0);
        u8(uint8_t(s.size() + 1));
        for (char c : s) u16(uint8_t(c));
        return u16(0);
    }
    // Head, default and current value.
    Block& head(uint16_t code, uint16_t type, uint8_t state, uint64_t current) {
        return u16(code).u16(type).u8(0).u8(state).value(type, current).value(type, current);
    }
    Block& enumeration(uint16_t type, std::vector<uint64_t> values, bool second = false) {
        u8(2).u16(uint16_t(values.size()));
        for (uint64_t v : values) value(type, v);
        if (second) {
            u16(uint16_t(values.size()));
            for (uint64_t v : values) value(type, v);
        }
        return *this;
    }
    Block& none() { return u8(0); }
    std::vector<uint8_t> b;
};

class SonyDescriptorTest : public SonyStoreTest {
protected:
    ResponseCode find(uint32_t code, const Block& block, bool queue = false) {
        return sonyFindPropertyInData(code, block.b.data(), block.b.size(), queue);
    }
    static uint16_t listCount(uint32_t code) {
        PropertyStruct* r = propFind(code, true);
        uint16_t n = r ? r->valueCount : 0xFFFF;
        propUnlock(r);
        return n;
    }
};

TEST_F(SonyDescriptorTest, DescriptorsAreFoundByTheirSizesNotInsideAnother) {
    // The shutter's value holds the bytes of a 0x500E head (code, type 4); the real 0x500E follows it.
    Block block;
    block.head(0xD20D, 6, 1, 0x0004500E).none();
    block.head(0x500E, 4, 1, 3).enumeration(4, {1, 2, 3, 4});
    ASSERT_EQ(find(0x500E, block), PTP_RC_OK);
    EXPECT_EQ(storeValue(0x500E), 3u);
    EXPECT_EQ(listCount(0x500E), 4);
    ASSERT_EQ(find(0xD20D, block), PTP_RC_OK);
    EXPECT_EQ(storeValue(0xD20D), 0x0004500Eu);
    EXPECT_EQ(find(0x5005, block), kSonyPropertyNotFound);
}

TEST_F(SonyDescriptorTest, ShortOrMalformedDataIsRefusedWithoutReadingPastIt) {
    Block good;
    good.head(0x5005, 4, 1, 2).enumeration(4, {2, 4});
    // A list that announces 50 values but holds 2.
    Block cut = good;
    cut.head(0x5007, 4, 1, 560).u8(2).u16(50).u16(560).u16(640);
    EXPECT_EQ(find(0x5007, cut), ERROR_INVALID_INPUT);
    EXPECT_FALSE(propExists(0x5007));
    EXPECT_EQ(find(0x5005, cut), PTP_RC_OK);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        ResponseCode expected;
    } cases[] = {
        {"nothing", {}, PTP_RC_INVALID_PARAMETER},
        {"one byte", {0x07}, kSonyPropertyNotFound},
        {"head only", {0x07, 0x50, 0x04, 0x00, 0x00, 0x01}, ERROR_INVALID_INPUT},
        {"value cut", {0x07, 0x50, 0x04, 0x00, 0x00, 0x01, 0x30, 0x02, 0x30}, ERROR_INVALID_INPUT},
        {"no form byte", {0x07, 0x50, 0x04, 0x00, 0x00, 0x01, 0x30, 0x02, 0x30, 0x02}, ERROR_INVALID_INPUT},
        {"range cut", {0x07, 0x50, 0x04, 0x00, 0x00, 0x01, 0x30, 0x02, 0x30, 0x02, 0x01, 0x10, 0x00}, ERROR_INVALID_INPUT},
        {"count cut", {0x07, 0x50, 0x04, 0x00, 0x00, 0x01, 0x30, 0x02, 0x30, 0x02, 0x02, 0x01}, ERROR_INVALID_INPUT},
        {"unknown type", {0x07, 0x50, 0x09, 0x00, 0x00, 0x01, 0x30, 0x02, 0x30, 0x02, 0x00}, ERROR_INVALID_INPUT},
        {"text past the end", {0x07, 0x50, 0xFF, 0xFF, 0x00, 0x01, 0x05, 0x41, 0x00}, ERROR_INVALID_INPUT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        propStoreClear();
        // Exactly the bytes given, in a block of their own size (so a sanitizer sees any read past them).
        std::vector<uint8_t> exact(c.bytes);
        EXPECT_EQ(sonyFindPropertyInData(0x5007, exact.empty() ? nullptr : exact.data(), exact.size(), false),
                  c.expected);
        EXPECT_FALSE(propExists(0x5007));
    }
}

TEST_F(SonyDescriptorTest, PastAMalformedDescriptorTheRestIsStillFound) {
    Block block;
    block.head(0x5005, 4, 1, 2).none();
    block.u16(0x5013).u16(0x0042).u8(0).u8(1);  // a type no camera sends: the walk stops here
    block.head(0x500A, 4, 1, 1).enumeration(4, {1, 2});
    ASSERT_EQ(sonyParseAllProperties(block.b.data(), block.b.size()), PTP_RC_OK);
    EXPECT_EQ(storeValue(0x5005), 2u);
    EXPECT_EQ(storeValue(0x500A), 1u);
    EXPECT_EQ(listCount(0x500A), 2);
    EXPECT_FALSE(propExists(0x5013));
}

TEST_F(SonyDescriptorTest, DisplayOnlyCountsBehindOtherWords) {
    Block block;
    // 0x500E in state 2: two words before the count of 12.
    block.head(0x500E, 4, 2, 1).u8(2).u16(0).u16(3).u16(12);
    for (int i = 1; i <= 12; ++i) block.u16(uint16_t(i));
    // 0xD203 in state 2: the first non-zero word is the count.
    block.head(0xD203, 2, 2, 1).u8(2).u16(0).u16(3).u8(1).u8(2).u8(3);
    // 0x5010 in state 2 with its count in the fifth word, the last one looked at.
    block.head(0x5010, 3, 2, 0).u8(2).u16(0).u16(1).u16(2).u16(3).u16(10);
    for (int v = -1500; v < 1500; v += 300) block.u16(uint16_t(int16_t(v)));
    // 0x5010 in state 2 without any word from 10 to 50 among the five.
    Block bad;
    bad.head(0x5010, 3, 2, 0).u8(2).u16(0).u16(1).u16(2).u16(3).u16(4).u16(5);
    ASSERT_EQ(find(0xD203, block), PTP_RC_OK);  // found by walking past the 500E descriptor
    EXPECT_EQ(listCount(0xD203), 3);
    ASSERT_EQ(find(0x500E, block), PTP_RC_OK);
    EXPECT_EQ(listCount(0x500E), 12);
    ASSERT_EQ(find(0x5010, block), PTP_RC_OK);
    EXPECT_EQ(listCount(0x5010), 10);
    EXPECT_EQ(find(0x5010, bad), ERROR_INVALID_INPUT);
    // The same count words in state 1 are a plain count: 0 values, then garbage that still parses.
    Block plain;
    plain.head(0x500E, 4, 1, 1).u8(2).u16(0);
    ASSERT_EQ(find(0x500E, plain), PTP_RC_OK);
    EXPECT_EQ(listCount(0x500E), 0);
}

TEST_F(SonyDescriptorTest, TextsRangesAndSecondLists) {
    sonyState().extendedFormat = true;
    Block block;
    block.u16(0xD25D).u16(0xFFFF).u8(0).u8(2).text("").text("2.5x").none();
    block.head(0x5005, 4, 1, 4).enumeration(4, {2, 4, 6}, true);
    block.head(0xD218, 2, 2, 80).u8(1).u8(0).u8(100).u8(1);
    block.head(0xD20F, 4, 1, 5500).u8(1).u16(2500).u16(9900).u16(100);
    block.head(0xD254, 8, 1, 0x0001002000000005ull).enumeration(8, {5, 1, 100, 200}, true);
    for (uint32_t code : {0xD25D, 0x5005, 0xD218, 0xD20F, 0xD254}) ASSERT_EQ(find(code, block), PTP_RC_OK) << code;
    PropertyStruct* bar = propFind(0xD25D, true);
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(bar->valueText, "2.5x");
    EXPECT_EQ(bar->kind, kPropKindText);
    EXPECT_EQ(bar->enabled, 0);
    propUnlock(bar);
    EXPECT_EQ(listCount(0x5005), 3);  // the second list is skipped, not appended
    PropertyStruct* battery = propFind(0xD218, true);
    ASSERT_NE(battery, nullptr);
    EXPECT_EQ(battery->form, kPropFormRange);
    EXPECT_EQ(battery->valueCount, 0);
    EXPECT_EQ(battery->rangeMax, 100);
    propUnlock(battery);
    EXPECT_EQ(listCount(0xD20F), 75);
    // The low 32 bits of the 64-bit zoom value are the live-view position.
    EXPECT_EQ(sonyState().liveViewPosition.load(), 0x00000005u);
    EXPECT_EQ(storeValue(0xD254), 5u);
}

// A text value is a PTP string: a count byte n (the terminator counted) and n 16-bit units, 2n + 1 bytes in all, and
// one byte when empty (n = 0). Read as 2n + 2, the empty case would take two bytes; so the walk must land exactly on
// the next descriptor, and a descriptor that ends one byte early or runs one byte late is told apart.
TEST_F(SonyDescriptorTest, TextValuesTakeTwiceTheirCountPlusOne) {
    Block text;
    text.u16(0xD25D).u16(0xFFFF).u8(0).u8(1).text("ab").text("1.0x").none();  // 6 + 7 + 11 + 1
    Block empty;
    empty.u16(0xD25D).u16(0xFFFF).u8(0).u8(1).text("").text("").none();  // 6 + 1 + 1 + 1
    SonyDescriptor d;
    ASSERT_EQ(sonyReadDescriptor(text.b.data(), text.b.size(), false, true, &d), PTP_RC_OK);
    EXPECT_EQ(d.size, 25u);
    EXPECT_STREQ(d.text, "1.0x");
    EXPECT_EQ(d.form, 0);
    ASSERT_EQ(sonyReadDescriptor(empty.b.data(), empty.b.size(), false, true, &d), PTP_RC_OK);
    EXPECT_EQ(d.size, 9u);
    EXPECT_STREQ(d.text, "");

    // The neighbours: one byte short is refused (in a block of exactly that size), the exact size is whole.
    std::vector<uint8_t> shortByOne(text.b.begin(), text.b.end() - 1);
    EXPECT_EQ(sonyReadDescriptor(shortByOne.data(), shortByOne.size(), false, true, &d), ERROR_INVALID_INPUT);
    std::vector<uint8_t> exact(text.b);
    EXPECT_EQ(sonyReadDescriptor(exact.data(), exact.size(), false, true, &d), PTP_RC_OK);

    // Descriptors after texts are found where the texts end, by walking, not by a search.
    Block block = text;
    block.b.insert(block.b.end(), empty.b.begin(), empty.b.end());
    block.head(0x5005, 4, 1, 4).none();
    SonyDescriptorIndex index = sonyIndexDescriptors(block.b.data(), block.b.size(), false);
    using Entries = std::vector<std::pair<uint16_t, size_t>>;
    EXPECT_EQ(index.entries, (Entries{{0xD25D, 0}, {0xD25D, 25}, {0x5005, 34}}));
    EXPECT_EQ(index.end, block.b.size());
}

TEST_F(SonyDescriptorTest, OlderBodiesKeepTheirFixedShutterAndIsoLists) {
    putRecord(0xD20D, 0x1007D, {0, 0x1007D, 0x100FA});
    Block block;
    block.head(0xD20D, 6, 1, 0x100FA).enumeration(6, {0x100FA});
    block.head(0x5007, 4, 1, 560).enumeration(4, {400, 560});
    ASSERT_EQ(find(0xD20D, block), PTP_RC_OK);
    EXPECT_EQ(storeValue(0xD20D), 0x100FAu);
    EXPECT_EQ(listCount(0xD20D), 3);
    ASSERT_EQ(find(0x5007, block), PTP_RC_OK);
    EXPECT_EQ(listCount(0x5007), 2);
}

TEST_F(SonyDescriptorTest, ChangesAreQueuedOnce) {
    Block first, sameLowByte, other;
    first.head(0x5004, 2, 1, 3).enumeration(2, {2, 3});
    ASSERT_EQ(find(0x5004, first, true), PTP_RC_OK);
    EXPECT_EQ(camEventCount(), 1u);
    ASSERT_EQ(find(0x5004, first, true), PTP_RC_OK);
    EXPECT_EQ(camEventCount(), 1u);  // nothing changed
    // The combined value keeps the size in its upper bits; only the format byte is compared.
    putRecord(0xD203, 2);
    ASSERT_EQ(find(0x5004, first, true), PTP_RC_OK);
    EXPECT_EQ(storeValue(0x5004), 0x020003u);
    EXPECT_EQ(camEventCount(), 1u);
    other.head(0x5004, 2, 0, 3).enumeration(2, {2, 3});  // now disabled
    ASSERT_EQ(find(0x5004, other, true), PTP_RC_OK);
    EXPECT_EQ(camEventCount(), 2u);
    camClearEvents();
}

TEST_F(SonyDescriptorTest, TheExposureProgramIsDisplayOnlyOnSomeModels) {
    Block block;
    block.head(0x500E, 4, 1, 2).none();
    for (const char* model : {"ILCE-6400", "ILCE-6600", "ILCE-6100", "ILCE-6700", "ILCE-7M3"}) {
        SCOPED_TRACE(model);
        sonyIdentifyModelText(model);
        ASSERT_EQ(find(0x500E, block), PTP_RC_OK);
        PropertyStruct* r = propFind(0x500E, true);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->enabled, std::string(model) == "ILCE-7M3" ? 1 : 0);
        propUnlock(r);
    }
}

TEST_F(SonyDescriptorTest, AllPropertiesNeedTheSonyTable) {
    propSetNameTable(nullptr, 0);
    Block block;
    block.head(0x5005, 4, 1, 2).none();
    EXPECT_EQ(sonyParseAllProperties(block.b.data(), block.b.size()), ERROR_GENERAL);
    EXPECT_FALSE(propExists(0x5005));
}

}  // namespace
