// The pending-data table and the data wrapper it puts ahead of a PTP operation.
#include <gtest/gtest.h>

#include "engine/link/link.h"
#include "engine/link/link_test_fixture.h"

using namespace link_test;
using devicesim::Device;
using devicesim::Fault;

namespace {

DataWrapperHeader header(uint8_t a, uint8_t b, uint32_t d) { return DataWrapperHeader{d + 10, a, b, d}; }

class PendingDataTest : public ::testing::Test {
protected:
    void SetUp() override { linkResetState(); }
    void TearDown() override { linkResetState(); }
};

TEST_F(PendingDataTest, HoldsTenKeysInOrderAndRefusesAnEleventh) {
    for (uint32_t k = 0; k < 10; ++k) {
        const uint8_t byte = uint8_t(k);
        EXPECT_EQ(linkSetPendingObject(0x9000 + k, &byte, header(0xA1, 0xB0, 1)), 1);
    }
    EXPECT_EQ(linkSetPendingObject(0x900A, nullptr, header(0xA1, 0, 0)), 0);
    EXPECT_FALSE(linkGetPendingObject(0x900A));

    // A key already present is replaced even in a full table: header and data both.
    const uint8_t twoBytes[] = {0xEE, 0xFF};
    EXPECT_EQ(linkSetPendingObject(0x9003, twoBytes, header(0xA0, 0xB2, 2)), 1);
    auto e = linkGetPendingObject(0x9003);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->header.subCodeA, 0xA0);
    EXPECT_EQ(e->header.subCodeB, 0xB2);
    EXPECT_EQ(*e->data, (std::vector<uint8_t>{0xEE, 0xFF}));
    EXPECT_EQ(linkSetPendingObject(0x9003, nullptr, header(0xA1, 0, 0)), 1);
    e = linkGetPendingObject(0x9003);
    ASSERT_TRUE(e);
    EXPECT_FALSE(e->data);
    EXPECT_EQ(e->header.dataLength, 0u);

    // Removing the first entry of the full table keeps every other one.
    EXPECT_EQ(linkRemovePendingObject(0x9000), 1);
    EXPECT_EQ(linkRemovePendingObject(0x9000), 0);
    EXPECT_EQ(linkPendingObjectCount(), 9u);
    for (uint32_t k = 1; k < 10; ++k) {
        auto entry = linkGetPendingObject(0x9000 + k);
        ASSERT_TRUE(entry) << k;
        if (k != 3) {
            EXPECT_EQ((*entry->data)[0], uint8_t(k));
        }
    }
    EXPECT_EQ(linkSetPendingObject(0x900A, nullptr, header(0xA1, 0, 0)), 1);  // room again
}

TEST_F(PendingDataTest, ACopyKeepsItsDataWhenTheEntryChangesAfterwards) {
    std::vector<uint8_t> record(608, 0x11);
    ASSERT_EQ(linkSetPendingObject(0x1009, record.data(), header(0xA1, 0xB0, 608)), 1);
    auto copy = linkGetPendingObject(0x1009);
    ASSERT_TRUE(copy);
    record.assign(608, 0x22);
    ASSERT_EQ(linkSetPendingObject(0x1009, record.data(), header(0xA1, 0xB0, 608)), 1);
    ASSERT_EQ(linkRemovePendingObject(0x1009), 1);
    ASSERT_EQ(copy->data->size(), 608u);
    EXPECT_EQ((*copy->data)[607], 0x11);
}

TEST_F(PendingDataTest, DataMustBeGivenWhenALengthIsAnnounced) {
    EXPECT_EQ(linkSetPendingObject(0x1009, nullptr, header(0xA1, 0xB0, 608)), 0);
    EXPECT_EQ(linkPendingObjectCount(), 0u);
}

class PtpOverLinkTest : public LinkFixture {};

std::vector<uint8_t> getObjectCommand(uint32_t tid, uint32_t handle) {
    auto c = Device::ptpContainer(1, 0x1009, tid, {handle});
    return c;
}

