#include "engine/ptp/standard_operations.h"

#include <cstring>

#include "engine/ptp/vendor_hooks.h"
#include "engine/ptp/vendor_state.h"

ResponseCode ptpGetDeviceInfo(DeviceInfoRecord* record) {
    if (!record) return ERROR_INVALID_INPUT;
    HeapBlock data;
    ResponseCode rc = ptpTransaction(PTP_OC_GetDeviceInfo, {}, &data);
    if (rc != PTP_RC_OK) {
        *record = DeviceInfoRecord{};
        return rc;
    }
    rc = ptpParseDeviceInfo(record, data.data(), data.size());
    if (rc != PTP_RC_OK) return ERROR_PARSE;
    ptpSetSessionDeviceInfo(*record);
    return PTP_RC_OK;
}

namespace {
// Fujifilm tells the orientation through the association type.
uint8_t fujiOrientation(uint16_t associationType) {
    switch (associationType) {
        case 0x0001: case 0x0007: return 1;
        case 0x0301: case 0x0307: return 3;
        case 0x0601: case 0x0607: return 8;
        case 0x0801: case 0x0807: return 6;
        default: return 0;
    }
}
}  // namespace

ResponseCode camGetObjectInfo(uint32_t handle, PtpObjectInfoStruct* record) {
    if (!record) return ERROR_INVALID_INPUT;
    const VendorType vendor = camVendor();
    const uint16_t operation = vendor == VENDOR_CANON && ptpOperationSupported(PTP_OC_CANON_GetObjectInfoEx)
                                   ? PTP_OC_CANON_GetObjectInfoEx
                                   : PTP_OC_GetObjectInfo;
    HeapBlock data;
    ResponseCode rc = ptpTransaction(operation, {handle}, &data);
    if (rc != PTP_RC_OK) return rc;
    if (!ptpParseObjectInfo(record, data.data(), data.size(), operation, vendor)) return ERROR_PARSE;
    record->objectId = handle;
    if (vendor == VENDOR_FUJI) record->orientation = fujiOrientation(record->associationType);
    return PTP_RC_OK;
}

ResponseCode camGetObjectHandles(uint32_t storage, uint32_t format, uint32_t parent, std::vector<uint32_t>* handles) {
    if (!handles) return ERROR_INVALID_INPUT;
    handles->clear();
    const VendorType vendor = camVendor();
    if (vendor == VENDOR_SONY) return PTP_RC_OK;  // Sony's pictures arrive as the device's event records
    HeapBlock data;
    ResponseCode rc = ptpTransaction(PTP_OC_GetObjectHandles, {storage, format, parent}, &data);
    if (rc == PTP_RC_OK) rc = ptpParseUint32Array(data.data(), data.size(), 0, handles);
    if (vendor == VENDOR_CANON && !ptpOperationSupported(PTP_OC_CANON_RemoteModeListed))
        ptpTransaction(PTP_OC_CANON_SetRemoteMode, {1});
    return rc;
}

ResponseCode camLoadObjectHandles(std::vector<uint32_t>* handles) {
    if (!handles) return ERROR_INVALID_INPUT;
    if (camIsCanon() && ptpOperationSupported(PTP_OC_CANON_GetObjectTree)) {
        PtpVendorHooks hooks = ptpVendorHooks();
        if (hooks.canonLoadObjectHandles) {
            handles->clear();
            return hooks.canonLoadObjectHandles(handles);
        }
    }
    return camGetObjectHandles(0xFFFFFFFF, 0, 0, handles);
}

ResponseCode camGetNewObjectHandles(std::vector<uint32_t>* handles) {
    if (!handles) return ERROR_INVALID_INPUT;
    handles->clear();
    if (!camIsFuji()) return ERROR_CAMERA_NOT_SUPPORTED;
    return camGetObjectHandles(0xFFFFFFFF, 0, 0, handles);
}

