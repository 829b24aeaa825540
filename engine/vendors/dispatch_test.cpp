#include "engine/vendors/dispatch.h"

#include <gtest/gtest.h>

#include <functional>

#include "devicesim/camera_properties.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/vendors/vendor_test_doubles.h"

namespace {

class DispatchTest : public ::testing::Test {
protected:
    void SetUp() override { test_vendor::resetCoreState(); }
    void TearDown() override { test_vendor::resetCoreState(); }
};

// Every dispatched action with no vendor module answers as the "none" column: before the first session (0), after a
// failed identification (0xFF11), and for each vendor whose module is not registered yet.
TEST_F(DispatchTest, EveryActionWithoutAVendorModuleAnswersTheNoVendorColumn) {
    constexpr double kNo = ERROR_CAMERA_NOT_SUPPORTED, kUnsupported = PTP_ERROR_UNSUPPORTED_COMMAND, kOk = PTP_RC_OK;
    uint8_t below = 9, above = 9;
    uint32_t code = 9, value = 9;
    int32_t format = 9;
    float brackets[12] = {};
    std::vector<int32_t> list;
    std::string text;
    HeapBlock frame;
    const struct {
        const char* operation;
        std::function<double()> call;
        double none;
    } table[] = {
        {"camCaptureRelease", [] { return camCaptureRelease(); }, kOk},
        {"camBulbStart", [] { return camBulbStart(); }, kNo},
        {"camBulbStop", [] { return camBulbStop(); }, kNo},
        {"camHalfPress", [] { return camHalfPress(); }, kUnsupported},
        {"camHalfPressRelease", [] { return camHalfPressRelease(); }, kUnsupported},
        {"camSupportsRemoteRelease", [] { return camSupportsRemoteRelease(); }, false},
        {"camToggleLiveView", [] { return camToggleLiveView(true); }, kNo},
        {"camLiveViewFrame", [&] { return camLiveViewFrame(&frame); }, kNo},
        {"camLiveViewZoom", [] { return camLiveViewZoom(200); }, kNo},
        {"camLiveViewZoomRatio", [] { return camLiveViewZoomRatio(1); }, 77},  // the kept zoom value
        {"camLiveViewZoomArea", [] { return camLiveViewZoomArea(0.5, 0.5, 0.1, 0.1); }, kNo},
        {"camLiveViewTap", [] { return camLiveViewTap(); }, kNo},
        {"camLiveViewTapRelease", [] { return camLiveViewTapRelease(); }, kNo},
        {"camSupportsZoom200", [] { return camSupportsZoom200(); }, false},
        {"camNudgeLiveView", [] { return camNudgeLiveView(3, false); }, kNo},
        {"canonLiveViewZoomOp", [] { return canonLiveViewZoomOp(); }, false},
        {"camTouchFocusPoint", [] { return camTouchFocusPoint(); }, false},
        {"camOrientation", [] { return camOrientation(); }, 1},
        {"camHasFocus", [] { return camHasFocus(); }, false},
        {"camIsAutoFocus", [] { return camIsAutoFocus(); }, false},
        {"camIsManualFocus", [] { return camIsManualFocus(); }, true},  // the manual-focus flag
        {"camFocusStackStep", [] { return camFocusStackStep(1); }, kNo},
        {"camHasMirrorUp", [] { return camHasMirrorUp(); }, false},
        {"camDisableBracketing", [] { return camDisableBracketing(); }, kNo},
        {"camSetBracketing", [] { return camSetBracketing(3); }, 0},
        {"camExposureCompValues", [&] { return camExposureCompValues(&below, &above) + 10 * below + 100 * above; }, 990},
        {"camExposureCompGet", [] { return camExposureCompGet(0x10); }, 0},
        {"camExposureCompSelected", [] { return camExposureCompSelected(1.0f); }, kNo},
        {"camExposureCompCode", [] { return camExposureCompCode(2); }, 0},
        {"camExposureCompStep", [] { return camExposureCompStep(0.5f); }, kNo},
        {"camExposureCompCount", [] { return camExposureCompCount(); }, 0},
        {"camChangeBracket", [] { return camChangeBracket(3, 1.0f); }, 1.0},  // steps x 1/3
        {"camBracketValues", [&] { return camBracketValues(brackets, true, 1.0f); }, 0},
        {"camBracketEnabled", [] { return camBracketEnabled(); }, false},
        {"camExposureCompMax", [] { return camExposureCompMax(0); }, 0},
        {"camExposureCompMin", [] { return camExposureCompMin(1); }, 0},
        {"camPropertyUpdated", [] { return camPropertyUpdated(); }, false},
        {"camHdrPrepare", [] { return camHdrPrepare(); }, false},
        {"camWhiteBalanceValue", [&] { return camWhiteBalanceValue(&code, &value) + 10 * code + 100 * value; }, 990},
        {"camMovieRecordingSupported", [] { return camMovieRecordingSupported(); }, false},
        {"camMovieToggleAvailable", [] { return camMovieToggleAvailable(); }, true},
        {"camMovieModeOn", [] { return camMovieModeOn(); }, kNo},
        {"camMovieModeOff", [] { return camMovieModeOff(); }, kNo},
        {"camMovieRecordStart", [] { return camMovieRecordStart(); }, kNo},
        {"camMovieRecordStop", [] { return camMovieRecordStop(); }, kNo},
        {"camRefreshAllProperties", [] { return camRefreshAllProperties(); }, kNo},
        {"camFormatIsRawPlusJpeg", [] { return camFormatIsRawPlusJpeg(); }, false},
        {"camFormatIsJpegOnly", [] { return camFormatIsJpegOnly(); }, false},
        {"camFormatIsRawOnly", [] { return camFormatIsRawOnly(); }, false},
        {"camImageFormatLabel", [&] { return camImageFormatLabel(1, 1, &code, &text); }, kNo},
        {"camImageFormatChoices", [&] { return camImageFormatChoices(6, &list); }, kNo},
        {"camImageFormatRawValue", [&] { return camImageFormatRawValue(&format); }, kNo},
        {"camImageFormatJpegValue", [&] { return camImageFormatJpegValue(&format); }, kNo},
        {"camSetImageFormat", [] { return camSetImageFormat(-1, 3); }, kUnsupported},
        {"camSetManualFocus", [] { return camSetManualFocus(1, false); }, kOk},  // keeps the flag only
    };
    // Records that some vendors' cells read: the "none" column must not look at them.
    for (uint32_t c : {0xD1D9u, 0xD0C0u, 0xD120u, 0xD22Cu, 0x5004u, 0xD018u}) propCreate(c)->value = 0x16000001;

    for (VendorType vendor : {VendorType(VENDOR_NONE), VendorType(ERROR_DEVICE_INFO), VendorType(11),
                              VendorType(VENDOR_FUJI), VendorType(VENDOR_CANON), VendorType(VENDOR_SONY),
                              VendorType(VENDOR_NIKON)}) {
        for (const auto& row : table) {
            SCOPED_TRACE(testing::Message() << "vendor " << vendor << ": " << row.operation);
            camSetVendor(vendor);
            camSetKeptZoom(77);
            camSetManualFocusFlag(1);
            EXPECT_DOUBLE_EQ(row.call(), row.none);
        }
    }
    EXPECT_EQ(camEventCount(), 0u);
}

// A module of each vendor that records what the dispatch asks of it.
struct RecordingCanon : CanonModule {
    std::vector<std::string> calls;
    uint32_t headerX = 1000, headerY = 500;
    int turn = 1;
    ResponseCode bulbAnswer = PTP_RC_OK;
    ResponseCode bulbStop() override {
        calls.push_back("bulbStop");
        return bulbAnswer;
    }
    bool waitReady() override {
        calls.push_back("waitReady");
        return true;
    }
    bool liveViewPosition(uint32_t* x, uint32_t* y) override {
        *x = headerX;
        *y = headerY;
        return true;
    }
    int orientation() override { return turn; }
    ResponseCode liveViewZoom(uint32_t percent) override {
        calls.push_back("zoom " + std::to_string(percent));
        return PTP_RC_OK;
    }
    ResponseCode driveLens(uint32_t step) override {
        calls.push_back("driveLens " + std::to_string(step));
        return PTP_RC_OK;
    }
    int bracketCount() override { return 5; }
    ResponseCode setLiveView(bool on, bool evf) override {
        calls.push_back(std::string("setLiveView ") + (on ? "1" : "0") + (evf ? "1" : "0"));
        return PTP_RC_OK;
    }
};

struct RecordingNikon : NikonModule {
    std::vector<std::string> calls;
    ResponseCode captureAnswer = PTP_RC_DEVICE_BUSY;
    int busyPresses = 2;
    bool factor = false;
    ResponseCode capture() override {
        calls.push_back("capture");
        return captureAnswer;
    }
    ResponseCode deviceReady() override {
        calls.push_back("press");
        return busyPresses-- > 0 ? ResponseCode{PTP_RC_DEVICE_BUSY} : ResponseCode{PTP_RC_OK};
    }
    ResponseCode mfDrive(uint32_t direction, uint32_t amount) override {
        calls.push_back("mfDrive " + std::to_string(direction) + " " + std::to_string(amount));
        return PTP_RC_OK;
    }
    bool focusDriveFactor() override { return factor; }
    ResponseCode autoFocus(bool wait, bool first) override {
        calls.push_back(std::string("autoFocus ") + (wait ? "1" : "0") + (first ? "1" : "0"));
        return PTP_RC_OK;
    }
    ResponseCode setManualFocus(uint32_t manual) override {
        calls.push_back("setManualFocus " + std::to_string(manual));
        return PTP_RC_OK;
    }
    uint32_t focusModeCode() override { return 0xD161; }
};

struct RecordingSony : SonyModule {
    std::vector<int> steps;
    ResponseCode manualAnswer = PTP_RC_OK;
    ResponseCode focusStep(int s) override {
        steps.push_back(s);
        return PTP_RC_OK;
    }
    ResponseCode setManualFocus(uint32_t) override { return manualAnswer; }
};

struct RecordingFuji : FujiModule {
    std::vector<int> drives;
    ResponseCode driveFocus(int units) override {
        drives.push_back(units);
        return PTP_RC_OK;
    }
};

TEST_F(DispatchTest, FocusStackStepsAreScaledPerVendor) {
    RecordingFuji fuji;
    RecordingSony sony;
    RecordingCanon canon;
    RecordingNikon nikon;
    vendorRegisterFuji(&fuji);
    vendorRegisterSony(&sony);
    vendorRegisterCanon(&canon);
    vendorRegisterNikon(&nikon);
    for (VendorType v : {VENDOR_FUJI, VENDOR_SONY, VENDOR_CANON, VENDOR_NIKON}) {
        camSetVendor(v);
        for (int s : {1, 2, 3, -1, -3, 5}) EXPECT_EQ(camFocusStackStep(s), PTP_RC_OK);
    }
    EXPECT_EQ(fuji.drives, (std::vector<int>{6, 50, 140, -6, -140, 5}));
    EXPECT_EQ(sony.steps, (std::vector<int>{-3, -4, -6, 3, 6, -5}));
    EXPECT_EQ(canon.calls, (std::vector<std::string>{"driveLens 1", "driveLens 2", "driveLens 3", "driveLens 32769",
                                                     "driveLens 32771", "driveLens 5"}));
    ASSERT_EQ(nikon.calls.size(), 6u);
    EXPECT_EQ(nikon.calls[0], "mfDrive 1 32768");  // t = 32, amount 32 x t x t
    EXPECT_EQ(nikon.calls[1], "mfDrive 1 524288");
    EXPECT_EQ(nikon.calls[3], "mfDrive 2 32768");
    nikon.factor = true;
    nikon.calls.clear();
    camFocusStackStep(1);
    EXPECT_EQ(nikon.calls[0], "mfDrive 1 81920");  // times 2.5 on the flagged models
}

TEST_F(DispatchTest, NikonShotPressesAgainWhileBusy) {
    RecordingNikon nikon;
    vendorRegisterNikon(&nikon);
    camSetVendor(VENDOR_NIKON);
    engine_timing::scale().store(0.002);
    EXPECT_EQ(camTakeShot(), PTP_RC_OK);
    EXPECT_EQ(nikon.calls, (std::vector<std::string>{"capture", "press", "press", "press"}));
    nikon.calls.clear();
    nikon.busyPresses = 10;
    EXPECT_EQ(camTakeShot(), ERROR_SHOT_FAILED);
    EXPECT_EQ(nikon.calls.size(), 6u);  // the capture and five presses
    nikon.captureAnswer = 0xA002;
    EXPECT_EQ(camTakeShot(), 0xA002);
    nikon.captureAnswer = PTP_RC_OK;
    EXPECT_EQ(camTakeShot(), PTP_RC_OK);  // capture, then the Nikon release (nothing to send)
    engine_timing::scale().store(1.0);
}

TEST_F(DispatchTest, ManualFocusFlagEventsAndKeptZoom) {
    RecordingSony sony;
    RecordingCanon canon;
    RecordingNikon nikon;
    vendorRegisterSony(&sony);
    vendorRegisterCanon(&canon);
    vendorRegisterNikon(&nikon);
    camSetVendor(VENDOR_SONY);
    camFillVendorPropertyCodes();
    PropertyStruct* focus = propCreate(0x500A);
    sony.manualAnswer = 0x2002;
    EXPECT_EQ(camSetManualFocus(1, true), 0x2002);
    EXPECT_EQ(camManualFocusFlag(), 0u);
    EXPECT_EQ(camEventCount(), 0u);
    sony.manualAnswer = PTP_RC_OK;
    EXPECT_EQ(camSetManualFocus(1, true), PTP_RC_OK);
    EXPECT_EQ(camManualFocusFlag(), 1u);
    CameraEvent e;
    camPopEvent(&e);
    EXPECT_EQ(e.code, PTP_EC_DevicePropChanged);
    EXPECT_EQ(e.property.record, focus);

    // Canon's tap drives autofocus, then marks manual focus; its zoom is kept for the ratio.
    camSetVendor(VENDOR_CANON);
    camSetManualFocusFlag(0);
    EXPECT_EQ(camLiveViewZoom(200), PTP_RC_OK);
    EXPECT_EQ(camLiveViewZoomRatio(0), 200u);
    EXPECT_EQ(camToggleLiveView(true), PTP_RC_OK);
    EXPECT_EQ(canon.calls.back(), "setLiveView 11");
    camLiveViewTap();
    EXPECT_EQ(camManualFocusFlag(), 1u);
    EXPECT_TRUE(camIsManualFocus());

    // Nikon's tap is its autofocus with wait and switch first.
    camSetVendor(VENDOR_NIKON);
    camLiveViewTap();
    EXPECT_EQ(nikon.calls, (std::vector<std::string>{"autoFocus 11", "setManualFocus 1"}));
    EXPECT_EQ(camLiveViewTapRelease(), PTP_RC_OK);
}

TEST_F(DispatchTest, CanonBulbStopWaitsOnlyAfterSuccessAndBracketCounts) {
    RecordingCanon canon;
    vendorRegisterCanon(&canon);
    camSetVendor(VENDOR_CANON);
    EXPECT_EQ(camBulbStop(), PTP_RC_OK);
    canon.bulbAnswer = 0x2019;
    EXPECT_EQ(camBulbStop(), 0x2019);
    EXPECT_EQ(canon.calls, (std::vector<std::string>{"bulbStop", "waitReady", "bulbStop"}));
    uint8_t below = 0, above = 0;
    EXPECT_TRUE(camExposureCompValues(&below, &above));
    EXPECT_EQ(below, 2);
    EXPECT_EQ(above, 2);
}

TEST_F(DispatchTest, PropertyValueCellsReadTheStore) {
    RecordingCanon canon;
    RecordingSony sony;
    RecordingNikon nikon;
    vendorRegisterCanon(&canon);
    vendorRegisterSony(&sony);
    vendorRegisterNikon(&nikon);

    camSetVendor(VENDOR_CANON);
    EXPECT_FALSE(camFormatIsRawOnly());  // no 0xD120 record
    PropertyStruct* format = propCreate(0xD120);
    const struct {
        uint32_t value;
        bool rawPlusJpeg, jpegOnly, rawOnly;
    } canonFormats[] = {{0x26010403, true, false, false}, {0x1100C000, false, true, false},
                        {0x16010000, false, false, true}, {0x30000000, false, false, false}};
    for (const auto& f : canonFormats) {
        format->value = f.value;
        EXPECT_EQ(camFormatIsRawPlusJpeg(), f.rawPlusJpeg) << std::hex << f.value;
        EXPECT_EQ(camFormatIsJpegOnly(), f.jpegOnly) << std::hex << f.value;
        EXPECT_EQ(camFormatIsRawOnly(), f.rawOnly) << std::hex << f.value;
    }
    EXPECT_FALSE(camHdrPrepare());
    propCreate(0xD1D9)->value = 3;
    EXPECT_TRUE(camHdrPrepare());

    camSetVendor(VENDOR_SONY);
    camFillVendorPropertyCodes();
    PropertyStruct* quality = propCreate(0x5004);
    quality->value = 0x113;  // low byte 19
    EXPECT_TRUE(camFormatIsRawPlusJpeg());
    quality->value = 16;
    EXPECT_TRUE(camFormatIsRawOnly());
    EXPECT_FALSE(camTouchFocusPoint());
    propCreate(0xD22C);
    EXPECT_TRUE(camTouchFocusPoint());

    camSetVendor(VENDOR_NIKON);
    quality->value = 4;
    camSetModelIndex(205);
    EXPECT_TRUE(camFormatIsRawOnly());
    camSetModelIndex(225);  // the newer models mark RAW only with 7
    EXPECT_FALSE(camFormatIsRawOnly());
    quality->value = 7;
    EXPECT_TRUE(camFormatIsRawOnly());
    camSetModelIndex(201);
    EXPECT_FALSE(canonLiveViewZoomOp());
    camSetModelIndex(202);
    EXPECT_TRUE(canonLiveViewZoomOp());
    uint32_t code = 0, value = 0;
    EXPECT_TRUE(camWhiteBalanceValue(&code, &value));
    EXPECT_EQ(code, 0x5005u);
    EXPECT_EQ(value, 0x8012u);
}

// A Canon body zooms its live view only when its DeviceInfo lists the zoom operation 0x913E, and never the body
// with model index 235, whatever it lists.
TEST_F(DispatchTest, CanonLiveViewZoomNeedsTheZoomOperationAndIsNeverOnModel235) {
    RecordingCanon canon;
    vendorRegisterCanon(&canon);
    camSetVendor(VENDOR_CANON);
    const struct {
        bool listsZoom;
        uint8_t model;
        bool zooms;
    } cases[] = {
        {true, 230, true}, {true, 235, false}, {false, 230, false}, {false, 235, false}, {true, 252, true},
    };
    for (const auto& c : cases) {
        DeviceInfoRecord info;
        info.vendorExtensionId = 11;
        info.operationsSupported.codes[info.operationsSupported.count++] = 0x9101;
        if (c.listsZoom) info.operationsSupported.codes[info.operationsSupported.count++] = 0x913E;
        ptpSetSessionDeviceInfo(info);
        camSetModelIndex(c.model);
        EXPECT_EQ(canonLiveViewZoomOp(), c.zooms) << "model " << int(c.model) << " lists 0x913E: " << c.listsZoom;
    }
}

TEST_F(DispatchTest, ChangeBracketFollowsTheStepsPerStop) {
    RecordingNikon nikon;
    vendorRegisterNikon(&nikon);
    camSetVendor(VENDOR_NIKON);
    camSetModelIndex(225);  // a model of the Nikon list
    EXPECT_FLOAT_EQ(camChangeBracket(1, 2.0f), 1.0f);
    EXPECT_FLOAT_EQ(camChangeBracket(1, 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(camChangeBracket(-1, 1.0f), -1.0f / 3);
    EXPECT_FLOAT_EQ(camChangeBracket(1, 0.5f), 1.0f / 3);
    camSetModelIndex(205);  // not in the list: steps x k, with k from the count (0 here: a third)
    EXPECT_FLOAT_EQ(camChangeBracket(3, 2.0f), 1.0f);
}

// The cells that talk to the camera themselves, against the stand-in device.
class DispatchDeviceTest : public DevicesimLinkTest {
protected:
    class NudgeCamera : public devicesim::PropertyCamera {
    public:
        using PropertyCamera::PropertyCamera;
        std::vector<std::vector<uint32_t>> received;

    protected:
        std::optional<devicesim::PtpResult> handleVendorOperation(const devicesim::PtpOperation& op) override {
            if (op.code == 0x9159 || op.code == 0x100E) {
                received.push_back(op.params);
                return devicesim::PtpResult::ok();
            }
            return PropertyCamera::handleVendorOperation(op);
        }
    };

    std::shared_ptr<devicesim::GenericCamera> makeCamera() override {
        auto config = devicesim::GenericCameraConfig{};
        config.operations.push_back(0x9159);
        config.operations.push_back(0x100E);
        nudgeCamera = std::make_shared<NudgeCamera>(config);
        return nudgeCamera;
    }
    void SetUp() override {
        DevicesimLinkTest::SetUp();
        test_vendor::resetCoreState();
        openSession();
    }
    void TearDown() override {
        test_vendor::resetCoreState();
        DevicesimLinkTest::TearDown();
    }
    std::shared_ptr<NudgeCamera> nudgeCamera;
};

TEST_F(DispatchDeviceTest, CanonNudgeMovesTheHeaderPositionByAHundred) {
    RecordingCanon canon;
    vendorRegisterCanon(&canon);
    camSetVendor(VENDOR_CANON);
    EXPECT_EQ(camNudgeLiveView(3, true), PTP_RC_OK);  // right, raw
    canon.turn = 6;
    EXPECT_EQ(camNudgeLiveView(0, false), PTP_RC_OK);  // up, turned by orientation 6 to left
    canon.headerX = 40;
    EXPECT_EQ(camNudgeLiveView(2, true), PTP_RC_OK);  // left of the edge stops at 0
    EXPECT_EQ(nudgeCamera->received,
              (std::vector<std::vector<uint32_t>>{{1100, 500}, {900, 500}, {0, 500}}));
}

TEST_F(DispatchDeviceTest, WithoutAVendorCaptureIsAPlainInitiateCapture) {
    camSetVendor(VENDOR_NONE);
    EXPECT_EQ(camCapture(), PTP_RC_OK);
    EXPECT_EQ(camTakeShot(), PTP_RC_OK);  // capture, then the release of no vendor (nothing sent)
    EXPECT_EQ(nudgeCamera->received, (std::vector<std::vector<uint32_t>>{{}, {}}));
    EXPECT_EQ(ptpPackets(0x100E).size(), 2u);
}

}  // namespace

namespace {

// The largest bracket step: Canon's and Nikon's modules answer it, the other vendors and no vendor give 0.
TEST_F(DispatchTest, BracketMaximumComesFromTheCanonAndNikonModules) {
    struct BracketCanon : CanonModule {
        float bracketMax() override { return 2.0f; }
    } canon;
    struct BracketNikon : NikonModule {
        float bracketMax() override { return 3.0f; }
    } nikon;
    RecordingSony sony;
    RecordingFuji fuji;
    const struct {
        VendorType vendor;
        float withModules, withoutModules;
    } cases[] = {
        {VENDOR_FUJI, 0.0f, 0.0f}, {VENDOR_CANON, 2.0f, 0.0f}, {VENDOR_SONY, 0.0f, 0.0f},
        {VENDOR_NIKON, 3.0f, 0.0f}, {VendorType{0}, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        camSetVendor(c.vendor);
        EXPECT_EQ(camBracketMax(), c.withoutModules) << c.vendor;
    }
    vendorRegisterFuji(&fuji);
    vendorRegisterSony(&sony);
    vendorRegisterCanon(&canon);
    vendorRegisterNikon(&nikon);
    for (const auto& c : cases) {
        camSetVendor(c.vendor);
        EXPECT_EQ(camBracketMax(), c.withModules) << c.vendor;
    }
}

}  // namespace
