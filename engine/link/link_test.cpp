// The device link against the stand-in device on loopback: framing, device commands, asynchronous messages and
// the broken flag.
#include "engine/link/link.h"

#include <future>

#include "engine/link/link_system_calls.h"

#include "engine/link/link_test_fixture.h"

using namespace link_test;
using devicesim::CommandReply;
using devicesim::CommandRequest;
using devicesim::Device;
using devicesim::Fault;

namespace {

class LinkTest : public LinkFixture {};

TEST_F(LinkTest, CommandAndResponseAreFramedAsTheDeviceExpects) {
    device.setCommandHandler(0x42, [](Device&, const CommandRequest& r) {
        std::vector<uint8_t> back(r.payload.rbegin(), r.payload.rend());
        return CommandReply::ok(back);
    });
    const uint8_t payload[] = {1, 2, 3, 4, 5};
    HeapBlock reply;
    uint32_t length = 0;
    ASSERT_EQ(linkRequest(0x42, payload, sizeof payload, &reply, &length), PTP_RC_OK);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(reply.toVector(), (std::vector<uint8_t>{5, 4, 3, 2, 1}));

    auto log = device.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].wellFormed) << log[0].text;
    EXPECT_EQ(log[0].bytes, (std::vector<uint8_t>{15, 0, 0, 0, 0x0C, 10, 0, 0, 0, 0x42, 1, 2, 3, 4, 5}));

    // A command the device does not know comes back with its code and no payload.
    EXPECT_EQ(linkRequest(0x99, nullptr, 0, &reply, &length), 0x2005);
    EXPECT_FALSE(reply);
    EXPECT_EQ(length, 0u);
}

