// The Canon module against the stand-in device, for each of the three bodies: session open, a property set, a
// capture whose image downloads, and live view.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/link/byte_order.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/standard_operations.h"
#include "engine/vendors/canon/canon_bitmap.h"
#include "engine/vendors/canon/canon_image_format.h"
#include "engine/vendors/canon/canon_live_view.h"
#include "engine/vendors/canon/canon_test_fixture.h"
#include "engine/vendors/dispatch.h"

namespace {

using devicesim::CanonBody;

struct BodyCase {
    CanonBody body;
    const char* name;
    uint8_t modelIndex;
    uint32_t exposureMode;
};

class CanonBodyTest : public CanonDeviceTest, public ::testing::WithParamInterface<BodyCase> {
protected:
    devicesim::CanonCameraOptions cameraOptions() override {
        devicesim::CanonCameraOptions o;
        o.body = GetParam().body;
        o.jpegSize = 120 * 1024;
        return o;
    }
};

TEST_P(CanonBodyTest, SessionOpenFillsTheStoreAndTheRoles) {
    ASSERT_EQ(openCanonSession(), PTP_RC_OK);
    EXPECT_TRUE(camIsCanon());
    EXPECT_EQ(camModelIndex(), GetParam().modelIndex);
    EXPECT_TRUE(canon->remoteMode());
    EXPECT_TRUE(canon->eventMode());
    VendorPropertyCodes roles = camVendorPropertyCodes();
    EXPECT_EQ(roles.aperture, 0xD101u);
    EXPECT_EQ(roles.shutterSpeed, 0xD102u);
    EXPECT_EQ(roles.imageFormat, 0xD120u);
    EXPECT_EQ(roles.exposureMode, GetParam().exposureMode);
    EXPECT_EQ(roles.bracketing, 0xD1D9u);

    PropertyStruct* aperture = propFind(0xD101, true);
    ASSERT_NE(aperture, nullptr);
    EXPECT_EQ(aperture->value, 0x30u);
    EXPECT_STREQ(aperture->valueText, "f5.6");
    EXPECT_STREQ(aperture->name, "Aperture");
    EXPECT_EQ(aperture->valueCount, 17);
    EXPECT_EQ(aperture->enabled, 1);
    propUnlock(aperture);
    EXPECT_EQ(storeValue(0xD120), 0x1100C000u);
    EXPECT_EQ(storeValue(0xD102), 0x68u);
    EXPECT_EQ(storeValue(GetParam().exposureMode), 3u);
    PropertyStruct* lens = propFind(0xD1D8, true);
    ASSERT_NE(lens, nullptr);
    EXPECT_NE(std::strstr(lens->valueText, "24-105"), nullptr);
    propUnlock(lens);
    // The focus mode is in the store on every body (built from its value where the camera sends no list).
    EXPECT_EQ(storeValue(0xD108), 0u);
    EXPECT_TRUE(camIsAutoFocus());
    EXPECT_EQ(camManualFocusFlag(), 0u);
    EXPECT_EQ(camExposureCompMax(0), 2.0f);
    EXPECT_EQ(camExposureCompMin(0), -2.0f);
    EXPECT_EQ(camExposureCompCount(), 3);
    // The body that was asked for its on-screen exposure data sent shutter, aperture and ISO in its layout.
    std::vector<std::pair<uint8_t, uint32_t>> olc;
    for (const CameraEvent& e : takeEvents())
        if (e.code == PTP_EC_CANON_OlcInfoChanged) olc.push_back({e.olcInfo.item, e.olcInfo.value});
    if (GetParam().body == CanonBody::Mirrorless) {
        EXPECT_EQ(olc, (std::vector<std::pair<uint8_t, uint32_t>>{{2, 0x68}, {4, 0x30}, {8, 0x48}}));
    } else {
        EXPECT_TRUE(olc.empty());
    }
}

TEST_P(CanonBodyTest, APropertySetArrivesAndItsEventUpdatesTheStore) {
    ASSERT_EQ(openCanonSession(), PTP_RC_OK);
    takeEvents();
    ASSERT_EQ(propSet(0xD101, 0x38, true), PTP_RC_OK);
    EXPECT_EQ(canon->propertyValue(0xD101), 0x38u);
    EXPECT_EQ(storeValue(0xD101), 0x38u);
    std::vector<CameraEvent> seen = takeEvents();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().code, PTP_EC_DevicePropChanged);
    EXPECT_EQ(seen.back().property.propertyCode, 0xD101u);
    // Without confirmation the value arrives with the next poll.
    ASSERT_EQ(propSet(0xD103, 0x58, false), PTP_RC_OK);
    pollUntil(PTP_EC_DevicePropChanged);
    EXPECT_EQ(storeValue(0xD103), 0x58u);
    // A value the camera does not list is refused before anything is sent.
    size_t sets = sent(0x9110).size();
    EXPECT_EQ(propSet(0xD101, 0x31, false), PTP_RC_PARAMETER_NOT_SUPPORTED);
    EXPECT_EQ(sent(0x9110).size(), sets);
    // The image format goes out as the camera's record and comes back packed.
    ASSERT_EQ(camSetImageFormat(0x16010000, 0x1100C000), PTP_RC_OK);
    EXPECT_EQ(storeValue(0xD120), 0x26010403u);
    EXPECT_EQ(canon->property(0xD120)->format.size(), 2u);
    int32_t raw = 0, jpeg = 0;
    EXPECT_EQ(camImageFormatRawValue(&raw), PTP_RC_OK);
    EXPECT_EQ(camImageFormatJpegValue(&jpeg), PTP_RC_OK);
    EXPECT_EQ(static_cast<uint32_t>(raw), 0x16010000u);
    EXPECT_EQ(static_cast<uint32_t>(jpeg), 0x1100C000u);
    EXPECT_TRUE(camFormatIsRawPlusJpeg());
}

