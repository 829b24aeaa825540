#include "devicesim/packet_parser.h"

#include <cstdio>

#include "devicesim/device.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

using wire::get16;
using wire::get32;

void fail(ParsedPacket& p, const std::string& why) {
    if (p.valid) p.error = why;
    p.valid = false;
}

// Containers of a PTP packet: one command container (0-5 parameters), optionally followed by one data container.
void parsePtp(ParsedPacket& p, const uint8_t* b, size_t n) {
    if (n < 12) return fail(p, "PTP packet shorter than a container header");
    const uint32_t len = get32(b);
    if (len < 12 || len > n) return fail(p, "PTP command container length out of range");
    if (get16(b + 4) != 1) return fail(p, "first PTP container is not a command");
    if ((len - 12) % 4 != 0 || (len - 12) / 4 > 5) return fail(p, "PTP command container with a bad parameter area");
    PtpOperation op;
    op.code = get16(b + 6);
    op.transactionId = get32(b + 8);
    for (uint32_t off = 12; off < len; off += 4) op.params.push_back(get32(b + off));
    size_t at = len;
    if (at < n) {
        if (n - at < 12) return fail(p, "trailing bytes after the PTP command container");
        const uint32_t dlen = get32(b + at);
        if (dlen < 12 || dlen > n - at) return fail(p, "PTP data container length out of range");
        if (get16(b + at + 4) != 2) return fail(p, "second PTP container is not data");
        if (get16(b + at + 6) != op.code || get32(b + at + 8) != op.transactionId)
            return fail(p, "PTP data container does not match its command");
        op.dataOut = std::vector<uint8_t>(b + at + 12, b + at + dlen);
        at += dlen;
        if (at != n) return fail(p, "trailing bytes after the PTP data container");
    }
    p.ptp = std::move(op);
}

void parseInner(ParsedPacket& p, uint8_t type, const uint8_t* b, size_t total) {
    p.innerType = type;
    const uint8_t* body = b + 5;
    const size_t n = total - 5;
    switch (type) {
        case kCommand:
            if (total < 10) return fail(p, "command packet shorter than 10 bytes");
            if (get32(body) != total - 5) fail(p, "command inner length differs from the packet length - 5");
            p.command = body[4];
            p.payload.assign(body + 5, body + n);
            return;
        case kPtpData:
            return parsePtp(p, body, n);
        default:
            p.body.assign(body, body + n);
            return;
    }
}

}  // namespace

ParsedPacket parsePacket(const std::vector<uint8_t>& whole) {
    ParsedPacket p;
    if (whole.size() < 5) {
        fail(p, "shorter than a header");
        return p;
    }
    p.length = get32(whole.data());
    p.type = whole[4];
    p.innerType = p.type;
    if (p.length != whole.size()) {
        fail(p, "header length differs from the bytes received");
        return p;
    }
    if (p.type != kDataWrapper) {
        parseInner(p, p.type, whole.data(), whole.size());
        return p;
    }
    // DataWrapperPacket: inner length, sub-codes, d, d bytes, then one whole nested packet.
    if (whole.size() < 15) {
        fail(p, "data wrapper shorter than 15 bytes");
        return p;
    }
    const uint8_t* b = whole.data();
    DataWrapper w;
    w.innerLength = get32(b + 5);
    w.subCodeA = b[9];
    w.subCodeB = b[10];
    const uint32_t d = get32(b + 11);
    if (d > whole.size() - 15) {
        fail(p, "data wrapper data length beyond the packet");
        return p;
    }
    w.data.assign(b + 15, b + 15 + d);
    const size_t nestedAt = 15 + size_t(d);
    const size_t nestedLength = whole.size() - nestedAt;
    p.wrapper = std::move(w);
    if (nestedLength < 5) {
        fail(p, "data wrapper without a nested packet");
        return p;
    }
    const uint8_t* nested = b + nestedAt;
    if (get32(nested) != nestedLength) {
        fail(p, "nested packet length differs from what the wrapper leaves for it");
        return p;
    }
    const uint8_t nestedType = nested[4];
    const uint32_t expectedInner =
        nestedType == kPtpData ? uint32_t(whole.size() - 5) : d + 10;  // a PTP wrapper covers the nested packet
    if (nestedType != kCommand && nestedType != kPtpData) fail(p, "data wrapper around a packet of another type");
    if (p.wrapper->innerLength != expectedInner) fail(p, "data wrapper inner length is wrong");
    parseInner(p, nestedType, nested, nestedLength);
    return p;
}

std::string describePacket(const ParsedPacket& p) {
    char buf[256];
    std::string s;
    if (p.wrapper) {
        std::snprintf(buf, sizeof buf, "wrapper A=0x%02X B=0x%02X d=%zu around ", p.wrapper->subCodeA,
                      p.wrapper->subCodeB, p.wrapper->data.size());
        s += buf;
    }
    if (p.command) {
        std::snprintf(buf, sizeof buf, "command 0x%02X payload %zu bytes", *p.command, p.payload.size());
        s += buf;
    } else if (p.ptp) {
        std::snprintf(buf, sizeof buf, "PTP operation 0x%04X tid %u", p.ptp->code, p.ptp->transactionId);
        s += buf;
        for (size_t i = 0; i < p.ptp->params.size(); ++i) {
            std::snprintf(buf, sizeof buf, "%s0x%X", i == 0 ? " params " : ",", p.ptp->params[i]);
            s += buf;
        }
        if (p.ptp->dataOut) {
            std::snprintf(buf, sizeof buf, " data %zu bytes", p.ptp->dataOut->size());
            s += buf;
        }
    } else {
        std::snprintf(buf, sizeof buf, "packet type 0x%02X length %u", p.innerType, p.length);
        s += buf;
    }
    if (!p.valid) s += " [malformed: " + p.error + "]";
    return s;
}

}  // namespace devicesim
