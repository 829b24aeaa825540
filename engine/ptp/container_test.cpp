// The PTP container layer: building, sending and transaction ids over an in-memory transport; reading data and
// response containers, checked against what actually arrived; and one round trip through the stand-in device.
#include "engine/ptp/container.h"

#include <gtest/gtest.h>

#include <deque>

#include "devicesim/device.h"
#include "engine/link/byte_order.h"
#include "engine/link/link.h"
#include "engine/timing.h"

namespace {

using namespace std::chrono_literals;

// In-memory transport: what was sent, and the blocks (with codes) to receive.
struct Transport {
    std::vector<std::vector<uint8_t>> sent;
    ResponseCode sendResult = PTP_RC_OK;
    std::deque<std::pair<ResponseCode, std::vector<uint8_t>>> incoming;
};
Transport* gTransport = nullptr;

ResponseCode fakeSend(const uint8_t* bytes, uint32_t length) {
    gTransport->sent.emplace_back(bytes, bytes + length);
    return gTransport->sendResult;
}

ResponseCode fakeReceive(HeapBlock* out) {
    if (gTransport->incoming.empty()) return ERROR_CONNECTION_FAILURE;
    auto [rc, bytes] = gTransport->incoming.front();
    gTransport->incoming.pop_front();
    if (!bytes.empty()) *out = HeapBlock::copyOf(bytes);
    return rc;
}

std::vector<uint8_t> container(uint16_t type, uint16_t code, uint32_t tid, std::vector<uint32_t> params = {},
                               std::vector<uint8_t> data = {}) {
    std::vector<uint8_t> out(12 + 4 * params.size() + data.size());
    writeLe32(out.data(), uint32_t(out.size()));
    writeLe16(out.data() + 4, type);
    writeLe16(out.data() + 6, code);
    writeLe32(out.data() + 8, tid);
    for (size_t i = 0; i < params.size(); ++i) writeLe32(out.data() + 12 + 4 * i, params[i]);
    std::copy(data.begin(), data.end(), out.begin() + 12 + 4 * params.size());
    return out;
}

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        gTransport = &transport;
        ptpSetTransport(fakeSend, fakeReceive);
    }
    void TearDown() override {
        ptpResetContainerState();
        gTransport = nullptr;
    }
    void receive(ResponseCode rc, std::vector<uint8_t> bytes) { transport.incoming.emplace_back(rc, std::move(bytes)); }
    Transport transport;
};

TEST_F(ContainerTest, CommandContainersHoldUpToFiveParameters) {
    const uint32_t params[6] = {1, 2, 3, 4, 5, 6};
    uint8_t buffer[64];
    EXPECT_EQ(ptpBuildContainers(0x1008, params, 5, nullptr, 0, buffer, sizeof buffer), 32u);
    EXPECT_EQ(readLe32(buffer + 28), 5u);
    EXPECT_EQ(ptpBuildContainers(0x1008, params, 6, nullptr, 0, buffer, sizeof buffer), 0u);
    EXPECT_EQ(ptpBuildContainers(0x1008, params, 5, nullptr, 0, buffer, 31), 0u);
    // Counted slots without parameters stay zero.
    EXPECT_EQ(ptpBuildContainers(0x1008, nullptr, 2, nullptr, 0, buffer, sizeof buffer), 20u);
    EXPECT_EQ(readLe32(buffer + 12), 0u);

    EXPECT_EQ(ptpSendCommandNoData(0x1008, params, 6, nullptr), ERROR_BUILD);
    EXPECT_TRUE(transport.sent.empty());
    uint32_t id = 99;
    ASSERT_EQ(ptpSendCommandNoData(0x1008, params, 5, &id), PTP_RC_OK);
    ASSERT_EQ(transport.sent.size(), 1u);
    EXPECT_EQ(transport.sent[0], container(1, 0x1008, 0, {1, 2, 3, 4, 5}));
    EXPECT_EQ(id, 0u);
}

