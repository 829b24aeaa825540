#include "engine/vendors/canon/canon_live_view.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <thread>

#include "engine/link/byte_order.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/canon/canon_bitmap.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/canon/canon_state.h"

namespace {
constexpr uint32_t kEvfOutput = 0xD1B0;
constexpr uint32_t kEvfMode = 0xD1B1;
constexpr uint32_t kD1C9 = 0xD1C9;
constexpr uint32_t kMovieExposureMode = 20;
constexpr uint16_t kOpLiveViewSetup = 0x913E;
constexpr uint16_t kOpZoom = 0x9158;
constexpr uint16_t kOpZoomPosition = 0x9159;
constexpr uint32_t kFrameRequest = 0x100000;
constexpr size_t kJpegStartWindow = 256;

struct HeaderKeeper {
    std::mutex mutex;  // leaf
    bool have = false;
    EOS_LiveViewInfoStruct header{};
};

HeaderKeeper& keeper() {
    static HeaderKeeper k;
    return k;
}

void keepHeader(const EOS_LiveViewInfoStruct& h) {
    std::lock_guard<std::mutex> g(keeper().mutex);
    keeper().header = h;
    keeper().have = true;
}

// The offset of FF D8 FF C4 / FF D8 FF DB within the first 256 bytes, or -1.
long findJpegStart(const uint8_t* p, size_t length) {
    size_t window = std::min(length, kJpegStartWindow);
    for (size_t i = 0; i + 4 <= window; ++i)
        if (p[i] == 0xFF && p[i + 1] == 0xD8 && p[i + 2] == 0xFF && (p[i + 3] == 0xC4 || p[i + 3] == 0xDB))
            return static_cast<long>(i);
    return -1;
}

// The offset of the last FF D9 after `from` that does not follow FF FF, or -1.
long findJpegEnd(const uint8_t* p, size_t length, size_t from) {
    if (length < 2) return -1;
    for (size_t e = length - 2;; --e) {
        if (e <= from) return -1;
        if (p[e] == 0xFF && p[e + 1] == 0xD9 && !(e >= 2 && p[e - 2] == 0xFF && p[e - 1] == 0xFF))
            return static_cast<long>(e);
    }
}

// The records after the JPEG: u32 length, u32 type, data from +8. The walk ends at a length of 0 or one that would
// run past the reply.
void readRecords(const uint8_t* p, size_t length, EOS_LiveViewInfoStruct* h) {
    size_t at = 0;
    while (length - at >= 8) {
        const uint8_t* r = p + at;
        const uint32_t len = readLe32(r);
        if (len < 8 || len > length - at) break;
        switch (readLe32(r + 4)) {
            case 4:
                if (len >= 12) h->zoom = readLe32(r + 8);
                break;
            case 5:
                if (len >= 16) h->zoomX = readLe32(r + 8), h->zoomY = readLe32(r + 12);
                break;
            case 10:
                if (len >= 16) {
                    h->record10[0] = static_cast<int32_t>(readLe32(r + 8));
                    h->record10[1] = static_cast<int32_t>(readLe32(r + 12));
                }
                break;
            case 14:
                if (len >= 16) h->frameWidth = readLe32(r + 8), h->frameHeight = readLe32(r + 12);
                break;
            case 13:
                if (len >= 24) h->record13[0] = readLe32(r + 16), h->record13[1] = readLe32(r + 20);
                break;
            case 18:
                if (len >= 24) h->record18[0] = readLe32(r + 16), h->record18[1] = readLe32(r + 20);
                break;
            case 15:
                if (len >= 24)
                    for (int i = 0; i < 4; ++i) h->record15[i] = static_cast<int32_t>(readLe32(r + 8 + 4 * i));
                break;
            case 16:
                if (len >= 24) {
                    h->orientationState = readLe32(r + 12);
                    h->levelRoll = static_cast<float>(readLe32(r + 16) / 100.0);
                    double pitch = readLe32(r + 20) / 100.0;
                    h->levelPitch = static_cast<float>(pitch >= 180.0 ? pitch - 360.0 : pitch);
                }
                break;
            case 8:
                if (len >= 12) {
                    uint64_t n = std::min<uint64_t>({readLe32(r + 8), kCanonLiveViewMaxAfFrames, (len - 12) / 24});
                    for (uint32_t i = 0; i < n; ++i) {
                        const uint8_t* e = r + 12 + 24 * static_cast<size_t>(i);
                        static const size_t kFields[5] = {0, 8, 12, 16, 20};
                        for (int f = 0; f < 5; ++f) h->afFrame[f][i] = readLe32(e + kFields[f]);
                    }
                    h->afFrameCount = static_cast<uint32_t>(n);
                }
                break;
            default: break;  // 17 and every other type
        }
        at += len;
    }
}

void fillDefaults(EOS_LiveViewInfoStruct* h) {
    if (h->frameWidth == 0) {
        CanonModelFacts facts = canonModelFacts();
        h->frameWidth = static_cast<uint32_t>(facts.sensorWidth);
        h->frameHeight = static_cast<uint32_t>(facts.sensorHeight);
    }
    if (h->zoom == 0) h->zoom = 1;
    if (h->record18[0] == 0) h->record18[0] = h->frameWidth / h->zoom, h->record18[1] = h->frameHeight / h->zoom;
    if (h->record13[0] == 0) h->record13[0] = h->frameWidth / h->zoom, h->record13[1] = h->frameHeight / h->zoom;
}

// A new frame buffer: the header, the image length, the image and 4 spare bytes.
bool newFrame(const EOS_LiveViewInfoStruct& header, size_t imageLength, HeapBlock* frame, uint8_t** image) {
    if (imageLength > 0xFFFFFFFFu) return false;
    HeapBlock f = HeapBlock::allocate(sizeof(EOS_LiveViewInfoStruct) + imageLength);
    if (!f) return false;
    std::memcpy(f.data(), &header, kCanonLiveViewHeaderSize);
    writeLe32(f.data() + offsetof(EOS_LiveViewInfoStruct, imageLength), static_cast<uint32_t>(imageLength));
    std::memset(f.data() + kCanonLiveViewHeaderSize + imageLength, 0, 4);
    *image = f.data() + kCanonLiveViewHeaderSize;
    *frame = std::move(f);
    return true;
}

ResponseCode setEvfOutput(bool on, bool switchEvfMode) {
    const CanonModelFacts facts = canonModelFacts();
    CanonState& s = canonState();
    uint32_t value;
    if (facts.newRaw) {
        value = on ? 3 : 1;
    } else {
        uint32_t current = 0;
        if (canonPropertyValue(kD1C9, &current) && current == 1) propSet(kD1C9, 0, false);
        if (on && switchEvfMode && propExists(kEvfMode)) propSet(kEvfMode, 1, false);
        uint32_t mode = 0;
        if (canonExposureModeValue(&mode)) {
            if (on) s.lastExposureMode.store(static_cast<int32_t>(mode));
        } else {
            s.lastExposureMode.store(-1);
        }
        bool movie = s.lastExposureMode.load() == static_cast<int32_t>(kMovieExposureMode);
        value = movie ? (on ? 3 : 1) : (on ? 2 : 0);
    }
    return propSet(kEvfOutput, value, (value & 1) != 0);
}
}  // namespace

