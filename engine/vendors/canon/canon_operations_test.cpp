// The Canon camera operations against the stand-in device: what goes out, in which order, and that every failure
// leaves the event thread free to poll again.
#include "engine/vendors/canon/canon_operations.h"

#include <gtest/gtest.h>

#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/standard_operations.h"
#include "engine/vendors/canon/canon_card.h"
#include "engine/vendors/canon/canon_exposure.h"
#include "engine/vendors/canon/canon_live_view.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_state.h"
#include "engine/vendors/canon/canon_test_fixture.h"
#include "engine/vendors/dispatch.h"

namespace {

using devicesim::CanonBody;
using Params = std::vector<std::vector<uint32_t>>;

// A body with its options; each test opens the session.
template <CanonBody Body, bool Press = true>
class CanonBodyFixture : public CanonDeviceTest {
protected:
    devicesim::CanonCameraOptions cameraOptions() override {
        devicesim::CanonCameraOptions o;
        o.body = Body;
        o.pressOperations = Press;
        o.model = model();
        o.jpegSize = 60 * 1024;
        return o;
    }
    virtual std::string model() { return {}; }
    void SetUp() override {
        CanonDeviceTest::SetUp();
        ASSERT_EQ(openCanonSession(), PTP_RC_OK);
        device.clearLog();
    }
};

using CanonPressTest = CanonBodyFixture<CanonBody::Mirrorless>;
using CanonOneStepTest = CanonBodyFixture<CanonBody::DslrJpegLiveView, false>;

TEST_F(CanonPressTest, ACaptureWithReleasePressesAndReleasesInOrder) {
    ASSERT_EQ(canonRemoteRelease(true), PTP_RC_OK);
    EXPECT_EQ(sent(0x9128), (Params{{1, 0}, {2, 0}}));
    EXPECT_EQ(sent(0x9129), (Params{{2}, {1}}));
    EXPECT_TRUE(sent(0x910F).empty());
    EXPECT_EQ(canon->shots(), 1);
    EXPECT_FALSE(canon->halfPressed());
    EXPECT_FALSE(camEventsPaused());
}

TEST_F(CanonPressTest, APressHoldsTheEventThreadUntilItsRelease) {
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_TRUE(canonShutterPressed());
    EXPECT_TRUE(camEventsPaused());
    EXPECT_TRUE(sent(0x9129).empty());
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    EXPECT_FALSE(canonShutterPressed());
    EXPECT_FALSE(camEventsPaused());
    EXPECT_EQ(sent(0x9129), (Params{{2}, {1}}));
    // A manual-focus camera says so in its presses.
    camSetManualFocusFlag(1);
    ASSERT_EQ(canonRemoteRelease(true), PTP_RC_OK);
    EXPECT_EQ(sent(0x9128).back(), (std::vector<uint32_t>{2, 1}));
}

TEST_F(CanonPressTest, AFailedAutofocusReleasesAndReturnsA002) {
    for (bool releaseAfter : {false, true}) {
        device.clearLog();
        canon->failNextAutoFocus();
        EXPECT_EQ(canonRemoteRelease(releaseAfter), 0xA002);
        EXPECT_EQ(sent(0x9128), (Params{{1, 0}}));
        EXPECT_EQ(sent(0x9129), (Params{{2}, {1}}));
        EXPECT_FALSE(camEventsPaused());
        EXPECT_FALSE(canon->halfPressed());
    }
    EXPECT_EQ(canon->shots(), 0);
}

TEST_F(CanonPressTest, AFailedFullPressLetsGoOfTheHalfPressAndTheEventThread) {
    canon->failOperation(0x9128, 2, 0x2019, 2);  // the one retry of a busy camera fails too
    EXPECT_EQ(canonRemoteRelease(false), PTP_RC_DEVICE_BUSY);
    EXPECT_EQ(sent(0x9129), (Params{{1}}));
    EXPECT_FALSE(canon->halfPressed());
    EXPECT_FALSE(camEventsPaused());
    EXPECT_FALSE(canonShutterPressed());
    // A failed half press: nothing to release, the thread free again.
    device.clearLog();
    canon->failOperation(0x9128, 1, 0x2002);
    EXPECT_EQ(canonRemoteRelease(true), PTP_RC_GENERAL_ERROR);
    EXPECT_TRUE(sent(0x9129).empty());
    EXPECT_FALSE(camEventsPaused());
    // And the next capture works.
    EXPECT_EQ(canonRemoteRelease(true), PTP_RC_OK);
}

TEST_F(CanonPressTest, AFailedFullReleaseStillReleasesTheHalfPress) {
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    canon->failOperation(0x9129, 2, 0x2002);
    EXPECT_EQ(camCaptureRelease(), PTP_RC_GENERAL_ERROR);
    EXPECT_EQ(sent(0x9129), (Params{{2}, {1}}));
    EXPECT_FALSE(canon->halfPressed());
    EXPECT_FALSE(camEventsPaused());
}

TEST_F(CanonPressTest, BulbPressesAndReleases) {
    canon->changeOnCamera(0xD138, 4);
    camPollEvents(true, false);
    EXPECT_TRUE(canonIsBulb());
    ASSERT_EQ(camBulbStart(), PTP_RC_OK);
    EXPECT_EQ(canon->shots(), 0);
    EXPECT_TRUE(camEventsPaused());
    ASSERT_EQ(camBulbStop(), PTP_RC_OK);
    EXPECT_EQ(canon->bulbExposures(), 1);
    EXPECT_EQ(canon->shots(), 1);
    EXPECT_FALSE(camEventsPaused());
    EXPECT_FALSE(sent(0x9110).empty());  // the ready probe's write after the exposure
}

TEST_F(CanonPressTest, HalfPressAutofocusAndTheirReleases) {
    ASSERT_EQ(camHalfPress(), PTP_RC_OK);
    EXPECT_TRUE(canon->halfPressed());
    ASSERT_EQ(camHalfPressRelease(), PTP_RC_OK);
    EXPECT_FALSE(canon->halfPressed());
    EXPECT_EQ(sent(0x9129), (Params{{1}}));
    ASSERT_EQ(camLiveViewTap(), PTP_RC_OK);
    EXPECT_EQ(canon->autoFocusCount(), 1);
    EXPECT_TRUE(camIsManualFocus());
    ASSERT_EQ(camLiveViewTapRelease(), PTP_RC_OK);
    EXPECT_EQ(canon->autoFocusCancels(), 1);
}

TEST_F(CanonPressTest, OneLensStepMakesTheFocusManualAndStopsServo) {
    takeEvents();
    ASSERT_EQ(camFocusStackStep(-4), PTP_RC_OK);
    EXPECT_EQ(sent(0x9155), (Params{{0x8004}}));
    EXPECT_EQ(canon->lensPosition(), -4);
    EXPECT_EQ(camManualFocusFlag(), 1u);
    EXPECT_EQ(canon->propertyValue(0xD179), 0u);
    bool focusEvent = false;
    for (const CameraEvent& e : takeEvents()) focusEvent = focusEvent || e.property.propertyCode == 0xD108;
    EXPECT_TRUE(focusEvent);
}

TEST_F(CanonPressTest, ManyLensStepsGoThroughTheRepeatPacketAtMost300AtATime) {
    ASSERT_EQ(canonDriveLensSteps(10, 650), PTP_RC_OK);
    using Drives = std::vector<std::pair<uint32_t, uint16_t>>;
    EXPECT_EQ(canon->lensDrives(), (Drives{{10, 300}, {10, 300}, {10, 50}}));
    EXPECT_EQ(canon->lensPosition(), 6500);
    ASSERT_EQ(canonDriveLensSteps(-4, 1), PTP_RC_OK);
    EXPECT_EQ(canon->lensDrives().back(), (std::pair<uint32_t, uint16_t>{0x8004, 1}));
    EXPECT_EQ(canonDriveLensSteps(1, 0), PTP_RC_OK);
    EXPECT_EQ(canon->lensDrives().size(), 4u);
    size_t packets = 0;
    for (const auto& p : device.log()) {
        if (p.type != 0x05) continue;
        ++packets;
        EXPECT_EQ(p.bytes.size(), 31u);
        EXPECT_EQ(p.bytes[13], 0x4B);
    }
    EXPECT_EQ(packets, 4u);
    EXPECT_EQ(camManualFocusFlag(), 1u);
    // The transaction id is the next one and is not used up.
    uint8_t packet[31];
    canonBuildRepeatPacket(7, 0x8002, 42, packet);
    EXPECT_EQ(packet[0], 31);
    EXPECT_EQ(packet[5], 26);
    EXPECT_EQ(packet[9], 7);
    EXPECT_EQ(packet[15 + 6], 0x55);
    EXPECT_EQ(packet[15 + 7], 0x91);
    EXPECT_EQ(packet[15 + 8], 42);
    EXPECT_EQ(packet[15 + 12], 0x02);
    EXPECT_EQ(packet[15 + 13], 0x80);
}

TEST_F(CanonPressTest, FocusStackTakesItsShotsAndDrivesBetweenThem) {
    std::vector<uint32_t> progress;
    ASSERT_EQ(canonFocusStackRun(3, 0x8002, 0, [&](uint32_t n) { progress.push_back(n); }), PTP_RC_OK);
    EXPECT_EQ(progress, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(canon->shots(), 3);
    EXPECT_EQ(sent(0x9155), (Params{{0x8002}, {0x8002}}));
    EXPECT_FALSE(camEventsPaused());
    EXPECT_EQ(canonFocusStackRun(0, 1, 0, nullptr), PTP_RC_OK);
    EXPECT_EQ(canon->shots(), 3);
}

TEST_F(CanonPressTest, ACancelledFocusStackReturnsCancelled) {
    std::vector<uint32_t> progress;
    ResponseCode rc = canonFocusStackRun(5, 1, 0, [&](uint32_t n) {
        progress.push_back(n);
        if (n == 2) canonCancelFocusStack();
    });
    EXPECT_EQ(rc, ERROR_CANCELLED);
    EXPECT_EQ(progress, (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(canon->shots(), 2);
    EXPECT_EQ(sent(0x9155).size(), 1u);
}

TEST_F(CanonPressTest, TheReadyProbeGivesUpOnACameraThatStaysBusy) {
    canon->refuseSets(2);
    EXPECT_TRUE(canonWaitReady());
    EXPECT_EQ(sent(0x9110).size(), 3u);
    device.clearLog();
    canon->refuseSets(1000);
    EXPECT_FALSE(canonWaitReady());
    // Each write is one transaction with its one retry of a busy camera.
    EXPECT_EQ(sent(0x9110).size(), 2 * static_cast<size_t>(kCanonReadyProbeAttempts));
    canon->refuseSets(0);
}

TEST_F(CanonPressTest, TheLiveViewSwitchGivesUpOnACameraThatStaysBusy) {
    canon->reportBusy(true);
    camPollEvents(true, false);
    canon->ignoreSets(0xD1B0, 1000);
    EXPECT_EQ(canonSetLiveView(true, true), PTP_ERROR_PROP_NOT_CONFIRMED);
    EXPECT_EQ(sent(0x9110).size(), static_cast<size_t>(kCanonLiveViewSwitchAttempts));
    EXPECT_FALSE(canonLiveViewIsOn());
    // Once the camera takes the value the switch succeeds.
    canon->ignoreSets(0xD1B0, 1);
    EXPECT_EQ(canonSetLiveView(true, true), PTP_RC_OK);
    EXPECT_TRUE(canonLiveViewIsOn());
}

TEST_F(CanonPressTest, MovieModeAndRecording) {
    ASSERT_TRUE(camMovieRecordingSupported());
    ASSERT_EQ(camMovieModeOn(), PTP_RC_OK);
    EXPECT_TRUE(canon->movieMode());
    EXPECT_TRUE(canon->liveViewOn());
    ASSERT_EQ(camMovieRecordStart(), PTP_RC_OK);
    EXPECT_TRUE(canon->recording());
    ASSERT_EQ(camMovieRecordStop(), PTP_RC_OK);
    std::vector<CameraEvent> seen = pollUntil(PTP_EC_ObjectAdded);
    ASSERT_FALSE(seen.empty());
    EXPECT_FALSE(canon->recording());
    ASSERT_EQ(camMovieModeOff(), PTP_RC_OK);
    EXPECT_FALSE(canon->movieMode());
    EXPECT_FALSE(canon->liveViewOn());
}

TEST_F(CanonPressTest, ABusyMovieSwitchIsSettledByAFrame) {
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    canon->failOperation(0x9133, std::nullopt, 0x2019, 2);
    EXPECT_EQ(camMovieModeOn(), PTP_RC_OK);  // the camera gave a frame: it is in movie mode
    canon->failOperation(0x9133, std::nullopt, 0x2019, 2);
    canon->withholdFrames(2);
    EXPECT_EQ(camMovieModeOn(), PTP_RC_OK);  // no frame: recording stopped, mode left and entered again
    EXPECT_TRUE(canon->movieMode());
}

TEST_F(CanonPressTest, RequestedAndRefreshedValuesArrive) {
    canon->changeOnCamera(0xD101, 0x40);
    ASSERT_EQ(camGetPropertyNow(0xD101), PTP_RC_OK);
    EXPECT_EQ(storeValue(0xD101), 0x40u);
    EXPECT_EQ(sent(0x9127), (Params{{0xD101}}));
    canon->changeOnCamera(0xD103, 0x60);
    EXPECT_EQ(camRefreshAllProperties(), PTP_RC_OK);
    EXPECT_EQ(storeValue(0xD103), 0x60u);
    EXPECT_EQ(sent(0x9115), (Params{{1}}));
}

TEST_F(CanonPressTest, CardListingThumbnailsAndRawPreviews) {
    ASSERT_EQ(camSetImageFormat(0x16010000, 0x1100C000), PTP_RC_OK);
    ASSERT_EQ(canonRemoteRelease(true), PTP_RC_OK);
    ASSERT_EQ(canonRemoteRelease(true), PTP_RC_OK);
    std::vector<uint32_t> taken = canon->captured();
    ASSERT_EQ(taken.size(), 4u);  // two CR3 + JPEG pairs

    std::vector<CanonObjectEntry> tree;
    ASSERT_EQ(canonLoadObjectTree(&tree, true, 0), PTP_RC_OK);
    ASSERT_EQ(tree.size(), 6u);  // DCIM, 100CANON and the four files
    EXPECT_STREQ(tree[0].fileName, "DCIM");
    EXPECT_STREQ(tree[1].fileName, "100CANON");
    for (size_t i = 2; i < tree.size(); ++i) {
        EXPECT_EQ(tree[i].fileNumber, canon->fileNumber(tree[i].handle)) << i;
        EXPECT_NE(tree[i].fileNumber, 0u);
    }
    std::vector<CanonObjectEntry> raws;
    ASSERT_EQ(canonLoadObjectTree(&raws, false, canonRawObjectFormat()), PTP_RC_OK);
    ASSERT_EQ(raws.size(), 4u);
    EXPECT_EQ(raws[2].format, 0xB108u);
    EXPECT_EQ(raws[2].fileNumber, 0u);
    std::vector<uint32_t> handles;  // this body lists no object tree: the handles come from GetObjectHandles
    ASSERT_EQ(camLoadObjectHandles(&handles), PTP_RC_OK);
    EXPECT_EQ(handles, taken);

    uint32_t number = 0;
    ASSERT_EQ(canonGetObjectValue(taken[1], 0, &number), PTP_RC_OK);
    EXPECT_EQ(number, canon->fileNumber(taken[1]));

    HeapBlock thumb;
    uint8_t orientation = 0;
    ASSERT_EQ(ptpGetThumb(taken[1], &thumb, &orientation), PTP_RC_OK);
    EXPECT_EQ(orientation, 1);
    ASSERT_GT(thumb.size(), 4u);
    EXPECT_EQ(thumb[0], 0xFF);
    EXPECT_EQ(thumb[3], 0xDB);

    // The CR3 downloads whole and holds the JPEG taken with it.
    HeapBlock cr3;
    ASSERT_EQ(ptpGetObject(taken[0], &cr3), PTP_RC_OK);
    uint64_t offset = 0, size = 0;
    ASSERT_TRUE(canonRawFindPreviewJpeg(cr3.data(), cr3.size(), &offset, &size));
    EXPECT_EQ(std::vector<uint8_t>(cr3.begin() + offset, cr3.begin() + offset + size), *canon->object(taken[1])->bytes);
}

// A thumbnail fetched for sharing goes out behind its data wrapper on the Canon thumbnail operation; a plain fetch
// on another thread at the same time never does.
TEST_F(CanonPressTest, ASharedThumbnailGoesOutWrappedAndNoOtherDoes) {
    ASSERT_EQ(canonRemoteRelease(true), PTP_RC_OK);
    ASSERT_EQ(canonRemoteRelease(true), PTP_RC_OK);
    std::vector<uint32_t> taken = canon->captured();
    ASSERT_EQ(taken.size(), 2u);
    const uint32_t shared = taken[0], plain = taken[1];
    PtpObjectInfoStruct record{};
    record.objectId = shared;
    PtpDataWrapper wrapper{0xA1, 0xB0, &record, sizeof record};
    device.clearLog();
    std::thread sharer([&] {
        for (int i = 0; i < 15; ++i) {
            HeapBlock thumb;
            uint8_t orientation = 0;
            EXPECT_EQ(ptpGetThumb(shared, &thumb, &orientation, &wrapper), PTP_RC_OK);
            EXPECT_FALSE(thumb.empty());
        }
    });
    for (int i = 0; i < 15; ++i) {
        HeapBlock thumb;
        uint8_t orientation = 0;
        EXPECT_EQ(ptpGetThumb(plain, &thumb, &orientation), PTP_RC_OK);
    }
    sharer.join();
    auto packets = ptpPackets(0x910A);
    ASSERT_EQ(packets.size(), 30u);
    for (const auto& p : packets) {
        ASSERT_FALSE(p.ptpParams.empty());
        ASSERT_EQ(bool(p.wrapper), p.ptpParams[0] == shared) << "handle " << p.ptpParams[0];
        if (!p.wrapper) continue;
        EXPECT_EQ(p.wrapper->subCodeA, 0xA1);
        EXPECT_EQ(p.wrapper->subCodeB, 0xB0);
        ASSERT_EQ(p.wrapper->data.size(), sizeof record);
        EXPECT_EQ(readLe32(p.wrapper->data.data()), shared);
    }
    EXPECT_FALSE(linkGetPendingObject(0x910A));
}

// The mirrorless body lists the extended object-added event among its events.
TEST_F(CanonPressTest, TheMirrorlessBodyListsTheExtendedObjectAddedEvent) {
    EXPECT_TRUE(ptpSessionDeviceInfo().eventsSupported.contains(0xC1B6));
}

TEST_F(CanonPressTest, ZoomAndZoomPosition) {
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    ASSERT_EQ(camLiveViewZoom(200), PTP_RC_OK);
    EXPECT_EQ(canon->zoomStep(), 10u);
    EXPECT_EQ(camLiveViewZoomRatio(0), 200u);
    ASSERT_EQ(camLiveViewZoomArea(0.05, 1.0, 0, 0), PTP_RC_OK);
    EXPECT_EQ(canon->zoomPosition(), (std::pair<uint32_t, uint32_t>{0, 3283}));  // 0.9 x 3648
    ASSERT_EQ(camLiveViewZoomArea(0.3, 0.55, 0, 0), PTP_RC_OK);
    EXPECT_EQ(canon->zoomPosition(), (std::pair<uint32_t, uint32_t>{1094, 1641}));
    // A nudge moves the position of the last frame by 100.
    HeapBlock frame;
    ASSERT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);
    ASSERT_EQ(camNudgeLiveView(3, true), PTP_RC_OK);
    EXPECT_EQ(canon->zoomPosition(), (std::pair<uint32_t, uint32_t>{1194, 1641}));
}

// Zoom steps by model.
class CanonZoomModelTest : public CanonBodyFixture<CanonBody::Mirrorless> {
protected:
    std::string model() override { return modelName; }
    std::string modelName = "Canon EOS R5m2";
};

TEST_F(CanonZoomModelTest, NewerBodiesUseTheirOwnSteps) {
    EXPECT_EQ(camModelIndex(), 251);
    ASSERT_EQ(canonLiveViewZoom(200), PTP_RC_OK);
    ASSERT_EQ(canonLiveViewZoom(100), PTP_RC_OK);
    ASSERT_EQ(canonLiveViewZoom(400), PTP_RC_OK);
    EXPECT_EQ(sent(0x9158), (Params{{15}, {6}, {1}}));
    camSetModelIndex(232);
    EXPECT_EQ(canonLiveViewZoom(200), PTP_ERROR_UNSUPPORTED_COMMAND);
    EXPECT_EQ(sent(0x9158).size(), 3u);
    // A 6000 x 4000 sensor puts (0.05, 1.0) at (0, 3600).
    CanonModelFacts facts = canonModelFacts();
    facts.sensorWidth = 6000;
    facts.sensorHeight = 4000;
    canonSetModelFacts(facts);
    ASSERT_EQ(canonLiveViewZoomPosition(0.05, 1.0), PTP_RC_OK);
    EXPECT_EQ(sent(0x9159).back(), (std::vector<uint32_t>{0, 3600}));
}

TEST_F(CanonOneStepTest, OneStepCaptureAndBulb) {
    ASSERT_EQ(canonRemoteRelease(true), PTP_RC_OK);
    EXPECT_EQ(sent(0x910F), (Params{{}}));
    EXPECT_TRUE(sent(0x9128).empty());
    EXPECT_TRUE(sent(0x9129).empty());
    EXPECT_EQ(canon->shots(), 1);
    EXPECT_EQ(camCaptureRelease(), PTP_RC_OK);  // nothing held, nothing sent
    EXPECT_TRUE(sent(0x9129).empty());
    canon->failNextAutoFocus();
    EXPECT_EQ(canonRemoteRelease(false), 0xA002);
    EXPECT_EQ(canon->shots(), 1);
    ASSERT_EQ(camBulbStart(), PTP_RC_OK);
    ASSERT_EQ(camBulbStop(), PTP_RC_OK);
    EXPECT_EQ(canon->bulbExposures(), 1);
    EXPECT_EQ(sent(0x9125).size(), 1u);
    EXPECT_EQ(sent(0x9126).size(), 1u);
    // This body lists its object tree: the handles are the tree's, read through 0x9170.
    std::vector<uint32_t> handles;
    ASSERT_EQ(camLoadObjectHandles(&handles), PTP_RC_OK);
    std::vector<uint32_t> expected = {devicesim::CanonCamera::kDcimFolder, devicesim::CanonCamera::kImageFolder};
    for (uint32_t h : canon->captured()) expected.push_back(h);
    EXPECT_EQ(handles, expected);
    EXPECT_FALSE(sent(0x9170).empty());
    EXPECT_TRUE(canonHasMirrorUp());
    EXPECT_FALSE(canonMirrorUpOn());
    ASSERT_EQ(canonSetMirrorUp(true, true), PTP_RC_OK);
    EXPECT_TRUE(canonMirrorUpOn());
}

// The mirror-up press of model 227.
class CanonMirrorUpTest : public CanonBodyFixture<CanonBody::DslrJpegLiveView> {
protected:
    std::string model() override { return "Canon EOS 90D"; }
};

TEST_F(CanonMirrorUpTest, AMirrorUpPressHoldsAndAFailedOneLetsGo) {
    ASSERT_EQ(camModelIndex(), 227);
    ASSERT_EQ(canonSetMirrorUp(true, true), PTP_RC_OK);
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_EQ(sent(0x9128), (Params{{3, 0}}));
    EXPECT_TRUE(camEventsPaused());
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    EXPECT_FALSE(camEventsPaused());
    canon->failOperation(0x9128, 3, 0x2002);
    EXPECT_EQ(camCapture(), PTP_RC_GENERAL_ERROR);
    EXPECT_FALSE(camEventsPaused());
    EXPECT_FALSE(canonShutterPressed());
}

// With mirror-up on, the first press of the 90D locks the mirror up (0xD1BF 2) without a picture; the second press
// takes it and the mirror comes down.
TEST_F(CanonMirrorUpTest, TheSecondPressTakesTheMirrorUpPicture) {
    ASSERT_EQ(canonSetMirrorUp(true, true), PTP_RC_OK);
    EXPECT_FALSE(camMirrorUp());
    ASSERT_EQ(camCapture(), PTP_RC_OK);
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    pollUntil(PTP_EC_DevicePropChanged);
    EXPECT_EQ(storeValue(0xD1BF), 2u);
    EXPECT_TRUE(camMirrorUp());
    EXPECT_EQ(canon->shots(), 0);

    ASSERT_EQ(camCapture(), PTP_RC_OK);
    ASSERT_EQ(camCaptureRelease(), PTP_RC_OK);
    EXPECT_EQ(sent(0x9128), (Params{{3, 0}, {3, 0}}));
    pollUntil(PTP_EC_DevicePropChanged);
    EXPECT_EQ(canon->shots(), 1);
    EXPECT_EQ(storeValue(0xD1BF), 0u);
    EXPECT_FALSE(camMirrorUp());
}

// A picture deleted on the camera comes back as an object-removed event with its handle.
TEST_F(CanonMirrorUpTest, ADeletedObjectIsReportedRemoved) {
    ASSERT_EQ(canonRemoteRelease(true), PTP_RC_OK);
    std::vector<uint32_t> taken = canon->captured();
    ASSERT_EQ(taken.size(), 1u);
    pollUntil(PTP_EC_ObjectAdded);
    takeEvents();
    ASSERT_EQ(camDeleteObject(taken[0], 0), PTP_RC_OK);
    EXPECT_FALSE(canon->object(taken[0]));
    bool removed = false;
    for (const CameraEvent& e : pollUntil(PTP_EC_ObjectRemovedEvent))
        if (e.code == PTP_EC_ObjectRemovedEvent && e.objectHandle == taken[0]) removed = true;
    EXPECT_TRUE(removed);
}

TEST_F(CanonMirrorUpTest, BracketingIsSwitchedOffOnlyWhenOn) {
    EXPECT_EQ(camDisableBracketing(), PTP_RC_OK);
    EXPECT_TRUE(sent(0x9110).empty());
    ASSERT_EQ(propSet(0xD1D9, 8, true), PTP_RC_OK);
    EXPECT_TRUE(camHdrPrepare());
    EXPECT_TRUE(camBracketEnabled());
    ASSERT_EQ(camDisableBracketing(), PTP_RC_OK);
    pollUntil(PTP_EC_DevicePropChanged);
    EXPECT_EQ(storeValue(0xD1D9), 0u);
    EXPECT_EQ(canonBracketMax(), 2.0f);
}

}  // namespace
