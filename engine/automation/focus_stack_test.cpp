// The lens-drive step table and the tests the focus-stacking panel makes, over the property store alone.
#include <gtest/gtest.h>

#include "engine/automation/focus_stack.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/vendor_test_doubles.h"

namespace {

class FocusStackStore : public ::testing::Test {
protected:
    void SetUp() override { test_vendor::resetCoreState(); }
    void TearDown() override {
        test_vendor::resetCoreState();
        vendorStateReset();
    }
    static void record(uint32_t code, uint32_t value, uint8_t enabled = 1) {
        PropertyStruct* r = propFind(code, true);
        if (!r) r = propCreate(code, true);
        ASSERT_NE(r, nullptr);
        r->value = value;
        r->enabled = enabled;
        propUnlock(r);
    }
    static void camera(VendorType vendor, uint8_t model) {
        camSetVendor(vendor);
        camSetModelIndex(model);
    }
};

TEST_F(FocusStackStore, StepTablePerVendor) {
    struct Case {
        const char* name;
        VendorType vendor;
        uint8_t model;
        bool nikonStackProperty;
        int expected[3];
    };
    const Case cases[] = {
        {"Canon", VENDOR_CANON, 1, false, {1, 10, 25}},
        {"Nikon", VENDOR_NIKON, 1, false, {15, 75, 375}},
        {"Nikon with the stack property", VENDOR_NIKON, 1, true, {15, 75, 937}},
        {"Sony", VENDOR_SONY, 161, false, {2, 5, 7}},
        {"Fujifilm", VENDOR_FUJI, 1, false, {6, 50, 140}},
        {"Fujifilm medium format", VENDOR_FUJI, 23, false, {20, 125, 500}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test_vendor::resetCoreState();
        camera(c.vendor, c.model);
        if (c.nikonStackProperty) record(0xD0E2, 0);
        for (int stepClass = 1; stepClass <= 3; ++stepClass)
            EXPECT_EQ(focusStepForAperture(stepClass), c.expected[stepClass - 1]) << "class " << stepClass;
        // Other classes pass through unchanged.
        EXPECT_EQ(focusStepForAperture(0), 0);
        EXPECT_EQ(focusStepForAperture(4), 4);
        EXPECT_EQ(focusStepForAperture(-2), -2);
    }
    camera(VENDOR_NONE, 0);
    EXPECT_EQ(focusStepForAperture(2), 2);
}

TEST_F(FocusStackStore, ExposureModeCheckPerVendor) {
    struct Case {
        const char* name;
        VendorType vendor;
        uint32_t mode;
        uint32_t scene;  // Nikon 0xD0FC, 0 = absent
        bool expected;
    };
    const Case cases[] = {
        {"Fujifilm M", VENDOR_FUJI, 1, 0, true},       {"Fujifilm A", VENDOR_FUJI, 3, 0, true},
        {"Fujifilm P", VENDOR_FUJI, 2, 0, false},      {"Sony M", VENDOR_SONY, 1, 0, true},
        {"Sony movie", VENDOR_SONY, 0x20003, 0, true}, {"Sony auto", VENDOR_SONY, 0x8000, 0, false},
        {"Nikon A", VENDOR_NIKON, 3, 0, true},         {"Nikon scene 21", VENDOR_NIKON, 0x8051, 21, true},
        {"Nikon scene 5", VENDOR_NIKON, 0x8051, 5, false}, {"Nikon scene absent", VENDOR_NIKON, 0x8050, 0, false},
        {"Nikon P", VENDOR_NIKON, 2, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test_vendor::resetCoreState();
        camera(c.vendor, 1);
        record(0x500E, c.mode);
        if (c.scene) record(0xD0FC, c.scene);
        EXPECT_EQ(focusStackCheck(), c.expected);
    }
    // Without an exposure-mode record the panel may work.
    test_vendor::resetCoreState();
    camera(VENDOR_SONY, 161);
    EXPECT_TRUE(focusStackCheck());
    // Canon: the aperture record's enabled flag, true when absent.
    camera(VENDOR_CANON, 1);
    EXPECT_TRUE(focusStackCheck());
    record(0xD101, 0x30, 0);
    EXPECT_FALSE(focusStackCheck());
    record(0xD101, 0x30, 1);
    EXPECT_TRUE(focusStackCheck());
}

TEST_F(FocusStackStore, SecondPressAndEnabledAndNoVendor) {
    camera(VENDOR_NIKON, 1);
    EXPECT_FALSE(camNeedsSecondPress());
    record(0x5013, 0x8012);
    EXPECT_TRUE(camNeedsSecondPress());
    camera(VENDOR_CANON, 1);
    EXPECT_FALSE(camNeedsSecondPress());
    record(0xD13A, 1);
    EXPECT_TRUE(camNeedsSecondPress());
    EXPECT_TRUE(focusStackEnabled());
    camera(VENDOR_FUJI, 16);
    EXPECT_FALSE(focusStackEnabled());
    camera(VENDOR_FUJI, 15);
    EXPECT_TRUE(focusStackEnabled());

    camera(VENDOR_NONE, 0);
    EXPECT_FALSE(camNeedsSecondPress());
    EXPECT_FALSE(focusStackEnabled());
    EXPECT_EQ(focusDriveSteps(3, 2), ERROR_CAMERA_NOT_SUPPORTED);
    EXPECT_EQ(focusDriveSteps(3, 0), PTP_RC_OK);  // nothing to drive
    EXPECT_EQ(focusStackStep(), ERROR_CAMERA_NOT_SUPPORTED);
    bool called = false;
    EXPECT_EQ(focusStackClassicRun(3, 1, 0, [&](uint32_t) { called = true; }), ERROR_NO_VENDOR);
    EXPECT_FALSE(called);
}

}  // namespace
