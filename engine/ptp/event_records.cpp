#include "engine/ptp/event_records.h"

#include <cstring>
#include <string>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "engine/vendors/vendor_module.h"

namespace {
// The current value of a property read under its lock, when the store has it.
bool currentValue(uint32_t code, uint32_t* value) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    *value = r->value;
    propUnlock(r);
    return true;
}

void propertyChanged(const DeviceEventRecord& rec, bool fuji) {
    uint32_t code = rec.propertyCode;
    uint8_t enabled = rec.enabled;
    if (fuji && (code == 0x5010 || code == 0x500D || code == 0x5007)) {
        // Whether these can be set follows the exposure program, whatever the device says.
        uint32_t program = 0;
        if (currentValue(0x500E, &program)) {
            bool settable = code == 0x5010   ? camExposureCompSettable(program)
                            : code == 0x500D ? camShutterSettable(program)
                                             : camApertureSettable(program);
            enabled = settable ? 1 : 0;
        }
    }
    if (!fuji && code == kSonyReloadAllCode) {
        if (SonyModule* sony = vendorSony()) sony->loadProperties();
        return;
    }
    PropertyStruct* record = camApplyDeviceProperty(code, rec.value, enabled);
    if (fuji && record && code == 0x500E)
        for (uint32_t dependent : {0x5007u, 0x500Du, 0x5010u}) camRefreshProperty(dependent);
    camPushEvent(camMakePropertyEvent(record, code), false);
}

void objectAdded(const DeviceEventRecord& rec) {
    CameraEvent e = camMakeEvent(PTP_EC_ObjectAdded);
    PtpObjectInfoStruct& info = e.objectInfo;
    info.objectId = kObjectIdByName;
    propCopyText(info.fileName, 33, rec.fileName);  // at most the record's 32 characters
    info.fileNameLength = static_cast<uint16_t>(std::strlen(info.fileName) + 1);
    info.objectFormat = fileFormatForName(info.fileName);
    info.objectCompressedSize = rec.objectSize;
    info.thumbFormat = 1;
    camPushEvent(e, false);
}

ResponseCode processDeviceRecords(const uint8_t* data, size_t length, bool fuji) {
    for (size_t off = 0; off + kDeviceEventRecordSize <= length; off += kDeviceEventRecordSize) {
        DeviceEventRecord rec;
        if (!ptpParseDeviceEventRecord(data + off, length - off, &rec)) break;
        if (rec.kind == kDeviceEventPropertyChanged) {
            propertyChanged(rec, fuji);
        } else if (rec.kind == kDeviceEventObjectAdded) {
            objectAdded(rec);
        }
    }
    return PTP_RC_OK;
}
}  // namespace

ResponseCode camProcessEvents(const uint8_t* data, size_t length) {
    ResponseCode rc = ERROR_CAMERA_NOT_SUPPORTED;
    switch (camVendor()) {
        case VENDOR_NIKON:
            if (NikonModule* m = vendorNikon()) rc = m->parseEvents(data, length);
            break;
        case VENDOR_CANON:
            if (CanonModule* m = vendorCanon()) rc = m->parseEvents(data, length);
            break;
        case VENDOR_FUJI: rc = processDeviceRecords(data, length, true); break;
        case VENDOR_SONY: rc = processDeviceRecords(data, length, false); break;
        default: break;
    }
    if (rc == PTP_RC_OK) camNotifyEventsDone();
    return rc;
}

PropertyStruct* camApplyDeviceProperty(uint32_t code, uint32_t value, uint8_t enabled) {
    switch (camVendor()) {
        case VENDOR_FUJI:
            if (FujiModule* m = vendorFuji()) return m->applyPropertyChange(code, value, enabled);
            return nullptr;
        case VENDOR_SONY:
            if (SonyModule* m = vendorSony()) return m->applyPropertyChange(code, value, enabled);
            return nullptr;
        default: return nullptr;
    }
}
