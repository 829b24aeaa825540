#pragma once
// A camera whose replies come from the fuzzer's bytes, installed as the PTP transport: every command sent takes the
// next reply of the script and is answered with it as a data container followed by an OK response, both carrying
// the command's transaction id. A reply whose length field is 0xFFFF is answered with a general error and no data;
// once the script is spent every command is answered with a general error. Script layout: per reply, a u16
// little-endian length, then that many bytes (cut short at the input's end).
#include <cstddef>
#include <cstdint>
#include <deque>
#include <initializer_list>
#include <vector>

#include "engine/link/byte_order.h"
#include "engine/ptp/container.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/transaction.h"

namespace fuzz_camera {

struct Reply {
    bool error = false;
    std::vector<uint8_t> data;
};

struct Script {
    std::deque<Reply> replies;
    std::deque<std::vector<uint8_t>> pending;  // containers of the command sent last, not yet received
    unsigned commands = 0;
};

inline Script& script() {
    static Script s;
    return s;
}

inline std::vector<uint8_t> container(uint16_t type, uint16_t code, uint32_t tid, const uint8_t* data, size_t n) {
    std::vector<uint8_t> c(kPtpContainerHeaderLength + n);
    writeLe32(c.data(), static_cast<uint32_t>(c.size()));
    writeLe16(c.data() + 4, type);
    writeLe16(c.data() + 6, code);
    writeLe32(c.data() + 8, tid);
    for (size_t i = 0; i < n; ++i) c[kPtpContainerHeaderLength + i] = data[i];
    return c;
}

inline ResponseCode send(const uint8_t* bytes, uint32_t length) {
    Script& s = script();
    s.pending.clear();
    ++s.commands;
    if (length < kPtpContainerHeaderLength) return ERROR_CONNECTION_FAILURE;
    uint32_t tid = readLe32(bytes + 8);
    Reply reply;
    reply.error = true;
    if (!s.replies.empty()) {
        reply = std::move(s.replies.front());
        s.replies.pop_front();
    }
    if (reply.error) {
        s.pending.push_back(container(PTP_CONTAINER_RESPONSE, 0x2002, tid, nullptr, 0));
        return PTP_RC_OK;
    }
    s.pending.push_back(container(PTP_CONTAINER_DATA, readLe16(bytes + 6), tid, reply.data.data(), reply.data.size()));
    s.pending.push_back(container(PTP_CONTAINER_RESPONSE, 0x2001, tid, nullptr, 0));
    return PTP_RC_OK;
}

inline ResponseCode receive(HeapBlock* out) {
    Script& s = script();
    if (s.pending.empty()) return ERROR_CONNECTION_FAILURE;
    *out = HeapBlock::copyOf(s.pending.front().data(), s.pending.front().size());
    s.pending.pop_front();
    return PTP_RC_OK;
}

// Cuts `data` into the script's replies and installs the transport, with a session DeviceInfo listing `operations`.
inline void install(const uint8_t* data, size_t size, std::initializer_list<uint16_t> operations) {
    Script& s = script();
    s.replies.clear();
    s.pending.clear();
    s.commands = 0;
    size_t at = 0;
    while (at + 2 <= size) {
        size_t n = readLe16(data + at);
        at += 2;
        Reply r;
        if (n == 0xFFFF) {
            r.error = true;
            s.replies.push_back(std::move(r));
            continue;
        }
        if (n > size - at) n = size - at;
        r.data.assign(data + at, data + at + n);
        s.replies.push_back(std::move(r));
        at += n;
    }
    DeviceInfoRecord info;
    info.vendorExtensionId = 11;
    for (uint16_t op : operations)
        if (info.operationsSupported.count < kDeviceInfoMaxCodes)
            info.operationsSupported.codes[info.operationsSupported.count++] = op;
    ptpSetSessionDeviceInfo(info);
    ptpSetTransport(send, receive);
}

// Event-poll blocks of 38-byte device records end at a record of kind 0 (or at the input's end); the bytes after
// that record are the script. The length of the block before it.
inline size_t deviceRecordsLength(const uint8_t* data, size_t size) {
    constexpr size_t kRecord = 38;
    size_t at = 0;
    while (data && size - at >= kRecord && readLe16(data + at) != 0) at += kRecord;
    return size - at >= kRecord ? at : size;
}

// Fills the store with placeholder records until only `free` places are left, so that what an input adds meets a
// full store. Their codes lie above every 16-bit property code, out of the way of the records an input names.
inline void fillStoreLeaving(size_t free) {
    while (propCount() + free < kPropStoreCapacity && propCreate(0x10000u + static_cast<uint32_t>(propCount()))) {
    }
}

// Removes the transport and forgets the script and the DeviceInfo, so that nothing outlives one input.
inline void uninstall() {
    ptpSetTransport(nullptr, nullptr);
    ptpResetTransactionState();
    ptpResetContainerState();
    Script& s = script();
    s.replies.clear();
    s.pending.clear();
    s.replies.shrink_to_fit();
    s.pending.shrink_to_fit();
}

}  // namespace fuzz_camera
