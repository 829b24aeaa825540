#include "engine/ptp/transaction.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "engine/link/link.h"
#include "engine/ptp/container.h"
#include "engine/timing.h"

namespace {

struct TransactionState {
    std::mutex transactionMutex;
    std::atomic<PtpLinkHook> hook{nullptr};
    std::mutex infoMutex;  // leaf: guards deviceInfo only
    DeviceInfoRecord deviceInfo;
};

TransactionState& state() {
    static TransactionState s;
    return s;
}

constexpr uint16_t kOpGetDeviceInfo = 0x1001;
constexpr uint16_t kOpOpenSession = 0x1002;
constexpr uint16_t kOpGetNumObjects = 0x1006;
constexpr uint16_t kOpGetObject = 0x1009;

// Installs this transaction's data wrapper in the link's pending-data table for the length of the transaction
// (under the transaction mutex, so no other PTP packet can go out meanwhile) and puts back what was there before.
class ScopedWrapper {
public:
    ScopedWrapper(uint16_t operation, const PtpDataWrapper* wrapper) : operation_(operation), active_(wrapper) {
        if (!active_) return;
        previous_ = linkGetPendingObject(operation_);
        DataWrapperHeader header;
        header.subCodeA = wrapper->subCodeA;
        header.subCodeB = wrapper->subCodeB;
        header.dataLength = wrapper->data ? wrapper->length : 0;
        header.length = header.dataLength + 10;
        ok_ = linkSetPendingObject(operation_, wrapper->data, header) == 1;
    }
    ~ScopedWrapper() {
        if (!active_) return;
        if (previous_) {
            linkSetPendingObject(operation_, previous_->data ? previous_->data->data() : nullptr, previous_->header);
        } else if (ok_) {
            linkRemovePendingObject(operation_);
        }
    }
    bool ok() const { return !active_ || ok_; }

private:
    uint16_t operation_;
    bool active_;
    bool ok_ = false;
    std::optional<PendingDataObject> previous_;
};

}  // namespace

void ptpSetLinkHook(PtpLinkHook hook) { state().hook.store(hook); }
PtpLinkHook ptpLinkHook() { return state().hook.load(); }

bool ptpOperationSupported(uint16_t operation) {
    if (operation == kOpGetDeviceInfo || operation == kOpOpenSession || operation == kOpGetNumObjects ||
        operation == kOpGetObject)
        return true;
    std::lock_guard<std::mutex> lock(state().infoMutex);
    return state().deviceInfo.operationsSupported.contains(operation);
}

DeviceInfoRecord ptpSessionDeviceInfo() {
    std::lock_guard<std::mutex> lock(state().infoMutex);
    return state().deviceInfo;
}

void ptpSetSessionDeviceInfo(const DeviceInfoRecord& record) {
    std::lock_guard<std::mutex> lock(state().infoMutex);
    state().deviceInfo = record;
}

bool ptpSessionDeviceInfoRead() {
    std::lock_guard<std::mutex> lock(state().infoMutex);
    return state().deviceInfo.vendorExtensionId != 0;
}

void ptpResetTransactionState() {
    state().hook.store(nullptr);
    ptpSetSessionDeviceInfo(DeviceInfoRecord{});
}

ResponseCode ptpTransactionOnce(uint16_t operation, const PtpRequest& request) {
    if (request.dataIn) request.dataIn->reset();
    if (!ptpOperationSupported(operation)) return PTP_ERROR_UNSUPPORTED_COMMAND;

    TransactionState& s = state();
    std::unique_lock<std::mutex> lock(s.transactionMutex, std::defer_lock);
    if (request.blocking) {
        lock.lock();
    } else if (!lock.try_lock()) {
        return ERROR_BUSY;
    }
    PtpLinkHook hook = s.hook.load();
    if (hook && hook(1) <= 0) return ERROR_BUSY;

    ResponseCode rc;
    {
        ScopedWrapper wrapper(operation, request.wrapper);
        if (!wrapper.ok()) {
            rc = ERROR_NO_MEMORY;  // the table is full: sending unwrapped would lose the share
        } else {
            const bool withData = request.dataOut && request.dataOutLength > 0;
            rc = ptpSendCommand(operation, request.params, request.paramCount, withData ? request.dataOut : nullptr,
                                withData ? request.dataOutLength : 0, nullptr);
            if (rc == PTP_RC_OK) {
                if (request.dataIn) {
                    uint32_t length = 0;
                    rc = ptpReadDataAndResponse(request.dataIn, &length, request.responseParam);
                    if (*request.dataIn) request.dataIn->truncate(length);
                } else {
                    rc = ptpReadResponse(request.responseParam);
                }
            }
        }
    }
    if (hook) hook(0);
    return rc;
}

ResponseCode ptpTransaction(uint16_t operation, const PtpRequest& request) {
    ResponseCode rc = ptpTransactionOnce(operation, request);
    if (rc == PTP_RC_DEVICE_BUSY || rc == PTP_RC_CANON_BUSY) {
        std::this_thread::sleep_for(engineWait(engine_timing::kBusyRetryDelay));
        rc = ptpTransactionOnce(operation, request);
    }
    if (rc != PTP_RC_OK && request.dataIn) request.dataIn->reset();
    return rc;
}

ResponseCode ptpTransaction(uint16_t operation, std::initializer_list<uint32_t> params, HeapBlock* dataIn,
                            uint32_t* responseParam) {
    PtpRequest request;
    request.params = params.size() ? params.begin() : nullptr;
    request.paramCount = static_cast<uint32_t>(params.size());
    request.dataIn = dataIn;
    request.responseParam = responseParam;
    return ptpTransaction(operation, request);
}
