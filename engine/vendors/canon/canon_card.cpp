#include "engine/vendors/canon/canon_card.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "engine/link/byte_order.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/transaction.h"
#include "engine/vendors/canon/canon_state.h"

namespace {
constexpr uint32_t kRootParent = 0xFFFFFFFF;
constexpr uint32_t kListingLimit = 0x200000;
constexpr uint32_t kThumbnailLimit = 0x19000;
constexpr uint32_t kNumbersKind = 3;
constexpr size_t kExRecordName = 36;      // 0x9170 / 0x9109: file name of 64 bytes at +36
constexpr size_t kEntriesRecordName = 44;  // 0x917A: PTP string at +44
constexpr size_t kNumberRow = 20;          // a row holds the number at +16

long findBytes(const uint8_t* data, size_t length, size_t from, const char* what, size_t n) {
    if (length < n || from > length - n) return -1;
    const uint8_t* end = data + length;
    const uint8_t* at = std::search(data + from, end, what, what + n);
    return at == end ? -1 : static_cast<long>(at - data);
}

long findJpeg(const uint8_t* data, size_t length, size_t from) {
    for (size_t i = from; i + 4 <= length; ++i)
        if (data[i] == 0xFF && data[i + 1] == 0xD8 && data[i + 2] == 0xFF && (data[i + 3] == 0xC4 || data[i + 3] == 0xDB))
            return static_cast<long>(i);
    return -1;
}

void setName(CanonObjectEntry* e, const char* text, size_t n) {
    n = std::min(n, sizeof e->fileName - 1);
    std::memcpy(e->fileName, text, n);
    e->fileName[n] = '\0';
}

ResponseCode folderEntries(uint32_t storage, uint32_t parent, uint16_t filter, std::vector<CanonObjectEntry>* out) {
    HeapBlock data;
    uint16_t used;
    ResponseCode rc;
    if (canonListed(kCanonOpObjectEntries)) {
        used = kCanonOpObjectEntries;
        rc = ptpTransaction(used, {storage, parent, kListingLimit}, &data);
    } else {
        used = kCanonOpObjectInfoEx;
        rc = PTP_ERROR_UNSUPPORTED_COMMAND;
        if (canonListed(kCanonOpObjectInfoEx)) rc = ptpTransaction(used, {storage, parent, kListingLimit}, &data);
        if (rc != PTP_RC_OK) {
            used = kCanonOpObjectTree;
            rc = ptpTransaction(used, {storage, parent, kListingLimit}, &data);
        }
    }
    if (rc != PTP_RC_OK) return rc;
    return canonParseObjectEntries(data.data(), data.size(), used, filter, out);
}

void numberChildren(uint32_t storage, uint32_t folder, std::vector<CanonObjectEntry>* children) {
    HeapBlock data;
    if (ptpTransaction(kCanonOpObjectValue, {storage, folder, kNumbersKind, kListingLimit}, &data) != PTP_RC_OK)
        return;
    std::vector<std::pair<uint32_t, uint32_t>> rows;
    if (canonParseFileNumbers(data.data(), data.size(), &rows) != PTP_RC_OK) return;
    for (CanonObjectEntry& child : *children)
        for (const auto& [handle, number] : rows)
            if (handle == child.handle) {
                child.fileNumber = number;
                break;
            }
}

struct TreeWalk {
    uint32_t storage;
    bool withNumbers;
    uint16_t filter;
    std::set<uint32_t> visited;  // a folder the camera lists twice (or inside itself) is read once
};

ResponseCode listFolder(TreeWalk& walk, uint32_t parent, int depth, std::vector<CanonObjectEntry>* out) {
    std::vector<CanonObjectEntry> entries;
    ResponseCode rc = folderEntries(walk.storage, parent, walk.filter, &entries);
    if (rc != PTP_RC_OK) return rc;
    std::vector<CanonObjectEntry> result = entries;
    for (const CanonObjectEntry& e : entries) {
        if (e.format != kCanonFolderFormat || depth >= kCanonMaxFolderDepth || !walk.visited.insert(e.handle).second)
            continue;
        std::vector<CanonObjectEntry> children;
        rc = listFolder(walk, e.handle, depth + 1, &children);
        if (rc != PTP_RC_OK) return rc;
        if (walk.withNumbers && !children.empty()) numberChildren(walk.storage, e.handle, &children);
        result.insert(result.end(), children.begin(), children.end());
    }
    out->insert(out->end(), result.begin(), result.end());
    return PTP_RC_OK;
}
}  // namespace

ResponseCode canonParseObjectEntries(const uint8_t* data, size_t length, uint16_t operation, uint16_t filter,
                                     std::vector<CanonObjectEntry>* entries) {
    if (!entries) return ERROR_INVALID_INPUT;
    if (!data || length == 0) return ERROR_BAD_PACKET;
    if (length < 4) return ERROR_BAD_PACKET;
    const uint32_t count = readLe32(data);
    size_t at = 4;
    for (uint32_t i = 0; i < count; ++i) {
        CanonObjectEntry e;
        std::memset(&e, 0, sizeof e);
        const uint8_t* r = data + at;
        const size_t room = length - at;
        if (operation == kCanonOpObjectEntries) {
            if (room <= kEntriesRecordName) break;
            size_t used = ptpReadString(r + kEntriesRecordName, room - kEntriesRecordName, e.fileName, sizeof e.fileName);
            if (used == 0) break;
            at += kEntriesRecordName + used;
        } else {
            if (room < kExRecordName) break;
            const uint32_t recordLength = readLe32(r);
            if (recordLength < kExRecordName || recordLength > room) break;
            const char* name = reinterpret_cast<const char*>(r + kExRecordName);
            setName(&e, name, strnlen(name, std::min<size_t>(64, recordLength - kExRecordName)));
            e.value1 = readLe32(r + 24);
            e.value2 = readLe32(r + 28);
            at += recordLength;
        }
        e.handle = readLe32(r + 4);
        e.parent = readLe32(r + 8);
        e.format = readLe32(r + 12);
        if (filter && e.format != filter && e.format != kCanonFolderFormat) continue;
        entries->push_back(e);
    }
    return PTP_RC_OK;
}

