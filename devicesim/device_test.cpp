// The stand-in device on its own, spoken to with raw bytes: its reading of the framing, its answers, its log.
#include "devicesim/device.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>

#include "devicesim/fault_schedule.h"
#include "devicesim/packet_parser.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

using namespace std::chrono_literals;

std::vector<uint8_t> le32(uint32_t v) { return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; }

std::vector<uint8_t> cat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

std::vector<uint8_t> commandPacket(uint8_t cmd, std::vector<uint8_t> payload) {
    return cat({le32(uint32_t(payload.size() + 10)), {kCommand}, le32(uint32_t(payload.size() + 5)), {cmd}, payload});
}

std::vector<uint8_t> wrapper(uint8_t a, uint8_t b, std::vector<uint8_t> data, const std::vector<uint8_t>& nested,
                             uint32_t inner) {
    return cat({le32(uint32_t(15 + data.size() + nested.size())), {kDataWrapper}, le32(inner), {a, b},
                le32(uint32_t(data.size())), data, nested});
}

TEST(PacketParser, ReadsWrappersByTheirOwnRules) {
    const auto cmd = commandPacket(0xF2, {'a', 0});
    const auto ptp = Device::packet(kPtpData, Device::ptpContainer(1, 0x1009, 7, {0x55}));
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool valid;
        uint8_t innerType;
    };
    const std::vector<Case> cases = {
        {"command, inner d + 10", wrapper(0xA1, 0xB2, {1, 2}, cmd, 12), true, kCommand},
        {"command, inner covering the command", wrapper(0xA1, 0xB2, {1, 2}, cmd, 12 + uint32_t(cmd.size())), false,
         kCommand},
        {"PTP, inner covering the nested packet", wrapper(0xA1, 0xB0, {1, 2}, ptp, 12 + uint32_t(ptp.size())), true,
         kPtpData},
        {"PTP, inner d + 10", wrapper(0xA1, 0xB0, {1, 2}, ptp, 12), false, kPtpData},
        {"nested packet cut short", wrapper(0xA1, 0xB0, {}, std::vector<uint8_t>(ptp.begin(), ptp.end() - 1), 10),
         false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ParsedPacket p = parsePacket(c.bytes);
        EXPECT_EQ(p.valid, c.valid) << p.error;
        if (c.innerType) {
            EXPECT_EQ(p.innerType, c.innerType);
        }
        ASSERT_TRUE(p.wrapper);
        EXPECT_EQ(p.wrapper->subCodeA, 0xA1);
    }
    ParsedPacket p = parsePacket(wrapper(0xA1, 0xB0, {9}, ptp, 11 + uint32_t(ptp.size())));
    ASSERT_TRUE(p.ptp);
    EXPECT_EQ(p.ptp->code, 0x1009);
    EXPECT_EQ(p.ptp->transactionId, 7u);
    EXPECT_EQ(p.ptp->params, (std::vector<uint32_t>{0x55}));
    EXPECT_EQ(describePacket(p), "wrapper A=0xA1 B=0xB0 d=1 around PTP operation 0x1009 tid 7 params 0x55");
}

TEST(PacketParser, RejectsContainersThatDoNotAddUp) {
    auto command = Device::ptpContainer(1, 0x1016, 3, {0x5001});
    auto data = Device::ptpDataContainer(0x1016, 3, {1, 2});
    EXPECT_TRUE(parsePacket(Device::packet(kPtpData, cat({command, data}))).valid);
    auto otherId = Device::ptpDataContainer(0x1016, 4, {1, 2});
    EXPECT_FALSE(parsePacket(Device::packet(kPtpData, cat({command, otherId}))).valid);
    auto sixParams = Device::ptpContainer(1, 0x1016, 3, {1, 2, 3, 4, 5, 6});
    EXPECT_FALSE(parsePacket(Device::packet(kPtpData, sixParams)).valid);
    auto overlong = command;
    wire::set32(overlong, 0, 200);
    EXPECT_FALSE(parsePacket(Device::packet(kPtpData, overlong)).valid);
    EXPECT_FALSE(parsePacket(Device::packet(kPtpData, {1, 2, 3})).valid);
    EXPECT_FALSE(parsePacket(cat({le32(9), {kCommand}, le32(4)})).valid);
}

// A raw client of the device.
class RawClient {
public:
    explicit RawClient(uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        timeval tv{5, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    }
    ~RawClient() { ::close(fd_); }
    bool connected() const { return connected_; }
    void send(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), ssize_t(bytes.size()));
    }
    // One whole packet, or empty when the connection closed.
    std::vector<uint8_t> receive() {
        std::vector<uint8_t> out(5);
        if (!readExact(out.data(), 5)) return {};
        out.resize(wire::get32(out.data()));
        if (!readExact(out.data() + 5, out.size() - 5)) return {};
        return out;
    }

private:
    bool readExact(uint8_t* p, size_t n) {
        while (n > 0) {
            ssize_t k = ::recv(fd_, p, n, 0);
            if (k <= 0) return false;
            p += k;
            n -= size_t(k);
        }
        return true;
    }
    int fd_ = -1;
    bool connected_ = false;
};

