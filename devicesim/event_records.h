#pragma once
// The device's 38-byte event records for Fujifilm and Sony cameras, as the device makes them for its event-poll
// reply: little-endian, one after another with no gap.
//   0x4FF1 property changed: uint16 kind, uint32 property code, uint32 new value, uint8 enabled, 27 reserved bytes.
//   0x4FF0 object added:     uint16 kind, uint32 object size, char[32] file name (not necessarily terminated).
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace devicesim {

inline constexpr size_t kEventRecordSize = 38;
inline constexpr uint16_t kRecordPropertyChanged = 0x4FF1;
inline constexpr uint16_t kRecordObjectAdded = 0x4FF0;

std::vector<uint8_t> propertyChangedRecord(uint32_t code, uint32_t value, uint8_t enabled);
std::vector<uint8_t> objectAddedRecord(uint32_t size, const std::string& fileName);
// A record of another kind (which the host skips), zero after the kind.
std::vector<uint8_t> otherRecord(uint16_t kind);

// Records collected between two polls; safe from any thread.
class EventRecordQueue {
public:
    void push(const std::vector<uint8_t>& record);
    // Everything collected since the last take, in order, as one reply payload.
    std::vector<uint8_t> takeAll();
    size_t pendingBytes() const;

private:
    mutable std::mutex mutex_;
    std::vector<uint8_t> bytes_;
};

}  // namespace devicesim