TEST_F(ContainerTest, ADataPhaseTravelsInTheSameBufferAsItsCommand) {
    const uint32_t prop = 0x5001;
    const uint8_t value[] = {0x34, 0x12};
    ASSERT_EQ(ptpSendCommand(0x1016, &prop, 1, value, sizeof value, nullptr), PTP_RC_OK);
    ASSERT_EQ(transport.sent.size(), 1u);
    std::vector<uint8_t> expected = container(1, 0x1016, 0, {0x5001});
    auto data = container(2, 0x1016, 0, {}, {0x34, 0x12});
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(transport.sent[0].size(), 30u);
    EXPECT_EQ(transport.sent[0], expected);
}

TEST_F(ContainerTest, AFailedSendLeavesTheTransactionIdForTheNextOne) {
    uint32_t id = 0;
    ASSERT_EQ(ptpSendCommandNoData(0x1002, nullptr, 0, &id), PTP_RC_OK);
    EXPECT_EQ(id, 0u);
    transport.sendResult = ERROR_CONNECTION_FAILURE;
    id = 77;
    EXPECT_EQ(ptpSendCommandNoData(0x1001, nullptr, 0, &id), ERROR_CONNECTION_FAILURE);
    EXPECT_EQ(id, 77u);
    transport.sendResult = PTP_RC_OK;
    ASSERT_EQ(ptpSendCommandNoData(0x1001, nullptr, 0, &id), PTP_RC_OK);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(readLe32(transport.sent[1].data() + 8), 1u);
    EXPECT_EQ(readLe32(transport.sent[2].data() + 8), 1u);
    ptpResetTransactionId();
    EXPECT_EQ(ptpNextTransactionId(), 0u);

    ptpSetTransport(nullptr, fakeReceive);
    EXPECT_EQ(ptpSendCommandNoData(0x1001, nullptr, 0, nullptr), ERROR_INVALID_INPUT);
}

TEST_F(ContainerTest, TheDataPhaseComesBackAloneFollowedByItsResponse) {
    receive(PTP_RC_OK, container(2, 0x1009, 3, {}, {9, 8, 7, 6, 5}));
    receive(PTP_RC_OK, container(3, 0x2001, 3, {0xCAFE}));
    HeapBlock data;
    uint32_t length = 0;
    uint32_t param = 0;
    EXPECT_EQ(ptpReadDataAndResponse(&data, &length, &param), PTP_RC_OK);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(data.toVector(), (std::vector<uint8_t>{9, 8, 7, 6, 5}));
    EXPECT_EQ(param, 0xCAFEu);
}

TEST_F(ContainerTest, AResponseInPlaceOfDataEndsTheExchangeWithItsCode) {
    receive(PTP_RC_OK, container(3, 0x2019, 3, {5}));
    HeapBlock data;
    uint32_t length = 99;
    uint32_t param = 0;
    EXPECT_EQ(ptpReadDataAndResponse(&data, &length, &param), 0x2019);
    EXPECT_EQ(length, 0u);
    EXPECT_FALSE(data);
    EXPECT_EQ(param, 5u);
    EXPECT_TRUE(transport.incoming.empty());
}

TEST_F(ContainerTest, TheFirstParameterComesOnlyWhenAskedAndOnlyFromAResponse) {
    receive(PTP_RC_OK, container(3, 0x2001, 0, {42, 43}));
    EXPECT_EQ(ptpReadResponse(nullptr), PTP_RC_OK);
    receive(PTP_RC_OK, container(3, 0x2001, 0));
    uint32_t param = 7;
    EXPECT_EQ(ptpReadResponse(&param), PTP_RC_OK);
    EXPECT_EQ(param, 7u);  // no parameter in the container: nothing delivered
    receive(PTP_RC_OK, container(2, 0x1009, 0, {42}));
    EXPECT_EQ(ptpReadResponse(&param), ERROR_INVALID_TYPE);
    EXPECT_EQ(param, 7u);
    receive(PTP_RC_OK, container(4, 0x4002, 0, {42}));
    EXPECT_EQ(ptpReadResponse(&param), ERROR_INVALID_TYPE);
    EXPECT_EQ(param, 7u);
}

