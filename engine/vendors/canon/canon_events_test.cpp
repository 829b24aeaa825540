#include "engine/vendors/canon/canon_events.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "devicesim/canon_event_data.h"
#include "devicesim/wire.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/canon/canon_property_table.h"
#include "engine/vendors/canon/canon_state.h"
#include "engine/vendors/canon/canon_store_fixture.h"

namespace {

using namespace devicesim;
using Bytes = std::vector<uint8_t>;

Bytes u16(uint16_t v) {
    Bytes b;
    wire::put16(b, v);
    return b;
}
Bytes u32(uint32_t v) {
    Bytes b;
    wire::put32(b, v);
    return b;
}
Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}
Bytes allowed(uint32_t code, std::vector<uint32_t> values) {
    std::vector<Bytes> entries;
    for (uint32_t v : values) entries.push_back(u32(v));
    return canonAllowedRecord(code, 4, entries);
}

class CanonEventsTest : public CanonStoreTest {
protected:
    ResponseCode parse(const Bytes& block) { return canonParseEvents(block.data(), block.size()); }
    std::vector<CameraEvent> events() {
        std::vector<CameraEvent> out;
        for (CameraEvent e; camPopEvent(&e)->code != 0;) out.push_back(e);
        return out;
    }
    static uint32_t value(uint32_t code) { return canonStoreValue(code); }
};

TEST_F(CanonEventsTest, AValueBeforeItsListIsAppliedAfterTheWalk) {
    ASSERT_EQ(parse(cat({canonValueRecord(0xD101, u16(0x38)), allowed(0xD101, {0x30, 0x38, 0x40}),
                         canonValueRecord(0xD103, u16(0x48))})),
              PTP_RC_OK);
    std::vector<CameraEvent> e = events();
    // The list's event comes first; the value arrives after the walk. 0xD103 has no record and stays out.
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].code, PTP_EC_DevicePropChanged);
    EXPECT_EQ(e[0].property.propertyCode, 0xD101u);
    EXPECT_EQ(e[1].property.propertyCode, 0xD101u);
    EXPECT_EQ(e[1].property.record, propFind(0xD101));
    PropertyStruct* r = propFind(0xD101, true);
    EXPECT_EQ(r->value, 0x38u);
    EXPECT_STREQ(r->valueText, "f8");
    EXPECT_STREQ(r->name, "Aperture");
    EXPECT_EQ(r->kind, PTP_DTC_UINT16);
    EXPECT_EQ(r->enabled, 1);
    ASSERT_EQ(r->valueCount, 3);
    EXPECT_STREQ(r->values[0].name, "f5.6");
    propUnlock(r);
    EXPECT_FALSE(propExists(0xD103));
}

TEST_F(CanonEventsTest, AllowedValueListsAndTheirFlags) {
    ASSERT_EQ(parse(cat({allowed(0xD106, {0}), allowed(0xD107, {}), allowed(0xD109, {1, 2}),
                         allowed(0xD108, {0, 1, 2, 3}), allowed(0xD1F0, {1, 2})})),
              PTP_RC_OK);
    PropertyStruct* one = propFind(0xD106);
    EXPECT_EQ(one->valueCount, 1);  // count 1: its one value, disabled
    EXPECT_EQ(one->enabled, 0);
    PropertyStruct* none = propFind(0xD107);
    EXPECT_EQ(none->valueCount, 0);
    EXPECT_EQ(none->enabled, 0);
    EXPECT_EQ(propFind(0xD109)->enabled, 1);
    EXPECT_EQ(propFind(0xD108)->enabled, 1);
    PropertyStruct* unknown = propFind(0xD1F0);
    ASSERT_NE(unknown, nullptr);  // a code the table does not know: no list, no event
    EXPECT_EQ(unknown->valueCount, 0);
    EXPECT_EQ(events().size(), 4u);

    // A count the data does not hold: no list, the flag as first set.
    Bytes cut = allowed(0xD10F, {1, 2, 3});
    cut.resize(cut.size() - 4);
    wire::set32(cut, 0, uint32_t(cut.size()));
    ASSERT_EQ(parse(cut), PTP_RC_OK);
    EXPECT_EQ(propFind(0xD10F)->valueCount, 0);
    EXPECT_EQ(propFind(0xD10F)->enabled, 1);
}

TEST_F(CanonEventsTest, TwoValuesForOneUnknownCodeKeepTheLater) {
    ASSERT_EQ(parse(cat({canonValueRecord(0xD105, u16(1)), canonValueRecord(0xD105, u16(2)), allowed(0xD105, {1, 2, 3})})),
              PTP_RC_OK);
    EXPECT_EQ(value(0xD105), 2u);
    EXPECT_EQ(events().size(), 2u);  // the list, and one deferred value
}

