#pragma once
// The standard PTP operations built on the transaction routine: DeviceInfo, object handles, object info, object
// data, thumbnails, storage ids, delete, the model name and serial number, and the check after session open. Where
// a vendor's cameras differ, the current VendorType (vendor_state.h) decides, and a vendor module's own path goes
// through its hook (vendor_hooks.h).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/transaction.h"

// PTP operation codes used by the core.
enum : uint16_t {
    PTP_OC_GetDeviceInfo = 0x1001,
    PTP_OC_OpenSession = 0x1002,
    PTP_OC_CloseSession = 0x1003,
    PTP_OC_GetStorageIDs = 0x1004,
    PTP_OC_GetStorageInfo = 0x1005,
    PTP_OC_GetNumObjects = 0x1006,
    PTP_OC_GetObjectHandles = 0x1007,
    PTP_OC_GetObjectInfo = 0x1008,
    PTP_OC_GetObject = 0x1009,
    PTP_OC_GetThumb = 0x100A,
    PTP_OC_DeleteObject = 0x100B,
    PTP_OC_CANON_GetStorageIDs = 0x9101,
    PTP_OC_CANON_GetObjectTree = 0x9109,
    PTP_OC_CANON_SetRemoteMode = 0x9114,
    PTP_OC_CANON_RemoteModeListed = 0x9128,
    PTP_OC_CANON_GetObjectInfoEx = 0x9170,
};

inline constexpr uint16_t PTP_EC_ObjectRemoved = 0x4003;

// GetDeviceInfo into *record (cleared first); on success the session's record becomes a copy. ERROR_INVALID_INPUT
// without a record, ERROR_PARSE when the dataset does not parse.
ResponseCode ptpGetDeviceInfo(DeviceInfoRecord* record);

// GetObjectInfo (Canon's 0x9170 when the camera lists it) of handle into *record, objectId set to the handle.
// ERROR_INVALID_INPUT without a record, ERROR_PARSE when the dataset does not parse.
ResponseCode camGetObjectInfo(uint32_t handle, PtpObjectInfoStruct* record);
// GetObjectHandles (storage, format, parent). Sony: none, no transaction. ERROR_PARSE for a list that announces more
// handles than it carries.
ResponseCode camGetObjectHandles(uint32_t storage, uint32_t format, uint32_t parent, std::vector<uint32_t>* handles);
// Every handle of the camera (Canon with an object tree: the tree's handles).
ResponseCode camLoadObjectHandles(std::vector<uint32_t>* handles);
// The handles to look at after a Fujifilm capture; 0xFF0F for other vendors.
ResponseCode camGetNewObjectHandles(std::vector<uint32_t>* handles);
// GetStorageIDs (Canon's 0x9101 when listed).
ResponseCode ptpGetStorageIds(std::vector<uint32_t>* ids);

// GetObject of handle into *data. The wrapper, when given, goes ahead of this transaction only.
ResponseCode ptpGetObject(uint32_t handle, HeapBlock* data, const PtpDataWrapper* wrapper = nullptr);
// GetThumb of handle (Canon through its module, which also gives the orientation byte; 0xFF0F for Sony).
ResponseCode ptpGetThumb(uint32_t handle, HeapBlock* data, uint8_t* orientation = nullptr,
                         const PtpDataWrapper* wrapper = nullptr);
// DeleteObject (0xFF0F for Sony; Fujifilm sends the handle alone). With Nikon, success queues ObjectRemoved.
ResponseCode camDeleteObject(uint32_t handle, uint32_t storage);

// The model text of the session's DeviceInfo (read first when it has not been), or none when that read fails.
std::optional<std::string> camModelName();
// Stores up to 319 characters as the session's model text.
void camSetModelName(const std::string& text);
// The serial-number text of the session's DeviceInfo (empty when it has none).
std::string camSerialNumber();
// The vendor's check after session open; with no vendor, GetNumObjects of every storage.
ResponseCode camCheckSession();
