// Arbitrary bytes as a camera raw file for the raw converter (LibRaw behind the platform's decoder): whatever the
// header claims, the decode ends with a picture or a refusal, never a crash, a read outside the bytes or a
// gigabyte allocation; a decoded picture is never empty.
#include <cstddef>
#include <cstdint>

#include "platform/imaging/raw_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 20)) return 0;
    const platform::RawDecodeResult result = platform::rawDecode(size ? data : nullptr, size);
    if (result.status == platform::RawDecodeStatus::Decoded && result.image.isNull()) __builtin_trap();
    return 0;
}
