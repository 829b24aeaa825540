// The stand-in device's server: accepts one client at a time on 127.0.0.1, reads its packets, answers them.
#include "devicesim/device.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "devicesim/packet_parser.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

// The device refuses packets above this size (its own limit, well above anything the host sends).
constexpr uint32_t kMaxIncomingPacket = 64u * 1024 * 1024;

// Writes all the segments; false when the connection failed.
bool writeSegments(int fd, std::vector<iovec> iov) {
    size_t first = 0;
    while (first < iov.size()) {
        msghdr m{};
        m.msg_iov = iov.data() + first;
        m.msg_iovlen = iov.size() - first;
        ssize_t n = ::sendmsg(fd, &m, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        size_t done = size_t(n);
        while (first < iov.size() && done >= iov[first].iov_len) {
            done -= iov[first].iov_len;
            ++first;
        }
        if (first < iov.size()) {
            iov[first].iov_base = static_cast<uint8_t*>(iov[first].iov_base) + done;
            iov[first].iov_len -= done;
        }
    }
    return true;
}

bool writeBytes(int fd, const uint8_t* p, size_t n) {
    if (n == 0) return true;
    return writeSegments(fd, {iovec{const_cast<uint8_t*>(p), n}});
}

// Reads exactly n bytes, giving up when the stop pipe becomes readable. False on close, error or stop.
bool readExact(int fd, int stopFd, uint8_t* p, size_t n) {
    size_t got = 0;
    while (got < n) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[1].revents) return false;
        ssize_t k = ::recv(fd, p + got, n - got, 0);
        if (k == 0) return false;
        if (k < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        got += size_t(k);
    }
    return true;
}

// An answer: one or more whole packets, kept as segments so that a large data phase is not copied again.
struct Answer {
    std::vector<std::vector<uint8_t>> owned;
    std::vector<iovec> segments;
    void add(std::vector<uint8_t> bytes) {
        owned.push_back(std::move(bytes));
    }
    void finish() {
        segments.clear();
        for (auto& o : owned)
            if (!o.empty()) segments.push_back({o.data(), o.size()});
    }
    std::vector<uint8_t> flat() const {
        std::vector<uint8_t> out;
        for (const auto& o : owned) out.insert(out.end(), o.begin(), o.end());
        return out;
    }
    bool empty() const {
        for (const auto& o : owned)
            if (!o.empty()) return false;
        return true;
    }
};

}  // namespace

struct Device::Impl {
    Device* owner = nullptr;
    int listenFd = -1;
    int stopPipe[2] = {-1, -1};
    std::thread thread;
    std::atomic<bool> stopping{false};

    mutable std::mutex mu;  // client descriptor, handlers, camera, faults, log
    mutable std::condition_variable cv;
    int clientFd = -1;
    std::map<uint8_t, CommandHandler> handlers;
    std::map<uint8_t, RawPacketHandler> rawHandlers;
    std::shared_ptr<Camera> camera;
    std::deque<Fault> faults;
    FaultSource faultSource;
    uint64_t exchangeCount = 0;
    std::vector<LoggedPacket> log;
    size_t logLimit = 0;  // 0: keep everything
    std::chrono::steady_clock::time_point refuseUntil{}, detachedUntil{};
    std::chrono::milliseconds replyDelay{0};
    std::map<uint8_t, std::chrono::milliseconds> commandDelays;
    std::map<uint8_t, std::pair<uint16_t, int>> commandFailures;  // code, times left

    std::mutex writeMu;  // one writer at a time on the client connection

    void run();
    void serve(int fd);
    Answer answerFor(const ParsedPacket& p, std::optional<Fault>& fault);
    Answer ptpAnswer(const PtpOperation& op, std::optional<Fault>& fault);
    void sendAnswer(int fd, Answer answer, std::optional<Fault> fault);
    void logPacket(const std::vector<uint8_t>& whole, const ParsedPacket& p);
    // The camera as the host sees it: none while it is detached (caller holds mu).
    std::shared_ptr<Camera> cameraLocked() const {
        return std::chrono::steady_clock::now() < detachedUntil ? nullptr : camera;
    }
    bool sleepUnlessStopping(std::chrono::milliseconds d) {
        std::unique_lock<std::mutex> lock(mu);
        return !cv.wait_for(lock, d, [&] { return stopping.load(); });
    }
};

