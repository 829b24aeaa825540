#include "engine/ptp/session_open.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "engine/ptp/container.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/standard_operations.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/vendor_module.h"

namespace {
struct SessionState {
    std::mutex codesMutex;  // leaf
    VendorPropertyCodes codes;
    std::atomic<uint32_t> manualFocus{0};
    std::atomic<uint32_t> keptZoom{0};
};

SessionState& session() {
    static SessionState s;
    return s;
}

// Each vendor's property-name table ends with the row of its sentinel code.
constexpr uint32_t kFujiSentinel = 0xEEE3;
constexpr uint32_t kCanonSentinel = 0xD1DD;
constexpr uint32_t kSonySentinel = 0xD2D4;
constexpr uint32_t kNikonSentinel = 0xD407;

constexpr ResponseCode kNikonHostModeAlreadySet = 0xA003;

bool in(uint32_t p, std::initializer_list<uint32_t> set) {
    for (uint32_t v : set)
        if (v == p) return true;
    return false;
}

bool fujiClientMode() {
    FujiModule* m = vendorFuji();
    return m && m->clientMode();
}
}  // namespace

VendorPropertyCodes camVendorPropertyCodes() {
    std::lock_guard<std::mutex> g(session().codesMutex);
    return session().codes;
}

void camFillVendorPropertyCodes() {
    VendorPropertyCodes c;
    switch (camVendor()) {
        case VENDOR_FUJI:
            c = {0x5007, 0x500D, 0x500F, 0xD018, 0x500A, 0x500E, 0xD36A, 0, 0x500B, 0x5005, 0xD20D, 0x5010, 0, 0xD017};
            break;
        case VENDOR_CANON: {
            CanonModule* m = vendorCanon();
            c = {0xD101, 0xD102, 0xD103, 0xD120, 0xD108, m ? m->exposureModeCode() : 0u, 0xD111,
                 0xD106, 0xD107, 0xD109, 0xD11B, 0xD104, 0xD1D9, 0xD10A};
            break;
        }
        case VENDOR_SONY:
            c = {0x5007, 0xD20D, 0xD21E, propExists(0xD253) ? 0xD253u : 0x5004u, 0x500A, 0x500E, 0xD218,
                 0x5013, 0x500B, 0x5005, 0,      0x5010, 0,      0xD20F};
            break;
        case VENDOR_NIKON: {
            NikonModule* m = vendorNikon();
            c = {0x5007, 0xD100, propExists(0xD0B4) ? 0xD0B4u : 0x500Fu, 0x5004, m ? m->focusModeCode() : 0u, 0x500E,
                 0x5001, 0x5013, 0x500B, 0x5005, 0xD1F1, 0x5010, 0xD0C1, 0xD01E};
            break;
        }
        default: return;  // no vendor: left as it was
    }
    std::lock_guard<std::mutex> g(session().codesMutex);
    session().codes = c;
}

VendorType camVendorForManufacturer(const char* manufacturer) {
    if (!manufacturer) return VENDOR_NIKON;
    if (std::strncmp(manufacturer, "Canon", 5) == 0) return VENDOR_CANON;
    if (std::strncmp(manufacturer, "Nikon", 5) == 0) return VENDOR_NIKON;
    if (std::strncmp(manufacturer, "Sony", 4) == 0) return VENDOR_SONY;
    if (std::strncmp(manufacturer, "FUJIFILM", 8) == 0) return VENDOR_FUJI;
    return VENDOR_NIKON;
}

VendorType camDetectVendor() {
    DeviceInfoRecord info;
    VendorType vendor = ptpGetDeviceInfo(&info) == PTP_RC_OK ? camVendorForManufacturer(info.manufacturer)
                                                             : static_cast<VendorType>(ERROR_DEVICE_INFO);
    camSetVendor(vendor);
    return vendor;
}

bool camCheckModel() {
    VendorType vendor = camVendor();
    if (vendor == VENDOR_ANY_TABLE) {
        for (VendorType v : {VENDOR_CANON, VENDOR_NIKON, VENDOR_SONY, VENDOR_FUJI})
            if (VendorModule* m = vendorModuleFor(v); m && m->identifyModel()) return true;
        return false;
    }
    VendorModule* m = vendorModuleFor(vendor);
    return m && m->identifyModel();
}

