#include "devicesim/canon_frames.h"

#include <chrono>
#include <cmath>

#include "devicesim/frame_faults.h"
#include "devicesim/wire.h"

namespace devicesim {
namespace {

void putBe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}

void setBe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = uint8_t(v >> (8 * (3 - i)));
}

void putTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

// An ISO box: size, tag, body.
std::vector<uint8_t> box(const char* tag, const std::vector<uint8_t>& body) {
    std::vector<uint8_t> b;
    b.reserve(8 + body.size());
    putBe32(b, uint32_t(body.size() + 8));
    putTag(b, tag);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

void append(std::vector<uint8_t>& out, const std::vector<uint8_t>& more) { out.insert(out.end(), more.begin(), more.end()); }

std::vector<uint8_t> record(uint32_t type, std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> r;
    wire::put32(r, uint32_t(8 + 4 * values.size()));
    wire::put32(r, type);
    for (uint32_t v : values) wire::put32(r, v);
    return r;
}

FrameFaults<CanonFrameFault>& canonFaults() {
    static FrameFaults<CanonFrameFault> faults;
    return faults;
}

// The zoom codes' magnification: 5 and 6 at 100 %, 10 and 15 at 200 %.
uint32_t zoomFactor(uint32_t zoom) { return zoom >= 10 ? 10 : zoom >= 5 ? 5 : 1; }

}  // namespace

void canonFaultNextFrames(const void* camera, CanonFrameFault fault, int frames) {
    canonFaults().ask(camera, fault, frames);
}

void canonStandInLiveViewInfo(const void* camera, bool mirrorless, uint32_t frameNumber, CanonLiveViewInfo& info) {
    // The DSLR sends no frame record: the camera module takes the model's sensor (6720 x 4480); its live picture
    // covers a lower 16:9 band of it, and whole-image AF frames are measured from the taller frame.
    const uint32_t frameWidth = mirrorless ? 5472 : 6720, frameHeight = mirrorless ? 3648 : 4480;
    if (mirrorless) info.frameWidth = frameWidth, info.frameHeight = frameHeight;
    info.wholeWidth = frameWidth;
    info.wholeHeight = mirrorless ? frameHeight : 3780;
    info.orientationState = 0;
    info.rollHundredths = 150;
    info.pitchHundredths = 35000;  // 350 degrees: 10 down
    const uint32_t factor = zoomFactor(info.zoom);
    if (factor > 1) {
        // Zoomed: the frames are given in the zoom area, one in its middle.
        info.zoomAreaWidth = frameWidth / factor;
        info.zoomAreaHeight = frameHeight / factor;
        const uint32_t w = info.zoomAreaWidth, h = info.zoomAreaHeight;
        info.afFrames = {{info.zoomX + w * 2 / 5, info.zoomY + h * 2 / 5, w / 5, h / 5, 0x11},
                         {info.zoomX + w / 10, info.zoomY + h / 10, w / 6, h / 6, 0x12},
                         {info.zoomX + w * 7 / 10, info.zoomY + h * 6 / 10, w / 6, h / 6, 0x00}};
    } else {
        info.zoomAreaWidth = frameWidth / 5;
        info.zoomAreaHeight = frameHeight / 5;
        const uint32_t w = info.wholeWidth, h = info.wholeHeight;
        info.afFrames = {{w * 45 / 100, h * 45 / 100, w / 10, h / 10, 0x11},
                         {w * 15 / 100, h * 30 / 100, w / 12, h / 12, 0x12},
                         {w * 70 / 100, h * 60 / 100, w / 12, h / 12, 0x00}};
    }
    // Levels of a quiet room, moving a little from frame to frame; peaks above them.
    const int32_t swing = int32_t(frameNumber % 7);
    info.audio = {-24 + swing, -27 + swing / 2, -10, -13};
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    info.movieSeconds = int32_t(ms / 1000 % 0x40000000);
    info.movieMilliseconds = int32_t(ms % 1000);
    const std::optional<CanonFrameFault> fault = canonFaults().take(camera);
    if (!fault) return;
    switch (*fault) {
        case CanonFrameFault::NoAfFrames: info.afFrames.clear(); break;
        case CanonFrameFault::ZeroFrameSpace:
            info.wholeHeight = 0;  // a zero width would be taken for a missing record and filled in
            info.zoomAreaHeight = 0;
            break;
        case CanonFrameFault::AudioOffTheScale: info.audio = {-60, 12, -60, 12}; break;
        case CanonFrameFault::ManyAfFrames:
            info.afFrames.resize(70, {100, 100, 50, 50, 0x11});
            info.extraAfFrameCount = 30;
            break;
    }
}

std::vector<uint8_t> canonBareJpeg(const std::vector<uint8_t>& jpeg) {
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return jpeg;
    std::vector<uint8_t> out = {0xFF, 0xD8};
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] >= 0xE0 && jpeg[at + 1] <= 0xEF)
        at += 2 + ((size_t(jpeg[at + 2]) << 8) | jpeg[at + 3]);
    if (at > jpeg.size()) return jpeg;
    out.insert(out.end(), jpeg.begin() + long(at), jpeg.end());
    return out;
}

