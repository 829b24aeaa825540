// The Nikon module against the stand-in device, for each of the four bodies: session open through the property
// snapshot, a confirmed property set, a capture whose image downloads, live-view frames and the manual-focus drive.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/link/byte_order.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/standard_operations.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_exposure.h"
#include "engine/vendors/nikon/nikon_image_format.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/nikon/nikon_test_fixture.h"

namespace {

using devicesim::NikonBody;

struct BodyCase {
    NikonBody body;
    const char* name;
    uint8_t modelIndex;
    uint32_t focusMode;      // the focus-mode role
    uint32_t headerLength;   // the frame header's first field
    uint8_t byte68;          // the struct's byte 68 (camera header byte 60, cleared on some bodies)
    const char* formatLabel; // the label of the camera's starting image format
};

class NikonBodyTest : public NikonDeviceTest, public ::testing::WithParamInterface<BodyCase> {
protected:
    devicesim::NikonCameraOptions cameraOptions() override {
        devicesim::NikonCameraOptions o;
        o.body = GetParam().body;
        return o;
    }
};

TEST_P(NikonBodyTest, SessionOpenThroughTheSnapshotFillsTheStoreAndTheRoles) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    EXPECT_TRUE(camIsNikon());
    EXPECT_EQ(camModelIndex(), GetParam().modelIndex);
    EXPECT_TRUE(nikon->hostMode());
    EXPECT_EQ(commandPackets(0xEB).size(), 1u);
    VendorPropertyCodes roles = camVendorPropertyCodes();
    EXPECT_EQ(roles.aperture, 0x5007u);
    EXPECT_EQ(roles.shutterSpeed, 0xD100u);
    EXPECT_EQ(roles.iso, 0x500Fu);
    EXPECT_EQ(roles.imageFormat, 0x5004u);
    EXPECT_EQ(roles.focusMode, GetParam().focusMode);
    EXPECT_EQ(roles.bracketing, 0xD0C1u);

    PropertyStruct* aperture = propFind(0x5007, true);
    ASSERT_NE(aperture, nullptr);
    EXPECT_EQ(aperture->value, 560u);
    EXPECT_STREQ(aperture->valueText, "f5.6");
    EXPECT_STREQ(aperture->name, "Aperture");
    EXPECT_EQ(aperture->valueCount, 13);
    EXPECT_EQ(aperture->enabled, 1);
    propUnlock(aperture);
    PropertyStruct* shutter = propFind(0xD100, true);
    ASSERT_NE(shutter, nullptr);
    EXPECT_STREQ(shutter->valueText, "1/250");
    propUnlock(shutter);
    // The image size is read on its own (it is not in the snapshot) and folded into the image format.
    PropertyStruct* size = propFind(0x5003, true);
    ASSERT_NE(size, nullptr);
    EXPECT_STREQ(size->valueText, "6048x4024");
    EXPECT_EQ(size->valueCount, 3);
    propUnlock(size);
    EXPECT_EQ(nikonImageFormatLabel(nikonStoreValue(0x5004)), GetParam().formatLabel);
    EXPECT_EQ(nikonStoreValue(0x5010), 0u);
    EXPECT_FLOAT_EQ(camExposureCompMax(0), 2.0f);
    EXPECT_FLOAT_EQ(camExposureCompMin(0), -2.0f);
    // Only the snapshot's codes (and the image size) are in the store.
    EXPECT_FALSE(propExists(0x5008 + 0x100));
    EXPECT_TRUE(camIsAutoFocus());
    EXPECT_EQ(camManualFocusFlag(), 0u);
}

TEST_P(NikonBodyTest, APropertySetIsConfirmedByReadingItBack) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    takeEvents();
    ASSERT_EQ(propSet(0x5007, 800, true), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0x5007), 800);
    EXPECT_EQ(nikonStoreValue(0x5007), 800u);
    // Two thirds of a stop down, coded as the panels code it, is a value the body lists: -666 (the code rule moves
    // a trailing 7 one toward zero).
    ASSERT_EQ(propSet(0x5010, nikonEvFloatToCode(-2.0f / 3), true), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0x5010), -666);
    EXPECT_FLOAT_EQ(camExposureCompGet(nikonStoreValue(0x5010)), -0.666f);
    // A value the camera does not list is refused before anything is sent.
    size_t sets = sent(0x1016).size();
    EXPECT_EQ(propSet(0x5007, 810, true), PTP_RC_PARAMETER_NOT_SUPPORTED);
    EXPECT_EQ(sent(0x1016).size(), sets);
    // The image format goes out as quality, size (a text) and raw size, and comes back combined.
    bool newer = GetParam().body == NikonBody::D850 || GetParam().body == NikonBody::Z6;
    int32_t rawOnly = newer ? 7 : 4;
    ASSERT_EQ(camSetImageFormat(rawOnly, 2 | 0x10000), PTP_RC_OK);
    EXPECT_EQ(nikon->value(0x5004), rawOnly + 2 + 1);
    EXPECT_EQ(nikon->property(0x5003)->currentText, "4528x3016");
    EXPECT_TRUE(camFormatIsRawPlusJpeg());
    int32_t raw = 0, jpeg = 0;
    EXPECT_EQ(camImageFormatRawValue(&raw), PTP_RC_OK);
    EXPECT_EQ(camImageFormatJpegValue(&jpeg), PTP_RC_OK);
    EXPECT_EQ(raw, rawOnly);
    EXPECT_EQ(jpeg, 2 | 0x10000);
    // A change on the camera reaches the store through the event list.
    nikon->turnDial(0x500F, 1600);
    pollUntil(PTP_EC_DevicePropChanged);
    EXPECT_EQ(nikonStoreValue(0x500F), 1600u);
}