TEST_F(CanonEventsTest, ImageFormatsArePackedAndTextsKept) {
    std::vector<Bytes> formats = {canonFormatRecord({{1, 0, 3}}), canonFormatRecord({{6, 0, 4}, {1, 0, 3}}),
                                  canonFormatRecord({{6, 1, 4}})};
    Bytes lens = {'R', 'F', '5', '0', 'm', 'm', 0, 'x'};
    ASSERT_EQ(parse(cat({canonAllowedRecord(0xD120, 6, formats), canonValueRecord(0xD120, formats[1]),
                         canonAllowedRecord(0xD1D8, 0xFFFF, {}), canonValueRecord(0xD1D8, lens)})),
              PTP_RC_OK);
    PropertyStruct* f = propFind(0xD120);
    ASSERT_EQ(f->valueCount, 3);
    EXPECT_EQ(f->values[1].value, 0x26010403u);
    EXPECT_STREQ(f->values[1].name, "RAW + Large Fine JPEG");
    EXPECT_EQ(f->value, 0x26010403u);
    EXPECT_STREQ(propFind(0xD1D8)->valueText, "RF50mm");
    // A value record that cannot be packed is skipped.
    ASSERT_EQ(parse(canonValueRecord(0xD120, u32(3))), PTP_RC_OK);
    EXPECT_EQ(f->value, 0x26010403u);
}

TEST_F(CanonEventsTest, ObjectRecordsBecomeEvents) {
    ASSERT_EQ(parse(cat({canonObjectAddedRecord(0x1001, 0x10001, 0x3801, 123456, 0x90000002, "IMG_0001.JPG"),
                         canonObjectAddedExRecord(0x1002, 0x10001, 0xB108, 999, 0x90000002, "IMG_0002.CR3"),
                         canonObjectRemovedRecord(0x1003), canonRecord(0xC188, u32(0x1004)),
                         canonRecord(0xC186, u32(7)), canonStatusRecord(1)})),
              PTP_RC_OK);
    std::vector<CameraEvent> e = events();
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].code, PTP_EC_ObjectAdded);
    EXPECT_EQ(e[0].objectInfo.objectId, 0x1001u);
    EXPECT_EQ(e[0].objectInfo.objectFormat, 0x3801);
    EXPECT_EQ(e[0].objectInfo.objectCompressedSize, 123456u);
    EXPECT_STREQ(e[0].objectInfo.fileName, "IMG_0001.JPG");
    EXPECT_EQ(e[0].objectInfo.fileNameLength, 13);
    EXPECT_STREQ(e[1].objectInfo.fileName, "IMG_0002.CR3");
    EXPECT_EQ(e[1].objectInfo.objectFormat, 0xB108);
    EXPECT_EQ(e[2].code, PTP_EC_ObjectRemovedEvent);
    EXPECT_EQ(e[2].objectHandle, 0x1003u);
    EXPECT_EQ(e[3].code, 0xC188u);
    EXPECT_EQ(e[3].objectHandle, 0x1004u);
    EXPECT_EQ(e[4].code, 0xC186u);
    EXPECT_TRUE(canonState().cameraBusy.load());
    ASSERT_EQ(parse(canonStatusRecord(0)), PTP_RC_OK);
    EXPECT_FALSE(canonState().cameraBusy.load());
}

// A name that fills its record without a terminator stays inside it.
TEST_F(CanonEventsTest, NamesEndWithTheirRecord) {
    Bytes r = canonObjectAddedRecord(0x1001, 1, 0x3801, 10, 0, "");
    r.resize(44);
    r.insert(r.end(), {'A', 'B', 'C', 'D'});
    wire::set32(r, 0, uint32_t(r.size()));
    ASSERT_EQ(parse(r), PTP_RC_OK);
    std::vector<CameraEvent> e = events();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_STREQ(e[0].objectInfo.fileName, "ABCD");
}

TEST_F(CanonEventsTest, ARecordRunningPastTheBlockEndsTheWalk) {
    Bytes block = cat({allowed(0xD101, {0x30}), canonObjectRemovedRecord(5)});
    wire::set32(block, block.size() - 12, 13);  // the last record claims one byte more than is there
    ASSERT_EQ(parse(block), PTP_RC_OK);
    EXPECT_EQ(events().size(), 1u);
    EXPECT_EQ(parse({}), ERROR_INVALID_INPUT);
    // Records shorter than their header or with length 0 end the walk as well.
    EXPECT_EQ(parse(cat({u32(4), u32(0xC182), canonObjectRemovedRecord(6)})), PTP_RC_OK);
    EXPECT_EQ(parse(cat({u32(0), u32(0xC182), canonObjectRemovedRecord(6)})), PTP_RC_OK);
    EXPECT_EQ(events().size(), 0u);
}

