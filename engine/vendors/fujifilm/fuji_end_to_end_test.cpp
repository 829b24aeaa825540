// The Fujifilm module against the stand-in device, for each of the three bodies: session open, PC priority, a text
// property set, a capture whose picture downloads byte for byte, live view, Bulb, and a failed autofocus.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>

#include "engine/automation/automation_checks.h"
#include "engine/link/device_commands.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/standard_operations.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/fujifilm/fuji_image_format.h"
#include "engine/vendors/fujifilm/fuji_operations.h"
#include "engine/vendors/fujifilm/fuji_properties.h"
#include "engine/store/image_files.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_test_fixture.h"

namespace {

using devicesim::FujiBody;

struct FujiBodyCase {
    FujiBody body;
    const char* name;
    uint8_t modelIndex;
    const char* largeSize;
    uint32_t largeIndex;
    int shotsAvailable;
};

class FujiBodyTest : public FujiDeviceTest, public ::testing::WithParamInterface<FujiBodyCase> {
protected:
    devicesim::FujiCameraOptions cameraOptions() override {
        devicesim::FujiCameraOptions o;
        o.body = GetParam().body;
        return o;
    }
};

const uint32_t kCreated[] = {0x5003, 0x5005, 0x5007, 0x500A, 0x500D, 0x500B, 0x500E, 0x500F, 0x5010, 0xD018,
                             0xD01B, 0xD017, 0xD208, 0xD209, 0xD20C, 0xD20D, 0xD20E, 0xD212, 0xD21C, 0xD022,
                             0xD38D, 0xD36A, 0xD171, 0xD174, 0xD173, 0xD395, 0xD207, 0xD100, 0xD38E, 0xD00A,
                             0xD025, 0x501C, 0xEEE0, 0xEEE1, 0xEEE2, 0xEEE3, 0xD201};

TEST_P(FujiBodyTest, SessionOpenCreatesTheRecordsInOrder) {
    ASSERT_EQ(openFujiSession(), PTP_RC_OK);
    EXPECT_TRUE(camIsFuji());
    EXPECT_EQ(camModelIndex(), GetParam().modelIndex);
    ASSERT_EQ(propCount(), std::size(kCreated));
    for (size_t i = 0; i < std::size(kCreated); ++i) EXPECT_EQ(propAt(i)->code.load(), kCreated[i]) << i;

    PropertyCopy size = propCopyValues(0x5003);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->kind, kPropKindText);
    EXPECT_STREQ(size->name, "Image Size");
    EXPECT_STREQ(size->valueText, GetParam().largeSize);
    EXPECT_EQ(size->value, GetParam().largeIndex);
    PropertyCopy local = propCopyValues(0xEEE2);
    ASSERT_TRUE(local);
    EXPECT_EQ(local->kind, PTP_DTC_INT32);
    EXPECT_EQ(local->enabled, 0);
    EXPECT_STREQ(local->name, "Custom - Focus Width");
    // Session open switches recording to the card on, confirmed.
    EXPECT_EQ(fuji->property(0xD20C)->current, 1);
    EXPECT_EQ(storeValue(0xD20C), 1u);
    EXPECT_EQ(camParseShotsAvailable(), GetParam().shotsAvailable);
    EXPECT_STREQ(propCopyValues(0x500D)->valueText, "1/60");
    // Outside PC priority nothing can be set.
    EXPECT_FALSE(vendorFuji()->clientMode());
    EXPECT_EQ(propCopyValues(0x5007)->enabled, 0);
}

TEST_P(FujiBodyTest, PcPriorityEnablesByProgramAndReadsTheLensApertures) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD207)->current, 2);
    EXPECT_TRUE(vendorFuji()->clientMode());
    // Manual exposure: aperture and shutter can be set, compensation cannot.
    EXPECT_EQ(propCopyValues(0x5007)->enabled, 1);
    EXPECT_EQ(propCopyValues(0x500D)->enabled, 1);
    EXPECT_EQ(propCopyValues(0x5010)->enabled, 0);
    PropertyCopy aperture = propCopyValues(0x5007);
    ASSERT_EQ(aperture->valueCount, 19);
    EXPECT_EQ(aperture->values[0].value, 280u);
    EXPECT_STREQ(aperture->values[0].name, "2.8");
    EXPECT_STREQ(aperture->values[18].name, "22.0");
    EXPECT_EQ(fuji->property(0xD38C)->current, 1);
    // Every record the camera describes is read again; the device's own focus-frame records are left alone.
    EXPECT_EQ(camRefreshAllProperties(), PTP_RC_OK);
}

