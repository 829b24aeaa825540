// Arbitrary bytes as the device's event-poll reply of 38-byte records, and as the uint32 arrays of handle and
// storage-id lists.
#include <cstring>
#include <vector>

#include "engine/ptp/datasets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<DeviceEventRecord> records = ptpParseDeviceEventRecords(data, size);
    if (records.size() != size / kDeviceEventRecordSize) __builtin_trap();
    for (const DeviceEventRecord& r : records)
        if (strnlen(r.fileName, sizeof r.fileName) >= sizeof r.fileName) __builtin_trap();
    std::vector<uint32_t> values;
    if (ptpParseUint32Array(data, size, 0, &values) == PTP_RC_OK && 4 + 4 * values.size() > size) __builtin_trap();
    ptpParseStorageIds(data, size, 0x1004, &values);
    if (ptpParseStorageIds(data, size, 0x9101, &values) == PTP_RC_OK && !values.empty() &&
        16 + 4 * values.size() > size)
        __builtin_trap();
    return 0;
}
