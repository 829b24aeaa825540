#include "engine/automation/automation_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/session_open.h"
#include "engine/vendors/vendor_module.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_property_table.h"
#include "engine/vendors/sony/sony_operations.h"

namespace {
// The current value of a record, read under its mutex; none when the camera has no such property.
std::optional<uint32_t> currentValue(uint32_t code) {
    PropertyStruct* record = propFind(code, true);
    if (!record) return std::nullopt;
    uint32_t value = record->value;
    propUnlock(record);
    return value;
}

bool valueIs(uint32_t code, uint32_t expected) {
    std::optional<uint32_t> v = currentValue(code);
    return v && *v == expected;
}

// The current vendor's module answers a yes/no check; no vendor or no module answers false.
bool currentModuleAnswers(bool (VendorModule::*check)()) {
    VendorModule* module = vendorCurrent();
    return module && (module->*check)();
}

uint32_t roleOr(uint32_t role, uint32_t fallback) { return role ? role : fallback; }

uint32_t apertureCode() { return roleOr(camVendorPropertyCodes().aperture, camIsCanon() ? 0xD101 : 0x5007); }
uint32_t exposureModeCode() { return roleOr(camVendorPropertyCodes().exposureMode, camIsCanon() ? 0xD105 : 0x500E); }

// The allowed-value list of a record (an enumeration, not a range), copied under its mutex.
struct ValueList {
    std::vector<uint32_t> values;
    std::vector<std::string> names;
    int indexOf(uint32_t v) const {
        auto it = std::find(values.begin(), values.end(), v);
        return it == values.end() ? -1 : static_cast<int>(it - values.begin());
    }
};
std::optional<ValueList> allowedValueList(uint32_t code) {
    PropertyStruct* record = propFind(code, true);
    if (!record) return std::nullopt;
    std::optional<ValueList> out;
    // A range short enough to be listed counts as its list: brackets step through its values like an enumeration's.
    if (record->valueCount > 0 && record->values) {
        out.emplace();
        for (uint16_t i = 0; i < record->valueCount; ++i) {
            out->values.push_back(record->values[i].value);
            out->names.emplace_back(record->values[i].name, strnlen(record->values[i].name, sizeof record->values[i].name));
        }
    }
    propUnlock(record);
    return out;
}
}  // namespace

bool camIsManualExposure(uint32_t mode) {
    switch (camVendor()) {
        case VENDOR_FUJI:
        case VENDOR_SONY: return mode == 1;
        case VENDOR_CANON: return mode == 3;
        case VENDOR_NIKON: return mode == 1 || (mode >= 0x8050 && mode <= 0x8052 && valueIs(0xD0FC, 22));
        default: return false;
    }
}

float focusParseAperture() {
    const uint32_t code = apertureCode();
    PropertyStruct* record = propFind(code, true);
    if (!record) return 0;
    const uint32_t value = record->value;
    char text[sizeof record->valueText + 1] = {};
    std::copy(record->valueText, record->valueText + sizeof record->valueText, text);
    propUnlock(record);
    if (value == 0 || value == 0xFFFF) return 0;
    switch (camVendor()) {
        case VENDOR_FUJI:
        case VENDOR_SONY:
        case VENDOR_NIKON: return static_cast<float>(value) / 100.0f;
        case VENDOR_CANON: {
            float f = 0;
            return std::sscanf(text, "f%f", &f) == 1 && std::isfinite(f) ? f : 0;
        }
        default: return 0;
    }
}

uint32_t camBatteryLevel(uint32_t raw) {
    switch (camVendor()) {
        case VENDOR_FUJI: {
            static const uint8_t table[15] = {100, 0, 0, 10, 50, 100, 100, 0, 10, 20, 40, 60, 80, 100, 100};
            const uint8_t index = static_cast<uint8_t>(std::max(raw & 0xFF, raw >> 24) + 1);
            return index < 15 ? table[index] : 0;
        }
        case VENDOR_CANON: {
            static const uint8_t table[6] = {0, 50, 100, 0, 75, 25};
            return raw < 6 ? table[raw] : 0;
        }
        case VENDOR_SONY:
        case VENDOR_NIKON: return raw & 0xFF;
        default: return 0;
    }
}

bool camIsBulbMode() {
    switch (camVendor()) {
        case VENDOR_CANON: {
            std::optional<uint32_t> mode = currentValue(exposureModeCode());
            if (!mode) return false;
            return *mode == 4 || (*mode == 3 && (valueIs(0xD102, 4) || valueIs(0xD102, 12)));
        }
        // Fujifilm's Bulb is a 32-bit shutter value and Sony's a settable zero: each module knows its own.
        case VENDOR_FUJI:
        case VENDOR_SONY: return currentModuleAnswers(&VendorModule::isBulb);
        case VENDOR_NIKON: return valueIs(0xD100, 0xFFFFFFFF);
        default: return false;
    }
}

