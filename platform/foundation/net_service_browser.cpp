#include "platform/foundation/net_service_browser.h"

#include <sys/socket.h>

#include <algorithm>
#include <random>

#include "platform/foundation/dispatch.h"

namespace platform {
namespace {

constexpr size_t kMaxCachedRecords = 256;

uint16_t newQueryId() {
    thread_local std::mt19937 generator{std::random_device{}()};
    // Never 0: a reply with id 0 is a multicast announcement, not an answer to us.
    return static_cast<uint16_t>(std::uniform_int_distribution<int>(1, 0xFFFF)(generator));
}

std::string withoutFinalDots(std::string text) {
    while (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

template <class T>
void addBounded(std::vector<T>& list, const T& item, bool (*same)(const T&, const T&)) {
    if (list.size() >= kMaxCachedRecords) return;
    for (const T& existing : list)
        if (same(existing, item)) return;
    list.push_back(item);
}

bool sameService(const MdnsServiceRecord& a, const MdnsServiceRecord& b) {
    return a.owner == b.owner && a.host == b.host && a.port == b.port;
}
bool sameAddress(const MdnsAddressRecord& a, const MdnsAddressRecord& b) {
    return a.owner == b.owner && a.family == b.family && a.address == b.address;
}

}  // namespace

void MdnsRecordCache::merge(const MdnsAnswer& answer) {
    for (const auto& s : answer.services) addBounded(services, s, &sameService);
    for (const auto& a : answer.addresses) addBounded(addresses, a, &sameAddress);
}

// --- NetService ---

NetService::NetService(Passkey, std::string name, std::string fullName, std::string type, std::string domain,
                       NetServiceOptions options, MdnsRecordCache known)
    : name_(std::move(name)),
      fullName_(std::move(fullName)),
      type_(std::move(type)),
      domain_(std::move(domain)),
      options_(std::move(options)),
      known_(std::move(known)) {}

NetService::~NetService() { stop(); }

std::string NetService::hostName() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return hostName_;
}

int NetService::port() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return port_;
}

std::vector<NetServiceAddress> NetService::addresses() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return addresses_;
}

void NetService::setDelegate(std::weak_ptr<NetServiceDelegate> delegate) {
    std::lock_guard<std::mutex> lock(mutex_);
    delegate_ = std::move(delegate);
}

void NetService::resolveWithTimeout(std::chrono::milliseconds timeout) {
    std::unique_ptr<MdnsExchange> finished;  // the thread of an earlier resolution, ended outside the lock
    std::lock_guard<std::mutex> lock(mutex_);
    if (resolving_) return;
    finished = std::move(exchange_);
    const uint64_t generation = ++generation_;
    if (resolveFromKnownLocked()) {
        post(Event::Resolved, NetServiceError::Unknown, generation);
        return;
    }
    queryId_ = newQueryId();
    const auto now = MdnsExchange::Clock::now();
    deadline_ = now + timeout;
    auto exchange = std::make_unique<MdnsExchange>();
    const std::vector<uint8_t> query = mdnsBuildQuery(queryId_, questionsLocked());
    if (query.empty()) {
        post(Event::NotResolved, NetServiceError::BadArgument, generation);
        return;
    }
    if (!exchange->open(options_.bindAddress) || !exchange->send(query, options_.queryTargets)) {
        post(Event::NotResolved, NetServiceError::Unknown, generation);
        return;
    }
    resolving_ = true;
    const MdnsExchange* from = exchange.get();
    exchange->start([this, from](const MdnsAnswer& answer) { onAnswer(from, answer); },
                    [this, from] { return onAlarm(from); }, std::min(now + options_.answerWindow, deadline_));
    exchange_ = std::move(exchange);
}

void NetService::stop() {
    std::unique_ptr<MdnsExchange> exchange;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        resolving_ = false;
        ++generation_;
        exchange = std::move(exchange_);
    }
    if (exchange) exchange->stop();
}

