// The device link: socket, framing, link mutex, broken flag, asynchronous hand-off and pending-data table.
#include "engine/link/link.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "engine/link/link_system_calls.h"
#include "engine/timing.h"

namespace {

// One open connection: its socket and the wake-up pipe of the readers waiting on it. Readers and writers hold a
// reference for as long as they use the descriptors, so a disconnect never closes a descriptor that another thread
// is still waiting on (a reused number would then be read): it shuts the socket down and wakes the readers, and
// the descriptors are closed when the last user lets go.
struct Connection {
    int sock = -1;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::atomic<bool> closed{false};

    ~Connection() {
        if (sock >= 0) ::close(sock);
        if (wakeRead >= 0) ::close(wakeRead);
        if (wakeWrite >= 0) ::close(wakeWrite);
    }
    void shut() {
        closed.store(true);
        ::shutdown(sock, SHUT_RDWR);
        if (wakeWrite >= 0) {
            const uint8_t one = 1;
            ssize_t ignored = ::write(wakeWrite, &one, 1);
            (void)ignored;
        }
    }
};

struct QueuedMessage {
    DeviceMessageHandler handler;
    DeviceStatusMessage message;
};

// Messages beyond this many waiting for the handler are dropped: a device flooding the link cannot exhaust memory.
constexpr size_t kMaxQueuedMessages = 1024;

struct LinkState {
    // The link mutex, with its owner so that an unlock by a thread that does not hold it is refused.
    std::mutex linkMutex;
    std::atomic<std::thread::id> linkOwner{};

    std::mutex connMutex;  // guards `conn` only; held for a pointer swap, never across I/O
    std::shared_ptr<Connection> conn;
    std::atomic<bool> broken{false};
    std::atomic<bool> answerOwed{false};    // a device command's answer timed out on the open socket
    std::atomic<bool> readTimedOut{false};  // the last failed read ran out of time (rather than the link failing)
    std::atomic<long long> readTimeoutMs{engine_timing::kReadTimeout.count()};

    std::atomic<DeviceMessageHandler> handler{nullptr};
    std::mutex dispatchMutex;
    std::condition_variable dispatchCv;
    std::deque<QueuedMessage> queue;
    std::thread dispatcher;
    bool dispatcherStop = false;

    std::mutex pendingMutex;
    std::vector<PendingDataObject> pending;

    std::mutex callsMutex;
    LinkSystemCalls calls{};
};

LinkState& state() {
    // Never destroyed: the dispatcher thread may outlive static destruction at exit.
    static LinkState* s = [] {
        auto* st = new LinkState;
        st->calls = linkRealSystemCalls();
        return st;
    }();
    return *s;
}

LinkSystemCalls calls() {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.callsMutex);
    return s.calls;
}

std::shared_ptr<Connection> currentConnection() {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.connMutex);
    return s.conn;
}

// Takes the connection out of the state and shuts it down.
void retireConnection() {
    auto& s = state();
    std::shared_ptr<Connection> old;
    {
        std::lock_guard<std::mutex> g(s.connMutex);
        old.swap(s.conn);
    }
    if (old) old->shut();
}

// Sets the broken flag for a failure on connection c, unless c has been replaced meanwhile: a reader woken on an
// old link must not break the new one. With no link at all (a null c, or c given up by a disconnect) the flag is
// set: there is nothing it could break, and the next connect clears it.
void markBroken(const Connection* c) {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.connMutex);
    if (s.conn.get() == c || !s.conn) s.broken.store(true);
}

// The calling thread's exchange time-out in milliseconds (LinkExchangeTimeout); 0 when it follows the link's.
thread_local long long tlsExchangeTimeoutMs = 0;

std::chrono::milliseconds currentReadWait() {
    const long long nominal = tlsExchangeTimeoutMs > 0 ? tlsExchangeTimeoutMs : state().readTimeoutMs.load();
    return engineWait(std::chrono::milliseconds(nominal));
}

void unlockLink() {
    auto& s = state();
    if (s.linkOwner.load() != std::this_thread::get_id()) return;
    s.linkOwner.store(std::thread::id{});
    s.linkMutex.unlock();
}

