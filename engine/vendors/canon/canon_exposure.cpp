#include "engine/vendors/canon/canon_exposure.h"

#include <atomic>
#include <cmath>
#include <cstring>

#include "engine/ptp/property_store.h"

namespace {
constexpr uint32_t kExposureComp = 0xD104;
constexpr uint32_t kBracketing = 0xD1D9;
constexpr uint32_t kShutter = 0xD102;
constexpr double kUnknown = 4294967296.0;

std::atomic<double>& bracketMaxCache() {
    static std::atomic<double> v{kUnknown};
    return v;
}

// True when the record of the code lists the value; *listed tells whether it has any allowed values.
bool listsValue(uint32_t code, uint32_t value, bool* listed) {
    *listed = false;
    PropertyStruct* r = propFind(code, true);
    if (!r) return false;
    bool found = false;
    *listed = r->valueCount > 0 && r->values;
    for (uint16_t i = 0; *listed && i < r->valueCount; ++i) found = found || r->values[i].value == value;
    propUnlock(r);
    return found;
}

// The whole stops of 0xD104's allowed values on one side ('+' or '-'): the largest digit; 0 when none.
float wholeStopLimit(char sign) {
    PropertyStruct* r = propFind(kExposureComp, true);
    if (!r) return 0.0f;
    int best = 0;
    for (uint16_t i = 0; r->values && i < r->valueCount; ++i) {
        const char* name = r->values[i].name;
        size_t n = strnlen(name, sizeof r->values[i].name);
        if (n < 1 || n > 3 || name[0] != sign) continue;
        for (size_t k = 1; k < n; ++k)
            if (name[k] >= '0' && name[k] <= '9' && name[k] - '0' > best) best = name[k] - '0';
    }
    propUnlock(r);
    return sign == '+' ? static_cast<float>(best) : -static_cast<float>(best);
}
}  // namespace

float canonEvCodeToFloat(uint32_t code) {
    code &= 0xFF;
    bool negative = code >= 161;
    uint32_t b = negative ? (256 - code) % 256 : code;
    uint32_t w = b / 8, f = b % 8;
    double stops;
    switch (f) {
        case 4: stops = w + 0.5; break;
        case 3: stops = (3.0 * w + 1) / 3.0; break;
        case 5: stops = (3.0 * w + 2) / 3.0; break;
        default: stops = (3.0 * w + f) / 3.0; break;
    }
    return static_cast<float>(negative ? -stops : stops);
}

uint32_t canonEvFloatToCode(float stops) {
    double a = std::fabs(static_cast<double>(stops));
    if (a < 0.1) return 0;
    // Every fraction goes to a step: a third (3), a half (4), two thirds (5) or a whole stop, the nearest one from
    // two thirds on (0.8 is two thirds, 0.84 the next whole stop), never down to the whole stop below.
    const double whole = std::trunc(a);
    const double frac = a - whole;
    uint32_t code = 8 * static_cast<uint32_t>(whole);
    if (frac > 0.1 && frac < 0.43333) code += 3;
    else if (frac >= 0.43333 && frac < 0.6) code += 4;
    else if (frac >= 0.6 && frac < 0.83333) code += 5;
    else if (frac >= 0.83333) code += 8;
    return stops < 0 ? (256 - code) & 0xFF : code;
}

float canonExposureCompMax() { return wholeStopLimit('+'); }
float canonExposureCompMin() { return wholeStopLimit('-'); }

int canonExposureStepKind() {
    if (!propExists(kExposureComp)) return 3;
    bool listed;
    if (listsValue(kExposureComp, 4, &listed)) return 2;
    if (listed) return 3;
    if (listsValue(kBracketing, 4, &listed)) return 2;
    if (listed) return 3;
    return listsValue(kShutter, 0x64, &listed) ? 2 : 3;
}

float canonBracketMax() {
    double cached = bracketMaxCache().load();
    if (cached != kUnknown) return static_cast<float>(cached);
    double best = 0;
    if (PropertyStruct* r = propFind(kBracketing, true)) {
        uint32_t largest = 0;
        for (uint16_t i = 0; r->values && i < r->valueCount; ++i)
            if (r->values[i].value > largest) largest = r->values[i].value;
        propUnlock(r);
        best = largest / 8.0;
    }
    bracketMaxCache().store(best);
    return static_cast<float>(best);
}

void canonForgetBracketMax() { bracketMaxCache().store(kUnknown); }

int canonBracketValues(float* out, float x) {
    if (!out) return 0;
    out[0] = x;
    out[1] = -x;
    return 2;
}

bool canonHdrReferenceCodes(uint32_t code, uint32_t* a, uint32_t* b) {
    uint32_t first, second;
    switch (code) {
        case 0xD101: first = 0x30, second = 0x38; break;
        case 0xD102: first = 0x5D, second = 0x65; break;
        case 0xD103: first = 0x58, second = 0x60; break;
        default: return false;
    }
    if (a) *a = first;
    if (b) *b = second;
    return true;
}

bool canonIsContinuousDrive(uint32_t value) {
    switch (value) {
        case 1: case 4: case 5: case 20: case 21: case 22: return true;
        default: return false;
    }
}
