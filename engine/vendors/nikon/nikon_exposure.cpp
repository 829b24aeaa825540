#include "engine/vendors/nikon/nikon_exposure.h"

#include <cmath>
#include <cstdlib>

#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_state.h"

namespace {

// The models whose bracket steps run 1/3, 0, 2/3, 1, 2, 3.
bool wholeStepModel(uint8_t m) {
    return nikonModelIn(m, {197, 200, 205, 224, 225, 240}) || nikonModelInRange(m, 209, 212) ||
           nikonModelInRange(m, 214, 217) || nikonModelInRange(m, 219, 222);
}
// The models whose bracket steps go up to 3 stops when set from a float.
bool threeStopModel(uint8_t m) {
    return nikonModelIn(m, {197, 200, 224, 225, 231, 240}) || nikonModelInRange(m, 210, 212) ||
           nikonModelInRange(m, 214, 217) || nikonModelInRange(m, 219, 222);
}

// The extreme allowed value of a property as signed 16-bit thousandths, in stops.
float extremeAllowed(uint32_t code, bool largest) {
    PropertyStruct* r = propFind(code, true);
    if (!r) return 0.0f;
    bool any = false;
    int best = 0;
    for (uint16_t i = 0; i < r->valueCount && r->values; ++i) {
        int v = static_cast<int16_t>(r->values[i].value & 0xFFFF);
        if (!any || (largest ? v > best : v < best)) best = v;
        any = true;
    }
    if (!any && r->form == kPropFormRange) {
        any = true;
        best = static_cast<int>(largest ? r->rangeMax : r->rangeMin);
    }
    propUnlock(r);
    return any ? static_cast<float>(best) / 1000.0f : 0.0f;
}

int64_t valueOr(uint32_t code, int64_t none) {
    uint32_t v = 0;
    return nikonPropertyValue(code, &v) ? static_cast<int64_t>(v) : none;
}

}  // namespace

float nikonEvCodeToFloat(uint32_t code) { return static_cast<float>(static_cast<int16_t>(code & 0xFFFF)) / 1000.0f; }

uint32_t nikonEvFloatToCode(float stops) {
    if (std::fabs(stops) < 0.1f) return 0;
    long r = std::lround(static_cast<double>(stops) * 1000.0);  // half away from zero
    long sign = r < 0 ? -1 : 1;
    long digit = std::labs(r) % 10;
    if (digit == 1 || digit == 4 || digit == 7) r -= sign;
    else if (digit == 2 || digit == 5 || digit == 9) r += sign;
    return static_cast<uint32_t>(static_cast<int32_t>(r));
}

float nikonExposureCompMax(bool movie) { return extremeAllowed(movie ? 0xD1AB : 0x5010, true); }
float nikonExposureCompMin(bool movie) { return extremeAllowed(movie ? 0xD1AB : 0x5010, false); }

ResponseCode nikonDisableBracketing() { return propSet(0xD0C0, 0, true); }

ResponseCode nikonSetBracketing(uint32_t step) {
    if (step == 0xFFFF) return nikonDisableBracketing();
    ResponseCode rc = propSet(0xD078, 1, true);
    if (rc == PTP_RC_OK) rc = propSet(0xD0C0, 1, true);
    if (rc == PTP_RC_OK && camModelIndex() == 227 && nikonPropertyEnabledFlag(0xD0C1)) rc = propSet(0xD0C2, 4, true);
    if (rc == PTP_RC_OK) rc = propSet(0xD0C1, step, true);
    return rc;
}

float nikonBracketStepToFloatFor(uint8_t m, uint32_t step) {
    if (wholeStepModel(m)) {
        static const float kSteps[] = {1.0f / 3, 0.0f, 2.0f / 3, 1.0f, 2.0f, 3.0f};
        return step < 6 ? kSteps[step] : 0.0f;
    }
    if (m == 223 || nikonModelInRange(m, 226, 232)) return static_cast<float>(step) / 6.0f;
    if (m == 233) {
        int64_t v = step;
        if (step & 0xF000) v -= 0xFFFF;
        return static_cast<float>(v) / 1000.0f;
    }
    static const float kSteps[] = {1.0f / 3, 0.5f, 2.0f / 3, 1.0f, 4.0f / 3, 1.5f, 5.0f / 3, 2.0f};
    return step < 8 ? kSteps[step] : 0.0f;
}

float nikonBracketStepToFloat(uint32_t step, bool any) {
    if (!any && valueOr(0xD0C0, 0) == 0) return 0.0f;
    return nikonBracketStepToFloatFor(camModelIndex(), step);
}

