#include "engine/link/device_commands.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/link/link.h"
#include "engine/ptp/vendor_hooks.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"

namespace {

struct DeviceCommandState {
    std::mutex mutex;            // leaf: guards liveViewSharingKey
    uint32_t liveViewSharingKey = 0;  // the operation whose pending entry the live-view sharing installed
};

DeviceCommandState& commandState() {
    static DeviceCommandState s;
    return s;
}

// A request whose reply must be exactly `size` bytes.
ResponseCode requestFixed(uint8_t command, const void* payload, uint32_t n, size_t size, HeapBlock* reply) {
    uint32_t length = 0;
    ResponseCode rc = linkRequest(command, payload, n, reply, &length);
    if (rc != PTP_RC_OK) return rc;
    if (reply->size() != size) return ERROR_BAD_PACKET;
    return PTP_RC_OK;
}

// A request whose reply is one byte, given to *out.
ResponseCode requestByte(uint8_t command, const void* payload, uint32_t n, uint8_t* out) {
    if (!out) return ERROR_INVALID_INPUT;
    HeapBlock reply;
    ResponseCode rc = requestFixed(command, payload, n, 1, &reply);
    if (rc == PTP_RC_OK) *out = reply[0];
    return rc;
}

// Reads packets until the link stays quiet for a moment: answers that arrived after their exchange timed out are
// dropped (asynchronous messages still reach their handler). An answer still owed after a read time-out is awaited
// to its end first: a quiet moment alone does not prove it will not come, and once come it would be taken for the
// answer to a later request (one range of a file for another of the same size). False when it did not come: the
// socket is then given up. The caller holds the link mutex.
bool drainLateAnswers() {
    if (!linkAwaitOwedAnswer()) return false;
    LinkExchangeTimeout quiet(engine_timing::kLinkResyncQuiet);
    for (;;) {
        linkClearBroken();
        HeapBlock stale;
        uint32_t length = 0;
        if (linkReadPacket(&stale, &length) != PTP_RC_OK) break;
    }
    linkClearBroken();
    return true;
}

std::vector<uint8_t> watermarkRecord(bool show, const std::string& text, uint8_t size, uint8_t location) {
    std::vector<uint8_t> r(7 + kWatermarkTextSize, 0);
    writeLe32(r.data(), static_cast<uint32_t>(r.size()));
    r[4] = show ? 1 : 0;
    r[5] = location;
    r[6] = size;
    std::memcpy(r.data() + 7, text.data(), text.size() < kWatermarkTextSize ? text.size() : kWatermarkTextSize);
    return r;
}

}  // namespace

// --- reply parsers ---

bool linkParseBatteryStatus(const uint8_t* data, size_t length, DeviceBatteryStatus* status) {
    if (!data || !status || length != kDeviceBatteryStatusSize) return false;
    std::memcpy(status->raw, data, kDeviceBatteryStatusSize);
    status->voltage = readLe16(data + 8);
    status->nominalCapacity = readLe16(data + 14);
    status->remainingCapacity = readLe16(data + 16);
    status->totalCapacity = readLe16(data + 18);
    status->current = static_cast<int16_t>(readLe16(data + 20));
    status->remainingTime = readLe16(data + 22);
    status->remainingPercentage = readLe16(data + 32);
    status->temperature = readLe16(data + 36);
    return true;
}

bool linkParseSdStatus(const uint8_t* data, size_t length, uint64_t* present, uint64_t* freeBytes) {
    if (!data || length != 16) return false;
    if (present) *present = readLe64(data);
    if (freeBytes) *freeBytes = readLe64(data + 8);
    return true;
}

std::vector<std::string> linkParseSdCardImageList(const uint8_t* data, size_t length) {
    std::vector<std::string> names;
    if (!data) return names;
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i == length || data[i] == ':' || data[i] == 0) {
            if (i > start) names.emplace_back(reinterpret_cast<const char*>(data + start), i - start);
            start = i + 1;
            if (i < length && data[i] == 0) break;  // the text ends at its terminator
        }
    }
    return names;
}

bool linkSplitPropertySnapshot(const uint8_t* data, size_t length, std::vector<PropertySnapshotEntry>* entries) {
    if (!entries) return false;
    entries->clear();
    if (!data) return length == 0;
    size_t at = 0;
    while (at < length) {
        if (length - at < 4) return false;
        uint32_t n = readLe32(data + at);
        at += 4;
        if (n > length - at) return false;
        entries->push_back({data + at, n});
        at += n;
    }
    return true;
}

