#include "devicesim/nikon_frames.h"

namespace devicesim {

namespace {

void be16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}
void be32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    be16(b, at, uint16_t(v >> 16));
    be16(b, at + 2, uint16_t(v));
}

// The camera header of the fixed and prefixed forms (the layout is in nikon_frames.h).
std::vector<uint8_t> cameraHeader(size_t length, const NikonFrameFields& f) {
    std::vector<uint8_t> h(length, 0);
    for (size_t i = 0; i < length; ++i) h[i] = uint8_t((i * 7 + f.seed) & 0xFF);
    const uint16_t words[] = {640,          424,           f.frameWidth,    f.frameHeight,
                              f.displayWidth, f.displayHeight, f.displayCentreX, f.displayCentreY,
                              f.afWidth,      f.afHeight,      f.afCentreX,      f.afCentreY};
    for (size_t w = 0; w < 12; ++w) be16(h, 2 * w, words[w]);
    h[29] = f.orientation;
    h[30] = f.afSelected;
    h[40] = f.afState;
    be16(h, 44, f.levelRoll);
    be16(h, 48, f.levelPitch);
    be32(h, 56, f.movieTimeRemaining);
    if (length > 60) h[60] = f.byte60;
    if (length >= 348)
        be32(h, 344, uint32_t(f.audioPeakLeft) | uint32_t(f.audioPeakRight) << 8 | uint32_t(f.audioLevelLeft) << 16 |
                         uint32_t(f.audioLevelRight) << 24);
    return h;
}

}  // namespace

std::vector<uint8_t> nikonFrameReply(NikonFrameForm form, const NikonFrameFields& f, const std::vector<uint8_t>& jpeg) {
    std::vector<uint8_t> out;
    switch (form) {
        case NikonFrameForm::Fixed128:
        case NikonFrameForm::Fixed384:
            out = cameraHeader(form == NikonFrameForm::Fixed128 ? 128 : 384, f);
            break;
        case NikonFrameForm::LengthPrefixed: {
            out.assign(8, 0);
            be32(out, 0, kNikonPrefixedHeaderLength);
            be32(out, 4, uint32_t(jpeg.size()));
            std::vector<uint8_t> h = cameraHeader(kNikonPrefixedHeaderLength, f);
            out.insert(out.end(), h.begin(), h.end());
            break;
        }
        case NikonFrameForm::Extended: {
            out.assign(kNikonExtendedHeaderLength, 0);
            out[0] = 2;  // version, little-endian
            be32(out, 8, kNikonExtendedHeaderLength);
            be32(out, 12, uint32_t(jpeg.size()));
            // Frame size, display size and centre at 16-26, the picture size at 28, the AF frame at 48-54; the AF
            // selection at 41 and state at 42; behind the fixed part (d, then q = d + 4): the movie time at d, the
            // audio bytes at q + 4 in their own order, the roll and pitch as u32 at q + 20 and q + 24.
            const uint16_t words[] = {f.frameWidth,    f.frameHeight,   f.displayWidth,
                                      f.displayHeight, f.displayCentreX, f.displayCentreY};
            for (size_t w = 0; w < 6; ++w) be16(out, 16 + 2 * w, words[w]);
            be16(out, 28, 640);
            be16(out, 30, 424);
            out[41] = f.afSelected;
            out[42] = f.afState;
            be16(out, 48, f.afWidth);
            be16(out, 50, f.afHeight);
            be16(out, 52, f.afCentreX);
            be16(out, 54, f.afCentreY);
            const size_t d = 816, q = d + 4;
            be32(out, d, f.movieTimeRemaining);
            out[q + 4] = f.audioPeakLeft;
            out[q + 5] = f.audioPeakRight;
            out[q + 6] = f.audioLevelLeft;
            out[q + 7] = f.audioLevelRight;
            out[q + 8] = 0x11;
            out[q + 19] = f.orientation;
            be32(out, q + 20, f.levelRoll);
            be32(out, q + 24, f.levelPitch);
            break;
        }
    }
    out.insert(out.end(), jpeg.begin(), jpeg.end());
    return out;
}

}  // namespace devicesim
