// The Nikon camera operations against the stand-in device: capture and its device-ready poll, the buffer-full
// mark, autofocus failure, bulb, movie, zoom, manual focus, the setter's special cases and the classic focus stack.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_access.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_live_view.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/nikon/nikon_test_fixture.h"

namespace {

using devicesim::NikonBody;

class NikonOperations : public NikonDeviceTest {
protected:
    devicesim::NikonCameraOptions cameraOptions() override { return options; }
    // The device started again with another body.
    void restartWith(NikonBody body, const char* model = "") {
        TearDown();
        options = {};
        options.body = body;
        options.model = model;
        SetUp();
    }
    devicesim::NikonCameraOptions options;
};

TEST_F(NikonOperations, ABufferFullAnswerMarksTheNextCaptureAsManual) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    takeEvents();
    nikon->fillBuffer(1);
    EXPECT_EQ(camCapture(), kNikonBufferFull);
    EXPECT_EQ(nikon->shots(), 0);
    EXPECT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_EQ(nikon->shots(), 1);
    EXPECT_EQ(nikon->captureFirstParams(), (std::vector<uint32_t>{0xFFFFFFFE, 0xFFFFFFFF}));
    EXPECT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_EQ(nikon->captureFirstParams().back(), 0xFFFFFFFEu);  // the mark was cleared
    // The mark was told to the interface when set and when cleared.
    int marks = 0;
    for (const CameraEvent& e : takeEvents())
        marks += e.code == PTP_EC_DevicePropChanged && e.property.propertyCode == 0xD1BF;
    EXPECT_EQ(marks, 2);
}

TEST_F(NikonOperations, ACameraThatStaysBusyEndsTheWaitsWithItsCode) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    nikon->answerBusy(1000000);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(camCapture(), PTP_RC_DEVICE_BUSY);
    EXPECT_EQ(nikonDeviceReadyWait(), PTP_RC_DEVICE_BUSY);
    EXPECT_EQ(nikonMfDrive(1, 10), PTP_RC_DEVICE_BUSY);
    EXPECT_EQ(nikonFocusStackShot(), PTP_RC_DEVICE_BUSY);
    // Each wait gives up after its time limit (scaled down here), never loops on.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(nikon->shots(), 0);
}

TEST_F(NikonOperations, TheCaptureModeComesBackAfterLiveViewOnTheModelThatKeepsIt) {
    restartWith(NikonBody::D7000, "D3X");
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    ASSERT_EQ(propSet(0x5013, 0x8010, true), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(false), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0x5013), 1);
    // This model's capture takes the one parameter.
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_EQ(sent(0x9207).back(), std::vector<uint32_t>{0xFFFFFFFF});
}

TEST_F(NikonOperations, MirrorlessLiveViewIsOnFromTheStart) {
    restartWith(NikonBody::Z6);
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    bool on = false;
    EXPECT_EQ(nikonLiveViewStatus(&on, true), PTP_RC_OK);
    EXPECT_TRUE(on);
    HeapBlock frame;
    EXPECT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);
    EXPECT_TRUE(sent(0x9201).empty());
    EXPECT_EQ(sent(0x9428).size(), 1u);
    EXPECT_TRUE(sent(0x9203).empty());
}

TEST_F(NikonOperations, AFocusFailureStopsTheCapture) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    nikon->failNextAutoFocus();
    EXPECT_EQ(camCapture(), 0xA002);
    EXPECT_EQ(sent(0x9206).size(), 1u);
    EXPECT_EQ(nikon->shots(), 0);
}

TEST_F(NikonOperations, ABodyWithoutCaptureWithAfUsesInitiateCapture) {
    restartWith(NikonBody::D90);
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    EXPECT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_EQ(sent(0x100E), (std::vector<std::vector<uint32_t>>{{0, 0}}));
    EXPECT_TRUE(sent(0x9207).empty());
    EXPECT_EQ(nikon->shots(), 1);
}

