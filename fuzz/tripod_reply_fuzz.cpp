// Arbitrary bytes as the tripod head's reply packet.
#include <cstddef>
#include <cstdint>

#include "engine/automation/tripod.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t result = 0;
    if (tripodParseReply(data, size, &result) == PTP_RC_OK && size < 9) __builtin_trap();
    return 0;
}
