// The shooting controls of the session controller: the shutter button's press and release, half press, capture,
// bulb, flash, Canon mirror-up, client mode and property sets. Captures, half presses and the mirror-up switch run
// on the serial shutter queue so that they reach the camera in the order pressed; bulb, flash, client mode and
// property sets run on the global queue.
#include <cstdio>
#include <mutex>

#include "engine/automation/automation_checks.h"
#include "engine/automation/focus_stack.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_operations.h"
#include "engine/vendors/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/live_view_switch.h"
#include "session/notification_names.h"
#include "session/single_command.h"
#include "session/utilities.h"

namespace {

constexpr const char* kShutterQueueLabel = "com.vorlaxent.shutter.bgqueue";

// Guards the creation of the shutter queue; the press operations normally all come from the main thread.
std::mutex& shutterQueueLock() {
  static std::mutex lock;
  return lock;
}

void post(const char* name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

std::string text(const char* key) { return platform::localizedString(key); }

// The live-view state (0 off, 1 live view, 2 movie mode, 3 recording) as the live-view part keeps it.
uint64_t liveViewState() {
  const LiveViewSwitch lv = currentLiveViewSwitch();
  return lv.status ? lv.status() : CameraController::instance().liveViewStatus();
}

// A Fujifilm body whose live view is zoomed in cannot take a picture.
bool fujiZoomedLiveView() { return camIsFuji() && liveViewState() == 1 && camLiveViewZoomRatio(0) != 0; }

// Whether the Canon mirror-up property is set on the camera; false without it.
bool mirrorUpPropertySet() {
  PropertyStruct* record = propFind(0xD13A, true);
  if (!record) return false;
  const bool set = record->value != 0;
  propUnlock(record);
  return set;
}

// A localized text with its "%@" replaced by the name (appended after a blank when the text has no "%@").
std::string withName(const char* key, const std::string& name) {
  std::string s = text(key);
  const size_t at = s.find("%@");
  if (at == std::string::npos) return s + " " + name;
  return s.replace(at, 2, name);
}

}  // namespace

// --- the shutter button ---

void CameraController::shutterPress() {
  const uint64_t status = liveViewState();
  if (status == 2 || status == 3) {
    mIgnoreShutterRelease = true;
    shutterPressMovie(status == 2);
    return;
  }
  if (mIsBulbActive) {
    stopBulb();
    mIgnoreShutterRelease = true;
    return;
  }
  if (!camIsBulbMode() || (camNeedsSecondPress() && !camMirrorUp())) {
    mIgnoreShutterRelease = false;
    initiateCapture();
    return;
  }
  startBulb();
  mIgnoreShutterRelease = true;
}

void CameraController::shutterRelease() {
  if (mIsBulbActive || mIgnoreShutterRelease) return;
  initiateCaptureRelease();
}

// The movie branch of the shutter button: recording starts in movie mode and stops while it records.
void CameraController::shutterPressMovie(bool start) { toggleMovieRecording(start); }

// The shutter queue, created on first use when asked; null (the global queue) before that.
static platform::DispatchQueue* shutterQueue(std::shared_ptr<platform::DispatchQueue>& queue, bool create) {
  std::lock_guard<std::mutex> lock(shutterQueueLock());
  if (!queue && create) queue = platform::createSerialQueue(kShutterQueueLabel);
  return queue.get();
}

void CameraController::waitForShutterQueue() {
  if (platform::DispatchQueue* queue = shutterQueue(mShutterQueue, false)) queue->sync([] {});
}

// --- half press and capture ---

void CameraController::initiateHalfPress() {
  runSingleCommand(text("ShutterHalfPress"), [] { return int32_t{camHalfPress()}; },
         [](uint16_t result) { showFailureUnlessOk(result, "ShutterHalfPressFailed"); }, shutterQueue(mShutterQueue, true));
}

void CameraController::halfPressRelease() {
  runSingleCommand(text("ShutterHalfPressRelease"), [] { return int32_t{camHalfPressRelease()}; },
         [](uint16_t result) { showFailureUnlessOk(result, "ShutterHalfPressReleaseFailed"); },
         shutterQueue(mShutterQueue, false));
}

void CameraController::initiateCapture() {
  if (fujiZoomedLiveView()) {
    Utilities::showWarningMessage("Cannot capture when zoomed into live view");
    return;
  }
  runSingleCommand(text("CaptureImage"), [] { return int32_t{camCapture()}; },
         [](uint16_t result) {
           if (result != PTP_RC_OK) {
             showCodeError(text("CaptureFailed"), result);
             return;
           }
           if (camIsAutoFocus()) post(kFocusChangedNotification);
         },
         shutterQueue(mShutterQueue, true));
}

void CameraController::initiateCaptureRelease() {
  if (fujiZoomedLiveView()) return;
  runSingleCommand(text("CaptureImage"), [] { return int32_t{camCaptureRelease()}; },
         [](uint16_t result) {
           if (result == PTP_RC_OK) return;
           // A Fujifilm body answers a release after its own end of the exposure with these; nothing is wrong.
           if (camIsFuji() && (result == PTP_RC_DEVICE_BUSY || result == 0xA001 || result == 0xA002)) return;
           showCodeError(text("CaptureStopFailure"), result);
         },
         shutterQueue(mShutterQueue, false));
}

// --- bulb ---

void CameraController::startBulb() {
  if (!camBulbAvailable()) {
    Utilities::showErrorMessage(text("BulbNotAvailable"));
    return;
  }
  mIsBulbActive = true;  // before the command: a press during the start already stops the bulb
  runSingleCommand(text("BulbStart"), [] { return int32_t{camBulbStart()}; }, [this](uint16_t result) {
    if (result == PTP_RC_OK) {
      post(kBulbCaptureToggledNotification, platform::Value(true));
      return;
    }
    Utilities::showErrorMessage(text("BulbStartFailure"), result);
    post(kBulbCaptureToggledNotification, platform::Value(false));
    mIsBulbActive = false;
  });
}

void CameraController::stopBulb() {
  runSingleCommand(text("BulbStop"), [] { return int32_t{camBulbStop()}; }, [this](uint16_t result) {
    if (result != PTP_RC_OK) {
      // The exposure may still run: the bulb stays marked so that the next press tries to stop it again.
      showCodeError(text("BulbStopFailure"), result);
      return;
    }
    mIsBulbActive = false;
    post(kBulbCaptureToggledNotification, platform::Value(false));
  });
}

// --- flash, mirror-up, client mode ---

void CameraController::toggleFlash(bool on) {
  runSingleCommand("Toggling Flash...", [on] { return int32_t{camToggleFlash(on)}; }, [](uint16_t result) {
    if (result != PTP_RC_OK) showCodeError("Failed to toggle flash.", result);
    post(kFlashStatusChangedNotification);
  });
}

void CameraController::toggleCanonMirrorUpMode(bool on) {
  runSingleCommand(
      text("MirrorModeToggle"),
      [on] {
        // Only a Canon body has this property; another maker's property of that code is something else.
        PropertyStruct* record = camIsCanon() ? propFind(0xD13A) : nullptr;
        if (!record) return int32_t{PTP_RC_PARAMETER_NOT_SUPPORTED};
        if (liveViewState() != 0) return int32_t{0};
        return int32_t{canonSetMirrorUp(on, true)};
      },
      [](uint16_t result) {
        if (result == 0) Utilities::showWarningMessage(text("MirrorModeTLiveView"));
        else if (result != PTP_RC_OK) showCodeError(text("MirrorModeToggleFailed"), result);
        defaults().setBool(result != PTP_RC_PARAMETER_NOT_SUPPORTED && mirrorUpPropertySet(), "MirrorUp");
      },
      shutterQueue(mShutterQueue, false));
}

void CameraController::toggleHostMode(bool on) {
  runSingleCommand(
      text("HostSet"),
      [on] {
        if (liveViewState() != 0 && !Utilities::blockForLiveViewOff()) {
          Utilities::showWarningMessage(
              "Failed to toggle off live view / movie mode. To turn on client mode, live view and movie mode must "
              "be off.");
          return int32_t{ERROR_CANCELLED};
        }
        return int32_t{camSetHostMode(on ? 1 : 0, 1)};
      },
      [on](uint16_t result) {
        if (result == PTP_RC_OK || result == ERROR_CANCELLED) {
          if (result == PTP_RC_OK) defaults().setBool(on, "HostMode");
          post(kHostModeUpdateNotification, platform::Value(on));
          return;
        }
        showCodeError(text("HostSetFailed"), result);
        defaults().setBool(!on, "HostMode");
      });
}

// --- properties ---

void CameraController::setProperty(uint32_t code, uint32_t value) {
  const char* tableName = propNameTableEntry(code);
  std::string name;
  if (tableName) {
    name = tableName;
  } else {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", code);
    name = hex;
  }
  runSingleCommand(withName("Setting", name), [code, value] { return int32_t{propSet(code, value, true)}; },
         [name](uint16_t result) {
           if (result == PTP_RC_OK || result == ERROR_CANCELLED) return;
           showCodeError(withName("PropertySetError", name), result);
         });
}
