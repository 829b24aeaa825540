#pragma once
// Test fixture (header only, for *_test.cpp files): the engine as a Sony session leaves it, without a device: the
// vendor set to Sony, the Sony module registered, its property table in force and a model identified.
#include <gtest/gtest.h>

#include <string>

#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/sony/sony_models.h"
#include "engine/vendors/sony/sony_module.h"
#include "engine/vendors/sony/sony_property_table.h"
#include "engine/vendors/vendor_test_doubles.h"

class SonyStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_vendor::resetCoreState();
        sonyResetModule();
        sonyRegisterModule();
        camSetVendor(VENDOR_SONY);
        propSetNameTable(sonyPropertyNames(), kSonyPropertySentinel);
        sonyIdentifyModelText("ILCE-7M3");
    }
    void TearDown() override {
        sonyResetModule();
        sonyUnregisterModule();
        test_vendor::resetCoreState();
    }

    // A record with a value (and, when given, an allowed list), as a parsed descriptor leaves it.
    static void putRecord(uint32_t code, uint32_t value, std::initializer_list<uint32_t> list = {}) {
        PropertyStruct* r = propFind(code, true);
        if (!r) r = propCreate(code, true);
        ASSERT_NE(r, nullptr);
        r->value = value;
        r->enabled = 1;
        std::vector<PropertyValueNamesStruct> entries;
        for (uint32_t v : list) entries.push_back({{}, v});
        propSetValueList(r, entries.data(), static_cast<uint16_t>(entries.size()));
        propUnlock(r);
    }
    static uint32_t storeValue(uint32_t code) {
        PropertyStruct* r = propFind(code, true);
        uint32_t v = r ? r->value : 0xDEADBEEF;
        propUnlock(r);
        return v;
    }
};
