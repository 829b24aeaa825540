#pragma once

namespace platform {

// Keeps large blocks in the process once they are freed. Live view streams frames of several megabytes, made on one
// thread and freed on another; by default the C library hands each such block back to the system when it is freed
// and the next frame pays for every page again, which halves the frame rate of large frames. Called once at start-up.
void keepLargeAllocationsInProcess();

}  // namespace platform