TEST_F(PtpOverLinkTest, APendingEntryWrapsItsOperationAndNoOther) {
    const std::vector<uint8_t> record(608, 0x3C);
    ASSERT_EQ(linkSetPendingObject(0x1009, record.data(), header(0xA1, 0xB0, 608)), 1);
    const auto getObject = getObjectCommand(4, 0x1234);
    const auto other = Device::ptpContainer(1, 0x1008, 5, {0x1234});
    ASSERT_EQ(linkPtpSend(getObject.data(), uint32_t(getObject.size())), PTP_RC_OK);
    ASSERT_EQ(linkPtpSend(other.data(), uint32_t(other.size())), PTP_RC_OK);
    ASSERT_TRUE(device.waitForLog(2, 5s));
    auto log = device.log();
    ASSERT_EQ(log.size(), 2u);

    EXPECT_TRUE(log[0].wellFormed) << log[0].text;
    ASSERT_TRUE(log[0].wrapper);
    EXPECT_EQ(log[0].type, 0x0F);
    EXPECT_EQ(log[0].wrapper->subCodeA, 0xA1);
    EXPECT_EQ(log[0].wrapper->subCodeB, 0xB0);
    EXPECT_EQ(log[0].wrapper->data, record);
    const uint32_t nested = uint32_t(getObject.size()) + 5;
    EXPECT_EQ(log[0].length, 608 + nested + 15);
    EXPECT_EQ(log[0].wrapper->innerLength, 608 + nested + 10);  // covers the nested packet
    EXPECT_EQ(log[0].ptpOperation, 0x1009);
    EXPECT_EQ(log[0].ptpParams, (std::vector<uint32_t>{0x1234}));

    EXPECT_TRUE(log[1].wellFormed) << log[1].text;
    EXPECT_FALSE(log[1].wrapper);
    EXPECT_EQ(log[1].type, 0x0A);
    EXPECT_EQ(log[1].length, other.size() + 5);
}

TEST_F(PtpOverLinkTest, WhatTheDeviceSendsInPlaceOfPtpDataIsSorted) {
    struct Case {
        const char* name;
        std::vector<uint8_t> reply;
        ResponseCode expected;
        size_t bytes;
    };
    const auto response = Device::ptpContainer(3, 0x2001, 0, {});
    const std::vector<Case> cases = {
        {"containers", Device::packet(0x0A, response), PTP_RC_OK, 12},
        {"device answered alone", rawPacket(12, 0x0D, {7, 0, 0, 0, 0, 0, 0}), RESPONSE_NO_DATA, 0},
        {"device refused", rawPacket(12, 0x0D, {7, 0, 0, 0, 0, 0x19, 0x20}), ERROR_BAD_PACKET, 0},
        {"response too short for a code", rawPacket(11, 0x0D, {6, 0, 0, 0, 0, 0}), ERROR_BAD_PACKET, 0},
        {"PTP packet of 16 bytes", rawPacket(16, 0x0A, std::vector<uint8_t>(11, 0)), ERROR_INVALID_INPUT, 0},
        {"short packet of another type", rawPacket(9, 0x09, {1, 0, 0, 0}), ERROR_INVALID_INPUT, 0},
        {"long packet of another type", rawPacket(20, 0x09, std::vector<uint8_t>(15, 0)), ERROR_BAD_PACKET, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        device.scriptFault(Fault::overrideReply(c.reply));
        const auto command = Device::ptpContainer(1, 0x1001, 0, {});
        ASSERT_EQ(linkPtpSend(command.data(), uint32_t(command.size())), PTP_RC_OK);
        HeapBlock block;
        EXPECT_EQ(linkPtpReceive(&block), c.expected);
        EXPECT_EQ(block.size(), c.bytes);
        if (c.bytes) {
            EXPECT_EQ(block.toVector(), response);
        }
    }
}

TEST_F(PtpOverLinkTest, AFailedPtpWriteBreaksTheLinkButKeepsItConnected) {
    device.scriptFault(Fault::noReply());
    uint8_t v = 0;
    ASSERT_EQ(askFirmware(&v), ERROR_CONNECTION_FAILURE);
    const auto command = Device::ptpContainer(1, 0x1001, 0, {});
    EXPECT_EQ(linkPtpSend(command.data(), uint32_t(command.size())), ERROR_CONNECTION_FAILURE);
    EXPECT_TRUE(linkIsConnected());
}

}  // namespace
