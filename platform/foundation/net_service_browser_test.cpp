#include "platform/foundation/net_service_browser.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <ldns/ldns.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/mdns_message.h"
#include "platform/foundation/test_application.h"

namespace platform {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

constexpr auto kEventually = 10s;  // generous: a lost event shows as a failed wait, not a hung test

// A reply to a unicast PTR query for "_vorlaxent._tcp.local", laid out by hand with name compression, the
// cache-flush bit on the unique records, an address record of a leaving host (TTL 0) and an IPv6 address.
const Bytes kAnswer = {
    0x12, 0x34, 0x84, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04,  // id, response + AA, 0/1/0/4
    // 12: PTR  _vorlaxent._tcp.local -> "My Device".<12>
    0x0a, '_', 'v', 'o', 'r', 'l', 'a', 'x', 'e', 'n', 't', 0x04, '_', 't', 'c', 'p', 0x05, 'l', 'o', 'c', 'a', 'l',
    0x00, 0x00, 0x0c, 0x00, 0x01, 0x00, 0x00, 0x11, 0x94, 0x00, 0x0c,  //
    0x09, 'M', 'y', ' ', 'D', 'e', 'v', 'i', 'c', 'e', 0xc0, 0x0c,     // 45: the instance name
    // 57: SRV  <45>  0 0 8382  Dev-1.<28 "local">
    0xc0, 0x2d, 0x00, 0x21, 0x80, 0x01, 0x00, 0x00, 0x00, 0x78, 0x00, 0x0e,  //
    0x00, 0x00, 0x00, 0x00, 0x20, 0xbe, 0x05, 'D', 'e', 'v', '-', '1', 0xc0, 0x1c,  // 75: the host name
    // A  <75>  192.168.73.20
    0xc0, 0x4b, 0x00, 0x01, 0x80, 0x01, 0x00, 0x00, 0x00, 0x78, 0x00, 0x04, 192, 168, 73, 20,
    // A  <75>  10.0.0.9, TTL 0: a goodbye
    0xc0, 0x4b, 0x00, 0x01, 0x80, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 10, 0, 0, 9,
    // AAAA  <75>  fe80::1
    0xc0, 0x4b, 0x00, 0x1c, 0x80, 0x01, 0x00, 0x00, 0x00, 0x78, 0x00, 0x10,  //
    0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1,
};

TEST(MdnsMessage, ParsesAnAnswerWithCompressedNames) {
    auto answer = mdnsParseAnswer(kAnswer.data(), kAnswer.size());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->id, 0x1234);
    ASSERT_EQ(answer->pointers.size(), 1u);
    EXPECT_EQ(answer->pointers[0].owner, "_vorlaxent._tcp.local.");
    EXPECT_EQ(answer->pointers[0].target, "my\\032device._vorlaxent._tcp.local.");
    EXPECT_EQ(answer->pointers[0].instanceName, "My Device");
    ASSERT_EQ(answer->services.size(), 1u);
    EXPECT_EQ(answer->services[0].owner, answer->pointers[0].target);
    EXPECT_EQ(answer->services[0].host, "dev-1.local.");
    EXPECT_EQ(answer->services[0].port, 8382);
    ASSERT_EQ(answer->addresses.size(), 2u);  // the goodbye is left out
    EXPECT_EQ(answer->addresses[0].owner, "dev-1.local.");
    EXPECT_EQ(answer->addresses[0].family, AF_INET);
    EXPECT_EQ(answer->addresses[0].address, "192.168.73.20");
    EXPECT_EQ(answer->addresses[1].family, AF_INET6);
    EXPECT_EQ(answer->addresses[1].address, "fe80::1");
}

