// The classic focus stack of every vendor against one simulated body each: the pictures and the callback, the lens
// moved between the pictures, and a cancel that ends the run during a long delay and leaves the body idle.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "engine/automation/focus_stack.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/event_thread.h"
#include "engine/vendors/canon/canon_test_fixture.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/fujifilm/fuji_test_fixture.h"
#include "engine/vendors/nikon/nikon_test_fixture.h"
#include "engine/vendors/sony/sony_test_fixture.h"
#include "engine/vendors/vendor_module.h"

namespace {

using Clock = std::chrono::steady_clock;

// What a test reads off the simulated body.
struct BodyProbe {
    std::function<int()> shots;
    std::function<int64_t()> lens;  // the lens position as the body keeps it
    std::function<bool()> idle;     // no button held, no exposure open
};

struct Seen {
    uint32_t reported;
    int shots;
    int64_t lens;
};

// Five pictures, each at its own lens position `move` further than the last, the callback told 1 to 5. A cancel
// left over from an earlier run does not stop this one.
void expectFiveShotStack(const BodyProbe& body, int step, int64_t move) {
    const int shots0 = body.shots();
    const int64_t lens0 = body.lens();
    focusStackCancel();
    std::vector<Seen> seen;
    ASSERT_EQ(focusStackClassicRun(5, step, 0, [&](uint32_t i) { seen.push_back({i, body.shots(), body.lens()}); }),
              PTP_RC_OK);
    ASSERT_EQ(seen.size(), 5u);
    for (size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].reported, i + 1);
        EXPECT_EQ(seen[i].shots, shots0 + static_cast<int>(i) + 1);
        EXPECT_EQ(seen[i].lens, lens0 + move * static_cast<int64_t>(i));
    }
    EXPECT_EQ(body.shots(), shots0 + 5);
    EXPECT_EQ(body.lens(), lens0 + 4 * move);
    EXPECT_TRUE(body.idle());
    EXPECT_FALSE(camEventsPaused());
}

// A run cancelled from another thread while it waits its delay after the second picture: 0xFF16 well before the
// delay would have ended, two pictures, one lens move, the body idle. The delay is chosen per body so that at least
// two seconds of it remain when the cancel comes.
void expectCancelDuringDelay(const BodyProbe& body, int step, int64_t move, uint32_t delayMs) {
    const int shots0 = body.shots();
    const int64_t lens0 = body.lens();
    std::atomic<bool> second{false};
    std::atomic<int64_t> cancelledAt{0};
    std::thread canceller([&] {
        const auto limit = Clock::now() + std::chrono::seconds(30);
        while (!second.load() && Clock::now() < limit) std::this_thread::yield();
        // Let the run reach its wait: the cancel is to cut the wait short, not to be seen before it.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        cancelledAt.store(Clock::now().time_since_epoch().count());
        focusStackCancel();
    });
    std::vector<uint32_t> reported;
    ResponseCode rc = focusStackClassicRun(5, step, delayMs, [&](uint32_t i) {
        reported.push_back(i);
        if (i == 2) second.store(true);
    });
    const auto ended = Clock::now();
    canceller.join();
    EXPECT_EQ(rc, ERROR_CANCELLED);
    const auto late = ended - Clock::time_point(Clock::duration(cancelledAt.load()));
    EXPECT_LT(late, std::chrono::milliseconds(700));
    EXPECT_EQ(reported, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(body.shots(), shots0 + 2);
    EXPECT_EQ(body.lens(), lens0 + move);
    EXPECT_TRUE(body.idle());
    EXPECT_FALSE(camEventsPaused());
}

class CanonStack : public CanonDeviceTest {
protected:
    devicesim::CanonCameraOptions cameraOptions() override {
        devicesim::CanonCameraOptions o;
        o.body = devicesim::CanonBody::Mirrorless;
        o.jpegSize = 30 * 1024;
        return o;
    }
    BodyProbe probe() {
        return {[this] { return canon->shots(); }, [this] { return canon->lensPosition(); },
                [this] { return !canon->halfPressed() && !canon->fullPressed(); }};
    }
};

// A positive step is toward near: the body counts 0x8000 + n as n positions back.
TEST_F(CanonStack, FiveShotsAndACancel) {
    ASSERT_EQ(openCanonSession(), PTP_RC_OK);
    expectFiveShotStack(probe(), 2, -2);
    EXPECT_EQ(sent(0x9155).size(), 4u);
    expectCancelDuringDelay(probe(), -3, 3, 2500);
}

// Lens drives of `count` steps: Canon in packets of at most 300 repetitions, a near step as 0x8000 + n.
TEST_F(CanonStack, LensDriveGoesOutInPacketsOf300) {
    ASSERT_EQ(openCanonSession(), PTP_RC_OK);
    ASSERT_EQ(focusDriveSteps(10, 650), PTP_RC_OK);
    ASSERT_EQ(focusDriveSteps(-4, 1), PTP_RC_OK);
    using Drives = std::vector<std::pair<uint32_t, uint16_t>>;
    EXPECT_EQ(canon->lensDrives(), (Drives{{10, 300}, {10, 300}, {10, 50}, {0x8004, 1}}));
    EXPECT_EQ(focusDriveSteps(10, 0), PTP_RC_OK);
    EXPECT_EQ(canon->lensDrives().size(), 4u);
    EXPECT_TRUE(camIsManualFocus());
}

class NikonStack : public NikonDeviceTest {
protected:
    BodyProbe probe() {
        return {[this] { return nikon->shots(); }, [this] { return nikon->focusPosition(); },
                [this] { return !nikon->bulbOpen(); }};
    }
};

// The Nikon loop always drives far (direction 2) by step² × 32.
TEST_F(NikonStack, FiveShotsAndACancel) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    expectFiveShotStack(probe(), 1, 32);
    EXPECT_EQ(sent(0x9204), (std::vector<std::vector<uint32_t>>(4, {2, 32})));
    expectCancelDuringDelay(probe(), 2, 128, 2500);
    HeapBlock frame;
    EXPECT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);  // live view is no longer held off by the stack
}

