// Opening and closing the link: connect attempts, refused and pending connections, reconnects, disconnects that
// race a reader, closed peers and short writes. System calls are replaced where a fault must be forced.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <future>

#include "engine/link/link.h"
#include "engine/link/link_system_calls.h"
#include "engine/link/link_test_fixture.h"

using namespace link_test;
using devicesim::CommandReply;
using devicesim::CommandRequest;
using devicesim::Device;
using devicesim::Fault;

namespace {

using Clock = std::chrono::steady_clock;

// --- connect attempts through a replaced connect() ---
struct ConnectScript {
    std::mutex mu;
    std::vector<Clock::time_point> attempts;
    std::vector<int> errors;  // one per attempt; 0 = use the real connect
};
ConnectScript* gConnect = nullptr;

int scriptedConnect(int fd, const sockaddr* a, socklen_t l) {
    std::lock_guard<std::mutex> g(gConnect->mu);
    const size_t i = gConnect->attempts.size();
    gConnect->attempts.push_back(Clock::now());
    const int err = i < gConnect->errors.size() ? gConnect->errors[i] : gConnect->errors.back();
    if (err == 0) return ::connect(fd, a, l);
    errno = err;
    return -1;
}

class LinkConnectTest : public LinkFixture {
protected:
    void TearDown() override {
        linkSetSystemCalls(nullptr);
        gConnect = nullptr;
        LinkFixture::TearDown();
    }
    LinkSystemCalls withConnect() {
        LinkSystemCalls c = linkRealSystemCalls();
        c.connect = scriptedConnect;
        return c;
    }
};

TEST_F(LinkConnectTest, OnlyAnUnreachableHostIsTriedAgainFourTimesInAllOneSecondApart) {
    struct Case {
        const char* name;
        std::vector<int> errors;
        size_t attempts;
        bool connects;
    };
    const std::vector<Case> cases = {
        {"unreachable every time", {EHOSTUNREACH}, 4, false},
        {"refused", {ECONNREFUSED}, 1, false},
        {"network unreachable", {ENETUNREACH}, 1, false},
        {"unreachable, then refused", {EHOSTUNREACH, ECONNREFUSED}, 2, false},
        {"unreachable twice, then up", {EHOSTUNREACH, EHOSTUNREACH, 0}, 3, true},
        {"unreachable three times, then up", {EHOSTUNREACH, EHOSTUNREACH, EHOSTUNREACH, 0}, 4, true},
    };
    const auto gap = engineWait(engine_timing::kConnectRetryDelay);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectScript script;
        script.errors = c.errors;
        gConnect = &script;
        LinkSystemCalls calls = withConnect();
        linkSetSystemCalls(&calls);
        const int result = linkConnect("127.0.0.1", device.port());
        linkSetSystemCalls(nullptr);
        EXPECT_EQ(result >= 0, c.connects);
        EXPECT_EQ(linkIsConnected(), c.connects);
        ASSERT_EQ(script.attempts.size(), c.attempts);
        for (size_t i = 1; i < script.attempts.size(); ++i)
            EXPECT_GE(script.attempts[i] - script.attempts[i - 1], gap);
    }
}

TEST_F(LinkConnectTest, ARefusedConnectionFailsEvenThoughItBecomesWritable) {
    // A port with no listener: the connect is pending at first, then refused.
    uint16_t port = 0;
    const int probe = loopbackSocket(&port);
    ASSERT_GE(probe, 0);
    ::close(probe);
    EXPECT_EQ(linkConnect("127.0.0.1", port), -1);
    EXPECT_FALSE(linkIsConnected());
    uint8_t v = 0;
    EXPECT_EQ(askFirmware(&v), ERROR_CONNECTION_FAILURE);
}

