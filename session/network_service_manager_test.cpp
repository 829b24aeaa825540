#include "session/network_service_manager.h"

#include <gtest/gtest.h>

#include <chrono>

#include "session/discovery_test_fixture.h"

namespace {

using namespace std::chrono_literals;
using Addresses = std::vector<VorlaxentAddress>;

class NetworkServiceManagerTest : public DiscoveryTest {
protected:
    Addresses discover(bool sameNetworkOnly) {
        return offMain([&] { return NetworkServiceManager::create()->blockForVorlaxentAddress(sameNetworkOnly); });
    }
};

TEST_F(NetworkServiceManagerTest, TheDeviceOnTheOwnNetworkComesFirst) {
    // The computer is 10.20.30.40. "110.20.30.5" holds "10.20.30." but lies on another network; it answers first.
    addDevice("Elsewhere", "110.20.30.5", 8382);
    addDevice("Nearby", "10.20.30.41", 9001).setReplyDelay(10ms);

    EXPECT_EQ(discover(false), (Addresses{{"10.20.30.41", 9001}, {"110.20.30.5", 8382}}));
    EXPECT_EQ(discover(true), (Addresses{{"10.20.30.41", 9001}}));
}

TEST_F(NetworkServiceManagerTest, WithoutAnOwnAddressNoDeviceCountsAsNearby) {
    interfaces_ = {{"lo", "127.0.0.1", true, true, false}};
    addDevice("One", "10.20.30.41", 9001);
    EXPECT_EQ(discover(false), (Addresses{{"10.20.30.41", 9001}}));
    EXPECT_TRUE(discover(true).empty());
}

TEST_F(NetworkServiceManagerTest, NoAnswerGivesNothingAfterTheWaits) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(discover(false).empty());
    const auto took = std::chrono::steady_clock::now() - started;
    // The browse wait, scaled (the search then stops at once); the query was repeated meanwhile.
    EXPECT_GE(took, engineWait(engine_timing::kDiscoveryBrowseWait));
    EXPECT_LT(took, 5s);
    EXPECT_GE(sink_->queries().size(), 2u);
}

TEST_F(NetworkServiceManagerTest, ADeviceThatSendsOnlyItsNameIsAskedForTheRest) {
    devicesim::MdnsResponder& device = addDevice("Terse", "10.20.30.77", 9100, false);
    EXPECT_EQ(discover(false), (Addresses{{"10.20.30.77", 9100}}));

    // The queries, read by the device's own decoder: the search, then the service, then its host's address; every
    // question asks for a unicast reply.
    const auto queries = device.queries();
    ASSERT_GE(queries.size(), 3u);
    ASSERT_EQ(queries[0].questions.size(), 1u);
    EXPECT_EQ(queries[0].questions[0].name, "_vorlaxent._tcp.local");
    EXPECT_EQ(queries[0].questions[0].type, 12);
    EXPECT_NE(queries[0].sourcePort, 5353);
    ASSERT_GE(queries[1].questions.size(), 1u);
    EXPECT_EQ(queries[1].questions[0].name, "terse._vorlaxent._tcp.local");
    EXPECT_EQ(queries[1].questions[0].type, 33);
    ASSERT_EQ(queries[2].questions.size(), 2u);
    EXPECT_EQ(queries[2].questions[1].name, "device-1.local");
    EXPECT_EQ(queries[2].questions[1].type, 1);
    for (const auto& q : queries)
        for (const auto& question : q.questions) EXPECT_TRUE(question.unicastResponse);
}

TEST_F(NetworkServiceManagerTest, MalformedAnswersAreIgnored) {
    // One device sends only broken answers, made from its true one; another answers properly.
    devicesim::MdnsResponder& liar = addDevice("Liar", "10.20.30.66", 9066);
    liar.setSilent(true);
    const std::vector<uint8_t> good = liar.pointerAnswer(0);
    std::vector<std::vector<uint8_t>> broken;
    broken.emplace_back(good.begin(), good.begin() + static_cast<long>(good.size() / 2));  // cut short
    broken.push_back(good);
    broken.back()[2] &= 0x7F;  // a query, not an answer
    broken.push_back(good);
    broken.back()[3] = 0x02;  // a server failure
    broken.push_back(good);
    broken.back()[good.size() - 5] = 0x05;  // the A record claims five bytes
    broken.push_back({0x00, 0x01, 0x84});
    liar.queueRawReplies(broken);
    addDevice("Honest", "10.20.30.55", 9055);

    EXPECT_EQ(discover(false), (Addresses{{"10.20.30.55", 9055}}));
    EXPECT_FALSE(liar.queries().empty());  // the broken answers were sent
}

TEST_F(NetworkServiceManagerTest, ReportsAfterTheWaitsGaveUpChangeNothing) {
    addDevice("Late", "10.20.30.41", 9001);
    // The main queue does not run while discovery waits, so the search is only started once it has given up:
    // by then the manager is finished, or gone, and no query is sent for it.
    for (bool keepManager : {false, true}) {
        auto manager = NetworkServiceManager::create();
        std::weak_ptr<NetworkServiceManager> weak = manager;
        const std::shared_ptr<NetworkServiceManager> kept = keepManager ? manager : nullptr;
        auto running = std::async(std::launch::async, [m = std::move(manager)]() mutable {
            auto results = m->blockForVorlaxentAddress(false);
            m.reset();
            return results;
        });
        EXPECT_TRUE(running.get().empty());
        EXPECT_EQ(weak.expired(), !keepManager);
        drainMainQueue();
        EXPECT_TRUE(devices_[0]->queries().empty());
        EXPECT_TRUE(sink_->queries().empty());
    }
}

TEST_F(NetworkServiceManagerTest, AResolutionReportedAfterTheWaitsChangesNothing) {
    // The device names itself and then falls silent: the resolution of the found device times out, but its report
    // reaches the main queue only after the manager has stopped waiting and let the device go.
    devicesim::MdnsResponder& device = addDevice("Fading", "10.20.30.41", 9001, false);
    device.setSilent(true);
    device.queueRawReplies({device.pointerAnswer(0)});
    auto manager = NetworkServiceManager::create();
    auto running = std::async(std::launch::async, [manager] { return manager->blockForVorlaxentAddress(false); });
    // Run the main queue until the found device is being resolved (its service query has arrived)...
    ASSERT_TRUE(platform::runMainUntil([&] { return device.queries().size() >= 2; }, 10s));
    // ...then hold the main queue back until discovery has given up.
    EXPECT_TRUE(running.get().empty());
    drainMainQueue();
    manager.reset();
    drainMainQueue();
}

}  // namespace
