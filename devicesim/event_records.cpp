#include "devicesim/event_records.h"

#include <algorithm>

namespace devicesim {
namespace {
void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

std::vector<uint8_t> propertyChangedRecord(uint32_t code, uint32_t value, uint8_t enabled) {
    std::vector<uint8_t> r(kEventRecordSize, 0);
    put16(r, 0, kRecordPropertyChanged);
    put32(r, 2, code);
    put32(r, 6, value);
    r[10] = enabled;
    return r;
}

std::vector<uint8_t> objectAddedRecord(uint32_t size, const std::string& fileName) {
    std::vector<uint8_t> r(kEventRecordSize, 0);
    put16(r, 0, kRecordObjectAdded);
    put32(r, 2, size);
    std::copy_n(fileName.begin(), std::min<size_t>(fileName.size(), 32), r.begin() + 6);
    return r;
}

std::vector<uint8_t> otherRecord(uint16_t kind) {
    std::vector<uint8_t> r(kEventRecordSize, 0);
    put16(r, 0, kind);
    return r;
}

void EventRecordQueue::push(const std::vector<uint8_t>& record) {
    std::lock_guard<std::mutex> lock(mutex_);
    bytes_.insert(bytes_.end(), record.begin(), record.end());
}

std::vector<uint8_t> EventRecordQueue::takeAll() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint8_t> out;
    out.swap(bytes_);
    return out;
}

size_t EventRecordQueue::pendingBytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_.size();
}

}  // namespace devicesim
