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

// The camera header of the fixed and prefixed forms: word 2 and 3 the frame size, byte 29 the orientation.
std::vector<uint8_t> cameraHeader(size_t length, const NikonFrameFields& f) {
    std::vector<uint8_t> h(length, 0);
    for (size_t i = 0; i < length; ++i) h[i] = uint8_t((i * 7 + f.seed) & 0xFF);
    be16(h, 0, 640);
    be16(h, 2, 424);
    be16(h, 4, f.frameWidth);
    be16(h, 6, f.frameHeight);
    h[29] = f.orientation;
    if (length > 60) h[60] = f.byte60;
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
            be16(out, 16, f.frameWidth);
            be16(out, 18, f.frameHeight);
            be16(out, 28, 640);
            be16(out, 30, 424);
            const size_t d = 816, q = d + 4;
            be32(out, d, 0x01020304u + f.seed);
            out[q + 8] = 0x11;
            out[q + 19] = f.orientation;
            break;
        }
    }
    out.insert(out.end(), jpeg.begin(), jpeg.end());
    return out;
}

}  // namespace devicesim
