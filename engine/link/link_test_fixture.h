#pragma once
// Test fixture: a stand-in device on a loopback port with the link connected to it, waits scaled down, and a
// device-message handler that records what it is given and on which thread.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "devicesim/device.h"
#include "engine/link/link.h"
#include "engine/link/link_system_calls.h"
#include "engine/timing.h"

namespace link_test {

using namespace std::chrono_literals;

struct ReceivedMessages {
    std::mutex mu;
    std::condition_variable cv;
    std::vector<std::vector<uint8_t>> messages;
    std::vector<std::thread::id> threads;

    bool waitFor(size_t count, std::chrono::milliseconds timeout = 5s) {
        std::unique_lock<std::mutex> lock(mu);
        return cv.wait_for(lock, timeout, [&] { return messages.size() >= count; });
    }
    size_t count() {
        std::lock_guard<std::mutex> g(mu);
        return messages.size();
    }
};

inline ReceivedMessages*& currentMessages() {
    static ReceivedMessages* m = nullptr;
    return m;
}

inline void recordingHandler(DeviceStatusMessage message) {
    ReceivedMessages* m = currentMessages();
    if (!m) return;
    {
        std::lock_guard<std::mutex> g(m->mu);
        m->messages.push_back(message.toVector());
        m->threads.push_back(std::this_thread::get_id());
    }
    m->cv.notify_all();
}

class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        linkResetState();
        savedScale_ = engine_timing::scale().load();
        engine_timing::scale().store(0.01);  // the 22 s read time-out becomes 220 ms
        currentMessages() = &received;
        ASSERT_TRUE(device.start(0));
        fd = linkConnect("127.0.0.1", device.port());
        ASSERT_GE(fd, 0);
        ASSERT_TRUE(device.waitForClient(5s));
        device.setCommandHandler(0x30, [](devicesim::Device&, const devicesim::CommandRequest&) {
            return devicesim::CommandReply::ok({7});
        });
    }
    void TearDown() override {
        linkResetState();
        device.stop();
        currentMessages() = nullptr;
        engine_timing::scale().store(savedScale_);
    }

    // A device command whose one-byte answer is 7.
    ResponseCode askFirmware(uint8_t* version) {
        HeapBlock reply;
        uint32_t length = 0;
        ResponseCode rc = linkRequest(0x30, nullptr, 0, &reply, &length);
        if (rc == PTP_RC_OK && reply.size() == 1) *version = reply[0];
        return rc;
    }

    // A firmware request started on another thread against a device scripted with `fault`, the receive call
    // replaced by `recv` and the read time-out far longer than any test (20 s at this scale); `onReaderThread`
    // runs first on the reader's thread. The system calls are restored at tear-down.
    std::future<ResponseCode> requestInBackground(ssize_t (*recv)(int, void*, size_t, int), devicesim::Fault fault,
                                                  std::function<void()> onReaderThread = {}) {
        LinkSystemCalls calls = linkRealSystemCalls();
        calls.recv = recv;
        linkSetSystemCalls(&calls);
        linkSetReadTimeout(std::chrono::milliseconds(2'000'000));
        device.scriptFault(std::move(fault));
        return std::async(std::launch::async, [onReaderThread = std::move(onReaderThread)] {
            if (onReaderThread) onReaderThread();
            HeapBlock reply;
            uint32_t length = 0;
            return linkRequest(0x30, nullptr, 0, &reply, &length);
        });
    }

    devicesim::Device device;
    ReceivedMessages received;
    int fd = -1;

private:
    double savedScale_ = 1.0;
};

// A TCP socket bound to a free loopback port (its port in *port), listening with `backlog` when that is 0 or more.
inline int loopbackSocket(uint16_t* port, int backlog = -1) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        (backlog >= 0 && ::listen(fd, backlog) != 0) ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        if (fd >= 0) ::close(fd);
        return -1;
    }
    *port = ntohs(a.sin_port);
    return fd;
}

inline std::vector<uint8_t> rawPacket(uint32_t announced, uint8_t type, std::vector<uint8_t> body) {
    std::vector<uint8_t> out;
    out.reserve(5 + body.size());
    out = {uint8_t(announced), uint8_t(announced >> 8), uint8_t(announced >> 16), uint8_t(announced >> 24), type};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace link_test
