// Sony shooting, focus and live-view operations against the simulated 7M3 (and, where the path differs, the 7RM4).
#include <gtest/gtest.h>

#include <vector>

#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_access.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/sony/sony_live_view.h"
#include "engine/vendors/sony/sony_models.h"
#include "engine/vendors/sony/sony_operations.h"
#include "engine/vendors/sony/sony_properties.h"
#include "engine/vendors/sony/sony_state.h"
#include "engine/vendors/sony/sony_test_fixture.h"

namespace {

using Writes = std::vector<std::pair<uint16_t, int32_t>>;

class SonyOperationsTest : public SonyDeviceTest {
protected:
    void SetUp() override {
        SonyDeviceTest::SetUp();
        ASSERT_EQ(openSonySession(), PTP_RC_OK);
    }
    // The camera changes a value itself; the store learns of it with the next poll.
    void cameraSets(uint16_t code, uint64_t value) {
        sony->setPropertyValue(code, value);
        camPollEvents(true, false);
    }
    Writes writesOf(uint16_t code) const {
        Writes out;
        for (auto w : writes())
            if (w.first == code) out.push_back(w);
        return out;
    }
    size_t ptpCount() const {
        size_t n = 0;
        for (const auto& p : device.log()) n += p.ptpOperation ? 1 : 0;
        return n;
    }
};

TEST_F(SonyOperationsTest, BulbIsRefusedWithoutTrafficWhereTheCameraCannotTakeIt) {
    struct Case {
        uint16_t program;
        uint32_t drive;
        bool allowed;
    } cases[] = {{1, 1, true}, {1, 2, false}, {1, 0x8311, false}, {1, 0x8005, true}, {4, 1, false}, {3, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.program << " " << std::hex << c.drive);
        cameraSets(0x500E, c.program);
        cameraSets(0x5013, c.drive);
        EXPECT_EQ(sonyBulbAvailable(), c.allowed);
        if (c.allowed) continue;
        size_t before = ptpCount();
        EXPECT_EQ(propSet(0xD20D, 0, false), ERROR_BULB_MODE_INVALID);
        EXPECT_EQ(ptpCount(), before);
    }
}

TEST_F(SonyOperationsTest, SteppedSetRefusals) {
    struct Case {
        uint32_t code, target;
        int depth, waiting;
        ResponseCode expected;
    } cases[] = {
        {0xD20D, 0x12345, 0, 0, ERROR_GENERAL},               // not in the list
        {0x5005, 4, 0, 0, ERROR_INVALID_INPUT},               // not a stepped property
        {0xD20D, 1u << 16 | 250, 6, 0, PTP_ERROR_PROP_NOT_CONFIRMED},  // too many rounds
        {0xD20D, 1u << 16 | 250, 0, 2, ERROR_CANCELLED},     // a newer set waits
        {0xD20D, 1u << 16 | 125, 0, 0, PTP_RC_OK},            // already there
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.target);
        sonyState().steppingCount = c.waiting;
        size_t before = sony->controlWrites().size();
        EXPECT_EQ(sonyStepProperty(c.code, c.target, c.depth), c.expected);
        EXPECT_EQ(sony->controlWrites().size(), before);
        sonyState().steppingCount = 0;
    }
}

TEST_F(SonyOperationsTest, FocusToggleFromAutomaticAndFromTheUsersManualFocus) {
    // The module leaves automatic focus and returns to it.
    ASSERT_EQ(sonySetManualFocus(true), PTP_RC_OK);
    EXPECT_TRUE(sonyState().focusToggled);
    camPollEvents(true, false);
    EXPECT_TRUE(sonyIsManualFocus());
    ASSERT_EQ(sonySetManualFocus(false), PTP_RC_OK);
    EXPECT_FALSE(sonyState().focusToggled);
    camPollEvents(true, false);
    EXPECT_TRUE(sonyIsAutoFocus());
    EXPECT_EQ(writesOf(0xD2D2), (Writes{{0xD2D2, 2}, {0xD2D2, 1}}));

    // The user chose manual focus: the module may not leave it, but a tap focuses once and goes back.
    cameraSets(0x500A, 1);
    EXPECT_FALSE(sonyFocusToggleAvailable());
    EXPECT_EQ(sonySetManualFocus(false), PTP_ERROR_UNSUPPORTED_COMMAND);
    ASSERT_EQ(camLiveViewTap(), PTP_RC_OK);
    camPollEvents(true, false);
    EXPECT_TRUE(sonyIsAutoFocus());
    ASSERT_EQ(camLiveViewTapRelease(), PTP_RC_OK);
    camPollEvents(true, false);
    EXPECT_TRUE(sonyIsManualFocus());
    EXPECT_EQ(writesOf(0xD2D2), (Writes{{0xD2D2, 2}, {0xD2D2, 1}, {0xD2D2, 2}, {0xD2D2, 1}}));
    EXPECT_FALSE(sonyState().invertedToggle);

    // In automatic focus a tap is a half press and its release.
    cameraSets(0x500A, 2);
    ASSERT_EQ(camLiveViewTap(), PTP_RC_OK);
    EXPECT_TRUE(sony->buttonDown(0xD2C1));
    ASSERT_EQ(camLiveViewTapRelease(), PTP_RC_OK);
    EXPECT_FALSE(sony->buttonDown(0xD2C1));
}

