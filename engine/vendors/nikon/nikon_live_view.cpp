#include "engine/vendors/nikon/nikon_live_view.h"

#include <cstring>

#include "engine/link/byte_order.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_live_view_info.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/nikon/nikon_properties.h"

namespace {

constexpr size_t kHeaderCopyLimit = 380;

void putLe32(uint8_t* out, size_t at, uint32_t v) { std::memcpy(out + at, &v, 4); }
void putLe16(uint8_t* out, size_t at, uint16_t v) { std::memcpy(out + at, &v, 2); }

// The camera header's bytes, zero past its end.
struct Header {
    const uint8_t* p;
    size_t n;
    uint8_t byte(size_t at) const { return at < n ? p[at] : 0; }
    uint16_t be16(size_t at) const { return static_cast<uint16_t>(byte(at) << 8 | byte(at + 1)); }
    uint32_t be32(size_t at) const { return static_cast<uint32_t>(be16(at)) << 16 | be16(at + 2); }
};

// The fixed-header and length-prefixed layouts.
void fillFromCameraHeader(uint8_t model, const Header& h, uint8_t* out) {
    std::memcpy(out + 8, h.p, h.n < kHeaderCopyLimit ? h.n : kHeaderCopyLimit);
    for (size_t w = 0; w < 12; ++w) putLe16(out, 8 + 2 * w, h.be16(2 * w));
    putLe32(out, 32, h.be32(24));
    putLe32(out, 40, h.be32(32));
    putLe16(out, 44, h.be16(36));
    putLe16(out, 46, h.be16(38));
    putLe32(out, 52, h.be16(44));
    putLe32(out, 56, h.be16(48));
    putLe32(out, 60, h.be16(52));
    putLe32(out, 64, h.be32(56));
    if (nikonModelIn(model, {192, 195, 198, 199}) || nikonModelInRange(model, 201, 204)) out[68] = 0;
    putLe32(out, 352, (model == 196 || model == 200) ? h.be32(344) : 0xFFFFFFFF);
}

ResponseCode finish(const uint8_t* picture, size_t pictureLength, uint32_t headerLength, const uint8_t* header,
                    HeapBlock* frame) {
    HeapBlock out = HeapBlock::allocate(kNikonLiveViewHeaderSize + pictureLength);
    if (!out) return ERROR_NO_MEMORY;
    std::memcpy(out.data(), header, kNikonLiveViewHeaderSize);
    putLe32(out.data(), 0, headerLength);
    putLe32(out.data(), 4, static_cast<uint32_t>(pictureLength));
    if (pictureLength) std::memcpy(out.data() + kNikonLiveViewHeaderSize, picture, pictureLength);
    *frame = std::move(out);
    return PTP_RC_OK;
}

ResponseCode convertExtended(const uint8_t* r, size_t length, HeapBlock* frame) {
    if (length < 56) return ERROR_BUILD;
    uint16_t version = readLe16(r);
    if (version != 1 && version != 2) return ERROR_BUILD;
    size_t d = version == 1 ? 384 : 816;
    size_t q = d + (version == 2 ? 4 : 0);
    uint32_t headerLength = readBe32(r + 8), pictureLength = readBe32(r + 12);
    if (q + 32 > length || d + 4 > length || headerLength > length) return ERROR_BUILD;
    size_t available = length - headerLength;
    size_t n = pictureLength < available ? pictureLength : available;
    uint8_t h[kNikonLiveViewHeaderSize] = {};
    putLe16(h, 8, readBe16(r + 28));
    putLe16(h, 10, readBe16(r + 30));
    for (size_t w = 0; w < 6; ++w) putLe16(h, 12 + 2 * w, readBe16(r + 16 + 2 * w));
    for (size_t w = 0; w < 4; ++w) putLe16(h, 24 + 2 * w, readBe16(r + 48 + 2 * w));
    h[37] = r[q + 19];
    h[38] = r[41];
    putLe16(h, 46, readBe16(r + q + 16));
    h[48] = r[42];
    h[49] = r[40];
    putLe32(h, 52, readBe32(r + q + 20));
    putLe32(h, 56, readBe32(r + q + 24));
    putLe32(h, 60, readBe32(r + q + 28));
    putLe32(h, 64, readBe32(r + d));
    h[68] = r[q + 8];
    h[71] = r[44];
    std::memcpy(h + 352, r + q + 4, 4);
    h[360] = r[q + 18];
    return finish(r + headerLength, n, headerLength, h, frame);
}

void keepHeader(const HeapBlock& frame) {
    NikonState& s = nikonState();
    std::lock_guard<std::mutex> g(s.headerMutex);
    std::memcpy(s.lastHeader.data(), frame.data(), kNikonLiveViewHeaderSize);
    s.haveHeader = true;
}

bool statusFreshOn(bool* on) {
    uint8_t m = camModelIndex();
    if (m == 205 || nikonIsZModel(m)) {
        *on = nikonState().liveViewOn.load();
        return true;
    }
    return nikonLiveViewStatus(on, true) == PTP_RC_OK;
}

// The live-view focus mode 0xD061 set from the autofocus mode 0xD161 (2 for AF-C, else 0).
ResponseCode adjustLiveViewFocusMode() {
    if (!nikonPropertyEnabledFlag(0xD061)) return PTP_RC_OK;
    uint32_t af = 0;
    bool haveAf = nikonPropertyValue(0xD161, &af);
    if (haveAf && af == 3) return PTP_RC_OK;
    uint32_t target = haveAf && af == 1 ? 2 : 0, now = 0;
    if (nikonPropertyValue(0xD061, &now) && now == target) return PTP_RC_OK;
    return propSet(0xD061, target, true);
}

}  // namespace

