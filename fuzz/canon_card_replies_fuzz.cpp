// Arbitrary bytes as a Canon camera's replies while the card is listed and a thumbnail is fetched: the storage
// list, each folder's entries (0x917A, or 0x9170 with 0x9109 as fallback), the file-number rows of 0x9135, then
// one thumbnail reply (0x910A, searched for its orientation tag and JPEG) and one object value. The first byte
// picks what the camera lists and how the tree is asked for; the rest is the script of replies (see
// scripted_camera.h). Everything the listing returns must be terminated and come from the replies.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_card.h"
#include "fuzz/scripted_camera.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!data || size < 1) return 0;
    const uint8_t flags = data[0];
    camSetVendor(VENDOR_CANON);
    uint16_t entries = flags & 1 ? kCanonOpObjectEntries : 0;
    uint16_t infoEx = flags & 2 ? kCanonOpObjectInfoEx : 0;
    uint16_t storageIds = flags & 0x10 ? PTP_OC_CANON_GetStorageIDs : PTP_OC_GetStorageIDs;
    fuzz_camera::install(data + 1, size - 1,
                         {PTP_OC_GetStorageIDs, storageIds, entries, infoEx, kCanonOpObjectTree, kCanonOpObjectValue,
                          kCanonOpThumbnail});
    const uint16_t filters[] = {0, 0x3801, 0xB108, kCanonFolderFormat};
    std::vector<CanonObjectEntry> list;
    if (canonLoadObjectTree(&list, (flags & 4) != 0, filters[(flags >> 5) & 3]) != PTP_RC_OK) __builtin_trap();
    // A record takes at least 36 bytes of some reply.
    if (list.size() > size / 36) __builtin_trap();
    for (const CanonObjectEntry& e : list)
        if (strnlen(e.fileName, sizeof e.fileName) >= sizeof e.fileName) __builtin_trap();

    HeapBlock thumb;
    uint8_t orientation = 0;
    if (canonGetThumbnail(list.empty() ? 1 : list.front().handle, &thumb, flags & 8 ? &orientation : nullptr) ==
            PTP_RC_OK &&
        !thumb.empty()) {
        if (thumb.size() < 4 || thumb[0] != 0xFF || thumb[1] != 0xD8) __builtin_trap();
    }
    uint32_t value = 0;
    canonGetObjectValue(1, 0x10001, &value);
    fuzz_camera::uninstall();
    camSetVendor(VENDOR_NONE);
    return 0;
}