ResponseCode ptpGetStorageIds(std::vector<uint32_t>* ids) {
    if (!ids) return ERROR_INVALID_INPUT;
    ids->clear();
    const uint16_t operation = camIsCanon() && ptpOperationSupported(PTP_OC_CANON_GetStorageIDs)
                                   ? PTP_OC_CANON_GetStorageIDs
                                   : PTP_OC_GetStorageIDs;
    HeapBlock data;
    ResponseCode rc = ptpTransaction(operation, {}, &data);
    if (rc != PTP_RC_OK) return rc;
    return ptpParseStorageIds(data.data(), data.size(), operation, ids);
}

namespace {
// An operation on one object handle whose data comes back, wrapped when a wrapper is given.
ResponseCode objectTransaction(uint16_t operation, uint32_t handle, HeapBlock* data, const PtpDataWrapper* wrapper) {
    PtpRequest request;
    request.params = &handle;
    request.paramCount = 1;
    request.dataIn = data;
    request.wrapper = wrapper;
    return ptpTransaction(operation, request);
}
}  // namespace

ResponseCode ptpGetObject(uint32_t handle, HeapBlock* data, const PtpDataWrapper* wrapper) {
    return objectTransaction(PTP_OC_GetObject, handle, data, wrapper);
}

ResponseCode ptpGetThumb(uint32_t handle, HeapBlock* data, uint8_t* orientation, const PtpDataWrapper* wrapper) {
    if (!data) return ERROR_INVALID_INPUT;
    data->reset();
    if (camIsSony()) return ERROR_CAMERA_NOT_SUPPORTED;
    if (camIsCanon()) {
        PtpVendorHooks hooks = ptpVendorHooks();
        // The orientation is passed on only when asked for: a thumbnail without the orientation tag is still a
        // thumbnail.
        if (hooks.canonGetThumbnail) return hooks.canonGetThumbnail(handle, data, orientation, wrapper);
    }
    return objectTransaction(PTP_OC_GetThumb, handle, data, wrapper);
}

ResponseCode camDeleteObject(uint32_t handle, uint32_t storage) {
    const VendorType vendor = camVendor();
    if (vendor == VENDOR_SONY) return ERROR_CAMERA_NOT_SUPPORTED;
    ResponseCode rc = vendor == VENDOR_FUJI ? ptpTransaction(PTP_OC_DeleteObject, {handle})
                                            : ptpTransaction(PTP_OC_DeleteObject, {handle, storage});
    if (rc == PTP_RC_OK && vendor == VENDOR_NIKON) {
        PtpVendorHooks hooks = ptpVendorHooks();
        if (hooks.objectRemoved) hooks.objectRemoved(handle);
    }
    return rc;
}

std::optional<std::string> camModelName() {
    if (!ptpSessionDeviceInfoRead()) {
        DeviceInfoRecord record;
        if (ptpGetDeviceInfo(&record) != PTP_RC_OK) return std::nullopt;
    }
    DeviceInfoRecord info = ptpSessionDeviceInfo();
    return std::string(info.model, strnlen(info.model, sizeof info.model));
}

void camSetModelName(const std::string& text) {
    DeviceInfoRecord info = ptpSessionDeviceInfo();
    size_t n = text.size() < sizeof info.model - 1 ? text.size() : sizeof info.model - 1;
    std::memset(info.model, 0, sizeof info.model);
    std::memcpy(info.model, text.data(), n);
    ptpSetSessionDeviceInfo(info);
}

std::string camSerialNumber() {
    DeviceInfoRecord info = ptpSessionDeviceInfo();
    return std::string(info.serialNumber, strnlen(info.serialNumber, sizeof info.serialNumber));
}

ResponseCode camCheckSession() {
    switch (camVendor()) {
        case VENDOR_FUJI:
            return PTP_RC_OK;
        case VENDOR_NIKON: {
            DeviceInfoRecord scratch;
            return ptpGetDeviceInfo(&scratch);
        }
        case VENDOR_CANON: {
            PtpVendorHooks hooks = ptpVendorHooks();
            if (hooks.canonCheckSession) return hooks.canonCheckSession();
            break;
        }
        case VENDOR_SONY: {
            PtpVendorHooks hooks = ptpVendorHooks();
            if (hooks.sonyCheckSession) return hooks.sonyCheckSession();
            break;
        }
        default:
            break;
    }
    return ptpTransaction(PTP_OC_GetNumObjects, {0xFFFFFFFF});
}
