// Arbitrary bytes as the reply payloads of the device's commands: battery status, SD status, the SD card's image
// list and the property snapshot. Each reader must stay inside the bytes and keep what it returns inside them.
#include <cstring>

#include "engine/link/device_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DeviceBatteryStatus status;
    if (linkParseBatteryStatus(data, size, &status) && size != kDeviceBatteryStatusSize) __builtin_trap();
    uint64_t present = 0, freeBytes = 0;
    if (linkParseSdStatus(data, size, &present, &freeBytes) && size != 16) __builtin_trap();
    size_t total = 0;
    for (const std::string& name : linkParseSdCardImageList(data, size)) {
        if (name.empty() || name.find(':') != std::string::npos) __builtin_trap();
        total += name.size();
    }
    if (total > size) __builtin_trap();
    std::vector<PropertySnapshotEntry> entries;
    if (linkSplitPropertySnapshot(data, size, &entries)) {
        for (const PropertySnapshotEntry& e : entries) {
            if (e.data < data || e.data + e.length > data + size) __builtin_trap();
            volatile uint8_t sink = 0;
            for (uint32_t i = 0; i < e.length; ++i) sink = sink + e.data[i];
        }
    }
    return 0;
}
