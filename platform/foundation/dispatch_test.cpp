#include "platform/foundation/dispatch.h"

#include <gtest/gtest.h>

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "platform/foundation/test_application.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Generous: a deadlock shows as a failed wait instead of a hung test program.
constexpr auto kNoDeadlock = 20s;

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }
};

TEST_F(DispatchTest, MainQueueWaitsForABlockThatRunsANestedLoop) {
    std::vector<std::string> log;  // touched on the main thread only
    bool done = false;
    mainQueue().async([&] {
        log.push_back("A begins");
        mainQueue().async([&] { log.push_back("B"); });
        std::thread([&] { mainQueue().async([&] { log.push_back("C"); }); }).join();
        QEventLoop nested;
        QTimer::singleShot(0, &nested, [&] { log.push_back("Qt event inside the nested loop"); });
        // Posted after the wake-ups of B and C, so the nested loop has delivered those when it quits.
        QMetaObject::invokeMethod(&nested, [&] { nested.quit(); }, Qt::QueuedConnection);
        nested.exec();
        log.push_back("A ends");
    });
    mainQueue().async([&] { log.push_back("D"); });
    mainQueue().async([&] {
        mainQueue().async([&] { done = true; });
    });
    ASSERT_TRUE(runMainUntil([&] { return done; }, kNoDeadlock));
    std::vector<std::string> expected{"A begins", "Qt event inside the nested loop", "A ends", "D", "B", "C"};
    EXPECT_EQ(log, expected);
}

TEST_F(DispatchTest, SyncOntoMainRunsInlineOnMainAndWaitsFromAWorker) {
    bool ranInline = false;
    mainQueue().sync([&] { ranInline = true; });
    EXPECT_TRUE(ranInline);  // no event loop ran: it can only have run inline

    std::atomic<bool> onMain{false}, returnedAfterBlock{false};
    std::atomic<bool> workerDone{false};
    std::thread worker([&] {
        bool blockRan = false;
        mainQueue().sync([&] {
            onMain = isMainThread();
            blockRan = true;
        });
        returnedAfterBlock = blockRan;
        workerDone = true;
    });
    EXPECT_TRUE(runMainUntil([&] { return workerDone.load(); }, kNoDeadlock));
    worker.join();
    EXPECT_TRUE(onMain);
    EXPECT_TRUE(returnedAfterBlock);
    EXPECT_TRUE(isMainThread());
}

TEST_F(DispatchTest, AfterDelayRunsOnTheQueueNoEarlierThanAsked) {
    auto start = std::chrono::steady_clock::now();
    std::vector<std::string> log;
    std::chrono::steady_clock::duration longElapsed{};
    // The long delay leaves room for a loaded machine (or a sanitizer) to start the worker's timer late.
    dispatchAfter(300ms, [&] {
        longElapsed = std::chrono::steady_clock::now() - start;
        log.push_back("300ms");
    });
    dispatchAfter(5ms, [&] { log.push_back("5ms"); });
    // From another thread too.
    std::thread([&] { dispatchAfter(10ms, [&] { log.push_back("10ms from a worker"); }); }).join();
    ASSERT_TRUE(runMainUntil([&] { return log.size() == 3; }, kNoDeadlock));
    EXPECT_EQ(log, (std::vector<std::string>{"5ms", "10ms from a worker", "300ms"}));
    EXPECT_GE(longElapsed, 300ms);

    auto serial = createSerialQueue("after");
    Semaphore ran;
    std::atomic<bool> onMain{true};
    dispatchAfter(5ms, *serial, [&] {
        onMain = isMainThread();
        ran.signal();
    });
    serial.reset();  // the delayed block keeps its queue alive
    EXPECT_TRUE(ran.waitFor(kNoDeadlock));
    EXPECT_FALSE(onMain);
}

