#include "engine/vendors/sony/sony_live_view.h"

#include <algorithm>
#include <cstring>

#include "engine/link/byte_order.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/sony/sony_operations.h"
#include "engine/vendors/sony/sony_properties.h"
#include "engine/vendors/sony/sony_state.h"

namespace {
using namespace engine_timing;

bool zoomModel() {
    uint8_t m = camModelIndex();
    return m == 161 || m == 163 || m == 167 || m == 171 || (m >= 174 && m <= 190);
}

// A fraction of the frame taken into 0..1 and scaled, never below 0.
uint16_t scaled(double fraction, double offset, double size) {
    double f = std::clamp(fraction, 0.0, 1.0) - offset;
    double v = std::clamp(f * size, 0.0, size);
    return static_cast<uint16_t>(v);
}

// The list entry at a position of a record's list; false when the list is shorter.
bool listEntry(uint32_t code, uint16_t position, uint32_t* value) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    bool ok = r->valueCount > position;
    if (ok) *value = r->values[position].value;
    propUnlock(r);
    return ok;
}

ResponseCode setD254(uint32_t first, uint32_t second) {
    uint8_t bytes[8];
    writeLe32(bytes, first);
    writeLe32(bytes + 4, second);
    return sonySetControl(0xD254, bytes, sizeof bytes);
}
}  // namespace

ResponseCode sonySetLiveView(bool on) {
    if (!on) return PTP_RC_OK;
    PtpObjectInfoStruct info;
    return camGetObjectInfo(kSonyLiveViewObject, &info);
}

ResponseCode sonyLiveViewFrame(HeapBlock* frame) {
    if (!frame) return ERROR_INVALID_INPUT;
    return ptpGetObject(kSonyLiveViewObject, frame);
}

std::optional<SonyJpegRange> sonyLiveViewFindJpeg(const uint8_t* data, size_t length) {
    if (!data || length < 4) return std::nullopt;
    // The search runs on the start's last byte, 0xDB, which the compressed data holds far less often than 0xFF: each
    // one found from the fourth byte on is a candidate when the three bytes before it complete the start.
    for (size_t i = 3; i < length;) {
        const void* db = std::memchr(data + i, 0xDB, length - i);
        if (!db) break;
        i = static_cast<size_t>(static_cast<const uint8_t*>(db) - data);
        if (data[i - 3] == 0xFF && data[i - 2] == 0xD8 && data[i - 1] == 0xFF) return SonyJpegRange{i - 3, length - i + 3};
        ++i;
    }
    return std::nullopt;
}

bool camLiveViewAlwaysTrue() { return true; }

bool sonyAfOverlayRect(uint32_t* first, uint32_t* second) {
    if (!first || !second) return false;
    uint32_t v = 0;
    if (!sonyPropertyValue(propExists(0xD2DC) ? 0xD2DC : 0xD232, &v)) return false;
    *first = v >> 16;
    *second = v & 0xFFFF;
    return true;
}

ResponseCode sonySetFocusPoint(double px, double py) {
    bool toggled = false;
    if (sonyModelIn({179, 187, 188}) && sonyIsAutoFocus()) {
        ResponseCode rc = sonySetManualFocus(true);
        if (rc != PTP_RC_OK) return rc;
        toggled = true;
    } else if (camModelIndex() == 183 && sonyState().focusToggled) {
        ResponseCode rc = sonySetManualFocus(false);
        if (rc != PTP_RC_OK) return rc;
    }
    ResponseCode rc;
    if (propExists(0xD2DC)) {
        uint32_t v = scaled(py, 0.0, 480) | static_cast<uint32_t>(scaled(px, 0.05, 720)) << 16;
        rc = sonyWriteControl(0xD2DC, v, 4);
    } else {
        uint8_t bytes[4];
        writeLe16(bytes, scaled(py, 0.0, 428));
        writeLe16(bytes + 2, scaled(px, 0.0, 640));
        rc = sonySetControl(0xD232, bytes, sizeof bytes);
    }
    if (toggled) {
        uint32_t mode = 0;
        sonyPropertyValue(0x500A, &mode);
        sonySetManualFocus(false);
        sonyWaitChange(0x500A, mode, false, 2000);
    }
    return rc;
}

