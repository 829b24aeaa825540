// The session controller's live-view gestures: a double tap steps the zoom, a single tap focuses at the point, the
// arrow buttons nudge the zoomed area; and the Canon configuration shot that reads the lens's focal length.
#include <algorithm>
#include <cstring>
#include <thread>

#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/canon/canon_live_view.h"
#include "engine/vendors/canon/canon_operations.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_live_view.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/sony/sony_live_view.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/notification_names.h"
#include "session/utilities.h"

namespace {

constexpr int32_t kOk = PTP_RC_OK;
constexpr uint32_t kSonyZoomProperty = 0xD22C;
constexpr uint32_t kFocusModeProperty = 0x500A;
constexpr uint32_t kSonyFocusModeNoZoom = 0x8004;
constexpr uint8_t kFujiModelWithoutZoomedFocus = 36;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

void showError(const char* key, int32_t result) {
  Utilities::showErrorMessage(platform::localizedString(key), static_cast<uint16_t>(result));
}

void showRefusal(const char* key) { Utilities::showErrorMessage(platform::localizedString(key)); }

bool propertyValue(uint32_t code, uint32_t* value) {
  PropertyStruct* record = propFind(code, true);
  if (!record) return false;
  *value = record->value;
  propUnlock(record);
  return true;
}

uint16_t headerWord(const uint8_t* header, size_t offset) {
  uint16_t word;
  std::memcpy(&word, header + offset, sizeof word);  // the module keeps the header in host order
  return word;
}

// The zoom step after `current` (percent, 0 not zoomed).
uint32_t nextZoomRatio(uint32_t current) {
  if (current == 0) return 100;
  if (current == 100 && defaults().boolForKey("LiveViewAllow200ZoomRatio") && camSupportsZoom200()) return 200;
  return 0;
}

// After a Sony zoom step the camera takes a moment to show it: its zoom is read until it moves.
void followSonyZoom(uint32_t before) {
  platform::globalQueue().async([before] {
    for (int i = 0; i < engine_timing::kSonyZoomPollCount; ++i) {
      std::this_thread::sleep_for(engineWait(engine_timing::kSonyZoomPollInterval));
      if (camLiveViewZoomRatio(1) != before) return;
    }
  });
}

}  // namespace

// --- the tapped point ---

platform::Point CameraController::liveViewTapPoint(platform::Point point, uint8_t orientation) {
  const double x = std::clamp(point.x, 0.0, 1.0);
  const double y = 1.0 - std::clamp(point.y, 0.0, 1.0);
  // Turned about the picture's centre: by a half turn (3), a quarter turn clockwise (6) or counter-clockwise (8).
  switch (orientation) {
    case 3: return {1.0 - x, 1.0 - y};
    case 6: return {y, 1.0 - x};
    case 8: return {1.0 - y, x};
    default: return {x, y};
  }
}

ResponseCode CameraController::zoomedPointToFramePoint(platform::Point* point) {
  if (camIsNikon()) {
    uint8_t header[kNikonLiveViewHeaderSize] = {};
    if (!nikonLiveViewState(header)) return ERROR_INVALID_INPUT;
    const double frameWidth = headerWord(header, 12), frameHeight = headerWord(header, 14);
    const double shownWidth = headerWord(header, 16), shownHeight = headerWord(header, 18);
    const double centreX = headerWord(header, 20), centreY = headerWord(header, 22);
    if (frameWidth == 0 || frameHeight == 0) return ERROR_INVALID_INPUT;
    point->x = (shownWidth * point->x + centreX - shownWidth / 2) / frameWidth;
    point->y = (shownHeight * point->y + centreY - shownHeight / 2) / frameHeight;
    return PTP_RC_OK;
  }
  if (camIsCanon()) {
    EOS_LiveViewInfoStruct header;
    if (!camLiveViewState(&header)) return 0;
    if (header.frameWidth == 0 || header.frameHeight == 0) return ERROR_INVALID_INPUT;
    const double origin[2] = {double(header.zoomX), double(header.zoomY)};
    const double size[2] = {double(header.record18[0]), double(header.record18[1])};
    const double frame[2] = {double(header.frameWidth), double(header.frameHeight)};
    double* axis[2] = {&point->x, &point->y};
    for (int i = 0; i < 2; ++i) {
      double scale = size[i], offset = 0;
      switch (header.zoom) {
        case 5:
        case 6: offset = origin[i]; break;
        case 10:
        case 15:
          scale = 0.5 * size[i];
          offset = origin[i] + 0.75 * size[i];
          break;
        default: break;
      }
      *axis[i] = (*axis[i] * scale + offset) / frame[i];
    }
    return PTP_RC_OK;
  }
  return PTP_RC_OK;
}

// --- zoom ---

