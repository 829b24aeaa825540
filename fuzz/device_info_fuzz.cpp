// Arbitrary bytes as a camera's DeviceInfo dataset: the parse must stay inside them and leave terminated texts.
#include <cstring>

#include "engine/ptp/datasets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DeviceInfoRecord record;
    if (ptpParseDeviceInfo(&record, data, size) == PTP_RC_OK) {
        for (const char* text : {record.vendorExtensionDesc, record.manufacturer, record.model, record.deviceVersion,
                                 record.serialNumber})
            if (strnlen(text, kDeviceInfoTextSize) >= kDeviceInfoTextSize) __builtin_trap();
        if (record.operationsSupported.count > kDeviceInfoMaxCodes) __builtin_trap();
        (void)record.operationsSupported.contains(0x1009);
    }
    return 0;
}
