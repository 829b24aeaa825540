#include "engine/ptp/datasets.h"

#include <cctype>
#include <cstring>
#include <ctime>

#include "engine/ptp/vendor_state.h"

bool PtpCodeList::contains(uint16_t code) const {
    uint32_t n = count < kDeviceInfoMaxCodes ? count : kDeviceInfoMaxCodes;
    for (uint32_t i = 0; i < n; ++i)
        if (codes[i] == code) return true;
    return false;
}

PtpObjectInfoStruct ptpObjectInfoForName(const std::string& name, uint16_t fileNameLength) {
    PtpObjectInfoStruct r;
    std::memset(&r, 0, sizeof r);
    r.objectId = kObjectIdByName;
    size_t n = name.size() < sizeof r.fileName - 1 ? name.size() : sizeof r.fileName - 1;
    std::memcpy(r.fileName, name.data(), n);
    r.fileNameLength = fileNameLength;
    return r;
}

bool ptpParseDeviceEventRecord(const uint8_t* data, size_t length, DeviceEventRecord* record) {
    if (!data || !record || length < kDeviceEventRecordSize) return false;
    *record = DeviceEventRecord{};
    record->kind = readLe16(data);
    if (record->kind == kDeviceEventPropertyChanged) {
        record->propertyCode = readLe32(data + 2);
        record->value = readLe32(data + 6);
        record->enabled = data[10];
    } else if (record->kind == kDeviceEventObjectAdded) {
        record->objectSize = readLe32(data + 2);
        std::memcpy(record->fileName, data + 6, 32);  // not necessarily terminated in the record
        record->fileName[32] = 0;
    }
    return true;
}

std::vector<DeviceEventRecord> ptpParseDeviceEventRecords(const uint8_t* data, size_t length) {
    std::vector<DeviceEventRecord> out;
    if (!data) return out;
    out.reserve(length / kDeviceEventRecordSize);
    for (size_t at = 0; length - at >= kDeviceEventRecordSize; at += kDeviceEventRecordSize) {
        DeviceEventRecord r;
        ptpParseDeviceEventRecord(data + at, length - at, &r);
        out.push_back(r);
    }
    return out;
}

size_t ptpReadString(const uint8_t* source, size_t remaining, char* target, size_t targetSize) {
    if (!source || remaining < 1) return 0;
    size_t units = source[0];
    if (units == 0) {
        if (target && targetSize > 0) target[0] = 0;
        return 1;
    }
    if (2 * units >= remaining) return 0;  // the units do not fit after the count byte
    if (target && targetSize > 0) {
        size_t n = units < targetSize - 1 ? units : targetSize - 1;
        for (size_t i = 0; i < n; ++i) target[i] = static_cast<char>(source[1 + 2 * i]);
        target[n] = 0;
        target[targetSize - 1] = 0;
    }
    return 1 + 2 * units;
}

namespace {
bool readDecimal(const char* text, int from, int count, int* out) {
    int v = 0;
    for (int i = from; i < from + count; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        v = v * 10 + (text[i] - '0');
    }
    *out = v;
    return true;
}
}  // namespace

uint64_t ptpParseDateTime(const char* text) {
    if (!text) return 0;
    size_t len = std::strlen(text);
    if (len < 15 || len > 39) return 0;
    int year, month, day, hour, minute, second;
    if (!readDecimal(text, 0, 4, &year) || !readDecimal(text, 4, 2, &month) || !readDecimal(text, 6, 2, &day) ||
        !readDecimal(text, 9, 2, &hour) || !readDecimal(text, 11, 2, &minute) || !readDecimal(text, 13, 2, &second))
        return 0;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;  // daylight saving as the platform knows it
    std::time_t t = std::mktime(&tm);
    return t < 0 ? 0 : static_cast<uint64_t>(t);
}

namespace {
// Reads one code list (uint32 count, count uint16 codes) at *at; false when it does not fit or holds over 320.
bool readCodeList(const uint8_t* data, size_t length, size_t* at, PtpCodeList* list) {
    if (length - *at < 4) return false;
    uint32_t count = readLe32(data + *at);
    *at += 4;
    if (count > kDeviceInfoMaxCodes || static_cast<size_t>(count) * 2 > length - *at) return false;
    list->count = count;
    for (uint32_t i = 0; i < count; ++i) list->codes[i] = readLe16(data + *at + 2 * i);
    *at += 2 * static_cast<size_t>(count);
    return true;
}
}  // namespace

