#pragma once
// What the focus-stacking panel shares with the work it starts off the main thread: the lens-position counter, the
// two end points, the run's shot limit and its cancel. Lens drives (command runner workers) and runs (global
// queue) read and move these while the panel reads them on the main thread, so each is an atomic; the work holds
// the state by a shared pointer and so never needs the panel itself.
//
// The work reaches the panel only through onPanel: a call queued on the main queue that runs when the panel still
// lives. A panel released while its run goes on is left alone; the run finishes, gives the live-view lock back and
// reports its end.
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>

#include "controls/automation/focus_stack_math.h"
#include "engine/ptp/response_code.h"
#include "platform/foundation/wait_clock.h"

class FocusStackViewController;

namespace focus_stack {

struct State {
  std::atomic<int64_t> currentSteps{0};
  std::atomic<int64_t> nearStep{kUnsetPoint};
  std::atomic<int64_t> farStep{kUnsetPoint};
  // The most pictures the running end-point run takes.
  std::atomic<int64_t> shotLimit{0};
  std::atomic<bool> running{false};
  // Cancel: the flag the run tests between its steps, and the waits it cuts short.
  std::atomic<bool> cancelled{false};
  platform::Cancellation waits;

  void cancel() {
    cancelled.store(true);
    waits.cancel();
  }
  void resetCancel() {
    cancelled.store(false);
    waits.reset();
  }
  // Counter 0, both points unset.
  void clearPoints() {
    currentSteps.store(0);
    nearStep.store(kUnsetPoint);
    farStep.store(kUnsetPoint);
  }
};

using PanelRef = QPointer<FocusStackViewController>;

// Runs `work` with the panel on the main queue, later, when the panel is still there then. Any thread.
void onPanel(const PanelRef& panel, std::function<void(FocusStackViewController&)> work);

// How long a busy lens (0x2019) is asked again, and how often.
inline constexpr double kLensBusyRetryInterval = 0.5;
inline constexpr double kLensBusyRetryLimit = 10.0;

// focusDriveSteps, asked again every half second while the camera answers busy, for at most ten seconds (on the
// wait clock), then the busy answer is returned. A cancel raised during a wait ends it with 0xFF16.
ResponseCode driveLensSteps(int code, uint32_t count, platform::Cancellation* cancel);

// The work of the panel's drives and runs, on the calling (worker) thread; the panel's operations of the same
// names call them with its state.
ResponseCode moveToStartOfFocalRange(State& state);
ResponseCode moveToPosition(State& state, const PanelRef& panel, int point);
ResponseCode toggleFocusForStack();
ResponseCode endPointRun(State& state, const PanelRef& panel, int64_t step);
ResponseCode classicRun(State& state, const PanelRef& panel, int64_t shots, int64_t stepSize);

// The camera's own focus position (Fujifilm property 0xD171) as the store holds it; false without the record.
bool fujiFocusPositionValue(int64_t* value);

}  // namespace focus_stack
