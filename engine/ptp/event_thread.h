#pragma once
// The event thread: cameras do not push events over the device link, so a thread of the engine asks for them every
// 500 ms through the installed event-poll function (the device's event-poll command) and hands each returned block
// to the vendor's event processing. The run mutex lets a property set or a vendor routine pause polling; the
// event-poll mutex guards the poll function itself.
//
// Lock order on the thread: run mutex, event-poll mutex, transaction mutex, link mutex.
#include <cstdint>
#include <functional>

#include "engine/link/heap_block.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/container.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/transaction.h"

// The event-poll function: a block of pending event data into *data (empty when none); flag 1 = blocking.
using EventPollFunction = ResponseCode (*)(HeapBlock* data, uint8_t flag);
// Called on the event thread with the code of each failed poll.
using PollErrorCallback = std::function<void(ResponseCode)>;

// Session start: empties the property store and the camera-event queue, clears the manual-focus flag, keeps the
// events-done callback, installs send and receive into the container layer (which resets the transaction id) and
// keeps the link hook.
void ptpInstallTransport(PtpSendFunction send, PtpReceiveFunction receive, PtpLinkHook linkHook,
                         EventsDoneCallback eventsDone);
void ptpSetEventPollFunction(EventPollFunction poll);

// One poll: the event-poll mutex (blocking lock or try-lock; skipped when `held`), the poll function, then the block
// processed. 0xFF13 when the try-lock fails, 0xFF01 without a poll function, else the poll's result (0x2001 also for
// an empty block; the processing's own result is not passed on).
ResponseCode camPollEvents(bool blocking, bool held);
// The event-poll mutex, for a vendor routine that takes it itself and then polls with `held`.
void camLockEventPoll();
bool camTryLockEventPoll();
void camUnlockEventPoll();

// Starts the thread when none runs (idempotent under a lock; a thread that was told to stop without join is joined
// first, so two never poll at once). When one runs and the run mutex is held as paused, the pause is released.
void camStartEventThread(PollErrorCallback onPollError);
// join: stop flag set and running flag cleared under the run mutex, then the thread is joined (from the thread
// itself this acts as the form without join). Without join: both flags set at once; the thread ends at its next check.
bool camStopEventThread(bool join);
// True while the thread runs its loop.
bool camEventThreadRunning();

// Pause: take the run mutex and mark it paused (waits while a poll runs). Resume: release it when it is held as
// paused; false when it is not.
bool camPauseEvents();
bool camResumeEvents();
bool camEventsPaused();

// The run mutex as a property set with confirmation uses it: a pause with a ticket, released only by its own ticket
// (so a pause that session open released, and that someone else took since, is left alone). Asked for on the event
// thread while it polls (a set from the event pump), the poll itself is the pause: no wait, and nothing to release.
uint64_t camPauseEventsTicket();
bool camResumeEventsTicket(uint64_t ticket);

// Cycles the thread has polled (for tests and diagnostics).
uint64_t camEventThreadCycles();

// Test reset: thread stopped and joined, pause released, no poll function, no callbacks.
void camEventThreadReset();