Device::Device() : impl_(std::make_unique<Impl>()) { impl_->owner = this; }

Device::~Device() { stop(); }

bool Device::start(uint16_t port) {
    Impl& m = *impl_;
    if (m.thread.joinable()) return false;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    socklen_t len = sizeof(a);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0 ||
        ::pipe2(m.stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    m.listenFd = fd;
    port_ = ntohs(a.sin_port);
    m.stopping.store(false);
    m.thread = std::thread([&m] { m.run(); });
    return true;
}

void Device::stop() {
    Impl& m = *impl_;
    if (!m.thread.joinable()) return;
    {
        std::lock_guard<std::mutex> g(m.mu);
        m.stopping.store(true);
        if (m.clientFd >= 0) ::shutdown(m.clientFd, SHUT_RDWR);
    }
    m.cv.notify_all();
    const uint8_t one = 1;
    ssize_t ignored = ::write(m.stopPipe[1], &one, 1);
    (void)ignored;
    m.thread.join();
    ::close(m.listenFd);
    ::close(m.stopPipe[0]);
    ::close(m.stopPipe[1]);
    m.listenFd = m.stopPipe[0] = m.stopPipe[1] = -1;
}

void Device::Impl::run() {
    while (!stopping.load()) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
        int r = ::poll(fds, 2, -1);
        if (r < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        bool restarting;
        {
            std::lock_guard<std::mutex> g(mu);
            restarting = std::chrono::steady_clock::now() < refuseUntil;
        }
        if (restarting) {  // still starting up: the connection goes nowhere
            ::close(fd);
            continue;
        }
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
        {
            std::lock_guard<std::mutex> g(mu);
            clientFd = fd;
        }
        cv.notify_all();
        serve(fd);
        {
            std::lock_guard<std::mutex> g(mu);
            std::lock_guard<std::mutex> w(writeMu);
            clientFd = -1;
            ::close(fd);
        }
        cv.notify_all();
    }
}

void Device::Impl::serve(int fd) {
    for (;;) {
        uint8_t header[5];
        if (!readExact(fd, stopPipe[0], header, 5)) return;
        const uint32_t total = wire::get32(header);
        std::vector<uint8_t> whole(header, header + 5);
        if (total < 5 || total > kMaxIncomingPacket) {
            ParsedPacket bad;
            bad.type = header[4];
            bad.length = total;
            bad.valid = false;
            bad.error = "header length out of range; connection dropped";
            logPacket(whole, bad);
            return;  // the stream can no longer be framed
        }
        whole.resize(total);
        if (!readExact(fd, stopPipe[0], whole.data() + 5, total - 5)) return;
        ParsedPacket p = parsePacket(whole);
        logPacket(whole, p);
        std::optional<Fault> fault;
        FaultSource source;
        Exchange exchange;
        {
            std::lock_guard<std::mutex> g(mu);
            if (p.innerType == kCommand || p.innerType == kPtpData || rawHandlers.count(p.innerType)) {
                exchange.number = ++exchangeCount;
                if (!faults.empty()) {
                    fault = faults.front();
                    faults.pop_front();
                } else {
                    source = faultSource;
                }
            }
        }
        exchange.type = p.innerType;
        exchange.command = p.command;
        if (p.ptp) exchange.ptpOperation = p.ptp->code;
        if (source) fault = source(exchange);
        Answer answer = answerFor(p, fault);
        if (source && !fault) {
            for (const auto& o : answer.owned) exchange.answerBytes += o.size();
            fault = source(exchange);
            if (fault && fault->kind == Fault::Busy) fault.reset();  // the camera has acted already
        }
        std::chrono::milliseconds slow{0};
        {
            std::lock_guard<std::mutex> g(mu);
            slow = replyDelay;
            if (p.innerType == kCommand && p.command) {
                auto it = commandDelays.find(*p.command);
                if (it != commandDelays.end()) slow += it->second;
            }
        }
        if (slow.count() > 0 && !answer.empty() && !sleepUnlessStopping(slow)) return;
        sendAnswer(fd, std::move(answer), fault);
        if (fault && fault->kind == Fault::CloseMidPacket) return;
    }
}

Answer Device::Impl::answerFor(const ParsedPacket& p, std::optional<Fault>& fault) {
    Answer a;
    const bool busy = fault && fault->kind == Fault::Busy;
    if (p.innerType == kCommand) {
        if (!p.valid || !p.command) {
            a.add(Device::responsePacket(0x2002, {}));
        } else if (busy) {
            a.add(Device::responsePacket(fault->busyCode, {}));
        } else {
            CommandHandler h;
            std::optional<uint16_t> failure;
            {
                std::lock_guard<std::mutex> g(mu);
                auto it = handlers.find(*p.command);
                if (it != handlers.end()) h = it->second;
                auto f = commandFailures.find(*p.command);
                if (f != commandFailures.end() && f->second.second > 0) {
                    failure = f->second.first;
                    --f->second.second;
                }
            }
            if (failure) {
                a.add(Device::responsePacket(*failure, {}));
                a.finish();
                return a;
            }
            CommandRequest req{*p.command, p.payload, p.wrapper};
            CommandReply reply = h ? h(*owner, req) : CommandReply::withCode(0x2005);
            a.add(Device::responsePacket(reply.code, reply.payload));
        }
    } else if (p.innerType == kPtpData) {
        if (!p.valid || !p.ptp) {
            a.add(Device::responsePacket(0x2002, {}));
        } else {
            PtpOperation op = *p.ptp;
            op.wrapper = p.wrapper;
            a = ptpAnswer(op, fault);
        }
    } else {
        RawPacketHandler h;
        {
            std::lock_guard<std::mutex> g(mu);
            auto it = rawHandlers.find(p.innerType);
            if (it != rawHandlers.end()) h = it->second;
        }
        if (h && p.valid) a.add(h(*owner, p.body));
    }
    a.finish();
    return a;
}

Answer Device::Impl::ptpAnswer(const PtpOperation& op, std::optional<Fault>& fault) {
    Answer a;
    if (fault && fault->kind == Fault::Busy) {
        a.add(Device::packet(kPtpData, Device::ptpContainer(3, fault->busyCode, op.transactionId, {})));
        return a;
    }
    std::shared_ptr<Camera> cam;
    {
        std::lock_guard<std::mutex> g(mu);
        cam = cameraLocked();
    }
    if (!cam) {
        a.add(Device::responsePacket(0x2002, {}));
        return a;
    }
    PtpResult r = cam->handleOperation(op);
    // Data that goes to the sharing clients only is not sent back: the device answers for the camera.
    if (r.deviceAnswersAlone || (op.wrapper && op.wrapper->subCodeA == 0xA0 && r.dataIn && r.code == 0x2001)) {
        a.add(Device::responsePacket(0, {}));
        return a;
    }
    if (r.dataIn) {
        std::vector<uint8_t> head;
        wire::put32(head, uint32_t(r.dataIn->size() + 17));
        wire::put8(head, kPtpData);
        wire::put32(head, uint32_t(r.dataIn->size() + 12));
        wire::put16(head, 2);
        wire::put16(head, op.code);
        wire::put32(head, op.transactionId);
        a.add(std::move(head));
        a.add(std::move(*r.dataIn));
    }
    a.add(Device::packet(kPtpData, Device::ptpContainer(3, r.code, op.transactionId, r.params)));
    return a;
}

void Device::Impl::sendAnswer(int fd, Answer answer, std::optional<Fault> fault) {
    if (fault && fault->kind == Fault::OverrideReply) {
        answer = Answer{};
        answer.add(fault->rawReply);
        answer.finish();
    }
    if (answer.empty()) return;
    if (fault && fault->kind == Fault::Delay && !sleepUnlessStopping(fault->delay)) return;
    std::lock_guard<std::mutex> w(writeMu);
    if (!fault || fault->kind == Fault::Busy || fault->kind == Fault::Delay || fault->kind == Fault::OverrideReply) {
        writeSegments(fd, answer.segments);
        return;
    }
    std::vector<uint8_t> bytes = answer.flat();
    switch (fault->kind) {
        case Fault::NoReply:
            return;
        case Fault::Pieces:
            for (size_t at = 0; at < bytes.size(); at += fault->pieceSize) {
                const size_t n = std::min(fault->pieceSize, bytes.size() - at);
                if (!writeBytes(fd, bytes.data() + at, n)) return;
                if (fault->delay.count() > 0) std::this_thread::sleep_for(fault->delay);
            }
            return;
        case Fault::BadHeaderLength:
            wire::set32(bytes, 0, fault->headerLength);
            writeBytes(fd, bytes.data(), bytes.size());
            return;
        case Fault::CloseMidPacket: {
            size_t cut = std::min(fault->closeAfter, bytes.size());
            if (fault->closeFraction >= 0 && !bytes.empty()) {
                cut = size_t(double(bytes.size()) * std::min(fault->closeFraction, 1.0));
                cut = std::clamp<size_t>(cut, 1, bytes.size() > 1 ? bytes.size() - 1 : 1);
            }
            writeBytes(fd, bytes.data(), cut);
            ::shutdown(fd, SHUT_RDWR);
            return;
        }
        case Fault::AsyncBeforeReply:
            writeBytes(fd, fault->asyncPacket.data(), fault->asyncPacket.size());
            writeBytes(fd, bytes.data(), bytes.size());
            return;
        default:
            writeBytes(fd, bytes.data(), bytes.size());
            return;
    }
}

void Device::Impl::logPacket(const std::vector<uint8_t>& whole, const ParsedPacket& p) {
    LoggedPacket e;
    e.type = p.type;
    e.length = p.length;
    e.bytes = whole;
    e.command = p.command;
    if (p.ptp) {
        e.ptpOperation = p.ptp->code;
        e.ptpTransactionId = p.ptp->transactionId;
        e.ptpParams = p.ptp->params;
    }
    e.wrapper = p.wrapper;
    e.wellFormed = p.valid;
    e.text = describePacket(p);
    {
        std::lock_guard<std::mutex> g(mu);
        log.push_back(std::move(e));
        if (logLimit > 0 && log.size() >= 2 * logLimit) log.erase(log.begin(), log.end() - long(logLimit));
    }
    cv.notify_all();
}

bool Device::clientConnected() const {
    std::lock_guard<std::mutex> g(impl_->mu);
    return impl_->clientFd >= 0;
}

bool Device::waitForClient(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(impl_->mu);
    return impl_->cv.wait_for(lock, timeout, [&] { return impl_->clientFd >= 0; });
}

bool Device::waitForNoClient(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(impl_->mu);
    return impl_->cv.wait_for(lock, timeout, [&] { return impl_->clientFd < 0; });
}

void Device::dropClient() {
    std::lock_guard<std::mutex> g(impl_->mu);
    if (impl_->clientFd >= 0) ::shutdown(impl_->clientFd, SHUT_RDWR);
}

void Device::setCamera(std::shared_ptr<Camera> camera) {
    {
        std::lock_guard<std::mutex> g(impl_->mu);
        impl_->camera = camera;
    }
    if (camera) camera->attach(*this);  // outside the lock: attaching registers handlers
}

std::shared_ptr<Camera> Device::camera() const {
    std::lock_guard<std::mutex> g(impl_->mu);
    return impl_->cameraLocked();
}

void Device::setCommandHandler(uint8_t command, CommandHandler handler) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->handlers[command] = std::move(handler);
}