bool sonyIsBracketDrive() { return camIsSony() && camHasProperty0x5013(); }

bool camBulbAvailable() {
    switch (camVendor()) {
        case VENDOR_FUJI: return camModelIndex() != 16;
        case VENDOR_CANON: return true;
        default: return currentModuleAnswers(&VendorModule::bulbAvailable);  // Sony and Nikon
    }
}

bool camLiveViewSelectorIsMovie() {
    if (camIsNikon()) return valueIs(0xD1A6, 1);
    if (camIsCanon()) return valueIs(0xD1B1, 2);
    return false;
}

bool camIsAutoIso() {
    switch (camVendor()) {
        case VENDOR_FUJI: {
            std::optional<uint32_t> iso = currentValue(0x500F);
            return iso && static_cast<int32_t>(*iso) < 0;
        }
        case VENDOR_CANON: return valueIs(0xD103, 0);
        case VENDOR_SONY: return valueIs(0xD21E, 0xFFFFFF);
        default: return currentModuleAnswers(&VendorModule::isAutoIso);  // Nikon: its auto-ISO record
    }
}

bool camHostModeAvailable() {
    switch (camVendor()) {
        case VENDOR_FUJI: return camModelIndex() != 16;
        case VENDOR_CANON: return camModelIndex() != 232;
        case VENDOR_NIKON: return true;
        default: return currentModuleAnswers(&VendorModule::hostModeAvailable);  // Sony
    }
}

bool camMirrorUp() {
    if (camIsCanon()) return valueIs(0xD1BF, 2);
    return currentModuleAnswers(&VendorModule::mirrorUp);  // Nikon: its kept mirror-up flag
}

bool camStatusFeatureAvailable() {
    if (camIsSony()) return true;
    if (camIsFuji()) {
        const uint8_t m = camModelIndex();
        return m == 24 || m == 25 || m == 35 || m == 36;
    }
    return false;
}

ResponseCode camDriveModeSingle() {
    switch (camVendor()) {
        case VENDOR_CANON: return propSet(0xD106, 0, true);
        case VENDOR_SONY: return propSet(0x5013, 1, true);
        case VENDOR_NIKON: return propSet(0x5018, 1, true);
        default: return ERROR_CAMERA_NOT_SUPPORTED;
    }
}

bool camFocusUpdated() {
    if (!camIsCanon()) return currentModuleAnswers(&VendorModule::focusUpdated);
    const uint32_t focusMode = roleOr(camVendorPropertyCodes().focusMode, 0xD108);
    std::optional<uint32_t> mode = currentValue(focusMode);
    return !(mode && *mode == 3) && ptpOperationSupported(0x9128);
}

bool camStillCaptureMode(uint32_t driveCode, uint32_t value) {
    VendorModule* module = vendorCurrent();
    return module && module->stillCaptureMode(driveCode, value);
}

bool hdrPrepareCapture() { return currentModuleAnswers(&VendorModule::hdrPrepareCapture); }

ResponseCode camToggleFlash(bool on) {
    // Only Nikon bodies have the switch; every other module answers 0xFF1B.
    VendorModule* module = vendorCurrent();
    if (!module) return PTP_ERROR_UNSUPPORTED_COMMAND;
    return module->toggleFlash(on);
}

uint32_t camShutterTimeMs(uint32_t v) {
    switch (camVendor()) {
        case VENDOR_NIKON:
        case VENDOR_SONY: {
            const uint32_t numerator = v >> 16, denominator = v & 0xFFFF;
            // A zero denominator is no exposure time either (never a division by zero).
            if (numerator == 0 || numerator == 0xFFFF || denominator == 0) return 0;
            return static_cast<uint32_t>(uint64_t(numerator) * 1000 / denominator);
        }
        case VENDOR_CANON: return canonShutterMilliseconds(v);
        default: return 0;
    }
}

int hdrNumShots(double range, int mode, double step) {
    if (mode == 2) return 100;
    const double s1 = std::min(1.0, step), s2 = std::min(1.0, step - 1), s3 = step - 2;
    int passes = 0;
    for (int k = 0; k < 100; ++k) {
        range -= std::trunc(std::trunc(range * 0.5) * s1);
        if (step - 1 > 0.01) range -= std::trunc(std::trunc(range * 0.5) * s2);
        if (step - 2 > 0.01) range -= std::trunc(std::trunc(range * 0.5) * s3);
        if (range < 100) break;
        ++passes;
    }
    return mode != 0 ? passes + 1 : 2 * passes + 1;
}

std::vector<uint32_t> hdrEndPoints(uint32_t base, uint32_t count, double step) {
    std::vector<uint32_t> out;
    out.reserve(count);
    const double middle = (static_cast<double>(count) - 1) / 2;
    for (uint32_t i = 0; i < count; ++i) {
        double v = static_cast<double>(base) * std::pow(2.0, (i - middle) * step);
        v = v >= 0 ? std::floor(v + 0.49999997) : std::ceil(v - 0.49999997);
        // Out-of-range exposures saturate rather than wrap into a short one.
        if (!(v >= 0)) v = 0;
        out.push_back(v >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(v));
    }
    return out;
}

