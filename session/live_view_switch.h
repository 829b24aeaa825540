#pragma once
// How Utilities::blockForLiveViewOff reaches the session controller's live-view switch: its state (0 off,
// 1 live view, 2 movie mode, 3 movie recording), the toggle that signals a semaphore from its return block, and
// the stored results of the last live-view and movie-mode toggles. The live-view part of the session controller
// installs it; until then the state is the controller's own and nothing can switch live view off.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/foundation/dispatch.h"

struct LiveViewSwitch {
  std::function<uint64_t()> status;
  std::function<void(bool on, std::shared_ptr<platform::Semaphore> signal)> toggleLiveView;
  std::function<int32_t()> lastToggleLiveViewStatus;
  std::function<int32_t()> lastToggleMovieStatus;
};

// Installs the switch (an empty one goes back to the controller's own state only).
void setLiveViewSwitch(LiveViewSwitch liveViewSwitch);
LiveViewSwitch currentLiveViewSwitch();
