#pragma once
// Hooks between the parts of the dispatch implementation; not for use outside platform/foundation.
#include "platform/foundation/dispatch.h"

namespace platform::dispatch_detail {

// Called when a thread enters or leaves a blocking wait. Return whether the thread belongs to the global pool
// (only then is the leave call made).
bool poolWorkerWillBlock();
void poolWorkerDidUnblock();

// A function that queues a block on `queue` and keeps the queue alive as long as the function exists (a serial
// queue whose last handle goes away meanwhile still runs the block).
using AsyncTarget = std::function<void(DispatchBlock)>;
AsyncTarget retainedAsyncTarget(DispatchQueue& queue);

// Queues a block on a timer thread to be handed to `target` at `deadline` (queues other than the main queue).
void scheduleOnTimerThread(std::chrono::steady_clock::time_point deadline, AsyncTarget target, DispatchBlock block);

// The main queue's delayed dispatch (a QTimer on the main thread).
void scheduleOnMainTimer(std::chrono::steady_clock::time_point deadline, DispatchBlock block);

}  // namespace platform::dispatch_detail
