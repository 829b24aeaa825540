// Waits of background threads: held by the tests' manual clock until its time reaches their end (the same clock
// that runs the main thread's timers), scaled down on the real clock, and ended at once by a cancellation.
#include "platform/foundation/wait_clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/foundation/test_application.h"
#include "platform/ui/testing/manual_time_source.h"
#include "platform/ui/time_source.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Waits until `done` holds, in real time (at most 10 s); for results that another thread delivers.
template <class F>
bool eventually(F done) {
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::yield();
  }
  return true;
}

class WaitClockTest : public ::testing::Test {
 protected:
  void SetUp() override { ensureTestApplication(); }
  std::shared_ptr<testing::ManualTimeSource> clock_ = std::make_shared<testing::ManualTimeSource>();
  ScopedTimeSource timers_{clock_};
  ScopedWaitClock waits_{clock_};
};

// A focus-stack-like run on a global queue: a shot, 1.5 s, a shot, 1.5 s, a shot. Each shot notes the time of
// the test's clock it was taken at; one advance of that clock runs a main-thread timer and the run alike.
TEST_F(WaitClockTest, ARunWaitsOnTheTestsClockAndGoesOnExactlyWhenItsTimeHasCome) {
  std::mutex mutex;
  std::vector<double> shots;
  std::atomic<bool> finished{false};
  auto cancel = std::make_shared<Cancellation>();
  globalQueue().async([&, cancel] {
    for (int i = 0; i < 3; ++i) {
      {
        std::lock_guard lock(mutex);
        shots.push_back(currentWaitClock()->now());
      }
      if (i < 2 && !waitFor(1.5, cancel.get())) break;
    }
    finished = true;
  });
  auto taken = [&] {
    std::lock_guard lock(mutex);
    return shots;
  };
  bool timerFired = false;
  Timer timer;
  timer.start(1.0, false, [&] { timerFired = true; });

  ASSERT_TRUE(clock_->awaitSleepers(1));
  clock_->advance(1.0);
  EXPECT_TRUE(timerFired) << "the main thread's timer ran on the same clock";
  EXPECT_EQ(clock_->sleepers(), 1) << "the run still waits";
  clock_->advance(0.5);
  ASSERT_TRUE(eventually([&] { return taken().size() == 2; }));
  ASSERT_TRUE(clock_->awaitSleepers(1));
  clock_->advance(1.5);
  ASSERT_TRUE(eventually([&] { return finished.load(); }));
  EXPECT_EQ(taken(), (std::vector<double>{1000.0, 1001.5, 1003.0}));
}

TEST_F(WaitClockTest, ACancellationEndsAWaitAtOnceOnEitherClock) {
  for (bool manual : {true, false}) {
    SCOPED_TRACE(manual ? "manual clock" : "real clock");
    std::optional<ScopedWaitClock> real;
    if (!manual) real.emplace(realWaitClock());
    Cancellation cancel;
    std::atomic<int> result{-1};
    std::thread waiter([&] { result = waitFor(3600, &cancel) ? 1 : 0; });
    if (manual) {
      ASSERT_TRUE(clock_->awaitSleepers(1));
    }
    cancel.cancel();
    waiter.join();  // an hour's wait ends with the cancel
    EXPECT_EQ(result.load(), 0);
    // Raised already: no wait at all; lowered again: waits again.
    EXPECT_FALSE(waitFor(3600, &cancel));
    cancel.reset();
    EXPECT_FALSE(cancel.isCancelled());
  }
}

TEST_F(WaitClockTest, TheRealClockScalesItsWaitsAndItsTime) {
  auto scaled = realWaitClock(0.001);
  const double before = scaled->now();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(scaled->waitFor(2.0, nullptr));  // 2 ms of real time
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 2ms);
  EXPECT_LT(took, 5s);
  EXPECT_GE(scaled->now() - before, 2.0) << "its time ran at the same scale";
}

TEST_F(WaitClockTest, ABlockRunsOnItsQueueAfterTheDelayUnlessCancelled) {
  bool ran = false, cancelledRan = false;
  afterDelay(3.0, mainQueue(), [&] { ran = true; });
  auto cancel = std::make_shared<Cancellation>();
  afterDelay(3.0, mainQueue(), [&] { cancelledRan = true; }, cancel);
  ASSERT_TRUE(clock_->awaitSleepers(2));
  cancel->cancel();
  ASSERT_TRUE(eventually([&] { return clock_->sleepers() == 1; }));
  clock_->advance(2.9);
  EXPECT_EQ(clock_->sleepers(), 1) << "not before its time";
  clock_->advance(0.1);
  EXPECT_TRUE(runMainUntil([&] { return ran; }, 10s));
  EXPECT_FALSE(cancelledRan);
}

}  // namespace
}  // namespace platform
