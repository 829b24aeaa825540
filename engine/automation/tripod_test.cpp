#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "devicesim/tripod_head.h"
#include "engine/automation/automation_test_support.h"
#include "engine/automation/tripod.h"
#include "engine/link/byte_order.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/ptp/transaction.h"

class TripodTest : public DevicesimLinkTest {
protected:
    void SetUp() override {
        DevicesimLinkTest::SetUp();
        head.install(device);
        DeviceMessageCollector::instance().install();
    }
    devicesim::TripodHead head;
};

TEST_F(TripodTest, MoveSendsDirectionWithDefaultParameter) {
    ASSERT_EQ(tripodMove(0), PTP_RC_OK);
    ASSERT_EQ(tripodMoveWithParameter(3, 0x1234), PTP_RC_OK);
    auto commands = head.commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].command, kTripodMove);
    EXPECT_EQ(commands[0].parameter, kTripodDefaultParameter);
    EXPECT_EQ(commands[0].direction, 0);
    EXPECT_EQ(commands[0].raw.size(), 10u);
    EXPECT_EQ(commands[1].parameter, 0x1234u);
    EXPECT_EQ(head.direction(), 3);
    // The packet on the wire: total = request + 5, type 0x09.
    auto log = device.log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().type, 0x09);
    EXPECT_EQ(log.back().length, 15u);
}

TEST_F(TripodTest, SpeedIsClampedTo1023) {
    for (unsigned asked : {5000u, 1023u, 100u}) {
        ASSERT_EQ(tripodSetSpeed(asked), PTP_RC_OK);
        EXPECT_EQ(head.speed(), asked > 1023 ? 1023 : asked);
        auto last = head.commands().back();
        EXPECT_EQ(last.command, kTripodSpeed);
        EXPECT_EQ(last.parameter, 0u);
        EXPECT_EQ(last.raw.size(), 11u);
    }
}

TEST_F(TripodTest, RefusalAndBatteryResults) {
    head.setBatteryLevel(0);
    uint32_t level = 99;
    ASSERT_EQ(tripodReadBattery(&level), PTP_RC_OK);  // a battery result of 0 is a level, not a refusal
    EXPECT_EQ(level, 0u);
    head.setBatteryLevel(64);
    ASSERT_EQ(tripodReadBattery(&level), PTP_RC_OK);
    EXPECT_EQ(level, 64u);
    EXPECT_EQ(head.commands().back().raw.size(), 9u);
    EXPECT_EQ(tripodReadBattery(nullptr), ERROR_INVALID_INPUT);

    head.setRefuse(true);
    EXPECT_EQ(tripodMove(1), ERROR_BAD_PACKET);
    EXPECT_EQ(tripodSetSpeed(10), ERROR_BAD_PACKET);
}

TEST_F(TripodTest, AsyncPacketBeforeReplyGoesToHandler) {
    head.queueBeforeReply(devicesim::Device::sdCardStatusPacket(0x2001));
    ASSERT_EQ(tripodMove(2), PTP_RC_OK);
    auto messages = DeviceMessageCollector::instance().waitFor(1, std::chrono::seconds(5));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0][4], 0xFD);
}

TEST_F(TripodTest, WrongReplyTypeAndBrokenLink) {
    // A device command answer where the head's reply belongs.
    device.setRawPacketHandler(0x09, [](devicesim::Device&, const std::vector<uint8_t>&) {
        return devicesim::Device::responsePacket(0x2001, {1, 0, 0, 0});
    });
    EXPECT_EQ(tripodMove(1), ERROR_BAD_PACKET);
    linkDisconnect();
    EXPECT_NE(tripodMove(1), PTP_RC_OK);
}

// While the head takes its time over a move, a second thread that wants the link waits until the move's reply has
// been read; its transaction then reaches the device after the move, and each side gets its own answer.
TEST_F(TripodTest, ASecondThreadWaitsForTheMovesReply) {
    std::mutex gateMutex;
    std::condition_variable gateCv;
    bool requestArrived = false, open = false;
    device.setRawPacketHandler(0x09, [&](devicesim::Device&, const std::vector<uint8_t>&) {
        std::unique_lock<std::mutex> g(gateMutex);
        requestArrived = true;
        gateCv.notify_all();
        gateCv.wait_for(g, std::chrono::seconds(10), [&] { return open; });
        return devicesim::TripodHead::replyPacket(1);
    });
    auto move = std::async(std::launch::async, [] { return tripodMove(3); });
    {
        std::unique_lock<std::mutex> g(gateMutex);
        ASSERT_TRUE(gateCv.wait_for(g, std::chrono::seconds(5), [&] { return requestArrived; }));
    }
    std::atomic<bool> otherHeldLink{false};
    auto other = std::async(std::launch::async, [&]() -> ResponseCode {
        if (linkLockHook(1) != 1) return ERROR_BUSY;
        otherHeldLink.store(true);
        linkLockHook(0);
        DeviceInfoRecord info;
        return ptpGetDeviceInfo(&info);
    });
    // The other thread stays out while the move holds the link.
    EXPECT_EQ(other.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    EXPECT_FALSE(otherHeldLink.load());
    {
        std::lock_guard<std::mutex> g(gateMutex);
        open = true;
    }
    gateCv.notify_all();
    EXPECT_EQ(move.get(), PTP_RC_OK);
    EXPECT_EQ(other.get(), PTP_RC_OK);
    // On the wire: the move, then the other thread's transaction.
    int moveAt = -1, otherAt = -1, i = 0;
    for (const auto& p : device.log()) {
        if (p.type == 0x09 && moveAt < 0) moveAt = i;
        if (p.ptpOperation && *p.ptpOperation == PTP_OC_GetDeviceInfo) otherAt = i;
        ++i;
    }
    ASSERT_GE(moveAt, 0);
    EXPECT_GT(otherAt, moveAt);
}

TEST(TripodReply, ParsesOnlyWholeAccessoryPackets) {
    std::vector<uint8_t> good = {9, 0, 0, 0, 0x09, 0x2A, 0, 0, 0};
    uint32_t result = 0;
    ASSERT_EQ(tripodParseReply(good.data(), good.size(), &result), PTP_RC_OK);
    EXPECT_EQ(result, 42u);
    std::vector<uint8_t> shortOne = {8, 0, 0, 0, 0x09, 1, 0, 0};
    EXPECT_EQ(tripodParseReply(shortOne.data(), shortOne.size(), &result), ERROR_BAD_PACKET);
    std::vector<uint8_t> wrongLength = good;
    wrongLength[0] = 200;
    EXPECT_EQ(tripodParseReply(wrongLength.data(), wrongLength.size(), &result), ERROR_BAD_PACKET);
    std::vector<uint8_t> wrongType = good;
    wrongType[4] = 0x0D;
    EXPECT_EQ(tripodParseReply(wrongType.data(), wrongType.size(), &result), ERROR_BAD_PACKET);
    EXPECT_EQ(tripodParseReply(good.data(), good.size(), nullptr), ERROR_INVALID_INPUT);
}
