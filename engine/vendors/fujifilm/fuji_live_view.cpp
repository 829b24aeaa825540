#include "engine/vendors/fujifilm/fuji_live_view.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/fujifilm/fuji_models.h"
#include "engine/vendors/fujifilm/fuji_operations.h"
#include "engine/vendors/fujifilm/fuji_properties.h"

namespace {
constexpr uint16_t kInitiateOpenCapture = 0x101C;
constexpr uint32_t kManual = 1;
constexpr uint32_t kSingleAf = 0x8001;
constexpr int kTapReleaseRounds = 10;

void pause(std::chrono::milliseconds nominal) { std::this_thread::sleep_for(engineWait(nominal)); }

// One coordinate: an optional "-", then one digit or "1" and a second digit. Advances *p past it.
bool parseCoordinate(const char** p, int* out) {
    const char* s = *p;
    bool negative = *s == '-';
    if (negative) ++s;
    if (*s < '0' || *s > '9') return false;
    int value = *s++ - '0';
    if (value == 1 && *s >= '0' && *s <= '9') value = 10 + (*s++ - '0');
    *out = negative ? -value : value;
    *p = s;
    return true;
}

// Rounds half away from zero.
long roundAway(double v) { return std::lround(v); }
}  // namespace

void camSetLiveViewStopHandler(FujiLiveViewStopHandler handler) { fujiState().liveViewStop = handler; }

ResponseCode fujiSetLiveView(bool on) {
    ResponseCode rc;
    if (on) {
        rc = ptpTransaction(kInitiateOpenCapture, {0, 0});
    } else {
        FujiLiveViewStopHandler stop = fujiState().liveViewStop.load();
        if (!stop) return ERROR_GENERAL;
        rc = stop();
    }
    if (rc == PTP_RC_OK) {
        fujiState().liveViewOn = on;
        fujiState().liveViewRestart = false;
    }
    return rc;
}

uint32_t fujiLiveViewZoomLevel() {
    uint32_t v = 0;
    if (!fujiPropertyValue(0xD01B, &v)) return 0;
    switch (v) {
        case 2: return 100;
        case 3:
        case 5: return 200;
        default: return 0;
    }
}

ResponseCode fujiSetLiveViewZoom(uint32_t level) {
    uint32_t zoom = 0;
    if (!fujiPropertyValue(0xD01B, &zoom)) return ERROR_GENERAL;
    if (zoom == 1 && level != 1) {
        uint32_t focus = 0;
        fujiPropertyValue(0x500A, &focus);
        fujiState().rememberedFocusMode = focus;
        if (focus != kManual) {
            ResponseCode rc = propSet(0x500A, kManual, true);
            if (rc != PTP_RC_OK) return rc;
        }
    }
    uint8_t model = camModelIndex();
    bool largeStep = model == 20 || model == 21 || model == 23 || model == 33 || model == 34 || model == 35 ||
                     model == 37;
    uint32_t value = level == 100 ? 2 : level == 200 ? (largeStep ? 5 : 3) : 1;
    return propSet(0xD01B, value, true);
}

ResponseCode fujiLiveViewTap() {
    if (fujiIsTapFocusModel(camModelIndex())) {
        uint32_t focus = 0;
        if (fujiPropertyValue(0x500A, &focus) && focus == kManual) {
            ResponseCode rc = propSet(0x500A, kSingleAf, true);
            if (rc != PTP_RC_OK) return rc;
        }
        ResponseCode rc = fujiHalfPress();
        if (rc != PTP_RC_OK) return rc;
        pause(engine_timing::kFujiTapSettle);
        rc = fujiHalfPressRelease();
        if (rc != PTP_RC_OK) return rc;
        pause(engine_timing::kFujiTapSettle);
        return propSet(0x500A, kManual, true);
    }
    uint32_t focus = 0;
    if (!fujiPropertyValue(0x500A, &focus)) return ERROR_BAD_PACKET;
    fujiState().rememberedFocusMode = focus;
    if (focus == kManual) return propSet(0x500A, kSingleAf, true);
    return PTP_RC_OK;
}

ResponseCode fujiLiveViewTapRelease() {
    if (fujiIsTapFocusModel(camModelIndex())) return PTP_RC_OK;
    uint32_t focus = 0;
    if (!fujiPropertyValue(0x500A, &focus)) return ERROR_BAD_PACKET;
    uint32_t remembered = fujiState().rememberedFocusMode;
    if (focus == remembered) return PTP_RC_OK;
    ResponseCode rc = propSet(0x500A, remembered, true);
    for (int round = 0; rc == PTP_RC_DEVICE_BUSY && round < kTapReleaseRounds; ++round) {
        pause(engine_timing::kFujiLiveViewRetry);
        rc = propSet(0x500A, remembered, true);
    }
    return rc;
}

bool fujiParseFocusArea(const char* text, FujiFocusArea* area) {
    if (!text || !area) return false;
    FujiFocusArea a;
    const char* p = text;
    if (!parseCoordinate(&p, &a.x) || *p++ != ',') return false;
    if (!parseCoordinate(&p, &a.y) || *p++ != ',') return false;
    if (*p < '0' || *p > '9') return false;
    a.size = *p++ - '0';
    if (*p != 0) return false;
    *area = a;
    return true;
}