// Waits until the socket takes more bytes. False when the device has taken nothing for the read time-out (it stopped
// reading: without a bound the writer would hold the link, and everything queued behind it, for good), when a
// disconnect woke the writer, or on a poll error.
bool waitWritable(Connection& c) {
    for (;;) {
        if (c.closed.load()) return false;
        pollfd fds[2] = {{c.sock, POLLOUT, 0}, {c.wakeRead, POLLIN, 0}};
        const int nfds = c.wakeRead >= 0 ? 2 : 1;
        const auto wait = currentReadWait();
        const int r = ::poll(fds, static_cast<nfds_t>(nfds), static_cast<int>(wait.count()));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0 || (nfds == 2 && fds[1].revents != 0) || c.closed.load()) return false;
        return true;  // writable, or an error the next send reports
    }
}

// Writes every byte of the gathered buffers, continuing after short writes.
bool writeAll(Connection& c, iovec* iov, int count) {
    const LinkSystemCalls sys = calls();
    while (count > 0) {
        if (c.closed.load()) return false;
        msghdr m{};
        m.msg_iov = iov;
        m.msg_iovlen = static_cast<size_t>(count);
        ssize_t n = sys.sendmsg(c.sock, &m, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR) continue;
            if ((errno == EAGAIN || errno == EWOULDBLOCK) && waitWritable(c)) continue;
            return false;
        }
        if (n == 0) return false;
        size_t done = static_cast<size_t>(n);
        while (count > 0 && done >= iov->iov_len) {
            done -= iov->iov_len;
            ++iov;
            --count;
        }
        if (count > 0) {
            iov->iov_base = static_cast<uint8_t*>(iov->iov_base) + done;
            iov->iov_len -= done;
        }
    }
    return true;
}

// Writes the buffers on the current connection: 0xFF0E with nothing written when there is none or the link is
// broken; a failed write sets the broken flag.
ResponseCode writeGathered(iovec* iov, int count) {
    auto& s = state();
    auto c = currentConnection();
    if (!c || s.broken.load()) return ERROR_CONNECTION_FAILURE;
    if (!writeAll(*c, iov, count)) {
        markBroken(c.get());
        return ERROR_CONNECTION_FAILURE;
    }
    return PTP_RC_OK;
}

// Reads exactly n bytes from the connection. 0xFF14 when a disconnect woke the reader; 0xFF0E (and the broken
// flag) on a time-out, a closed connection or a receive error.
ResponseCode readExactOn(Connection& c, uint8_t* buffer, size_t n) {
    const LinkSystemCalls sys = calls();
    size_t got = 0;
    while (got < n) {
        if (c.closed.load()) return ERROR_WOKEN;
        ssize_t k = sys.recv(c.sock, buffer + got, n - got, MSG_DONTWAIT);
        if (k > 0) {
            got += static_cast<size_t>(k);
            continue;
        }
        if (k == 0) {
            // The peer closed the connection: no amount of waiting brings more bytes.
            if (c.closed.load()) return ERROR_WOKEN;
            markBroken(&c);
            return ERROR_CONNECTION_FAILURE;
        }
        int err = errno;
        if (err == EINTR) continue;
        if (err != EAGAIN && err != EWOULDBLOCK) {
            if (c.closed.load()) return ERROR_WOKEN;
            markBroken(&c);
            return ERROR_CONNECTION_FAILURE;
        }
        pollfd fds[2] = {{c.sock, POLLIN, 0}, {c.wakeRead, POLLIN, 0}};
        const int nfds = c.wakeRead >= 0 ? 2 : 1;
        const auto wait = currentReadWait();
        int r = ::poll(fds, static_cast<nfds_t>(nfds), static_cast<int>(wait.count()));
        if (r < 0) {
            if (errno == EINTR) continue;
            markBroken(&c);
            return ERROR_CONNECTION_FAILURE;
        }
        if (r == 0) {
            markBroken(&c);
            state().readTimedOut.store(true);
            return ERROR_CONNECTION_FAILURE;
        }
        if ((nfds == 2 && fds[1].revents != 0) || c.closed.load()) return ERROR_WOKEN;
    }
    return PTP_RC_OK;
}

