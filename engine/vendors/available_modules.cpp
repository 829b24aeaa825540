#include "engine/vendors/available_modules.h"

#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/fujifilm/fuji_module.h"
#include "engine/vendors/nikon/nikon_module.h"
#include "engine/vendors/sony/sony_module.h"

void vendorRegisterAvailableModules() {
    // Registering is idempotent, so a session start may call this every time.
    canonRegisterModule();
    nikonRegisterModule();
    fujiRegisterModule();
    sonyRegisterModule();
}