ResponseCode canonParseFileNumbers(const uint8_t* data, size_t length, std::vector<std::pair<uint32_t, uint32_t>>* rows) {
    if (!rows) return ERROR_INVALID_INPUT;
    if (!data || length <= 8) return ERROR_BAD_PACKET;
    const uint32_t count = readLe32(data), rowLength = readLe32(data + 4);
    if (rowLength < kNumberRow) return ERROR_BAD_PACKET;
    for (uint64_t i = 0; i < count; ++i) {
        const uint64_t at = 8 + i * rowLength;
        if (at + rowLength > length) break;
        const uint8_t* r = data + at;
        uint32_t number = readLe32(r + 16);
        rows->emplace_back(readLe32(r), number == 0xFFFFFFFF ? 0 : number);
    }
    return PTP_RC_OK;
}

ResponseCode canonLoadObjectTree(std::vector<CanonObjectEntry>* list, bool withNumbers, uint16_t formatFilter) {
    if (!list) return ERROR_INVALID_INPUT;
    list->clear();
    std::vector<uint32_t> storages;
    if (ptpGetStorageIds(&storages) != PTP_RC_OK || storages.empty()) return PTP_RC_OK;
    for (uint32_t storage : storages) {
        TreeWalk walk{storage, withNumbers, formatFilter, {}};
        std::vector<CanonObjectEntry> tree;
        if (listFolder(walk, kRootParent, 0, &tree) == PTP_RC_OK) list->insert(list->end(), tree.begin(), tree.end());
    }
    return PTP_RC_OK;
}

ResponseCode canonLoadObjectHandles(std::vector<uint32_t>* handles) {
    if (!handles) return ERROR_INVALID_INPUT;
    std::vector<CanonObjectEntry> tree;
    ResponseCode rc = canonLoadObjectTree(&tree, false, 0);
    handles->clear();
    for (const CanonObjectEntry& e : tree) handles->push_back(e.handle);
    return rc;
}

ResponseCode canonGetObjectValue(uint32_t handle, uint32_t storage, uint32_t* out) {
    if (!out) return ERROR_INVALID_INPUT;
    HeapBlock data;
    ResponseCode rc = ptpTransaction(kCanonOpObjectValue, {storage, handle, kNumbersKind, kListingLimit}, &data);
    if (rc != PTP_RC_OK) return rc;
    if (data.size() <= 27) return ERROR_INVALID_INPUT;
    *out = readLe32(data.data() + 24);
    return PTP_RC_OK;
}

ResponseCode canonCleanThumbnail(HeapBlock* data, uint8_t* orientation) {
    if (!data) return ERROR_INVALID_INPUT;
    const uint8_t* p = data->data();
    const size_t length = data->size();
    size_t from = 0;
    if (orientation) {
        static const char kTag[] = {0x12, 0x01};
        long tag = findBytes(p, length, 0, kTag, 2);
        if (tag < 0 || static_cast<size_t>(tag) + 8 >= length) return ERROR_INVALID_INPUT;
        from = static_cast<size_t>(tag) + 8;
        *orientation = p[from];
    }
    long jpeg = findJpeg(p, length, from);
    if (jpeg < 0) return ERROR_INVALID_INPUT;
    data->dropFront(static_cast<size_t>(jpeg));
    return PTP_RC_OK;
}

ResponseCode canonGetThumbnail(uint32_t handle, HeapBlock* data, uint8_t* orientation, const PtpDataWrapper* wrapper) {
    if (!data) return ERROR_INVALID_INPUT;
    const uint32_t params[] = {handle, kThumbnailLimit};
    PtpRequest request;
    request.params = params;
    request.paramCount = 2;
    request.dataIn = data;
    request.wrapper = wrapper;
    ResponseCode rc = ptpTransaction(kCanonOpThumbnail, request);
    if (rc != PTP_RC_OK || data->empty()) return rc;
    rc = canonCleanThumbnail(data, orientation);
    if (rc != PTP_RC_OK) data->reset();
    return rc;
}

bool canonRawFindPreviewJpeg(const uint8_t* data, size_t length, uint64_t* offset, uint64_t* size) {
    if (offset) *offset = 0;
    if (size) *size = 0;
    if (!data || !offset || !size) return false;
    long jpeg = findBytes(data, length, 0, "JPEG", 4);
    long stsz = jpeg < 0 ? -1 : findBytes(data, length, static_cast<size_t>(jpeg) + 4, "stsz", 4);
    long freeAt = stsz < 0 ? -1 : findBytes(data, length, static_cast<size_t>(stsz) + 4, "free", 4);
    if (freeAt < 12) return false;
    uint64_t found = readBe32(data + freeAt - 8);
    if (found <= 99999) found = readBe32(data + freeAt - 12);
    long co64 = findBytes(data, length, static_cast<size_t>(freeAt) + 4, "co64", 4);
    if (co64 < 0 || static_cast<size_t>(co64) + 20 > length) return false;
    uint64_t at = readBe32(data + co64 + 16);
    if (found == 0 || at + found > length) return false;
    *offset = at;
    *size = found;
    return true;
}
