// Camera objects through the device: ranged reads, the embedded JPEG of RAW objects, and the download that picks
// one GetObject or ranged reads by the object's size.
#include <cstring>
#include <thread>

#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/link/ranged_read.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_hooks.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"

namespace {
constexpr int kDownloadAttempts = 5;  // a busy camera is asked again up to four more times
}

std::vector<uint8_t> linkNameWithZero(const std::string& name) {
    std::vector<uint8_t> bytes(name.begin(), name.end());
    bytes.push_back(0);
    return bytes;
}

bool linkNameFits(const std::string& name, size_t maxCharacters) {
    return !name.empty() && name.size() <= maxCharacters && name.find('\0') == std::string::npos;
}

std::vector<uint8_t> linkFileRangePayload(const std::string& name, uint32_t offset, uint32_t count) {
    std::vector<uint8_t> payload(8 + name.size() + 1, 0);
    writeLe32(payload.data(), offset);
    writeLe32(payload.data() + 4, count);
    std::memcpy(payload.data() + 8, name.data(), name.size());
    return payload;
}

ResponseCode linkRequestRange(uint8_t command, const std::vector<uint8_t>& payload, uint32_t count, HeapBlock* data,
                              uint8_t subCodeA, uint8_t subCodeB, const void* wrapperData, uint32_t wrapperLength) {
    data->reset();
    uint32_t length = 0;
    ResponseCode rc = linkCommandWithData(payload.data(), static_cast<uint32_t>(payload.size()), command, subCodeA,
                                          subCodeB, subCodeA ? wrapperLength : 0, subCodeA ? wrapperData : nullptr,
                                          data, &length);
    if (rc != PTP_RC_OK) {
        data->reset();
        return rc;
    }
    // A reply longer than the range would be written past it; an empty one would never finish a download.
    if (data->size() > count || (data->empty() && subCodeA != kShareOnly && count > 0)) {
        data->reset();
        return ERROR_BAD_PACKET;
    }
    return PTP_RC_OK;
}

ResponseCode linkReadObjectPart(const PtpObjectInfoStruct& object, uint32_t offset, uint32_t count, HeapBlock* data,
                                uint8_t subCodeA) {
    if (!data) return ERROR_INVALID_INPUT;
    data->reset();
    if (object.objectId == kObjectIdByName) {
        std::string name(object.fileName, strnlen(object.fileName, sizeof object.fileName));
        if (!linkNameFits(name, sizeof object.fileName - 1)) return ERROR_INVALID_INPUT;
        std::vector<uint8_t> wrapper = linkNameWithZero(name);
        return linkRequestRange(kCmdReadFilePart, linkFileRangePayload(name, offset, count), count, data, subCodeA,
                                kWrapFileName, wrapper.data(), static_cast<uint32_t>(wrapper.size()));
    }
    std::vector<uint8_t> payload(12);
    writeLe32(payload.data(), object.objectId);
    writeLe32(payload.data() + 4, offset);
    writeLe32(payload.data() + 8, count);
    PtpObjectInfoStruct record = object;
    record.sequenceNumber = offset;
    return linkRequestRange(kCmdReadObjectPart, payload, count, data, subCodeA, kWrapRangeRecord, &record,
                            sizeof record);
}

ResponseCode linkTransferObject(const PtpObjectInfoStruct& object, HeapBlock* data, uint8_t subCodeA) {
    if (!data) return ERROR_INVALID_INPUT;
    data->reset();
    uint8_t payload[4];
    writeLe32(payload, object.objectId);
    const bool wrapped = subCodeA == kShareOnly || subCodeA == kShareRelay;
    uint32_t length = 0;
    return linkCommandWithData(payload, sizeof payload, kCmdTransferObject, wrapped ? subCodeA : 0, kWrapObjectRecord,
                               wrapped ? sizeof object : 0, wrapped ? &object : nullptr, data, &length);
}

namespace {

void sleepBeforeRetry() { std::this_thread::sleep_for(engineWait(engine_timing::kDownloadBusyRetryDelay)); }

ResponseCode downloadInRanges(const PtpObjectInfoStruct& object, uint32_t size, HeapBlock* data, uint8_t subCodeA) {
    PtpVendorHooks hooks = ptpVendorHooks();
    const bool cr3 = camIsCanon() && hooks.canonWritesCr3 && hooks.canonWritesCr3();
    const uint32_t range = cr3 ? kCr3ObjectRange : kObjectRange;
    const bool keep = subCodeA != kShareOnly;  // with 0xA0 the data goes to the sharing clients only
    HeapBlock whole;
    if (keep) {
        whole = HeapBlock::allocate(size);
        if (!whole) return ERROR_NO_MEMORY;
    }
    uint32_t missing = size;
    while (missing > 0) {
        const uint32_t offset = size - missing;
        const uint32_t count = missing < range ? missing : range;
        HeapBlock reply;
        ResponseCode rc = PTP_RC_OK;
        for (int attempt = 1; attempt <= kDownloadAttempts; ++attempt) {
            rc = linkReadObjectPart(object, offset, count, &reply, subCodeA);
            if (rc != PTP_RC_DEVICE_BUSY || attempt == kDownloadAttempts) break;
            sleepBeforeRetry();
        }
        if (rc != PTP_RC_OK) return rc;
        if (!keep) {
            missing -= count;
            continue;
        }
        std::memcpy(whole.data() + offset, reply.data(), reply.size());
        missing -= static_cast<uint32_t>(reply.size());
    }
    *data = std::move(whole);
    return PTP_RC_OK;
}

ResponseCode downloadWhole(const PtpObjectInfoStruct& object, HeapBlock* data, uint8_t subCodeA) {
    PtpDataWrapper wrapper{subCodeA, kWrapObjectRecord, &object, sizeof object};
    ResponseCode rc = PTP_RC_OK;
    for (int attempt = 1; attempt <= kDownloadAttempts; ++attempt) {
        rc = ptpGetObject(object.objectId, subCodeA == kShareOnly ? nullptr : data,
                          subCodeA != kShareNone ? &wrapper : nullptr);
        if (rc != PTP_RC_DEVICE_BUSY || attempt == kDownloadAttempts) break;
        sleepBeforeRetry();
    }
    return rc;
}

}  // namespace

ResponseCode linkDownloadObject(const PtpObjectInfoStruct& object, HeapBlock* data, uint64_t* length,
                                uint8_t subCodeA) {
    if (!data || !length) return ERROR_INVALID_INPUT;
    data->reset();
    *length = 0;
    const uint32_t size = object.objectCompressedSize;
    const bool ranged = size >= kLargeObjectSize || (camIsCanon() && camModelIndex() == kCanonModelAlwaysRanged);
    ResponseCode rc = ranged ? downloadInRanges(object, size, data, subCodeA) : downloadWhole(object, data, subCodeA);
    if (rc != PTP_RC_OK) {
        data->reset();
        return rc;
    }
    *length = ranged || subCodeA == kShareOnly ? size : data->size();
    return PTP_RC_OK;
}