uint32_t sonyLiveViewZoomLevel(bool reread) {
    if (!zoomModel()) return 0;
    const uint32_t code = propExists(0xD254) ? 0xD254 : 0xD22F;
    if (reread && sonyReadProperty(code, true) != PTP_RC_OK) return 0;
    PropertyStruct* r = propFind(code, true);
    if (!r) return 0;
    uint32_t level = 0;
    if (code == 0xD22F) {
        level = r->value > 74 ? 200 : r->value >= 26 ? 100 : 0;
    } else if (r->valueCount > 2 && r->value == r->values[2].value) {
        level = 100;
    } else if (r->valueCount > 3 && r->value == r->values[3].value) {
        level = 200;
    }
    propUnlock(r);
    return level;
}

ResponseCode sonySetLiveViewZoom(uint32_t level) {
    if (sonyModelIn({161, 163, 167, 174, 175})) {
        uint32_t drive = 0;
        if (!sonyPropertyValue(0x5013, &drive)) return ERROR_GENERAL;
        if (drive == 2 || drive == 0x8010 || drive == 0x8012 || drive == 0x8015)
            return ERROR_INVALID_CONTINUOUS_DRIVE_MODE;
        const bool twice = sonyModelIn({167, 174, 175}) && sonyLiveViewZoomLevel(false) == 0;
        ResponseCode rc = sonyPressButton(kSonyButtonZoom);
        if (rc != PTP_RC_OK || !twice) return rc;
        sonySleep(kSonyZoomPressGap);
        return sonyPressButton(kSonyButtonZoom);
    }
    if (!sonyState().extendedFormat) return ERROR_CAMERA_NOT_SUPPORTED;
    if (!propExists(0xD254)) return PTP_ERROR_UNSUPPORTED_COMMAND;
    uint32_t scale = 0;
    if (!(level == 200 && listEntry(0xD254, 3, &scale)) && !(level == 100 && listEntry(0xD254, 2, &scale))) scale = 0;
    return setD254(0xFFFFFFFF, scale);
}

ResponseCode sonyNudge(int direction) {
    if (sonyModelIn({180, 183, 190})) {
        uint32_t current = 0;
        if (!sonyPropertyValue(0xD254, &current)) return ERROR_INVALID_INPUT;
        const uint32_t pos = sonyState().liveViewPosition;
        int x = static_cast<int>(pos & 0xFFFF), y = static_cast<int>(pos >> 16);
        switch (direction) {
            case 0: x -= 5; break;
            case 1: x += 5; break;
            case 2: y -= 5; break;
            case 3: y += 5; break;
            default: return ERROR_INVALID_INPUT;
        }
        x = std::clamp(x, 0, 0xFFFF);
        y = std::clamp(y, 0, 0xFFFF);
        ResponseCode rc = setD254(static_cast<uint32_t>(y) << 16 | static_cast<uint32_t>(x), current);
        if (rc == PTP_RC_OK) sonyReadProperty(0xD254, true);
        return rc;
    }
    if (direction < 0 || direction > 3) return ERROR_INVALID_INPUT;
    return sonyPressButton(kSonyRemoteKeyUp + static_cast<uint32_t>(direction));
}

ResponseCode sonyLiveViewTap() {
    SonyState& s = sonyState();
    if (sonyIsManualFocus()) {
        s.tapManual = true;
        ResponseCode rc = sonyToggleFocus(false);
        if (rc != PTP_RC_OK || !s.focusToggled) return rc;
    } else {
        s.tapManual = false;
    }
    return sonyHalfPress();
}

ResponseCode sonyLiveViewTapRelease() {
    SonyState& s = sonyState();
    if (!s.tapManual) return sonyHalfPressRelease();
    if (s.focusToggled) {
        ResponseCode rc = sonyHalfPressRelease();
        if (rc != PTP_RC_OK) return rc;
    }
    return sonyToggleFocus(true);
}

bool sonyTouchFocus() {
    if (sonyState().extendedFormat) return true;
    uint32_t area = 0;
    return sonyPropertyValue(0xD22C, &area) && area >= 0x101 && area <= 0x104;
}

bool sonyDoubleTapZoom() {
    uint8_t m = camModelIndex();
    return m == 161 || m == 167 || m == 171 || (m >= 174 && m <= 177) || (m >= 179 && m <= 184) ||
           (m >= 187 && m <= 190);
}
