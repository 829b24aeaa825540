// Brackets run from the application against a simulated Nikon, Sony and Fujifilm body: a property bracket whose
// values the device log shows at each picture, a bulb bracket whose exposures last their times, and a cancel during
// a long bulb exposure that closes the shutter. The checks are shared (focus_stack_bracket_test_support.h); each
// body says how its log and state read.
#include <gtest/gtest.h>

#include "engine/automation/automation_checks.h"
#include "engine/automation/focus_stack_bracket_test_support.h"
#include "engine/ptp/property_access.h"
#include "engine/vendors/fujifilm/fuji_test_fixture.h"
#include "engine/vendors/nikon/nikon_test_fixture.h"
#include "engine/vendors/sony/sony_test_fixture.h"

namespace {

using namespace bracket_test;

// --- Nikon: sets by SetDevicePropValue, pictures by the capture operations, bulb held while 0xD100 is bulb.

class NikonBracket : public NikonDeviceTest {
protected:
    void SetUp() override {
        NikonDeviceTest::SetUp();
        ASSERT_EQ(openNikonSession(), PTP_RC_OK);
        device.clearLog();
    }
    BracketBody body() {
        return {[this] { device.clearLog(); },
                [this] { return nikon->shots(); },
                [this] { return nikon->bulbOpen(); },
                [this] { return nikon->shots(); },  // a bulb picture is taken when the exposure ends
                [this] { return !nikon->bulbOpen(); },
                [this](uint32_t property) {
                    return valuesAtShots(device.log(), 0x1016, property, [](const LoggedPacket& p) {
                        return p.ptpOperation && (*p.ptpOperation == 0x9207 || *p.ptpOperation == 0x100E);
                    });
                }};
    }
};

// The body's aperture list runs from f/2.8 (280) to f/11 (1100); Nikon walks it from the long end.
TEST_F(NikonBracket, PropertyBracketTakesAPictureAtEachValue) {
    const std::vector<uint32_t> aperture = {280, 320, 350, 400, 450, 500, 560, 630, 710, 800, 900, 1000, 1100};
    expectPropertyBracket(body(), job(0x5007, 560, 2, 5, 0),
                          {aperture[10], aperture[8], aperture[6], aperture[4], aperture[2]});
    const std::vector<uint32_t> iso = {100, 200, 400, 800, 1600, 3200, 6400};
    expectPropertyBracket(body(), job(0x500F, 400, 1, 3, 2), {iso[2], iso[3], iso[4]});
}

TEST_F(NikonBracket, BulbBracketAndCancel) {
    ASSERT_TRUE(camBulbAvailable());
    ASSERT_EQ(propSet(0xD100, 0xFFFFFFFF, true), PTP_RC_OK);
    expectBulbBracket(body());
    expectCancelDuringBulb(body());
}

// --- Sony: direct sets (0x9205) on the extended-format body, pictures by the full-press button written down.

class SonyBracket : public SonyDeviceTest {
protected:
    devicesim::SonyCameraOptions cameraOptions() override {
        devicesim::SonyCameraOptions o;
        o.body = devicesim::SonyBody::A7RM4;
        o.jpegSize = 30 * 1024;
        return o;
    }
    void SetUp() override {
        SonyDeviceTest::SetUp();
        ASSERT_EQ(openSonySession(), PTP_RC_OK);
        device.clearLog();
    }
    BracketBody body() {
        return {[this] { device.clearLog(); },
                [this] { return sony->shots(); },
                [this] { return sony->buttonDown(0xD2C2); },
                [this] {
                    int up = 0;
                    for (const auto& w : sony->controlWrites()) up += w.code == 0xD2C2 && w.value == 1;
                    return up;
                },
                [this] { return !sony->buttonDown(0xD2C1) && !sony->buttonDown(0xD2C2); },
                [this](uint32_t property) {
                    return valuesAtShots(device.log(), 0x9205, property, [](const LoggedPacket& p) {
                        return isOperation(p, 0x9207, 0xD2C2) && valueOf(dataOf(p)) == 2;
                    });
                }};
    }
};

// Exposure compensation in thousandths of an EV, walked upward.
TEST_F(SonyBracket, PropertyBracketTakesAPictureAtEachValue) {
    auto ev = [](int v) { return static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(v))); };
    expectPropertyBracket(body(), job(0x5010, 0, 3, 5, 0), {ev(-2000), ev(-1000), ev(0), ev(1000), ev(2000)});
    expectPropertyBracket(body(), job(0x5010, 0, 1, 3, 1), {ev(0), ev(-300), ev(-700)});
}

TEST_F(SonyBracket, BulbBracketAndCancel) {
    ASSERT_TRUE(camBulbAvailable());
    ASSERT_EQ(propSet(0xD20D, 0, true), PTP_RC_OK);
    expectBulbBracket(body());
    expectCancelDuringBulb(body());
}

// --- Fujifilm: sets by SetDevicePropValue, a picture by InitiateCapture after the release mode 0x304 was set.

class FujiBracket : public FujiDeviceTest {
protected:
    devicesim::FujiCameraOptions cameraOptions() override {
        devicesim::FujiCameraOptions o;
        o.jpegSize = 30 * 1024;
        return o;
    }
    void SetUp() override {
        FujiDeviceTest::SetUp();
        ASSERT_EQ(openFujiSession(true), PTP_RC_OK);
        device.clearLog();
    }
    BracketBody body() {
        return {[this] { device.clearLog(); },
                [this] { return fuji->shots(); },
                [this] { return fuji->bulbOpen(); },
                [this] { return fuji->bulbExposures(); },
                [this] { return !fuji->halfPressed() && !fuji->bulbOpen(); },
                [this](uint32_t property) {
                    uint32_t mode = 0;
                    return valuesAtShots(device.log(), 0x1016, property, [&mode](const LoggedPacket& p) {
                        if (isOperation(p, 0x1016, 0xD208)) mode = valueOf(dataOf(p));
                        return p.ptpOperation && *p.ptpOperation == 0x100E && (mode == 0x304 || mode == 12);
                    });
                }};
    }
};

TEST_F(FujiBracket, PropertyBracketTakesAPictureAtEachValue) {
    auto ev = [](int v) { return static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(v))); };
    expectPropertyBracket(body(), job(0x5010, 0, 1, 5, 0), {ev(-667), ev(-333), ev(0), ev(333), ev(667)});
    // The aperture list comes from the lens's text (280, 320, 360, … in thirds), which the body's own list of whole
    // stops thins out: every third entry is one the body takes.
    expectPropertyBracket(body(), job(0x5007, 560, 3, 3, 2), {560, 800, 1100});
}

TEST_F(FujiBracket, BulbBracketAndCancel) {
    ASSERT_TRUE(camBulbAvailable());
    ASSERT_EQ(propSet(0x500D, 0xFFFFFFFF, true), PTP_RC_OK);
    expectBulbBracket(body());
    expectCancelDuringBulb(body());
}

}  // namespace
