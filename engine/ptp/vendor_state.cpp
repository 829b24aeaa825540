#include "engine/ptp/vendor_state.h"

VendorState& vendorState() {
    static VendorState state;
    return state;
}

void vendorStateReset() {
    vendorState().vendor.store(VENDOR_NONE);
    vendorState().modelIndex.store(0);
}
