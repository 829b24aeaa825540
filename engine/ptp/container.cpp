// PTP containers: building the command (and data) containers of one operation, reading the data and response
// containers that come back.
#include "engine/ptp/container.h"

#include <syslog.h>

#include <atomic>
#include <cstring>

#include "engine/link/byte_order.h"

namespace {

constexpr int64_t kNoTransaction = -1;

struct ContainerState {
    std::atomic<uint32_t> nextTransactionId{0};
    // The id of the transaction whose answer is awaited: the last one sent, none before the first send.
    std::atomic<int64_t> awaitedTransactionId{kNoTransaction};
    std::atomic<PtpSendFunction> send{nullptr};
    std::atomic<PtpReceiveFunction> receive{nullptr};
};

ContainerState& state() {
    static ContainerState s;
    return s;
}

// The container at the start of a received block, checked: at least a header, and no longer than the bytes that
// actually arrived. Returns its length, or 0 when it is not a container.
uint32_t containerLength(const HeapBlock& block) {
    if (!block || block.size() < kPtpContainerHeaderLength) return 0;
    const uint32_t length = readLe32(block.data());
    if (length < kPtpContainerHeaderLength || length > block.size()) return 0;
    return length;
}

// Receives the next container that answers the awaited transaction. A container of another transaction (an answer
// that arrived after its own exchange gave up on it) is dropped and the read goes on, until the right one comes or
// the link's wait runs out. What is not a container is left to the caller to refuse.
ResponseCode receiveAnswer(PtpReceiveFunction receive, HeapBlock* block) {
    for (;;) {
        block->reset();
        const ResponseCode rc = receive(block);
        if (rc != PTP_RC_OK || !*block) return rc;
        const int64_t awaited = state().awaitedTransactionId.load();
        if (awaited == kNoTransaction || containerLength(*block) == 0) return rc;
        const uint32_t id = readLe32(block->data() + 8);
        if (id == static_cast<uint32_t>(awaited)) return rc;
        syslog(LOG_NOTICE, "PTP: dropped a late answer (container type %u, code 0x%04X) of transaction %u while "
                           "awaiting %u",
               unsigned(readLe16(block->data() + 4)), unsigned(readLe16(block->data() + 6)), unsigned(id),
               unsigned(awaited));
    }
}

ResponseCode responseFrom(const HeapBlock& block, uint32_t length, uint32_t* outFirstParam) {
    const ResponseCode code = readLe16(block.data() + 6);
    if (outFirstParam && length >= kPtpContainerHeaderLength + 4)
        *outFirstParam = readLe32(block.data() + kPtpContainerHeaderLength);
    return code;
}

}  // namespace

void ptpResetTransactionId() {
    state().nextTransactionId.store(0);
    state().awaitedTransactionId.store(kNoTransaction);
}
uint32_t ptpNextTransactionId() { return state().nextTransactionId.load(); }

void ptpSetTransport(PtpSendFunction send, PtpReceiveFunction receive) {
    state().send.store(send);
    state().receive.store(receive);
    ptpResetTransactionId();
}

void ptpResetContainerState() { ptpSetTransport(nullptr, nullptr); }

uint32_t ptpBuildContainers(uint16_t operation, const uint32_t* params, uint32_t count, const uint8_t* data,
                            uint32_t dataLength, uint8_t* buffer, uint32_t bufferLength) {
    if (!buffer || count > kPtpMaxParameters) return 0;
    const uint32_t commandLength = kPtpContainerHeaderLength + 4 * count;
    if (commandLength > bufferLength) return 0;
    const uint32_t id = state().nextTransactionId.load();
    std::memset(buffer, 0, commandLength);
    writeLe32(buffer, commandLength);
    writeLe16(buffer + 4, PTP_CONTAINER_COMMAND);
    writeLe16(buffer + 6, operation);
    writeLe32(buffer + 8, id);
    if (params)
        for (uint32_t i = 0; i < count; ++i) writeLe32(buffer + kPtpContainerHeaderLength + 4 * i, params[i]);
    if (!data || dataLength == 0) return commandLength;

    const uint64_t total = uint64_t(commandLength) + kPtpContainerHeaderLength + dataLength;
    if (total > bufferLength) return 0;
    uint8_t* d = buffer + commandLength;
    writeLe32(d, kPtpContainerHeaderLength + dataLength);
    writeLe16(d + 4, PTP_CONTAINER_DATA);
    writeLe16(d + 6, operation);
    writeLe32(d + 8, id);
    std::memcpy(d + kPtpContainerHeaderLength, data, dataLength);
    return static_cast<uint32_t>(total);
}

