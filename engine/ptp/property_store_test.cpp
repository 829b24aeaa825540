#include "engine/ptp/property_store.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "engine/vendors/vendor_test_doubles.h"

namespace {

// How long a test gives another thread to do what it must not do while a record is held (scaled like every wait).
std::chrono::milliseconds heldWindow() { return engineWait(std::chrono::milliseconds(20)); }

class PropertyStoreTest : public ::testing::Test {
protected:
    void SetUp() override { test_vendor::resetCoreState(); }
    void TearDown() override { test_vendor::resetCoreState(); }
};

TEST_F(PropertyStoreTest, HoldsThreeHundredRecordsAndRefusesTheNext) {
    for (uint32_t i = 0; i < kPropStoreCapacity; ++i) ASSERT_NE(propCreate(0x5000 + i), nullptr) << i;
    EXPECT_EQ(propCreate(0x9999), nullptr);
    EXPECT_EQ(propCount(), kPropStoreCapacity);
    EXPECT_FALSE(propExists(0x9999));
    EXPECT_EQ(propFind(0x5000 + 299), propAt(299));
    // The last record can be taken back (a description that could not be read), no other.
    EXPECT_FALSE(propRemoveLast(propAt(10)));
    EXPECT_TRUE(propRemoveLast(propAt(299)));
    EXPECT_FALSE(propExists(0x5000 + 299));
    EXPECT_NE(propCreate(0x9999), nullptr);
}

TEST_F(PropertyStoreTest, FindsTheFirstRecordOfACodeAndLocksWhenAsked) {
    PropertyStruct* first = propCreate(0x5001);
    propCreate(0x5001);  // a duplicate is never found
    EXPECT_EQ(propFind(0x5001), first);
    EXPECT_EQ(propFind(0x5002), nullptr);
    EXPECT_TRUE(propLock(nullptr));  // a missing record counts as success
    EXPECT_TRUE(propUnlock(nullptr));

    PropertyStruct* locked = propFind(0x5001, true);
    // Held here, the record cannot be taken by another thread...
    EXPECT_FALSE(std::async(std::launch::async, [&] {
                     if (!first->mutex.try_lock()) return false;
                     first->mutex.unlock();
                     return true;
                 }).get());
    // ...whose lock waits for the release, and then gets it.
    auto other = std::async(std::launch::async, [&] {
        propLock(first);
        propUnlock(first);
    });
    EXPECT_EQ(other.wait_for(heldWindow()), std::future_status::timeout);
    propUnlock(locked);
    EXPECT_EQ(other.wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

TEST_F(PropertyStoreTest, ClearedStoreKeepsAddressesAndHeldMutexesValid) {
    PropertyStruct* r = propCreate(0x5005);
    const PropertyValueNamesStruct list[] = {{"Auto", 2}, {"Daylight", 4}};
    propSetValueList(r, list, 2);
    r->value = 4;

    // The interface holds the record's lock while the session ends and the next one refills the store.
    propLock(r);
    auto clearer = std::async(std::launch::async, [] {
        propStoreClear();
        propCreate(0x5007);
    });
    EXPECT_EQ(clearer.wait_for(heldWindow()), std::future_status::timeout);  // the clear waits for the holder
    EXPECT_EQ(r->valueCount, 2);
    propUnlock(r);
    ASSERT_EQ(clearer.wait_for(std::chrono::seconds(5)), std::future_status::ready);

    EXPECT_EQ(propCount(), 1u);
    PropertyStruct* again = propFind(0x5007);
    EXPECT_EQ(again, r);  // same slot, same address, its mutex still usable
    EXPECT_EQ(r->valueCount, 0);
    EXPECT_EQ(r->value, 0u);  // a created record starts cleared, not with the old session's value
    EXPECT_TRUE(propLock(r));
    EXPECT_TRUE(propUnlock(r));
}

TEST_F(PropertyStoreTest, CopyIsIndependentOfTheRecord) {
    PropertyStruct* r = propCreate(0x500E);
    r->kind = PTP_DTC_UINT16;
    r->value = 3;
    propCopyText(r->valueText, sizeof r->valueText, "A");
    const PropertyValueNamesStruct list[] = {{"M", 1}, {"P", 2}, {"A", 3}};
    propSetValueList(r, list, 3);

    PropertyCopy copy = propCopyValues(0x500E);
    ASSERT_TRUE(copy);
    propStoreClear();
    EXPECT_EQ(copy->code.load(), 0x500Eu);
    EXPECT_EQ(copy->value, 3u);
    EXPECT_STREQ(copy->valueText, "A");
    ASSERT_EQ(copy->valueCount, 3);
    EXPECT_STREQ(copy->values[2].name, "A");
    propFreeValues(copy);
    EXPECT_FALSE(copy);
    EXPECT_FALSE(propCopyValues(0x500E));
}

TEST_F(PropertyStoreTest, NameTableIsSearchedUpToAndIncludingItsSentinel) {
    static const PropertyValueNamesStruct wb[] = {{"Auto", 2}, {"Daylight", 4}, {"", 0}};
    static const PropertyNameStruct table[] = {
        {0x5005, "White Balance", PTP_DTC_UINT16, wb},
        {0x5007, "Aperture", PTP_DTC_UINT16, nullptr},
        {0xD2D4, "Last", PTP_DTC_UINT8, nullptr},
        {0x500E, "Beyond the sentinel", PTP_DTC_UINT16, nullptr},
    };
    propSetNameTable(table, 0xD2D4);
    EXPECT_STREQ(propNameTableEntry(0x5005), "White Balance");
    EXPECT_STREQ(propNameTableEntry(0xD2D4), "Last");
    EXPECT_EQ(propNameTableEntry(0x500E), nullptr);
    EXPECT_EQ(propNameEntry(0x1234), nullptr);
    EXPECT_STREQ(propValueNameInTable(wb, 4), "Daylight");
    EXPECT_EQ(propValueNameInTable(wb, 0), nullptr);  // the empty row ends the table
    propSetNameTable(nullptr, 0);
    EXPECT_EQ(propNameTableEntry(0x5005), nullptr);
}

// Readers on several threads find and read records while the event thread's side creates, updates and clears them:
// ThreadSanitizer checks that every field read happens under the record's mutex or through atomics.
TEST_F(PropertyStoreTest, ConcurrentReadersAndWritersDoNotRace) {
    std::atomic<bool> stop{false};
    std::vector<std::thread> readers;
    for (int t = 0; t < 3; ++t) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                for (uint32_t c = 0x5000; c < 0x5010; ++c) {
                    if (PropertyStruct* r = propFind(c, true)) {
                        volatile uint32_t v = r->value;
                        volatile char first = r->valueText[0];
                        (void)v;
                        (void)first;
                        propUnlock(r);
                    }
                    propCopyValues(c);
                }
            }
        });
    }
    for (int round = 0; round < 50; ++round) {
        for (uint32_t c = 0x5000; c < 0x5010; ++c) {
            PropertyStruct* r = propCreate(c, true);
            ASSERT_NE(r, nullptr);
            r->kind = PTP_DTC_UINT32;
            r->value = round;
            propCopyText(r->valueText, sizeof r->valueText, std::to_string(round));
            propUnlock(r);
        }
        propStoreClear();
    }
    stop = true;
    for (auto& t : readers) t.join();
}

}  // namespace
