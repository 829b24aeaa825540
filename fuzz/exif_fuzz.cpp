// Arbitrary bytes as an image file through our wrapper around Exiv2 (metadata, the orientation edit) and through
// the EXIF reader that decides between it and the own TIFF reader, also as the head of a shot read for its focal
// length. The first byte chooses the object format and the length of the trailing raw head. Nothing Exiv2 throws
// may escape, and nothing is read outside the data.
#include <cstddef>
#include <cstdint>

#include "platform/imaging/image_metadata.h"
#include "session/exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static constexpr uint32_t kFormats[] = {0x3801, 0xB103, 0xB108, 0x3000, 0xB101, 0xB111, 0x380D, 0};
    static constexpr const char* kHints[] = {"", platform::kImageTypeJpeg, platform::kImageTypeCanonCr2,
                                             platform::kImageTypeNikonRaw, platform::kImageTypeFujiRaw};
    const uint8_t selector = data[0];
    ++data;
    --size;
    const uint32_t format = kFormats[selector % 8];
    // A short head length lets the trailing-head rule run on small inputs too.
    const uint32_t headLength = (selector & 0x80) ? 256000 : 64;
    if (auto e = Exif::initWithData(size ? data : nullptr, size, format, headLength)) {
        e->shutterSpeedString();
        e->apertureString();
        e->isoString();
        e->exposureCompensationString();
        e->sizeString();
        e->focalLengthString();
        if (e->orientation() > 8) __builtin_trap();
    }
    // The head of a shot read only for its lens's focal length.
    Exif::getFocalLength(size ? data : nullptr, size, format);
    platform::imageCopyProperties(size ? data : nullptr, size, kHints[(selector >> 3) % 5]);
    if (auto length = platform::jpegLength(data, size)) {
        if (*length > size) __builtin_trap();
        platform::jpegWithOrientation(data, size, uint16_t(selector % 9));
    }
    return 0;
}
