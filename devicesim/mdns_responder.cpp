#include "devicesim/mdns_responder.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <optional>

namespace devicesim {
namespace {

constexpr uint16_t kMdnsPort = 5353;
constexpr const char* kGroup = "224.0.0.251";
constexpr const char* kServiceType[] = {"_vorlaxent", "_tcp", "local"};

constexpr uint16_t kTypeA = 1;
constexpr uint16_t kTypePtr = 12;
constexpr uint16_t kTypeTxt = 16;
constexpr uint16_t kTypeSrv = 33;
constexpr uint16_t kTypeAny = 255;
constexpr uint16_t kClassIn = 1;
constexpr uint16_t kClassAny = 255;
constexpr uint16_t kTopBit = 0x8000;  // in a question: unicast reply wanted; in a record: cache flush

using Labels = std::vector<std::string>;

// DNS is big-endian.
void put16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, uint16_t(v >> 16));
    put16(out, uint16_t(v));
}
uint16_t get16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

void putName(std::vector<uint8_t>& out, const Labels& labels) {
    for (const std::string& l : labels) {
        const size_t n = std::min<size_t>(l.size(), 63);
        out.push_back(uint8_t(n));
        out.insert(out.end(), l.begin(), l.begin() + n);
    }
    out.push_back(0);
}

std::vector<uint8_t> nameBytes(const Labels& labels) {
    std::vector<uint8_t> out;
    putName(out, labels);
    return out;
}

// Reads the name at `at`, following compression pointers; advances `at` past the name as it stands in the
// message. Nothing for a name that runs off the message, loops, or is longer than DNS allows.
std::optional<Labels> readName(const std::vector<uint8_t>& m, size_t& at) {
    Labels labels;
    size_t pos = at;
    bool jumped = false;
    size_t total = 1;
    for (int hops = 0;;) {
        if (pos >= m.size()) return std::nullopt;
        const uint8_t len = m[pos];
        if (len == 0) {
            if (!jumped) at = pos + 1;
            return labels;
        }
        if ((len & 0xC0) == 0xC0) {
            if (pos + 1 >= m.size() || ++hops > 32) return std::nullopt;
            const size_t target = size_t(((len & 0x3F) << 8) | m[pos + 1]);
            if (!jumped) at = pos + 2;
            jumped = true;
            pos = target;
            continue;
        }
        if ((len & 0xC0) != 0) return std::nullopt;
        if (pos + 1 + len > m.size()) return std::nullopt;
        total += len + 1;
        if (total > 255) return std::nullopt;
        labels.emplace_back(reinterpret_cast<const char*>(&m[pos + 1]), len);
        pos += 1 + len;
    }
}

bool sameName(const Labels& a, const Labels& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].size() != b[i].size()) return false;
        for (size_t j = 0; j < a[i].size(); ++j)
            if (std::tolower(static_cast<unsigned char>(a[i][j])) != std::tolower(static_cast<unsigned char>(b[i][j])))
                return false;
    }
    return true;
}

std::string dotted(const Labels& labels) {
    std::string s;
    for (const auto& l : labels) s += (s.empty() ? "" : ".") + l;
    return s;
}

struct Record {
    Labels owner;
    uint16_t type;
    bool unique;  // a record only this responder gives (the cache-flush bit goes on it outside legacy answers)
    std::vector<uint8_t> data;
};

}  // namespace

struct MdnsResponder::Impl {
    MdnsAnnouncement announcement;
    int fd = -1;
    int stopPipe[2] = {-1, -1};
    bool multicast = false;
    std::thread thread;
    std::atomic<bool> stopping{false};

    mutable std::mutex mu;
    mutable std::condition_variable cv;
    std::chrono::milliseconds delay{0};
    bool silent = false;
    std::deque<std::vector<std::vector<uint8_t>>> rawReplies;
    std::vector<MdnsReceivedQuery> received;

    Labels service() const { return {kServiceType[0], kServiceType[1], kServiceType[2]}; }
    Labels instance() const { return {announcement.instanceName, kServiceType[0], kServiceType[1], kServiceType[2]}; }
    Labels host() const { return {announcement.hostName, "local"}; }

    Record ptrRecord() const { return {service(), kTypePtr, false, nameBytes(instance())}; }
    Record srvRecord() const {
        std::vector<uint8_t> d;
        put16(d, 0);  // priority
        put16(d, 0);  // weight
        put16(d, announcement.port);
        putName(d, host());
        return {instance(), kTypeSrv, true, d};
    }
    Record txtRecord() const { return {instance(), kTypeTxt, true, {0}}; }  // one empty string
    std::optional<Record> aRecord() const {
        in_addr a{};
        if (::inet_pton(AF_INET, announcement.address.c_str(), &a) != 1) return std::nullopt;
        const auto* b = reinterpret_cast<const uint8_t*>(&a.s_addr);
        return Record{host(), kTypeA, true, {b[0], b[1], b[2], b[3]}};
    }