// --- device state ---

ResponseCode linkCommand10(uint8_t* attached) {
    if (!attached) return ERROR_INVALID_INPUT;
    if (linkLockHook(1) != 1) return ERROR_BUSY;
    // The query retries on the same socket: after a failure, an answer that came late is still on its way and would
    // be taken for this one.
    if (linkIsBroken() && !drainLateAnswers()) {
        linkLockHook(0);
        linkDisconnect();  // a stream whose next answer cannot be told from a late one is not read again
        return ERROR_CONNECTION_FAILURE;
    }
    linkClearBroken();
    ResponseCode rc = linkSendCommand(kCmdCameraAttached, nullptr, 0);
    if (rc != PTP_RC_OK) return rc;  // unlocked and disconnected by the send
    HeapBlock reply;
    uint32_t length = 0;
    rc = linkReadResponse(&reply, &length);
    linkLockHook(0);
    if (rc != PTP_RC_OK) return rc;
    if (reply.size() != 1) return ERROR_BAD_PACKET;
    *attached = reply[0];
    return PTP_RC_OK;
}

ResponseCode linkGetFirmwareVersion(uint8_t* version) { return requestByte(kCmdFirmwareVersion, nullptr, 0, version); }

float linkGetHardwareVersion() {
    HeapBlock reply;
    ResponseCode rc = requestFixed(kCmdHardwareVersion, nullptr, 0, 4, &reply);
    if (rc == ERROR_INVALID_INPUT) return 2.0f;  // older devices do not know the command
    if (rc != PTP_RC_OK) return 0.0f;
    uint32_t bits = readLe32(reply.data());
    float version;
    std::memcpy(&version, &bits, sizeof version);
    return version;
}

ResponseCode linkGetStatus(DeviceBatteryStatus* status) {
    if (!status) return ERROR_INVALID_INPUT;
    HeapBlock reply;
    uint32_t length = 0;
    ResponseCode rc = linkRequest(kCmdStatus, nullptr, 0, &reply, &length);
    if (rc != PTP_RC_OK) return rc;
    if (!linkParseBatteryStatus(reply.data(), reply.size(), status)) return 0;  // the record stays untouched
    return PTP_RC_OK;
}

ResponseCode linkFujiCallback() {
    HeapBlock reply;
    ResponseCode rc = requestFixed(kCmdFujiCallback, nullptr, 0, 2, &reply);
    if (rc != PTP_RC_OK) return rc;
    return readLe16(reply.data());
}

ResponseCode linkSetClock() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    int64_t wallClock = static_cast<int64_t>(now) + local.tm_gmtoff;
    uint8_t payload[8];
    writeLe64(payload, static_cast<uint64_t>(wallClock));
    return linkCommand(kCmdSetClock, payload, sizeof payload);
}

std::optional<std::string> linkSendConnectionInfo() {
    HeapBlock reply;
    uint32_t length = 0;
    if (linkRequest(kCmdConnectionInfo, nullptr, 0, &reply, &length) != PTP_RC_OK) return std::nullopt;
    size_t n = reply.size() < 255 ? reply.size() : 255;
    const char* text = reinterpret_cast<const char*>(reply.data());
    return n ? std::string(text, strnlen(text, n)) : std::string();
}

ResponseCode linkNewObjectNotice(uint32_t handle, uint8_t* orientation) {
    uint8_t payload[4];
    writeLe32(payload, handle);
    return requestByte(kCmdNewObjectNotice, payload, sizeof payload, orientation);
}

ResponseCode linkPollEvents(HeapBlock* data, uint8_t flag) {
    if (!data) return ERROR_INVALID_INPUT;
    uint32_t length = 0;
    return linkRequest(kCmdPollEvents, &flag, 1, data, &length);
}

ResponseCode linkLoadPropertySnapshot(const uint32_t (&codes)[kPropertySnapshotCodes], HeapBlock* reply) {
    if (!reply) return ERROR_INVALID_INPUT;
    uint8_t payload[4 * kPropertySnapshotCodes];
    for (size_t i = 0; i < kPropertySnapshotCodes; ++i) writeLe32(payload + 4 * i, codes[i]);
    uint32_t length = 0;
    return linkRequest(kCmdPropertySnapshot, payload, sizeof payload, reply, &length);
}