TEST_P(NikonBodyTest, ACaptureProducesAnObjectThatDownloadsByteForByte) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    nikon->setReadyBusy(2);
    takeEvents();
    ASSERT_EQ(camTakeShot(), PTP_RC_OK);
    EXPECT_EQ(nikon->shots(), 1);
    EXPECT_GE(sent(0x90C8).size(), 3u);  // two busy answers, then ready
    std::vector<CameraEvent> seen = pollUntil(PTP_EC_ObjectAdded);
    const CameraEvent* added = nullptr;
    for (const CameraEvent& e : seen)
        if (e.code == PTP_EC_ObjectAdded) added = &e;
    ASSERT_NE(added, nullptr);
    const uint32_t handle = added->objectInfo.objectId;
    ASSERT_EQ(nikon->captured(), std::vector<uint32_t>{handle});
    auto object = nikon->object(handle);
    ASSERT_TRUE(object);
    EXPECT_STREQ(added->objectInfo.fileName, object->name.c_str());
    EXPECT_EQ(added->objectInfo.objectCompressedSize, object->bytes->size());
    HeapBlock data;
    ASSERT_EQ(ptpGetObject(handle, &data), PTP_RC_OK);
    EXPECT_EQ(data.toVector(), *object->bytes);
}

TEST_P(NikonBodyTest, LiveViewFramesSplitIntoHeaderAndJpeg) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    EXPECT_TRUE(nikon->liveViewOn());
    for (int i = 0; i < 3; ++i) {
        HeapBlock frame;
        ASSERT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);
        ASSERT_GT(frame.size(), 388u);
        uint32_t headerLength, pictureLength;
        uint16_t width, height;
        std::memcpy(&headerLength, frame.data(), 4);
        std::memcpy(&pictureLength, frame.data() + 4, 4);
        std::memcpy(&width, frame.data() + 12, 2);
        std::memcpy(&height, frame.data() + 14, 2);
        EXPECT_EQ(headerLength, GetParam().headerLength);
        ASSERT_EQ(frame.size(), 388u + pictureLength);
        const uint8_t* jpeg = frame.data() + 388;
        EXPECT_EQ(jpeg[0], 0xFF);
        EXPECT_EQ(jpeg[1], 0xD8);
        EXPECT_EQ(jpeg[pictureLength - 2], 0xFF);
        EXPECT_EQ(jpeg[pictureLength - 1], 0xD9);
        EXPECT_EQ(width, 6048);
        EXPECT_EQ(height, 4024);
        EXPECT_EQ(frame[37], 2);
        if (GetParam().body != NikonBody::Z6) {
            EXPECT_EQ(frame[68], GetParam().byte68);
        }
    }
    EXPECT_EQ(camOrientation(), 6);
    // The zoom area goes out in the frame's own coordinates.
    ASSERT_EQ(camLiveViewZoomArea(0.5, 0.25, 1, 1), PTP_RC_OK);
    EXPECT_EQ(nikon->zoomArea(), std::make_pair(3024u, 1006u));
    if (GetParam().body != NikonBody::Z6) {
        ASSERT_EQ(camToggleLiveView(false), PTP_RC_OK);
        EXPECT_FALSE(nikon->liveViewOn());
        HeapBlock frame;
        EXPECT_EQ(camLiveViewFrame(&frame), 0xA00B);
    }
}

TEST_P(NikonBodyTest, ManualFocusDriveStopsAtTheEndOfTravel) {
    ASSERT_EQ(openNikonSession(), PTP_RC_OK);
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    ASSERT_EQ(nikon->focusPosition(), 500);
    EXPECT_EQ(nikonMfDrive(2, 400), PTP_RC_OK);
    EXPECT_EQ(nikon->focusPosition(), 900);
    EXPECT_EQ(nikonMfDrive(2, 400), 0xA00C);
    EXPECT_EQ(nikon->focusPosition(), 1000);
    EXPECT_EQ(nikonMfDrive(2, 1), 0xA00C);
    EXPECT_EQ(nikon->focusPosition(), 1000);
    EXPECT_EQ(nikonMfDrive(1, 300), PTP_RC_OK);
    EXPECT_EQ(nikon->focusPosition(), 700);
    EXPECT_EQ(camManualFocusFlag(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, NikonBodyTest,
    ::testing::Values(BodyCase{NikonBody::D850, "D850", 219, 0xD161, 388, 0x5A, "L JPG (FINE)"},
                      BodyCase{NikonBody::D90, "D90", 203, 0x500A, 136, 0, "L JPG (FINE)"},
                      BodyCase{NikonBody::D7000, "D7000", 194, 0xD161, 392, 0x5A, "L JPG (FINE)"},
                      BodyCase{NikonBody::Z6, "Z6", 220, 0xD061, 1024, 0, "L JPG (FINE)"}),
    [](const ::testing::TestParamInfo<BodyCase>& i) { return std::string(i.param.name); });

}  // namespace
