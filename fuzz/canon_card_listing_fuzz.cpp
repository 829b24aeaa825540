// Arbitrary bytes as the replies of Canon's card listing (object entries in both forms, file numbers) and of its
// thumbnail operation.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/vendors/canon/canon_card.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (uint16_t op : {kCanonOpObjectEntries, kCanonOpObjectInfoEx}) {
        std::vector<CanonObjectEntry> entries;
        canonParseObjectEntries(data, size, op, size > 0 ? data[0] : 0, &entries);
        for (const CanonObjectEntry& e : entries)
            if (strnlen(e.fileName, sizeof e.fileName) >= sizeof e.fileName) __builtin_trap();
        if (entries.size() > size / 4) __builtin_trap();
    }
    std::vector<std::pair<uint32_t, uint32_t>> rows;
    canonParseFileNumbers(data, size, &rows);
    if (rows.size() > size / 20) __builtin_trap();
    HeapBlock thumb = HeapBlock::copyOf(data, size);
    uint8_t orientation = 0;
    if (canonCleanThumbnail(&thumb, size % 2 ? &orientation : nullptr) == PTP_RC_OK) {
        if (thumb.size() < 4 || thumb[0] != 0xFF || thumb[1] != 0xD8) __builtin_trap();
    }
    return 0;
}