void dispatcherLoop() {
    auto& s = state();
    std::unique_lock<std::mutex> lock(s.dispatchMutex);
    for (;;) {
        s.dispatchCv.wait(lock, [&] { return s.dispatcherStop || !s.queue.empty(); });
        if (s.queue.empty()) return;  // stop asked and nothing left to run
        QueuedMessage next = std::move(s.queue.front());
        s.queue.pop_front();
        lock.unlock();
        next.handler(std::move(next.message));
        lock.lock();
    }
}

// Hands an asynchronous packet to the installed handler, off the reading thread; dropped when there is none.
void dispatchAsync(HeapBlock packet) {
    auto& s = state();
    DeviceMessageHandler h = s.handler.load();
    if (!h) return;
    std::lock_guard<std::mutex> g(s.dispatchMutex);
    if (s.queue.size() >= kMaxQueuedMessages) return;
    s.queue.push_back({h, std::move(packet)});
    if (!s.dispatcher.joinable()) {
        s.dispatcherStop = false;
        s.dispatcher = std::thread(dispatcherLoop);
    }
    s.dispatchCv.notify_one();
}

void stopDispatcher() {
    auto& s = state();
    std::thread t;
    {
        std::lock_guard<std::mutex> g(s.dispatchMutex);
        s.dispatcherStop = true;
        t.swap(s.dispatcher);
    }
    s.dispatchCv.notify_all();
    if (t.joinable()) {
        if (t.get_id() == std::this_thread::get_id())
            t.detach();
        else
            t.join();
    }
    std::lock_guard<std::mutex> g(s.dispatchMutex);
    s.queue.clear();
    s.dispatcherStop = false;
}

ResponseCode readResponse(HeapBlock* outPayload, uint32_t* outLength, bool zeroIsSuccess) {
    if (!outPayload || !outLength) return ERROR_INVALID_INPUT;
    outPayload->reset();
    HeapBlock packet;
    uint32_t length = 0;
    state().readTimedOut.store(false);
    ResponseCode rc = linkReadPacket(&packet, &length);
    if (rc != PTP_RC_OK) {
        // A device command's answer carries nothing that names its request (PTP answers carry their transaction):
        // one that comes after its time-out would be read as the answer to the next command.
        if (state().readTimedOut.load()) state().answerOwed.store(true);
        return rc;
    }
    if (packet[4] != ResponsePacket) return ERROR_BAD_PACKET;
    if (length < kResponsePacketOverhead) return ERROR_BAD_PACKET;  // no room for its code
    const uint32_t m = length - kResponsePacketOverhead;
    *outLength = m;
    ResponseCode code = readLe16(packet.data() + 10);
    if (zeroIsSuccess && code == 0) code = PTP_RC_OK;
    if (code == PTP_RC_OK && m > 0) {
        packet.dropFront(kResponsePacketOverhead);
        *outPayload = std::move(packet);
    }
    return code;
}

bool fitsU32(uint64_t v) { return v <= UINT32_MAX; }

}  // namespace

const LinkSystemCalls& linkRealSystemCalls() {
    static const LinkSystemCalls real{
        [](int fd, const sockaddr* a, socklen_t l) { return ::connect(fd, a, l); },
        [](int fd, const msghdr* m, int f) { return ::sendmsg(fd, m, f); },
        [](int fd, void* b, size_t n, int f) { return ::recv(fd, b, n, f); },
    };
    return real;
}

void linkSetSystemCalls(const LinkSystemCalls* replacement) {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.callsMutex);
    s.calls = replacement ? *replacement : linkRealSystemCalls();
}