TEST_F(NikonOperations, BulbOpensAndClosesTheShutter) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(propSet(0xD100, 0xFFFFFFFF, true), PTP_RC_OK);
    EXPECT_EQ(camBulbStart(), PTP_RC_OK);
    EXPECT_TRUE(nikon->bulbOpen());
    EXPECT_EQ(nikon->shots(), 0);
    EXPECT_EQ(camManualFocusFlag(), 0u);  // kept as it was
    EXPECT_EQ(camBulbStop(), PTP_RC_OK);
    EXPECT_FALSE(nikon->bulbOpen());
    EXPECT_EQ(nikon->shots(), 1);
    EXPECT_EQ(sent(0x910C), (std::vector<std::vector<uint32_t>>{{0, 0}}));
}

TEST_F(NikonOperations, MovieRecordingNeedsLiveView) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    EXPECT_EQ(camMovieRecordStart(), 0xA004);
    EXPECT_TRUE(sent(0x920A).empty());
    ASSERT_EQ(camMovieModeOn(), PTP_RC_OK);
    EXPECT_TRUE(nikon->liveViewOn());
    EXPECT_EQ(nikon->value(0xD1A6), 1);
    ASSERT_EQ(camMovieRecordStart(), PTP_RC_OK);
    EXPECT_TRUE(nikon->recording());
    camStartEventThread(nullptr);  // the movie object ends the stop's wait through the event list
    EXPECT_EQ(camMovieRecordStop(), PTP_RC_OK);
    camStopEventThread(true);
    EXPECT_FALSE(nikon->recording());
    ASSERT_EQ(camMovieModeOff(), PTP_RC_OK);
    EXPECT_FALSE(nikon->liveViewOn());
}

TEST_F(NikonOperations, ZoomValuesFollowTheModel) {
    struct Case {
        NikonBody body;
        const char* model;
        uint32_t percent;
        uint16_t code;
        int64_t value;
    };
    const Case cases[] = {
        {NikonBody::D90, "", 200, 0xD1A3, 5},    {NikonBody::D90, "", 50, 0xD1A3, 3},
        {NikonBody::D850, "", 100, 0xD1A3, 6},   {NikonBody::D850, "", 30, 0xD1A3, 0},
        {NikonBody::Z6, "", 200, 0xD1BD, 512},   {NikonBody::Z6, "", 100, 0xD1BD, 1024},
        {NikonBody::Z6, "Z 5", 200, 0xD1BD, 360}, {NikonBody::Z6, "Z 5", 100, 0xD1BD, 720},
    };
    for (const Case& c : cases) {
        restartWith(c.body, c.model);
        ASSERT_EQ(openNikonSession(), PTP_RC_OK) << c.model;
        ASSERT_EQ(camLiveViewZoom(c.percent), PTP_RC_OK) << c.percent;
        EXPECT_EQ(nikon->value(c.code), c.value) << c.percent << " " << c.model;
        EXPECT_EQ(camSupportsZoom200(), c.body != NikonBody::D90);
    }
}

TEST_F(NikonOperations, ManualFocusByPriorityOnABodyWithoutTheAfModeProperty) {
    restartWith(NikonBody::D90);
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    EXPECT_TRUE(camIsAutoFocus());
    ASSERT_EQ(camSetManualFocus(1, false), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0xD049), 1);
    EXPECT_EQ(camManualFocusFlag(), 1u);
    ASSERT_EQ(camSetManualFocus(0, false), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0xD049), 0);
    EXPECT_EQ(camManualFocusFlag(), 0u);
}

TEST_F(NikonOperations, SetterSpecialCases) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    EXPECT_EQ(nikonSetProperty(0xD407, 1), PTP_ERROR_UNSUPPORTED_COMMAND);
    // Auto ISO goes out inverted: 1 (on) is the camera's 0.
    EXPECT_EQ(nikonStoreValue(0xD16A), 1u);
    EXPECT_TRUE(camIsAutoIso());
    ASSERT_EQ(propSet(0xD16A, 0, true), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0xD16A), 1);
    EXPECT_FALSE(camIsAutoIso());
    ASSERT_EQ(propSet(0xD16A, 1, true), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0xD16A), 0);
    EXPECT_TRUE(camIsAutoIso());
    // A text value outside the allowed names is refused without a request.
    size_t sets = sent(0x1016).size();
    EXPECT_EQ(nikonSetProperty(0x5003, 7), ERROR_BUILD);
    EXPECT_EQ(sent(0x1016).size(), sets);
}