int hdrStepSize(uint32_t property) {
    uint32_t a = 0, b = 0;
    if (camIsNikon()) {
        if (property == 0x5007) a = 560, b = 800;
        else if (property == 0x500F) a = 400, b = 800;
        else if (property == 0xD100) a = 0x10001, b = 0x20001;
    } else if (camIsCanon()) {
        if (property == 0xD101) a = 0x30, b = 0x38;
        else if (property == 0xD102) a = 0x5D, b = 0x65;
        else if (property == 0xD103) a = 0x58, b = 0x60;
    }
    if (a == 0) return 3;
    std::optional<ValueList> list = allowedValueList(property);
    if (!list) return 3;
    const int ia = list->indexOf(a), ib = list->indexOf(b);
    // A list that does not run forward from one reference to the other gives no usable step either.
    if (ia < 0 || ib <= ia) return 3;
    return ib - ia;
}

int hdrStepCount(uint32_t property, uint32_t value, uint32_t step, int mode) {
    std::optional<ValueList> list = allowedValueList(property);
    if (!list || step == 0) return 0;
    const int e = list->indexOf(value);
    if (e < 0) return 0;
    const int64_t c = static_cast<int64_t>(list->values.size());
    const int64_t towardStart = e / step;
    const int64_t towardEnd = (c - 1 - e) / step;
    bool direction1TowardStart;
    if (camIsCanon()) direction1TowardStart = property == 0xD101 || property == 0xD102;
    else if (camIsSony()) direction1TowardStart = property == 0xD20D;
    else direction1TowardStart = property == 0x5007;
    const int64_t f1 = direction1TowardStart ? towardStart : towardEnd;
    const int64_t f2 = direction1TowardStart ? towardEnd : towardStart;
    switch (mode) {
        case 0: return static_cast<int>(2 * std::min(f1, f2) + 1);
        case 1: return static_cast<int>(f2 + 1);
        case 2: return static_cast<int>(f1 + 1);
        default: return 1;
    }
}

std::optional<std::string> hdrCalculateEndPoints(uint32_t property, uint32_t value, uint32_t step, uint32_t shots,
                                                 int startPoint, int end) {
    if (startPoint == end) return propFormatValue(property, value);
    std::optional<ValueList> list = allowedValueList(property);
    if (!list) return std::nullopt;
    const int index = list->indexOf(value);
    if (index < 0) return std::nullopt;
    int h = 1;
    switch (camVendor()) {
        case VENDOR_FUJI: h = property == 0x5007 ? 1 : -1; break;
        case VENDOR_CANON: h = property == 0xD103 ? -1 : 1; break;
        case VENDOR_SONY: h = property == 0xD21E ? -1 : 1; break;
        case VENDOR_NIKON: h = (property == 0x500F || property == 0xD0B4 || property == 0xD100) ? -1 : 1; break;
        default: break;
    }
    if (end == 1) h = -h;
    const int64_t n = (startPoint != 0 || shots == 1) ? int64_t(shots) : int64_t(shots - 1) / 2 + 1;
    const int64_t size = static_cast<int64_t>(list->values.size());
    // A step or a count larger than the list always leaves it; stopping here keeps the product in range.
    if ((n - 1 > size && step > 0) || (int64_t(step) > size && n - 1 > 0)) return std::nullopt;
    const int64_t target = index + int64_t(step) * h * (n - 1);
    if (target < 0 || target >= size) return std::nullopt;
    return list->names[static_cast<size_t>(target)];
}

size_t jpegEndOffset(const uint8_t* bytes, size_t length) {
    if (!bytes || length < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return 0;
    size_t i = 2;
    while (i + 1 < length) {
        if (bytes[i] != 0xFF) {
            i += 2;
            continue;
        }
        const uint8_t marker = bytes[i + 1];
        if (marker == 0xD9) return i + 2;
        if (marker != 0xDA) {
            if (i + 3 >= length) return 0;
            const size_t segment = (size_t(bytes[i + 2]) << 8) | bytes[i + 3];
            if (segment < 2) return 0;  // a length that cannot hold itself would never advance
            i += 2 + segment;
            continue;
        }
        // Entropy-coded data: the end that matches this scan, counting scans nested inside it.
        int depth = 1;
        for (size_t j = i + 2; j + 1 < length; ++j) {
            if (bytes[j] != 0xFF) continue;
            if (bytes[j + 1] == 0xDA) ++depth;
            else if (bytes[j + 1] == 0xD9 && --depth == 0) return j + 2;
        }
        return 0;
    }
    return 0;
}