class EchoCamera : public Camera {
public:
    PtpResult handleOperation(const PtpOperation& op) override {
        PtpResult r = PtpResult::withData({uint8_t(op.code), uint8_t(op.params.size())});
        r.params = {op.transactionId};
        return r;
    }
};

TEST(Device, AnswersCommandsAndRelaysPtpToItsCamera) {
    Device device;
    ASSERT_TRUE(device.start(0));
    device.setCommandHandler(0x10, [](Device&, const CommandRequest& r) {
        return CommandReply::ok({uint8_t(r.payload.size())});
    });
    RawClient client(device.port());
    ASSERT_TRUE(client.connected());

    client.send(commandPacket(0x10, {1, 2, 3}));
    EXPECT_EQ(client.receive(), cat({le32(13), {kResponse}, le32(8), {0, 0x01, 0x20, 3}}));
    client.send(commandPacket(0x77, {}));
    EXPECT_EQ(client.receive(), cat({le32(12), {kResponse}, le32(7), {0, 0x05, 0x20}}));

    // No camera yet: the device answers for it.
    client.send(Device::packet(kPtpData, Device::ptpContainer(1, 0x1001, 0, {})));
    EXPECT_EQ(client.receive(), Device::responsePacket(0x2002, {}));

    device.setCamera(std::make_shared<EchoCamera>());
    client.send(Device::packet(kPtpData, Device::ptpContainer(1, 0x1009, 4, {1, 2})));
    EXPECT_EQ(client.receive(), Device::packet(kPtpData, Device::ptpDataContainer(0x1009, 4, {0x09, 2})));
    EXPECT_EQ(client.receive(), Device::packet(kPtpData, Device::ptpContainer(3, 0x2001, 4, {4})));

    // Data for the sharing clients only: the device answers alone, with code 0.
    const auto ptp = Device::packet(kPtpData, Device::ptpContainer(1, 0x1009, 5, {1}));
    client.send(wrapper(0xA0, 0xB0, {7}, ptp, 11 + uint32_t(ptp.size())));
    EXPECT_EQ(client.receive(), Device::responsePacket(0, {}));

    device.scriptFault(Fault::busy());
    client.send(Device::packet(kPtpData, Device::ptpContainer(1, 0x1009, 6, {1})));
    EXPECT_EQ(client.receive(), Device::packet(kPtpData, Device::ptpContainer(3, 0x2019, 6, {})));

    auto log = device.log();
    ASSERT_EQ(log.size(), 6u);
    EXPECT_EQ(log[0].text, "command 0x10 payload 3 bytes");
    EXPECT_EQ(log[3].ptpOperation, 0x1009);
    EXPECT_EQ(log[3].ptpParams, (std::vector<uint32_t>{1, 2}));
    ASSERT_TRUE(log[4].wrapper);
    EXPECT_EQ(log[4].wrapper->subCodeA, 0xA0);
}

TEST(Device, DropsAClientWhoseFramingItCannotFollowAndServesTheNext) {
    Device device;
    ASSERT_TRUE(device.start(0));
    {
        RawClient client(device.port());
        ASSERT_TRUE(device.waitForClient(5s));
        client.send({3, 0, 0, 0, kCommand});
        EXPECT_TRUE(client.receive().empty());  // closed
        ASSERT_TRUE(device.waitForLog(1, 5s));
        EXPECT_FALSE(device.log()[0].wellFormed);
    }
    RawClient next(device.port());
    next.send(commandPacket(0x30, {}));
    EXPECT_EQ(next.receive(), Device::responsePacket(0x2005, {}));
}

TEST(Device, SendsAsynchronousMessagesOnDemand) {
    Device device;
    ASSERT_TRUE(device.start(0));
    EXPECT_FALSE(device.sendSdCardStatus(0x2001));  // nobody to send to
    RawClient client(device.port());
    ASSERT_TRUE(device.waitForClient(5s));
    ASSERT_TRUE(device.sendAutomationFeedback(0x02, 0xFF40, {1, 2}));
    ASSERT_TRUE(device.sendSdCardStatus(0xFF16));
    EXPECT_EQ(client.receive(), cat({le32(14), {0xF7, 0x02, 0x40, 0xFF}, le32(2), {1, 2}}));
    EXPECT_EQ(client.receive(), cat({le32(12), {0xFD, 0, 0, 0, 0, 0xFE, 0x16, 0xFF}}));
}

// --- faults on a seeded schedule ---

// Answers each operation with as many data bytes as its first parameter asks; counts what reached it.
class SizedCamera : public Camera {
public:
    PtpResult handleOperation(const PtpOperation& op) override {
        ++operations;
        return PtpResult::withData(std::vector<uint8_t>(op.params.empty() ? 0 : op.params[0], 0x5A));
    }
    std::atomic<int> operations{0};
};

std::vector<uint8_t> sizedRequest(uint32_t size, uint32_t transaction) {
    return Device::packet(kPtpData, Device::ptpContainer(1, 0x1009, transaction, {size}));
}

