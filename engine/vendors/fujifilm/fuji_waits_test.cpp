// Every wait of the Fujifilm module on the camera ends: a camera that stays busy, an autofocus that never decides,
// live view that will not come back, a focus stack cancelled or left in Bulb; and a tap release reports what the
// camera answered.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/ptp/property_access.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_operations.h"
#include "engine/vendors/fujifilm/fuji_test_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

class FujiWaitsTest : public FujiDeviceTest {};

TEST_F(FujiWaitsTest, BusyCameraEndsTheNotBusyProbe) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    fuji->answerBusy(10000);
    auto start = Clock::now();
    EXPECT_EQ(fujiWaitNotBusy(), PTP_RC_DEVICE_BUSY);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    fuji->answerBusy(0);
}

TEST_F(FujiWaitsTest, CancelledFocusStackShot) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(propSet(0x500D, 64000030, true), PTP_RC_OK);  // 120 s: 6 s at the tests' time scale
    std::thread cancel([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        vendorFuji()->cancelFocusStack();
    });
    auto start = Clock::now();
    EXPECT_EQ(vendorFuji()->focusStackShot(), ERROR_CANCELLED);
    cancel.join();
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(fuji->shots(), 1);
    fujiClearFocusStackCancel();
}

TEST_F(FujiWaitsTest, FocusStackShotInBulbDoesNotWaitForever) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(propSet(0x500D, 0xFFFFFFFF, true), PTP_RC_OK);
    auto start = Clock::now();
    EXPECT_EQ(vendorFuji()->focusStackShot(), ERROR_BULB_MODE_INVALID);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
}

TEST_F(FujiWaitsTest, TimedFocusStackShotWaitsItsExposure) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(propSet(0x500D, 2000000, true), PTP_RC_OK);  // 2 s + 0.15 s, 107 ms scaled
    auto start = Clock::now();
    EXPECT_EQ(vendorFuji()->focusStackShot(), PTP_RC_OK);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(fuji->shots(), 1);
}

TEST_F(FujiWaitsTest, LiveViewThatStaysBusyEndsTheHalfPressRelease) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    ASSERT_EQ(camHalfPress(), PTP_RC_OK);  // the X-T3 stops live view to take the setting
    EXPECT_FALSE(fuji->liveViewOn());
    fuji->refuseLiveView(1000);
    auto start = Clock::now();
    EXPECT_EQ(camHalfPressRelease(), PTP_RC_DEVICE_BUSY);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    fuji->refuseLiveView(0);
}

TEST_F(FujiWaitsTest, PicturesThatNeverLeaveTheCameraEndTheWaitBeforeAShot) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    fuji->addJpegObject(4096);  // an object the device never takes over
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    auto start = Clock::now();
    EXPECT_EQ(camCapture(), PTP_RC_DEVICE_BUSY);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    EXPECT_EQ(fuji->shots(), 0);
    EXPECT_FALSE(camEventsPaused());
}

TEST_F(FujiWaitsTest, ReleaseWaitsOutATimedExposureBeforeLiveViewReturns) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(propSet(0x500D, 2000000, true), PTP_RC_OK);  // 2 s: 100 ms at the tests' time scale
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    auto start = Clock::now();
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(95));
    EXPECT_TRUE(fuji->liveViewOn());
}

class FujiSlowFocusTest : public FujiDeviceTest {
protected:
    devicesim::FujiCameraOptions cameraOptions() override {
        devicesim::FujiCameraOptions o;
        o.afReads = 100000;  // the camera never decides
        return o;
    }
};

TEST_F(FujiSlowFocusTest, UndecidedAutofocusCountsAsFailedAndPollingResumes) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    auto start = Clock::now();
    EXPECT_EQ(camCapture(), kFujiOutOfFocus);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    EXPECT_FALSE(camEventsPaused());
    EXPECT_EQ(fuji->captureModes(), (std::vector<uint32_t>{0x200, 4}));
}

class FujiGfxWaitsTest : public FujiDeviceTest {
protected:
    devicesim::FujiCameraOptions cameraOptions() override {
        devicesim::FujiCameraOptions o;
        o.body = devicesim::FujiBody::Gfx100;  // no tap focus of its own
        return o;
    }
};

TEST_F(FujiGfxWaitsTest, TapReleaseReportsTheCamerasAnswer) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(propSet(0x500A, 1, true), PTP_RC_OK);
    ASSERT_EQ(camLiveViewTap(), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0x500A)->current, 0x8001);
    fuji->answerBusy(10000);
    ResponseCode rc = camLiveViewTapRelease();
    fuji->answerBusy(0);
    EXPECT_NE(rc, PTP_RC_OK);
    EXPECT_EQ(fuji->property(0x500A)->current, 0x8001);
    // Once the camera takes it, the focus mode goes back.
    EXPECT_EQ(camLiveViewTapRelease(), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0x500A)->current, 1);
}

}  // namespace
