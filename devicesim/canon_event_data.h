#pragma once
// Canon event data as the simulated Canon camera sends it in its event-poll replies: records of u32 length (its
// 8 header bytes included), u32 type and the record's data, little-endian, one after another.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace devicesim {

// One image of a Canon image format: type (6 raw, 1 JPEG), size code and compression.
struct CanonSimImage {
    uint32_t type = 1;
    uint32_t size = 0;
    uint32_t compression = 3;
    bool operator==(const CanonSimImage&) const = default;
};
// A format of one or two images, and the camera record for it (count, then 16 bytes per image).
using CanonSimFormat = std::vector<CanonSimImage>;
std::vector<uint8_t> canonFormatRecord(const CanonSimFormat& format);
// The format of a camera record; empty when the bytes do not hold one.
CanonSimFormat canonFormatFromRecord(const uint8_t* data, size_t length);

std::vector<uint8_t> canonRecord(uint32_t type, const std::vector<uint8_t>& data);
// 0xC189: a property value (its bytes as the camera sends them).
std::vector<uint8_t> canonValueRecord(uint32_t code, const std::vector<uint8_t>& value);
// 0xC18A: allowed values (each entry's bytes: a u32, or an image-format record).
std::vector<uint8_t> canonAllowedRecord(uint32_t code, uint32_t dataType, const std::vector<std::vector<uint8_t>>& entries);
// Object added: 0xC1A7 (name as 8-bit text), 0xC1B6 (name as a PTP string) and 0xC181 (handle only).
std::vector<uint8_t> canonObjectAddedRecord(uint32_t handle, uint32_t storage, uint16_t format, uint32_t size,
                                            uint32_t parent, const std::string& name);
std::vector<uint8_t> canonObjectAddedExRecord(uint32_t handle, uint32_t storage, uint16_t format, uint32_t size,
                                              uint32_t parent, const std::string& name);
std::vector<uint8_t> canonObjectInfoRecord(uint32_t handle);
std::vector<uint8_t> canonObjectRemovedRecord(uint32_t handle);
// 0xC18B: camera status (non-zero: busy).
std::vector<uint8_t> canonStatusRecord(uint32_t busy);
// 0xC1A5: the on-screen exposure block.
std::vector<uint8_t> canonOlcRecord(const std::vector<uint8_t>& block);
// The record that ends a poll reply.
std::vector<uint8_t> canonEndRecord();

// A PTP string (count byte, UTF-16 units, terminator).
std::vector<uint8_t> canonPtpString(const std::string& text);

}  // namespace devicesim
