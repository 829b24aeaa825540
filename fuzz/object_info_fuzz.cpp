// Arbitrary bytes as an ObjectInfo dataset, in the standard and the Canon form, for every vendor's reading.
#include <cstring>

#include "engine/ptp/datasets.h"
#include "engine/ptp/vendor_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (uint16_t operation : {uint16_t{0x1008}, uint16_t{0x9170}}) {
        for (uint16_t vendor : {VENDOR_NONE, VENDOR_FUJI, VENDOR_SONY, VENDOR_CANON}) {
            PtpObjectInfoStruct record;
            std::memset(&record, 0, sizeof record);
            if (ptpParseObjectInfo(&record, data, size, operation, vendor)) {
                if (strnlen(record.fileName, sizeof record.fileName) >= sizeof record.fileName) __builtin_trap();
                if (strnlen(record.keywords, sizeof record.keywords) >= sizeof record.keywords) __builtin_trap();
                if (record.fileNameLength != strlen(record.fileName) + 1) __builtin_trap();
            }
        }
    }
    char text[64];
    ptpReadString(data, size, text, sizeof text);
    if (size > 0 && size < 64) {
        std::memcpy(text, data, size);
        text[size] = 0;
        (void)ptpParseDateTime(text);
    }
    return 0;
}