void Device::removeCommandHandler(uint8_t command) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->handlers.erase(command);
}

bool Device::hasCommandHandler(uint8_t command) const {
    std::lock_guard<std::mutex> g(impl_->mu);
    return impl_->handlers.count(command) != 0;
}

void Device::setRawPacketHandler(uint8_t type, RawPacketHandler handler) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->rawHandlers[type] = std::move(handler);
}

bool Device::sendPacket(const std::vector<uint8_t>& wholePacket) {
    std::lock_guard<std::mutex> g(impl_->mu);
    if (impl_->clientFd < 0) return false;
    std::lock_guard<std::mutex> w(impl_->writeMu);
    return writeBytes(impl_->clientFd, wholePacket.data(), wholePacket.size());
}

bool Device::sendAsync(uint8_t type, const std::vector<uint8_t>& body) { return sendPacket(packet(type, body)); }

bool Device::sendAutomationFeedback(uint8_t flags, uint16_t status, const std::vector<uint8_t>& payload) {
    return sendPacket(automationFeedbackPacket(flags, status, payload));
}

bool Device::sendSdCardStatus(uint16_t status) { return sendPacket(sdCardStatusPacket(status)); }

void Device::scriptFault(Fault fault) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->faults.push_back(std::move(fault));
}

void Device::setReplyDelay(std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->replyDelay = delay;
}