TEST_F(NikonOperations, ColourTemperatureIsKelvinOnTheIndexModel) {
    restartWith(NikonBody::D7000, "D610");
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    EXPECT_EQ(nikonStoreValue(0xD01E), 5000u);  // index 20
    ASSERT_EQ(propSet(0xD01E, 5560, true), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0xD01E), 22);
    EXPECT_EQ(nikonStoreValue(0xD01E), 5560u);
}

TEST_F(NikonOperations, ColourTemperatureIsLeftAloneOnOtherModels) {
    restartWith(NikonBody::D7000);
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    EXPECT_EQ(nikonStoreValue(0xD01E), 20u);
    ASSERT_EQ(propSet(0xD01E, 22, true), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0xD01E), 22);
}

TEST_F(NikonOperations, ClassicFocusStackTakesItsShotsAndMovesTheLens) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    std::vector<uint32_t> progress;
    size_t framesBefore = sent(0x9203).size();
    ResponseCode duringStack = 0;
    ResponseCode rc = vendorNikon()->focusStackRun(3, 2, 50, 0, [&](uint32_t shot) {
        progress.push_back(shot);
        HeapBlock frame;
        duringStack = camLiveViewFrame(&frame);
    });
    EXPECT_EQ(rc, PTP_RC_OK);
    EXPECT_EQ(progress, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(nikon->shots(), 3);
    EXPECT_EQ(nikon->focusPosition(), 600);
    EXPECT_EQ(duringStack, PTP_RC_DEVICE_BUSY);
    EXPECT_EQ(sent(0x9203).size(), framesBefore);  // nothing was asked of the camera meanwhile
    HeapBlock frame;
    EXPECT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);
}

TEST_F(NikonOperations, ACancelledFocusStackAnswersCancelled) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    ResponseCode rc = vendorNikon()->focusStackRun(5, 1, 50, 0, [&](uint32_t shot) {
        if (shot == 2) vendorNikon()->cancelFocusStack();
    });
    EXPECT_EQ(rc, ERROR_CANCELLED);
    EXPECT_EQ(nikon->shots(), 2);
    HeapBlock frame;
    EXPECT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);  // the running mark is gone
}

TEST_F(NikonOperations, HostModeRefreshReadsTheExposureRecordsAgain) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    size_t reads = sent(0x1014).size();
    ASSERT_EQ(camSetHostMode(0, 1), PTP_RC_OK);
    EXPECT_FALSE(nikon->hostMode());
    EXPECT_FALSE(vendorNikon()->clientMode());
    // 0x500B, 0x501C (absent), 0x5013, 0x500E, 0x500F and the focus-mode record.
    EXPECT_EQ(sent(0x1014).size(), reads + 5);
    ASSERT_EQ(camSetHostMode(1, 0), PTP_RC_OK);
    EXPECT_TRUE(vendorNikon()->clientMode());
}

// The live-view focus mode 0xD061 follows the autofocus mode 0xD161 when live view starts: 2 (continuous) for AF-C,
// else 0 (single).
TEST_F(NikonOperations, LiveViewOnSetsTheLiveViewFocusModeFromTheAutofocusMode) {
    struct Case {
        int64_t autofocus, liveViewBefore, liveViewAfter;
    };
    const Case cases[] = {{1, 0, 2}, {0, 2, 0}, {4, 2, 0}};
    for (const Case& c : cases) {
        restartWith(NikonBody::D850);
        nikon->turnDial(0xD161, c.autofocus);
        nikon->turnDial(0xD061, c.liveViewBefore);
        ASSERT_EQ(openNikonSession(), PTP_RC_OK);
        ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
        EXPECT_EQ(nikon->value(0xD061), c.liveViewAfter) << "autofocus mode " << c.autofocus;
    }
}