size_t nikonFixedLiveViewHeaderLength(uint8_t m) {
    if (nikonModelIn(m, {192, 199, 203})) return 128;
    if (nikonModelIn(m, {193, 194, 196, 200})) return 384;
    if (nikonModelIn(m, {195, 198, 201, 202, 204})) return 64;
    return 0;
}

ResponseCode nikonConvertLiveViewFrame(uint8_t model, bool extendedForm, const uint8_t* reply, size_t length,
                                       HeapBlock* frame) {
    if (!frame) return ERROR_INVALID_INPUT;
    *frame = HeapBlock();
    if (!reply || length == 0) return ERROR_BUILD;
    if (extendedForm) return convertExtended(reply, length, frame);
    uint8_t h[kNikonLiveViewHeaderSize] = {};
    if (model == 206 || model < 192 || model > 240) return finish(reply, length, 0, h, frame);
    if (size_t fixed = nikonFixedLiveViewHeaderLength(model)) {
        if (length < fixed) return ERROR_BUILD;
        fillFromCameraHeader(model, Header{reply, fixed}, h);
        return finish(reply + fixed, length - fixed, static_cast<uint32_t>(fixed + 8), h, frame);
    }
    if (length < 8) return ERROR_BUILD;
    uint32_t headerLength = readBe32(reply), pictureLength = readBe32(reply + 4);
    if (headerLength > length - 8) return ERROR_BUILD;
    size_t available = length - 8 - headerLength;
    fillFromCameraHeader(model, Header{reply + 8, headerLength}, h);
    return finish(reply + 8 + headerLength, pictureLength < available ? pictureLength : available,
                  static_cast<uint32_t>(kNikonLiveViewHeaderSize), h, frame);
}

ResponseCode nikonLiveViewStatus(bool* on, bool refresh) {
    if (!on) return ERROR_INVALID_INPUT;
    if (camModelFeatureTest()) {
        *on = true;
        return PTP_RC_OK;
    }
    if (!propExists(0xD1A2)) return PTP_ERROR_UNSUPPORTED_COMMAND;
    if (refresh) {
        ResponseCode rc = camGetPropertyNow(0xD1A2);
        if (rc != PTP_RC_OK) return rc;
    }
    uint32_t v = 0;
    if (!nikonPropertyValue(0xD1A2, &v)) return PTP_ERROR_UNSUPPORTED_COMMAND;
    *on = v != 0;
    return PTP_RC_OK;
}