int linkConnect(const char* hostName, uint16_t port) {
    // Whatever happens below, the old link is given up: its socket is shut down, its readers woken, and it is
    // closed once they are gone.
    retireConnection();
    if (!hostName) return -1;

    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(hostName, nullptr, &hints, &found) != 0 || !found) return -1;
    sockaddr_in address{};
    std::memcpy(&address, found->ai_addr, sizeof(address));
    ::freeaddrinfo(found);
    address.sin_port = htons(port);

    const LinkSystemCalls sys = calls();
    int fd = -1;
    for (int attempt = 0;; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(engineWait(engine_timing::kConnectRetryDelay));
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (fd < 0) return -1;
        if (sys.connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) break;
        const int err = errno;
        // Only an unreachable host is tried again (four attempts in all): the network may still be coming up.
        if (err == EHOSTUNREACH && attempt < 3) {
            ::close(fd);
            continue;
        }
        if (err != EINPROGRESS) {
            ::close(fd);
            return -1;
        }
        pollfd p{fd, POLLOUT, 0};
        const auto deadline = std::chrono::steady_clock::now() + engineWait(engine_timing::kConnectTimeout);
        int r;
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                                std::chrono::steady_clock::now());
            r = ::poll(&p, 1, static_cast<int>(std::max<long long>(0, left.count())));
            if (r < 0 && errno == EINTR) continue;
            break;
        }
        // Writable means the attempt ended, not that it succeeded: a refused connection is writable too.
        int soError = 0;
        socklen_t len = sizeof(soError);
        if (r <= 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0 || soError != 0) {
            ::close(fd);
            return -1;
        }
        break;
    }

    int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    // Wrappers and commands go out in separate writes; without this each would wait for the previous one's ack.
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    return linkAdoptConnectedSocket(fd);
}

int linkAdoptConnectedSocket(int fd) {
    auto& s = state();
    if (fd < 0) return -1;
    retireConnection();
    auto c = std::make_shared<Connection>();
    c->sock = fd;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) == 0) {
        c->wakeRead = pipeFds[0];
        c->wakeWrite = pipeFds[1];
    }  // without a pipe the reader waits on the socket alone; the shutdown still ends its wait
    {
        std::lock_guard<std::mutex> g(s.connMutex);
        s.conn = c;
        s.broken.store(false);
        s.answerOwed.store(false);
    }
    return fd;
}

int linkDisconnect() {
    retireConnection();
    return 1;
}

bool linkIsConnected() { return currentConnection() != nullptr; }
bool linkIsBroken() { return state().broken.load(); }
void linkClearBroken() { state().broken.store(false); }
bool linkAnswerOwed() { return state().answerOwed.load(); }

bool linkAwaitOwedAnswer() {
    auto& s = state();
    if (!s.answerOwed.load()) return true;
    for (;;) {
        s.broken.store(false);
        HeapBlock packet;
        uint32_t length = 0;
        // The link's own read time-out: a device that has not finished its answer by then is not trusted again.
        if (linkReadPacket(&packet, &length) != PTP_RC_OK) return false;
        const uint8_t type = packet.size() > 4 ? packet[4] : 0;
        // A PTP packet ends the answer when it holds the response container (type 3) after its 5-byte header.
        const bool ptpResponse = type == PtpDataPacket && packet.size() >= kLinkHeaderLength + 8 &&
                                 readLe16(packet.data() + kLinkHeaderLength + 4) == 3;
        if (type == ResponsePacket || type == AccessoryPacket || ptpResponse) {
            s.answerOwed.store(false);
            return true;
        }
    }
}

void linkSetReadTimeout(std::chrono::milliseconds nominal) { state().readTimeoutMs.store(nominal.count()); }

LinkExchangeTimeout::LinkExchangeTimeout(std::chrono::milliseconds nominal) : previous_(tlsExchangeTimeoutMs) {
    tlsExchangeTimeoutMs = nominal.count() > 0 ? nominal.count() : previous_;
}
LinkExchangeTimeout::~LinkExchangeTimeout() { tlsExchangeTimeoutMs = previous_; }
std::chrono::milliseconds linkReadTimeout() { return std::chrono::milliseconds(state().readTimeoutMs.load()); }

ResponseCode linkWrite(const void* bytes, size_t length) {
    if (!bytes || length == 0) return ERROR_INVALID_INPUT;
    iovec iov{const_cast<void*>(bytes), length};
    return writeGathered(&iov, 1);
}