TEST_F(SonyOperationsTest, AFocusPointOutsideTheFrameIsTakenToItsEdge) {
    struct Case {
        double px, py;
        uint32_t y, x;
    } cases[] = {{0.5, 0.25, 107, 320}, {-0.5, 1.7, 428, 0}, {2.0, -3.0, 0, 640}, {0.0, 0.0, 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.px << " " << c.py);
        ASSERT_EQ(camLiveViewZoomArea(c.px, c.py, 0, 0), PTP_RC_OK);
        EXPECT_EQ(sony->propertyValue(0xD232), c.y | c.x << 16);
    }
}

TEST_F(SonyOperationsTest, RemoteKeysNudgeAndOtherDirectionsAreRefused) {
    for (int d = 0; d < 4; ++d) ASSERT_EQ(camNudgeLiveView(d, true), PTP_RC_OK);
    Writes keys;
    for (auto w : writes())
        if (w.first >= 0xD2CD && w.first <= 0xD2D0) keys.push_back(w);
    EXPECT_EQ(keys, (Writes{{0xD2CD, 2}, {0xD2CD, 1}, {0xD2CE, 2}, {0xD2CE, 1}, {0xD2CF, 2}, {0xD2CF, 1},
                            {0xD2D0, 2}, {0xD2D0, 1}}));
    size_t before = ptpCount();
    EXPECT_EQ(camNudgeLiveView(4, true), ERROR_INVALID_INPUT);
    EXPECT_EQ(ptpCount(), before);
}

TEST_F(SonyOperationsTest, ZoomIsRefusedInContinuousDrive) {
    cameraSets(0x5013, 2);
    EXPECT_EQ(camLiveViewZoom(100), ERROR_INVALID_CONTINUOUS_DRIVE_MODE);
    EXPECT_TRUE(writesOf(0xD2CB).empty());
}

TEST_F(SonyOperationsTest, FocusStackRuns) {
    // Not in manual focus, and nothing to do.
    EXPECT_EQ(sonyFocusStackRun(3, 2, 0, nullptr), ERROR_GENERAL);
    cameraSets(0x500A, 1);
    EXPECT_EQ(sonyFocusStackRun(0, 2, 0, nullptr), PTP_RC_OK);
    EXPECT_EQ(sony->shots(), 0);

    std::vector<int> progress;
    ASSERT_EQ(sonyFocusStackRun(3, 4, 10, [&](int i) { progress.push_back(i); }), PTP_RC_OK);
    EXPECT_EQ(sony->shots(), 3);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(writesOf(0xD2D1), (Writes{{0xD2D1, 4}, {0xD2D1, 4}}));
    EXPECT_FALSE(sony->buttonDown(0xD2C2));

    // A cancel between shots ends the run with 0xFF16.
    ASSERT_EQ(sonyFocusStackRun(5, -3, 0, [](int i) {
                  if (i == 2) sonyCancelFocusStack();
              }),
              ERROR_CANCELLED);
    EXPECT_EQ(sony->shots(), 5);
}

TEST_F(SonyOperationsTest, AProgramChangeReEngagesTheTogglePressedFocusAndPollsOnceMore) {
    ASSERT_EQ(sonySetManualFocus(true), PTP_RC_OK);
    camPollEvents(true, false);
    const size_t polls = commandPackets(0x82).size();
    cameraSets(0x500E, 3);  // the block holding the change is processed by this poll
    sonyJoinPendingPoll();
    // The toggle was pressed after the record's lock was given back, and one further poll followed the block.
    EXPECT_EQ(writesOf(0xD2D2), (Writes{{0xD2D2, 2}, {0xD2D2, 1}, {0xD2D2, 2}}));
    EXPECT_EQ(commandPackets(0x82).size(), polls + 2);
    PropertyStruct* program = propFind(0x500E, true);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->value, 3u);
    EXPECT_EQ(program->enabled, 0);
    propUnlock(program);
    // An unchanged program asks for no further poll.
    cameraSets(0x500E, 3);
    sonyJoinPendingPoll();
    EXPECT_EQ(commandPackets(0x82).size(), polls + 3);
}

TEST_F(SonyOperationsTest, AProgramChangeLeavesTheRecordSettableWhileTheUserHoldsTheFocus) {
    const size_t before = writes().size();
    cameraSets(0x500E, 3);
    sonyJoinPendingPoll();
    PropertyStruct* program = propFind(0x500E, true);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->value, 3u);
    EXPECT_EQ(program->enabled, 1);  // the camera reports it settable, and the module holds no focus toggle
    propUnlock(program);
    EXPECT_EQ(writes().size(), before);  // nothing pressed
}