ResponseCode nikonSetLiveView(bool on, bool forMovie) {
    NikonState& s = nikonState();
    uint8_t m = camModelIndex();
    bool z = nikonIsZModel(m);
    NikonModelFacts facts = nikonModelFacts();
    if (m != 205 && !z) {
        bool now = false;
        if (statusFreshOn(&now) && now == on) {
            s.liveViewOn.store(on);
            return PTP_RC_OK;
        }
    }
    if (on) {
        uint32_t mode = 0;
        if (facts.captureModeRestore && s.savedCaptureMode.load() < 0 && nikonPropertyValue(0x5013, &mode))
            s.savedCaptureMode.store(mode);
        if (!nikonListed(0x9207)) {
            ResponseCode rc = propSet(0xD10B, 1, true);
            if (rc != PTP_RC_OK) return rc;
        }
        if (!z) s.liveViewOn.store(false);
        ResponseCode rc = ptpTransaction(kNikonOpLiveViewStart, {});
        if (rc != PTP_RC_OK) return rc;
        s.liveViewOn.store(true);
        uint32_t selector = 0;
        bool photoSelector = nikonPropertyValue(0xD1A6, &selector) && selector == 1;
        ResponseCode result = PTP_RC_OK;
        if (forMovie || !photoSelector || s.hostMode.load() == 0) {
            adjustLiveViewFocusMode();
        } else {
            result = nikonRetryWhile([] { return nikonSetProperty(0xD1A6, 0); },
                                     [](uint16_t r) { return r == 0xA005; }, 20,
                                     engine_timing::kNikonSelectorRetry);
            adjustLiveViewFocusMode();
        }
        nikonDeviceReadyWait();
        camQueuePropertyChanged(0xD061);
        camSetKeptZoom(0);
        return result;
    }
    ResponseCode rc = ptpTransaction(kNikonOpLiveViewEnd, {});
    if (rc != PTP_RC_OK) return rc;
    s.liveViewOn.store(false);
    if (nikonPropertyEnabledFlag(0xD161)) {
        uint32_t lv = 0;
        bool haveLv = nikonPropertyValue(0xD061, &lv);
        if (!(haveLv && lv == 3)) {
            uint32_t target = 0;
            if (haveLv && lv == 2) target = 1;
            else if ((haveLv && lv == 4) || camManualFocusFlag()) target = 4;
            propSet(0xD161, target, true);
        }
    }
    if (!(nikonModelInRange(m, 214, 233) || m == 240)) nikonSetApplicationMode();
    if (!nikonListed(0x9207)) propSet(0xD10B, 0, true);
    nikonDeviceReadyWait();
    camQueuePropertyChanged(nikonFocusModeCode());
    int64_t saved = s.savedCaptureMode.exchange(-1);
    if (facts.captureModeRestore && saved >= 0) propSet(0x5013, static_cast<uint32_t>(saved), true);
    camSetKeptZoom(0);
    return PTP_RC_OK;
}

uint16_t nikonLiveViewOp() { return nikonListed(kNikonOpLiveViewFrameEx) ? kNikonOpLiveViewFrameEx : kNikonOpLiveViewFrame; }

ResponseCode nikonGetLiveViewFrame(HeapBlock* frame) {
    if (!frame) return ERROR_INVALID_INPUT;
    *frame = HeapBlock();
    NikonState& s = nikonState();
    HeapBlock reply;
    ResponseCode rc;
    uint16_t op = nikonLiveViewOp();
    {
        std::unique_lock<std::mutex> g(s.liveViewMutex, std::try_to_lock);
        // The running mark is only read under the mutex: whoever holds it may be changing the mark.
        if (!g.owns_lock()) return ERROR_BUSY;
        if (s.focusStackRunning) return PTP_RC_DEVICE_BUSY;
        rc = ptpTransaction(op, {}, &reply);
    }
    if (rc == 0xA00B) {
        bool on = false;
        if (nikonLiveViewStatus(&on, true) == PTP_RC_OK && on) return PTP_RC_DEVICE_BUSY;
        return rc;
    }
    if (rc != PTP_RC_OK) return rc;
    if (reply.empty()) return PTP_RC_OK;
    rc = nikonConvertLiveViewFrame(camModelIndex(), op == kNikonOpLiveViewFrameEx, reply.data(), reply.size(), frame);
    if (rc != PTP_RC_OK) {
        *frame = HeapBlock();
        return rc;
    }
    keepHeader(*frame);
    return PTP_RC_OK;
}

bool nikonLiveViewState(uint8_t (&header)[kNikonLiveViewHeaderSize]) {
    NikonState& s = nikonState();
    std::lock_guard<std::mutex> g(s.headerMutex);
    if (!s.haveHeader) return false;
    std::memcpy(header, s.lastHeader.data(), kNikonLiveViewHeaderSize);
    return true;
}

int camOrientationCode(int index) {
    static const int kCodes[] = {1, 8, 6, 3};
    return index >= 0 && index < 4 ? kCodes[index] : 1;
}

int nikonLiveViewOrientation() {
    std::optional<Nikon_LiveViewInfoStruct2> info = nikonLastLiveViewInfo();
    return info ? camOrientationCode(info->orientation) : 1;
}

bool nikonLiveViewFrameSize(uint32_t* width, uint32_t* height) {
    std::optional<Nikon_LiveViewInfoStruct2> info = nikonLastLiveViewInfo();
    if (!info) return false;
    if (width) *width = info->frameWidth;
    if (height) *height = info->frameHeight;
    return true;
}