ResponseCode linkSendFile(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file) return ERROR_INVALID_INPUT;
    if (std::fseek(file.get(), 0, SEEK_END) != 0) return ERROR_GENERAL;
    long size = std::ftell(file.get());
    if (size < 0) return ERROR_GENERAL;
    if (static_cast<uint64_t>(size) > kLinkMaxPacketLength - kCommandPacketOverhead) return ERROR_TOO_LARGE;
    std::rewind(file.get());
    HeapBlock bytes = HeapBlock::allocate(static_cast<size_t>(size));
    if (!bytes) return ERROR_NO_MEMORY;
    if (std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return ERROR_GENERAL;
    return linkCommand(kCmdSendFile, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

ResponseCode linkCancelSequence() { return linkCommand(kCmdCancelSequence, nullptr, 0); }

// --- sharing and settings ---

ResponseCode linkSendSharingFlag(uint8_t enabled) { return linkCommand(kCmdSharingFlag, &enabled, 1); }

ResponseCode linkSendClientRecordA(const std::string& text, uint8_t size, uint8_t location) {
    std::vector<uint8_t> r = watermarkRecord(false, text, size, location);
    return linkCommand(kCmdClientRecord, r.data(), static_cast<uint32_t>(r.size()));
}

ResponseCode linkSendClientRecordB(const std::string& text, uint8_t size, uint8_t location) {
    std::vector<uint8_t> r = watermarkRecord(true, text, size, location);
    return linkCommand(kCmdClientRecord, r.data(), static_cast<uint32_t>(r.size()));
}

ResponseCode linkGetAutoShare(uint8_t* sharing) { return requestByte(kCmdGetAutoShare, nullptr, 0, sharing); }
ResponseCode linkSetAutoShare() { return linkCommand(kCmdSetAutoShare, nullptr, 0); }
ResponseCode linkSendSaveFujiRaws(uint8_t flag) { return linkCommand(kCmdSaveFujiRaws, &flag, 1); }

ResponseCode linkSetSdTransfer(uint8_t flag, const std::string& prefix, const std::string& second) {
    uint8_t record[129] = {};
    record[0] = flag;
    std::memcpy(record + 1, prefix.data(), prefix.size() < kSdTransferTextMax ? prefix.size() : kSdTransferTextMax);
    std::memcpy(record + 65, second.data(), second.size() < kSdTransferTextMax ? second.size() : kSdTransferTextMax);
    return linkCommand(kCmdSdTransfer, record, sizeof record);
}

ResponseCode linkRefreshLiveViewSharing(bool flag) {
    const VendorType vendor = camVendor();
    if (vendor != VENDOR_CANON && vendor != VENDOR_NIKON) return PTP_RC_OK;
    DeviceCommandState& s = commandState();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.liveViewSharingKey != 0) {
        linkRemovePendingObject(s.liveViewSharingKey);
        s.liveViewSharingKey = 0;
    }
    if (!flag) return PTP_RC_OK;
    PtpVendorHooks hooks = ptpVendorHooks();
    uint16_t operation = hooks.liveViewOperation ? hooks.liveViewOperation()
                                                 : (vendor == VENDOR_CANON ? kCanonLiveViewOperation
                                                                           : kNikonLiveViewOperation);
    DataWrapperHeader header;
    header.length = 10;
    header.subCodeA = kShareRelay;
    header.subCodeB = kWrapNoData;
    header.dataLength = 0;
    if (linkSetPendingObject(operation, nullptr, header) != 1) return ERROR_NO_MEMORY;
    s.liveViewSharingKey = operation;
    return PTP_RC_OK;
}

ResponseCode linkGetLiveViewFrame(HeapBlock* data, uint8_t subCodeA) {
    if (!data) return ERROR_INVALID_INPUT;
    uint32_t length = 0;
    return linkCommandWithData(nullptr, 0, kCmdLiveViewFrame, subCodeA, kWrapNoData, 0, nullptr, data, &length);
}

void linkResetDeviceCommandState() {
    DeviceCommandState& s = commandState();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.liveViewSharingKey = 0;
}
