#pragma once
// The camera's properties: one record per property the camera has reported, kept in a store of at most 300 records
// whose addresses never change. The interface keeps pointers to records for the whole camera session and reads their
// fields under the record's own mutex (propFind with lock, then propUnlock), or works on an owned copy
// (propCopyValues). Vendor modules create and update records on the event thread under the same mutex.
//
// Locking: a record's mutex is a leaf with respect to the transaction and link mutexes (no routine here makes a
// transaction while it holds one). The store's own mutex only serialises creating and clearing records; finding a
// record takes no store lock.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// PTP data types of property values; kPropKindText marks a text-valued property.
enum : int32_t {
    PTP_DTC_INT8 = 1,
    PTP_DTC_UINT8 = 2,
    PTP_DTC_INT16 = 3,
    PTP_DTC_UINT16 = 4,
    PTP_DTC_INT32 = 5,
    PTP_DTC_UINT32 = 6,
    PTP_DTC_INT64 = 7,
    PTP_DTC_UINT64 = 8,
    kPropKindText = 0xFFFF,
};

// One allowed value of a record, or one row of a vendor's static value-name table (a row with an empty name ends
// such a table).
struct PropertyValueNamesStruct {
    char name[32];  // 8-bit text, zero-terminated when shorter
    uint32_t value;
};

// One row of a vendor's property-name table. A table ends with the row whose code is the vendor's sentinel; that
// row is itself a real row.
struct PropertyNameStruct {
    uint32_t code;
    const char* name;
    int32_t kind;
    const PropertyValueNamesStruct* valueNames;  // none when the vendor names no values of this property
};

// How a description gave the allowed values.
enum : uint8_t {
    kPropFormNone = 0,
    kPropFormRange = 1,
    kPropFormEnumeration = 2,
};

struct PropertyStruct {
    std::atomic<uint32_t> code{0};  // PTP or vendor property code; 0 in a cleared slot
    const char* name = nullptr;     // display name from the vendor's table; none when the table has no row
    int32_t kind = 0;               // PTP data type (PTP_DTC_*), or kPropKindText
    // Current value. 64-bit kinds keep their low 32 bits (everywhere: reading, updating and listing agree). Text-valued
    // records hold the index of the allowed value whose name equals the current text.
    uint32_t value = 0;
    char valueText[64] = {};  // display text of the current value (text-valued: the camera's own text)
    uint16_t valueCount = 0;  // allowed values listed; 0 = no list (any value, or the range below)
    std::unique_ptr<PropertyValueNamesStruct[]> values;  // valueCount entries
    uint8_t enabled = 0;                                  // 1 when the camera lets the property be set

    // The description's form. A range too long to list keeps its bounds here (valueCount 0) and validation checks
    // against them; a listed range keeps them too.
    uint8_t form = kPropFormNone;
    int64_t rangeMin = 0;
    int64_t rangeMax = 0;
    int64_t rangeStep = 0;

    bool recursive = false;  // created recursive; every record's mutex allows re-entry, so this is informational
    mutable std::recursive_mutex mutex;
};

inline constexpr size_t kPropStoreCapacity = 300;

// Appends a record with that code (no list, count 0, other fields cleared), locked when asked. None when the store
// already holds 300 records. The slot's mutex is never re-initialised: a record the interface still holds from an
// earlier session stays a valid, lockable object.
PropertyStruct* propCreate(uint32_t code, bool lock = false, bool recursive = false);
// The first record (in creation order) with that code, locked when asked; none when absent.
PropertyStruct* propFind(uint32_t code, bool lock = false);
// Lock or unlock a record's mutex; a missing record counts as success.
bool propLock(const PropertyStruct* record);
bool propUnlock(const PropertyStruct* record);
bool propExists(uint32_t code);
// Number of records in the store, and the record at an index (none past the count).
size_t propCount();
PropertyStruct* propAt(size_t index);
// The index of a record in the store, or -1 for a pointer that is not one of its slots.
int propIndexOf(const PropertyStruct* record);

// An owned copy of a record taken under its mutex (its own list; its mutex is not shared), or none.
using PropertyCopy = std::unique_ptr<PropertyStruct>;
PropertyCopy propCopyValues(uint32_t code);
void propFreeValues(PropertyCopy& copy);

// Takes back the record created last (one that could not be filled); false for any other record.
bool propRemoveLast(PropertyStruct* record);

// Empties the store: every record's list freed and its code cleared (each under its own mutex), count 0. Records keep
// their addresses.
void propStoreClear();

// Replaces a record's allowed values (caller holds the record's lock). Count 0 removes the list.
void propSetValueList(PropertyStruct* record, const PropertyValueNamesStruct* entries, uint16_t count);
void propFreeValueList(PropertyStruct* record);

// The vendor's property-name table in force (chosen at session open) and its sentinel code. None: no table.
void propSetNameTable(const PropertyNameStruct* table, uint32_t sentinel);
// The row of the code in the table in force, or none; the display name of that row, or none.
const PropertyNameStruct* propNameEntry(uint32_t code);
const char* propNameTableEntry(uint32_t code);
// The name of the first row of a value-name table whose value matches, or none (the table ends at an empty name).
const char* propValueNameInTable(const PropertyValueNamesStruct* table, uint32_t value);

// Copies text into a fixed field, cut to fit and always terminated.
void propCopyText(char* target, size_t targetSize, const char* text);
void propCopyText(char* target, size_t targetSize, const std::string& text);

// Test reset: the store emptied, no name table.
void propStoreReset();
