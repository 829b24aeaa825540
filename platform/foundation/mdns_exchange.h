#pragma once
// One UDP socket on an ephemeral port through which service discovery sends its mDNS queries and receives the
// replies addressed to it. A query from a port other than 5353 gets its replies by unicast (RFC 6762, section
// 6.7), so discovery works beside a responder of the system that holds port 5353.
//
// The socket is served by a thread of its own: each reply that parses as a DNS response goes to the answer
// handler (malformed datagrams are dropped), and an alarm handler runs at the times it asks for. Both run on
// that thread, one at a time.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/mdns_message.h"

namespace platform {

struct MdnsEndpoint {
    std::string address;  // dotted IPv4
    uint16_t port = kMdnsPort;
};

class MdnsExchange {
public:
    using Clock = std::chrono::steady_clock;
    using AnswerHandler = std::function<void(const MdnsAnswer&)>;
    // Returns the time of the next alarm, or nothing for no further alarms.
    using AlarmHandler = std::function<std::optional<Clock::time_point>()>;

    MdnsExchange() = default;
    ~MdnsExchange();
    MdnsExchange(const MdnsExchange&) = delete;
    MdnsExchange& operator=(const MdnsExchange&) = delete;

    // Opens the socket on bindAddress (dotted IPv4; "0.0.0.0" for every interface) and a port the system picks.
    bool open(const std::string& bindAddress);
    uint16_t localPort() const { return localPort_; }
    // Sends one message to every target; a multicast target is reached on every interface that is up and can
    // send multicast. True when at least one datagram went out. Callable from the handlers.
    bool send(const std::vector<uint8_t>& message, const std::vector<MdnsEndpoint>& targets);
    // Starts the thread. The first alarm comes at firstAlarm.
    void start(AnswerHandler onAnswer, AlarmHandler onAlarm, Clock::time_point firstAlarm);
    // Asks the thread to end after the handler it runs now; callable from anywhere, the handlers included.
    void requestStop();
    // Ends the thread and waits for it; never from the handlers. Closes the socket.
    void stop();

private:
    void run(AnswerHandler onAnswer, AlarmHandler onAlarm, std::optional<Clock::time_point> alarm);
    void wake();

    int fd_ = -1;
    int wakePipe_[2] = {-1, -1};
    uint16_t localPort_ = 0;
    std::atomic<bool> stopping_{false};
    std::mutex sendMutex_;
    std::thread thread_;
};

}  // namespace platform
