#pragma once
// Test fixture (header only, for *_test.cpp files): the engine as a Canon session leaves it, without a device: the
// vendor set to Canon, the Canon module registered, its property table in force and a model identified.
#include <gtest/gtest.h>

#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/canon/canon_property_table.h"
#include "engine/vendors/vendor_test_doubles.h"

// The current value of a property in the store (0xDEADBEEF when it has none).
inline uint32_t canonStoreValue(uint32_t code) {
    PropertyStruct* r = propFind(code, true);
    uint32_t v = r ? r->value : 0xDEADBEEF;
    propUnlock(r);
    return v;
}

class CanonStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_vendor::resetCoreState();
        canonResetModule();
        canonRegisterModule();
        camSetVendor(VENDOR_CANON);
        propSetNameTable(canonPropertyNames(), kCanonPropertySentinel);
        canonIdentifyModelText("Canon EOS 5D Mark IV");
    }
    void TearDown() override {
        canonUnregisterModule();
        canonResetModule();
        test_vendor::resetCoreState();
    }
};