std::vector<uint8_t> canonJpegLiveViewReply(const std::vector<uint8_t>& bareJpeg, const CanonLiveViewInfo& info) {
    std::vector<uint8_t> out = bareJpeg;
    append(out, record(4, {info.zoom}));
    append(out, record(5, {info.zoomX, info.zoomY}));
    if (info.frameWidth) append(out, record(14, {info.frameWidth, info.frameHeight}));
    std::vector<uint8_t> af;
    wire::put32(af, uint32_t(12 + 24 * info.afFrames.size()));
    wire::put32(af, 8);
    wire::put32(af, uint32_t(info.afFrames.size()) + info.extraAfFrameCount);
    for (const auto& f : info.afFrames) {
        auto field = [&f](size_t i) { return f.size() > i ? f[i] : 0u; };
        // Entry: state, (reserved), x, y, width, height.
        const uint32_t fields[6] = {field(4), 0, field(0), field(1), field(2), field(3)};
        for (uint32_t v : fields) wire::put32(af, v);
    }
    append(out, af);
    append(out, record(16, {0, info.orientationState, info.rollHundredths, info.pitchHundredths}));
    append(out, record(15, {uint32_t(info.audio[0]), uint32_t(info.audio[1]), uint32_t(info.audio[2]),
                            uint32_t(info.audio[3])}));
    append(out, record(10, {uint32_t(info.movieSeconds), uint32_t(info.movieMilliseconds)}));
    append(out, record(13, {0, 0, info.zoomAreaWidth, info.zoomAreaHeight}));
    append(out, record(18, {0, 0, info.wholeWidth, info.wholeHeight}));
    append(out, record(17, {1, 2, 3}));
    while (out.size() < 4096) out.push_back(0);  // the camera's replies are never shorter
    return out;
}

std::vector<uint8_t> canonYuvLiveViewReply(uint32_t width, uint32_t height, uint8_t start, uint32_t seed) {
    std::vector<uint8_t> out(start, 0x11);
    if (start) out[0] = start;
    std::vector<uint8_t> header(kCanonYuvHeaderLength, 0);
    header[0] = kCanonYuvHeaderLength;
    wire::set32(header, 12, width);
    wire::set32(header, 16, height);
    append(out, header);
    out.reserve(out.size() + size_t(width) * height * 2);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; x += 2) {
            // A gradient in luminance with colour that varies over the picture; bytes kept below 0xF0 so that no
            // JPEG start can appear.
            const uint8_t luma0 = uint8_t(16 + (x * 200 / (width ? width : 1) + seed) % 200);
            const uint8_t luma1 = uint8_t(16 + ((x + 1) * 200 / (width ? width : 1) + seed) % 200);
            const int8_t u = int8_t(int(y * 120 / (height ? height : 1)) - 60);
            const int8_t v = int8_t(int(x * 100 / (width ? width : 1)) - 50);
            out.push_back(uint8_t(u));
            out.push_back(luma0);
            if (x + 1 == width) break;  // an odd width ends on half a pair: 2 bytes per pixel still
            out.push_back(uint8_t(v));
            out.push_back(luma1);
        }
    }
    return out;
}

std::vector<uint8_t> canonThumbnailReply(const std::vector<uint8_t>& bareJpeg, uint8_t orientation) {
    std::vector<uint8_t> out;
    out.reserve(16 + bareJpeg.size());
    out = {0, 0, 0, 0, 0x12, 0x01, 0x03, 0x00, 0x01, 0x00, 0x00, 0x00, orientation, 0, 0, 0};
    append(out, bareJpeg);
    return out;
}

std::vector<uint8_t> canonCr3File(const std::vector<uint8_t>& previewJpeg, size_t rawBytes, uint32_t seed) {
    // Brand "crx ", version 1, compatible brands "crx " and "isom".
    const std::vector<uint8_t> ftyp = {'c', 'r', 'x', ' ', 0, 0, 0, 1, 'c', 'r', 'x', ' ', 'i', 's', 'o', 'm'};

    std::vector<uint8_t> stsd(8, 0);  // version, flags, entry count
    stsd[7] = 1;
    append(stsd, box("CRAW", {}));
    putTag(stsd, "JPEG");
    std::vector<uint8_t> stsz(4, 0);
    putBe32(stsz, uint32_t(previewJpeg.size()));  // sample size
    putBe32(stsz, 1);                             // sample count
    std::vector<uint8_t> co64(4, 0);
    putBe32(co64, 1);  // entry count
    putBe32(co64, 0);  // offset, high half
    const size_t offsetField = co64.size();
    putBe32(co64, 0);  // offset, low half: set below

    std::vector<uint8_t> stbl = box("stsd", stsd);
    append(stbl, box("stsz", stsz));
    append(stbl, box("free", std::vector<uint8_t>(8, 0)));
    const size_t co64At = stbl.size();
    append(stbl, box("co64", co64));
    std::vector<uint8_t> moov = box("moov", box("trak", box("stbl", stbl)));

    std::vector<uint8_t> file = box("ftyp", ftyp);
    const size_t moovAt = file.size();
    append(file, moov);
    std::vector<uint8_t> mdatBody = previewJpeg;
    uint32_t state = seed | 1;
    for (size_t i = 0; i < rawBytes; ++i) {
        state = state * 1664525u + 1013904223u;
        mdatBody.push_back(uint8_t(state >> 24));
    }
    const size_t previewAt = file.size() + 8;
    append(file, box("mdat", mdatBody));
    // moov (8) > trak (8) > stbl (8) > the co64 box's body (8 more) holds the offset.
    setBe32(file, moovAt + 24 + co64At + 8 + offsetField, uint32_t(previewAt));
    return file;
}

}  // namespace devicesim
