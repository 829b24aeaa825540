#pragma once
// The Vorlaxent device's own command set: each command is one CommandPacket answered by one ResponsePacket. Every
// operation returns a ResponseCode (the response's own code passes through; 0x2001 is success). Text results are
// returned as owned strings. Replies of a fixed size that arrive with another size are refused (0xFF0A), and every
// reply is read only inside the bytes received.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/response_code.h"

// Command bytes.
enum DeviceCommand : uint8_t {
    kCmdCameraAttached = 0x10,
    kCmdFirmwareVersion = 0x30,
    kCmdHardwareVersion = 0x31,
    kCmdReadObjectPart = 0x41,
    kCmdSharingFlag = 0x70,
    kCmdClientRecord = 0x80,
    kCmdPollEvents = 0x82,
    kCmdFujiCallback = 0x86,
    kCmdStatus = 0x87,
    kCmdLiveViewFrame = 0x88,
    kCmdTransferObject = 0xB1,
    kCmdSdTransfer = 0xB2,
    kCmdSendFile = 0xD0,
    kCmdGetAutoShare = 0xD1,
    kCmdSetAutoShare = 0xD2,
    kCmdStartSequence = 0xD3,
    kCmdSaveFujiRaws = 0xD5,
    kCmdFormatSdCard = 0xD6,
    kCmdConnectionInfo = 0xD7,
    kCmdCancelSequence = 0xE0,
    kCmdNewObjectNotice = 0xE3,
    kCmdPropertySnapshot = 0xEB,
    kCmdListSdCardImages = 0xF0,
    kCmdGetThumbnail = 0xF2,
    kCmdGetFileSize = 0xF3,
    kCmdSetClock = 0xF4,
    kCmdSdShotsAvailable = 0xF5,
    kCmdReadFilePart = 0xF8,
    kCmdDownloadFilePart = 0xF9,
    kCmdDeleteFile = 0xFC,
    kCmdCopyToSdCard = 0xFD,
};

// Sub-code A of a data wrapper, given by the caller.
enum : uint8_t {
    kShareNone = 0,
    kShareOnly = 0xA0,    // the data goes to the device's sharing clients only; nothing comes back here
    kShareRelay = 0xA1,   // shared and also returned here
};
// Sub-code B, fixed by the command.
enum : uint8_t {
    kWrapNoData = 0,
    kWrapObjectRecord = 0xB0,
    kWrapRangeRecord = 0xB1,
    kWrapFileName = 0xB2,
};

// Reply of 0x87, exactly 44 bytes; the raw bytes are carried, the fields this side uses are decoded.
inline constexpr size_t kDeviceBatteryStatusSize = 44;
struct DeviceBatteryStatus {
    uint8_t raw[kDeviceBatteryStatusSize] = {};
    uint16_t voltage = 0;            // mV
    uint16_t nominalCapacity = 0;    // mAh
    uint16_t remainingCapacity = 0;  // mAh
    uint16_t totalCapacity = 0;      // mAh
    int16_t current = 0;             // mA, negative while discharging
    uint16_t remainingTime = 0;      // minutes; 0xFFFF while charging
    uint16_t remainingPercentage = 0;
    uint16_t temperature = 0;  // tenths of a kelvin
};

// Largest ranges and limits of the commands.
inline constexpr uint32_t kLargeObjectSize = 5120000;       // from this size on an object is read in ranges
inline constexpr uint32_t kObjectRange = 0x200000;          // 2 MiB
inline constexpr uint32_t kCr3ObjectRange = 0x100000;       // 1 MiB for Canon cameras that write CR3 files
inline constexpr uint32_t kFileRange = 0x200000;            // ranges of an SD-card file
inline constexpr size_t kThumbnailNameMax = 255;            // characters, 0xF2
inline constexpr size_t kFileSizeNameMax = 256;             // characters, 0xF3
inline constexpr size_t kShortNameMax = 200;                // bytes with the terminating zero, 0xF9 and 0xFC
inline constexpr size_t kWatermarkTextSize = 128;
inline constexpr size_t kSdTransferTextMax = 63;
inline constexpr uint8_t kCanonModelAlwaysRanged = 251;     // this Canon model is always read in ranges
inline constexpr size_t kPropertySnapshotCodes = 64;

// --- device state ---
// 0x10: whether a camera is attached. Clears the link's broken flag first; after a failure it drains answers that
// came late, so the next exchange reads its own answer.
ResponseCode linkCommand10(uint8_t* attached);
// 0x30: the device's firmware version.
ResponseCode linkGetFirmwareVersion(uint8_t* version);
// 0x31: the hardware version; 2.0 when the device answers 0xFF15, 0.0 on any other failure.
float linkGetHardwareVersion();
// 0x87: the battery. Exactly 44 bytes are copied out; another length gives the result 0, the record untouched.
ResponseCode linkGetStatus(DeviceBatteryStatus* status);
// 0x86: the Fujifilm callback; the reply's uint16 is the result.
ResponseCode linkFujiCallback();
// 0xF4: the device's clock to local wall-clock time.
ResponseCode linkSetClock();
// 0xD7: the attached camera's model name, at most 255 characters; none on failure.
std::optional<std::string> linkSendConnectionInfo();
// 0xE3: tells the device of a new object; answers its orientation byte.
ResponseCode linkNewObjectNotice(uint32_t handle, uint8_t* orientation);
// 0x82: the camera events the device collected (vendor format or DeviceEventRecord entries); flag from the poller.
ResponseCode linkPollEvents(HeapBlock* data, uint8_t flag);
// 0xEB: the Nikon property snapshot for 64 property codes; the reply is split with linkSplitPropertySnapshot.
ResponseCode linkLoadPropertySnapshot(const uint32_t (&codes)[kPropertySnapshotCodes], HeapBlock* reply);
// 0xD0: the whole file (firmware image). 0xFF15 when it cannot be opened, 0xFF12 without memory, 0xFF01 on a short
// read.
ResponseCode linkSendFile(const std::string& path);
// 0xE0: cancels the automation sequence the device runs.
ResponseCode linkCancelSequence();