TEST_F(SonyOperationsTest, BulbAndBracketDriveAsTheAutomationPanelsSeeThem) {
    EXPECT_FALSE(camIsBulbMode());
    EXPECT_FALSE(sonyIsBracketDrive());  // Single
    cameraSets(0xD20D, 0);               // Bulb, from the camera's dial
    EXPECT_TRUE(camIsBulbMode());
    // Drive modes: single and the plain continuous ones are no bracket; anything above 0x8000 is.
    struct Case {
        uint32_t drive;
        bool bracket;
    } cases[] = {{1, false}, {2, false}, {0x8000, false}, {0x8001, true}, {0x8012, true}, {0x8311, true}};
    for (const Case& c : cases) {
        cameraSets(0x5013, c.drive);
        EXPECT_EQ(sonyIsBracketDrive(), c.bracket) << std::hex << c.drive;
    }
    // Another vendor's 0x5013 is not Sony's drive; without the record there is none.
    camSetVendor(VENDOR_NIKON);
    EXPECT_FALSE(sonyIsBracketDrive());
    camSetVendor(VENDOR_SONY);
    propStoreClear();
    EXPECT_FALSE(sonyIsBracketDrive());
}

using SonySessionOpenTest = SonyDeviceTest;
TEST_F(SonySessionOpenTest, AnAllPropertiesReplyWithoutDataIsAnEmptySuccess) {
    sony->answerAllPropertiesWithoutData(1);
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    EXPECT_TRUE(camIsSony());
    EXPECT_FALSE(propExists(0x5005));  // nothing was described yet
    // The next full read brings everything; a single read without data finds nothing.
    ASSERT_EQ(sonyLoadProperties(), PTP_RC_OK);
    EXPECT_EQ(storeValue(0x5005), 2u);
    sony->answerAllPropertiesWithoutData(1);
    EXPECT_EQ(sonyReadProperty(0x5005, false), PTP_RC_INVALID_PARAMETER);
    EXPECT_EQ(storeValue(0x5005), 2u);
}

class SonyExtendedOperationsTest : public SonyOperationsTest {
protected:
    devicesim::SonyCameraOptions cameraOptions() override {
        devicesim::SonyCameraOptions o;
        o.body = devicesim::SonyBody::A7RM4;
        return o;
    }
};

TEST_F(SonyExtendedOperationsTest, FocusPointsGoToTheNewerLocationProperty) {
    ASSERT_EQ(camLiveViewZoomArea(1.5, -1.0, 0, 0), PTP_RC_OK);
    ASSERT_EQ(camLiveViewZoomArea(0.55, 0.5, 0, 0), PTP_RC_OK);
    EXPECT_EQ(writesOf(0xD2DC), (Writes{{0xD2DC, int32_t(684u << 16)}, {0xD2DC, int32_t(360u << 16 | 240u)}}));
}

TEST_F(SonyExtendedOperationsTest, NudgingByPositionStaysInsideTheFrame) {
    // The bodies that move the zoomed area by its position: from x = 1, y = 0 a step left or up stops at 0.
    sonyIdentifyModelText("ILCE-1");
    ASSERT_EQ(sonyState().liveViewPosition.load(), 1u);
    ASSERT_EQ(sonyNudge(0), PTP_RC_OK);
    EXPECT_EQ(sony->propertyValue(0xD254) >> 32, 0u);
    ASSERT_EQ(sonyNudge(3), PTP_RC_OK);
    EXPECT_EQ(sony->propertyValue(0xD254) >> 32, 5u << 16 | 1u);
    EXPECT_EQ(sonyNudge(7), ERROR_INVALID_INPUT);
}

TEST_F(SonyExtendedOperationsTest, TheCompressionOfTheChosenJpegIsWrittenWhenItDiffers) {
    ASSERT_EQ(sony->propertyValue(0xD252), 2u);  // Fine
    // A JPEG alone, Extra Fine, large: only the compression differs from what the camera has.
    ASSERT_EQ(camSetImageFormat(-1, 1 << 16 | 1 << 8 | 3), PTP_RC_OK);
    EXPECT_EQ(sony->propertyValue(0xD252), 1u);
    EXPECT_EQ(sony->propertyValue(0xD253), 3u);
    EXPECT_EQ(sony->propertyValue(0xD203), 1u);
    // RAW + a Standard JPEG at the small size: format, compression and size all change.
    ASSERT_EQ(camSetImageFormat(1, 3 << 16 | 3 << 8 | 3), PTP_RC_OK);
    EXPECT_EQ(sony->propertyValue(0xD253), 2u);
    EXPECT_EQ(sony->propertyValue(0xD252), 3u);
    EXPECT_EQ(sony->propertyValue(0xD203), 3u);
    int32_t jpeg = 0;
    ASSERT_EQ(camImageFormatJpegValue(&jpeg), PTP_RC_OK);
    EXPECT_EQ(jpeg, 3 << 16 | 3 << 8 | 3);
}

}  // namespace
