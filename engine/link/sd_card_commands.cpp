// The device's SD card: status, format, listing, thumbnails, file sizes, deletion, copies onto the card and the
// whole-file download by name.
#include <cstring>

#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/link/ranged_read.h"
#include "engine/timing.h"

ResponseCode linkGetSdShotsAvailable(uint64_t* present, uint64_t* freeBytes) {
    if (!present || !freeBytes) return 0;
    HeapBlock reply;
    uint32_t length = 0;
    ResponseCode rc = linkRequest(kCmdSdShotsAvailable, nullptr, 0, &reply, &length);
    if (rc != PTP_RC_OK) return rc;
    return linkParseSdStatus(reply.data(), reply.size(), present, freeBytes) ? PTP_RC_OK : ERROR_BAD_PACKET;
}

ResponseCode linkFormatSdCard() {
    // The device answers only once the card is formatted. The longer time-out is this exchange's own: another
    // thread's exchange meanwhile keeps the link's.
    LinkExchangeTimeout formatting(engine_timing::kFormatReadTimeout);
    return linkCommand(kCmdFormatSdCard, nullptr, 0);
}

ResponseCode linkListSdCardImages(std::vector<std::string>* names) {
    if (!names) return ERROR_INVALID_INPUT;
    names->clear();
    HeapBlock reply;
    uint32_t length = 0;
    ResponseCode rc = linkRequest(kCmdListSdCardImages, nullptr, 0, &reply, &length);
    if (rc == PTP_RC_OK) *names = linkParseSdCardImageList(reply.data(), reply.size());
    return rc;
}

ResponseCode linkGetThumbnail(const std::string& name, HeapBlock* data, uint8_t* orientation, uint8_t subCodeA) {
    if (!data || !orientation) return ERROR_INVALID_INPUT;
    data->reset();
    if (!linkNameFits(name, kThumbnailNameMax)) return ERROR_INVALID_INPUT;
    std::vector<uint8_t> payload = linkNameWithZero(name);
    PtpObjectInfoStruct record = ptpObjectInfoForName(name, static_cast<uint16_t>(name.size()));
    uint32_t length = 0;
    ResponseCode rc = linkCommandWithData(payload.data(), static_cast<uint32_t>(payload.size()), kCmdGetThumbnail,
                                          subCodeA, kWrapObjectRecord, subCodeA ? sizeof record : 0,
                                          subCodeA ? &record : nullptr, data, &length);
    if (rc != PTP_RC_OK) return rc;
    if (data->empty()) {
        if (subCodeA == kShareOnly) return PTP_RC_OK;  // the thumbnail went to the sharing clients only
        return ERROR_BAD_PACKET;                        // not even the orientation byte
    }
    *orientation = (*data)[0];
    data->dropFront(1);
    return PTP_RC_OK;
}

ResponseCode linkGetFileSize(const std::string& name, uint64_t* size) {
    if (!size) return ERROR_INVALID_INPUT;
    if (!linkNameFits(name, kFileSizeNameMax)) return ERROR_INVALID_INPUT;
    std::vector<uint8_t> payload = linkNameWithZero(name);
    HeapBlock reply;
    uint32_t length = 0;
    ResponseCode rc = linkRequest(kCmdGetFileSize, payload.data(), static_cast<uint32_t>(payload.size()), &reply,
                                  &length);
    if (rc != PTP_RC_OK) return rc;
    if (reply.size() != 8) return ERROR_BAD_PACKET;
    *size = readLe64(reply.data());
    return PTP_RC_OK;
}

ResponseCode linkDownloadFilePart(const std::string& name, HeapBlock* data, uint8_t subCodeA) {
    if (!data) return ERROR_INVALID_INPUT;
    data->reset();
    if (!linkNameFits(name, kShortNameMax - 1)) return ERROR_INVALID_INPUT;
    std::vector<uint8_t> payload = linkNameWithZero(name);
    const bool wrapped = subCodeA == kShareOnly || subCodeA == kShareRelay;
    PtpObjectInfoStruct record = ptpObjectInfoForName(name, static_cast<uint16_t>(name.size()));
    uint32_t length = 0;
    return linkCommandWithData(payload.data(), static_cast<uint32_t>(payload.size()), kCmdDownloadFilePart,
                               wrapped ? subCodeA : 0, kWrapObjectRecord, wrapped ? sizeof record : 0,
                               wrapped ? &record : nullptr, data, &length);
}

ResponseCode linkDeleteObject(const std::string& name) {
    if (!linkNameFits(name, kShortNameMax - 1)) return ERROR_INVALID_INPUT;
    std::vector<uint8_t> payload = linkNameWithZero(name);
    return linkCommand(kCmdDeleteFile, payload.data(), static_cast<uint32_t>(payload.size()));
}

ResponseCode linkCommandFD(const PtpObjectInfoStruct& object) {
    return linkCommand(kCmdCopyToSdCard, &object, sizeof object);
}

ResponseCode linkDownloadFile(const std::string& name, HeapBlock* data, uint64_t* length, uint8_t subCodeA,
                              const PtpObjectInfoStruct* object) {
    if (!data || !length) return ERROR_INVALID_INPUT;
    data->reset();
    *length = 0;
    uint64_t size64 = 0;
    ResponseCode rc = linkGetFileSize(name, &size64);
    if (rc != PTP_RC_OK) return rc;
    // Offsets, counts and the record's size field are 32-bit: a larger file cannot be asked for.
    if (size64 > UINT32_MAX) return ERROR_TOO_LARGE;
    const uint32_t size = static_cast<uint32_t>(size64);
    if (size == 0) return PTP_RC_OK;

    PtpObjectInfoStruct byName = ptpObjectInfoForName(name, static_cast<uint16_t>(name.size() + 1));
    byName.objectCompressedSize = size;
    HeapBlock whole;
    uint32_t read = 0;
    while (read < size) {
        const uint32_t count = size - read < kFileRange ? size - read : kFileRange;
        // A file fetched in one request carries the caller's record when there is one; ranges carry their offset.
        PtpObjectInfoStruct record = byName;
        record.sequenceNumber = read;
        if (size < kFileRange && read == 0 && object) record = *object;
        HeapBlock reply;
        rc = linkRequestRange(kCmdReadFilePart, linkFileRangePayload(name, read, count), count, &reply, subCodeA,
                              kWrapRangeRecord, &record, sizeof record);
        if (rc != PTP_RC_OK) return rc;
        if (subCodeA == kShareOnly) {
            read += count;
            continue;
        }
        if (read == 0 && reply.size() == size) {  // the whole file in one reply: hand it over as it is
            whole = std::move(reply);
            break;
        }
        if (!whole) {
            whole = HeapBlock::allocate(size);
            if (!whole) return ERROR_NO_MEMORY;
        }
        std::memcpy(whole.data() + read, reply.data(), reply.size());
        read += static_cast<uint32_t>(reply.size());
    }
    if (subCodeA == kShareOnly) return PTP_RC_OK;  // the file went to the sharing clients only
    *data = std::move(whole);
    *length = size;
    return PTP_RC_OK;
}