// --- sharing and settings ---
ResponseCode linkSendSharingFlag(uint8_t enabled);                                            // 0x70
ResponseCode linkSendClientRecordA(const std::string& text, uint8_t size, uint8_t location);  // 0x80, watermark off
ResponseCode linkSendClientRecordB(const std::string& text, uint8_t size, uint8_t location);  // 0x80, watermark on
ResponseCode linkGetAutoShare(uint8_t* sharing);                                              // 0xD1
ResponseCode linkSetAutoShare();                                                              // 0xD2
ResponseCode linkSendSaveFujiRaws(uint8_t flag);                                              // 0xD5
// 0xB2: automatic copy of new images to the device's SD card, with a file-name prefix (at most 63 characters each).
ResponseCode linkSetSdTransfer(uint8_t flag, const std::string& prefix, const std::string& second);
// Canon and Nikon: with the flag set, every live-view PTP request goes out wrapped for the sharing clients.
ResponseCode linkRefreshLiveViewSharing(bool flag);
// 0x88: one live-view frame in the vendor's format (with a sub-code, an empty wrapper precedes the command).
ResponseCode linkGetLiveViewFrame(HeapBlock* data, uint8_t subCodeA);

// --- the device's SD card ---
// 0xF5: whether a card is present and its free space. Exactly 16 bytes; a missing output gives the result 0.
ResponseCode linkGetSdShotsAvailable(uint64_t* present, uint64_t* freeBytes);
// 0xD6: formats the card; the read time-out is the longer format time-out for its length.
ResponseCode linkFormatSdCard();
// 0xF0: the names of the card's images.
ResponseCode linkListSdCardImages(std::vector<std::string>* names);
// 0xF2: a file's thumbnail and orientation byte (name at most 255 characters).
ResponseCode linkGetThumbnail(const std::string& name, HeapBlock* data, uint8_t* orientation, uint8_t subCodeA);
// 0xF3: a file's size (name at most 256 characters).
ResponseCode linkGetFileSize(const std::string& name, uint64_t* size);
// 0xF9: the JPEG embedded in a RAW file (name at most 199 characters).
ResponseCode linkDownloadFilePart(const std::string& name, HeapBlock* data, uint8_t subCodeA);
// 0xFC: deletes a file (name at most 199 characters).
ResponseCode linkDeleteObject(const std::string& name);
// 0xFD: copies a camera image onto the card.
ResponseCode linkCommandFD(const PtpObjectInfoStruct& object);
// Whole-file download by name (0xF3, then 0xF8 ranges). *length is the size, or 0 with sub-code 0xA0 (no data).
ResponseCode linkDownloadFile(const std::string& name, HeapBlock* data, uint64_t* length, uint8_t subCodeA,
                              const PtpObjectInfoStruct* object = nullptr);

// --- camera objects through the device ---
// 0x41 (0xF8 for an object known by name): `count` bytes from `offset`. A reply longer than asked is refused, and
// so is an empty one unless the data goes to the sharing clients only (0xA0).
ResponseCode linkReadObjectPart(const PtpObjectInfoStruct& object, uint32_t offset, uint32_t count, HeapBlock* data,
                                uint8_t subCodeA);
// 0xB1: the JPEG embedded in a RAW object.
ResponseCode linkTransferObject(const PtpObjectInfoStruct& object, HeapBlock* data, uint8_t subCodeA);
// A camera object: one GetObject below 5,120,000 bytes, ranged reads from there on. *length is the object's size
// (also with 0xA0, where no data comes back).
ResponseCode linkDownloadObject(const PtpObjectInfoStruct& object, HeapBlock* data, uint64_t* length,
                                uint8_t subCodeA);

// --- reply parsers (pure; bounded by the bytes given) ---
bool linkParseBatteryStatus(const uint8_t* data, size_t length, DeviceBatteryStatus* status);
bool linkParseSdStatus(const uint8_t* data, size_t length, uint64_t* present, uint64_t* freeBytes);
// ":"-separated names; empty names are dropped.
std::vector<std::string> linkParseSdCardImageList(const uint8_t* data, size_t length);
// The snapshot reply: per property a uint32 length then that many bytes. False when a length runs past the data.
struct PropertySnapshotEntry {
    const uint8_t* data;
    uint32_t length;
};
bool linkSplitPropertySnapshot(const uint8_t* data, size_t length, std::vector<PropertySnapshotEntry>* entries);

// Test reset of the commands' state (the live-view sharing key).
void linkResetDeviceCommandState();
