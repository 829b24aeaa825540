#pragma once
// The PTP datasets the engine keeps as records (DeviceInfo, ObjectInfo), the device's 38-byte event records, and
// the small readers they are built from. Every parser here stays inside the bytes it is given: a dataset that is
// too short, or that announces more than it carries, is an error, never a read past its end.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/link/byte_order.h"
#include "engine/ptp/response_code.h"

inline constexpr size_t kDeviceInfoTextSize = 320;
inline constexpr uint32_t kDeviceInfoMaxCodes = 320;

// One of the DeviceInfo's code lists: a count and up to 320 codes.
struct PtpCodeList {
    uint32_t count = 0;
    uint16_t codes[kDeviceInfoMaxCodes] = {};

    bool contains(uint16_t code) const;
};

// The parsed PTP DeviceInfo dataset. Texts are 8-bit (the low byte of each UTF-16 unit), zero-terminated.
struct DeviceInfoRecord {
    uint16_t standardVersion = 0;
    uint32_t vendorExtensionId = 0;  // non-zero once a DeviceInfo has been read
    uint16_t vendorExtensionVersion = 0;
    char vendorExtensionDesc[kDeviceInfoTextSize] = {};
    uint16_t functionalMode = 0;
    PtpCodeList operationsSupported;
    PtpCodeList eventsSupported;
    PtpCodeList devicePropertiesSupported;
    PtpCodeList captureFormats;
    PtpCodeList imageFormats;
    char manufacturer[kDeviceInfoTextSize] = {};
    char model[kDeviceInfoTextSize] = {};
    char deviceVersion[kDeviceInfoTextSize] = {};
    char serialNumber[kDeviceInfoTextSize] = {};
};

// The 608-byte record of one object. It is written raw to the object cache's files and sent raw to the device, so
// its layout is fixed (little-endian, natural alignment); the static_asserts below pin every offset.
struct PtpObjectInfoStruct {
    uint32_t objectId;  // object handle; kObjectIdByName for a file known only by name on the device's SD card
    uint16_t objectFormat;
    uint16_t protectionStatus;
    uint32_t objectCompressedSize;
    uint16_t thumbFormat;
    uint8_t padding1[2];
    uint32_t thumbCompressedSize;
    uint32_t thumbPixWidth;
    uint32_t thumbPixHeight;
    uint32_t imagePixWidth;
    uint32_t imagePixHeight;
    uint32_t imageBitDepth;
    uint32_t parentObject;
    uint16_t associationType;
    uint8_t padding2[2];
    uint32_t associationDesc;
    uint32_t sequenceNumber;
    uint32_t fieldPad1;  // not written by the parse
    char fileName[256];
    uint16_t fileNameLength;  // strlen(fileName) + 1
    uint8_t padding3[2];
    uint64_t captureDate;       // seconds since the epoch, 0 when absent
    uint64_t modificationDate;  // same form
    uint32_t fieldPad2;         // not written by the parse
    char keywords[256];
    uint8_t orientation;  // EXIF orientation (1, 3, 6, 8); 0 = unknown
    uint8_t padding4[3];
    uint64_t rating;
};

inline constexpr uint32_t kObjectIdByName = 0xFFFFFFFF;

static_assert(sizeof(PtpObjectInfoStruct) == 608);
static_assert(offsetof(PtpObjectInfoStruct, objectId) == 0);
static_assert(offsetof(PtpObjectInfoStruct, objectFormat) == 4);
static_assert(offsetof(PtpObjectInfoStruct, protectionStatus) == 6);
static_assert(offsetof(PtpObjectInfoStruct, objectCompressedSize) == 8);
static_assert(offsetof(PtpObjectInfoStruct, thumbFormat) == 12);
static_assert(offsetof(PtpObjectInfoStruct, thumbCompressedSize) == 16);
static_assert(offsetof(PtpObjectInfoStruct, thumbPixWidth) == 20);
static_assert(offsetof(PtpObjectInfoStruct, thumbPixHeight) == 24);
static_assert(offsetof(PtpObjectInfoStruct, imagePixWidth) == 28);
static_assert(offsetof(PtpObjectInfoStruct, imagePixHeight) == 32);
static_assert(offsetof(PtpObjectInfoStruct, imageBitDepth) == 36);
static_assert(offsetof(PtpObjectInfoStruct, parentObject) == 40);
static_assert(offsetof(PtpObjectInfoStruct, associationType) == 44);
static_assert(offsetof(PtpObjectInfoStruct, associationDesc) == 48);
static_assert(offsetof(PtpObjectInfoStruct, sequenceNumber) == 52);
static_assert(offsetof(PtpObjectInfoStruct, fieldPad1) == 56);
static_assert(offsetof(PtpObjectInfoStruct, fileName) == 60);
static_assert(offsetof(PtpObjectInfoStruct, fileNameLength) == 316);
static_assert(offsetof(PtpObjectInfoStruct, captureDate) == 320);
static_assert(offsetof(PtpObjectInfoStruct, modificationDate) == 328);
static_assert(offsetof(PtpObjectInfoStruct, fieldPad2) == 336);
static_assert(offsetof(PtpObjectInfoStruct, keywords) == 340);
static_assert(offsetof(PtpObjectInfoStruct, orientation) == 596);
static_assert(offsetof(PtpObjectInfoStruct, rating) == 600);