uint32_t nikonFloatToBracketStepFor(uint8_t m, float x) {
    if (m == 223 || nikonModelInRange(m, 226, 230) || m == 232 || m == 233) {
        if (x < 0.01f) return 0xFFFF;
        return static_cast<uint32_t>(std::lround(x * (m == 233 ? 1000.0f : 6.0f)));
    }
    if (x < 0.1f) return 0xFFFF;
    static const float kSteps[] = {1.0f / 3, 0.5f, 2.0f / 3, 1.0f, 4.0f / 3, 1.5f, 5.0f / 3};
    for (uint32_t i = 0; i < 7; ++i)
        if (x < kSteps[i] + 0.1f) return i;
    if (x < 2.1f) return threeStopModel(m) ? 4 : 7;
    if (x < 3.1f) return threeStopModel(m) ? 5 : 0xFFFF;
    return 0xFFFF;
}

uint32_t nikonFloatToBracketStep(float stops) { return nikonFloatToBracketStepFor(camModelIndex(), stops); }

float nikonBracketMax() {
    NikonState& s = nikonState();
    if (s.bracketMaxKnown.load()) return s.bracketMax.load();
    float best = 0.0f;
    PropertyStruct* r = propFind(0xD0C1, true);
    if (r) {
        for (uint16_t i = 0; i < r->valueCount && r->values; ++i) {
            float f = nikonBracketStepToFloatFor(camModelIndex(), r->values[i].value);
            if (f > best) best = f;
        }
    }
    propUnlock(r);
    s.bracketMax.store(best);
    s.bracketMaxKnown.store(true);
    return best;
}

bool nikonExposureCompValuesFor(uint8_t m, int64_t bracketing, int64_t p, uint8_t* below, uint8_t* above) {
    auto set = [&](uint8_t b, uint8_t a) {
        if (below) *below = b;
        if (above) *above = a;
        return true;
    };
    if (nikonModelIn(m, {192, 193, 207, 208, 213})) return set(1, 1);
    if (bracketing < 0) return false;
    if (bracketing == 0) return set(1, 1);
    if (p < 0) return false;
    if (nikonModelIn(m, {194, 197, 203})) {
        static const uint8_t kB[] = {1, 0, 1}, kA[] = {0, 1, 1};
        return p <= 2 ? set(kB[p], kA[p]) : set(0, 0);
    }
    if (nikonModelIn(m, {206, 207, 208, 213, 217, 218, 224})) return set(1, 1);
    if (m == 223) {
        switch (p) {
            case 258: return set(1, 0);
            case 259: return set(2, 0);
            case 514: return set(0, 1);
            case 515: return set(0, 2);
            case 1029: return set(2, 2);
            case 1031: return set(3, 3);
            case 1033: return set(4, 4);
            default: return set(1, 1);
        }
    }
    if (nikonModelInRange(m, 226, 233)) {
        switch (p) {
            case 0: return set(0, 0);
            case 258: return set(0, 1);
            case 259: return set(2, 0);
            case 514: return set(1, 0);
            case 1027: return set(1, 1);
            case 1029: return set(2, 2);
            case 1031: return set(3, 3);
            case 1033: return set(4, 4);
            default: return set(0, 2);
        }
    }
    if (nikonModelInRange(m, 194, 240)) {
        static const uint8_t kB[] = {1, 0, 2, 0, 1, 2, 3, 4}, kA[] = {0, 1, 0, 2, 1, 2, 3, 4};
        return p <= 7 ? set(kB[p], kA[p]) : set(1, 1);
    }
    return set(1, 1);
}

bool nikonExposureCompValues(uint8_t* below, uint8_t* above) {
    return nikonExposureCompValuesFor(camModelIndex(), valueOr(0xD0C0, -1), valueOr(0xD0C2, -1), below, above);
}

int nikonBracketValues(float* out, bool forced, float step) {
    if (!out || !propExists(0xD0C0)) return 0;
    if (valueOr(0xD0C0, 0) == 0 && !forced) return 0;
    uint8_t below = 0, above = 0;
    if (!nikonExposureCompValues(&below, &above)) return 2;
    int n = 0;
    for (int i = 1; i <= below; ++i) out[n++] = -step * static_cast<float>(i);
    for (int i = 1; i <= above; ++i) out[n++] = step * static_cast<float>(i);
    return n;
}

int nikonExposureStepKindFor(uint8_t m, uint32_t step) {
    if (m == 224 || m == 225) return step == 2 ? 1 : step == 1 ? 2 : 3;
    if (m == 223 || nikonModelInRange(m, 226, 233)) return step == 6 ? 1 : step == 3 ? 2 : 3;
    return step == 2 ? 1 : step == 1 ? 2 : 3;
}

int nikonExposureStepKind() { return nikonExposureStepKindFor(camModelIndex(), static_cast<uint32_t>(valueOr(0xD056, 0))); }