void CameraController::liveViewDoubleTap(platform::Point point, uint8_t orientation) {
  if (mLiveViewStatus.load() == 0) return;
  if (camIsSony()) {
    uint32_t focusMode = 0;
    if (!propExists(kSonyZoomProperty)) return showRefusal("LiveViewZoomNotSupported");
    if (propertyValue(kFocusModeProperty, &focusMode) && focusMode == kSonyFocusModeNoZoom)
      return showRefusal("SonyZoomFocusMode");
  }
  const platform::Point at = liveViewTapPoint(point, orientation);
  const uint32_t current = camLiveViewZoomRatio(1);
  const uint32_t next = nextZoomRatio(current);

  CommandBlockArray commands;
  commands.emplace_back(
      [at, current, next]() -> int32_t {
        Utilities::lockLiveView();  // freed by the return block
        if (next == 100) {
          const ResponseCode moved = camLiveViewZoomArea(at.x, at.y, 1.0, 1.0);
          if (moved != PTP_RC_OK) {
            showError("LiveViewPositionError", moved);
            return moved;
          }
        }
        const ResponseCode zoomed = camLiveViewZoom(next);
        if (zoomed != PTP_RC_OK)
          showError("ZoomLevelError", zoomed);
        else if (camIsSony())
          followSonyZoom(current);
        return zoomed;
      },
      platform::localizedString("SetZoom"));
  Command::runCommands(std::move(commands), [](int32_t) { Utilities::unlockLiveView(); });
}

// --- touch focus ---

void CameraController::liveViewSingleTap(platform::Point point, uint8_t orientation) {
  if (mLiveViewStatus.load() == 0) return;
  if (!camTouchFocusPoint()) return showRefusal(camIsSony() ? "SonyTouchFocusNotSupported" : "TouchFocusNotSupport");
  if (camIsSony() && !sonyTouchFocus()) return showRefusal("SonyInvalidTouchFocusArea");
  if (camIsFuji() && camModelIndex() == kFujiModelWithoutZoomedFocus && camLiveViewZoomRatio(0) != 0)
    return Utilities::showWarningMessage("Cannot touch focus while live view is zoomed.");
  if ((camIsCanon() && !camIsAutoFocus()) || (camIsNikon() && !nikonIsAutoFocus(true)))
    return showRefusal("SetAfFocus");

  const platform::Point at = liveViewTapPoint(point, orientation);
  CommandBlockArray commands;
  commands.emplace_back(
      [this, at]() -> int32_t {
        Utilities::lockLiveView();
        const int32_t result = touchFocusAt(at);
        Utilities::unlockLiveView();
        return result;
      },
      platform::localizedString("SetFocus"));
  Command::runCommands(std::move(commands), [this](int32_t result) {
    // A Canon drive counts as started whatever the camera answered: it is stopped in any case.
    if (result != kOk && !camIsCanon()) return showError("FocusError", result);
    if (!camIsNikon()) {
      mIsFocusing = true;
      platform::dispatchAfter(engineWait(engine_timing::kTouchFocusStopDelay), [this] { stopFocus(); });
    }
    platform::NotificationCenter::defaultCenter().postNotificationName(kFocusChangedNotification);
  });
}

int32_t CameraController::touchFocusAt(platform::Point at) {
  if (mIsFocusing.load()) {
    const ResponseCode stopped = camLiveViewTapRelease();
    if (stopped != PTP_RC_OK) return stopped;
    mIsFocusing = false;
  }
  if (camLiveViewZoomRatio(0) != 0) {
    if (camIsFuji()) return camLiveViewTap();
    if (camIsNikon() || camIsCanon()) {
      const ResponseCode mapped = zoomedPointToFramePoint(&at);
      if (mapped != PTP_RC_OK) return mapped;
    }
  }
  const ResponseCode moved = camLiveViewZoomArea(at.x, at.y, 1.0, 1.0);
  if (moved != PTP_RC_OK) {
    showError("LiveViewPositionError", moved);
    return moved;
  }
  return camLiveViewTap();
}

void CameraController::stopFocus() {
  CommandBlockArray commands;
  commands.emplace_back(
      [this]() -> int32_t {
        Utilities::lockLiveView();
        const ResponseCode stopped = camLiveViewTapRelease();
        mIsFocusing = false;
        Utilities::unlockLiveView();
        return stopped;
      },
      std::nullopt);
  Command::runCommands(std::move(commands), [](int32_t result) {
    if (result != kOk) showError("StopFocusError", result);
  });
}

// --- nudging ---

void CameraController::nudgeLiveView(int tag) {
  const bool raw = !defaults().boolForKey("RotateLiveView");
  CommandBlockArray commands;
  commands.emplace_back([tag, raw] { return int32_t{camNudgeLiveView(tag, raw)}; },
                        platform::localizedString("LiveViewPositionAdjust"));
  Command::runCommands(std::move(commands), [](int32_t result) {
    if (result != kOk) showError("LiveViewPositionError", result);
  });
}

// --- the configuration shot ---

void CameraController::takeImageForFocalLength() {
  if (!camIsCanon()) return;
  CommandBlockArray commands;
  commands.emplace_back(
      []() -> int32_t {
        const bool manual = camIsManualFocus();
        if (!manual) camSetManualFocus(1, false);
        setFocalLengthShotFlag(true);
        const ResponseCode released = canonRemoteRelease(true);
        // Without a picture of its own the flag would take the user's next picture for this shot, and that
        // picture would be deleted from the camera.
        if (released != PTP_RC_OK) setFocalLengthShotFlag(false);
        if (!manual) camSetManualFocus(0, false);
        return released;
      },
      std::nullopt);
  Command::runCommands(std::move(commands), [](int32_t result) {
    if (result != kOk) Utilities::showErrorMessage("Failed to take configuration shot", static_cast<uint16_t>(result));
  });
}