void Device::setCommandDelay(uint8_t command, std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->commandDelays[command] = delay;
}

void Device::failCommand(uint8_t command, uint16_t code, int times) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->commandFailures[command] = {code, times};
}

void Device::clearFaults() {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->faults.clear();
}

void Device::setFaultSource(FaultSource source) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->faultSource = std::move(source);
}

uint64_t Device::exchanges() const {
    std::lock_guard<std::mutex> g(impl_->mu);
    return impl_->exchangeCount;
}

void Device::restart(std::chrono::milliseconds downtime) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->refuseUntil = std::chrono::steady_clock::now() + downtime;
    if (impl_->clientFd >= 0) ::shutdown(impl_->clientFd, SHUT_RDWR);
}

void Device::detachCameraFor(std::chrono::milliseconds duration) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->detachedUntil = std::chrono::steady_clock::now() + duration;
}

bool Device::cameraDetached() const {
    std::lock_guard<std::mutex> g(impl_->mu);
    return std::chrono::steady_clock::now() < impl_->detachedUntil;
}

void Device::setLogLimit(size_t packets) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->logLimit = packets;
}

std::vector<LoggedPacket> Device::log() const {
    std::lock_guard<std::mutex> g(impl_->mu);
    const auto& l = impl_->log;
    if (impl_->logLimit > 0 && l.size() > impl_->logLimit) return {l.end() - long(impl_->logLimit), l.end()};
    return l;
}