// And back when it ends: 0xD061 at 2 gives AF-C (1), at 4 or with manual focus MF (4), otherwise AF-S (0).
TEST_F(NikonOperations, LiveViewOffMapsTheLiveViewFocusModeBackToTheAutofocusMode) {
    struct Case {
        int64_t liveView;
        bool manual;
        int64_t autofocusBefore, autofocusAfter;
    };
    const Case cases[] = {{2, false, 0, 1}, {4, false, 0, 4}, {0, true, 1, 4}, {0, false, 1, 0}, {1, false, 4, 0}};
    for (const Case& c : cases) {
        restartWith(NikonBody::D850);
        ASSERT_EQ(openNikonSession(), PTP_RC_OK);
        ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
        ASSERT_EQ(propSet(0xD061, static_cast<uint32_t>(c.liveView), true), PTP_RC_OK);
        nikon->turnDial(0xD161, c.autofocusBefore);
        camSetManualFocusFlag(c.manual ? 1 : 0);
        ASSERT_EQ(camToggleLiveView(false), PTP_RC_OK);
        EXPECT_FALSE(nikon->liveViewOn());
        EXPECT_EQ(nikon->value(0xD161), c.autofocusAfter) << "live-view focus mode " << c.liveView << " manual "
                                                          << c.manual;
    }
}

// In live view the camera does not focus for the capture: every capture focuses first with the autofocus
// operation, also the one after a full buffer, and a tap focuses once.
TEST_F(NikonOperations, InLiveViewEveryCaptureFocusesFirstWithTheAutofocusOperation) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    int focused = nikon->autoFocusCount();
    nikon->fillBuffer(1);
    EXPECT_EQ(camCapture(), kNikonBufferFull);
    EXPECT_EQ(nikon->autoFocusCount(), focused + 1);
    EXPECT_EQ(camCapture(), PTP_RC_OK);  // the buffer-full mark is set
    EXPECT_EQ(nikon->autoFocusCount(), focused + 2);
    EXPECT_EQ(nikon->shots(), 1);
    // Focused already: neither capture asks the camera to focus again.
    EXPECT_EQ(nikon->captureFirstParams(), (std::vector<uint32_t>{0xFFFFFFFF, 0xFFFFFFFF}));
    EXPECT_EQ(camLiveViewTap(), PTP_RC_OK);
    EXPECT_EQ(nikon->autoFocusCount(), focused + 3);
    EXPECT_EQ(sent(kNikonOpAutoFocus).size(), 3u);
}

// A shot that fills the buffer (reported by the capture, or by the device-ready poll after it) is taken again.
TEST_F(NikonOperations, AFocusStackShotIsTakenAgainWhileTheBufferIsFull) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    nikon->fillBufferAfterCapture(1);
    EXPECT_EQ(nikonFocusStackShot(), PTP_RC_OK);
    ASSERT_EQ(nikon->captureFirstParams().size(), 2u);
    EXPECT_EQ(nikon->captureFirstParams()[1], 0xFFFFFFFFu);  // the retake knows the buffer was full
    nikon->fillBuffer(2);
    EXPECT_EQ(nikonFocusStackShot(), PTP_RC_OK);
    EXPECT_EQ(nikon->captureFirstParams().size(), 5u);
    EXPECT_EQ(nikon->shots(), 3);
    EXPECT_FALSE(nikonState().bufferFull.load());
}

// A frame fetch that finds the live-view lock taken answers 0xFF13 without looking at the focus-stack mark, which
// the holder of the lock may be changing, and without asking the camera.
TEST_F(NikonOperations, AFrameFetchThatCannotTakeTheLiveViewLockAnswersBusy) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    NikonState& s = nikonState();
    std::promise<void> held, release;
    std::thread holder([&] {
        std::lock_guard<std::mutex> g(s.liveViewMutex);
        s.focusStackRunning = true;  // a stack starting
        held.set_value();
        release.get_future().wait();
        s.focusStackRunning = false;
    });
    held.get_future().wait();
    size_t frames = sent(0x9203).size();
    HeapBlock frame;
    EXPECT_EQ(camLiveViewFrame(&frame), ERROR_BUSY);
    release.set_value();
    holder.join();
    EXPECT_EQ(sent(0x9203).size(), frames);
    EXPECT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);
}