TEST(MdnsMessage, RejectsMalformedMessages) {
    for (size_t n = 0; n < kAnswer.size(); ++n)
        EXPECT_FALSE(mdnsParseAnswer(kAnswer.data(), n)) << "cut to " << n << " bytes";

    struct Case {
        const char* what;
        size_t offset;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"a query, not a response", 2, {0x04}},
        {"a result code of 3", 3, {0x03}},
        {"an update, not a query", 2, {0x84 | 0x28}},
        {"a PTR length past the end", 43, {0x40}},
        {"a name pointer to itself", 45, {0xc0, 0x2d}},
        {"a name pointer past the end", 75 + 6, {0xc0, 0xff}},
        {"a label length past the end", 45, {0x3f}},
        {"one record more than the message holds", 11, {0x05}},
        {"an A record five bytes long", 94, {0x05}},
        {"an A record three bytes long", 94, {0x03}},
        {"an SRV record longer than its fields", 68, {0x0f}},
        {"a PTR record shorter than its name", 44, {0x0b}},
    };
    for (const Case& c : cases) {
        Bytes m = kAnswer;
        std::copy(c.bytes.begin(), c.bytes.end(), m.begin() + static_cast<long>(c.offset));
        EXPECT_FALSE(mdnsParseAnswer(m.data(), m.size())) << c.what;
    }
    Bytes big(kMdnsMaxMessageSize + 1, 0);
    std::copy(kAnswer.begin(), kAnswer.end(), big.begin());
    EXPECT_FALSE(mdnsParseAnswer(big.data(), big.size())) << "larger than an mDNS message may be";
    EXPECT_FALSE(mdnsParseAnswer(nullptr, 100));
}

// Signature (TSIG) records in the additional section: ldns keeps only the last one and drops the others unfreed,
// a leak per answer that the address sanitizer reports here. An mDNS answer is never signed, so one that carries
// a signature is refused whole; the same record elsewhere in the answer is just a record of no interest.
TEST(MdnsMessage, RefusesAnAnswerWithASignatureRecordAmongTheAdditionalRecords) {
    const Bytes a = {0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x78, 0x00, 0x04, 10, 0, 0, 7};
    const Bytes tsig = {0x00, 0x00, 0xfa, 0x00, 0xff, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    auto answerWith = [&](std::initializer_list<const Bytes*> additional) {
        Bytes m = kAnswer;
        m[11] = static_cast<uint8_t>(m[11] + additional.size());
        for (const Bytes* r : additional) m.insert(m.end(), r->begin(), r->end());
        return m;
    };
    const Bytes plain = answerWith({&a});
    ASSERT_TRUE(mdnsParseAnswer(plain.data(), plain.size())) << "the added record alone is sound";
    for (const auto& [what, m] : std::vector<std::pair<const char*, Bytes>>{
             {"two signatures ahead of two records", answerWith({&tsig, &tsig, &a, &a})},
             {"one signature ahead of a record", answerWith({&tsig, &a})},
             {"one signature last", answerWith({&a, &tsig})},
         })
        EXPECT_FALSE(mdnsParseAnswer(m.data(), m.size())) << what;

    // The same record among the answers (all six records counted as answers): read and freed like any other.
    Bytes inAnswers = kAnswer;
    inAnswers.insert(inAnswers.end(), tsig.begin(), tsig.end());
    inAnswers[7] = 6;
    inAnswers[11] = 0;
    const auto answer = mdnsParseAnswer(inAnswers.data(), inAnswers.size());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->pointers.size(), 1u);
    EXPECT_EQ(answer->services.size(), 1u);
    EXPECT_EQ(answer->addresses.size(), 2u);
}

TEST(MdnsMessage, BuildsAQueryAskingForUnicastReplies) {
    const Bytes q = mdnsBuildQuery(0xBEEF, {{"_Vorlaxent._tcp.local", kDnsTypePtr}, {"dev-1.local.", kDnsTypeA}});
    ASSERT_GE(q.size(), 12u);
    EXPECT_EQ(q[0], 0xBE);
    EXPECT_EQ(q[1], 0xEF);
    EXPECT_EQ(q[2], 0x00);  // a standard query, no recursion wanted
    EXPECT_EQ(q[3], 0x00);
    EXPECT_EQ(q[5], 2);  // two questions
    const Bytes firstName = {0x0a, '_', 'V', 'o', 'r', 'l', 'a', 'x', 'e', 'n', 't',
                             0x04, '_', 't', 'c', 'p', 0x05, 'l', 'o', 'c', 'a', 'l', 0x00};
    ASSERT_GE(q.size(), 12 + firstName.size() + 4);
    EXPECT_TRUE(std::equal(firstName.begin(), firstName.end(), q.begin() + 12));
    const size_t after = 12 + firstName.size();
    EXPECT_EQ((q[after] << 8) | q[after + 1], kDnsTypePtr);
    EXPECT_EQ((q[after + 2] << 8) | q[after + 3], 0x8001);  // IN with the unicast-response bit

    EXPECT_TRUE(mdnsBuildQuery(1, {}).empty());
    EXPECT_TRUE(mdnsBuildQuery(1, {{std::string(300, 'a'), kDnsTypePtr}}).empty());
    EXPECT_EQ(mdnsCanonicalName("_Vorlaxent._TCP.local"), "_vorlaxent._tcp.local.");
    EXPECT_EQ(mdnsCanonicalName(""), "");
}

