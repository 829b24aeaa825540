#include "engine/vendors/nikon/nikon_image_format.h"

#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_state.h"

namespace {

uint32_t qualityOf(uint32_t v) { return v & 0xFFFF; }
uint32_t sizeOf(uint32_t v) { return (v >> 16) & 0xFF; }
uint32_t rawSizeOf(uint32_t v) { return (v >> 24) & 0xFF; }

const char* sizeLetter(uint32_t s) {
    switch (s) {
        case 0: return "L ";
        case 1: return "M ";
        case 2: return "S ";
        default: return "";
    }
}

uint32_t storeQuality() {
    uint32_t v = 0;
    return nikonPropertyValue(0x5004, &v) ? v : kNikonNoFormat;
}

bool rawOnlyCodeIsSeven(uint8_t m) {
    return nikonModelInRange(m, 215, 240) && m != 218 && !nikonModelInRange(m, 234, 239);
}

}  // namespace

bool nikonQualityIsRaw(uint8_t model, uint32_t q) {
    return nikonNewerFormatModel(model) ? (q >= 7 && q <= 13) : (q >= 4 && q <= 7);
}

bool nikonQualityHasJpeg(uint8_t model, uint32_t q) {
    if (nikonNewerFormatModel(model)) return q <= 5 || (q >= 8 && q <= 13);
    return q <= 2 || (q >= 5 && q <= 7);
}

bool nikonExtendedQualityCoding() {
    if (camModelIndex() == 229) return true;
    PropertyStruct* r = propFind(0x5004, true);
    bool many = r && r->valueCount > 10;
    propUnlock(r);
    return many;
}

std::string nikonImageFormatLabelFor(uint8_t model, uint32_t value) {
    if (value == kNikonNoFormat) return "--";
    uint32_t q = qualityOf(value), s = sizeOf(value), r = rawSizeOf(value);
    std::string text;
    if (nikonQualityIsRaw(model, q)) {
        if (r == 1) text = "M ";
        if (r == 2) text = "S ";
        text += "RAW";
    }
    if (!nikonQualityHasJpeg(model, q)) return text;
    if (!text.empty()) text += " + ";
    text += sizeLetter(s);
    if (nikonNewerFormatModel(model)) {
        static const char* const kNewer[] = {"JPG (BASIC)", "JPG (BASIC)*", "JPG (NORM)",
                                             "JPG (NORM)*", "JPG (FINE)",   "JPG (FINE)*"};
        text += kNewer[(q % 8) % 6];
    } else {
        static const char* const kOlder[] = {"JPG (BASIC)", "JPG (NORM)", "JPG (FINE)"};
        text += kOlder[q >= 5 ? q - 5 : q];
    }
    if (text.size() > 31) text.resize(31);
    return text;
}

std::string nikonImageFormatLabel(uint32_t value) { return nikonImageFormatLabelFor(camModelIndex(), value); }

ResponseCode nikonImageFormatSizeQuality(uint32_t value, uint32_t type, uint32_t* size, uint32_t* compression) {
    if (!size || !compression) return ERROR_INVALID_INPUT;
    uint8_t model = camModelIndex();
    uint32_t q = qualityOf(value);
    *compression = 0;
    if (type == kNikonImageTypeRaw) {
        if (value == kNikonNoFormat || !nikonQualityIsRaw(model, q)) return ERROR_GENERAL;
        *size = rawSizeOf(value);
        return PTP_RC_OK;
    }
    if (value == kNikonNoFormat || !nikonQualityHasJpeg(model, q)) return ERROR_GENERAL;
    *size = sizeOf(value);
    return PTP_RC_OK;
}

uint32_t nikonImageFormatRawPart() {
    uint32_t v = storeQuality();
    if (v == kNikonNoFormat) return kNikonNoFormat;
    uint32_t rawOnly = nikonExtendedQualityCoding() ? 7 : 4;
    if (qualityOf(v) < rawOnly) return kNikonNoFormat;
    return rawOnly | (rawSizeOf(v) << 24);
}