ResponseCode ptpSendCommand(uint16_t operation, const uint32_t* params, uint32_t count, const uint8_t* data,
                            uint32_t dataLength, uint32_t* outTransactionId) {
    if (count > kPtpMaxParameters) return ERROR_BUILD;
    const uint64_t size = uint64_t(dataLength) + 4 * count + 2 * kPtpContainerHeaderLength;
    if (size > UINT32_MAX) return ERROR_BUILD;
    HeapBlock buffer = HeapBlock::allocate(size);
    if (!buffer) return ERROR_NO_MEMORY;
    const uint32_t built =
        ptpBuildContainers(operation, params, count, data, dataLength, buffer.data(), static_cast<uint32_t>(size));
    if (built == 0) return ERROR_BUILD;
    PtpSendFunction send = state().send.load();
    if (!send) return ERROR_INVALID_INPUT;
    const uint32_t id = readLe32(buffer.data() + 8);
    const ResponseCode rc = send(buffer.data(), built);
    if (rc != PTP_RC_OK) return rc;  // the id is not used up: the next transaction carries it again
    if (outTransactionId) *outTransactionId = id;
    state().awaitedTransactionId.store(id);
    state().nextTransactionId.store(id + 1);
    return PTP_RC_OK;
}

ResponseCode ptpSendCommandNoData(uint16_t operation, const uint32_t* params, uint32_t count,
                                  uint32_t* outTransactionId) {
    return ptpSendCommand(operation, params, count, nullptr, 0, outTransactionId);
}

ResponseCode ptpReadResponse(uint32_t* outFirstParam) {
    PtpReceiveFunction receive = state().receive.load();
    if (!receive) return ERROR_INVALID_INPUT;
    HeapBlock block;
    const ResponseCode rc = receiveAnswer(receive, &block);
    if (rc == RESPONSE_NO_DATA) return PTP_RC_OK;
    if (rc != PTP_RC_OK || !block) return rc;
    const uint32_t length = containerLength(block);
    if (length == 0) return ERROR_BAD_PACKET;
    if (readLe16(block.data() + 4) != PTP_CONTAINER_RESPONSE) return ERROR_INVALID_TYPE;
    return responseFrom(block, length, outFirstParam);
}

ResponseCode ptpReadDataAndResponse(HeapBlock* outData, uint32_t* outLength, uint32_t* outFirstParam) {
    if (!outData || !outLength) return ERROR_INVALID_INPUT;
    outData->reset();
    *outLength = 0;
    PtpReceiveFunction receive = state().receive.load();
    if (!receive) return ERROR_INVALID_INPUT;
    HeapBlock block;
    const ResponseCode rc = receiveAnswer(receive, &block);
    if (rc != PTP_RC_OK) return rc;  // 0xEE12 included: the caller counts it as success without data
    if (!block) return PTP_RC_OK;
    const uint32_t length = containerLength(block);
    if (length == 0) return ERROR_BAD_PACKET;
    switch (readLe16(block.data() + 4)) {
        case PTP_CONTAINER_DATA: {
            block.truncate(length);
            block.dropFront(kPtpContainerHeaderLength);
            const uint32_t dataLength = length - kPtpContainerHeaderLength;
            const ResponseCode response = ptpReadResponse(outFirstParam);
            *outData = std::move(block);
            *outLength = dataLength;
            return response;
        }
        case PTP_CONTAINER_RESPONSE:
            return responseFrom(block, length, outFirstParam);
        default:
            return ERROR_INVALID_TYPE;
    }
}
