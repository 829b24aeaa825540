#pragma once
// Pieces shared by the device commands that move files and object ranges (not for use outside engine/link).
#include <cstdint>
#include <string>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"

// The name with its terminating zero.
std::vector<uint8_t> linkNameWithZero(const std::string& name);
// A name the device can take: not empty, no zero inside, at most maxCharacters.
bool linkNameFits(const std::string& name, size_t maxCharacters);

// One ranged read (0x41 by handle or 0xF8 by name) of `count` bytes, wrapped when subCodeA is given. A reply
// longer than asked is refused, and so is an empty one unless the data goes to the sharing clients only (0xA0).
ResponseCode linkRequestRange(uint8_t command, const std::vector<uint8_t>& payload, uint32_t count, HeapBlock* data,
                              uint8_t subCodeA, uint8_t subCodeB, const void* wrapperData, uint32_t wrapperLength);
// The 0xF8 payload: offset, count, name with its terminating zero.
std::vector<uint8_t> linkFileRangePayload(const std::string& name, uint32_t offset, uint32_t count);