uint32_t nikonImageFormatJpegPart() {
    uint32_t v = storeQuality();
    if (v == kNikonNoFormat) return kNikonNoFormat;
    uint32_t q = qualityOf(v), jpeg;
    if (nikonExtendedQualityCoding()) {
        if (q == 7 || q > 13 || q == 6) return kNikonNoFormat;
        jpeg = q % 8;
    } else {
        if (q <= 2) jpeg = q;
        else if (q >= 5 && q <= 7) jpeg = q - 5;
        else return kNikonNoFormat;
    }
    return jpeg | (sizeOf(v) << 16);
}

ResponseCode nikonSetImageFormat(uint32_t raw, uint32_t jpeg) {
    if (raw == kNikonNoFormat && jpeg == kNikonNoFormat) return ERROR_GENERAL;
    uint32_t quality;
    if (raw == kNikonNoFormat) quality = qualityOf(jpeg);
    else if (jpeg == kNikonNoFormat) quality = qualityOf(raw);
    else quality = qualityOf(raw) + qualityOf(jpeg) + 1;
    uint32_t current = storeQuality();
    if (current == kNikonNoFormat || qualityOf(current) != quality) {
        ResponseCode rc = propSet(0x5004, quality, true);
        if (rc != PTP_RC_OK) return rc;
        current = storeQuality();
    }
    if (jpeg != kNikonNoFormat && sizeOf(current) != sizeOf(jpeg)) {
        ResponseCode rc = propSet(0x5003, sizeOf(jpeg), true);
        if (rc != PTP_RC_OK) return rc;
    }
    if (raw != kNikonNoFormat && nikonReports(0xD0B6) && rawSizeOf(current) != rawSizeOf(raw)) {
        ResponseCode rc = propSet(0xD0B6, rawSizeOf(raw), true);
        if (rc != PTP_RC_OK) return rc;
    }
    return PTP_RC_OK;
}

ResponseCode nikonImageFormatChoices(uint32_t type, std::vector<uint32_t>* list) {
    if (!list) return ERROR_INVALID_INPUT;
    uint8_t m = camModelIndex();
    list->assign(1, kNikonNoFormat);
    if (type == kNikonImageTypeRaw) {
        uint32_t rawOnly = rawOnlyCodeIsSeven(m) ? 7 : 4;
        list->push_back(rawOnly);
        if (nikonReports(0xD0B6)) {
            list->push_back(rawOnly | 0x1000000);
            list->push_back(rawOnly | 0x2000000);
        }
        return PTP_RC_OK;
    }
    if (type != kNikonImageTypeJpeg) return ERROR_INVALID_INPUT;
    std::vector<uint32_t> qualities;
    if (m == 229) qualities = {0, 2, 4};
    else if (rawOnlyCodeIsSeven(m)) qualities = {0, 1, 2, 3, 4, 5};
    else qualities = {0, 1, 2};
    for (uint32_t q : qualities)
        for (uint32_t s : {0u, 0x10000u, 0x20000u}) list->push_back(q | s);
    return PTP_RC_OK;
}

bool nikonImageFormatIsRawPlusJpeg() {
    uint32_t v = storeQuality();
    if (v == kNikonNoFormat) return false;
    uint8_t m = camModelIndex();
    return nikonQualityIsRaw(m, qualityOf(v)) && nikonQualityHasJpeg(m, qualityOf(v));
}

void nikonRefreshCombinedFormat() {
    uint32_t size = 0, rawSize = 0;
    nikonPropertyValue(0x5003, &size);
    nikonPropertyValue(0xD0B6, &rawSize);
    PropertyStruct* r = propFind(0x5004, true);
    if (!r) return;
    r->value = qualityOf(r->value) | ((size & 0xFF) << 16) | ((rawSize & 0xFF) << 24);
    propCopyText(r->valueText, sizeof r->valueText, nikonImageFormatLabel(r->value));
    propUnlock(r);
}