ResponseCode canonSetLiveView(bool on, bool switchEvfMode) {
    CanonState& s = canonState();
    ResponseCode rc = PTP_ERROR_PROP_NOT_CONFIRMED;
    for (int attempt = 0; attempt < kCanonLiveViewSwitchAttempts; ++attempt) {
        rc = setEvfOutput(on, switchEvfMode);
        if (rc != PTP_ERROR_PROP_NOT_CONFIRMED || !s.cameraBusy.load()) break;
        std::this_thread::sleep_for(engineWait(engine_timing::kCanonLiveViewBusyRetry));
    }
    if (rc != PTP_RC_OK) return rc;
    s.liveViewOn.store(on);
    camSetKeptZoom(0);
    if (on && canonListed(kOpLiveViewSetup)) ptpTransaction(kOpLiveViewSetup, {0});
    if (!canonLiveViewAfSupported()) camQueuePropertyChanged(0xD108);
    return PTP_RC_OK;
}

bool canonLiveViewIsOn() { return canonState().liveViewOn.load(); }

bool canonSplitLiveViewFrame(const uint8_t* reply, size_t length, HeapBlock* frame) {
    if (!reply || !frame || length < kCanonLiveViewMinimumReply) return false;
    EOS_LiveViewInfoStruct header;
    std::memset(&header, 0, sizeof header);
    long start = findJpegStart(reply, length);
    uint8_t* image = nullptr;
    if (start >= 0) {
        long end = findJpegEnd(reply, length, static_cast<size_t>(start));
        if (end < 0) return false;
        const size_t imageEnd = static_cast<size_t>(end) + 2;
        header.kind = 1;
        header.record15[0] = header.record15[1] = -1;
        readRecords(reply + imageEnd, length - imageEnd, &header);
        fillDefaults(&header);
        const size_t imageLength = imageEnd - static_cast<size_t>(start);
        if (!newFrame(header, imageLength, frame, &image)) return false;
        std::memcpy(image, reply + start, imageLength);
    } else {
        CanonYuvPicture picture;
        if (!canonFindYuvPicture(reply, length, &picture)) return false;
        header.kind = 2;
        header.record15[0] = -1;
        header.record10[0] = -1;
        if (!newFrame(header, canonYuvBitmapSize(picture), frame, &image)) return false;
        canonWriteYuvBitmap(picture, image);
    }
    keepHeader(header);
    return true;
}