ResponseCode camStartSession(uint32_t hostMode) {
    // 1. A clean slate: no name table, transaction ids from 0, no pause left behind.
    propSetNameTable(nullptr, 0);
    ptpResetTransactionId();
    camResumeEvents();

    // 2. The vendor, and the per-session values of every module cleared.
    VendorType vendor = camDetectVendor();
    camSetModelIndex(0);
    camSetKeptZoom(0);
    vendorForEach([](VendorModule& m) { m.sessionStarting(); });

    // 3. An unidentified camera ends here (0xFF11 after a failed DeviceInfo).
    if (vendor < 11 || vendor > 15) return static_cast<ResponseCode>(vendor);
    // 4. A model the vendor's table does not know.
    if (!camCheckModel()) return ERROR_CAMERA_NOT_SUPPORTED;

    // 5. The vendor's table and session open.
    VendorModule* module = vendorModuleFor(vendor);
    if (!module) return ERROR_CAMERA_NOT_SUPPORTED;
    ResponseCode rc = PTP_RC_OK;
    switch (vendor) {
        case VENDOR_FUJI:
            propSetNameTable(module->propertyNames(), kFujiSentinel);
            rc = module->openSession();
            if (rc != PTP_RC_OK) return rc;
            break;
        case VENDOR_SONY:
            propSetNameTable(module->propertyNames(), kSonySentinel);
            rc = module->openSession();
            break;
        case VENDOR_NIKON: {
            propSetNameTable(module->propertyNames(), kNikonSentinel);
            ResponseCode host = camSetHostMode(hostMode, 0);
            if (host != PTP_RC_OK && host != kNikonHostModeAlreadySet) {
                camFillVendorPropertyCodes();
                return host;
            }
            rc = module->openSession();
            break;
        }
        case VENDOR_CANON:
            propSetNameTable(module->propertyNames(), kCanonSentinel);
            rc = module->openSession();
            break;
        default: break;
    }
    // 6. The role codes; a failed vendor open is returned.
    camFillVendorPropertyCodes();
    if (rc != PTP_RC_OK) return rc;
    // 7. Focus as the camera has it now.
    camSetManualFocusFlag(camIsAutoFocus() ? 0 : 1);
    return PTP_RC_OK;
}

ResponseCode camSetHostMode(uint32_t mode, uint32_t flag) {
    switch (camVendor()) {
        case VENDOR_FUJI:
            if (FujiModule* m = vendorFuji()) return m->setPriorityMode((mode & 0xFF) != 0);
            break;
        case VENDOR_NIKON:
            if (NikonModule* m = vendorNikon()) return m->setHostMode(mode != 0, flag);
            break;
        default: break;
    }
    return ERROR_CAMERA_NOT_SUPPORTED;
}

int camParseShotsAvailable() {
    if (camIsSony()) return 0;
    if (camIsFuji()) {
        FujiModule* m = vendorFuji();
        return m ? m->shotsAvailable() : 0;
    }
    uint32_t code = camVendorPropertyCodes().shotsAvailable;
    PropertyStruct* r = code ? propFind(code, true) : nullptr;
    if (!r) return 0;
    int shots = static_cast<int>(r->value);
    propUnlock(r);
    return shots;
}

bool camApertureSettable(uint32_t p) {
    switch (camVendor()) {
        case VENDOR_CANON: return in(p, {2, 3, 4});
        case VENDOR_SONY:
        case VENDOR_NIKON: return in(p, {1, 3});
        case VENDOR_FUJI: return fujiClientMode() && in(p, {1, 3});
        default: return false;
    }
}

bool camShutterSettable(uint32_t p) {
    switch (camVendor()) {
        case VENDOR_CANON: return in(p, {1, 3});
        case VENDOR_SONY:
        case VENDOR_NIKON: return in(p, {1, 4});
        case VENDOR_FUJI: return fujiClientMode() && in(p, {1, 4});
        default: return false;
    }
}

bool camExposureCompSettable(uint32_t p) {
    switch (camVendor()) {
        case VENDOR_CANON: return in(p, {1, 2, 3});
        case VENDOR_NIKON: return in(p, {1, 3, 4});
        case VENDOR_SONY: return false;
        case VENDOR_FUJI: return fujiClientMode() && p != 1;
        default: return false;
    }
}

uint32_t camManualFocusFlag() { return session().manualFocus.load(); }
void camSetManualFocusFlag(uint32_t manual) { session().manualFocus.store(manual); }
uint32_t camKeptZoom() { return session().keptZoom.load(); }
void camSetKeptZoom(uint32_t value) { session().keptZoom.store(value); }

void camSessionReset() {
    vendorStateReset();
    {
        std::lock_guard<std::mutex> g(session().codesMutex);
        session().codes = VendorPropertyCodes{};
    }
    camSetManualFocusFlag(0);
    camSetKeptZoom(0);
    propSetNameTable(nullptr, 0);
}