// A full store skips the property that does not fit and goes on: later objects and values still arrive.
TEST_F(CanonEventsTest, AFullStoreSkipsThePropertyAndKeepsParsing) {
    for (uint32_t i = 0; propCreate(0x7000 + i); ++i) {
    }
    ASSERT_EQ(propCount(), kPropStoreCapacity);
    ASSERT_EQ(parse(cat({allowed(0xD101, {0x30}), canonObjectRemovedRecord(9),
                         canonObjectAddedRecord(0x1001, 1, 0x3801, 10, 0, "IMG_0009.JPG")})),
              PTP_RC_OK);
    std::vector<CameraEvent> e = events();
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].code, PTP_EC_ObjectRemovedEvent);
    EXPECT_EQ(e[1].code, PTP_EC_ObjectAdded);
}

TEST_F(CanonEventsTest, ModelsWithoutTheirOwnRecordsGetThemFromValues) {
    // A camera writing CR3 files that sends its focus mode only as a value.
    canonIdentifyModelText("Canon EOS R6");
    ASSERT_EQ(parse(canonValueRecord(0xD108, u16(3))), PTP_RC_OK);
    PropertyStruct* focus = propFind(0xD108);
    ASSERT_NE(focus, nullptr);
    EXPECT_EQ(focus->value, 3u);
    EXPECT_STREQ(focus->valueText, "MF");
    EXPECT_EQ(focus->valueCount, 4);
    EXPECT_STREQ(focus->values[1].name, "AI Servo");
    EXPECT_EQ(focus->enabled, 0);
    EXPECT_EQ(events().size(), 0u);
    ASSERT_EQ(parse(canonValueRecord(0xD1B0, u16(1))), PTP_RC_OK);
    EXPECT_FALSE(propExists(0xD1B0));  // only models 250-252
    canonIdentifyModelText("Canon EOS R1");
    ASSERT_EQ(parse(canonValueRecord(0xD1B0, u16(1))), PTP_RC_OK);
    ASSERT_TRUE(propExists(0xD1B0));
    EXPECT_EQ(propFind(0xD1B0)->valueCount, 4);
    EXPECT_EQ(propFind(0xD1B0)->enabled, 1);
    // A later value of the focus mode updates it and keeps it disabled.
    ASSERT_EQ(parse(canonValueRecord(0xD108, u16(1))), PTP_RC_OK);
    EXPECT_EQ(focus->value, 1u);
    EXPECT_EQ(focus->enabled, 0);
}

TEST_F(CanonEventsTest, ModelWithoutBracketStepsGetsThem) {
    canonIdentifyModelText("Canon EOS R5");  // model 230
    ASSERT_EQ(parse(cat({allowed(0xD105, {0, 1, 2, 3}), canonValueRecord(0xD105, u16(3)), allowed(0xD104, {3, 5}),
                         allowed(0xD1D9, {})})),
              PTP_RC_OK);
    PropertyStruct* b = propFind(0xD1D9);
    ASSERT_EQ(b->valueCount, 10);  // third stops
    EXPECT_STREQ(b->values[9].name, "+/- 3");
    EXPECT_EQ(b->enabled, 1);
    ASSERT_EQ(parse(cat({allowed(0xD104, {4}), allowed(0xD1D9, {})})), PTP_RC_OK);
    EXPECT_EQ(b->valueCount, 7);  // half stops
    // In a mode without bracketing the empty list stays.
    ASSERT_EQ(parse(cat({canonValueRecord(0xD105, u16(9)), allowed(0xD1D9, {})})), PTP_RC_OK);
    EXPECT_EQ(b->valueCount, 0);
}

TEST_F(CanonEventsTest, OneAllowedApertureClearsTheValueOnNewerBodies) {
    canonIdentifyModelText("Canon EOS R7");  // 245
    ASSERT_EQ(parse(cat({allowed(0xD101, {0x30, 0x38}), canonValueRecord(0xD101, u16(0x30))})), PTP_RC_OK);
    EXPECT_EQ(value(0xD101), 0x30u);
    ASSERT_EQ(parse(allowed(0xD101, {0x30})), PTP_RC_OK);
    EXPECT_EQ(value(0xD101), 0u);
}