TEST_F(LinkConnectTest, AConnectStillPendingAfterTheConnectTimeOutFails) {
    // A listener whose accept queue is full drops further handshakes, so the next connect stays pending.
    uint16_t port = 0;
    const int listener = loopbackSocket(&port, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int f = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
        fillers.push_back(f);
    }
    const auto start = Clock::now();
    EXPECT_EQ(linkConnect("127.0.0.1", port), -1);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, engineWait(engine_timing::kConnectTimeout) - 5ms);
    EXPECT_LT(took, 5s);
    for (int f : fillers) ::close(f);
    ::close(listener);
}

TEST_F(LinkConnectTest, ReconnectingClosesTheOldSocket) {
    // The device serves one client at a time: the new link is served only once the old socket is closed.
    for (int i = 0; i < 3; ++i) ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
    uint8_t v = 0;
    EXPECT_EQ(askFirmware(&v), PTP_RC_OK);
    EXPECT_EQ(v, 7);
}

// --- a reader held between its receive and its wait while the link is replaced ---
struct HeldReader {
    std::mutex mu;
    std::condition_variable cv;
    bool inside = false;
    bool release = false;
    std::atomic<std::thread::id> reader{};
    int fdSeen = -1;
};
HeldReader* gHeld = nullptr;

ssize_t holdingRecv(int fd, void* b, size_t n, int f) {
    if (gHeld && std::this_thread::get_id() == gHeld->reader.load()) {
        std::unique_lock<std::mutex> lock(gHeld->mu);
        if (!gHeld->inside) {
            gHeld->inside = true;
            gHeld->fdSeen = fd;
            gHeld->cv.notify_all();
            gHeld->cv.wait(lock, [] { return gHeld->release; });
        }
    }
    return ::recv(fd, b, n, f);
}

TEST_F(LinkConnectTest, ADisconnectNeverClosesADescriptorThatAReaderStillUses) {
    HeldReader held;
    gHeld = &held;
    auto reader = requestInBackground(holdingRecv, Fault::noReply(),
                                      [&held] { held.reader.store(std::this_thread::get_id()); });
    {
        std::unique_lock<std::mutex> lock(held.mu);
        ASSERT_TRUE(held.cv.wait_for(lock, 5s, [&] { return held.inside; }));
    }
    // The reader is about to wait on its descriptor. Replace the link under it.
    linkDisconnect();
    const int newFd = linkConnect("127.0.0.1", device.port());
    ASSERT_GE(newFd, 0);
    EXPECT_NE(newFd, held.fdSeen);  // the old number is still the old socket's: not closed, not reused
    EXPECT_GE(::fcntl(held.fdSeen, F_GETFD), 0);
    {
        std::lock_guard<std::mutex> g(held.mu);
        held.release = true;
    }
    held.cv.notify_all();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reader.get(), ERROR_CONNECTION_FAILURE);  // woken while it waited for a header
    linkSetSystemCalls(nullptr);
    gHeld = nullptr;
    EXPECT_FALSE(linkIsBroken());  // the old reader's failure is not the new link's

    // The new link is untouched by the old reader.
    ASSERT_TRUE(device.waitForClient(5s));
    uint8_t v = 0;
    EXPECT_EQ(askFirmware(&v), PTP_RC_OK);
    EXPECT_EQ(v, 7);
}

// --- a closed peer ---
ssize_t staleEintrRecv(int fd, void* b, size_t n, int f) {
    errno = EINTR;  // what a receive of 0 leaves in errno is whatever was there before
    return ::recv(fd, b, n, f);
}

TEST_F(LinkConnectTest, AReceiveOfZeroBytesIsAClosedConnection) {
    auto reader = requestInBackground(staleEintrRecv, Fault::closeMidPacket(0));
    if (reader.wait_for(5s) != std::future_status::ready) {
        linkDisconnect();  // unstick the reader before failing
        reader.wait();
        FAIL() << "a closed connection was retried";
    }
    EXPECT_EQ(reader.get(), ERROR_CONNECTION_FAILURE);
    EXPECT_TRUE(linkIsBroken());
}

