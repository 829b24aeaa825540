#pragma once
// The motorised pan/tilt head attached to the device: each request travels in an AccessoryPacket and is answered
// by one with a 32-bit result. A request and its reply hold the link mutex together, so they never interleave with
// device commands or PTP transactions.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/ptp/response_code.h"

enum : uint8_t {
    kTripodMove = 4,
    kTripodBattery = 5,
    kTripodSpeed = 11,
};
inline constexpr uint32_t kTripodDefaultParameter = 0x0FFFFFFF;
inline constexpr uint16_t kTripodMaxSpeed = 1023;

// The request bytes (10, 9 or 11).
std::vector<uint8_t> tripodEncodeMove(uint8_t direction, uint32_t parameter);
std::vector<uint8_t> tripodEncodeBattery();
std::vector<uint8_t> tripodEncodeSpeed(unsigned speed);  // clamped to 1023

// A whole reply packet (header included): an AccessoryPacket of at least 9 bytes whose announced length is the
// bytes given -> its result; otherwise ERROR_BAD_PACKET (ERROR_INVALID_INPUT for a missing output).
ResponseCode tripodParseReply(const uint8_t* packet, size_t length, uint32_t* outResult);

// Direction 0 stops the head.
ResponseCode tripodMove(uint8_t direction);
ResponseCode tripodMoveWithParameter(uint8_t direction, uint32_t parameter);
// The head's battery level as it reports it.
ResponseCode tripodReadBattery(uint32_t* outLevel);
ResponseCode tripodSetSpeed(unsigned speed);