// On-screen exposure items in the layouts of the classic and mirrorless bodies.
TEST_F(CanonEventsTest, OnScreenExposureItems) {
    auto block = [](std::vector<Bytes> items, uint32_t mask) {
        Bytes b = cat({u32(0), u32(mask)});
        for (const Bytes& i : items) b.insert(b.end(), i.begin(), i.end());
        wire::set32(b, 0, uint32_t(b.size()));
        return canonOlcRecord(b);
    };
    auto olc = [&]() {
        std::vector<std::pair<uint8_t, uint32_t>> out;
        for (const CameraEvent& e : events())
            if (e.code == PTP_EC_CANON_OlcInfoChanged) out.push_back({e.olcInfo.item, e.olcInfo.value});
        return out;
    };
    using Items = std::vector<std::pair<uint8_t, uint32_t>>;
    // Classic: item 2 (6 bytes, value at +5), 4 (5 bytes, +4), 8 (4 bytes, +3), then 0x40 (7 bytes).
    ASSERT_EQ(parse(block({{1, 0, 0, 0, 0, 0x68}, {1, 0, 0, 0, 0x30}, {1, 0, 0, 0x48}, {0, 1, 0x0B, 0, 0, 0, 0}},
                          0x2 | 0x4 | 0x8 | 0x40)),
              PTP_RC_OK);
    EXPECT_EQ(olc(), (Items{{2, 0x68}, {4, 0x30}, {8, 0x48}, {0x40, 0x0B}}));
    // Mirrorless (model 230): item 2 one byte longer, item 4 from +7 behind a non-zero first byte.
    canonIdentifyModelText("Canon EOS R6");
    ASSERT_EQ(parse(block({{1, 0, 0, 0, 0, 0x68, 0}, {1, 0, 0, 0, 0, 0, 0, 0x30, 0}, {1, 0, 0, 0x48}}, 0xE)), PTP_RC_OK);
    EXPECT_EQ(olc(), (Items{{2, 0x68}, {4, 0x30}, {8, 0x48}}));
    ASSERT_EQ(parse(block({{0, 0, 0, 0, 0, 0x68, 0}, {0, 0, 0, 0, 0, 0, 0, 0x30, 0}}, 0x6)), PTP_RC_OK);
    EXPECT_EQ(olc(), (Items{{2, 0}, {4, 0}}));
    // Wide layout (model 245): the exposure level from bit 9 when bit 6 is off.
    canonIdentifyModelText("Canon EOS R7");
    ASSERT_EQ(parse(block({{0, 0, 0x00, 0x40, 0x00}}, 0x200)), PTP_RC_OK);
    EXPECT_EQ(olc(), (Items{{0x40, 3}}));
    ASSERT_EQ(parse(block({{0, 0, 0x00, 0x00, 0x10}}, 0x200)), PTP_RC_OK);
    EXPECT_EQ(olc(), (Items{{0x40, static_cast<uint32_t>(-24)}}));
}

TEST_F(CanonEventsTest, OnScreenBlocksThatDoNotFitAreRefused) {
    Bytes shortBlock = cat({u32(5), u32(0xE)});
    EXPECT_EQ(canonParseOlcInfo(shortBlock.data(), shortBlock.size(), 16), ERROR_INVALID_INPUT);
    Bytes tooLong = cat({u32(400), u32(0xE), Bytes(16, 1)});
    EXPECT_EQ(canonParseOlcInfo(tooLong.data(), tooLong.size(), 32), ERROR_INVALID_INPUT);
    // A length within the record but beyond the bytes received: items past the bytes are not read.
    Bytes cut = cat({u32(40), u32(0x2 | 0x4), Bytes{1, 0, 0, 0, 0, 7}, Bytes{1, 0}});
    EXPECT_EQ(canonParseOlcInfo(cut.data(), cut.size(), 48), ERROR_INVALID_INPUT);
    std::vector<CameraEvent> e = events();
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].olcInfo.value, 7u);
}

TEST(CanonOlc, ExposureLevels) {
    const struct {
        uint32_t raw;
        int32_t eighths;
    } cases[] = {{1, 8}, {6, 12}, {128, 99999}, {256, -13}, {6144, -4}, {0xC000, 4}, {0x80000, -99999},
                 {0x600000, -20}, {0x800000, -16}, {3, 0}, {0, 0}};
    for (const auto& c : cases) EXPECT_EQ(canonOlcExposureLevel(c.raw), c.eighths) << c.raw;
}

}  // namespace
