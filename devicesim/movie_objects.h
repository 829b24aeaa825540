#pragma once
// Movie objects for the simulated cameras: QuickTime-format objects of any size whose bytes are a fixed
// pseudo-random sequence (so a download can be compared byte for byte and a misplaced chunk shows).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "devicesim/generic_camera.h"

namespace devicesim {

inline constexpr uint16_t kMovieObjectFormat = 0x300D;  // QuickTime
inline constexpr uint32_t kLargeMovieSize = 20u * 1024 * 1024 + 12345;  // more than ten 2 MiB chunks, not a multiple

// `size` bytes of the sequence started by `seed`.
std::shared_ptr<const std::vector<uint8_t>> movieBytes(uint32_t size, uint32_t seed = 1);
// A movie object named `name` (handle 0: the camera picks one).
SimObject movieObject(uint32_t size, std::string name, uint32_t seed = 1);

}  // namespace devicesim
