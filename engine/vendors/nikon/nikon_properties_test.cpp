// The Nikon store rebuilt from the device's property snapshot, the snapshot request, and the colour temperature of
// the older bodies.
#include <gtest/gtest.h>

#include <vector>

#include "devicesim/camera_properties.h"
#include "engine/link/byte_order.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/nikon/nikon_test_fixture.h"

namespace {

using devicesim::SimProperty;

void putRecord(std::vector<uint8_t>& out, const std::vector<uint8_t>& dataset) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(dataset.size() >> (8 * i)));
    out.insert(out.end(), dataset.begin(), dataset.end());
}

std::vector<uint8_t> desc(const SimProperty& p) { return devicesim::encodePropertyDesc(p); }

class NikonSnapshot : public NikonStoreTest {};

TEST_F(NikonSnapshot, RequestListsTheSixtyFourCodes) {
    HeapBlock block;
    size_t length = 0;
    ASSERT_EQ(propSnapshotCopy(&block, &length), PTP_RC_OK);
    ASSERT_EQ(length, 256u);
    EXPECT_EQ(readLe32(block.data()), 0x5001u);
    EXPECT_EQ(readLe32(block.data() + 4), 0x5004u);
    EXPECT_EQ(readLe32(block.data() + 4 * 5), 0xD161u);
    EXPECT_EQ(readLe32(block.data() + 252), 0xD0F6u);
    EXPECT_EQ(propSnapshotCopy(nullptr, &length), ERROR_INVALID_INPUT);
}

TEST_F(NikonSnapshot, RebuildFillsOneRecordPerDescription) {
    std::vector<uint8_t> reply;
    putRecord(reply, desc(SimProperty::enumeration(0x5007, devicesim::kSimUint16, {280, 560, 800}, 560)));
    putRecord(reply, {});  // a property the camera does not have
    putRecord(reply, desc(SimProperty::enumeration(0xD100, devicesim::kSimUint32, {0x000100FA, 0xFFFFFFFF},
                                                   0xFFFFFFFF)));
    putRecord(reply, {0x0E, 0x50, 0x99, 0x00, 0x01, 0x02});  // an unknown data type: not kept
    putRecord(reply, desc(SimProperty::enumeration(0xD16A, devicesim::kSimUint8, {0, 1}, 0)));
    ASSERT_EQ(propStoreRebuild(reply.data(), reply.size()), PTP_RC_OK);
    EXPECT_EQ(nikonStoreValue(0x5007), 560u);
    EXPECT_EQ(nikonStoreValue(0xD100), 0xFFFFFFFFu);
    EXPECT_TRUE(nikonIsBulbShutter());
    EXPECT_FALSE(propExists(0x500E));
    EXPECT_EQ(nikonStoreValue(0xD16A), 1u);  // the camera's 0 means "on"
    EXPECT_EQ(propCount(), 3u);
    // A second rebuild starts from an empty store.
    std::vector<uint8_t> small;
    putRecord(small, desc(SimProperty::range(0x5001, devicesim::kSimUint8, 0, 100, 1, 42)));
    ASSERT_EQ(propStoreRebuild(small.data(), small.size()), PTP_RC_OK);
    EXPECT_EQ(propCount(), 1u);
    EXPECT_EQ(nikonStoreValue(0x5001), 42u);
}

TEST_F(NikonSnapshot, ABadRecordEndsTheRebuildWithACode) {
    std::vector<uint8_t> good;
    putRecord(good, desc(SimProperty::enumeration(0x5007, devicesim::kSimUint16, {280, 560}, 280)));
    std::vector<uint8_t> pastEnd = good;
    putRecord(pastEnd, desc(SimProperty::enumeration(0x500F, devicesim::kSimUint16, {100, 200}, 100)));
    writeLe32(pastEnd.data() + good.size(), 0x7FFFFFF0);  // the second record's length runs far past the reply
    std::vector<uint8_t> cut = good;
    putRecord(cut, desc(SimProperty::enumeration(0x500F, devicesim::kSimUint16, {100, 200}, 100)));
    cut.resize(cut.size() - 3);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        ResponseCode rc;
        bool firstKept;
    };
    const Case cases[] = {
        {"length past the end", pastEnd, ERROR_INVALID_INPUT, true},
        {"last record cut", cut, ERROR_INVALID_INPUT, true},
        {"three bytes", {1, 0, 0}, ERROR_INVALID_INPUT, false},
        {"only a length", {4, 0, 0, 0}, PTP_RC_OK, false},
    };
    for (const Case& c : cases) {
        propStoreClear();
        EXPECT_EQ(propStoreRebuild(c.bytes.data(), c.bytes.size()), c.rc) << c.name;
        EXPECT_EQ(propExists(0x5007), c.firstKept) << c.name;
        EXPECT_FALSE(propExists(0x500F)) << c.name;
    }
    EXPECT_EQ(propStoreRebuild(nullptr, 10), ERROR_INVALID_INPUT);
}

TEST(NikonColourTemperature, IndexAndKelvinBothWays) {
    struct Case {
        uint32_t kelvin, index;
    };
    for (Case c : {Case{2000, 0}, Case{2529, 0}, Case{2530, 1}, Case{2594, 1}, Case{2595, 2}, Case{5000, 20},
                   Case{9544, 29}, Case{9545, 30}, Case{10000, 30}, Case{10001, 20}, Case{20000, 20}})
        EXPECT_EQ(nikonColourKelvinToIndex(c.kelvin), c.index) << c.kelvin;
    // The whole table of the index bodies, and 5000 past its end.
    const uint32_t kelvin[] = {2500, 2560, 2630, 2700, 2780, 2860, 2940, 3030, 3130, 3230, 3330,
                               3450, 3570, 3700, 3850, 4000, 4170, 4350, 4550, 4760, 5000, 5260,
                               5560, 5880, 6250, 6670, 7140, 7690, 8330, 9090, 10000};
    for (uint32_t i = 0; i <= 30; ++i) EXPECT_EQ(nikonColourIndexToKelvin(i), kelvin[i]) << i;
    EXPECT_EQ(nikonColourIndexToKelvin(31), 5000u);
    EXPECT_EQ(nikonColourIndexToKelvin(255), 5000u);
    for (uint32_t i = 0; i <= 30; ++i) EXPECT_EQ(nikonColourKelvinToIndex(nikonColourIndexToKelvin(i)), i) << i;
}

class NikonColourModels : public NikonStoreTest {};

TEST_F(NikonColourModels, OnlyTheOneModelConverts) {
    struct Case {
        const char* model;
        bool converts;
    };
    for (Case c : {Case{"D610", true}, Case{"D600", true}, Case{"D7000", false}, Case{"D90", false},
                   Case{"D3X", false}, Case{"D850", false}}) {
        nikonIdentifyModelText(c.model);
        EXPECT_EQ(nikonConvertsColourTemperature(), c.converts) << c.model;
    }
}

}  // namespace
