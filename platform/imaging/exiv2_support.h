#pragma once
// What every Exiv2 user in this folder shares: the library's one-time set-up (its messages muted, as a damaged
// file is ordinary input here; its XMP parser initialised once, a step not safe to race on from several
// threads; ISO media boxes, CR3, enabled) and the read-out of a file Exiv2 has written into memory.
#include <optional>

#include "platform/foundation/value.h"

namespace Exiv2 {
class BasicIo;
}

namespace platform {

void setUpExiv2();

// All bytes of an Exiv2 stream (a memory stream after writeMetadata), or nullopt when they cannot be read whole.
std::optional<Data> exiv2StreamBytes(Exiv2::BasicIo& io);

}  // namespace platform
