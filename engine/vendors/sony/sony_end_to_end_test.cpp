// The Sony module against the stand-in device, for each of the three bodies: session open, property sets (stepped
// and direct), a capture whose picture downloads from the device's card, live view, and the buttons.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "engine/link/device_commands.h"
#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_access.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/sony/sony_live_view.h"
#include "engine/vendors/sony/sony_property_table.h"
#include "engine/vendors/sony/sony_test_fixture.h"

namespace {

using devicesim::SonyBody;

struct BodyCase {
    SonyBody body;
    const char* name;
    uint8_t modelIndex;
    bool extended;
    bool buttonControl;
};

class SonyBodyTest : public SonyDeviceTest, public ::testing::WithParamInterface<BodyCase> {
protected:
    devicesim::SonyCameraOptions cameraOptions() override {
        devicesim::SonyCameraOptions o;
        o.body = GetParam().body;
        o.jpegSize = 90 * 1024;
        o.focusBlockLate = GetParam().body == SonyBody::A6300;
        return o;
    }
    bool extended() const { return GetParam().extended; }
};

TEST_P(SonyBodyTest, SessionOpenLoadsEveryProperty) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    EXPECT_TRUE(camIsSony());
    EXPECT_EQ(camModelIndex(), GetParam().modelIndex);
    EXPECT_EQ(vendorSony()->extendedFormat(), extended());

    // Every property of the camera that the table names is in the store with the camera's value and state.
    for (uint16_t code : {0x5005, 0x5007, 0x500A, 0x500E, 0x5010, 0x5013, 0xD20D, 0xD21E, 0xD213, 0xD215, 0xD218,
                          0xD22C, 0xD232, 0xD20F, 0xD2C1, 0xD2C2, 0xD2D1}) {
        SCOPED_TRACE(code);
        auto simProp = sony->property(code);
        ASSERT_TRUE(simProp);
        PropertyStruct* r = propFind(code, true);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->value, static_cast<uint32_t>(simProp->value));
        EXPECT_EQ(r->enabled, simProp->state == 1 ? 1 : 0);
        EXPECT_EQ(r->kind, simProp->type);
        EXPECT_STREQ(r->name, sonyPropertyEntry(code)->name);
        propUnlock(r);
    }
    PropertyStruct* shutter = propFind(0xD20D, true);
    ASSERT_NE(shutter, nullptr);
    EXPECT_STREQ(shutter->valueText, "1/125");
    // Older bodies get the fixed list (the 6300 stops at 1/4000); the extended body lists its own.
    EXPECT_EQ(shutter->valueCount, GetParam().body == SonyBody::A6300 ? 53 : 56);
    EXPECT_EQ(shutter->values[0].value, 0u);
    EXPECT_STREQ(shutter->values[1].name, "30\"");
    propUnlock(shutter);
    PropertyStruct* exposure = propFind(0x5010, true);
    ASSERT_NE(exposure, nullptr);
    EXPECT_STREQ(exposure->valueText, "+/-0");
    EXPECT_EQ(exposure->valueCount, 19);
    propUnlock(exposure);
    EXPECT_FLOAT_EQ(camExposureCompMax(0), 3.0f);
    EXPECT_FLOAT_EQ(camExposureCompMin(0), -3.0f);
    PropertyStruct* temperature = propFind(0xD20F, true);
    ASSERT_NE(temperature, nullptr);
    EXPECT_EQ(temperature->valueCount, 75);
    EXPECT_STREQ(temperature->values[74].name, "9900");
    propUnlock(temperature);
    // The display-only program of the 6300 hides its count behind other words and still gives its whole list.
    PropertyStruct* program = propFind(0x500E, true);
    ASSERT_NE(program, nullptr);
    EXPECT_EQ(program->valueCount, 12);
    EXPECT_STREQ(program->valueText, "M");
    propUnlock(program);

    if (extended()) {
        EXPECT_EQ(storeValue(0xD253), 0x010203u);  // JPG, Fine, Large
        EXPECT_TRUE(propExists(0xD2DC));           // made for the camera that does not list it
        PropertyStruct* bar = propFind(0xD25D, true);
        ASSERT_NE(bar, nullptr);
        EXPECT_STREQ(bar->valueText, "1.0x");
        propUnlock(bar);
        EXPECT_EQ(camVendorPropertyCodes().imageFormat, 0xD253u);
    } else {
        EXPECT_EQ(storeValue(0x5004), 0x010003u);  // Fine, Large
        EXPECT_FALSE(propExists(0xD2DC));
        EXPECT_EQ(camVendorPropertyCodes().imageFormat, 0x5004u);
    }
    EXPECT_FALSE(camIsManualFocus());
    EXPECT_EQ(camHostModeAvailable(), GetParam().buttonControl);
    // The single-property read answers the value in the property's own size.
    HeapBlock aperture;
    ASSERT_EQ(ptpGetPropertyValue(0x5007, &aperture), PTP_RC_OK);
    EXPECT_EQ(aperture.toVector(), (std::vector<uint8_t>{0x30, 0x02}));
}