std::string fujiFormatFocusArea(const FujiFocusArea& area) {
    auto coordinate = [](int v) {
        v = std::clamp(v, -kFujiFocusAreaLimit, kFujiFocusAreaLimit);
        return std::to_string(v);  // "-", then one digit or "1" and the last digit
    };
    return coordinate(area.x) + "," + coordinate(area.y) + "," + std::to_string(std::clamp(area.size, 0, 9));
}

ResponseCode fujiReadFocusArea(FujiFocusArea* area) {
    if (!area) return ERROR_INVALID_INPUT;
    HeapBlock data;
    ResponseCode rc = fujiGetPropValue(0xD395, &data);
    if (rc != PTP_RC_OK) return rc;
    if (data.size() <= 1) return ERROR_GENERAL;
    char text[16];
    if (ptpReadString(data.data(), data.size(), text, sizeof text) == 0) return ERROR_PARSE;
    return fujiParseFocusArea(text, area) ? ResponseCode{PTP_RC_OK} : ResponseCode{ERROR_PARSE};
}

ResponseCode fujiSetFocusArea(int y, int x, int size) {
    uint8_t model = camModelIndex();
    uint32_t previous = 0;
    if (model != 19 && model != 24) {
        bool found = fujiPropertyValue(0x500A, &previous);
        if (!found || previous != kManual) {
            ResponseCode rc = propSet(0x500A, kManual, true);
            if (rc != PTP_RC_OK) return rc;
        }
    }
    FujiFocusArea area{x, y, size};
    std::vector<uint8_t> data = fujiPtpString(fujiFormatFocusArea(area));
    uint32_t code = 0xD395;
    PtpRequest request;
    request.params = &code;
    request.paramCount = 1;
    request.dataOut = data.data();
    request.dataOutLength = static_cast<uint32_t>(data.size());
    ResponseCode rc = ptpTransaction(0x1016, request);
    if (rc == PTP_RC_OK && previous > kManual) return propSet(0x500A, previous, true);
    return rc;
}

ResponseCode fujiNudgeFocusArea(int direction) {
    FujiFocusArea area;
    ResponseCode rc = fujiReadFocusArea(&area);
    if (rc != PTP_RC_OK) return rc;
    switch (direction) {
        case 0: ++area.y; break;
        case 1: --area.y; break;
        case 2: --area.x; break;
        case 3: ++area.x; break;
        default: return ERROR_INVALID_INPUT;
    }
    // The camera takes -19 to 19: a nudge past the edge stays at the edge.
    area.x = std::clamp(area.x, -kFujiFocusAreaLimit, kFujiFocusAreaLimit);
    area.y = std::clamp(area.y, -kFujiFocusAreaLimit, kFujiFocusAreaLimit);
    return fujiSetFocusArea(area.y, area.x, area.size);
}

bool fujiFocusAreaForPoint(double px, double py, uint32_t points, int* x, int* y) {
    static const int kColumns[] = {12, 24, 12, 24}, kRows[] = {6, 12, 8, 16};
    if (points < 1 || points > 4 || !x || !y) return false;
    int c = kColumns[points - 1], r = kRows[points - 1];
    double h = std::min(px, 0.92), v = std::min(1.0 - py, 0.833);
    long column = h < 0.08 ? 0 : roundAway((h - 0.08) * 100.0 / (84.0 / c));
    long row = v < 0.167 ? 0 : roundAway((v - 0.167) * 100.0 / (66.6 / r));
    *x = static_cast<int>(std::min<long>(c, column)) - c / 2;
    *y = static_cast<int>(std::min<long>(r, row)) - r / 2;
    return true;
}

ResponseCode fujiSetFocusAreaAt(double px, double py) {
    camGetPropertyNow(0xD025);
    uint32_t points = 0, areaMode = 0;
    if (!fujiPropertyValue(0xD025, &points) || !fujiPropertyValue(0x501C, &areaMode) || !propExists(0x5003))
        return ERROR_BAD_PACKET;
    if (areaMode == 0x8003) return 0x201C;  // Wide/Tracking picks its own area
    int x = 0, y = 0;
    if (!fujiFocusAreaForPoint(px, py, points, &x, &y)) return ERROR_BAD_PACKET;
    FujiFocusArea current;
    ResponseCode rc = fujiReadFocusArea(&current);
    if (rc != PTP_RC_OK) return rc;
    return fujiSetFocusArea(y, x, current.size);
}

ResponseCode fujiAfOverlayRect(double* x, double* y, double* width, double* height) {
    double* outs[] = {x, y, width, height};
    bool all = true;
    for (uint32_t i = 0; i < 4; ++i) {
        uint32_t v = 0;
        if (!fujiPropertyValue(0xEEE0 + i, &v)) {
            all = false;
            continue;
        }
        if (outs[i]) *outs[i] = static_cast<double>(static_cast<int32_t>(v)) / 1000.0;
    }
    return all ? ResponseCode{PTP_RC_OK} : ResponseCode{ERROR_GENERAL};
}
