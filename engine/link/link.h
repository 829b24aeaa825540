#pragma once
// The device link: the one TCP connection to the Vorlaxent device, its packet framing, the link mutex that keeps
// one exchange at a time on the wire, the hand-off of asynchronous device messages to the installed handler, and
// the pending-data table through which a PTP operation can be preceded by a data wrapper.
//
// Module state with free functions; one link per process. Every value on the link is little-endian; every packet
// starts with a 5-byte header: uint32 total length (header included), uint8 packet type.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/link/byte_order.h"
#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"

enum DevicePacketType : uint8_t {
    PtpRepeatPacket = 0x05,     // to the device: a PTP command performed a given number of times
    AccessoryPacket = 0x09,     // both ways: tripod-head request and reply
    PtpDataPacket = 0x0A,       // both ways: PTP containers
    CommandPacket = 0x0C,       // to the device: a device command
    ResponsePacket = 0x0D,      // from the device: the answer to a device command
    DataWrapperPacket = 0x0F,   // to the device: a data block ahead of one nested 0x0C or 0x0A packet
    AutomationFeedback = 0xF7,  // from the device, asynchronous: automation progress and end
    SdCardStatusPacket = 0xFD,  // from the device, asynchronous: SD card present or absent
};

// Types from this value on are asynchronous device messages; the ones below answer this side's requests.
inline constexpr uint8_t kLinkFirstAsyncType = 0x10;
inline constexpr uint32_t kLinkHeaderLength = 5;
inline constexpr uint32_t kCommandPacketOverhead = 10;   // header, inner length, command byte
inline constexpr uint32_t kResponsePacketOverhead = 12;  // header, inner length, one byte, response code
inline constexpr uint32_t kDataWrapperOverhead = 15;     // header, inner length, two sub-codes, data length
inline constexpr uint16_t kLinkDefaultPort = 8382;

// The largest packet the reader accepts. The largest legitimate one is a single GetObject of an object just under
// 5,120,000 bytes (larger objects come in ranges of at most 2 MiB); 16 MiB leaves three times that as headroom
// while a corrupt or hostile length can no longer make the reader allocate up to 4 GiB.
inline constexpr uint32_t kLinkMaxPacketLength = 16u * 1024 * 1024;

// One asynchronous device message: the whole packet, header included. The handler owns it.
using DeviceStatusMessage = HeapBlock;
using DeviceMessageHandler = void (*)(DeviceStatusMessage message);

// The inner header of a data wrapper as the caller gives it. `length` is kept as given but never sent: the link
// recomputes the inner length from what it wraps.
struct DataWrapperHeader {
    uint32_t length = 0;
    uint8_t subCodeA = 0;
    uint8_t subCodeB = 0;
    uint32_t dataLength = 0;  // d
};

// One entry of the pending-data table. The data bytes are shared with the table entry and stay valid for as long
// as this copy lives, even when the key is set again or removed meanwhile.
struct PendingDataObject {
    uint32_t key = 0;  // a PTP operation code
    DataWrapperHeader header;
    std::shared_ptr<const std::vector<uint8_t>> data;  // null when the entry has no data
};
inline constexpr size_t kPendingDataCapacity = 10;

// --- connection ---
// Opens the link to host:port (replacing, and closing, any link open before). Returns the socket descriptor, or -1.
int linkConnect(const char* hostName, uint16_t port);
// Closes the socket and wakes a reader blocked on it (which returns 0xFF14). Always returns 1.
int linkDisconnect();
bool linkIsConnected();
// The broken flag: set when a read or write failed or timed out; while set, nothing is read or written (0xFF0E).
bool linkIsBroken();
// Cleared by linkConnect and by the camera-attached query before it sends.
void linkClearBroken();
// Set when the answer to a device command timed out: the device's answer may still come, and on this socket it
// would be taken for the answer to a later command (device answers, unlike PTP ones, do not name their request). Cleared by linkConnect and by
// linkAwaitOwedAnswer.
bool linkAnswerOwed();
// Reads, for up to a whole read time-out, until the packet that ends the owed answer has come (a device
// command's response, or a PTP response container); everything read is dropped. True when it came (or none was
// owed): the stream is framed from there on. The caller holds the link mutex.
bool linkAwaitOwedAnswer();
// The read time-out, as a named engine wait (engine/timing.h); scaled at each wait. Default kReadTimeout.
void linkSetReadTimeout(std::chrono::milliseconds nominal);
std::chrono::milliseconds linkReadTimeout();

// For as long as it lives, the calling thread's reads and writes on the link wait `nominal` (scaled) in place of the
// link's read time-out: the time-out of one exchange (the SD-card format's long wait, the short quiet time of a
// resynchronisation), which no other thread sees and none can leave behind. Scopes nest.
class LinkExchangeTimeout {
public:
    explicit LinkExchangeTimeout(std::chrono::milliseconds nominal);
    ~LinkExchangeTimeout();
    LinkExchangeTimeout(const LinkExchangeTimeout&) = delete;
    LinkExchangeTimeout& operator=(const LinkExchangeTimeout&) = delete;

private:
    long long previous_;
};