// --- A peer on loopback that answers the browser's queries from a script ---

// DNS messages for the scripts, written out field by field (no compression).
Bytes dnsName(const std::string& dotted) {
    Bytes out;
    size_t start = 0;
    while (start < dotted.size()) {
        size_t dot = dotted.find('.', start);
        if (dot == std::string::npos) dot = dotted.size();
        out.push_back(static_cast<uint8_t>(dot - start));
        out.insert(out.end(), dotted.begin() + static_cast<long>(start), dotted.begin() + static_cast<long>(dot));
        start = dot + 1;
    }
    out.push_back(0);
    return out;
}
void put16(Bytes& b, uint16_t v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}
Bytes record(const std::string& owner, uint16_t type, const Bytes& data) {
    Bytes r = dnsName(owner);
    put16(r, type);
    put16(r, 1);
    put16(r, 0);
    put16(r, 120);
    put16(r, static_cast<uint16_t>(data.size()));
    r.insert(r.end(), data.begin(), data.end());
    return r;
}
Bytes ptr(const std::string& instance) {
    return record("_vorlaxent._tcp.local", kDnsTypePtr, dnsName(instance + "._vorlaxent._tcp.local"));
}
Bytes srv(const std::string& instance, uint16_t port, const std::string& host) {
    Bytes d{0, 0, 0, 0};
    put16(d, port);
    const Bytes h = dnsName(host);
    d.insert(d.end(), h.begin(), h.end());
    return record(instance + "._vorlaxent._tcp.local", kDnsTypeSrv, d);
}
Bytes a(const std::string& host, std::array<uint8_t, 4> ip) {
    return record(host, kDnsTypeA, Bytes(ip.begin(), ip.end()));
}
Bytes response(const std::vector<Bytes>& records) {
    Bytes m{0, 0, 0x84, 0x00, 0, 0, 0, 0, 0, 0, 0, 0};
    m[7] = static_cast<uint8_t>(records.size());
    for (const Bytes& r : records) m.insert(m.end(), r.begin(), r.end());
    return m;
}

struct ReceivedQuestion {
    std::string name;
    uint16_t type;
    uint16_t cls;
};

class ScriptedPeer {
public:
    // The i-th query received is answered with the datagrams of script[i]; later ones with nothing.
    explicit ScriptedPeer(std::vector<std::vector<Bytes>> script) : script_(std::move(script)) {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof(at);
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&at), sizeof(at)), 0);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&at), &len);
        port_ = ntohs(at.sin_port);
        EXPECT_EQ(::pipe2(stop_, O_CLOEXEC), 0);
        thread_ = std::thread([this] { run(); });
    }
    ~ScriptedPeer() {
        const uint8_t one = 1;
        EXPECT_EQ(::write(stop_[1], &one, 1), 1);
        thread_.join();
        ::close(fd_);
        ::close(stop_[0]);
        ::close(stop_[1]);
    }
    NetServiceOptions options() const {
        NetServiceOptions o;
        o.queryTargets = {{"127.0.0.1", port_}};
        o.bindAddress = "127.0.0.1";
        o.answerWindow = 50ms;
        return o;
    }
    bool waitForQueries(size_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, kEventually, [&] { return queries_.size() >= n; });
    }
    std::vector<std::vector<ReceivedQuestion>> queries() {
        std::lock_guard<std::mutex> lock(mutex_);
        return queries_;
    }