TEST_P(FujiBodyTest, TextPropertyIsSentAsAPtpString) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    // The medium size of the body's 3:2 group.
    const uint32_t index = GetParam().body == FujiBody::Gfx100 ? 41 : 35;
    const std::string text = fujiImageSizeText(index);
    ASSERT_EQ(propSet(0x5003, index, true), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0x5003)->currentText, text);
    EXPECT_EQ(storeValue(0x5003), index);
    std::vector<std::vector<uint8_t>> sets = setsOf(0x5003);
    ASSERT_EQ(sets.size(), 1u);
    ASSERT_EQ(sets[0].size(), 2 * text.size() + 3);
    EXPECT_EQ(sets[0][0], text.size() + 1);
    EXPECT_EQ(sets[0][1], static_cast<uint8_t>(text[0]));
    EXPECT_EQ(sets[0][2], 0);
    EXPECT_EQ(sets[0][sets[0].size() - 2], 0);

    // A value with no text never goes out as an empty data phase.
    EXPECT_EQ(fujiSetProperty(0x5003, 200), ERROR_INVALID_INPUT);
    EXPECT_EQ(fujiSetTextProperty(0xD100, std::string(300, 'a').c_str()), ERROR_INVALID_INPUT);
    EXPECT_EQ(setsOf(0x5003).size(), 1u);
    EXPECT_TRUE(setsOf(0xD100).empty());
    EXPECT_EQ(fujiSetTextProperty(0xD100, "Vorlaxent"), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD100)->currentText, "Vorlaxent");
}

TEST_P(FujiBodyTest, CapturedPictureDownloadsByteForByte) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    takeEvents();
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    std::vector<uint32_t> modes = fuji->captureModes();
    EXPECT_EQ(modes, (std::vector<uint32_t>{0x200, 0x304}));
    EXPECT_EQ(fuji->shots(), 1);

    std::vector<CameraEvent> seen = pollUntil(PTP_EC_ObjectAdded);
    const CameraEvent* added = nullptr;
    for (const CameraEvent& e : seen)
        if (e.code == PTP_EC_ObjectAdded) added = &e;
    ASSERT_NE(added, nullptr);
    const std::string name = added->objectInfo.fileName;
    EXPECT_EQ(name, "DSCF0001.JPG");
    auto onCard = commands.card().file(name);
    ASSERT_TRUE(onCard);
    HeapBlock data;
    uint64_t length = 0;
    ASSERT_EQ(linkDownloadFile(name, &data, &length, 0), PTP_RC_OK);
    ASSERT_EQ(length, onCard->bytes->size());
    EXPECT_EQ(std::memcmp(data.data(), onCard->bytes->data(), onCard->bytes->size()), 0);
    // The device has the picture: the camera lists it no more.
    std::vector<uint32_t> handles;
    ASSERT_EQ(camGetObjectHandles(0xFFFFFFFF, 0, 0, &handles), PTP_RC_OK);
    EXPECT_TRUE(handles.empty());
}

TEST_P(FujiBodyTest, HalfPressFocusesAndReleases) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(camHalfPress(), PTP_RC_OK);
    EXPECT_TRUE(fuji->halfPressed());
    ASSERT_EQ(camHalfPressRelease(), PTP_RC_OK);
    EXPECT_FALSE(fuji->halfPressed());
    EXPECT_TRUE(camHasFocus());
    const bool newer = GetParam().body != FujiBody::XT3;  // the X-T3 lacks the newer half-press values
    EXPECT_EQ(fuji->captureModes(), (std::vector<uint32_t>{newer ? 0x9300u : 0x9100u, newer ? 5u : 1u}));
}

