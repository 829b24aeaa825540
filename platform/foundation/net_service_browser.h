#pragma once
// Finding services that announce themselves with multicast DNS: a browser that finds the instances of a service
// type, and services that resolve to a host name, a port and addresses.
//
// A search sends a PTR query for "<type>.<domain>" from an ephemeral port, asking for unicast replies, and
// gathers the replies for one answer window; then it reports the instances found in that window to its delegate
// as one batch (moreComing is false for the last of the batch). While nothing has been found the query is sent
// again every window; the search goes on until stop(). Resolving uses the SRV and address records that came with
// the browse replies, and asks with SRV and A queries for what is missing, until its time-out.
//
// Delegates are held weakly and called on the main queue, never after they are gone, and never after the
// browser or service was stopped (except for the stop report itself) or released.
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/mdns_exchange.h"
#include "platform/foundation/mdns_message.h"

namespace platform {

struct NetServiceOptions {
    // Where the queries go: the mDNS group by default; tests name responders on loopback.
    std::vector<MdnsEndpoint> queryTargets{{kMdnsGroupAddress, kMdnsPort}};
    // The local address of the query socket (its port is always picked by the system).
    std::string bindAddress = "0.0.0.0";
    // How long the replies to one query are gathered before they are reported; also the interval at which an
    // unanswered query is repeated.
    std::chrono::milliseconds answerWindow{1000};
};

enum class NetServiceError {
    Unknown,      // the query socket could not be opened or nothing could be sent
    BadArgument,  // the type, domain or instance name is not a valid DNS name
    ActivityInProgress,
    Timeout,      // the service did not resolve in time
};

struct NetServiceAddress {
    int family = 0;  // AF_INET or AF_INET6
    std::string address;
    uint16_t port = 0;
};

class NetService;
class NetServiceBrowser;

class NetServiceDelegate {
public:
    virtual ~NetServiceDelegate() = default;
    // The service resolved: hostName(), port() and addresses() are set.
    virtual void netServiceDidResolveAddress(NetService& sender) { (void)sender; }
    // The service did not resolve.
    virtual void netService(NetService& sender, NetServiceError didNotResolve) {
        (void)sender;
        (void)didNotResolve;
    }
};

class NetServiceBrowserDelegate {
public:
    virtual ~NetServiceBrowserDelegate() = default;
    // A service was found; moreComing tells whether others of the same batch follow at once.
    virtual void netServiceBrowser(NetServiceBrowser& browser, const std::shared_ptr<NetService>& didFindService,
                                   bool moreComing) {
        (void)browser;
        (void)didFindService;
        (void)moreComing;
    }
    // The search could not start.
    virtual void netServiceBrowser(NetServiceBrowser& browser, NetServiceError didNotSearch) {
        (void)browser;
        (void)didNotSearch;
    }
    // The search ended (after stop()).
    virtual void netServiceBrowserDidStopSearch(NetServiceBrowser& browser) { (void)browser; }
};

// Records seen in replies, shared by a browser with the services it finds. Bounded: a noisy network cannot make
// it grow without end.
struct MdnsRecordCache {
    std::vector<MdnsServiceRecord> services;
    std::vector<MdnsAddressRecord> addresses;
    void merge(const MdnsAnswer& answer);
};

class NetService : public std::enable_shared_from_this<NetService> {
public:
    ~NetService();
    NetService(const NetService&) = delete;
    NetService& operator=(const NetService&) = delete;

    const std::string& name() const { return name_; }  // the instance name, as announced
    const std::string& type() const { return type_; }  // "_vorlaxent._tcp."
    const std::string& domain() const { return domain_; }  // "local."
    // Set once resolved: the host name ("device.local."), empty before.
    std::string hostName() const;
    // The port once resolved, else -1.
    int port() const;
    // The host's addresses with the port, once resolved.
    std::vector<NetServiceAddress> addresses() const;

    void setDelegate(std::weak_ptr<NetServiceDelegate> delegate);
    // Resolves the service; reports the outcome to the delegate. A second call while one runs does nothing.
    void resolveWithTimeout(std::chrono::milliseconds timeout);
    // Ends a resolution; the delegate hears nothing more of it.
    void stop();

private:
    friend class NetServiceBrowser;
    struct Passkey {};

public:
    NetService(Passkey, std::string name, std::string fullName, std::string type, std::string domain,
               NetServiceOptions options, MdnsRecordCache known);

private:
    enum class Event { Resolved, NotResolved };
    bool resolveFromKnownLocked();
    // The handlers of the exchange `from`; they do nothing once another exchange has replaced it.
    void onAnswer(const MdnsExchange* from, const MdnsAnswer& answer);
    std::optional<MdnsExchange::Clock::time_point> onAlarm(const MdnsExchange* from);
    std::vector<MdnsQuestion> questionsLocked() const;
    void post(Event event, NetServiceError error, uint64_t generation);

    const std::string name_, fullName_, type_, domain_;
    const NetServiceOptions options_;
    mutable std::mutex mutex_;
    std::weak_ptr<NetServiceDelegate> delegate_;
    MdnsRecordCache known_;
    std::string hostName_;
    int port_ = -1;
    std::vector<NetServiceAddress> addresses_;
    bool resolving_ = false;
    uint64_t generation_ = 0;  // a new resolution or a stop makes reports of earlier ones stale
    uint16_t queryId_ = 0;
    MdnsExchange::Clock::time_point deadline_;
    std::unique_ptr<MdnsExchange> exchange_;
};

class NetServiceBrowser : public std::enable_shared_from_this<NetServiceBrowser> {
public:
    static std::shared_ptr<NetServiceBrowser> create(NetServiceOptions options = {});
    ~NetServiceBrowser();
    NetServiceBrowser(const NetServiceBrowser&) = delete;
    NetServiceBrowser& operator=(const NetServiceBrowser&) = delete;

    void setDelegate(std::weak_ptr<NetServiceBrowserDelegate> delegate);
    // Searches for instances of `type` ("_vorlaxent._tcp") in `domain` ("local"). Failures are reported to the
    // delegate as didNotSearch; the search then counts as running until stop().
    void searchForServicesOfType(const std::string& type, const std::string& domain);
    // Ends the search and reports didStopSearch (once per search). Callable from any thread, delegates included.
    void stop();

    // The most services one search reports.
    static constexpr size_t kMaxServices = 64;

private:
    struct Passkey {};

public:
    NetServiceBrowser(Passkey, NetServiceOptions options);

private:
    // The handlers of the exchange `from`; they do nothing once another exchange has replaced it.
    void onAnswer(const MdnsExchange* from, const MdnsAnswer& answer);
    std::optional<MdnsExchange::Clock::time_point> onAlarm(const MdnsExchange* from);
    void postDidNotSearch(NetServiceError error, uint64_t generation);

    const NetServiceOptions options_;
    mutable std::mutex mutex_;
    std::weak_ptr<NetServiceBrowserDelegate> delegate_;
    bool searching_ = false;
    uint64_t generation_ = 0;
    std::string serviceName_;  // "_vorlaxent._tcp.local."
    std::string type_, domain_;
    std::vector<uint8_t> query_;
    bool foundAny_ = false;
    std::vector<std::string> seen_;                       // full names of the instances found so far
    std::vector<MdnsPointerRecord> pending_;              // found in this window, not reported yet
    MdnsRecordCache known_;
    std::unique_ptr<MdnsExchange> exchange_;
};

}  // namespace platform