// A cleared record describing a file known only by name on the device's SD card: objectId kObjectIdByName,
// fileName the name (cut to 255 characters), fileNameLength as given (callers differ: name length or length + 1).
PtpObjectInfoStruct ptpObjectInfoForName(const std::string& name, uint16_t fileNameLength);

// The device's event record for Fujifilm and Sony cameras, as decoded from its 38 bytes.
inline constexpr size_t kDeviceEventRecordSize = 38;
inline constexpr uint16_t kDeviceEventPropertyChanged = 0x4FF1;
inline constexpr uint16_t kDeviceEventObjectAdded = 0x4FF0;

struct DeviceEventRecord {
    uint16_t kind = 0;           // kDeviceEventPropertyChanged, kDeviceEventObjectAdded, or another (skipped)
    uint32_t propertyCode = 0;   // property changed: the property code
    uint32_t value = 0;          // property changed: the new value
    uint8_t enabled = 0;         // property changed: 1 = the property may be set
    uint32_t objectSize = 0;     // object added: size in bytes
    char fileName[33] = {};      // object added: the name on the device's SD card (at most 32 characters)
};

// Decodes the record at `data` when at least kDeviceEventRecordSize bytes remain; false otherwise.
bool ptpParseDeviceEventRecord(const uint8_t* data, size_t length, DeviceEventRecord* record);
// Every whole record of an event-poll reply, in order (a trailing partial record is ignored).
std::vector<DeviceEventRecord> ptpParseDeviceEventRecords(const uint8_t* data, size_t length);

// PTP string: a count byte n, then n UTF-16 units whose last is the terminator. Copies the low byte of each unit
// into `target` (as far as targetSize - 1 characters), always terminated, and returns the bytes consumed:
// 1 for an empty string, 1 + 2n otherwise, 0 when the string does not fit in `remaining` (nothing copied).
size_t ptpReadString(const uint8_t* source, size_t remaining, char* target, size_t targetSize);

// "YYYYMMDDThhmmss[.s][zone]" in the camera's local time -> seconds since the epoch; 0 for a text shorter than 15
// or longer than 39 characters, or one that is not in that form.
uint64_t ptpParseDateTime(const char* text);

// Parses a DeviceInfo dataset into a cleared record: PTP_RC_OK, ERROR_INVALID_INPUT without record or data,
// ERROR_PARSE when the dataset is cut short in its fixed part or a code list (count over 320 or longer than the
// data). The four trailing strings are optional: one that does not fit is left empty.
ResponseCode ptpParseDeviceInfo(DeviceInfoRecord* record, const uint8_t* data, size_t length);

// Parses an ObjectInfo dataset (of GetObjectInfo, or of Canon's 0x9170 with 4 more bytes after
// ThumbCompressedSize) into `record`; what the vendor's cameras send decides how far it reads (`vendor`, a
// VendorType). False without record or data, or when the dataset is shorter than its fixed part.
bool ptpParseObjectInfo(PtpObjectInfoStruct* record, const uint8_t* data, size_t length, uint16_t operation,
                        uint16_t vendor);

// A PTP uint32 array (count, then count values) at `offset`: ERROR_PARSE when the data does not hold the count or
// the values it announces.
ResponseCode ptpParseUint32Array(const uint8_t* data, size_t length, size_t offset, std::vector<uint32_t>* values);

// Storage ids of GetStorageIDs (0x1004: the standard array) or Canon's 0x9101 (count first, ids from byte 16).
// Ids the data does not hold are not kept.
ResponseCode ptpParseStorageIds(const uint8_t* data, size_t length, uint16_t operation, std::vector<uint32_t>* ids);