TEST_P(FujiBodyTest, LiveViewGivesFramesAndComesBackAfterAShot) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    EXPECT_TRUE(fuji->liveViewOn());
    for (int i = 0; i < 3; ++i) {
        HeapBlock frame;
        ASSERT_EQ(linkGetLiveViewFrame(&frame, 0), PTP_RC_OK);
        ASSERT_GT(frame.size(), 4u);
        EXPECT_EQ(frame.data()[0], 0xFF);
        EXPECT_EQ(frame.data()[1], 0xD8);
    }
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    EXPECT_EQ(fuji->shots(), 1);
    EXPECT_TRUE(fuji->liveViewOn());
    // The X-H2 shoots while live view runs; the others stop it for the shot and start it again.
    EXPECT_EQ(fuji->liveViewStarts(), GetParam().body == FujiBody::XH2 ? 1 : 2);
    ASSERT_EQ(camToggleLiveView(false), PTP_RC_OK);
    EXPECT_FALSE(fuji->liveViewOn());
    HeapBlock none;
    EXPECT_EQ(linkGetLiveViewFrame(&none, 0), 0xA102);
}

TEST_P(FujiBodyTest, BulbShotEndsWithItsReleaseWithoutSleeping) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    EXPECT_FALSE(camIsBulbMode());
    ASSERT_EQ(propSet(0x500D, 0xFFFFFFFF, true), PTP_RC_OK);
    EXPECT_TRUE(fujiIsBulb());
    EXPECT_TRUE(camIsBulbMode());  // what the shutter button asks before it chooses a bulb exposure
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(camBulbStart(), PTP_RC_OK);
    EXPECT_TRUE(fuji->bulbOpen());
    ASSERT_EQ(camBulbStop(), PTP_RC_OK);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(fuji->bulbOpen());
    EXPECT_EQ(fuji->bulbExposures(), 1);
    EXPECT_EQ(fuji->captureModes(), (std::vector<uint32_t>{0x200, 0x500, 12}));
    EXPECT_TRUE(fuji->liveViewOn());
    // Bulb's code must not be taken for a wait of 0xFFFFFFFF microseconds (over an hour, 3.6 min even scaled).
    EXPECT_LT(took, std::chrono::seconds(3));
}

TEST_P(FujiBodyTest, FailedAutofocusReportsOutOfFocusAndLeavesPollingRunning) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    fuji->failNextAutoFocus();
    EXPECT_EQ(camCapture(), kFujiOutOfFocus);
    EXPECT_FALSE(camEventsPaused());
    EXPECT_EQ(fuji->captureModes(), (std::vector<uint32_t>{0x200, 4}));
    EXPECT_EQ(fuji->shots(), 0);
    // The next shot goes through as usual.
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_TRUE(camEventsPaused());
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    EXPECT_FALSE(camEventsPaused());
    EXPECT_EQ(fuji->shots(), 1);
}

