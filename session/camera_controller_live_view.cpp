// The session controller's live-view state: live view, movie mode and recording switched through the command
// runner, the frame loop on a thread of its own, the camera's own report of a recording, and the watermark sent
// to the device's sharing clients when its settings change.
#include <cstdio>
#include <thread>

#include "engine/link/device_commands.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/dispatch.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/live_view_switch.h"
#include "session/notification_names.h"
#include "session/utilities.h"

namespace {

constexpr uint32_t kRecordingStateProperty = 0xD21D;
constexpr uint8_t kRelayFlag = 161;
constexpr int32_t kOk = PTP_RC_OK;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

void post(const char* name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

void showError(const char* key, int32_t result) {
  Utilities::showErrorMessage(platform::localizedString(key), static_cast<uint16_t>(result));
}

// Each loop started gets the next number. A loop ends once it is no longer the newest: a loop that was told to
// stop and is still waiting for the lock never keeps running beside its successor, whose start clears the flag.
std::atomic<uint64_t>& loopGeneration() {
  static std::atomic<uint64_t> generation{0};
  return generation;
}

bool loopMustEnd(uint64_t generation) {
  return CameraController::liveViewKillFlag() || loopGeneration().load() != generation;
}

// Only the newest loop speaks for "a loop is running".
void loopEnded(uint64_t generation) {
  if (loopGeneration().load() == generation) CameraController::setLiveViewRunning(false);
}

void sleepFor(std::chrono::milliseconds nominal) { std::this_thread::sleep_for(engineWait(nominal)); }

// The texts and the notification of the two switches.
struct SwitchNames {
  const char* startTitle;
  const char* stopTitle;
  const char* startError;
  const char* stopError;
  const char* notification;
};
constexpr SwitchNames kLiveViewSwitch{"StartLiveView", "StopLiveView", "StartLiveViewError", "StopLiveViewError",
                                      kLiveViewToggledNotification};
constexpr SwitchNames kMovieSwitch{"StartMovieMode", "StopMovieMode", "StartMovieError", "StopMovieError",
                                   kMovieModeToggledNotification};

}  // namespace

// --- state ---

bool CameraController::isLiveViewOn(bool any) const {
  const uint64_t status = mLiveViewStatus.load();
  return any ? (status >= 1 && status <= 3) : status == 1;
}

// --- live view ---

void CameraController::toggleLiveView(bool on, std::shared_ptr<platform::Semaphore> signalSemaphore) {
  runSwitch(false, on, std::move(signalSemaphore));
}

void CameraController::runSwitch(bool movie, bool on, std::shared_ptr<platform::Semaphore> signalSemaphore) {
  const SwitchNames& names = movie ? kMovieSwitch : kLiveViewSwitch;
  std::atomic<int32_t>& stored = movie ? mLastMovieCmdStatus : mLastLiveViewCmdStatus;
  auto handOverFailed = std::make_shared<std::atomic<bool>>(false);
  CommandBlockArray commands;
  if (on) {
    commands.emplace_back(
        [this, movie, handOverFailed]() -> int32_t {
          // Live view and movie mode exclude each other: the one that is on is left first, and waited for.
          const uint64_t status = mLiveViewStatus.load();
          if (movie ? status == 1 : (status == 2 || status == 3)) {
            auto left = std::make_shared<platform::Semaphore>(0);
            runSwitch(!movie, false, left);
            left->wait();
            const int32_t leftResult = movie ? mLastLiveViewCmdStatus.load() : mLastMovieCmdStatus.load();
            if (leftResult != kOk) {
              *handOverFailed = true;
              return leftResult;
            }
          }
          return movie ? toggleMovieMode(true) : toggleLiveView(true);
        },
        platform::localizedString(names.startTitle));
  } else {
    commands.emplace_back([this, movie] { return movie ? toggleMovieMode(false) : toggleLiveView(false); },
                          platform::localizedString(names.stopTitle));
  }
  Command::runCommands(std::move(commands), [on, names, handOverFailed, signalSemaphore, &stored](int32_t result) {
    if (on && *handOverFailed) {
      post(names.notification, platform::Value(false));  // the switch that was left has shown its own alert
    } else if (on) {
      if (result != kOk) showError(names.startError, result);
      post(names.notification, platform::Value(result == kOk));
    } else {
      if (result != kOk) showError(names.stopError, result);
      post(names.notification, platform::Value(result != kOk));  // still on when the switch-off failed
    }
    // Whoever waits is told on every path, also after a failed hand-over or switch-on.
    if (signalSemaphore) {
      stored = result;
      signalSemaphore->signal();
    }
  });
}

int32_t CameraController::toggleLiveView(bool on) {
  Utilities::lockLiveView();
  setLiveViewKillFlag(false);
  ResponseCode answer = camToggleLiveView(on);
  if (on) {
    // A Fujifilm camera that answers busy has live view half open: one frame through the device, then off and
    // on again brings it back.
    if (camIsFuji() && answer == PTP_RC_DEVICE_BUSY) {
      HeapBlock frame;
      answer = PTP_RC_DEVICE_BUSY;
      if (linkGetLiveViewFrame(&frame, 0) == PTP_RC_OK && camToggleLiveView(false) == PTP_RC_OK)
        answer = camToggleLiveView(true);
    }
    if (answer == PTP_RC_OK) {
      mLiveViewStatus = 1;
      startLiveViewLoop();
    }
  } else if (answer == PTP_RC_OK) {
    mLiveViewStatus = 0;
  }
  Utilities::unlockLiveView();
  return answer;
}

// --- movie mode and recording ---

void CameraController::toggleMovieMode(bool on, std::shared_ptr<platform::Semaphore> signalSemaphore) {
  runSwitch(true, on, std::move(signalSemaphore));
}

int32_t CameraController::toggleMovieMode(bool on) {
  Utilities::lockLiveView();
  ResponseCode answer;
  if (on) {
    answer = camMovieModeOn();
    if (answer == PTP_RC_OK) {
      mLiveViewStatus = 2;
      setLiveViewKillFlag(false);
      startLiveViewLoop();
    }
  } else {
    answer = camMovieModeOff();
    if (answer == PTP_RC_OK) mLiveViewStatus = 0;
  }
  Utilities::unlockLiveView();
  return answer;
}

void CameraController::toggleMovieRecording(bool start) {
  CommandBlockArray commands;
  commands.emplace_back(
      [start]() -> int32_t {
        Utilities::lockLiveView();
        const ResponseCode answer = start ? camMovieRecordStart() : camMovieRecordStop();
        Utilities::unlockLiveView();
        return answer;
      },
      platform::localizedString(start ? "StartMovieRecording" : "StopMovieRecording"));
  Command::runCommands(std::move(commands), [this, start](int32_t result) {
    if (result == kOk) {
      mLiveViewStatus = start ? 3 : 2;
      post(kMovieRecordingToggledNotification, platform::Value(start));
    } else {
      showError(start ? "StartMovieRecordingError" : "StopMovieRecordingError", result);
    }
  });
}

bool CameraController::stopLiveViewStream(bool wait) {
  const uint64_t status = mLiveViewStatus.load();
  // The switch answers from its return block on the main queue: a wait there would never end. Nothing is
  // touched, so live view goes on as it was.
  if (wait && status != 0 && platform::isMainThread()) return false;
  setLiveViewKillFlag(true);
  if (status == 0) return true;
  const bool movie = status == 2 || status == 3;
  if (!wait) {
    if (movie)
      toggleMovieMode(false, nullptr);
    else
      toggleLiveView(false, nullptr);
    return true;
  }
  auto done = std::make_shared<platform::Semaphore>(0);
  if (movie)
    toggleMovieMode(false, done);
  else
    toggleLiveView(false, done);
  done->wait();
  return (movie ? mLastMovieCmdStatus.load() : mLastLiveViewCmdStatus.load()) == kOk;
}

// --- the frame loop ---

void CameraController::startLiveViewLoop() {
  if (liveViewRunning() && !liveViewKillFlag()) return;
  setLiveViewKillFlag(false);
  const uint64_t generation = ++loopGeneration();
  setLiveViewRunning(true);  // before the thread exists, so that nobody sees a started loop as absent
  std::thread([generation] { liveViewLoop(generation); }).detach();
}

ResponseCode CameraController::fetchLiveViewFrame(HeapBlock* frame) {
  if (!camIsFuji()) return camLiveViewFrame(frame);
  const bool relay = defaults().boolForKey("VorlaxentShareEnabled") && defaults().boolForKey("ShareLiveView");
  return linkGetLiveViewFrame(frame, relay ? kRelayFlag : 0);
}

void CameraController::liveViewLoop(uint64_t generation) {
  CameraController& controller = instance();
  Utilities::lockLiveView();
  if (controller.mLiveViewStatus.load() != 0) {
    while (!loopMustEnd(generation)) {
      HeapBlock frame;
      const ResponseCode answer = fetchLiveViewFrame(&frame);
      Utilities::unlockLiveView();
      if (answer == PTP_RC_OK) {
        if (frame && !frame.empty()) {
          if (loopMustEnd(generation)) {  // a stop asked for during the fetch: this frame is not shown
            loopEnded(generation);
            return;
          }
          platform::Data data(frame.begin(), frame.end());
          frame.reset();
          platform::mainQueue().async([data = std::move(data)]() mutable {
            platform::Notification notification;  // the frame moves into it: a frame is copied once only
            notification.name = kLiveViewImageNotification;
            notification.object = platform::Value(std::move(data));
            platform::NotificationCenter::defaultCenter().postNotification(notification);
          });
        }
        sleepFor(engine_timing::kLiveViewFramePause);
      } else if (answer == PTP_RC_DEVICE_BUSY || answer == PTP_RC_CANON_BUSY) {
        frame.reset();
        sleepFor(engine_timing::kLiveViewBusyPause);
      } else if (answer == PTP_RC_ACCESS_DENIED && camIsSony()) {
        sleepFor(engine_timing::kLiveViewBusyPause);  // a Sony body between two frames
      } else {
        post(kLiveViewToggledNotification, platform::Value(false));
        controller.mLiveViewStatus = 0;
        loopEnded(generation);
        return;
      }
      Utilities::lockLiveView();
      if (controller.mLiveViewStatus.load() == 0) break;
    }
  }
  Utilities::unlockLiveView();
  loopEnded(generation);
}

// --- what the camera reports, and the watermark ---

void CameraController::propertyUpdatedNotification(const platform::Notification& notification) {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([this, notification] { propertyUpdatedNotification(notification); });
    return;
  }
  if (camIsSony()) return;
  if (Utilities::propertyCodeFromNotification(notification.name) != kRecordingStateProperty) return;
  PropertyStruct* record = propFind(kRecordingStateProperty, true);
  if (!record) return;
  const uint32_t value = record->value;
  propUnlock(record);
  const uint64_t status = mLiveViewStatus.load();
  if (value == 1) {
    if (status == 3) return;
    if (status != 2) {
      mLiveViewStatus = 2;
      startLiveViewLoop();
      post(kMovieModeToggledNotification, platform::Value(true));
    }
    mLiveViewStatus = 3;
    post(kMovieRecordingToggledNotification, platform::Value(true));
  } else if (status == 3) {
    mLiveViewStatus = 2;
    post(kMovieRecordingToggledNotification, platform::Value(false));
  }
}