bool NetService::resolveFromKnownLocked() {
    auto srv = std::find_if(known_.services.begin(), known_.services.end(),
                            [&](const MdnsServiceRecord& s) { return s.owner == fullName_; });
    if (srv == known_.services.end()) return false;
    std::vector<NetServiceAddress> found;
    for (const MdnsAddressRecord& a : known_.addresses)
        if (a.owner == srv->host) found.push_back({a.family, a.address, srv->port});
    if (found.empty()) return false;
    hostName_ = srv->host;
    port_ = srv->port;
    addresses_ = std::move(found);
    return true;
}

std::vector<MdnsQuestion> NetService::questionsLocked() const {
    std::vector<MdnsQuestion> questions{{fullName_, kDnsTypeSrv}};
    for (const MdnsServiceRecord& s : known_.services)
        if (s.owner == fullName_) {
            questions.push_back({s.host, kDnsTypeA});
            break;
        }
    return questions;
}

void NetService::onAnswer(const MdnsExchange* from, const MdnsAnswer& answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!resolving_ || exchange_.get() != from) return;
    const size_t questionsBefore = questionsLocked().size();
    known_.merge(answer);
    if (resolveFromKnownLocked()) {
        resolving_ = false;
        post(Event::Resolved, NetServiceError::Unknown, generation_);
        exchange_->requestStop();
        return;
    }
    // The instance's host became known without its address: ask for the address at once.
    const std::vector<MdnsQuestion> questions = questionsLocked();
    if (questions.size() != questionsBefore)
        exchange_->send(mdnsBuildQuery(queryId_, questions), options_.queryTargets);
}

std::optional<MdnsExchange::Clock::time_point> NetService::onAlarm(const MdnsExchange* from) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!resolving_ || exchange_.get() != from) return std::nullopt;
    const auto now = MdnsExchange::Clock::now();
    if (now >= deadline_) {
        resolving_ = false;
        post(Event::NotResolved, NetServiceError::Timeout, generation_);
        exchange_->requestStop();
        return std::nullopt;
    }
    exchange_->send(mdnsBuildQuery(queryId_, questionsLocked()), options_.queryTargets);
    return std::min(now + options_.answerWindow, deadline_);
}

void NetService::post(Event event, NetServiceError error, uint64_t generation) {
    mainQueue().async([weak = weak_from_this(), event, error, generation] {
        const std::shared_ptr<NetService> self = weak.lock();
        if (!self) return;
        std::shared_ptr<NetServiceDelegate> delegate;
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            if (self->generation_ != generation) return;
            delegate = self->delegate_.lock();
        }
        if (!delegate) return;
        if (event == Event::Resolved)
            delegate->netServiceDidResolveAddress(*self);
        else
            delegate->netService(*self, error);
    });
}

// --- NetServiceBrowser ---

std::shared_ptr<NetServiceBrowser> NetServiceBrowser::create(NetServiceOptions options) {
    return std::make_shared<NetServiceBrowser>(Passkey{}, std::move(options));
}

NetServiceBrowser::NetServiceBrowser(Passkey, NetServiceOptions options) : options_(std::move(options)) {}

NetServiceBrowser::~NetServiceBrowser() { stop(); }

void NetServiceBrowser::setDelegate(std::weak_ptr<NetServiceBrowserDelegate> delegate) {
    std::lock_guard<std::mutex> lock(mutex_);
    delegate_ = std::move(delegate);
}

void NetServiceBrowser::searchForServicesOfType(const std::string& type, const std::string& domain) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (searching_) {
        postDidNotSearch(NetServiceError::ActivityInProgress, generation_);
        return;
    }
    searching_ = true;
    const uint64_t generation = ++generation_;
    foundAny_ = false;
    seen_.clear();
    pending_.clear();
    known_ = {};
    type_ = withoutFinalDots(type) + ".";
    domain_ = withoutFinalDots(domain) + ".";
    serviceName_ = mdnsCanonicalName(type_ + domain_);
    query_ = serviceName_.empty() ? std::vector<uint8_t>() : mdnsBuildQuery(newQueryId(), {{serviceName_, kDnsTypePtr}});
    if (query_.empty() || withoutFinalDots(type).empty() || withoutFinalDots(domain).empty()) {
        postDidNotSearch(NetServiceError::BadArgument, generation);
        return;
    }
    auto exchange = std::make_unique<MdnsExchange>();
    if (!exchange->open(options_.bindAddress) || !exchange->send(query_, options_.queryTargets)) {
        postDidNotSearch(NetServiceError::Unknown, generation);
        return;
    }
    const MdnsExchange* from = exchange.get();
    exchange->start([this, from](const MdnsAnswer& answer) { onAnswer(from, answer); },
                    [this, from] { return onAlarm(from); }, MdnsExchange::Clock::now() + options_.answerWindow);
    exchange_ = std::move(exchange);
}

