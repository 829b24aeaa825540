#include "engine/store/sd_listing.h"

#include "engine/store/object_cache.h"

ResponseCode sdCardNameCheck(const std::string& name) {
    if (!objCacheFileNameIsSafe(name)) return ERROR_INVALID_INPUT;
    if (name.size() > kSdCardNameMax) return ERROR_TOO_LARGE;
    return PTP_RC_OK;
}

SdCardListing sdCardListingCheck(const std::vector<std::string>& names) {
    SdCardListing out;
    for (const std::string& name : names) {
        const ResponseCode rc = sdCardNameCheck(name);
        if (rc == PTP_RC_OK) out.names.push_back(name);
        else out.refused.push_back({name, rc});
    }
    return out;
}
