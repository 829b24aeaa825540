#include "platform/foundation/operation_queue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {
namespace {

using namespace std::chrono_literals;

constexpr auto kNoDeadlock = 20s;

// A log written from the queue's thread and read after a wait.
struct Log {
    std::mutex mutex;
    std::vector<std::string> lines;
    void add(std::string line) {
        std::lock_guard lock(mutex);
        lines.push_back(std::move(line));
    }
    std::vector<std::string> get() {
        std::lock_guard lock(mutex);
        return lines;
    }
};

TEST(OperationQueueTest, RunsOneAtATimeInTheOrderAddedFromManyThreads) {
    OperationQueue queue("test.width-one");
    std::atomic<int> running{0}, mostAtOnce{0};
    Log log;
    auto work = [&](std::string name) {
        return [&, name] {
            const int now = ++running;
            int seen = mostAtOnce.load();
            while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::yield();
            log.add(name);
            --running;
        };
    };
    for (int i = 0; i < 20; ++i) queue.addOperation(work("main " + std::to_string(i)));
    // Operations added from other threads at the same time still run alone.
    std::vector<std::thread> adders;
    for (int t = 0; t < 3; ++t)
        adders.emplace_back([&, t] {
            for (int i = 0; i < 20; ++i) queue.addOperation(work("t" + std::to_string(t)));
        });
    for (auto& a : adders) a.join();
    queue.waitUntilAllOperationsAreFinished();
    const auto lines = log.get();
    ASSERT_EQ(lines.size(), 80u);
    EXPECT_EQ(mostAtOnce.load(), 1);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(lines[static_cast<std::size_t>(i)], "main " + std::to_string(i));
    EXPECT_EQ(queue.operationCount(), 0u);
}

// What a direction pad does: every new move drops the moves still waiting, while the one being sent finishes.
TEST(OperationQueueTest, CancelAllDropsWaitingOperationsAndLetsTheRunningOneFinish) {
    OperationQueue queue("test.cancel");
    Semaphore started, gate;
    Log log;
    bool runningSawCancel = false;
    auto first = queue.addOperation([&](const Operation& self) {
        started.signal();
        gate.wait();
        runningSawCancel = self.isCancelled();
        log.add("first");
    });
    ASSERT_TRUE(started.waitFor(kNoDeadlock));
    auto second = queue.addOperation([&] { log.add("second"); });
    auto third = queue.addOperation([&] { log.add("third"); });
    EXPECT_EQ(queue.operationCount(), 3u);

    queue.cancelAllOperations();
    // The waiting two leave at once; the running one stays counted until it returns.
    EXPECT_EQ(queue.operationCount(), 1u);
    EXPECT_TRUE(second->isFinished());
    EXPECT_TRUE(third->isCancelled());
    EXPECT_FALSE(first->isFinished());

    auto after = queue.addOperation([&] { log.add("after"); });
    EXPECT_FALSE(after->isCancelled());
    gate.signal();
    queue.waitUntilAllOperationsAreFinished();

    EXPECT_EQ(log.get(), (std::vector<std::string>{"first", "after"}));
    EXPECT_TRUE(runningSawCancel);
    EXPECT_TRUE(first->isFinished());
    EXPECT_TRUE(after->isFinished());
    EXPECT_EQ(queue.operationCount(), 0u);
}

TEST(OperationQueueTest, AnOperationCancelledOnItsOwnIsSkippedWhenItsTurnComes) {
    OperationQueue queue("test.single-cancel");
    Semaphore gate;
    Log log;
    queue.addOperation([&] {
        gate.wait();
        log.add("a");
    });
    auto b = queue.addOperation([&] { log.add("b"); });
    queue.addOperation([&] { log.add("c"); });
    b->cancel();
    gate.signal();
    queue.waitUntilAllOperationsAreFinished();
    EXPECT_EQ(log.get(), (std::vector<std::string>{"a", "c"}));
    EXPECT_TRUE(b->isFinished());
    EXPECT_EQ(queue.operationCount(), 0u);
}

TEST(OperationQueueTest, DestroyingTheQueueDropsWaitingWorkButNotTheRunningOperation) {
    Semaphore started, gate, firstDone;
    std::atomic<bool> laterRan{false};
    std::shared_ptr<Operation> later;
    {
        OperationQueue queue("test.destroy");
        queue.addOperation([&] {
            started.signal();
            gate.wait();
            firstDone.signal();
        });
        later = queue.addOperation([&] { laterRan = true; });
        ASSERT_TRUE(started.waitFor(kNoDeadlock));
    }
    gate.signal();
    ASSERT_TRUE(firstDone.waitFor(kNoDeadlock));
    EXPECT_TRUE(later->isCancelled());
    EXPECT_TRUE(later->isFinished());
    EXPECT_FALSE(laterRan.load());
}

}  // namespace
}  // namespace platform