void NetServiceBrowser::stop() {
    std::unique_ptr<MdnsExchange> exchange;
    bool wasSearching;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wasSearching = searching_;
        searching_ = false;
        ++generation_;
        pending_.clear();
        exchange = std::move(exchange_);
    }
    if (exchange) exchange->stop();
    if (!wasSearching) return;
    mainQueue().async([weak = weak_from_this()] {
        const std::shared_ptr<NetServiceBrowser> self = weak.lock();
        if (!self) return;
        std::shared_ptr<NetServiceBrowserDelegate> delegate;
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            delegate = self->delegate_.lock();
        }
        if (delegate) delegate->netServiceBrowserDidStopSearch(*self);
    });
}

void NetServiceBrowser::onAnswer(const MdnsExchange* from, const MdnsAnswer& answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!searching_ || exchange_.get() != from) return;
    known_.merge(answer);
    const std::string instanceTail = "." + serviceName_;
    for (const MdnsPointerRecord& p : answer.pointers) {
        if (p.owner != serviceName_ || !endsWith(p.target, instanceTail) || p.instanceName.empty()) continue;
        if (seen_.size() >= kMaxServices || std::find(seen_.begin(), seen_.end(), p.target) != seen_.end()) continue;
        seen_.push_back(p.target);
        pending_.push_back(p);
    }
}

std::optional<MdnsExchange::Clock::time_point> NetServiceBrowser::onAlarm(const MdnsExchange* from) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!searching_ || exchange_.get() != from) return std::nullopt;
    if (!pending_.empty()) {
        foundAny_ = true;
        std::vector<std::shared_ptr<NetService>> batch;
        for (const MdnsPointerRecord& p : pending_)
            batch.push_back(std::make_shared<NetService>(NetService::Passkey{}, p.instanceName, p.target, type_,
                                                         domain_, options_, known_));
        pending_.clear();
        mainQueue().async([weak = weak_from_this(), generation = generation_, batch = std::move(batch)] {
            const std::shared_ptr<NetServiceBrowser> self = weak.lock();
            if (!self) return;
            for (size_t i = 0; i < batch.size(); ++i) {
                std::shared_ptr<NetServiceBrowserDelegate> delegate;
                {
                    // A delegate may stop the search in the middle of a batch: the rest is then not reported.
                    std::lock_guard<std::mutex> lock(self->mutex_);
                    if (!self->searching_ || self->generation_ != generation) return;
                    delegate = self->delegate_.lock();
                }
                if (!delegate) return;
                delegate->netServiceBrowser(*self, batch[i], i + 1 < batch.size());
            }
        });
    } else if (!foundAny_) {
        exchange_->send(query_, options_.queryTargets);
    }
    return MdnsExchange::Clock::now() + options_.answerWindow;
}

void NetServiceBrowser::postDidNotSearch(NetServiceError error, uint64_t generation) {
    mainQueue().async([weak = weak_from_this(), error, generation] {
        const std::shared_ptr<NetServiceBrowser> self = weak.lock();
        if (!self) return;
        std::shared_ptr<NetServiceBrowserDelegate> delegate;
        {
            std::lock_guard<std::mutex> lock(self->mutex_);
            if (self->generation_ != generation) return;
            delegate = self->delegate_.lock();
        }
        if (delegate) delegate->netServiceBrowser(*self, error);
    });
}

}  // namespace platform
