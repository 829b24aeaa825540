#pragma once
// The PTP container layer: turns one PTP operation into bytes (the command container and, with a data phase from
// the host, the data container, back to back in one buffer sent as one link packet) and reads the camera's data
// and response containers as they come back. It knows nothing of sockets: it sends and receives through the two
// functions installed with ptpSetTransport (the device link's linkPtpSend and linkPtpReceive).
//
// Container layout (little-endian): uint32 length (12 header bytes included), uint16 type, uint16 operation or
// response code, uint32 transaction id, then parameters (uint32 each) or data bytes.
#include <cstdint>

#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"

enum PtpContainerType : uint16_t {
    PTP_CONTAINER_COMMAND = 1,
    PTP_CONTAINER_DATA = 2,
    PTP_CONTAINER_RESPONSE = 3,
    PTP_CONTAINER_EVENT = 4,
};

inline constexpr uint32_t kPtpContainerHeaderLength = 12;
inline constexpr uint32_t kPtpMaxParameters = 5;

// Sends `length` bytes of containers; returns a ResponseCode.
using PtpSendFunction = ResponseCode (*)(const uint8_t* bytes, uint32_t length);
// Receives the next packet's containers into *outBlock (its size is the byte count); returns a ResponseCode.
using PtpReceiveFunction = ResponseCode (*)(HeapBlock* outBlock);

// Transaction id of the next transaction back to 0 (session open).
void ptpResetTransactionId();
// The id the next transaction will carry.
uint32_t ptpNextTransactionId();
// Installs both functions (either may be null to remove it) and resets the transaction id.
void ptpSetTransport(PtpSendFunction send, PtpReceiveFunction receive);

// Builds the command container (and the data container when data and a non-zero length are given) with the current
// transaction id into buffer. Returns the bytes built, or 0 when they do not fit or count is above 5.
uint32_t ptpBuildContainers(uint16_t operation, const uint32_t* params, uint32_t count, const uint8_t* data,
                            uint32_t dataLength, uint8_t* buffer, uint32_t bufferLength);
// Builds and sends one operation; on success reports the id used (when asked) and advances the id.
// 0xFF12 no memory, 0xFF0B too many parameters, 0xFF15 no send function; a failed send leaves the id unchanged.
ResponseCode ptpSendCommand(uint16_t operation, const uint32_t* params, uint32_t count, const uint8_t* data,
                            uint32_t dataLength, uint32_t* outTransactionId);
ResponseCode ptpSendCommandNoData(uint16_t operation, const uint32_t* params, uint32_t count,
                                  uint32_t* outTransactionId);
// The reads below take only the answer of the transaction sent last: a container of another transaction (a late
// answer to an exchange that timed out) is dropped, logged, and the read goes on until the right one or the link's
// time-out.
//
// Reads one response container and returns its code (0xEE12 from the link counts as 0x2001). The first parameter
// goes to *outFirstParam when asked and the container has one. Another container type -> 0xFF02.
ResponseCode ptpReadResponse(uint32_t* outFirstParam);
// Reads the data phase and then the response. On a data container *outData holds its data bytes alone and
// *outLength their count. A response container in its place: the operation had no data; its code is returned with
// length 0 and no block. 0xEE12 passes through (success without data). Another type -> 0xFF02.
ResponseCode ptpReadDataAndResponse(HeapBlock* outData, uint32_t* outLength, uint32_t* outFirstParam);

// Test reset: id 0, no transport.
void ptpResetContainerState();