ResponseCode ptpParseDeviceInfo(DeviceInfoRecord* record, const uint8_t* data, size_t length) {
    if (!record || !data) return ERROR_INVALID_INPUT;
    *record = DeviceInfoRecord{};  // nothing of an earlier camera survives
    if (length < 8) return ERROR_PARSE;
    record->standardVersion = readLe16(data);
    record->vendorExtensionId = readLe32(data + 2);
    record->vendorExtensionVersion = readLe16(data + 6);
    size_t at = 8;
    size_t used = ptpReadString(data + at, length - at, record->vendorExtensionDesc, kDeviceInfoTextSize);
    if (used == 0) return ERROR_PARSE;
    at += used;
    if (length - at < 2) return ERROR_PARSE;
    record->functionalMode = readLe16(data + at);
    at += 2;
    for (PtpCodeList* list : {&record->operationsSupported, &record->eventsSupported,
                              &record->devicePropertiesSupported, &record->captureFormats, &record->imageFormats})
        if (!readCodeList(data, length, &at, list)) return ERROR_PARSE;
    for (char* text : {record->manufacturer, record->model, record->deviceVersion, record->serialNumber}) {
        used = ptpReadString(data + at, length - at, text, kDeviceInfoTextSize);
        at += used;  // a string cut short stays empty; the ones after it cannot be read either
    }
    return PTP_RC_OK;
}

namespace {
// Reads a PTP string at *at into target; a string that does not fit is skipped, target keeping its content.
void readObjectString(const uint8_t* data, size_t length, size_t* at, char* target, size_t targetSize) {
    *at += ptpReadString(data + *at, length - *at, target, targetSize);
}

uint64_t readDate(const uint8_t* data, size_t length, size_t* at) {
    char text[128] = {};
    readObjectString(data, length, at, text, sizeof text);
    return text[0] ? ptpParseDateTime(text) : 0;
}
}  // namespace

bool ptpParseObjectInfo(PtpObjectInfoStruct* record, const uint8_t* data, size_t length, uint16_t operation,
                        uint16_t vendor) {
    if (!record || !data) return false;
    const size_t extra = operation == 0x9170 ? 4 : 0;  // Canon's form: 4 more bytes after ThumbCompressedSize
    if (length < 52 + extra) return false;
    record->objectId = readLe32(data + 0);  // the storage id until the caller sets the handle
    record->objectFormat = readLe16(data + 4);
    record->protectionStatus = readLe16(data + 6);
    record->objectCompressedSize = readLe32(data + 8);
    record->thumbFormat = readLe16(data + 12);
    record->thumbCompressedSize = readLe32(data + 14);
    const uint8_t* p = data + 18 + extra;
    record->thumbPixWidth = readLe32(p + 0);
    record->thumbPixHeight = readLe32(p + 4);
    record->imagePixWidth = readLe32(p + 8);
    record->imagePixHeight = readLe32(p + 12);
    record->imageBitDepth = readLe32(p + 16);
    record->parentObject = readLe32(p + 20);
    record->associationType = readLe16(p + 24);
    record->associationDesc = readLe32(p + 26);
    record->sequenceNumber = readLe32(p + 30);
    size_t at = 52 + extra;

    readObjectString(data, length, &at, record->fileName, sizeof record->fileName);
    record->fileNameLength = static_cast<uint16_t>(strnlen(record->fileName, sizeof record->fileName - 1) + 1);

    if (vendor == VENDOR_SONY) {
        record->orientation = 0;
        record->keywords[0] = 0;
        record->captureDate = 0;
        record->modificationDate = 0;
        return true;
    }
    record->captureDate = readDate(data, length, &at);
    if (vendor == VENDOR_FUJI) {
        record->orientation = 0;
        record->modificationDate = 0;
        record->keywords[0] = 0;
        return true;
    }
    record->modificationDate = readDate(data, length, &at);
    readObjectString(data, length, &at, record->keywords, sizeof record->keywords);
    record->orientation = 0;
    record->rating = 0;
    return true;
}

ResponseCode ptpParseUint32Array(const uint8_t* data, size_t length, size_t offset, std::vector<uint32_t>* values) {
    if (!values) return ERROR_INVALID_INPUT;
    values->clear();
    if (!data || length < offset || length - offset < 4) return ERROR_PARSE;
    uint32_t count = readLe32(data + offset);
    size_t room = (length - offset - 4) / 4;
    if (count > room) return ERROR_PARSE;
    values->resize(count);
    for (uint32_t i = 0; i < count; ++i) (*values)[i] = readLe32(data + offset + 4 + 4 * static_cast<size_t>(i));
    return PTP_RC_OK;
}

ResponseCode ptpParseStorageIds(const uint8_t* data, size_t length, uint16_t operation, std::vector<uint32_t>* ids) {
    if (!ids) return ERROR_INVALID_INPUT;
    ids->clear();
    if (operation != 0x9101) return ptpParseUint32Array(data, length, 0, ids);
    // Canon's list: the count leads, the ids follow from byte 16; ids past the data received are not kept.
    if (!data || length < 4) return ERROR_PARSE;
    uint32_t count = readLe32(data);
    size_t room = length > 16 ? (length - 16) / 4 : 0;
    size_t n = count < room ? count : room;
    ids->resize(n);
    for (size_t i = 0; i < n; ++i) (*ids)[i] = readLe32(data + 16 + 4 * i);
    return PTP_RC_OK;
}
