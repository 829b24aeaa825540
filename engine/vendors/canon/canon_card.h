#pragma once
// The camera's card as the Canon module reads it: the object tree with file numbers, one object's value, the
// thumbnails (with their orientation byte), and the preview JPEG inside a CR3 file. Every count, length and offset
// in the camera's replies is checked against the bytes received.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"

struct PtpDataWrapper;

// One object of the card listing; the card browser keeps each as this 96-byte block.
struct CanonObjectEntry {
    uint32_t handle;
    uint32_t parent;  // parent or storage: the entry's second reply field
    uint32_t format;
    uint32_t value1;  // copied from the reply record (0 from 0x917A)
    uint32_t value2;
    uint8_t reserved[4];
    char fileName[64];  // 8-bit text, zero-terminated
    uint32_t zero;
    uint32_t fileNumber;  // 0 when unknown
};
static_assert(sizeof(CanonObjectEntry) == 96);

inline constexpr uint16_t kCanonOpObjectEntries = 0x917A;
inline constexpr uint16_t kCanonOpObjectInfoEx = 0x9170;
inline constexpr uint16_t kCanonOpObjectTree = 0x9109;
inline constexpr uint16_t kCanonOpObjectValue = 0x9135;
inline constexpr uint16_t kCanonOpThumbnail = 0x910A;
inline constexpr uint16_t kCanonFolderFormat = 0x3001;
inline constexpr int kCanonMaxFolderDepth = 32;

// The card listing: every storage's tree, folders followed by their contents. With numbers, each object gets its
// file number; with a format filter (0 none) other formats are dropped, folders always kept.
ResponseCode canonLoadObjectTree(std::vector<CanonObjectEntry>* list, bool withNumbers, uint16_t formatFilter);
// The handles of the whole tree (camLoadObjectHandles).
ResponseCode canonLoadObjectHandles(std::vector<uint32_t>* handles);
// 0x9135 (storage, handle, 3, 0x200000): the u32 at reply offset 24.
ResponseCode canonGetObjectValue(uint32_t handle, uint32_t storage, uint32_t* out);
// 0x910A (handle, 0x19000), cleaned: with an orientation asked for, the byte 8 after the orientation tag; the data
// starts at the thumbnail's JPEG.
ResponseCode canonGetThumbnail(uint32_t handle, HeapBlock* data, uint8_t* orientation,
                               const PtpDataWrapper* wrapper = nullptr);

// Reply parsers (pure).
// Entries of one folder from the reply of `operation` (0x917A, or 0x9170 / 0x9109): ERROR_BAD_PACKET for an empty
// reply. Records that do not fit are not read; the walk ends there.
ResponseCode canonParseObjectEntries(const uint8_t* data, size_t length, uint16_t operation, uint16_t formatFilter,
                                     std::vector<CanonObjectEntry>* entries);
// File numbers: (handle, number) per row; 0xFFFFFFFF reads as 0. ERROR_BAD_PACKET for 8 bytes or fewer.
ResponseCode canonParseFileNumbers(const uint8_t* data, size_t length,
                                   std::vector<std::pair<uint32_t, uint32_t>>* rows);
// Cleans a thumbnail reply in place (moves its JPEG to the front); ERROR_INVALID_INPUT when the tag (asked for) or
// the JPEG is missing.
ResponseCode canonCleanThumbnail(HeapBlock* data, uint8_t* orientation);

// The preview JPEG of a CR3 file in memory: its offset and size, both 0 on failure. The preview must lie inside
// the data.
bool canonRawFindPreviewJpeg(const uint8_t* data, size_t length, uint64_t* offset, uint64_t* size);
