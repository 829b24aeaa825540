#include "engine/vendors/vendor_module.h"

#include <atomic>

#include "engine/ptp/vendor_hooks.h"

namespace {
struct Registry {
    std::atomic<FujiModule*> fuji{nullptr};
    std::atomic<CanonModule*> canon{nullptr};
    std::atomic<SonyModule*> sony{nullptr};
    std::atomic<NikonModule*> nikon{nullptr};
};

Registry& registry() {
    static Registry r;
    return r;
}

// The standard operations reach Canon's and Sony's own paths through hooks that call whichever module is
// registered at the time of the call.
void installStandardHooks() {
    PtpVendorHooks hooks = ptpVendorHooks();
    if (vendorCanon()) {
        hooks.canonCheckSession = [] {
            CanonModule* m = vendorCanon();
            if (!m) return ResponseCode{ERROR_CAMERA_NOT_SUPPORTED};
            return m->checkSession();
        };
    } else {
        hooks.canonCheckSession = nullptr;
    }
    if (vendorSony()) {
        hooks.sonyCheckSession = [] {
            SonyModule* m = vendorSony();
            if (!m) return ResponseCode{ERROR_CAMERA_NOT_SUPPORTED};
            return m->checkSession();
        };
    } else {
        hooks.sonyCheckSession = nullptr;
    }
    ptpSetVendorHooks(hooks);
}
}  // namespace

void vendorRegisterFuji(FujiModule* module) { registry().fuji.store(module); }
void vendorRegisterCanon(CanonModule* module) {
    registry().canon.store(module);
    installStandardHooks();
}
void vendorRegisterSony(SonyModule* module) {
    registry().sony.store(module);
    installStandardHooks();
}
void vendorRegisterNikon(NikonModule* module) { registry().nikon.store(module); }

FujiModule* vendorFuji() { return registry().fuji.load(); }
CanonModule* vendorCanon() { return registry().canon.load(); }
SonyModule* vendorSony() { return registry().sony.load(); }
NikonModule* vendorNikon() { return registry().nikon.load(); }

VendorModule* vendorModuleFor(VendorType vendor) {
    switch (vendor) {
        case VENDOR_FUJI: return vendorFuji();
        case VENDOR_CANON: return vendorCanon();
        case VENDOR_SONY: return vendorSony();
        case VENDOR_NIKON: return vendorNikon();
        default: return nullptr;
    }
}

VendorModule* vendorCurrent() { return vendorModuleFor(camVendor()); }

void vendorResetModules() {
    registry().fuji.store(nullptr);
    registry().canon.store(nullptr);
    registry().sony.store(nullptr);
    registry().nikon.store(nullptr);
    installStandardHooks();
}
