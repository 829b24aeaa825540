#pragma once

namespace platform {

// Keeps large blocks in the process once they are freed. Live view streams frames of several megabytes, made on one
// thread and freed on another; by default the C library hands each such block back to the system when it is freed
// and the next frame pays for every page again, which halves the frame rate of large frames. Called once at start-up.
// The free blocks kept are kept per arena, and the C library gives every thread that allocates while others do an
// arena of its own (up to eight per core), so that over a long session with threads coming and going the memory
// kept adds up arena by arena: the number of arenas is bounded here as well.
void keepLargeAllocationsInProcess();
inline constexpr int kAllocatorArenas = 2;

}  // namespace platform
