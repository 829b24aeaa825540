#pragma once
// Byte-order helpers for the device link and PTP (little-endian) and the few big-endian fields of some cameras.
// They read and store at any byte address, aligned or not.
#include <cstdint>

inline uint16_t readLe16(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}
inline uint32_t readLe32(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}
inline uint64_t readLe64(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return static_cast<uint64_t>(readLe32(b)) | (static_cast<uint64_t>(readLe32(b + 4)) << 32);
}
inline void writeLe16(void* p, uint16_t v) {
    auto* b = static_cast<uint8_t*>(p);
    b[0] = static_cast<uint8_t>(v);
    b[1] = static_cast<uint8_t>(v >> 8);
}
inline void writeLe32(void* p, uint32_t v) {
    auto* b = static_cast<uint8_t*>(p);
    b[0] = static_cast<uint8_t>(v);
    b[1] = static_cast<uint8_t>(v >> 8);
    b[2] = static_cast<uint8_t>(v >> 16);
    b[3] = static_cast<uint8_t>(v >> 24);
}
inline void writeLe64(void* p, uint64_t v) {
    auto* b = static_cast<uint8_t*>(p);
    writeLe32(b, static_cast<uint32_t>(v));
    writeLe32(b + 4, static_cast<uint32_t>(v >> 32));
}
inline uint16_t readBe16(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}
inline uint32_t readBe32(const void* p) {
    const auto* b = static_cast<const uint8_t*>(p);
    return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
           (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]);
}