TEST_F(DispatchTest, GlobalQueueCompletesWhenEveryWorkerWaitsForALaterBlock) {
    // More blocks than cores; all but the last wait for the last one, which only a worker added while the
    // others are blocked can run.
    const int n = 4 * static_cast<int>(std::max(1u, std::thread::hardware_concurrency())) + 8;
    std::vector<std::unique_ptr<Semaphore>> gates;
    for (int i = 0; i < n; ++i) gates.push_back(std::make_unique<Semaphore>());
    Semaphore finished;
    std::atomic<int> count{0};
    for (int i = 0; i < n - 1; ++i) {
        globalQueue().async([&, i] {
            gates[i]->wait();
            ++count;
            finished.signal();
        });
    }
    globalQueue().async([&] {
        for (int i = 0; i < n - 1; ++i) gates[i]->signal();
        ++count;
        finished.signal();
    });
    for (int i = 0; i < n; ++i) ASSERT_TRUE(finished.waitFor(kNoDeadlock)) << "after " << i << " blocks";
    EXPECT_EQ(count.load(), n);
}

TEST_F(DispatchTest, GlobalQueueRecoversFromWaitsItCannotSee) {
    // Waits on a std::future are invisible to the pool: its watchdog has to notice that nothing moves. The pool
    // starts at most one worker per core beyond those it has, so these blocks outnumber them all.
    const int n = globalQueueWorkerCount() + static_cast<int>(std::max(2u, std::thread::hardware_concurrency())) + 2;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    Semaphore finished;
    for (int i = 0; i < n; ++i) {
        globalQueue().async([&] {
            released.wait();
            finished.signal();
        });
    }
    globalQueue().async([&] { release.set_value(); });
    for (int i = 0; i < n; ++i) ASSERT_TRUE(finished.waitFor(kNoDeadlock));
}

TEST_F(DispatchTest, SerialQueueRunsOneBlockAtATimeInOrder) {
    auto queue = createSerialQueue("com.example.serial");
    EXPECT_EQ(queue->label(), "com.example.serial");
    constexpr int kThreads = 3, kPerThread = 200;
    std::vector<std::vector<int>> seen(kThreads);  // written by the queue's blocks only
    std::atomic<int> inFlight{0}, maxInFlight{0};
    std::vector<std::thread> producers;
    for (int t = 0; t < kThreads; ++t) {
        producers.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                queue->async([&, t, i] {
                    int now = ++inFlight;
                    int prev = maxInFlight.load();
                    while (now > prev && !maxInFlight.compare_exchange_weak(prev, now)) {
                    }
                    seen[t].push_back(i);
                    --inFlight;
                });
            }
        });
    }
    for (auto& p : producers) p.join();
    // sync() waits for everything queued before it; inside a block, sync onto the same queue runs inline.
    bool nested = false;
    queue->sync([&] { queue->sync([&] { nested = true; }); });
    EXPECT_TRUE(nested);
    EXPECT_EQ(maxInFlight.load(), 1);
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), size_t(kPerThread));
        EXPECT_TRUE(std::is_sorted(seen[t].begin(), seen[t].end()));
    }
}

TEST_F(DispatchTest, SerialQueueFinishesItsBlocksAfterTheLastHandleGoes) {
    auto queue = createSerialQueue("short-lived");
    Semaphore gate, finished;
    std::vector<int> order;
    queue->async([&] {
        gate.wait();
        order.push_back(1);
    });
    queue->async([&] {
        order.push_back(2);
        finished.signal();
    });
    queue.reset();
    gate.signal();
    ASSERT_TRUE(finished.waitFor(kNoDeadlock));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
}

TEST_F(DispatchTest, SemaphoreCountsAndTimesOut) {
    Semaphore s(1);
    EXPECT_TRUE(s.waitFor(0ms));  // the initial count
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(s.waitFor(20ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 20ms);
    s.signal();
    s.signal();
    s.wait();
    EXPECT_TRUE(s.waitFor(0ms));
    EXPECT_FALSE(s.waitFor(0ms));
}

TEST_F(DispatchTest, OnceRunsExactlyOnceAcrossThreads) {
    OnceFlag flag;
    std::atomic<int> runs{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 8; ++i) threads.emplace_back([&] { dispatchOnce(flag, [&] { ++runs; }); });
    for (auto& t : threads) t.join();
    EXPECT_EQ(runs.load(), 1);
}

}  // namespace
}  // namespace platform
