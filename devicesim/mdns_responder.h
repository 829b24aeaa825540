#pragma once
// The device's announcement of itself over multicast DNS: a responder that answers queries for the service type
// "_vorlaxent._tcp.local" with the device's instance name, host name, port and address. It encodes and decodes
// its DNS messages with its own code (it shares none with the application's discovery).
//
// Tests bind it on 127.0.0.1 and a port the system picks, and send it the discovery query directly; there it
// answers every query by unicast to the query's source. The executable can also join the real mDNS group
// (224.0.0.251:5353) beside the computer's own responder.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace devicesim {

struct MdnsAnnouncement {
    std::string instanceName = "Vorlaxent Device";  // the first label of the instance's name, as shown to users
    std::string hostName = "vorlaxent-device";      // a label; the host is "<hostName>.local."
    std::string address = "127.0.0.1";              // the IPv4 address given for the host
    uint16_t port = 8382;                           // the device's link port, given in the SRV record
    // An answer to a PTR query carries the SRV and A records along (as responders do); without them, resolving
    // the instance takes further queries.
    bool withAdditionalRecords = true;
};

// One question of a query the responder received.
struct MdnsReceivedQuestion {
    std::string name;  // dotted, as received (no final dot)
    uint16_t type = 0;
    bool unicastResponse = false;  // the top bit of the question's class
};
struct MdnsReceivedQuery {
    uint16_t id = 0;
    uint16_t sourcePort = 0;
    std::vector<MdnsReceivedQuestion> questions;
};

class MdnsResponder {
public:
    explicit MdnsResponder(MdnsAnnouncement announcement = {});
    ~MdnsResponder();
    MdnsResponder(const MdnsResponder&) = delete;
    MdnsResponder& operator=(const MdnsResponder&) = delete;

    // Answers queries sent to bindAddress:port (0: a port the system picks), by unicast to their source.
    bool start(const std::string& bindAddress = "127.0.0.1", uint16_t port = 0);
    // Joins the mDNS group on port 5353 of every interface (sharing the port with other responders). Queries from
    // port 5353 without the unicast-response bit are answered to the group, all others by unicast.
    bool startMulticast();
    void stop();
    uint16_t port() const { return port_; }

    // Scripted behaviour. A delay holds every answer back; silence answers nothing; each queued set of raw
    // datagrams goes, in order, to one query, just before that query's answer (or in its place when silent).
    void setReplyDelay(std::chrono::milliseconds delay);
    void setSilent(bool silent);
    void queueRawReplies(std::vector<std::vector<uint8_t>> datagrams);

    // The queries received so far (those that parsed), in order.
    std::vector<MdnsReceivedQuery> queries() const;
    bool waitForQueries(size_t count, std::chrono::milliseconds timeout) const;

    // The answer this responder gives to a unicast PTR query with the given id: for tests that alter it.
    std::vector<uint8_t> pointerAnswer(uint16_t id) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    uint16_t port_ = 0;
};

}  // namespace devicesim