TEST_P(FujiBodyTest, FocusDriveAreaAndNudge) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(camFocusStackStep(2), PTP_RC_OK);  // size 2: 50 position units toward near
    EXPECT_EQ(fuji->property(0xD171)->current, 550);
    ASSERT_EQ(camFocusStackStep(-1), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD171)->current, 544);
    // A drive past either end stops at that end (the camera's positions run from 0 to 1000) instead of wrapping.
    ASSERT_EQ(fujiFocusPosition(990), PTP_RC_OK);
    ASSERT_EQ(camFocusStackStep(2), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD171)->current, 1000);
    ASSERT_EQ(fujiFocusPosition(3), PTP_RC_OK);
    ASSERT_EQ(camFocusStackStep(-3), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD171)->current, 0);
    ASSERT_EQ(fujiFocusPosition(500), PTP_RC_OK);

    ASSERT_EQ(camNudgeLiveView(0, true), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD395)->currentText, "0,1,3");
    // The focus mode is put back once the area is set.
    EXPECT_EQ(fuji->property(0x500A)->current, 0x8001);
    // At the edge a nudge stays within what the camera takes.
    ASSERT_EQ(fujiSetFocusArea(-19, 19, 3), PTP_RC_OK);
    ASSERT_EQ(camNudgeLiveView(3, true), PTP_RC_OK);
    ASSERT_EQ(camNudgeLiveView(1, true), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD395)->currentText, "19,-19,3");

    // Two-digit coordinates are read back whole: 10 is ten, not one.
    ASSERT_EQ(fujiSetFocusArea(-10, 10, 3), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD395)->currentText, "10,-10,3");
    FujiFocusArea area;
    ASSERT_EQ(fujiReadFocusArea(&area), PTP_RC_OK);
    EXPECT_EQ(area.x, 10);
    EXPECT_EQ(area.y, -10);
    EXPECT_EQ(area.size, 3);
    ASSERT_EQ(camNudgeLiveView(3, true), PTP_RC_OK);
    ASSERT_EQ(camNudgeLiveView(0, true), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD395)->currentText, "11,-9,3");

    // A tap at the top left corner of the frame.
    ASSERT_EQ(camLiveViewZoomArea(0.0, 0.0, 1, 1), PTP_RC_OK);
    const bool gfx = GetParam().body == FujiBody::Gfx100;  // 25x17 points, else 25x13
    EXPECT_EQ(fuji->property(0xD395)->currentText, gfx ? "-12,8,3" : "-12,6,3");
}

TEST_P(FujiBodyTest, ZoomSwitchesToManualFocusAndReportsItsLevel) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(camLiveViewZoom(100), PTP_RC_OK);
    EXPECT_EQ(fuji->property(0xD01B)->current, 2);
    EXPECT_EQ(fuji->property(0x500A)->current, 1);
    EXPECT_EQ(camLiveViewZoomRatio(0), 100u);
    ASSERT_EQ(camLiveViewZoom(200), PTP_RC_OK);
    const bool largeStep = GetParam().body != FujiBody::XT3;
    EXPECT_EQ(fuji->property(0xD01B)->current, largeStep ? 5 : 3);
    EXPECT_EQ(camLiveViewZoomRatio(0), 200u);
    ASSERT_EQ(camLiveViewZoom(1), PTP_RC_OK);
    EXPECT_EQ(camLiveViewZoomRatio(0), 0u);
}

TEST_P(FujiBodyTest, FocalLengthAndSavedRawFlag) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    int32_t mm = 0;
    ASSERT_EQ(fujiReadFocalLength(&mm), PTP_RC_OK);
    EXPECT_EQ(mm, GetParam().body == FujiBody::Gfx100 ? 64 : 55);
    ASSERT_EQ(linkSendSaveFujiRaws(1), PTP_RC_OK);
    EXPECT_EQ(fuji->saveRawsFlag(), 1);
}

INSTANTIATE_TEST_SUITE_P(Bodies, FujiBodyTest,
                         ::testing::Values(FujiBodyCase{FujiBody::XT3, "XT3", 22, "6240x4160", 38, 1234},
                                           FujiBodyCase{FujiBody::Gfx100, "Gfx100", 23, "11648x8736", 48, 456},
                                           FujiBodyCase{FujiBody::XH2, "XH2", 35, "6240x4160", 38, 987}),
                         [](const auto& info) { return std::string(info.param.name); });

class FujiRawTest : public FujiDeviceTest {};

// The RAW compression is the camera's to change: choosing compressed RAW writes it, choosing plain RAW again writes
// it back; the quality follows, and a JPEG choice that the camera already has writes nothing more.
TEST_F(FujiRawTest, TheRawCompressionIsWrittenWhenItChanges) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(fuji->property(0xD022)->current, 1);
    ASSERT_EQ(camSetImageFormat(0x2010000, -1), PTP_RC_OK);  // compressed RAW alone
    EXPECT_EQ(fuji->property(0xD022)->current, 2);
    EXPECT_EQ(fuji->property(0xD018)->current, 1);
    EXPECT_EQ(setsOf(0xD022), (std::vector<std::vector<uint8_t>>{{2, 0}}));
    uint32_t value = 0;
    ASSERT_EQ(fujiImageFormatValue(&value), PTP_RC_OK);
    EXPECT_EQ(fujiImageFormatLabel(static_cast<int32_t>(value)), "C-RAW");

    ASSERT_EQ(camSetImageFormat(0x1010000, (38 << 8) | 2), PTP_RC_OK);  // plain RAW + L JPEG fine
    EXPECT_EQ(fuji->property(0xD022)->current, 1);
    EXPECT_EQ(fuji->property(0xD018)->current, 4);
    EXPECT_EQ(setsOf(0xD022), (std::vector<std::vector<uint8_t>>{{2, 0}, {1, 0}}));
    EXPECT_TRUE(setsOf(0x5003).empty());  // the size was already L
}

