#include "platform/foundation/notification_center.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace platform {
namespace {

TEST(NotificationCenterTest, DeliversOnThePostingThreadToTheObserversOfThatName) {
    NotificationCenter center;
    std::vector<std::string> calls;
    int senderA = 0, senderB = 0;
    center.addObserverForName("JWNotification_Status", nullptr, [&](const Notification& n) {
        calls.push_back("any:" + std::to_string(n.object.toInteger()) + ":" + n.userInfo.at("why").toString());
    });
    center.addObserverForName("JWNotification_Status", &senderA, [&](const Notification&) { calls.push_back("A only"); });
    center.addObserverForName("", nullptr, [&](const Notification& n) { calls.push_back("all:" + n.name); });
    center.addObserverForName("JWNotification_Other", nullptr, [&](const Notification&) { calls.push_back("other"); });

    center.postNotificationName("JWNotification_Status", Value(5), {{"why", Value("connected")}});
    EXPECT_EQ(calls, (std::vector<std::string>{"any:5:connected", "all:JWNotification_Status"}));

    calls.clear();
    center.postNotificationName("JWNotification_Status", Value::reference(&senderA), {{"why", Value("a")}});
    center.postNotificationName("JWNotification_Status", Value::reference(&senderB), {{"why", Value("b")}});
    EXPECT_EQ(calls, (std::vector<std::string>{"any:0:a", "A only", "all:JWNotification_Status", "any:0:b",
                                               "all:JWNotification_Status"}));

    // Synchronous, on the posting thread.
    std::thread::id poster, handler;
    NotificationCenter threaded;
    threaded.addObserverForName("x", nullptr, [&](const Notification&) { handler = std::this_thread::get_id(); });
    std::thread([&] {
        poster = std::this_thread::get_id();
        threaded.postNotificationName("x");
        EXPECT_EQ(handler, poster);  // already called when the post returns
    }).join();
}

TEST(NotificationCenterTest, ObserverRemovedDuringAPostIsNotCalledAfterwards) {
    NotificationCenter center;
    std::vector<std::string> calls;
    ObserverToken second, added;
    int owner = 0;
    center.addObserverForName("n", nullptr, [&](const Notification&) {
        calls.push_back("first");
        center.removeObserver(second);
        if (!added) added = center.addObserverForName("n", nullptr, [&](const Notification&) { calls.push_back("added"); });
    });
    second = center.addObserverForName("n", nullptr, [&](const Notification&) { calls.push_back("second"); });
    ObserverToken self;
    self = center.addObserverForName("n", nullptr, [&](const Notification&) {
        calls.push_back("removes itself");
        center.removeObserver(self);
    });
    center.addObserver(&owner, [&](const Notification&) { calls.push_back("owned"); }, "n");
    center.addObserver(&owner, [&](const Notification&) { calls.push_back("owned, other name"); }, "m");

    center.postNotificationName("n");
    // "second" was removed before its turn; "added" joins from the next post on.
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "removes itself", "owned"}));

    calls.clear();
    center.removeObserver(&owner);
    center.postNotificationName("n");
    center.postNotificationName("m");
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "added"}));
}

TEST(NotificationCenterTest, PostsFromManyThreadsWhileObserversComeAndGo) {
    NotificationCenter center;
    std::atomic<bool> stop{false};
    std::atomic<int> delivered{0};
    center.addObserverForName("tick", nullptr, [&](const Notification& n) { delivered += n.object.toInteger() > 0; });
    std::vector<std::thread> posters;
    for (int t = 0; t < 4; ++t) {
        posters.emplace_back([&] {
            while (!stop) center.postNotificationName("tick", Value(1));
        });
    }
    for (int i = 0; i < 500 || delivered.load() < 100; ++i) {
        int owner = 0;
        center.addObserver(&owner, [&](const Notification&) {}, "tick");
        center.removeObserver(&owner);
    }
    stop = true;
    for (auto& p : posters) p.join();
    EXPECT_GT(delivered.load(), 0);
}

}  // namespace
}  // namespace platform