ResponseCode canonGetLiveViewFrame(HeapBlock* frame) {
    if (!frame) return ERROR_INVALID_INPUT;
    HeapBlock reply;
    ResponseCode rc = ptpTransaction(kCanonLiveViewFrameOperation, {kFrameRequest}, &reply);
    if (rc != PTP_RC_OK) return rc;
    if (!canonSplitLiveViewFrame(reply.data(), reply.size(), frame)) return ERROR_BUILD;
    return PTP_RC_OK;
}

uint16_t canonLiveViewOp() { return kCanonLiveViewFrameOperation; }

bool camLiveViewState(EOS_LiveViewInfoStruct* header) {
    std::lock_guard<std::mutex> g(keeper().mutex);
    if (!keeper().have) return false;
    if (header) *header = keeper().header;
    return true;
}

int canonOrientationToExif(const EOS_LiveViewInfoStruct* header) {
    if (!header) return 1;
    switch (header->orientationState) {
        case 1: return 6;
        case 2: return 8;
        case 4: return 3;
        default: return 1;  // 0 and 3 are upright, and so is anything the camera has not defined
    }
}

int canonLiveViewOrientation() {
    EOS_LiveViewInfoStruct h;
    return camLiveViewState(&h) ? canonOrientationToExif(&h) : 1;
}

bool canonLiveViewPosition(uint32_t* x, uint32_t* y) {
    EOS_LiveViewInfoStruct h;
    if (!camLiveViewState(&h)) return false;
    if (x) *x = h.zoomX;
    if (y) *y = h.zoomY;
    return true;
}

void canonForgetLiveViewHeader() {
    std::lock_guard<std::mutex> g(keeper().mutex);
    keeper().have = false;
    std::memset(&keeper().header, 0, sizeof keeper().header);
}

ResponseCode canonLiveViewZoom(uint32_t percent) {
    const uint8_t model = camModelIndex();
    if (model == 232) return PTP_ERROR_UNSUPPORTED_COMMAND;
    uint32_t step;
    if (model >= 250 && model <= 252) {
        step = percent == 100 ? 6 : percent == 200 ? 15 : 1;
    } else {
        step = percent == 100 ? 5 : percent == 200 ? 10 : 1;
    }
    return ptpTransaction(kOpZoom, {step});
}

ResponseCode canonLiveViewZoomPosition(double x, double y) {
    CanonModelFacts facts = canonModelFacts();
    auto place = [](double f, double size) {
        double v = std::clamp(f - 0.1, 0.0, 0.9);
        return static_cast<uint32_t>(v * size);
    };
    return ptpTransaction(kOpZoomPosition, {place(x, facts.sensorWidth), place(y, facts.sensorHeight)});
}
