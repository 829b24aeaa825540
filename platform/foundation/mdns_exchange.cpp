#include "platform/foundation/mdns_exchange.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/foundation/network_interfaces.h"

namespace platform {

MdnsExchange::~MdnsExchange() { stop(); }

bool MdnsExchange::open(const std::string& bindAddress) {
    if (fd_ >= 0) return false;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = 0;
    if (::inet_pton(AF_INET, bindAddress.c_str(), &local.sin_addr) != 1) return false;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    // Queries to the group must go out with a TTL of 255 and be heard by responders on this computer too.
    const int ttl = 255;
    const unsigned char loop = 1;
    ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof(ttl));
    ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof(loop));
    socklen_t length = sizeof(local);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        ::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    localPort_ = ntohs(local.sin_port);
    return true;
}

bool MdnsExchange::send(const std::vector<uint8_t>& message, const std::vector<MdnsEndpoint>& targets) {
    std::lock_guard<std::mutex> lock(sendMutex_);
    if (fd_ < 0 || message.empty()) return false;
    bool sent = false;
    for (const MdnsEndpoint& target : targets) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(target.port);
        if (::inet_pton(AF_INET, target.address.c_str(), &to.sin_addr) != 1) continue;
        auto sendOnce = [&] {
            return ::sendto(fd_, message.data(), message.size(), MSG_NOSIGNAL, reinterpret_cast<sockaddr*>(&to),
                            sizeof(to)) == static_cast<ssize_t>(message.size());
        };
        if (!IN_MULTICAST(ntohl(to.sin_addr.s_addr))) {
            sent = sendOnce() || sent;
            continue;
        }
        // The group is per link: ask on each network the computer is on, not only on the default route's.
        bool onInterface = false;
        for (const NetworkInterfaceAddress& i : networkInterfaceAddresses()) {
            if (!i.up || i.loopback || !i.multicast) continue;
            in_addr via{};
            if (::inet_pton(AF_INET, i.address.c_str(), &via) != 1) continue;
            if (::setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_IF, &via, sizeof(via)) != 0) continue;
            onInterface = sendOnce() || onInterface;
        }
        if (!onInterface) {
            in_addr any{};
            any.s_addr = htonl(INADDR_ANY);
            ::setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_IF, &any, sizeof(any));
            onInterface = sendOnce();
        }
        sent = onInterface || sent;
    }
    return sent;
}

void MdnsExchange::start(AnswerHandler onAnswer, AlarmHandler onAlarm, Clock::time_point firstAlarm) {
    if (fd_ < 0 || thread_.joinable()) return;
    stopping_.store(false);
    thread_ = std::thread([this, a = std::move(onAnswer), b = std::move(onAlarm), firstAlarm]() mutable {
        run(std::move(a), std::move(b), firstAlarm);
    });
}

void MdnsExchange::wake() {
    if (wakePipe_[1] < 0) return;
    const uint8_t one = 1;
    ssize_t ignored = ::write(wakePipe_[1], &one, 1);
    (void)ignored;
}

void MdnsExchange::requestStop() {
    stopping_.store(true);
    wake();
}

void MdnsExchange::stop() {
    requestStop();
    if (thread_.joinable()) thread_.join();
    std::lock_guard<std::mutex> lock(sendMutex_);
    for (int* fd : {&fd_, &wakePipe_[0], &wakePipe_[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

void MdnsExchange::run(AnswerHandler onAnswer, AlarmHandler onAlarm, std::optional<Clock::time_point> alarm) {
    std::vector<uint8_t> buffer(kMdnsMaxMessageSize);
    while (!stopping_.load()) {
        int timeout = -1;
        if (alarm) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*alarm - Clock::now()).count();
            timeout = static_cast<int>(std::clamp<long long>(left, 0, 60'000));
        }
        pollfd fds[2] = {{fd_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, timeout);
        if (ready < 0 && errno != EINTR) return;
        if (stopping_.load()) return;
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            for (;;) {
                const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
                if (n <= 0) break;  // drained (or an error the next poll reports again)
                if (auto answer = mdnsParseAnswer(buffer.data(), static_cast<size_t>(n))) onAnswer(*answer);
                if (stopping_.load()) return;
            }
        }
        if (alarm && Clock::now() >= *alarm) alarm = onAlarm();
    }
}

}  // namespace platform