TEST_P(SonyBodyTest, AStepSetReachesItsTarget) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    const uint32_t target = 1u << 16 | 250u;
    ASSERT_EQ(propSet(0xD20D, target, true), PTP_RC_OK);
    EXPECT_EQ(sony->propertyValue(0xD20D), target);
    EXPECT_EQ(storeValue(0xD20D), target);
    std::vector<std::pair<uint16_t, int32_t>> steps;
    for (auto w : writes())
        if (w.first == 0xD20D) steps.push_back(w);
    switch (GetParam().body) {
        case SonyBody::A7M3:  // one notch per write: 1/160, 1/200, 1/250
            EXPECT_EQ(steps, (std::vector<std::pair<uint16_t, int32_t>>{{0xD20D, 1}, {0xD20D, 1}, {0xD20D, 1}}));
            break;
        case SonyBody::A6300:  // the whole jump at once
            EXPECT_EQ(steps, (std::vector<std::pair<uint16_t, int32_t>>{{0xD20D, 3}}));
            break;
        case SonyBody::A7RM4:  // set directly
            EXPECT_TRUE(steps.empty());
            EXPECT_EQ(ptpPackets(0x9205).size(), 1u);
            break;
    }
    // ISO goes down the list just as well, and a value the list does not hold is refused without traffic.
    ASSERT_EQ(propSet(0xD21E, 200, true), PTP_RC_OK);
    EXPECT_EQ(sony->propertyValue(0xD21E), 200u);
    size_t before = sony->controlWrites().size() + ptpPackets(0x9205).size();
    EXPECT_EQ(propSet(0xD21E, 201, true), PTP_RC_PARAMETER_NOT_SUPPORTED);
    EXPECT_EQ(sony->controlWrites().size() + ptpPackets(0x9205).size(), before);
}

TEST_P(SonyBodyTest, ANewerSteppedSetCancelsTheOlderOne) {
    if (extended()) GTEST_SKIP() << "the extended body sets directly";
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    // The older set walks from 1/125 toward 1/4000 a notch at a time on the 7M3; the 6300 jumps at once, then waits
    // for its confirmation, and is cancelled only when it has to step again. Either way the newer set wins.
    if (GetParam().body == SonyBody::A6300) GTEST_SKIP() << "the 6300 writes the whole jump in one go";
    ResponseCode older = 0;
    std::thread first([&] { older = propSet(0xD20D, 1u << 16 | 4000u, false); });
    auto start = std::chrono::steady_clock::now();
    while (sony->controlWrites().size() < 2 && std::chrono::steady_clock::now() - start < std::chrono::seconds(5))
        std::this_thread::yield();
    const uint32_t newer = 1u << 16 | 60u;
    EXPECT_EQ(propSet(0xD20D, newer, false), PTP_RC_OK);
    first.join();
    EXPECT_EQ(older, ERROR_CANCELLED);
    EXPECT_EQ(sony->propertyValue(0xD20D), newer);
    EXPECT_EQ(storeValue(0xD20D), newer);
}

TEST_P(SonyBodyTest, ACaptureIsAnnouncedAndDownloadsFromTheCard) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    takeEvents();
    ASSERT_EQ(camTakeShot(), PTP_RC_OK);
    EXPECT_EQ(sony->shots(), 1);
    EXPECT_FALSE(sony->buttonDown(0xD2C1));
    EXPECT_FALSE(sony->buttonDown(0xD2C2));
    std::vector<CameraEvent> seen = pollUntil(PTP_EC_ObjectAdded);
    const CameraEvent* added = nullptr;
    for (const CameraEvent& e : seen)
        if (e.code == PTP_EC_ObjectAdded) added = &e;
    ASSERT_NE(added, nullptr);
    ASSERT_EQ(sony->pictures().size(), 1u);
    const std::string name = sony->pictures()[0];
    EXPECT_EQ(std::string(added->objectInfo.fileName), name);
    auto file = commands.card().file(name);
    ASSERT_TRUE(file);
    EXPECT_EQ(added->objectInfo.objectCompressedSize, file->bytes->size());
    EXPECT_EQ(added->objectInfo.objectFormat, 0x3801);

    std::vector<std::string> names;
    ASSERT_EQ(linkListSdCardImages(&names), PTP_RC_OK);
    EXPECT_EQ(names, std::vector<std::string>{name});
    HeapBlock data;
    uint64_t length = 0;
    ASSERT_EQ(linkDownloadFile(name, &data, &length, 0), PTP_RC_OK);
    EXPECT_EQ(length, file->bytes->size());
    EXPECT_EQ(data.toVector(), *file->bytes);
    HeapBlock thumbnail;
    uint8_t orientation = 0;
    ASSERT_EQ(linkGetThumbnail(name, &thumbnail, &orientation, 0), PTP_RC_OK);
    EXPECT_EQ(thumbnail.toVector(), file->thumbnail);
    EXPECT_EQ(orientation, 1);
    HeapBlock embedded;
    ASSERT_EQ(linkDownloadFilePart(name, &embedded, 0), PTP_RC_OK);
    EXPECT_EQ(embedded.toVector(), *file->bytes);  // a JPEG is its own picture
    ASSERT_EQ(linkDeleteObject(name), PTP_RC_OK);
    EXPECT_FALSE(commands.card().hasFile(name));
}