TEST_F(ContainerTest, ContainerLengthsAreCheckedAgainstTheBytesReceived) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        ResponseCode response;  // ptpReadResponse
        ResponseCode data;      // ptpReadDataAndResponse
    };
    auto announcing = [](std::vector<uint8_t> c, uint32_t length) {
        writeLe32(c.data(), length);
        return c;
    };
    const std::vector<Case> cases = {
        {"longer than received", announcing(container(3, 0x2001, 0, {1}), 1000), ERROR_BAD_PACKET, ERROR_BAD_PACKET},
        {"data longer than received", announcing(container(2, 0x1009, 0, {}, {1, 2, 3}), 0xFFFFFFFF),
         ERROR_BAD_PACKET, ERROR_BAD_PACKET},
        {"below a header", announcing(container(3, 0x2001, 0), 11), ERROR_BAD_PACKET, ERROR_BAD_PACKET},
        {"fewer bytes than a header", {12, 0, 0, 0, 3, 0, 1, 0x20}, ERROR_BAD_PACKET, ERROR_BAD_PACKET},
        // A shorter container than the block: only its own length counts.
        {"response in a longer block", announcing(container(3, 0x2001, 0, {1}), 12), PTP_RC_OK, PTP_RC_OK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        receive(PTP_RC_OK, c.bytes);
        uint32_t param = 0;
        EXPECT_EQ(ptpReadResponse(&param), c.response);
        EXPECT_EQ(param, 0u);
        receive(PTP_RC_OK, c.bytes);
        HeapBlock data;
        uint32_t length = 0;
        EXPECT_EQ(ptpReadDataAndResponse(&data, &length, nullptr), c.data);
        EXPECT_EQ(length, 0u);
        transport.incoming.clear();
    }
}