    // The answer to the questions, or nothing when none is about this device.
    std::optional<std::vector<uint8_t>> answer(uint16_t id, const std::vector<std::pair<Labels, uint16_t>>& questions,
                                               bool legacy) const {
        std::vector<Record> answers, additional;
        auto add = [](std::vector<Record>& to, const Record& r) {
            for (const Record& e : to)
                if (e.type == r.type && sameName(e.owner, r.owner)) return;
            to.push_back(r);
        };
        const auto a = aRecord();
        for (const auto& [name, type] : questions) {
            const bool any = type == kTypeAny;
            if (sameName(name, service()) && (type == kTypePtr || any)) {
                add(answers, ptrRecord());
                if (announcement.withAdditionalRecords) {
                    add(additional, srvRecord());
                    add(additional, txtRecord());
                    if (a) add(additional, *a);
                }
            } else if (sameName(name, instance())) {
                if (type == kTypeSrv || any) {
                    add(answers, srvRecord());
                    if (announcement.withAdditionalRecords && a) add(additional, *a);
                }
                if (type == kTypeTxt || any) add(answers, txtRecord());
            } else if (sameName(name, host()) && (type == kTypeA || any) && a) {
                add(answers, *a);
            }
        }
        if (answers.empty()) return std::nullopt;
        std::vector<Record> extra;
        for (const Record& r : additional) {
            bool inAnswers = false;
            for (const Record& e : answers) inAnswers = inAnswers || (e.type == r.type && sameName(e.owner, r.owner));
            if (!inAnswers) extra.push_back(r);
        }
        std::vector<uint8_t> m;
        put16(m, legacy ? id : 0);
        put16(m, 0x8400);  // a response, authoritative
        put16(m, legacy ? uint16_t(questions.size()) : 0);
        put16(m, uint16_t(answers.size()));
        put16(m, 0);
        put16(m, uint16_t(extra.size()));
        if (legacy) {
            // A reply to a query from another port repeats the questions (RFC 6762, section 6.7).
            for (const auto& [name, type] : questions) {
                putName(m, name);
                put16(m, type);
                put16(m, kClassIn);
            }
        }
        for (const auto* list : {&answers, &extra})
            for (const Record& r : *list) {
                putName(m, r.owner);
                put16(m, r.type);
                put16(m, uint16_t(kClassIn | (r.unique && !legacy ? kTopBit : 0)));
                // Legacy answers live at most 10 s in the asker's cache (section 6.7).
                put32(m, legacy ? 10 : (r.type == kTypePtr ? 4500 : 120));
                put16(m, uint16_t(r.data.size()));
                m.insert(m.end(), r.data.begin(), r.data.end());
            }
        return m;
    }

    void handle(const std::vector<uint8_t>& m, const sockaddr_in& from) {
        if (m.size() < 12) return;
        const uint16_t id = get16(&m[0]), flags = get16(&m[2]), qdcount = get16(&m[4]);
        if ((flags & 0x8000) || ((flags >> 11) & 0xF) != 0) return;  // a response, or not a standard query
        MdnsReceivedQuery query{id, ntohs(from.sin_port), {}};
        std::vector<std::pair<Labels, uint16_t>> questions;
        size_t at = 12;
        bool unicast = false;
        for (uint16_t i = 0; i < qdcount; ++i) {
            auto name = readName(m, at);
            if (!name || at + 4 > m.size()) return;
            const uint16_t type = get16(&m[at]), cls = get16(&m[at + 2]);
            at += 4;
            query.questions.push_back({dotted(*name), type, (cls & kTopBit) != 0});
            unicast = unicast || (cls & kTopBit);
            const uint16_t questionClass = cls & ~kTopBit;
            if (questionClass == kClassIn || questionClass == kClassAny) questions.emplace_back(*name, type);
        }
        std::chrono::milliseconds wait;
        bool quiet;
        std::vector<std::vector<uint8_t>> raw;
        {
            std::lock_guard<std::mutex> g(mu);
            received.push_back(query);
            wait = delay;
            quiet = silent;
            if (!rawReplies.empty()) {
                raw = std::move(rawReplies.front());
                rawReplies.pop_front();
            }
        }
        cv.notify_all();
        const bool legacy = query.sourcePort != kMdnsPort;
        sockaddr_in to = from;
        if (multicast && !legacy && !unicast) {
            to.sin_port = htons(kMdnsPort);
            ::inet_pton(AF_INET, kGroup, &to.sin_addr);
        }
        if (wait.count() > 0) {
            std::unique_lock<std::mutex> lock(mu);
            if (cv.wait_for(lock, wait, [&] { return stopping.load(); })) return;
        }
        auto sendTo = [&](const std::vector<uint8_t>& d) {
            ::sendto(fd, d.data(), d.size(), MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
        };
        for (const auto& datagram : raw) sendTo(datagram);
        if (quiet) return;
        if (auto reply = answer(id, questions, legacy)) sendTo(*reply);
    }

    void run() {
        std::vector<uint8_t> buffer(9000);
        while (!stopping.load()) {
            pollfd fds[2] = {{fd, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
            const int r = ::poll(fds, 2, -1);
            if (r < 0) {
                if (errno == EINTR) continue;
                return;
            }
            if (fds[1].revents) return;
            sockaddr_in from{};
            socklen_t len = sizeof(from);
            const ssize_t n = ::recvfrom(fd, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n <= 0) continue;
            handle(std::vector<uint8_t>(buffer.begin(), buffer.begin() + n), from);
        }
    }

    bool openSocket(const sockaddr_in& at, bool shared) {
        fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return false;
        const int one = 1;
        if (shared) {
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
            ::setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &one, sizeof(one));
        }
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&at), sizeof(at)) != 0 ||
            ::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
            ::close(fd);
            fd = -1;
            return false;
        }
        return true;
    }
};

