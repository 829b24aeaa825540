#pragma once
// Test fixture (header only, for *_test.cpp files): a Fujifilm session's store without a camera: the vendor and a
// model set, the module registered, and records made by hand with a value and allowed values.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <vector>

#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/fujifilm/fuji_module.h"
#include "engine/vendors/fujifilm/fuji_property_table.h"
#include "engine/vendors/vendor_test_doubles.h"

class FujiStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_vendor::resetCoreState();
        fujiResetModule();
        fujiRegisterModule();
        camSetVendor(VENDOR_FUJI);
        camSetModelIndex(22);
        propSetNameTable(fujiPropertyNames(), kFujiSentinelCode);
    }
    void TearDown() override {
        fujiUnregisterModule();
        fujiResetModule();
        test_vendor::resetCoreState();
    }

    // A record with a value and, when given, its allowed values (named by their numbers).
    static PropertyStruct* record(uint32_t code, uint32_t value, std::initializer_list<uint32_t> allowed = {}) {
        PropertyStruct* r = propCreate(code, true);
        r->kind = PTP_DTC_UINT16;
        r->value = value;
        std::vector<PropertyValueNamesStruct> entries;
        for (uint32_t v : allowed) {
            PropertyValueNamesStruct e{};
            std::snprintf(e.name, sizeof e.name, "%u", v);
            e.value = v;
            entries.push_back(e);
        }
        propSetValueList(r, entries.data(), static_cast<uint16_t>(entries.size()));
        propUnlock(r);
        return r;
    }
    static void setValue(uint32_t code, uint32_t value) {
        PropertyStruct* r = propFind(code, true);
        ASSERT_NE(r, nullptr);
        r->value = value;
        propUnlock(r);
    }
    static void setText(uint32_t code, const char* text) {
        PropertyStruct* r = propFind(code, true);
        ASSERT_NE(r, nullptr);
        propCopyText(r->valueText, sizeof r->valueText, text);
        propUnlock(r);
    }
};
