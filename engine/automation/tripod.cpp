#include "engine/automation/tripod.h"

#include "engine/link/byte_order.h"
#include "engine/link/link.h"

namespace {
std::vector<uint8_t> requestHeader(uint32_t length, uint8_t command, uint32_t parameter) {
    std::vector<uint8_t> out(length, 0);
    writeLe32(out.data(), length);
    out[4] = command;
    writeLe32(out.data() + 5, parameter);
    return out;
}

// One request and its reply under the link mutex.
ResponseCode exchange(const std::vector<uint8_t>& request, uint32_t* result) {
    if (!linkLockHook(1)) return ERROR_BUSY;
    ResponseCode rc = linkSendAccessoryPacket(request.data(), static_cast<uint32_t>(request.size()));
    if (rc == PTP_RC_OK) rc = linkReadAccessoryReply(result);
    linkLockHook(0);
    return rc;
}

// Move and speed: a head that answers 0 refused the request.
ResponseCode acknowledged(const std::vector<uint8_t>& request) {
    uint32_t result = 0;
    ResponseCode rc = exchange(request, &result);
    if (rc != PTP_RC_OK) return rc;
    return result == 0 ? ERROR_BAD_PACKET : PTP_RC_OK;
}
}  // namespace

std::vector<uint8_t> tripodEncodeMove(uint8_t direction, uint32_t parameter) {
    std::vector<uint8_t> out = requestHeader(10, kTripodMove, parameter);
    out[9] = direction;
    return out;
}

std::vector<uint8_t> tripodEncodeBattery() { return requestHeader(9, kTripodBattery, 0); }

std::vector<uint8_t> tripodEncodeSpeed(unsigned speed) {
    std::vector<uint8_t> out = requestHeader(11, kTripodSpeed, 0);
    writeLe16(out.data() + 9, static_cast<uint16_t>(speed > kTripodMaxSpeed ? kTripodMaxSpeed : speed));
    return out;
}

ResponseCode tripodParseReply(const uint8_t* packet, size_t length, uint32_t* outResult) {
    if (!outResult) return ERROR_INVALID_INPUT;
    if (!packet || length < kLinkHeaderLength + 4) return ERROR_BAD_PACKET;
    if (packet[4] != AccessoryPacket || readLe32(packet) != length) return ERROR_BAD_PACKET;
    *outResult = readLe32(packet + kLinkHeaderLength);
    return PTP_RC_OK;
}

ResponseCode tripodMove(uint8_t direction) { return tripodMoveWithParameter(direction, kTripodDefaultParameter); }

ResponseCode tripodMoveWithParameter(uint8_t direction, uint32_t parameter) {
    return acknowledged(tripodEncodeMove(direction, parameter));
}

ResponseCode tripodReadBattery(uint32_t* outLevel) {
    if (!outLevel) return ERROR_INVALID_INPUT;
    return exchange(tripodEncodeBattery(), outLevel);
}

ResponseCode tripodSetSpeed(unsigned speed) { return acknowledged(tripodEncodeSpeed(speed)); }
