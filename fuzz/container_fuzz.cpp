// Arbitrary blocks as received PTP containers: the container reader must never read past a block. The input is
// cut into blocks by a leading length byte each; every block is handed over in a heap block of exactly its size.
// The blocks are read twice: once as answers to no transaction, once as answers to transactions sent before each
// read (answers of another transaction are then dropped and the read goes on).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "engine/ptp/container.h"

namespace {

std::deque<std::vector<uint8_t>>* gBlocks = nullptr;

ResponseCode receiveBlock(HeapBlock* out) {
    if (gBlocks->empty()) return ERROR_CONNECTION_FAILURE;
    std::vector<uint8_t> b = std::move(gBlocks->front());
    gBlocks->pop_front();
    *out = HeapBlock::copyOf(b.data(), b.size());
    return PTP_RC_OK;
}

ResponseCode sendNothing(const uint8_t*, uint32_t) { return PTP_RC_OK; }

std::deque<std::vector<uint8_t>> cut(const uint8_t* data, size_t size) {
    std::deque<std::vector<uint8_t>> blocks;
    size_t at = 0;
    while (at < size) {
        size_t n = data[at++];
        if (n > size - at) n = size - at;
        blocks.emplace_back(data + at, data + at + n);
        at += n;
    }
    return blocks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (bool sending : {false, true}) {
        std::deque<std::vector<uint8_t>> blocks = cut(data, size);
        gBlocks = &blocks;
        ptpSetTransport(sending ? sendNothing : nullptr, receiveBlock);
        while (!blocks.empty()) {
            if (sending) ptpSendCommandNoData(0x1009, nullptr, 0, nullptr);
            HeapBlock out;
            uint32_t length = 0;
            uint32_t param = 0;
            ptpReadDataAndResponse(&out, &length, &param);
            if (out && out.size() != length) __builtin_trap();
            for (uint32_t i = 0; i < length; ++i) param += out[i];
            if (!blocks.empty()) ptpReadResponse(&param);
        }
        ptpResetContainerState();
        gBlocks = nullptr;
    }
    return 0;
}