TEST_P(SonyBodyTest, AFailedShotLetsGoOfBothButtons) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    sony->failNextPress(0xD2C2, 0x2002);
    EXPECT_EQ(camTakeShot(), PTP_RC_GENERAL_ERROR);
    EXPECT_EQ(sony->shots(), 0);
    EXPECT_EQ(writes(), (std::vector<std::pair<uint16_t, int32_t>>{{0xD2C1, 2}, {0xD2C2, 2}, {0xD2C2, 1}, {0xD2C1, 1}}));
    EXPECT_FALSE(sony->buttonDown(0xD2C1));
    EXPECT_FALSE(sony->buttonDown(0xD2C2));
    // A failing half press likewise leaves nothing down.
    sony->failNextPress(0xD2C1, 0x2002);
    EXPECT_EQ(camCapture(), PTP_RC_GENERAL_ERROR);
    EXPECT_FALSE(sony->buttonDown(0xD2C1));
}

TEST_P(SonyBodyTest, LiveViewFramesYieldTheirJpegAndFocusFrame) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    for (int i = 0; i < 2; ++i) {
        HeapBlock frame;
        ASSERT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);
        const std::vector<uint8_t> bytes = frame.toVector();
        const uint32_t declaredAt = static_cast<uint32_t>(bytes[0] | bytes[1] << 8);
        std::optional<SonyJpegRange> jpeg = sonyLiveViewFindJpeg(frame.data(), frame.size());
        ASSERT_TRUE(jpeg);
        EXPECT_EQ(jpeg->offset, declaredAt);
        EXPECT_EQ(jpeg->offset + jpeg->length, frame.size());
        EXPECT_EQ(std::vector<uint8_t>(frame.data() + jpeg->offset, frame.data() + frame.size()),
                  sony->lastLiveViewJpeg());
        EXPECT_EQ(frame.toVector(), bytes);  // the frame itself is as it came
    }
    EXPECT_EQ(sony->liveViewFrames(), 2);
    uint32_t first = 0, second = 0;
    ASSERT_TRUE(sonyAfOverlayRect(&first, &second));
    if (extended()) {
        EXPECT_EQ(first, 0u);  // the made 0xD2DC, not yet reported by the camera
    } else {
        EXPECT_EQ(first, 0x0140u);
        EXPECT_EQ(second, 0x00F0u);
    }
    EXPECT_EQ(camToggleLiveView(false), PTP_RC_OK);
}

