// Arbitrary bytes as an object-cache record file: a record is accepted only when it is whole and its file name
// can be used as one path component inside the cache folder; the list of downloads behind it only when it is whole
// and sound, and then it writes back to the very same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <vector>

#include "engine/store/object_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PtpObjectInfoStruct record;
    std::memset(&record, 0xA5, sizeof record);
    if (objCacheParseRecord(data, size, &record)) {
        if (size < kObjCacheRecordSize) __builtin_trap();
        size_t n = strnlen(record.fileName, sizeof record.fileName);
        if (n == 0 || n == sizeof record.fileName) __builtin_trap();
        if (std::memchr(record.fileName, '/', n)) __builtin_trap();
        if (std::strcmp(record.fileName, ".") == 0 || std::strcmp(record.fileName, "..") == 0) __builtin_trap();
        if (std::memcmp(&record, data, kObjCacheRecordSize) != 0) __builtin_trap();
    }
    std::vector<ObjCacheDownload> downloads;
    if (objCacheParseDownloads(data, size, &downloads)) {
        if (downloads.empty() || downloads.size() > 255) __builtin_trap();
        for (const ObjCacheDownload& d : downloads)
            if (!objCacheFileNameIsSafe(d.fileName) || d.kind > kObjCacheExtracted) __builtin_trap();
        PtpObjectInfoStruct raw;
        std::memcpy(&raw, data, sizeof raw);
        const std::vector<uint8_t> again = objCacheEncodeRecordFile(raw, downloads);
        if (again.size() != size || std::memcmp(again.data(), data, size) != 0) __builtin_trap();
    } else if (!downloads.empty()) {
        __builtin_trap();
    }
    // The same bytes as a camera's file name field.
    char name[256];
    size_t take = size < sizeof name ? size : sizeof name;
    if (take) std::memcpy(name, data, take);
    if (objCacheNameIsSafe(take ? name : nullptr, take) && std::memchr(name, '/', strnlen(name, take)))
        __builtin_trap();
    return 0;
}