private:
    void run() {
        Bytes buffer(9000);
        for (;;) {
            pollfd fds[2] = {{fd_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (::poll(fds, 2, -1) < 0 || fds[1].revents) return;
            sockaddr_in from{};
            socklen_t len = sizeof(from);
            const ssize_t n = ::recvfrom(fd_, buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&from), &len);
            if (n <= 0) continue;
            std::vector<Bytes> replies;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                queries_.push_back(decode(buffer.data(), static_cast<size_t>(n)));
                if (queries_.size() <= script_.size()) replies = script_[queries_.size() - 1];
            }
            cv_.notify_all();
            for (const Bytes& r : replies)
                ::sendto(fd_, r.data(), r.size(), 0, reinterpret_cast<sockaddr*>(&from), sizeof(from));
        }
    }
    static std::vector<ReceivedQuestion> decode(const uint8_t* data, size_t size) {
        std::vector<ReceivedQuestion> out;
        ldns_pkt* p = nullptr;
        if (ldns_wire2pkt(&p, data, size) != LDNS_STATUS_OK) return out;
        const ldns_rr_list* q = ldns_pkt_question(p);
        for (size_t i = 0; i < ldns_rr_list_rr_count(q); ++i) {
            const ldns_rr* rr = ldns_rr_list_rr(q, i);
            char* name = ldns_rdf2str(ldns_rr_owner(rr));
            out.push_back({name, static_cast<uint16_t>(ldns_rr_get_type(rr)), static_cast<uint16_t>(ldns_rr_get_class(rr))});
            free(name);
        }
        ldns_pkt_free(p);
        return out;
    }

    std::vector<std::vector<Bytes>> script_;
    int fd_ = -1;
    int stop_[2] = {-1, -1};
    uint16_t port_ = 0;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::vector<ReceivedQuestion>> queries_;
    std::thread thread_;
};

// Records what the browser and its services report, on the main thread.
struct Recorder : NetServiceBrowserDelegate, NetServiceDelegate {
    std::vector<std::string> events;
    std::vector<std::shared_ptr<NetService>> found;
    std::function<void(NetServiceBrowser&, const std::shared_ptr<NetService>&, bool)> onFind;

    void netServiceBrowser(NetServiceBrowser& b, const std::shared_ptr<NetService>& s, bool moreComing) override {
        events.push_back("found " + s->name() + (moreComing ? " (more)" : ""));
        found.push_back(s);
        if (onFind) onFind(b, s, moreComing);
    }
    void netServiceBrowser(NetServiceBrowser&, NetServiceError) override { events.push_back("did not search"); }
    void netServiceBrowserDidStopSearch(NetServiceBrowser&) override { events.push_back("stopped"); }
    void netServiceDidResolveAddress(NetService& s) override { events.push_back("resolved " + s.name()); }
    void netService(NetService& s, NetServiceError e) override {
        events.push_back("not resolved " + s.name() + (e == NetServiceError::Timeout ? " (time-out)" : ""));
    }
    bool has(const std::string& event) const { return std::find(events.begin(), events.end(), event) != events.end(); }
};

class NetServiceBrowserTest : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }
    bool waitFor(const std::function<bool()>& condition) { return runMainUntil(condition, kEventually); }
    // Runs the main queue until every block queued so far has run.
    void drainMainQueue() {
        bool done = false;
        mainQueue().async([&] { done = true; });
        ASSERT_TRUE(waitFor([&] { return done; }));
    }
};

