#pragma once
// The one routine through which every PTP operation reaches the camera. It refuses operations the camera did not
// list in its DeviceInfo, serialises transactions under the transaction mutex, holds the device link (through the
// installed link hook) for the length of one transaction, and retries once when the camera is busy.
//
// Lock order: the transaction mutex is taken before the link mutex (the hook), never after.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

#include "engine/link/heap_block.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/response_code.h"

// Begin/end hook around one transaction: called with 1 after the transaction mutex is taken (a result of 0 or
// less refuses the transaction) and with 0 before it is released. The session installs the link's linkLockHook.
using PtpLinkHook = int (*)(int flag);
void ptpSetLinkHook(PtpLinkHook hook);
PtpLinkHook ptpLinkHook();

// A data wrapper that the device must see ahead of this one transaction's command (the object's record when an
// image is shared with the device's other clients). It belongs to the transaction that carries it: no other
// transaction, on any thread, goes out wrapped by it.
struct PtpDataWrapper {
    uint8_t subCodeA = 0;  // 0xA0: the data goes to the sharing clients only; 0xA1: shared and returned here
    uint8_t subCodeB = 0;  // 0xB0 record, 0xB1 record of a range, 0xB2 file name, 0 no data
    const void* data = nullptr;
    uint32_t length = 0;
};

// Everything a transaction takes besides its operation code. Either data direction may be absent.
struct PtpRequest {
    const uint32_t* params = nullptr;
    uint32_t paramCount = 0;  // 0-5
    const uint8_t* dataOut = nullptr;
    uint32_t dataOutLength = 0;
    HeapBlock* dataIn = nullptr;         // receives the camera's data phase; caller owns it on 0x2001 only
    uint32_t* responseParam = nullptr;   // receives the response's first parameter when it has one
    bool blocking = true;                // false: 0xFF13 at once when another transaction runs
    const PtpDataWrapper* wrapper = nullptr;
};

// One attempt: gate, transaction mutex, link hook, send, read. No retry.
ResponseCode ptpTransactionOnce(uint16_t operation, const PtpRequest& request);
// ptpTransactionOnce with one retry, kBusyRetryDelay later, when the camera answers 0x2019 or 0xA102. On any result
// but 0x2001 the data block is emptied, so callers never free on failure.
ResponseCode ptpTransaction(uint16_t operation, const PtpRequest& request);
// Shorthand for the common forms.
ResponseCode ptpTransaction(uint16_t operation, std::initializer_list<uint32_t> params, HeapBlock* dataIn = nullptr,
                            uint32_t* responseParam = nullptr);

// The gate: GetDeviceInfo, OpenSession and GetNumObjects always pass, GetObject passes even when not listed, any
// other operation passes when the session's DeviceInfo lists it.
bool ptpOperationSupported(uint16_t operation);

// The session's DeviceInfo: refilled at every session open and by every later GetDeviceInfo. Read as a copy; the
// record is replaced whole under a lock of its own (a leaf: nothing else is taken while it is held).
DeviceInfoRecord ptpSessionDeviceInfo();
void ptpSetSessionDeviceInfo(const DeviceInfoRecord& record);
bool ptpSessionDeviceInfoRead();  // vendorExtensionId non-zero

// Test reset: no hook, cleared session DeviceInfo. The transaction mutex is not touched.
void ptpResetTransactionState();