ResponseCode linkReadExact(void* buffer, long length) {
    if (length <= 0) return PTP_RC_OK;
    if (!buffer) return ERROR_INVALID_INPUT;
    auto c = currentConnection();
    if (!c) {
        markBroken(nullptr);
        return ERROR_CONNECTION_FAILURE;
    }
    return readExactOn(*c, static_cast<uint8_t*>(buffer), static_cast<size_t>(length));
}

ResponseCode linkReadPacket(HeapBlock* outBlock, uint32_t* outLength) {
    if (!outBlock || !outLength) return ERROR_INVALID_INPUT;
    auto& s = state();
    auto c = currentConnection();
    for (;;) {
        if (s.broken.load()) return ERROR_CONNECTION_FAILURE;
        if (!c) {
            markBroken(nullptr);
            return ERROR_CONNECTION_FAILURE;
        }
        uint8_t header[kLinkHeaderLength];
        ResponseCode rc = readExactOn(*c, header, sizeof(header));
        // From here on any failure leaves the stream unframed: nothing more can be read from it. A header that never
        // came is a failed link, whatever ended the wait (a disconnect included); a body cut short by a disconnect
        // says so below.
        if (rc != PTP_RC_OK) {
            markBroken(c.get());
            return ERROR_CONNECTION_FAILURE;
        }
        const uint32_t total = readLe32(header);
        const uint8_t type = header[4];
        if (total < kLinkHeaderLength || total > kLinkMaxPacketLength) {
            markBroken(c.get());
            return ERROR_BAD_PACKET;
        }
        HeapBlock block = HeapBlock::allocate(total);
        if (!block) {
            markBroken(c.get());
            return ERROR_NO_MEMORY;
        }
        std::memcpy(block.data(), header, sizeof(header));
        rc = readExactOn(*c, block.data() + kLinkHeaderLength, total - kLinkHeaderLength);
        if (rc != PTP_RC_OK) {
            markBroken(c.get());
            return rc;
        }
        if (type < kLinkFirstAsyncType) {
            *outBlock = std::move(block);
            *outLength = total;
            return PTP_RC_OK;
        }
        // An asynchronous message in the middle of an exchange: hand it on and keep reading for the answer.
        dispatchAsync(std::move(block));
    }
}

ResponseCode linkReadResponse(HeapBlock* outPayload, uint32_t* outLength) {
    return readResponse(outPayload, outLength, false);
}

ResponseCode linkSendCommand(uint8_t command, const void* payload, uint32_t n) {
    if ((n > 0 && !payload) || !fitsU32(uint64_t(n) + kCommandPacketOverhead)) {
        unlockLink();
        return ERROR_INVALID_INPUT;
    }
    uint8_t header[kCommandPacketOverhead];
    writeLe32(header, n + kCommandPacketOverhead);
    header[4] = CommandPacket;
    writeLe32(header + 5, n + 5);
    header[9] = command;
    iovec iov[2] = {{header, sizeof(header)}, {const_cast<void*>(payload), n}};
    ResponseCode rc = writeGathered(iov, n > 0 ? 2 : 1);
    if (rc != PTP_RC_OK) {
        linkDisconnect();
        unlockLink();
    }
    return rc;
}

ResponseCode linkSendDataWrapper(uint8_t subCodeA, uint8_t subCodeB, uint32_t d, const void* data,
                                 uint32_t nestedLength) {
    if ((d > 0 && !data) || !fitsU32(uint64_t(d) + nestedLength + kDataWrapperOverhead)) return ERROR_INVALID_INPUT;
    uint8_t header[kDataWrapperOverhead];
    writeLe32(header, d + nestedLength + kDataWrapperOverhead);
    header[4] = DataWrapperPacket;
    writeLe32(header + 5, d + 10);
    header[9] = subCodeA;
    header[10] = subCodeB;
    writeLe32(header + 11, d);
    iovec iov[2] = {{header, sizeof(header)}, {const_cast<void*>(data), d}};
    ResponseCode rc = writeGathered(iov, d > 0 ? 2 : 1);
    if (rc != PTP_RC_OK) linkDisconnect();
    return rc;
}