// The stored 0x5004 carries the image and raw sizes in its upper bits: RAW only is read from the quality alone.
TEST_F(NikonOperations, RawOnlyIsReadFromTheQualityWhateverTheSizes) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camSetImageFormat(-1, 2 | 0x10000), PTP_RC_OK);  // JPEG (NORM), size M
    EXPECT_FALSE(camFormatIsRawOnly());
    ASSERT_EQ(camSetImageFormat(7, -1), PTP_RC_OK);  // RAW alone; the size stays M
    EXPECT_EQ(nikonStoreValue(0x5004), 7u | 0x10000u);
    EXPECT_TRUE(camFormatIsRawOnly());
    EXPECT_FALSE(camFormatIsRawPlusJpeg());
    restartWith(NikonBody::D90);  // the older coding: RAW alone is 4
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camSetImageFormat(4, -1), PTP_RC_OK);
    nikon->turnTextDial(0x5003, "3024x2016");
    pollUntil(PTP_EC_DevicePropChanged);
    EXPECT_EQ(nikonStoreValue(0x5004), 4u | 0x20000u);
    EXPECT_TRUE(camFormatIsRawOnly());
}

// Bracket steps read in stops by the model's step table (0 while bracketing is off), and the largest step the
// camera offers (steps 0-5 here).
TEST_F(NikonOperations, BracketStepsReadInStopsAndTheLargestStep) {
    struct Case {
        NikonBody body;
        float stops[6];
        float largest;
    };
    const Case cases[] = {
        {NikonBody::D850, {1.0f / 3, 0.0f, 2.0f / 3, 1.0f, 2.0f, 3.0f}, 3.0f},
        {NikonBody::D90, {1.0f / 3, 0.5f, 2.0f / 3, 1.0f, 4.0f / 3, 1.5f}, 1.5f},
    };
    for (const Case& c : cases) {
        restartWith(c.body);
        ASSERT_EQ(openNikonSession(), PTP_RC_OK);
        EXPECT_EQ(camExposureCompCode(3), 0.0f);  // bracketing off
        EXPECT_FLOAT_EQ(camBracketMax(), c.largest);
        ASSERT_EQ(propSet(0xD0C0, 1, true), PTP_RC_OK);
        for (uint32_t step = 0; step < 6; ++step)
            EXPECT_FLOAT_EQ(camExposureCompCode(step), c.stops[step]) << devicesim::nikonBodyModel(c.body) << " step " << step;
    }
}

// 0xD1A1 is the drive mode the camera shoots with while live view runs; 0x5013 otherwise.
TEST_F(NikonOperations, HdrPrepareReadsTheLiveViewDriveModeWhileLiveViewRuns) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(propSet(0x5018, 5, true), PTP_RC_OK);
    ASSERT_EQ(propSet(0xD1A1, 2, true), PTP_RC_OK);
    EXPECT_FALSE(hdrPrepareCapture());  // 0x5013 is single
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    EXPECT_TRUE(hdrPrepareCapture());
    ASSERT_EQ(propSet(0xD1A1, 0, true), PTP_RC_OK);
    ASSERT_EQ(propSet(0x5013, 2, true), PTP_RC_OK);
    EXPECT_FALSE(hdrPrepareCapture());
    ASSERT_EQ(camToggleLiveView(false), PTP_RC_OK);
    EXPECT_TRUE(hdrPrepareCapture());
    ASSERT_EQ(propSet(0x5018, 1, true), PTP_RC_OK);
    EXPECT_FALSE(hdrPrepareCapture());  // one shot per press
}

}  // namespace