MdnsResponder::MdnsResponder(MdnsAnnouncement announcement) : impl_(std::make_unique<Impl>()) {
    impl_->announcement = std::move(announcement);
}

MdnsResponder::~MdnsResponder() { stop(); }

bool MdnsResponder::start(const std::string& bindAddress, uint16_t port) {
    Impl& m = *impl_;
    if (m.thread.joinable()) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (::inet_pton(AF_INET, bindAddress.c_str(), &a.sin_addr) != 1 || !m.openSocket(a, false)) return false;
    socklen_t len = sizeof(a);
    ::getsockname(m.fd, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    m.multicast = false;
    m.stopping.store(false);
    m.thread = std::thread([&m] { m.run(); });
    return true;
}

bool MdnsResponder::startMulticast() {
    Impl& m = *impl_;
    if (m.thread.joinable()) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(kMdnsPort);
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!m.openSocket(a, true)) return false;
    ip_mreq join{};
    ::inet_pton(AF_INET, kGroup, &join.imr_multiaddr);
    bool joined = false;
    ifaddrs* all = nullptr;
    if (::getifaddrs(&all) == 0) {
        for (const ifaddrs* i = all; i; i = i->ifa_next) {
            if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP) ||
                !(i->ifa_flags & IFF_MULTICAST))
                continue;
            join.imr_interface = reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr;
            joined = ::setsockopt(m.fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof(join)) == 0 || joined;
        }
        ::freeifaddrs(all);
    }
    if (!joined) {
        join.imr_interface.s_addr = htonl(INADDR_ANY);
        joined = ::setsockopt(m.fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof(join)) == 0;
    }
    if (!joined) {
        stop();  // closes the socket
        return false;
    }
    const int ttl = 255;
    ::setsockopt(m.fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof(ttl));
    port_ = kMdnsPort;
    m.multicast = true;
    m.stopping.store(false);
    m.thread = std::thread([&m] { m.run(); });
    return true;
}

void MdnsResponder::stop() {
    Impl& m = *impl_;
    if (m.thread.joinable()) {
        {
            std::lock_guard<std::mutex> g(m.mu);
            m.stopping.store(true);
        }
        m.cv.notify_all();
        const uint8_t one = 1;
        ssize_t ignored = ::write(m.stopPipe[1], &one, 1);
        (void)ignored;
        m.thread.join();
    }
    for (int* fd : {&m.fd, &m.stopPipe[0], &m.stopPipe[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void MdnsResponder::setReplyDelay(std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->delay = delay;
}

void MdnsResponder::setSilent(bool silent) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->silent = silent;
}

void MdnsResponder::queueRawReplies(std::vector<std::vector<uint8_t>> datagrams) {
    std::lock_guard<std::mutex> g(impl_->mu);
    impl_->rawReplies.push_back(std::move(datagrams));
}

std::vector<MdnsReceivedQuery> MdnsResponder::queries() const {
    std::lock_guard<std::mutex> g(impl_->mu);
    return impl_->received;
}

bool MdnsResponder::waitForQueries(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(impl_->mu);
    return impl_->cv.wait_for(lock, timeout, [&] { return impl_->received.size() >= count; });
}

std::vector<uint8_t> MdnsResponder::pointerAnswer(uint16_t id) const {
    return impl_->answer(id, {{impl_->service(), kTypePtr}}, true).value_or(std::vector<uint8_t>());
}

}  // namespace devicesim