ResponseCode linkRequest(uint8_t command, const void* payload, uint32_t n, HeapBlock* outPayload,
                         uint32_t* outLength) {
    HeapBlock dropped;
    uint32_t droppedLength = 0;
    if (!outPayload) outPayload = &dropped;
    if (!outLength) outLength = &droppedLength;
    if (linkLockHook(1) != 1) return ERROR_BUSY;
    ResponseCode rc = linkSendCommand(command, payload, n);
    if (rc != PTP_RC_OK) return rc;  // already unlocked and disconnected
    rc = readResponse(outPayload, outLength, false);
    linkLockHook(0);
    return rc;
}

ResponseCode linkCommand(uint8_t command, const void* payload, uint32_t n) {
    return linkRequest(command, payload, n, nullptr, nullptr);
}

ResponseCode linkCommandWithData(const void* payload, uint32_t n, uint8_t command, uint8_t subCodeA, uint8_t subCodeB,
                                 uint32_t d, const void* data, HeapBlock* outPayload, uint32_t* outLength) {
    HeapBlock dropped;
    uint32_t droppedLength = 0;
    if (!outPayload) outPayload = &dropped;
    if (!outLength) outLength = &droppedLength;
    if (!fitsU32(uint64_t(n) + kCommandPacketOverhead)) return ERROR_INVALID_INPUT;
    if (linkLockHook(1) != 1) return ERROR_BUSY;
    // Sub-code A 0 means nothing is shared: the command goes out on its own.
    if (subCodeA != 0) {
        ResponseCode rc = linkSendDataWrapper(subCodeA, subCodeB, d, data, n + kCommandPacketOverhead);
        if (rc != PTP_RC_OK) {
            linkLockHook(0);
            return rc;
        }
    }
    ResponseCode rc = linkSendCommand(command, payload, n);
    if (rc != PTP_RC_OK) return rc;
    rc = readResponse(outPayload, outLength, true);
    linkLockHook(0);
    return rc;
}

ResponseCode linkSendAccessoryPacket(const void* request, uint32_t length) {
    if (!request || length == 0 || !fitsU32(uint64_t(length) + kLinkHeaderLength)) return ERROR_INVALID_INPUT;
    uint8_t header[kLinkHeaderLength];
    writeLe32(header, length + kLinkHeaderLength);
    header[4] = AccessoryPacket;
    iovec iov[2] = {{header, sizeof(header)}, {const_cast<void*>(request), length}};
    ResponseCode rc = writeGathered(iov, 2);
    if (rc != PTP_RC_OK) linkDisconnect();
    return rc;
}

ResponseCode linkReadAccessoryReply(uint32_t* outResult) {
    if (!outResult) return ERROR_INVALID_INPUT;
    HeapBlock packet;
    uint32_t length = 0;
    ResponseCode rc = linkReadPacket(&packet, &length);
    if (rc != PTP_RC_OK) return rc;
    // Too short to hold its result: a bad packet, never read past its end.
    if (packet[4] != AccessoryPacket || length < kLinkHeaderLength + 4) return ERROR_BAD_PACKET;
    *outResult = readLe32(packet.data() + kLinkHeaderLength);
    return PTP_RC_OK;
}

ResponseCode linkPtpSend(const uint8_t* containers, uint32_t length) {
    if (!containers || length < 12 || !fitsU32(uint64_t(length) + kLinkHeaderLength)) return ERROR_INVALID_INPUT;
    const uint16_t operation = readLe16(containers + 6);
    const uint32_t nested = length + kLinkHeaderLength;
    uint8_t ptpHeader[kLinkHeaderLength];
    writeLe32(ptpHeader, nested);
    ptpHeader[4] = PtpDataPacket;

    std::optional<PendingDataObject> entry = linkGetPendingObject(operation);
    if (!entry) {
        iovec iov[2] = {{ptpHeader, sizeof(ptpHeader)}, {const_cast<uint8_t*>(containers), length}};
        return writeGathered(iov, 2);
    }
    const uint32_t d = entry->data ? static_cast<uint32_t>(entry->data->size()) : 0;
    if (!fitsU32(uint64_t(d) + nested + kDataWrapperOverhead)) return ERROR_INVALID_INPUT;
    const uint32_t total = d + nested + kDataWrapperOverhead;
    uint8_t wrapper[kDataWrapperOverhead];
    writeLe32(wrapper, total);
    wrapper[4] = DataWrapperPacket;
    writeLe32(wrapper + 5, total - kLinkHeaderLength);  // a PTP wrapper's inner length covers the nested packet
    wrapper[9] = entry->header.subCodeA;
    wrapper[10] = entry->header.subCodeB;
    writeLe32(wrapper + 11, d);
    iovec iov[4];
    int count = 0;
    iov[count++] = {wrapper, sizeof(wrapper)};
    if (d > 0) iov[count++] = {const_cast<uint8_t*>(entry->data->data()), d};
    iov[count++] = {ptpHeader, sizeof(ptpHeader)};
    iov[count++] = {const_cast<uint8_t*>(containers), length};
    return writeGathered(iov, count);
}