class FujiXT3Test : public FujiDeviceTest {};

// A release the camera refuses is reported as refused, although live view, stopped for the shot, comes back.
TEST_F(FujiXT3Test, ARefusedReleaseIsReportedWhileLiveViewComesBack) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_FALSE(fuji->liveViewOn());
    fuji->failNextCapture(0x2002);
    EXPECT_EQ(camCaptureRelease(), PTP_RC_GENERAL_ERROR);
    EXPECT_TRUE(fuji->liveViewOn());
    EXPECT_EQ(fuji->shots(), 0);

    ASSERT_EQ(camHalfPress(), PTP_RC_OK);
    fuji->failNextCapture(0x2002);
    EXPECT_EQ(camHalfPressRelease(), PTP_RC_GENERAL_ERROR);
    EXPECT_TRUE(fuji->liveViewOn());
    // With nothing refused, both report success.
    ASSERT_EQ(camHalfPress(), PTP_RC_OK);
    EXPECT_EQ(camHalfPressRelease(), PTP_RC_OK);
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_EQ(camCaptureRelease(), PTP_RC_OK);
    EXPECT_EQ(fuji->shots(), 1);
    EXPECT_TRUE(fuji->liveViewOn());
}

TEST_F(FujiRawTest, RawPlusJpegKeepsARafWhosePreviewIsFound) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(camSetImageFormat(0x1010000, (38 << 8) | 2), PTP_RC_OK);  // RAW + L JPEG fine
    EXPECT_EQ(fuji->property(0xD018)->current, 4);
    EXPECT_TRUE(camFormatIsRawPlusJpeg());
    uint32_t value = 0;
    ASSERT_EQ(fujiImageFormatValue(&value), PTP_RC_OK);
    EXPECT_EQ(fujiImageFormatLabel(static_cast<int32_t>(value)), "RAW + L JPG (FINE)");
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    pollUntil(PTP_EC_ObjectAdded);
    EXPECT_EQ(fuji->filesTaken(), (std::vector<std::string>{"DSCF0001.JPG", "DSCF0001.RAF"}));
    auto raf = commands.card().file("DSCF0001.RAF");
    auto jpeg = commands.card().file("DSCF0001.JPG");
    ASSERT_TRUE(raf && jpeg);
    uint64_t offset = 0, size = 0;
    ASSERT_TRUE(rawFindPreview(raf->bytes->data(), raf->bytes->size(), &offset, &size, 0xB111));
    EXPECT_EQ(offset, devicesim::kRafPreviewOffset);
    ASSERT_EQ(size, jpeg->bytes->size());
    EXPECT_EQ(std::memcmp(raf->bytes->data() + offset, jpeg->bytes->data(), size), 0);
}

TEST_F(FujiRawTest, DeviceToldNotToKeepRawsStoresOnlyTheJpeg) {
    ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
    ASSERT_EQ(camSetImageFormat(0x1010000, (38 << 8) | 2), PTP_RC_OK);
    ASSERT_EQ(linkSendSaveFujiRaws(1), PTP_RC_OK);
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    pollUntil(PTP_EC_ObjectAdded);
    EXPECT_EQ(fuji->filesTaken(), (std::vector<std::string>{"DSCF0001.JPG"}));
    EXPECT_FALSE(commands.card().hasFile("DSCF0001.RAF"));
}

}  // namespace