// Nikon drives toward near (1) for a positive step and far (2) for a negative one, by step × count.
TEST_F(NikonStack, LensDriveMovesStepTimesCount) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    const int64_t start = nikon->focusPosition();
    ASSERT_EQ(focusDriveSteps(15, 2), PTP_RC_OK);
    EXPECT_EQ(nikon->focusPosition(), start - 30);
    ASSERT_EQ(focusDriveSteps(-75, 1), PTP_RC_OK);
    EXPECT_EQ(nikon->focusPosition(), start + 45);
    const auto drives = sent(0x9204);
    ASSERT_FALSE(drives.empty());
    EXPECT_EQ(drives.front(), (std::vector<uint32_t>{1, 30}));
    EXPECT_EQ(drives.back(), (std::vector<uint32_t>{2, 75}));
}

class SonyStack : public SonyDeviceTest {
protected:
    devicesim::SonyCameraOptions cameraOptions() override {
        devicesim::SonyCameraOptions o;
        o.body = devicesim::SonyBody::A7M3;
        o.jpegSize = 30 * 1024;
        return o;
    }
    // The lens drive writes signed amounts: the position is their sum.
    BodyProbe probe() {
        return {[this] { return sony->shots(); },
                [this] {
                    int64_t sum = 0;
                    for (const auto& w : writes())
                        if (w.first == 0xD2D1) sum += w.second;
                    return sum;
                },
                [this] {
                    // Every shutter button written down was written up again.
                    int held = 0;
                    for (const auto& w : writes())
                        if (w.first == 0xD2C1 || w.first == 0xD2C2) held += w.second == 2 ? 1 : -1;
                    return held == 0;
                }};
    }
};

// The classic Sony step table: 1 → 3 and −2 → −4.
TEST_F(SonyStack, FiveShotsAndACancel) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    ASSERT_EQ(camSetManualFocus(1, false), PTP_RC_OK);
    pollUntil(PTP_EC_DevicePropChanged);
    ASSERT_TRUE(camIsManualFocus());
    expectFiveShotStack(probe(), 1, 3);
    expectCancelDuringDelay(probe(), -2, -4, 50000);  // the Sony loop scales its delay with the test's waits
}

TEST_F(SonyStack, LensDriveWritesMinusStepTimesCount) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    const size_t before = writes().size();
    ASSERT_EQ(focusDriveSteps(2, 3), PTP_RC_OK);
    ASSERT_EQ(focusDriveSteps(-7, 2), PTP_RC_OK);
    auto all = writes();
    using Writes = std::vector<std::pair<uint16_t, int32_t>>;
    Writes lens;
    for (size_t i = before; i < all.size(); ++i)
        if (all[i].first == 0xD2D1) lens.push_back(all[i]);
    EXPECT_EQ(lens, (Writes{{0xD2D1, -6}, {0xD2D1, 14}}));
}

class FujiStack : public FujiDeviceTest {
protected:
    devicesim::FujiCameraOptions cameraOptions() override {
        devicesim::FujiCameraOptions o;
        o.jpegSize = 30 * 1024;
        return o;
    }
    BodyProbe probe() {
        return {[this] { return fuji->shots(); }, [this] { return fuji->property(0xD171)->current; },
                [this] { return !fuji->halfPressed() && !fuji->bulbOpen(); }};
    }
};

// The Fujifilm loop steps by −step through the focus step: class 1 is 6 position units.
TEST_F(FujiStack, FiveShotsAndACancel) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    expectFiveShotStack(probe(), 1, -6);
    expectCancelDuringDelay(probe(), -2, 50, 2500);
}

TEST_F(FujiStack, LensDriveMovesTheFocusPositionByStepTimesCount) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    const int64_t start = fuji->property(0xD171)->current;
    ASSERT_EQ(focusDriveSteps(6, 5), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD171)->current, start + 30);
    ASSERT_EQ(focusDriveSteps(-20, 2), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD171)->current, start - 10);
}

TEST_F(FujiStack, OneShotTakesThePictureWithoutMovingTheLens) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    const int64_t lens = fuji->property(0xD171)->current;
    std::vector<uint32_t> reported;
    EXPECT_EQ(focusStackClassicRun(1, 3, 0, [&](uint32_t i) { reported.push_back(i); }), PTP_RC_OK);
    EXPECT_EQ(reported, (std::vector<uint32_t>{1}));
    EXPECT_EQ(fuji->shots(), 1);
    EXPECT_EQ(fuji->property(0xD171)->current, lens);
    EXPECT_EQ(focusStackClassicRun(0, 3, 0, nullptr), PTP_RC_OK);
    EXPECT_EQ(fuji->shots(), 1);
}

}  // namespace