TEST_F(NetServiceBrowserTest, ReportsOneBatchAndResolvesFromTheRecordsThatCameWithIt) {
    ScriptedPeer peer({{response({ptr("One"), ptr("Two"), srv("One", 8382, "one.local"), a("one.local", {10, 1, 1, 1}),
                                  srv("Two", 9000, "two.local"), a("two.local", {10, 1, 1, 2})})}});
    auto recorder = std::make_shared<Recorder>();
    auto browser = NetServiceBrowser::create(peer.options());
    browser->setDelegate(recorder);
    browser->searchForServicesOfType("_vorlaxent._tcp", "local");
    ASSERT_TRUE(waitFor([&] { return recorder->found.size() == 2; }));
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"found One (more)", "found Two"}));
    EXPECT_EQ(recorder->found[0]->type(), "_vorlaxent._tcp.");
    EXPECT_EQ(recorder->found[0]->domain(), "local.");
    EXPECT_EQ(recorder->found[0]->port(), -1);  // not resolved yet

    for (const auto& s : recorder->found) {
        s->setDelegate(recorder);
        s->resolveWithTimeout(5s);
    }
    ASSERT_TRUE(waitFor([&] { return recorder->has("resolved One") && recorder->has("resolved Two"); }));
    EXPECT_EQ(recorder->found[1]->hostName(), "two.local.");
    EXPECT_EQ(recorder->found[1]->port(), 9000);
    ASSERT_EQ(recorder->found[1]->addresses().size(), 1u);
    EXPECT_EQ(recorder->found[1]->addresses()[0].address, "10.1.1.2");
    EXPECT_EQ(recorder->found[1]->addresses()[0].port, 9000);
    // Resolving needed no further query.
    ASSERT_EQ(peer.queries().size(), 1u);
    const auto question = peer.queries()[0];
    ASSERT_EQ(question.size(), 1u);
    EXPECT_EQ(question[0].name, "_vorlaxent._tcp.local.");
    EXPECT_EQ(question[0].type, kDnsTypePtr);
    EXPECT_EQ(question[0].cls, 0x8001);

    browser->stop();
    ASSERT_TRUE(waitFor([&] { return recorder->has("stopped"); }));
}

TEST_F(NetServiceBrowserTest, ResolvingAsksForTheServiceAndThenForTheHostAddress) {
    ScriptedPeer peer({{response({ptr("Solo")})},
                       {response({srv("Solo", 8500, "solo.local")})},
                       {response({a("solo.local", {127, 0, 0, 1})})}});
    auto recorder = std::make_shared<Recorder>();
    auto browser = NetServiceBrowser::create(peer.options());
    browser->setDelegate(recorder);
    recorder->onFind = [&](NetServiceBrowser&, const std::shared_ptr<NetService>& s, bool) {
        s->setDelegate(recorder);
        s->resolveWithTimeout(5s);
    };
    browser->searchForServicesOfType("_vorlaxent._tcp.", "local.");
    ASSERT_TRUE(waitFor([&] { return recorder->has("resolved Solo"); }));
    EXPECT_EQ(recorder->found[0]->port(), 8500);
    EXPECT_EQ(recorder->found[0]->addresses()[0].address, "127.0.0.1");
    const auto queries = peer.queries();
    ASSERT_GE(queries.size(), 3u);
    ASSERT_EQ(queries[1].size(), 1u);
    EXPECT_EQ(queries[1][0].type, kDnsTypeSrv);
    EXPECT_EQ(queries[1][0].name, "solo._vorlaxent._tcp.local.");
    ASSERT_EQ(queries[2].size(), 2u);
    EXPECT_EQ(queries[2][1].type, kDnsTypeA);
    EXPECT_EQ(queries[2][1].name, "solo.local.");
}

TEST_F(NetServiceBrowserTest, AServiceThatNeverResolvesTimesOut) {
    ScriptedPeer peer({{response({ptr("Mute")})}});
    auto recorder = std::make_shared<Recorder>();
    auto browser = NetServiceBrowser::create(peer.options());
    browser->setDelegate(recorder);
    browser->searchForServicesOfType("_vorlaxent._tcp", "local");
    ASSERT_TRUE(waitFor([&] { return recorder->found.size() == 1; }));
    recorder->found[0]->setDelegate(recorder);
    recorder->found[0]->resolveWithTimeout(200ms);
    ASSERT_TRUE(waitFor([&] { return recorder->has("not resolved Mute (time-out)"); }));
    EXPECT_EQ(recorder->found[0]->port(), -1);
    EXPECT_TRUE(recorder->found[0]->addresses().empty());
}

TEST_F(NetServiceBrowserTest, RepeatsAnUnansweredQueryUntilStoppedAndReportsTheStopOnce) {
    ScriptedPeer peer({});
    auto recorder = std::make_shared<Recorder>();
    auto browser = NetServiceBrowser::create(peer.options());
    browser->setDelegate(recorder);
    browser->searchForServicesOfType("_vorlaxent._tcp", "local");
    ASSERT_TRUE(peer.waitForQueries(3));
    browser->stop();
    browser->stop();
    ASSERT_TRUE(waitFor([&] { return recorder->has("stopped"); }));
    drainMainQueue();
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"stopped"}));
}

