#include "engine/ptp/event_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "devicesim/camera_properties.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/vendors/vendor_test_doubles.h"

namespace {

using namespace std::chrono_literals;

// Waits until `done` holds, checking as events arrive; false after `limit`.
template <class Pred>
bool waitFor(std::mutex& m, std::condition_variable& cv, Pred done, std::chrono::milliseconds limit = 5s) {
    std::unique_lock<std::mutex> lock(m);
    return cv.wait_for(lock, limit, done);
}

// Waits until a condition that no event announces holds (a flag of the thread), checking every millisecond.
template <class Pred>
bool eventually(Pred done, std::chrono::milliseconds limit = 5s) {
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// The event thread against the stand-in device: a Fujifilm-style camera whose records come back in the poll.
class EventThreadTest : public DevicesimLinkTest {
protected:
    std::shared_ptr<devicesim::GenericCamera> makeCamera() override {
        devicesim::GenericCameraConfig config;
        config.manufacturer = "FUJIFILM";
        config.model = "X-T4";
        propertyCamera = std::make_shared<devicesim::PropertyCamera>(config);
        propertyCamera->addProperty(devicesim::SimProperty::enumeration(0x5005, devicesim::kSimUint16, {2, 4, 6}, 2));
        return propertyCamera;
    }

    void SetUp() override {
        DevicesimLinkTest::SetUp();
        test_vendor::resetCoreState();
        vendorRegisterFuji(&fuji);
        ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, [this] {
            std::vector<CameraEvent> batch;
            for (CameraEvent e; camPopEvent(&e)->code != 0;) batch.push_back(e);
            std::lock_guard<std::mutex> lock(mutex);
            ++pumps;
            events.insert(events.end(), batch.begin(), batch.end());
            cv.notify_all();
        });
        ptpSetEventPollFunction(linkPollEvents);
        camSetVendor(VENDOR_FUJI);
        openSession();
        ASSERT_EQ(test_vendor::describeAll({0x5005}), PTP_RC_OK);
    }

    void TearDown() override {
        test_vendor::resetCoreState();
        DevicesimLinkTest::TearDown();
    }

    size_t pollCommands() const { return commandPackets(0x82).size(); }

    test_vendor::FakeFuji fuji;
    std::shared_ptr<devicesim::PropertyCamera> propertyCamera;
    std::mutex mutex;
    std::condition_variable cv;
    int pumps = 0;
    std::vector<CameraEvent> events;
};

TEST_F(EventThreadTest, PollsQueuesPumpsAndStopsJoined) {
    propertyCamera->queueObjectAdded(1500000, "DSCF0001.JPG");
    propertyCamera->changeOnCamera(0x5005, 6);
    camStartEventThread(nullptr);
    EXPECT_TRUE(camEventThreadRunning());
    ASSERT_TRUE(waitFor(mutex, cv, [&] { return events.size() >= 2; }));
    {
        std::lock_guard<std::mutex> lock(mutex);
        EXPECT_EQ(events[0].code, PTP_EC_ObjectAdded);
        EXPECT_STREQ(events[0].objectInfo.fileName, "DSCF0001.JPG");
        EXPECT_EQ(events[1].code, PTP_EC_DevicePropChanged);
        EXPECT_EQ(events[1].property.record, propFind(0x5005));
    }
    PropertyStruct* wb = propFind(0x5005, true);
    EXPECT_EQ(wb->value, 6u);
    propUnlock(wb);

    // Polls go on every interval; an empty answer is not pumped, each block with records once.
    uint64_t before = camEventThreadCycles();
    ASSERT_TRUE(eventually([&] { return camEventThreadCycles() >= before + 3; }));
    propertyCamera->queueObjectAdded(10, "DSCF0002.JPG");
    ASSERT_TRUE(waitFor(mutex, cv, [&] { return events.size() == 3; }));
    EXPECT_EQ(pumps, 2);
    EXPECT_TRUE(camStopEventThread(true));
    EXPECT_FALSE(camEventThreadRunning());
    size_t polled = pollCommands();
    uint64_t cycles = camEventThreadCycles();
    // Joined: nothing reaches the device any more, however many intervals go by.
    EXPECT_FALSE(device.waitForLog(device.logSize() + 1, engineWait(engine_timing::kEventPollInterval) * 3));
    EXPECT_EQ(pollCommands(), polled);
    EXPECT_EQ(camEventThreadCycles(), cycles);
}

TEST_F(EventThreadTest, PollErrorReachesTheCallbackUntilItStopsTheThread) {
    std::promise<ResponseCode> failed;
    std::atomic<int> calls{0};
    camStartEventThread([&](ResponseCode rc) {
        if (calls.fetch_add(1) == 0) failed.set_value(rc);
        camStopEventThread(false);  // as the session controller does, from the event thread
    });
    linkDisconnect();  // the link is lost
    auto future = failed.get_future();
    ASSERT_EQ(future.wait_for(5s), std::future_status::ready);
    ResponseCode rc = future.get();  // a poll in flight is woken by the disconnect; a later one finds no link
    EXPECT_TRUE(rc == ERROR_WOKEN || rc == ERROR_CONNECTION_FAILURE) << rc;
    EXPECT_TRUE(eventually([] { return !camEventThreadRunning(); }));
    camStopEventThread(true);
    EXPECT_EQ(calls.load(), 1);
}

TEST_F(EventThreadTest, BusyPollMutexSkipsTheCycleSilently) {
    std::atomic<int> errors{0};
    camLockEventPoll();  // a confirmation loop holds the poll
    camStartEventThread([&](ResponseCode) { errors++; });
    uint64_t start = camEventThreadCycles();
    ASSERT_TRUE(eventually([&] { return camEventThreadCycles() >= start + 3; }));
    EXPECT_EQ(pollCommands(), 0u);
    camUnlockEventPoll();
    ASSERT_TRUE(eventually([&] { return pollCommands() > 0; }));
    camStopEventThread(true);
    EXPECT_EQ(errors.load(), 0);
    EXPECT_EQ(camPollEvents(false, false), PTP_RC_OK);  // a poll by hand needs no thread
}

TEST_F(EventThreadTest, PauseAndResumeFromOtherThreads) {
    camStartEventThread(nullptr);
    ASSERT_TRUE(eventually([] { return camEventThreadCycles() >= 1; }));
    std::thread([] { EXPECT_TRUE(camPauseEvents()); }).join();  // paused by a worker that then goes away
    EXPECT_TRUE(camEventsPaused());
    uint64_t cycles = camEventThreadCycles();
    size_t polled = pollCommands();
    // Paused: no poll reaches the device over several intervals.
    EXPECT_FALSE(device.waitForLog(device.logSize() + 1, engineWait(engine_timing::kEventPollInterval) * 4));
    EXPECT_EQ(camEventThreadCycles(), cycles);
    EXPECT_EQ(pollCommands(), polled);
    std::thread([] { EXPECT_TRUE(camResumeEvents()); }).join();  // resumed by yet another thread
    EXPECT_FALSE(camEventsPaused());
    EXPECT_FALSE(camResumeEvents());  // nothing left to resume
    ASSERT_TRUE(eventually([&] { return camEventThreadCycles() > cycles; }));

    // A second start releases a pause left behind instead of starting another thread.
    camPauseEvents();
    camStartEventThread(nullptr);
    EXPECT_FALSE(camEventsPaused());
    camStopEventThread(true);
}

TEST_F(EventThreadTest, SetWithConfirmationFromThePumpDoesNotWaitForItself) {
    std::promise<ResponseCode> result;
    std::atomic<bool> once{false};
    camSetEventsDoneCallback([&] {
        for (CameraEvent e; camPopEvent(&e)->code != 0;) {
        }
        if (!once.exchange(true)) result.set_value(propSet(0x5005, 4, true));  // on the event thread, mid-poll
    });
    propertyCamera->changeOnCamera(0x5005, 6);
    camStartEventThread(nullptr);
    auto future = result.get_future();
    ASSERT_EQ(future.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(future.get(), PTP_RC_OK);
    EXPECT_EQ(propertyCamera->property(0x5005)->current, 4);
    camStopEventThread(true);
    EXPECT_FALSE(camEventsPaused());
}

// A poll function that notes how many polls run at the same time.
std::atomic<int> gInPoll{0};
std::atomic<int> gMaxInPoll{0};
std::atomic<int> gPolls{0};
ResponseCode countingPoll(HeapBlock*, uint8_t) {
    int now = gInPoll.fetch_add(1) + 1;
    int seen = gMaxInPoll.load();
    while (now > seen && !gMaxInPoll.compare_exchange_weak(seen, now)) {
    }
    std::this_thread::sleep_for(200us);
    gPolls.fetch_add(1);
    gInPoll.fetch_sub(1);
    return PTP_RC_OK;
}

TEST(EventThreadLifecycle, StartIsIdempotentAndARestartAfterStopWithoutJoinLeavesOnePoller) {
    test_vendor::resetCoreState();
    engine_timing::scale().store(0.002);  // 1 ms between polls
    camSetVendor(VENDOR_SONY);
    ptpSetEventPollFunction(countingPoll);
    gMaxInPoll = 0;
    gPolls = 0;
    for (int i = 0; i < 30; ++i) {
        camStartEventThread(nullptr);
        camStartEventThread(nullptr);
        int before = gPolls.load();
        ASSERT_TRUE(eventually([&] { return gPolls.load() > before; }));
        camStopEventThread(false);
    }
    camStartEventThread(nullptr);
    camStopEventThread(true);
    EXPECT_EQ(gMaxInPoll.load(), 1);
    EXPECT_FALSE(camEventThreadRunning());
    test_vendor::resetCoreState();
    engine_timing::scale().store(1.0);
}

ResponseCode emptyPoll(HeapBlock*, uint8_t) { return PTP_RC_OK; }

TEST(EventThreadLifecycle, NikonBatteryLevelIsReadAgainEveryThirtyFirstCycle) {
    test_vendor::resetCoreState();
    engine_timing::scale().store(0.002);
    test_vendor::FakeNikon nikon;
    vendorRegisterNikon(&nikon);
    camSetVendor(VENDOR_NIKON);
    camFillVendorPropertyCodes();
    ptpSetEventPollFunction(emptyPoll);
    camStartEventThread(nullptr);
    ASSERT_TRUE(eventually([] { return camEventThreadCycles() >= 70; }));
    camStopEventThread(true);
    uint64_t cycles = camEventThreadCycles();
    EXPECT_EQ(static_cast<uint64_t>(nikon.refreshes.load()), cycles / 31);
    EXPECT_EQ(nikon.lastRefreshed.load(), 0x5001u);
    test_vendor::resetCoreState();
    engine_timing::scale().store(1.0);
}

// A session that loses its camera while a set with confirmation holds the pause stops the thread with join from
// the pausing thread: the thread waiting for the pause must end instead of waiting for a release that never comes.
// (The stop runs on a helper thread here only so that the test ends either way.)
TEST(EventThreadLifecycle, StopWithJoinWhilePausedEndsWithoutWaitingForTheResume) {
    test_vendor::resetCoreState();
    engine_timing::scale().store(0.002);
    camSetVendor(VENDOR_SONY);
    ptpSetEventPollFunction(emptyPoll);
    camStartEventThread(nullptr);
    ASSERT_TRUE(eventually([] { return camEventThreadCycles() >= 1; }));
    const uint64_t ticket = camPauseEventsTicket();
    ASSERT_NE(ticket, 0u);
    // Past the thread's sleep between polls: it now waits for the pause (nothing announces that).
    std::this_thread::sleep_for(engineWait(engine_timing::kEventPollInterval) * 5);
    auto stopped = std::async(std::launch::async, [] { return camStopEventThread(true); });
    const bool ended = stopped.wait_for(5s) == std::future_status::ready;
    EXPECT_TRUE(ended) << "the stop waited for a pause its own caller holds";
    EXPECT_TRUE(camResumeEventsTicket(ticket));  // the pause is still the caller's to release
    stopped.wait();
    EXPECT_FALSE(camEventThreadRunning());
    test_vendor::resetCoreState();
    engine_timing::scale().store(1.0);
}

TEST(EventThreadLifecycle, PollWithoutAPollFunctionIsAGeneralError) {
    test_vendor::resetCoreState();
    EXPECT_EQ(camPollEvents(true, false), ERROR_GENERAL);
    camLockEventPoll();
    EXPECT_EQ(camPollEvents(false, false), ERROR_BUSY);
    EXPECT_EQ(camPollEvents(false, true), ERROR_GENERAL);  // held by the caller: not taken again
    camUnlockEventPoll();
}

}  // namespace
