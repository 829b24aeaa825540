// Arbitrary bytes as a camera's replies to the reads a session makes outside event processing: session open (the vendor
// and model from DeviceInfo, then the vendor's opening reads), DeviceInfo, storage ids, object handles, ObjectInfo,
// thumbnails and objects, the session check, a live-view frame, the refresh of every property, one property value, the
// lens's focal length (Fujifilm) or a single property (Sony), each through the module of the vendor the first byte
// picks (bits 0-1; bits 2-3 the model). The second byte picks the read to begin with; the reads then follow in turn.
// The rest is the script of replies (see scripted_camera.h): once it is spent every request fails, as with a camera
// that went away, and each read must then fail cleanly too. Nothing outlives one input.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/ptp/camera_events.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/canon/canon_property_table.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_models.h"
#include "engine/vendors/fujifilm/fuji_module.h"
#include "engine/vendors/fujifilm/fuji_property_table.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_module.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/nikon/nikon_property_table.h"
#include "engine/vendors/sony/sony_models.h"
#include "engine/vendors/sony/sony_module.h"
#include "engine/vendors/sony/sony_property_table.h"
#include "engine/vendors/vendor_module.h"
#include "fuzz/scripted_camera.h"

namespace {

constexpr unsigned kReads = 14;

// Per vendor: the model, the name table and the records a session would hold (exposure, focus, format, capacity).
void openSession(uint8_t selector) {
    const unsigned model = (selector >> 2) & 3;
    // Every module is there, as in a session: a session open may find another vendor than the one picked.
    canonRegisterModule();
    nikonRegisterModule();
    sonyRegisterModule();
    fujiRegisterModule();
    switch (selector & 3) {
        case 0: {
            static const char* const kModels[] = {"Canon EOS R5", "Canon EOS 5D Mark IV", "Canon EOS R7",
                                                  "Canon PowerShot G7 X Mark III"};
            camSetVendor(VENDOR_CANON);
            propSetNameTable(canonPropertyNames(), kCanonPropertySentinel);
            canonIdentifyModelText(kModels[model]);
            break;
        }
        case 1: {
            static const char* const kModels[] = {"D850", "Z 6", "D7000", "D90"};
            camSetVendor(VENDOR_NIKON);
            propSetNameTable(nikonPropertyNames(), kNikonPropertySentinel);
            nikonIdentifyModelText(kModels[model]);
            break;
        }
        case 2: {
            static const char* const kModels[] = {"ILCE-7M3", "ILCE-7RM4", "ILCE-6400", "ILCE-1"};
            camSetVendor(VENDOR_SONY);
            propSetNameTable(sonyPropertyNames(), kSonyPropertySentinel);
            sonyIdentifyModelText(kModels[model]);
            break;
        }
        default: {
            static const uint8_t kModels[] = {22, 23, 33, 35};
            camSetVendor(VENDOR_FUJI);
            camSetModelIndex(kModels[model]);
            propSetNameTable(fujiPropertyNames(), kFujiSentinelCode);
            break;
        }
    }
    for (uint32_t code : {0x5001u, 0x5003u, 0x5004u, 0x5005u, 0x5007u, 0x500Au, 0x500Du, 0x500Eu, 0x500Fu, 0x5010u,
                          0xD101u, 0xD102u, 0xD103u, 0xD01Eu, 0xD203u, 0xD20Du, 0xD254u, 0xD38Cu, 0xD38Du, 0xD395u}) {
        PropertyStruct* r = propCreate(code);
        if (!r) continue;
        r->kind = code == 0xD20D || code == 0xD38D || code == 0xD395 ? kPropKindText : PTP_DTC_UINT16;
        r->value = 1;
    }
}

void read(unsigned which, uint32_t handle) {
    HeapBlock data;
    switch (which) {
        case 0: {
            DeviceInfoRecord info;
            ptpGetDeviceInfo(&info);
            if (info.operationsSupported.count > kDeviceInfoMaxCodes) __builtin_trap();
            break;
        }
        case 1: {
            std::vector<uint32_t> ids;
            ptpGetStorageIds(&ids);
            break;
        }
        case 2: {
            std::vector<uint32_t> handles;
            camGetObjectHandles(0xFFFFFFFF, 0, 0, &handles);
            break;
        }
        case 3: {
            PtpObjectInfoStruct record{};
            if (camGetObjectInfo(handle, &record) == PTP_RC_OK &&
                strnlen(record.fileName, sizeof record.fileName) == sizeof record.fileName)
                __builtin_trap();
            break;
        }
        case 4: {
            uint8_t orientation = 0;
            ptpGetThumb(handle, &data, &orientation);
            break;
        }
        case 5: ptpGetObject(handle, &data); break;
        case 6: camCheckSession(); break;
        case 7: camLiveViewFrame(&data); break;
        case 8: camRefreshAllProperties(); break;
        case 9:
            if (camIsNikon()) {
                nikonReadPropertyValue(0x5007);
            } else if (camIsFuji()) {
                FujiFocusArea area{};
                fujiReadFocusArea(&area);
            } else if (CanonModule* canon = camIsCanon() ? vendorCanon() : nullptr) {
                canon->getPropertyValue(0xD101, &data);
            } else if (SonyModule* sony = camIsSony() ? vendorSony() : nullptr) {
                sony->getPropertyValue(0x5007, &data);
            }
            break;
        case 10:
            if (FujiModule* fuji = camIsFuji() ? vendorFuji() : nullptr) {
                int32_t millimetres = 0;
                fuji->readFocalLength(&millimetres);
            } else if (SonyModule* sony = camIsSony() ? vendorSony() : nullptr) {
                sony->readProperty(0xD254);
            }
            break;
        case 11:
            if (camIsNikon()) nikonDeviceReady();
            break;
        case 12: {
            std::vector<uint32_t> handles;
            camLoadObjectHandles(&handles);
            break;
        }
        default:
            // Session open: the vendor from DeviceInfo's manufacturer, the model from its table, then the vendor's
            // own opening reads (this may change the vendor for the reads that follow).
            camStartSession(1);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    engine_timing::scale().store(0);  // waits between retries and polls pass at once
    propStoreClear();
    camClearEvents();
    openSession(data[0]);
    fuzz_camera::install(data + 2, size - 2,
                         {0x1001, 0x1002, 0x1004, 0x1005, 0x1007, 0x1008, 0x1009, 0x100A, 0x1014, 0x1015, 0x1016,
                          0x9128, 0x913E, 0x9153, 0x9116, 0x90C8, 0x9203, 0x9428, 0x9209, 0x96F1});
    const uint32_t handle = 0x90000001u + data[1];
    for (unsigned i = 0; i < kReads; ++i) read((data[1] + i) % kReads, handle);
    fuzz_camera::uninstall();
    camClearEvents();
    propStoreClear();
    vendorResetModules();
    canonResetModule();
    nikonResetModule();
    sonyResetModule();
    fujiResetModule();
    return 0;
}