TEST_P(SonyBodyTest, ButtonsFocusZoomAndMovie) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    ASSERT_EQ(camMovieRecordStart(), PTP_RC_OK);
    EXPECT_TRUE(sony->recording());
    ASSERT_EQ(camMovieRecordStop(), PTP_RC_OK);
    EXPECT_FALSE(sony->recording());

    // Manual focus through the focus toggle on the bodies that have it.
    ResponseCode toggled = camSetManualFocus(1, false);
    if (GetParam().buttonControl) {
        ASSERT_EQ(toggled, PTP_RC_OK);
        EXPECT_EQ(sony->propertyValue(0x500A), 1u);
        pollUntil(PTP_EC_DevicePropChanged);
        EXPECT_TRUE(camIsManualFocus());
        ASSERT_EQ(camSetManualFocus(0, false), PTP_RC_OK);
        EXPECT_EQ(sony->propertyValue(0x500A), 2u);
    } else {
        EXPECT_EQ(toggled, PTP_ERROR_UNSUPPORTED_COMMAND);
        EXPECT_EQ(sony->propertyValue(0x500A), 2u);
    }

    // Lens steps: near for positive sizes.
    size_t before = writes().size();
    ASSERT_EQ(camFocusStackStep(2), PTP_RC_OK);
    ASSERT_EQ(camFocusStackStep(-3), PTP_RC_OK);
    auto all = writes();
    using Writes = std::vector<std::pair<uint16_t, int32_t>>;
    const Writes lens(all.begin() + static_cast<long>(before), all.end());
    EXPECT_EQ(lens, (Writes{{0xD2D1, -4}, {0xD2D1, 6}}));

    ResponseCode zoom = camLiveViewZoom(GetParam().body == SonyBody::A7RM4 ? 200 : 100);
    switch (GetParam().body) {
        case SonyBody::A7M3:
            ASSERT_EQ(zoom, PTP_RC_OK);
            EXPECT_EQ(sony->propertyValue(0xD22F), 50u);
            pollUntil(PTP_EC_DevicePropChanged);
            EXPECT_EQ(camLiveViewZoomRatio(0), 100u);
            EXPECT_EQ(camLiveViewZoomRatio(1), 100u);
            break;
        case SonyBody::A7RM4:
            ASSERT_EQ(zoom, PTP_RC_OK);
            EXPECT_EQ(sony->propertyValue(0xD254) & 0xFFFFFFFF, 200u);
            EXPECT_EQ(camLiveViewZoomRatio(1), 200u);
            break;
        case SonyBody::A6300:  // neither the zoom button model nor extended format
            EXPECT_EQ(zoom, ERROR_CAMERA_NOT_SUPPORTED);
            break;
    }
}

TEST_P(SonyBodyTest, DeviceRecordsUpdateTheStoreAndAskForAFullReload) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    takeEvents();
    sony->setPropertyValue(0x5005, 4);
    std::vector<CameraEvent> seen = pollUntil(PTP_EC_DevicePropChanged);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().property.propertyCode, 0x5005u);
    EXPECT_EQ(storeValue(0x5005), 4u);
    PropertyStruct* wb = propFind(0x5005, true);
    ASSERT_NE(wb, nullptr);
    EXPECT_STREQ(wb->valueText, "Daylight");
    propUnlock(wb);

    // A size change reaches the combined image-format value.
    sony->setPropertyValue(0xD203, 2);
    pollUntil(PTP_EC_DevicePropChanged);
    EXPECT_EQ(storeValue(extended() ? 0xD253 : 0x5004), extended() ? 0x020203u : 0x020003u);

    // "Re-read everything": the camera's current state arrives through the full read.
    size_t reads = ptpPackets(0x9209).size();
    sony->requestReloadAll();
    camPollEvents(true, false);
    EXPECT_EQ(ptpPackets(0x9209).size(), reads + 1);
}

TEST_P(SonyBodyTest, TheImageFormatIsSetThroughTheCamerasRecord) {
    ASSERT_EQ(openSonySession(), PTP_RC_OK);
    // RAW + a Fine JPEG at the medium size.
    const int32_t raw = extended() ? 1 : 16;
    const int32_t jpeg = extended() ? (2 << 16 | 2 << 8 | 3) : (2 << 16 | 3);
    ASSERT_EQ(camSetImageFormat(raw, jpeg), PTP_RC_OK);
    pollUntil(PTP_EC_DevicePropChanged);
    switch (GetParam().body) {
        case SonyBody::A7M3: EXPECT_EQ(sony->propertyValue(0x5004), 0x13u); break;
        case SonyBody::A6300: EXPECT_EQ(sony->propertyValue(0x5004), 19u); break;  // the substitute code
        case SonyBody::A7RM4: EXPECT_EQ(sony->propertyValue(0xD253), 2u); break;
    }
    EXPECT_EQ(sony->propertyValue(0xD203), 2u);
    EXPECT_TRUE(camFormatIsRawPlusJpeg());
    int32_t rawOut = 0, jpegOut = 0;
    ASSERT_EQ(camImageFormatRawValue(&rawOut), PTP_RC_OK);
    ASSERT_EQ(camImageFormatJpegValue(&jpegOut), PTP_RC_OK);
    EXPECT_EQ(rawOut, raw);
    EXPECT_EQ(jpegOut, jpeg);
}

INSTANTIATE_TEST_SUITE_P(Bodies, SonyBodyTest,
                         ::testing::Values(BodyCase{SonyBody::A7M3, "A7M3", 163, false, true},
                                           BodyCase{SonyBody::A7RM4, "A7RM4", 171, true, true},
                                           BodyCase{SonyBody::A6300, "A6300", 166, false, false}),
                         [](const ::testing::TestParamInfo<BodyCase>& i) { return std::string(i.param.name); });

}  // namespace