// --- raw I/O ---
// Writes all bytes. Null or zero length -> 0xFF15; no socket or broken -> 0xFF0E; a failed write sets broken, and so
// does a write the device takes no byte of for the read time-out.
ResponseCode linkWrite(const void* bytes, size_t length);
// Reads exactly `length` bytes; 0 or less succeeds at once. 0xFF14 when woken by a disconnect.
ResponseCode linkReadExact(void* buffer, long length);
// Reads the next packet of a type below 0x10 (header included); asynchronous packets met on the way are handed to
// the installed handler (or dropped when none is installed). Null arguments -> 0xFF15. A header that does not come
// (a time-out, a closed peer, or a disconnect waking the reader) breaks the link -> 0xFF0E; a body cut short by a
// disconnect -> 0xFF14.
ResponseCode linkReadPacket(HeapBlock* outBlock, uint32_t* outLength);
// Reads one packet that must be a ResponsePacket and returns its code. On 0x2001 with a payload, *outPayload holds
// the payload alone; otherwise it is left empty. *outLength is the payload length m in every case it is known.
ResponseCode linkReadResponse(HeapBlock* outPayload, uint32_t* outLength);

// --- device commands (the caller holds the link mutex, see linkLockHook) ---
// Writes a CommandPacket. On a write failure the link is disconnected and the link mutex is released here.
ResponseCode linkSendCommand(uint8_t command, const void* payload, uint32_t n);
// Writes the first 15 + d bytes of a DataWrapperPacket (inner length d + 10); the caller writes the nested packet of
// nestedLength bytes next. On a write failure the link is disconnected (the mutex stays held).
ResponseCode linkSendDataWrapper(uint8_t subCodeA, uint8_t subCodeB, uint32_t d, const void* data,
                                 uint32_t nestedLength);
// Locks the link, sends the command, reads its response, unlocks. Returns the response's code.
ResponseCode linkRequest(uint8_t command, const void* payload, uint32_t n, HeapBlock* outPayload,
                         uint32_t* outLength);
// linkRequest that drops whatever payload comes back.
ResponseCode linkCommand(uint8_t command, const void* payload, uint32_t n);
// Under the link mutex: a DataWrapperPacket (sub-codes, d bytes of data) wrapping the CommandPacket, then the
// response. A response code of 0 counts as 0x2001.
ResponseCode linkCommandWithData(const void* payload, uint32_t n, uint8_t command, uint8_t subCodeA, uint8_t subCodeB,
                                 uint32_t d, const void* data, HeapBlock* outPayload, uint32_t* outLength);

// --- accessory (tripod-head) packets; the caller holds the link mutex around the send and the reply ---
// Writes an AccessoryPacket around the request. On a write failure the link is disconnected.
ResponseCode linkSendAccessoryPacket(const void* request, uint32_t length);
// Reads the next packet, which must be an AccessoryPacket of at least 9 bytes: its uint32 result at offset 5.
ResponseCode linkReadAccessoryReply(uint32_t* outResult);

// --- PTP transport (installed into the container layer) ---
// Sends PTP containers as one PtpDataPacket, preceded by a data wrapper when the pending-data table holds an entry
// for the first container's operation code. A failed write returns its code without disconnecting.
ResponseCode linkPtpSend(const uint8_t* containers, uint32_t length);
// Receives the next PtpDataPacket's contents (without the 5-byte header; the block's size is the byte count). A
// ResponsePacket in its place: code 0 -> 0xEE12, other code -> 0xFF0A.
ResponseCode linkPtpReceive(HeapBlock* outBlock);
// 1 locks the link mutex (returns 1, or 0 if the lock failed); 0 unlocks it (returns 1).
int linkLockHook(int flag);

// --- asynchronous device messages ---
// Installs the handler (nullptr removes it). Messages are handed to it one at a time on a dispatcher thread of the
// link, never on the reading thread; each call owns its message.
void linkSetEventHandler(DeviceMessageHandler handler);

// --- pending-data table ---
// Stores (or replaces) the entry for key with a copy of header.dataLength bytes of data (data may be null only when
// that length is 0). Returns 1, or 0 when the table is full or the arguments are inconsistent.
int linkSetPendingObject(uint32_t key, const void* data, const DataWrapperHeader& header);
// Returns 1 when an entry was removed, else 0.
int linkRemovePendingObject(uint32_t key);
// A copy of the entry for key, or none.
std::optional<PendingDataObject> linkGetPendingObject(uint32_t key);
size_t linkPendingObjectCount();

// --- tests ---
// Back to the state of a fresh process: disconnected, not broken, default read time-out, no handler, empty pending
// table, no messages queued (the dispatcher is stopped after running what it holds), real system calls.
void linkResetState();
