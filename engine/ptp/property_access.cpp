#include "engine/ptp/property_access.h"

#include "engine/ptp/camera_events.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/vendor_module.h"

namespace {
constexpr uint32_t kSonyExposureModeNoConfirm = 0x78050;  // exposure modes from here on are not confirmed
}

ResponseCode ptpGetPropertyDesc(uint32_t code, HeapBlock* data) {
    if (!data) return ERROR_BAD_PACKET;
    if (camIsFuji()) {
        FujiModule* m = vendorFuji();
        if (!m) return ERROR_CAMERA_NOT_SUPPORTED;
        return m->getPropDesc(code, data);
    }
    return ptpTransaction(PTP_OC_GetDevicePropDesc, {code}, data);
}

bool propRefreshDesc(PropertyStruct* record) {
    if (!record) return false;
    uint32_t code = record->code.load();
    HeapBlock desc;
    if (ptpGetPropertyDesc(code, &desc) != PTP_RC_OK) return false;
    return propParseDesc(record, desc.data(), desc.size());
}

ResponseCode ptpGetPropertyValue(uint32_t code, HeapBlock* data) {
    if (!data) return ERROR_BAD_PACKET;
    if (!propExists(code)) return PTP_ERROR_UNSUPPORTED_COMMAND;
    switch (camVendor()) {
        case VENDOR_FUJI:
            if (FujiModule* m = vendorFuji()) return m->getPropValue(code, data);
            return ERROR_CAMERA_NOT_SUPPORTED;
        case VENDOR_CANON:
            if (CanonModule* m = vendorCanon()) return m->getPropertyValue(code, data);
            return ERROR_CAMERA_NOT_SUPPORTED;
        case VENDOR_SONY:
            if (SonyModule* m = vendorSony()) return m->getPropertyValue(code, data);
            return ERROR_CAMERA_NOT_SUPPORTED;
        default: return ptpTransaction(PTP_OC_GetDevicePropValue, {code}, data);
    }
}

ResponseCode camGetPropertyNow(uint32_t code) {
    if (camIsSony()) {
        SonyModule* m = vendorSony();
        if (!m) return ERROR_CAMERA_NOT_SUPPORTED;
        return m->readProperty(code);
    }
    HeapBlock value;
    ResponseCode rc = ptpGetPropertyValue(code, &value);
    if (rc != PTP_RC_OK) return rc;
    if (propUpdateValue(code, value.data(), value.size()) < 0) return ERROR_GENERAL;
    return PTP_RC_OK;
}

int camRefreshProperty(uint32_t code) {
    switch (camVendor()) {
        case VENDOR_FUJI:
            if (FujiModule* m = vendorFuji()) return m->refreshProperty(code) ? 1 : 0;
            return 0;
        case VENDOR_NIKON:
            if (NikonModule* m = vendorNikon()) return m->refreshProperty(code) ? 1 : 0;
            return 0;
        case VENDOR_CANON:
            if (CanonModule* m = vendorCanon()) return m->refreshEvents();
            return 0;
        default: return 0;
    }
}

ResponseCode camStepProperty(uint32_t code, int direction) {
    SonyModule* m = camIsSony() ? vendorSony() : nullptr;
    if (!m) return ERROR_CAMERA_NOT_SUPPORTED;
    return m->stepProperty(code, direction);
}

bool propConfirm(uint32_t code, uint32_t value) {
    VendorModule* m = vendorCurrent();
    return m ? m->confirmProperty(code, value) : true;
}

ResponseCode propSet(uint32_t code, uint32_t value, bool confirm) {
    VendorType vendor = camVendor();
    bool fuji = vendor == VENDOR_FUJI, sony = vendor == VENDOR_SONY, nikon = vendor == VENDOR_NIKON;
    if (!fuji) {
        if (!propExists(code) || !propValueAllowed(code, value)) return PTP_RC_PARAMETER_NOT_SUPPORTED;
        if (sony)
            if (SonyModule* m = vendorSony()) m->waitForStepping();
    }
    uint64_t pause = confirm ? camPauseEventsTicket() : 0;
    VendorModule* module = vendorModuleFor(vendor);
    if (!module) {
        if (pause) camResumeEventsTicket(pause);
        return ERROR_NO_VENDOR;
    }
    ResponseCode rc = module->setProperty(code, value);
    if (rc != PTP_RC_OK && rc != PTP_RC_DEVICE_BUSY) {
        if (pause && !camResumeEventsTicket(pause)) return ERROR_BUSY;
        return rc;
    }

    // Sent (a busy answer counts as sent).
    ResponseCode result = rc;
    if (sony) {
        if (!confirm) return rc;
        SonyModule* m = vendorSony();
        bool confirmable = m && m->extendedFormat() && !(code == 0x500E && value >= kSonyExposureModeNoConfirm);
        // Without a confirmation the setter's own answer stands: a busy camera is not reported as success.
        result = rc;
        if (confirmable) result = propConfirm(code, value) ? ResponseCode{PTP_RC_OK} : ResponseCode{PTP_ERROR_PROP_NOT_CONFIRMED};
    } else if (confirm) {
        result = propConfirm(code, value) ? ResponseCode{PTP_RC_OK} : ResponseCode{PTP_ERROR_PROP_NOT_CONFIRMED};
    }
    if (pause) camResumeEventsTicket(pause);

    if (fuji || (nikon && code == 0x500E)) {
        camQueuePropertyChanged(code);
        if (nikon) camQueuePropertyChanged(0x5010);
    }
    if (fuji) {
        FujiModule* m = vendorFuji();
        if (m && m->liveViewRestartPending()) {
            result = camToggleLiveView(true);
            m->clearLiveViewRestart();
        }
    }
    return result;
}
