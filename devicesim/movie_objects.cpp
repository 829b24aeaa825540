#include "devicesim/movie_objects.h"

#include <algorithm>
#include <cstring>

namespace devicesim {

std::shared_ptr<const std::vector<uint8_t>> movieBytes(uint32_t size, uint32_t seed) {
    auto bytes = std::make_shared<std::vector<uint8_t>>(size);
    uint64_t state = 0x9E3779B97F4A7C15ull ^ seed;
    size_t i = 0;
    while (i < size) {
        // xorshift64: fast enough for 64 MiB, and no two chunks look alike.
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const size_t n = std::min<size_t>(8, size - i);
        std::memcpy(bytes->data() + i, &state, n);
        i += n;
    }
    return bytes;
}

SimObject movieObject(uint32_t size, std::string name, uint32_t seed) {
    SimObject object;
    object.format = kMovieObjectFormat;
    object.name = std::move(name);
    object.bytes = movieBytes(size, seed);
    object.width = 1920;
    object.height = 1080;
    return object;
}

}  // namespace devicesim