size_t Device::logSize() const {
    std::lock_guard<std::mutex> g(impl_->mu);
    return impl_->log.size();
}

void Device::clearLog() {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->log.clear();
}

bool Device::waitForLog(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(impl_->mu);
    return impl_->cv.wait_for(lock, timeout, [&] { return impl_->log.size() >= count; });
}

std::vector<uint8_t> Device::packet(uint8_t type, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> out;
    out.reserve(body.size() + 5);
    wire::put32(out, uint32_t(body.size() + 5));
    wire::put8(out, type);
    wire::putBytes(out, body);
    return out;
}

std::vector<uint8_t> Device::responsePacket(uint16_t code, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> body;
    wire::put32(body, uint32_t(payload.size() + 7));
    wire::put8(body, 0);
    wire::put16(body, code);
    wire::putBytes(body, payload);
    return packet(kResponse, body);
}

std::vector<uint8_t> Device::automationFeedbackPacket(uint8_t flags, uint16_t status,
                                                      const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> body;
    wire::put8(body, flags);
    wire::put16(body, status);
    wire::put32(body, uint32_t(payload.size()));
    wire::putBytes(body, payload);
    return packet(kAutomationFeedback, body);
}

std::vector<uint8_t> Device::sdCardStatusPacket(uint16_t status) {
    std::vector<uint8_t> body = {0, 0, 0, 0, 0xFE};
    wire::put16(body, status);
    return packet(kSdCardStatus, body);
}

std::vector<uint8_t> Device::ptpContainer(uint16_t type, uint16_t code, uint32_t transactionId,
                                          const std::vector<uint32_t>& params) {
    std::vector<uint8_t> out;
    wire::put32(out, uint32_t(12 + 4 * params.size()));
    wire::put16(out, type);
    wire::put16(out, code);
    wire::put32(out, transactionId);
    for (uint32_t p : params) wire::put32(out, p);
    return out;
}

std::vector<uint8_t> Device::ptpDataContainer(uint16_t code, uint32_t transactionId,
                                              const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    out.reserve(data.size() + 12);
    wire::put32(out, uint32_t(12 + data.size()));
    wire::put16(out, 2);
    wire::put16(out, code);
    wire::put32(out, transactionId);
    wire::putBytes(out, data);
    return out;
}

}  // namespace devicesim