TEST_F(ContainerTest, ADataContainerIsCutToItsOwnLength) {
    auto bytes = container(2, 0x1009, 0, {}, {1, 2, 3, 4});
    bytes.insert(bytes.end(), {0xEE, 0xEE});  // trailing bytes in the same packet
    receive(PTP_RC_OK, bytes);
    receive(PTP_RC_OK, container(3, 0x2001, 0));
    HeapBlock data;
    uint32_t length = 0;
    EXPECT_EQ(ptpReadDataAndResponse(&data, &length, nullptr), PTP_RC_OK);
    EXPECT_EQ(data.toVector(), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST_F(ContainerTest, TheDeviceAnsweringAloneCountsAsSuccessWithoutData) {
    receive(RESPONSE_NO_DATA, {});
    EXPECT_EQ(ptpReadResponse(nullptr), PTP_RC_OK);
    receive(RESPONSE_NO_DATA, {});
    HeapBlock data;
    uint32_t length = 0;
    EXPECT_EQ(ptpReadDataAndResponse(&data, &length, nullptr), RESPONSE_NO_DATA);
    EXPECT_FALSE(data);
    // Link failures pass through.
    receive(ERROR_WOKEN, {});
    EXPECT_EQ(ptpReadResponse(nullptr), ERROR_WOKEN);
    receive(ERROR_BAD_PACKET, {});
    EXPECT_EQ(ptpReadDataAndResponse(&data, &length, nullptr), ERROR_BAD_PACKET);
}

// After a send, only containers of that transaction answer it: a late answer of an earlier one is dropped and the
// read goes on to the right one, or to the link's failure when the right one never comes.
TEST_F(ContainerTest, AnswersOfAnotherTransactionAreDropped) {
    ptpResetTransactionId();
    for (int i = 0; i < 6; ++i) ASSERT_EQ(ptpSendCommandNoData(0x1001, nullptr, 0, nullptr), PTP_RC_OK);
    // Ids 0 to 5 went out: transaction 5 is the one awaited from here on.
    const struct {
        const char* what;
        std::vector<std::pair<ResponseCode, std::vector<uint8_t>>> incoming;
        bool withData;
        ResponseCode result;
        std::vector<uint8_t> data;
        uint32_t param;
    } cases[] = {
        {"a late response before the data",
         {{PTP_RC_OK, container(3, 0x2001, 4, {0xBAD})},
          {PTP_RC_OK, container(2, 0x1009, 5, {}, {1, 2, 3})},
          {PTP_RC_OK, container(3, 0x2001, 5, {77})}},
         true, PTP_RC_OK, {1, 2, 3}, 77},
        {"a late data phase and response before the data",
         {{PTP_RC_OK, container(2, 0x1009, 4, {}, {9, 9})},
          {PTP_RC_OK, container(3, 0x2019, 4)},
          {PTP_RC_OK, container(2, 0x1009, 5, {}, {4, 5})},
          {PTP_RC_OK, container(3, 0x2001, 5, {78})}},
         true, PTP_RC_OK, {4, 5}, 78},
        {"a late response between the data and its own response",
         {{PTP_RC_OK, container(2, 0x1009, 5, {}, {6})},
          {PTP_RC_OK, container(3, 0x2002, 3)},
          {PTP_RC_OK, container(3, 0x2001, 5, {79})}},
         true, PTP_RC_OK, {6}, 79},
        {"a late response before the response", 
         {{PTP_RC_OK, container(3, 0x2019, 4, {0xBAD})}, {PTP_RC_OK, container(3, 0x201D, 5, {80})}},
         false, 0x201D, {}, 80},
        {"only a late answer, then the time-out",
         {{PTP_RC_OK, container(3, 0x2001, 4, {0xBAD})}, {ERROR_CONNECTION_FAILURE, {}}},
         false, ERROR_CONNECTION_FAILURE, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        transport.incoming.assign(c.incoming.begin(), c.incoming.end());
        uint32_t param = 0;
        if (c.withData) {
            HeapBlock data;
            uint32_t length = 0;
            EXPECT_EQ(ptpReadDataAndResponse(&data, &length, &param), c.result);
            EXPECT_EQ(data.toVector(), c.data);
        } else {
            EXPECT_EQ(ptpReadResponse(&param), c.result);
        }
        EXPECT_EQ(param, c.param);
        EXPECT_TRUE(transport.incoming.empty());
    }
}

// --- through the link and the stand-in device ---
class PatternCamera : public devicesim::Camera {
public:
    devicesim::PtpResult handleOperation(const devicesim::PtpOperation& op) override {
        if (op.code == 0x1009 && !op.params.empty()) {
            std::vector<uint8_t> d(op.params[0]);
            for (size_t i = 0; i < d.size(); ++i) d[i] = uint8_t(i * 31 + 7);
            return devicesim::PtpResult::withData(std::move(d));
        }
        if (op.code == 0x1016) {
            lastData = op.dataOut.value_or(std::vector<uint8_t>{});
            return devicesim::PtpResult::ok();
        }
        return devicesim::PtpResult::withCode(0x2005);
    }
    std::vector<uint8_t> lastData;
};

TEST(ContainerOverLink, OperationsRoundTripThroughTheDevice) {
    linkResetState();
    devicesim::Device device;
    auto camera = std::make_shared<PatternCamera>();
    device.setCamera(camera);
    ASSERT_TRUE(device.start(0));
    ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
    ptpSetTransport(linkPtpSend, linkPtpReceive);

    const uint32_t size = 3 * 1024 * 1024 + 5;
    ASSERT_EQ(ptpSendCommandNoData(0x1009, &size, 1, nullptr), PTP_RC_OK);
    HeapBlock data;
    uint32_t length = 0;
    ASSERT_EQ(ptpReadDataAndResponse(&data, &length, nullptr), PTP_RC_OK);
    ASSERT_EQ(length, size);
    ASSERT_EQ(data.size(), size);
    for (uint32_t i : {0u, 1u, size / 2, size - 1}) EXPECT_EQ(data[i], uint8_t(i * 31 + 7)) << i;

    const uint32_t prop = 0x5007;
    const uint8_t value[] = {0x80, 0x01};
    ASSERT_EQ(ptpSendCommand(0x1016, &prop, 1, value, 2, nullptr), PTP_RC_OK);
    EXPECT_EQ(ptpReadResponse(nullptr), PTP_RC_OK);
    EXPECT_EQ(camera->lastData, (std::vector<uint8_t>{0x80, 0x01}));

    ASSERT_EQ(ptpSendCommandNoData(0x9999, nullptr, 0, nullptr), PTP_RC_OK);
    EXPECT_EQ(ptpReadResponse(nullptr), 0x2005);

    auto log = device.log();
    ASSERT_EQ(log.size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(log[i].wellFormed) << log[i].text;
        EXPECT_EQ(log[i].ptpTransactionId, i);
    }
    EXPECT_EQ(log[1].length, 30u + 5);  // one PtpDataPacket: command 16 bytes, data 14

    ptpResetContainerState();
    linkResetState();
    device.stop();
}

}  // namespace
