#pragma once
// Live-view frames as the simulated Nikon bodies send them: a fixed-length big-endian header (128 or 384 bytes) in
// front of the JPEG, a header behind a big-endian length prefix, or the extended form of operation 0x9428 (a
// version, the header and picture lengths, and the fields at their own offsets). Written from the frame layouts
// alone, independently of the engine's reader.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace devicesim {

struct NikonFrameFields {
    uint16_t frameWidth = 0;  // the size that zoom-area coordinates refer to
    uint16_t frameHeight = 0;
    uint8_t orientation = 0;  // 0-3
    uint8_t byte60 = 0x5A;    // a header byte that some bodies' readers clear
    uint32_t seed = 0;        // varies the other fields
};

enum class NikonFrameForm {
    Fixed128,
    Fixed384,
    LengthPrefixed,
    Extended,  // 0x9428, version 2
};

// The whole reply of one frame request.
std::vector<uint8_t> nikonFrameReply(NikonFrameForm form, const NikonFrameFields& fields,
                                     const std::vector<uint8_t>& jpeg);
// The camera header length of the length-prefixed form and of the extended form.
inline constexpr uint32_t kNikonPrefixedHeaderLength = 400;
inline constexpr uint32_t kNikonExtendedHeaderLength = 1024;

}  // namespace devicesim