TEST_F(NetServiceBrowserTest, MalformedRepliesAreIgnored) {
    Bytes cut = response({ptr("Broken")});
    cut.resize(cut.size() - 3);
    Bytes wrongType = response({ptr("Other")});
    wrongType[3] = 0x03;  // result code 3
    Bytes otherService = response({record("_other._tcp.local", kDnsTypePtr, dnsName("X._other._tcp.local"))});
    ScriptedPeer peer({{Bytes{0xff, 0x00, 0x12}, cut, wrongType, otherService, response({ptr("Good")})}});
    auto recorder = std::make_shared<Recorder>();
    auto browser = NetServiceBrowser::create(peer.options());
    browser->setDelegate(recorder);
    browser->searchForServicesOfType("_vorlaxent._tcp", "local");
    ASSERT_TRUE(waitFor([&] { return !recorder->found.empty(); }));
    drainMainQueue();
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"found Good"}));
}

TEST_F(NetServiceBrowserTest, BadArgumentsAndAnUnusableSocketAreReportedAsDidNotSearch) {
    for (const auto& [bind, type] : {std::pair<std::string, std::string>{"127.0.0.1", ""},
                                     {"127.0.0.1", std::string(300, 'x')},
                                     {"not an address", "_vorlaxent._tcp"}}) {
        NetServiceOptions options;
        options.queryTargets = {{"127.0.0.1", 9}};
        options.bindAddress = bind;
        auto recorder = std::make_shared<Recorder>();
        auto browser = NetServiceBrowser::create(options);
        browser->setDelegate(recorder);
        browser->searchForServicesOfType(type, "local");
        ASSERT_TRUE(waitFor([&] { return recorder->has("did not search"); })) << bind << " " << type;
        browser->stop();
        ASSERT_TRUE(waitFor([&] { return recorder->has("stopped"); }));
    }
}

TEST_F(NetServiceBrowserTest, NothingIsReportedToADelegateOrForAServiceThatIsGone) {
    ScriptedPeer peer({{response({ptr("A"), ptr("B"), srv("A", 1, "a.local"), a("a.local", {10, 0, 0, 1})})}});
    auto log = std::make_shared<std::vector<std::string>>();
    struct Counting : Recorder {
        std::shared_ptr<std::vector<std::string>> log;
        ~Counting() override { log->push_back("delegate released"); }
    };
    auto recorder = std::make_shared<Counting>();
    recorder->log = log;
    std::shared_ptr<NetService> kept;
    // Released in the middle of a batch: the second service of the batch is not reported to it.
    recorder->onFind = [&](NetServiceBrowser&, const std::shared_ptr<NetService>& s, bool) {
        log->push_back("found " + s->name());
        kept = s;
        recorder.reset();  // the browser holds the delegate until this call returns
    };
    auto browser = NetServiceBrowser::create(peer.options());
    browser->setDelegate(recorder);
    browser->searchForServicesOfType("_vorlaxent._tcp", "local");
    ASSERT_TRUE(waitFor([&] { return !recorder; }));
    drainMainQueue();
    EXPECT_EQ(*log, (std::vector<std::string>{"found A", "delegate released"}));

    // A resolution reported on the main queue, but the service is released before the report runs.
    auto second = std::make_shared<Recorder>();
    kept->setDelegate(second);
    kept->resolveWithTimeout(5s);  // resolvable at once from the records that came with the batch
    kept.reset();
    drainMainQueue();
    EXPECT_TRUE(second->events.empty());
}

TEST_F(NetServiceBrowserTest, StoppingInTheMiddleOfABatchEndsIt) {
    ScriptedPeer peer({{response({ptr("A"), ptr("B"), ptr("C")})}});
    auto recorder = std::make_shared<Recorder>();
    recorder->onFind = [](NetServiceBrowser& b, const std::shared_ptr<NetService>&, bool) { b.stop(); };
    auto browser = NetServiceBrowser::create(peer.options());
    browser->setDelegate(recorder);
    browser->searchForServicesOfType("_vorlaxent._tcp", "local");
    ASSERT_TRUE(waitFor([&] { return recorder->has("stopped"); }));
    drainMainQueue();
    EXPECT_EQ(recorder->events, (std::vector<std::string>{"found A (more)", "stopped"}));
}

}  // namespace
}  // namespace platform
