#include "engine/ptp/vendor_hooks.h"

#include <mutex>

namespace {
struct HookState {
    std::mutex mutex;  // leaf
    PtpVendorHooks hooks;
};
HookState& hookState() {
    static HookState s;
    return s;
}
}  // namespace

PtpVendorHooks ptpVendorHooks() {
    std::lock_guard<std::mutex> lock(hookState().mutex);
    return hookState().hooks;
}

void ptpSetVendorHooks(const PtpVendorHooks& hooks) {
    std::lock_guard<std::mutex> lock(hookState().mutex);
    hookState().hooks = hooks;
}