TEST_F(LinkTest, ResponsesAreReadByTheirLengthAndNeverPastTheirEnd) {
    struct Case {
        const char* name;
        std::vector<uint8_t> reply;
        ResponseCode expected;
        std::vector<uint8_t> payload;
    };
    const std::vector<Case> cases = {
        // inner length 7: a code and no payload
        {"busy, inner length 7", rawPacket(12, 0x0D, {7, 0, 0, 0, 0, 0x19, 0x20}), 0x2019, {}},
        {"success, inner length 7", rawPacket(12, 0x0D, {7, 0, 0, 0, 0, 0x01, 0x20}), PTP_RC_OK, {}},
        {"success with payload", rawPacket(14, 0x0D, {9, 0, 0, 0, 0, 0x01, 0x20, 0xAB, 0xCD}), PTP_RC_OK,
         {0xAB, 0xCD}},
        // too short to hold a response code
        {"11 bytes", rawPacket(11, 0x0D, {6, 0, 0, 0, 0, 0x01}), ERROR_BAD_PACKET, {}},
        {"10 bytes", rawPacket(10, 0x0D, {5, 0, 0, 0, 0}), ERROR_BAD_PACKET, {}},
        {"5 bytes", rawPacket(5, 0x0D, {}), ERROR_BAD_PACKET, {}},
        {"wrong type", rawPacket(14, 0x0A, {9, 0, 0, 0, 0, 0x01, 0x20, 0, 0}), ERROR_BAD_PACKET, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        device.scriptFault(Fault::overrideReply(c.reply));
        HeapBlock reply;
        uint32_t length = 99;
        EXPECT_EQ(linkRequest(0x30, nullptr, 0, &reply, &length), c.expected);
        EXPECT_EQ(reply.toVector(), c.payload);
        // The packet was read whole: the link stays framed and the next exchange works.
        uint8_t v = 0;
        EXPECT_EQ(askFirmware(&v), PTP_RC_OK);
        EXPECT_EQ(v, 7);
    }
}

TEST_F(LinkTest, AnImpossibleHeaderLengthBreaksTheLinkWithoutReadingFurther) {
    // Below the header's own 5 bytes, or beyond the largest packet the link accepts (never allocated).
    for (uint32_t announced : {3u, 0u, 4u, kLinkMaxPacketLength + 1, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        SCOPED_TRACE(announced);
        ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
        device.scriptFault(Fault::badHeaderLength(announced));
        const auto start = std::chrono::steady_clock::now();
        uint8_t v = 0;
        EXPECT_EQ(askFirmware(&v), ERROR_BAD_PACKET);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 150ms);  // no wait for bytes that will not come
        EXPECT_TRUE(linkIsBroken());
        HeapBlock block;
        uint32_t length = 0;
        EXPECT_EQ(linkReadPacket(&block, &length), ERROR_CONNECTION_FAILURE);
    }
}

TEST_F(LinkTest, AReplyInSmallPiecesIsReassembled) {
    device.setCommandHandler(0x43, [](Device&, const CommandRequest&) {
        std::vector<uint8_t> p(300);
        for (size_t i = 0; i < p.size(); ++i) p[i] = uint8_t(i * 7);
        return CommandReply::ok(p);
    });
    device.scriptFault(Fault::inPieces(1));
    device.scriptFault(Fault::inPieces(7, 1ms));
    for (int i = 0; i < 2; ++i) {
        HeapBlock reply;
        uint32_t length = 0;
        ASSERT_EQ(linkRequest(0x43, nullptr, 0, &reply, &length), PTP_RC_OK);
        ASSERT_EQ(reply.size(), 300u);
        EXPECT_EQ(reply[299], uint8_t(299 * 7));
    }
}

TEST_F(LinkTest, AFailureInMidPacketLeavesTheLinkBroken) {
    struct Case {
        const char* name;
        Fault fault;
        ResponseCode expected;
    };
    // The read time-out is 220 ms here; pieces 300 ms apart run into it after the header.
    const std::vector<Case> cases = {
        {"closed after the header", Fault::closeMidPacket(7), ERROR_CONNECTION_FAILURE},
        {"closed inside the header", Fault::closeMidPacket(3), ERROR_CONNECTION_FAILURE},
        {"time-out after the header", Fault::inPieces(6, 300ms), ERROR_CONNECTION_FAILURE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
        device.scriptFault(c.fault);
        uint8_t v = 0;
        EXPECT_EQ(askFirmware(&v), c.expected);
        EXPECT_TRUE(linkIsBroken());
    }
}

TEST_F(LinkTest, AfterATimeOutEveryReadAndWriteFailsAtOnceUntilClearedOrReconnected) {
    device.scriptFault(Fault::noReply());
    uint8_t v = 0;
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(askFirmware(&v), ERROR_CONNECTION_FAILURE);
    EXPECT_GE(std::chrono::steady_clock::now() - start, engineWait(engine_timing::kReadTimeout) - 20ms);
    EXPECT_TRUE(linkIsBroken());

    start = std::chrono::steady_clock::now();
    const uint8_t bytes[] = {1, 2, 3};
    EXPECT_EQ(linkWrite(bytes, sizeof bytes), ERROR_CONNECTION_FAILURE);
    HeapBlock block;
    uint32_t length = 0;
    EXPECT_EQ(linkReadPacket(&block, &length), ERROR_CONNECTION_FAILURE);
    EXPECT_EQ(linkPtpReceive(&block), ERROR_CONNECTION_FAILURE);
    uint8_t command[12] = {12, 0, 0, 0, 1, 0, 0x01, 0x10, 0, 0, 0, 0};
    EXPECT_EQ(linkPtpSend(command, sizeof command), ERROR_CONNECTION_FAILURE);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_EQ(device.logSize(), 1u);  // nothing more went out

    // What the camera-attached query does: clear the flag and go on on the same socket.
    linkClearBroken();
    EXPECT_EQ(askFirmware(&v), PTP_RC_OK);
    EXPECT_EQ(v, 7);

    // A reconnect clears it too.
    device.scriptFault(Fault::noReply());
    EXPECT_EQ(askFirmware(&v), ERROR_CONNECTION_FAILURE);
    ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
    EXPECT_FALSE(linkIsBroken());
    EXPECT_EQ(askFirmware(&v), PTP_RC_OK);
}

TEST_F(LinkTest, ACommandWrittenOnABrokenLinkDisconnectsIt) {
    device.scriptFault(Fault::noReply());
    uint8_t v = 0;
    EXPECT_EQ(askFirmware(&v), ERROR_CONNECTION_FAILURE);
    EXPECT_EQ(askFirmware(&v), ERROR_CONNECTION_FAILURE);
    EXPECT_FALSE(linkIsConnected());
    // The link mutex was released on the failed send: the next exchange does not hang.
    EXPECT_EQ(linkLockHook(1), 1);
    EXPECT_EQ(linkLockHook(0), 1);
}

TEST_F(LinkTest, AnAsynchronousPacketBetweenCommandAndResponseReachesTheHandler) {
    linkSetEventHandler(recordingHandler);
    const auto feedback = Device::automationFeedbackPacket(0x02, 0xFF40, {1, 0, 2, 0});
    device.scriptFault(Fault::asyncBeforeReply(feedback));
    uint8_t v = 0;
    ASSERT_EQ(askFirmware(&v), PTP_RC_OK);
    EXPECT_EQ(v, 7);  // the command got its own answer
    ASSERT_TRUE(received.waitFor(1));
    std::lock_guard<std::mutex> g(received.mu);
    EXPECT_EQ(received.messages[0], feedback);
    EXPECT_NE(received.threads[0], std::this_thread::get_id());  // never on the reading thread
}

TEST_F(LinkTest, AsynchronousPacketsSentOnDemandArriveWithTheNextExchange) {
    linkSetEventHandler(recordingHandler);
    ASSERT_TRUE(device.sendSdCardStatus(0xFF16));
    ASSERT_TRUE(device.sendAutomationFeedback(0x01, 0xFF43, {}));
    uint8_t v = 0;
    ASSERT_EQ(askFirmware(&v), PTP_RC_OK);
    ASSERT_TRUE(received.waitFor(2));
    std::lock_guard<std::mutex> g(received.mu);
    EXPECT_EQ(received.messages[0], (std::vector<uint8_t>{12, 0, 0, 0, 0xFD, 0, 0, 0, 0, 0xFE, 0x16, 0xFF}));
    EXPECT_EQ(received.messages[1], (std::vector<uint8_t>{12, 0, 0, 0, 0xF7, 0x01, 0x43, 0xFF, 0, 0, 0, 0}));
}

TEST_F(LinkTest, WithoutAHandlerAsynchronousPacketsAreReadAndDropped) {
    const auto first = Device::sdCardStatusPacket(0xFF16);
    const auto second = Device::sdCardStatusPacket(0x2001);
    device.scriptFault(Fault::asyncBeforeReply(first));
    uint8_t v = 0;
    ASSERT_EQ(askFirmware(&v), PTP_RC_OK);
    EXPECT_EQ(v, 7);

    linkSetEventHandler(recordingHandler);
    device.scriptFault(Fault::asyncBeforeReply(second));
    ASSERT_EQ(askFirmware(&v), PTP_RC_OK);
    ASSERT_TRUE(received.waitFor(1));
    ASSERT_EQ(askFirmware(&v), PTP_RC_OK);
    std::lock_guard<std::mutex> g(received.mu);
    ASSERT_EQ(received.messages.size(), 1u);  // the first was dropped, not kept for later
    EXPECT_EQ(received.messages[0], second);
}

TEST_F(LinkTest, AsynchronousPacketsRunInOrderOnOneDispatcherThread) {
    linkSetEventHandler(recordingHandler);
    std::vector<uint8_t> burst;
    for (uint8_t i = 0; i < 20; ++i) {
        auto p = Device::automationFeedbackPacket(0x01, 0xFF40, {i});
        burst.insert(burst.end(), p.begin(), p.end());
    }
    device.scriptFault(Fault::asyncBeforeReply(burst));
    uint8_t v = 0;
    ASSERT_EQ(askFirmware(&v), PTP_RC_OK);
    ASSERT_TRUE(received.waitFor(20));
    std::lock_guard<std::mutex> g(received.mu);
    for (uint8_t i = 0; i < 20; ++i) {
        EXPECT_EQ(received.messages[i].back(), i);
        EXPECT_EQ(received.threads[i], received.threads[0]);
    }
    EXPECT_NE(received.threads[0], std::this_thread::get_id());
}

// Tells the test when the reader has started receiving the part of its answer it is to be woken in.
struct ReaderStarted {
    std::mutex mu;
    std::condition_variable cv;
    bool started = false;
    size_t readSize = 0;  // the receive that marks the wait: 5 for the header, the body's length for the body
};
ReaderStarted* gReaderStarted = nullptr;

ssize_t signallingRecv(int fd, void* b, size_t n, int f) {
    if (n == gReaderStarted->readSize) {
        std::lock_guard<std::mutex> g(gReaderStarted->mu);
        gReaderStarted->started = true;
    }
    gReaderStarted->cv.notify_all();
    return ::recv(fd, b, n, f);
}

// A disconnect wakes a blocked reader at once. Woken while it waits for a header, the exchange has failed like a
// lost link (0xFF0E, link broken); woken in the middle of a packet's body, it says it was woken (0xFF14).
TEST_F(LinkTest, ADisconnectWakesABlockedReaderAtOnce) {
    const struct {
        const char* waitingFor;
        devicesim::Fault fault;
        size_t readSize;
        ResponseCode expected;
    } cases[] = {
        {"header", Fault::noReply(), 5, ERROR_CONNECTION_FAILURE},
        // A response header that announces 13 bytes and nothing after it: the reader waits for 8 more.
        {"body", Fault::overrideReply(rawPacket(13, 0x0D, {})), 8, ERROR_WOKEN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.waitingFor);
        if (!linkIsConnected()) {
            ASSERT_TRUE(device.waitForNoClient(5s));
            ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
        }
        ReaderStarted started;
        started.readSize = c.readSize;
        gReaderStarted = &started;
        auto reader = requestInBackground(signallingRecv, c.fault);
        {
            std::unique_lock<std::mutex> lock(started.mu);
            ASSERT_TRUE(started.cv.wait_for(lock, 5s, [&] { return started.started; }));
        }
        const auto start = std::chrono::steady_clock::now();
        linkDisconnect();
        ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
        EXPECT_EQ(reader.get(), c.expected);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        if (c.expected == ERROR_CONNECTION_FAILURE) {
            EXPECT_TRUE(linkIsBroken());
        }
        linkSetSystemCalls(nullptr);
        gReaderStarted = nullptr;
        EXPECT_FALSE(linkIsConnected());
        uint8_t v = 0;
        EXPECT_EQ(askFirmware(&v), ERROR_CONNECTION_FAILURE);
    }
}

TEST_F(LinkTest, DataWrapperAroundACommandCarriesItsSubCodesAndData) {
    device.setCommandHandler(0xF2, [](Device&, const CommandRequest& r) {
        // The device answers code 0 when what it transferred went to its sharing clients.
        return CommandReply::withCode(r.wrapper ? 0 : 0x2002);
    });
    const std::vector<uint8_t> record(608, 0x5A);
    const uint8_t name[] = "IMG_0001.JPG";
    HeapBlock reply;
    uint32_t length = 0;
    EXPECT_EQ(linkCommandWithData(name, sizeof name, 0xF2, 0xA1, 0xB0, 608, record.data(), &reply, &length),
              PTP_RC_OK);
    auto log = device.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].wellFormed) << log[0].text;
    ASSERT_TRUE(log[0].wrapper.has_value());
    EXPECT_EQ(log[0].wrapper->subCodeA, 0xA1);
    EXPECT_EQ(log[0].wrapper->subCodeB, 0xB0);
    EXPECT_EQ(log[0].wrapper->innerLength, 608u + 10);
    EXPECT_EQ(log[0].wrapper->data, record);
    EXPECT_EQ(log[0].command, 0xF2);
    EXPECT_EQ(log[0].length, 608u + sizeof name + 10 + 15);
}