TEST_P(CanonBodyTest, ACaptureProducesAnObjectThatDownloadsByteForByte) {
    ASSERT_EQ(openCanonSession(), PTP_RC_OK);
    takeEvents();
    ASSERT_EQ(camTakeShot(), PTP_RC_OK);
    EXPECT_EQ(canon->shots(), 1);
    EXPECT_FALSE(camEventsPaused());
    std::vector<CameraEvent> seen = pollUntil(PTP_EC_ObjectAdded);
    const CameraEvent* added = nullptr;
    for (const CameraEvent& e : seen)
        if (e.code == PTP_EC_ObjectAdded) added = &e;
    ASSERT_NE(added, nullptr);
    const uint32_t handle = added->objectInfo.objectId;
    ASSERT_EQ(canon->captured(), std::vector<uint32_t>{handle});
    auto object = canon->object(handle);
    ASSERT_TRUE(object);
    EXPECT_STREQ(added->objectInfo.fileName, object->name.c_str());
    EXPECT_EQ(added->objectInfo.objectFormat, 0x3801);
    EXPECT_EQ(added->objectInfo.objectCompressedSize, object->bytes->size());
    HeapBlock data;
    ASSERT_EQ(ptpGetObject(handle, &data), PTP_RC_OK);
    EXPECT_EQ(data.toVector(), *object->bytes);
}

TEST_P(CanonBodyTest, LiveViewFramesSplitIntoHeaderAndImage) {
    ASSERT_EQ(openCanonSession(), PTP_RC_OK);
    HeapBlock frame;
    EXPECT_EQ(camLiveViewFrame(&frame), PTP_RC_CANON_BUSY);  // live view off: no frame yet
    ASSERT_EQ(camToggleLiveView(true), PTP_RC_OK);
    EXPECT_TRUE(canon->liveViewOn());
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(camLiveViewFrame(&frame), PTP_RC_OK);
        EOS_LiveViewInfoStruct h;
        ASSERT_GE(frame.size(), sizeof h);
        std::memcpy(&h, frame.data(), sizeof h);
        ASSERT_EQ(frame.size(), sizeof h + h.imageLength);
        const uint8_t* image = frame.data() + kCanonLiveViewHeaderSize;
        if (GetParam().body == CanonBody::DslrYuvLiveView) {
            EXPECT_EQ(h.kind, 2);
            ASSERT_EQ(h.imageLength, kBmpHeaderSize + 960u * 640u * 4u);
            EXPECT_EQ(image[0], 'B');
            EXPECT_EQ(readLe32(image + 18), 960u);
            EXPECT_EQ(readLe32(image + 22), 640u);
        } else {
            EXPECT_EQ(h.kind, 1);
            EXPECT_EQ(image[0], 0xFF);
            EXPECT_EQ(image[1], 0xD8);
            EXPECT_EQ(image[h.imageLength - 2], 0xFF);
            EXPECT_EQ(image[h.imageLength - 1], 0xD9);
            EXPECT_EQ(h.zoom, 1u);
            EXPECT_EQ(h.afFrameCount, 3u);
            EXPECT_FLOAT_EQ(h.levelPitch, -10.0f);
            EXPECT_EQ(h.frameWidth, GetParam().body == CanonBody::Mirrorless ? 5472u : 6720u);
        }
    }
    ASSERT_EQ(camToggleLiveView(false), PTP_RC_OK);
    EXPECT_FALSE(canon->liveViewOn());
}

INSTANTIATE_TEST_SUITE_P(Bodies, CanonBodyTest,
                         ::testing::Values(BodyCase{CanonBody::Mirrorless, "Mirrorless", 230, 0xD138},
                                           BodyCase{CanonBody::DslrJpegLiveView, "DslrJpeg", 0, 0xD105},
                                           BodyCase{CanonBody::DslrYuvLiveView, "DslrYuv", 237, 0xD105}),
                         [](const ::testing::TestParamInfo<BodyCase>& i) { return std::string(i.param.name); });

}  // namespace
