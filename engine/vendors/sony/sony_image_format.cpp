#include "engine/vendors/sony/sony_image_format.h"

#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/sony/sony_state.h"

namespace {
bool newCodes() { return propExists(0xD253); }
uint32_t formatCode() { return newCodes() ? 0xD253 : 0x5004; }

bool rawIncluded(uint32_t v) {
    return newCodes() ? ((v & 0xFF) == 1 || (v & 0xFF) == 2) : (v & 0x10) != 0;
}
bool jpegIncluded(uint32_t v) {
    return newCodes() ? ((v & 0xFF) == 2 || (v & 0xFF) == 3) : (v & 0xFFFF) != 16;
}
}  // namespace

ResponseCode sonyRawFormatValue(int32_t* out) {
    if (!out) return ERROR_INVALID_INPUT;
    uint32_t v = 0;
    if (!sonyPropertyValue(formatCode(), &v)) return ERROR_GENERAL;
    if (newCodes())
        *out = ((v & 0xFF) == 1 || (v & 0xFF) == 2) ? 1 : -1;
    else
        *out = (v & 0x10) ? 16 : -1;
    return PTP_RC_OK;
}

ResponseCode sonyJpegFormatValue(int32_t* out) {
    if (!out) return ERROR_INVALID_INPUT;
    uint32_t v = 0;
    if (!sonyPropertyValue(formatCode(), &v)) return ERROR_GENERAL;
    uint32_t j = v & ~0x10u;
    if (newCodes()) {
        if ((v & 0x3) == 2) j |= 1;  // RAW + JPEG carries its JPEG as the JPEG-only code
        if ((v & 0xFF) == 1) j &= ~0xFFu;  // RAW alone: no JPEG
    }
    // No JPEG format byte: no JPEG, whatever size the camera still reports.
    if ((j & 0xFF) == 0) j = 0;
    *out = j == 0 ? -1 : static_cast<int32_t>(j);
    return PTP_RC_OK;
}

ResponseCode sonyImageFormatChoices(int kind, std::vector<int32_t>* list) {
    if (!list) return ERROR_INVALID_INPUT;
    list->assign(1, -1);
    if (kind == 6) {
        list->push_back(newCodes() ? 1 : 16);
    } else if (kind == 1) {
        if (newCodes()) {
            for (int size = 1; size <= 3; ++size) {
                if (camModelIndex() == 182) list->push_back(size << 16 | 4 << 8 | 3);
                for (int c = 3; c >= 1; --c) list->push_back(size << 16 | c << 8 | 3);
            }
        } else {
            for (int quality = 2; quality <= 4; ++quality)
                for (int size = 1; size <= 3; ++size) list->push_back(size << 16 | quality);
        }
    }
    return PTP_RC_OK;
}

ResponseCode sonySetImageFormat(int32_t raw, int32_t jpeg) {
    if (raw == -1 && jpeg == -1) return ERROR_GENERAL;
    const uint32_t code = formatCode();
    uint32_t current = 0;
    if (!sonyPropertyValue(code, &current)) return ERROR_GENERAL;
    const bool withJpeg = jpeg != -1;
    uint32_t c = withJpeg ? static_cast<uint32_t>(jpeg) & 0xFF : 0;
    if (raw != -1) {
        if (newCodes())
            c = withJpeg ? 2 : 1;
        else
            c |= 0x10;
    }
    ResponseCode rc = PTP_RC_OK;
    if (c != (current & 0xFF)) {
        uint8_t substitute = sonyState().rawJpegSubstitute;
        rc = propSet(code, substitute && c > 16 ? substitute : c, true);
        if (rc != PTP_RC_OK) return rc;
    }
    if (newCodes() && withJpeg) {
        uint32_t compression = (static_cast<uint32_t>(jpeg) >> 8) & 0xFF, now = 0;
        if (compression && sonyPropertyValue(0xD252, &now) && now != compression) {
            rc = propSet(0xD252, compression, true);
            if (rc != PTP_RC_OK) return rc;
        }
    }
    if (withJpeg) {
        uint32_t size = (static_cast<uint32_t>(jpeg) >> 16) & 0xFF, now = 0;
        if (sonyPropertyValue(0xD203, &now) && now != size) rc = propSet(0xD203, size, true);
    }
    return rc;
}

std::string sonyImageFormatLabel(int32_t value) {
    if (value == -1) return "--";
    const uint32_t v = static_cast<uint32_t>(value);
    std::string text;
    if (rawIncluded(v)) text = "RAW";
    if (!jpegIncluded(v)) return text;
    if (!text.empty()) text += " + ";
    static const char* const kSizes[] = {"L ", "M ", "S "};
    uint32_t size = (v >> 16) & 0xFF;
    if (size >= 1 && size <= 3) text += kSizes[size - 1];
    if (newCodes()) {
        static const char* const kCompression[] = {"JPG (X-FINE)", "JPG (FINE)", "JPG (STD)", "JPG (LIGHT)"};
        uint32_t c = (v >> 8) & 0xFF;
        if (c >= 1 && c <= 4) text += kCompression[c - 1];
    } else {
        static const char* const kQuality[] = {"JPG (LIGHT)", "JPG (STD)", "JPG (FINE)", "JPG (X-FINE)"};
        uint32_t q = v & 0xF;
        if (q >= 1 && q <= 4) text += kQuality[q - 1];
    }
    return text;
}

bool sonyImageFormatCheck() {
    static const bool kRow[] = {1, 0, 1, 1, 0, 0, 1, 1, 0, 1, 1, 0, 0, 1, 1, 1};
    uint8_t m = camModelIndex();
    if (m >= 177 && m <= 190) return true;
    if (m >= 161 && m <= 176) return kRow[m - 161];
    return false;
}
