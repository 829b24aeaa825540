#pragma once
// Which vendor's camera the session drives. Session open identifies it from the DeviceInfo and stores it here; the
// core's standard operations read it where a vendor's cameras differ. A failed identification leaves the failing
// result code in it, which matches no vendor.
#include <atomic>
#include <cstdint>

using VendorType = uint16_t;

enum : VendorType {
    VENDOR_NONE = 0,
    VENDOR_FUJI = 12,
    VENDOR_CANON = 13,
    VENDOR_SONY = 14,
    VENDOR_NIKON = 15,
    VENDOR_ANY_TABLE = 255,  // the model check tries every vendor's table
};

// The vendor and model index of the current session (model index: set by the vendor's model table; it means
// something only together with the vendor).
struct VendorState {
    std::atomic<VendorType> vendor{VENDOR_NONE};
    std::atomic<uint8_t> modelIndex{0};
};

VendorState& vendorState();
void vendorStateReset();

inline VendorType camVendor() { return vendorState().vendor.load(); }
inline void camSetVendor(VendorType v) { vendorState().vendor.store(v); }
inline uint8_t camModelIndex() { return vendorState().modelIndex.load(); }
inline void camSetModelIndex(uint8_t index) { vendorState().modelIndex.store(index); }
inline bool camIsFuji() { return camVendor() == VENDOR_FUJI; }
inline bool camIsCanon() { return camVendor() == VENDOR_CANON; }
inline bool camIsSony() { return camVendor() == VENDOR_SONY; }
inline bool camIsNikon() { return camVendor() == VENDOR_NIKON; }