ResponseCode linkPtpReceive(HeapBlock* outBlock) {
    if (!outBlock) return ERROR_INVALID_INPUT;
    outBlock->reset();
    HeapBlock packet;
    uint32_t length = 0;
    ResponseCode rc = linkReadPacket(&packet, &length);
    if (rc != PTP_RC_OK) return rc;
    const uint8_t type = packet[4];
    if (type == ResponsePacket) {
        // The device answered for the camera. Too short to hold a code: a bad packet, never read past its end.
        if (length < kResponsePacketOverhead) return ERROR_BAD_PACKET;
        return readLe16(packet.data() + 10) == 0 ? RESPONSE_NO_DATA : ERROR_BAD_PACKET;
    }
    if (length <= kLinkHeaderLength + 11) return ERROR_INVALID_INPUT;  // cannot hold a container header
    if (type != PtpDataPacket) return ERROR_BAD_PACKET;
    packet.dropFront(kLinkHeaderLength);
    *outBlock = std::move(packet);
    return PTP_RC_OK;
}

int linkLockHook(int flag) {
    auto& s = state();
    if (flag) {
        if (s.linkOwner.load() == std::this_thread::get_id()) return 0;  // not recursive: would deadlock
        s.linkMutex.lock();
        s.linkOwner.store(std::this_thread::get_id());
        return 1;
    }
    unlockLink();
    return 1;
}

void linkSetEventHandler(DeviceMessageHandler handler) { state().handler.store(handler); }

int linkSetPendingObject(uint32_t key, const void* data, const DataWrapperHeader& header) {
    if (header.dataLength > 0 && !data) return 0;
    std::shared_ptr<const std::vector<uint8_t>> copy;
    try {
        if (header.dataLength > 0) {
            const auto* bytes = static_cast<const uint8_t*>(data);
            copy = std::make_shared<const std::vector<uint8_t>>(bytes, bytes + header.dataLength);
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    auto& s = state();
    std::lock_guard<std::mutex> g(s.pendingMutex);
    for (auto& e : s.pending) {
        if (e.key == key) {
            e.header = header;
            e.data = std::move(copy);
            return 1;
        }
    }
    if (s.pending.size() >= kPendingDataCapacity) return 0;
    s.pending.push_back({key, header, std::move(copy)});
    return 1;
}

int linkRemovePendingObject(uint32_t key) {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.pendingMutex);
    for (auto it = s.pending.begin(); it != s.pending.end(); ++it) {
        if (it->key == key) {
            s.pending.erase(it);
            return 1;
        }
    }
    return 0;
}

std::optional<PendingDataObject> linkGetPendingObject(uint32_t key) {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.pendingMutex);
    for (const auto& e : s.pending)
        if (e.key == key) return e;
    return std::nullopt;
}

size_t linkPendingObjectCount() {
    auto& s = state();
    std::lock_guard<std::mutex> g(s.pendingMutex);
    return s.pending.size();
}

void linkResetState() {
    auto& s = state();
    linkDisconnect();
    stopDispatcher();
    s.broken.store(false);
    s.readTimeoutMs.store(engine_timing::kReadTimeout.count());
    s.handler.store(nullptr);
    {
        std::lock_guard<std::mutex> g(s.pendingMutex);
        s.pending.clear();
    }
    linkSetSystemCalls(nullptr);
}
