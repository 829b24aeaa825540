#include "engine/vendors/nikon/nikon_events.h"

#include "engine/link/byte_order.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/standard_operations.h"
#include "engine/vendors/nikon/nikon_image_format.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/nikon/nikon_state.h"

namespace {

constexpr size_t kEntrySize = 6;

bool isMovieFormat(uint16_t format) { return format == 0x300D || format == 0x300A || format == 0xB982; }

void objectAdded(uint32_t handle) {
    if (nikonListed(0x941C) && nikonImageFormatIsRawPlusJpeg() && handle < 0x09999999) return;
    CameraEvent e = camMakeEvent(PTP_EC_ObjectAdded);
    if (camGetObjectInfo(handle, &e.objectInfo) != PTP_RC_OK) return;
    if (isMovieFormat(e.objectInfo.objectFormat)) nikonMovieObjectArrived();
    e.objectInfo.objectId = handle;
    camPushEvent(e, false);
}

void propertyChanged(uint32_t code) {
    if (!nikonRefreshable(code) || !propExists(code)) return;
    PropertyStruct* r = propFind(code);
    if (!r || !propRefreshDesc(r)) return;
    nikonDescriptionRead(code);
    nikonRecordRefreshed(code, false);
    if (code == 0x500E) {
        camPushEvent(camMakePropertyEvent(propFind(0x5010), 0x5010), false);
        camRefreshProperty(0x5007);
        camRefreshProperty(0xD100);
    }
}

}  // namespace

std::vector<NikonEventEntry> nikonSplitEvents(const uint8_t* data, size_t length) {
    std::vector<NikonEventEntry> out;
    if (!data || length <= 2) return out;
    size_t count = readLe16(data);
    for (size_t at = 2; out.size() < count && length - at >= kEntrySize; at += kEntrySize)
        out.push_back({readLe16(data + at), readLe32(data + at + 2)});
    return out;
}

ResponseCode nikonParseEvents(const uint8_t* data, size_t length) {
    if (!data) return ERROR_INVALID_INPUT;
    for (const NikonEventEntry& e : nikonSplitEvents(data, length)) {
        switch (e.code) {
            case PTP_EC_ObjectAdded: objectAdded(e.parameter); break;
            case PTP_EC_ObjectRemovedEvent:
            case PTP_EC_ObjectInfoChanged: {
                CameraEvent ev = camMakeEvent(e.code);
                ev.objectHandle = e.parameter;
                camPushEvent(ev, false);
                break;
            }
            case PTP_EC_DevicePropChanged: propertyChanged(e.parameter); break;
            default: break;
        }
    }
    return PTP_RC_OK;
}