TEST_F(LinkConnectTest, WritingToAClosedPeerFailsWithoutKillingTheProcess) {
    device.dropClient();
    ASSERT_TRUE(device.waitForNoClient(5s));
    const std::vector<uint8_t> bytes(1024, 1);
    ResponseCode rc = PTP_RC_OK;
    // The first write after the peer closed may still be accepted; the next ones fail (EPIPE, never SIGPIPE).
    for (int i = 0; i < 200 && rc == PTP_RC_OK; ++i) rc = linkWrite(bytes.data(), bytes.size());
    EXPECT_EQ(rc, ERROR_CONNECTION_FAILURE);
    EXPECT_TRUE(linkIsBroken());
}

// --- a device that stops reading ---
TEST_F(LinkConnectTest, AWriteTheDeviceStopsTakingFailsAfterTheReadTimeOut) {
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    ASSERT_GE(linkAdoptConnectedSocket(ends[0]), 0);  // ends[1] is never read
    const std::vector<uint8_t> bytes(kLinkMaxPacketLength, 1);  // far more than the socket buffers hold
    auto writer = std::async(std::launch::async, [&bytes] { return linkWrite(bytes.data(), bytes.size()); });
    if (writer.wait_for(5s) != std::future_status::ready) {
        linkDisconnect();  // unstick the writer before failing
        writer.wait();
        ::close(ends[1]);
        FAIL() << "a write waited without bound for a device that does not read";
    }
    EXPECT_EQ(writer.get(), ERROR_CONNECTION_FAILURE);
    EXPECT_TRUE(linkIsBroken());
    ::close(ends[1]);
}

TEST_F(LinkConnectTest, ADisconnectWakesAWriterTheDeviceStoppedTaking) {
    int ends[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    ASSERT_GE(linkAdoptConnectedSocket(ends[0]), 0);
    linkSetReadTimeout(std::chrono::milliseconds(2'000'000));  // 20 s at this scale: far longer than the test
    const std::vector<uint8_t> bytes(kLinkMaxPacketLength, 1);
    auto writer = std::async(std::launch::async, [&bytes] { return linkWrite(bytes.data(), bytes.size()); });
    EXPECT_EQ(writer.wait_for(50ms), std::future_status::timeout);  // stalled on the full socket
    linkDisconnect();
    ASSERT_EQ(writer.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(writer.get(), ERROR_CONNECTION_FAILURE);
    ::close(ends[1]);
}

// --- short writes ---
std::atomic<int> gSendCalls{0};

ssize_t threeBytesAtATime(int fd, const msghdr* m, int flags) {
    ++gSendCalls;
    // Only the first three bytes of the first non-empty buffer go out.
    for (size_t i = 0; i < m->msg_iovlen; ++i) {
        if (m->msg_iov[i].iov_len == 0) continue;
        iovec one{m->msg_iov[i].iov_base, std::min<size_t>(3, m->msg_iov[i].iov_len)};
        msghdr copy{};
        copy.msg_iov = &one;
        copy.msg_iovlen = 1;
        return ::sendmsg(fd, &copy, flags);
    }
    return 0;
}

TEST_F(LinkConnectTest, AShortWriteIsContinuedWithTheRemainingBytes) {
    std::vector<uint8_t> seen;
    device.setCommandHandler(0x44, [&seen](Device&, const CommandRequest& r) {
        seen = r.payload;
        return CommandReply::ok({1});
    });
    std::vector<uint8_t> payload(100);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = uint8_t(i + 1);
    gSendCalls = 0;
    LinkSystemCalls calls = linkRealSystemCalls();
    calls.sendmsg = threeBytesAtATime;
    linkSetSystemCalls(&calls);
    HeapBlock reply;
    uint32_t length = 0;
    ASSERT_EQ(linkRequest(0x44, payload.data(), uint32_t(payload.size()), &reply, &length), PTP_RC_OK);
    linkSetSystemCalls(nullptr);
    EXPECT_EQ(seen, payload);
    EXPECT_EQ(gSendCalls.load(), 4 + 34);  // 10 header bytes and 100 payload bytes, three at a time
    auto log = device.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_TRUE(log[0].wellFormed);
}

}  // namespace