void CameraController::observeValueForKeyPath(const std::string& keyPath) {
  if (keyPath != "ShowWatermark" && keyPath != "WatermarkText" && keyPath != "WatermarkLocation" &&
      keyPath != "WatermarkSize")
    return;
  if (!defaults().boolForKey("VorlaxentShareEnabled")) return;
  // Without a running session there is nobody to tell: a session start sends the watermark itself.
  if (Utilities::currentConnectionStatus() != kConnectionStatusCameraConnected || !camEventThreadRunning()) return;
  Utilities::sendCurrentWatermarkToClients();
}

void CameraController::installLiveViewObservers() {
  char name[16];
  std::snprintf(name, sizeof name, "JW_%u", kRecordingStateProperty);
  platform::NotificationCenter::defaultCenter().addObserver(
      this, [this](const platform::Notification& n) { propertyUpdatedNotification(n); }, name);
  for (const char* key : {"ShowWatermark", "WatermarkText", "WatermarkLocation", "WatermarkSize"})
    defaults().addObserver(this, key, [this](const std::string& k, const platform::Value&) { observeValueForKeyPath(k); });
  installLiveViewSwitch();
}

void CameraController::installLiveViewSwitch() {

  // The housekeeping frees the camera through these. In movie mode it is movie mode that is switched off, so
  // that the stored movie result it then reads belongs to this switch and not to an earlier one.
  LiveViewSwitch liveViewSwitch;
  liveViewSwitch.status = [this] { return mLiveViewStatus.load(); };
  liveViewSwitch.toggleLiveView = [this](bool on, std::shared_ptr<platform::Semaphore> signal) {
    const uint64_t status = mLiveViewStatus.load();
    if (!on && (status == 2 || status == 3))
      toggleMovieMode(false, std::move(signal));
    else
      toggleLiveView(on, std::move(signal));
  };
  liveViewSwitch.lastToggleLiveViewStatus = [this] { return mLastLiveViewCmdStatus.load(); };
  liveViewSwitch.lastToggleMovieStatus = [this] { return mLastMovieCmdStatus.load(); };
  setLiveViewSwitch(std::move(liveViewSwitch));
}
