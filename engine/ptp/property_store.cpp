#include "engine/ptp/property_store.h"

#include <cstring>
#include <new>

namespace {
struct PropertyStore {
    // Serialises creators and clearers. Finders read `count` and the records' codes atomically and take no lock.
    std::mutex writeMutex;
    std::atomic<uint16_t> count{0};
    PropertyStruct records[kPropStoreCapacity];

    std::atomic<const PropertyNameStruct*> nameTable{nullptr};
    std::atomic<uint32_t> nameSentinel{0};
};

PropertyStore& store() {
    static PropertyStore s;
    return s;
}

// Clears the slot's fields other than its code and mutex (caller holds the record's mutex).
void clearFields(PropertyStruct* r) {
    r->name = nullptr;
    r->kind = 0;
    r->value = 0;
    std::memset(r->valueText, 0, sizeof r->valueText);
    r->valueCount = 0;
    r->values.reset();
    r->enabled = 0;
    r->form = kPropFormNone;
    r->rangeMin = r->rangeMax = r->rangeStep = 0;
}
}  // namespace

PropertyStruct* propCreate(uint32_t code, bool lock, bool recursive) {
    PropertyStore& s = store();
    std::lock_guard<std::mutex> guard(s.writeMutex);
    uint16_t n = s.count.load(std::memory_order_acquire);
    if (n >= kPropStoreCapacity) return nullptr;
    PropertyStruct* r = &s.records[n];
    r->mutex.lock();
    clearFields(r);
    r->recursive = recursive;
    r->code.store(code, std::memory_order_release);
    s.count.store(static_cast<uint16_t>(n + 1), std::memory_order_release);
    if (!lock) r->mutex.unlock();
    return r;
}

PropertyStruct* propFind(uint32_t code, bool lock) {
    PropertyStore& s = store();
    uint16_t n = s.count.load(std::memory_order_acquire);
    for (uint16_t i = 0; i < n; ++i) {
        PropertyStruct* r = &s.records[i];
        if (r->code.load(std::memory_order_acquire) == code) {
            if (lock) r->mutex.lock();
            return r;
        }
    }
    return nullptr;
}

bool propLock(const PropertyStruct* record) {
    if (record) record->mutex.lock();
    return true;
}

bool propUnlock(const PropertyStruct* record) {
    if (record) record->mutex.unlock();
    return true;
}

bool propExists(uint32_t code) { return propFind(code, false) != nullptr; }

size_t propCount() { return store().count.load(std::memory_order_acquire); }

PropertyStruct* propAt(size_t index) {
    PropertyStore& s = store();
    return index < s.count.load(std::memory_order_acquire) ? &s.records[index] : nullptr;
}

int propIndexOf(const PropertyStruct* record) {
    PropertyStore& s = store();
    auto at = reinterpret_cast<uintptr_t>(record), first = reinterpret_cast<uintptr_t>(s.records);
    if (at < first || at >= first + sizeof s.records || (at - first) % sizeof(PropertyStruct) != 0) return -1;
    return static_cast<int>((at - first) / sizeof(PropertyStruct));
}

PropertyCopy propCopyValues(uint32_t code) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return nullptr;
    PropertyCopy copy(new (std::nothrow) PropertyStruct);
    if (copy) {
        copy->code.store(r->code.load());
        copy->name = r->name;
        copy->kind = r->kind;
        copy->value = r->value;
        std::memcpy(copy->valueText, r->valueText, sizeof copy->valueText);
        copy->enabled = r->enabled;
        copy->form = r->form;
        copy->rangeMin = r->rangeMin;
        copy->rangeMax = r->rangeMax;
        copy->rangeStep = r->rangeStep;
        copy->recursive = r->recursive;
        if (r->valueCount > 0 && r->values) {
            copy->values.reset(new (std::nothrow) PropertyValueNamesStruct[r->valueCount]);
            if (!copy->values) {
                copy.reset();
            } else {
                std::memcpy(copy->values.get(), r->values.get(), sizeof(PropertyValueNamesStruct) * r->valueCount);
                copy->valueCount = r->valueCount;
            }
        }
    }
    r->mutex.unlock();
    return copy;
}

void propFreeValues(PropertyCopy& copy) { copy.reset(); }

bool propRemoveLast(PropertyStruct* record) {
    PropertyStore& s = store();
    std::lock_guard<std::mutex> guard(s.writeMutex);
    uint16_t n = s.count.load(std::memory_order_acquire);
    if (n == 0 || record != &s.records[n - 1]) return false;
    s.count.store(static_cast<uint16_t>(n - 1), std::memory_order_release);
    std::lock_guard<std::recursive_mutex> lock(record->mutex);
    clearFields(record);
    record->code.store(0, std::memory_order_release);
    return true;
}

void propStoreClear() {
    PropertyStore& s = store();
    std::lock_guard<std::mutex> guard(s.writeMutex);
    uint16_t n = s.count.load(std::memory_order_acquire);
    // Hide the records from finders first, then clear each under its own mutex.
    s.count.store(0, std::memory_order_release);
    for (uint16_t i = 0; i < n; ++i) {
        PropertyStruct* r = &s.records[i];
        std::lock_guard<std::recursive_mutex> lock(r->mutex);
        r->values.reset();
        r->valueCount = 0;
        r->code.store(0, std::memory_order_release);
    }
}

void propSetValueList(PropertyStruct* record, const PropertyValueNamesStruct* entries, uint16_t count) {
    if (!record) return;
    record->values.reset();
    record->valueCount = 0;
    if (count == 0 || !entries) return;
    record->values.reset(new (std::nothrow) PropertyValueNamesStruct[count]);
    if (!record->values) return;
    std::memcpy(record->values.get(), entries, sizeof(PropertyValueNamesStruct) * count);
    record->valueCount = count;
}

void propFreeValueList(PropertyStruct* record) { propSetValueList(record, nullptr, 0); }

void propSetNameTable(const PropertyNameStruct* table, uint32_t sentinel) {
    store().nameSentinel.store(sentinel);
    store().nameTable.store(table);
}

const PropertyNameStruct* propNameEntry(uint32_t code) {
    const PropertyNameStruct* row = store().nameTable.load();
    if (!row) return nullptr;
    uint32_t sentinel = store().nameSentinel.load();
    for (;; ++row) {
        if (row->code == code) return row;
        if (row->code == sentinel) return nullptr;
    }
}

const char* propNameTableEntry(uint32_t code) {
    const PropertyNameStruct* row = propNameEntry(code);
    return row ? row->name : nullptr;
}

const char* propValueNameInTable(const PropertyValueNamesStruct* table, uint32_t value) {
    if (!table) return nullptr;
    for (const PropertyValueNamesStruct* row = table; row->name[0] != '\0'; ++row)
        if (row->value == value) return row->name;
    return nullptr;
}

void propCopyText(char* target, size_t targetSize, const char* text) {
    if (!target || targetSize == 0) return;
    size_t n = text ? strnlen(text, targetSize - 1) : 0;
    if (n) std::memcpy(target, text, n);
    target[n] = '\0';
}

void propCopyText(char* target, size_t targetSize, const std::string& text) {
    propCopyText(target, targetSize, text.c_str());
}

void propStoreReset() {
    propStoreClear();
    propSetNameTable(nullptr, 0);
}