TEST(FaultSchedule, TheSeedAloneDecidesWhereFaultsFallAndWhatTheyAre) {
    FaultPlan plan;
    plan.seed = 7;
    plan.everyExchanges = 50;
    const auto faults = FaultSchedule::preview(plan, 2000);
    ASSERT_EQ(faults.size(), 2000u);
    EXPECT_EQ(FaultSchedule::preview(plan, 2000), faults);
    plan.seed = 8;
    EXPECT_NE(FaultSchedule::preview(plan, 2000), faults);

    std::array<int, kFaultKinds> kinds{};
    uint64_t previous = 0;
    for (const PlannedFault& f : faults) {
        ASSERT_GE(f.exchange, previous + 1);
        ASSERT_LE(f.exchange, previous + 99);
        previous = f.exchange;
        ++kinds[size_t(f.kind)];
    }
    // One fault per 50 exchanges on average, every kind about as often as the others.
    EXPECT_NEAR(double(faults.back().exchange) / double(faults.size()), 50.0, 2.5);
    for (int n : kinds) EXPECT_NEAR(n, 2000 / 7, 60);

    plan.everyExchanges = 0;
    EXPECT_TRUE(FaultSchedule::preview(plan, 10).empty());
}

TEST(FaultSchedule, ActsOnTheExchangesItChoseThroughTheDevice) {
    Device device;
    auto camera = std::make_shared<SizedCamera>();
    device.setCamera(camera);
    ASSERT_TRUE(device.start(0));
    const auto answer = [](uint32_t size, uint32_t tid) {
        return cat({Device::packet(kPtpData, Device::ptpDataContainer(0x1009, tid, std::vector<uint8_t>(size, 0x5A))),
                    Device::packet(kPtpData, Device::ptpContainer(3, 0x2001, tid, {}))});
    };
    const auto receiveAll = [](RawClient& c, size_t packets) {
        std::vector<uint8_t> out;
        for (size_t i = 0; i < packets; ++i) {
            auto p = c.receive();
            if (p.empty()) break;
            out.insert(out.end(), p.begin(), p.end());
        }
        return out;
    };

    // A cut meant for an object waits for an answer that carries one, then closes the link inside it.
    {
        FaultPlan plan;
        plan.kinds = {FaultKind::CutObject};
        plan.everyExchanges = 1;  // every exchange has a fault due
        plan.objectBytes = 1000;
        FaultSchedule schedule(plan);
        schedule.install(device);
        RawClient client(device.port());
        client.send(sizedRequest(10, 1));
        EXPECT_EQ(receiveAll(client, 2), answer(10, 1));
        client.send(sizedRequest(5000, 2));
        EXPECT_TRUE(client.receive().empty());  // cut short, then closed
        EXPECT_EQ(schedule.injected()[size_t(FaultKind::CutObject)], 1u);
        device.setFaultSource(nullptr);
        ASSERT_TRUE(device.waitForNoClient(5s));
    }
    // A busy storm answers busy without the camera acting, for a few exchanges in a row.
    {
        FaultPlan plan;
        plan.kinds = {FaultKind::BusyStorm};
        plan.everyExchanges = 1;  // a fault on the first exchange
        plan.busyStormMax = 3;
        FaultSchedule schedule(plan);
        schedule.install(device);
        RawClient client(device.port());
        const int before = camera->operations;
        client.send(sizedRequest(10, 3));
        EXPECT_EQ(client.receive(), Device::packet(kPtpData, Device::ptpContainer(3, 0x2019, 3, {})));
        EXPECT_EQ(camera->operations, before);
        device.setFaultSource(nullptr);
    }
}

TEST(Device, RestartsAndLosesItsCameraForAWhileOnDemand) {
    Device device;
    device.setCamera(std::make_shared<SizedCamera>());
    device.setCommandHandler(0x10, [](Device& d, const CommandRequest&) {
        return CommandReply::ok({uint8_t(d.camera() ? 1 : 0)});
    });
    ASSERT_TRUE(device.start(0));

    device.detachCameraFor(60s);
    EXPECT_TRUE(device.cameraDetached());
    {
        RawClient client(device.port());
        client.send(commandPacket(0x10, {}));
        EXPECT_EQ(client.receive(), Device::responsePacket(0x2001, {0}));
        client.send(sizedRequest(4, 1));
        EXPECT_EQ(client.receive(), Device::responsePacket(0x2002, {}));
        device.detachCameraFor(0ms);  // plugged in again
        client.send(commandPacket(0x10, {}));
        EXPECT_EQ(client.receive(), Device::responsePacket(0x2001, {1}));

        device.restart(60s);
        EXPECT_TRUE(client.receive().empty());  // the client's link went down with the restart
    }
    {
        RawClient during(device.port());
        ASSERT_TRUE(during.connected());  // the kernel accepts; the starting device closes it at once
        EXPECT_TRUE(during.receive().empty());
    }
    device.restart(0ms);  // started: the next connection is served
    RawClient after(device.port());
    after.send(commandPacket(0x10, {}));
    EXPECT_EQ(after.receive(), Device::responsePacket(0x2001, {1}));
}

}  // namespace
}  // namespace devicesim