TEST_F(LinkTest, AccessoryRepliesAreReadByTheirLength) {
    struct Case {
        const char* name;
        std::vector<uint8_t> reply;
        ResponseCode expected;
        uint32_t result;
    };
    const std::vector<Case> cases = {
        {"result", rawPacket(9, 0x09, {0x2A, 0, 0, 0}), PTP_RC_OK, 42},
        {"8 bytes", rawPacket(8, 0x09, {0x2A, 0, 0}), ERROR_BAD_PACKET, 0},
        {"5 bytes", rawPacket(5, 0x09, {}), ERROR_BAD_PACKET, 0},
        {"another type", rawPacket(12, 0x0D, {7, 0, 0, 0, 0, 1, 0x20}), ERROR_BAD_PACKET, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        device.setRawPacketHandler(0x09, [&c](Device&, const std::vector<uint8_t>&) { return c.reply; });
        const uint8_t request[] = {9, 0, 0, 0, 5, 0, 0, 0, 0};
        ASSERT_EQ(linkLockHook(1), 1);
        ASSERT_EQ(linkSendAccessoryPacket(request, sizeof request), PTP_RC_OK);
        uint32_t result = 0;
        EXPECT_EQ(linkReadAccessoryReply(&result), c.expected);
        EXPECT_EQ(result, c.result);
        linkLockHook(0);
    }
    auto log = device.log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0].bytes, (std::vector<uint8_t>{14, 0, 0, 0, 0x09, 9, 0, 0, 0, 5, 0, 0, 0, 0}));
}

TEST_F(LinkTest, ArgumentsAreCheckedBeforeAnythingIsSent) {
    EXPECT_EQ(linkWrite(nullptr, 4), ERROR_INVALID_INPUT);
    const uint8_t b = 0;
    EXPECT_EQ(linkWrite(&b, 0), ERROR_INVALID_INPUT);
    EXPECT_EQ(linkReadExact(nullptr, 0), PTP_RC_OK);
    EXPECT_EQ(linkReadExact(nullptr, -5), PTP_RC_OK);
    uint32_t length = 0;
    EXPECT_EQ(linkReadPacket(nullptr, &length), ERROR_INVALID_INPUT);
    EXPECT_EQ(linkReadAccessoryReply(nullptr), ERROR_INVALID_INPUT);
    EXPECT_EQ(linkPtpReceive(nullptr), ERROR_INVALID_INPUT);
    EXPECT_EQ(device.logSize(), 0u);
    EXPECT_FALSE(linkIsBroken());
}

}  // namespace
