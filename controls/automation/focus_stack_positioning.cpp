// The focus-stacking panel's lens-position model: the end points and how they show, the steps label and the
// automatic shot count and step, the lens nudges and the positioning at an end point.
#include <QLabel>
#include <QLineEdit>
#include <cmath>
#include <cstdlib>

#include "controls/automation/focus_stack_math.h"
#include "controls/automation/focus_stack_state.h"
#include "controls/automation/focus_stack_view_controller.h"
#include "engine/automation/automation_checks.h"
#include "engine/automation/focus_stack.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/fujifilm/fuji_models.h"
#include "engine/vendors/fujifilm/fuji_operations.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/utilities.h"
#include "widgets/sy_flat_button.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

constexpr uint32_t kFujiFocusPosition = 0xD171;
constexpr ResponseCode kLensAtLimit = 0xA00C;

int64_t incrementSetting() { return defaults().integerForKey("FocusStackingIncrementSize"); }
bool resetBeforePositioning() { return defaults().boolForKey("FocusStackingDoReset"); }

// A failed drive of a nudge or a positioning: the lens at its limit is a warning and forgets the points (they no
// longer match the lens); any other failure is an error with the result's text.
void reportDriveFailure(ResponseCode rc) {
  if (rc == kLensAtLimit)
    Utilities::showWarningMessage(platform::localizedString("FocusDriveBeyondBounds"));
  else
    Utilities::showErrorMessage(platform::localizedString("FocusDriveFailure"), rc);
}

void clearPoints(focus_stack::State& state, const focus_stack::PanelRef& panel) {
  state.clearPoints();
  focus_stack::onPanel(panel, [](FocusStackViewController& p) { p.checkFocusStackStartEnabled(nullptr); });
}

// One lens drive through the command runner behind the progress overlay, with the live-view lock held in the
// block and given back in the return block whatever the panel's fate.
void runLensCommand(std::function<int32_t()> work, std::function<void(ResponseCode)> done) {
  CommandBlockArray commands;
  commands.push_back(CommandBlock::initWithBlock(
      [work = std::move(work)]() -> int32_t {
        Utilities::lockLiveView();
        return work();
      },
      platform::localizedString("FocusAdjusting")));
  Command::runCommands(std::move(commands), [done = std::move(done)](int32_t result) {
    Utilities::unlockLiveView();
    done(static_cast<ResponseCode>(result));
  });
}

}  // namespace

namespace focus_stack {

bool fujiFocusPositionValue(int64_t* value) {
  PropertyStruct* record = propFind(kFujiFocusPosition, true);
  if (!record) return false;
  *value = record->value;
  propUnlock(record);
  return true;
}

ResponseCode driveLensSteps(int code, uint32_t count, platform::Cancellation* cancel) {
  const int tries = static_cast<int>(kLensBusyRetryLimit / kLensBusyRetryInterval);
  ResponseCode rc = focusDriveSteps(code, count);
  for (int retry = 0; rc == PTP_RC_DEVICE_BUSY && retry < tries; ++retry) {
    if (!platform::waitFor(kLensBusyRetryInterval, cancel)) return ERROR_CANCELLED;
    rc = focusDriveSteps(code, count);
  }
  return rc;
}

ResponseCode moveToStartOfFocalRange(State& state) {
  if (!camIsCanon()) return PTP_RC_OK;
  // Thirty large steps reach the near end from anywhere; the counter counts from there.
  const ResponseCode rc = driveLensSteps(3, 30, nullptr);
  if (rc == PTP_RC_OK) state.currentSteps.store(0);
  return rc;
}

ResponseCode moveToPosition(State& state, const PanelRef& panel, int point) {
  if (resetBeforePositioning()) {
    const ResponseCode rc = moveToStartOfFocalRange(state);
    if (rc != PTP_RC_OK) return rc;
  }
  const int64_t target = point == 1 ? state.nearStep.load() : state.farStep.load();
  if (target == kUnsetPoint) return ERROR_INVALID_INPUT;
  const auto shown = [&panel] { onPanel(panel, [](FocusStackViewController& p) { p.updateStepsGui(); }); };
  ResponseCode rc = PTP_RC_OK;
  if (camIsFuji()) {
    rc = fujiFocusPosition(static_cast<uint32_t>(std::clamp<int64_t>(target, 0, 0xFFFFFFFF)));
    if (rc == PTP_RC_OK) {
      state.currentSteps.store(target);
      shown();
      return PTP_RC_OK;
    }
  } else {
    const int64_t delta = target - state.currentSteps.load();
    if (delta == 0) {
      shown();
      return PTP_RC_OK;
    }
    const LensDrive drive = lensDriveForUnits(camVendor(), static_cast<int>(incrementSetting()), delta);
    rc = driveLensSteps(drive.code, drive.count, nullptr);
    if (rc == PTP_RC_OK) {
      // What the lens was driven, which on Canon's larger steps can differ from the distance asked for.
      state.currentSteps.fetch_add(drive.units);
      shown();
      return PTP_RC_OK;
    }
  }
  reportDriveFailure(rc);
  if (rc == kLensAtLimit) clearPoints(state, panel);
  return rc;
}

}  // namespace focus_stack

// --- the panel's operations ---

int64_t FocusStackViewController::currentSteps() const { return mState->currentSteps.load(); }
int64_t FocusStackViewController::nearStep() const { return mState->nearStep.load(); }
int64_t FocusStackViewController::farStep() const { return mState->farStep.load(); }

void FocusStackViewController::clearFocusStacking() {
  mState->clearPoints();
  mNearPointSet = false;
  mFarPointSet = false;
  checkFocusStackStartEnabled(nullptr);
}

bool FocusStackViewController::bothEndPointsSet() const {
  return mNearPointSet && mFarPointSet && mState->nearStep.load() != mState->farStep.load();
}

void FocusStackViewController::showPointState(bool set, platform::ImageView* image, SYFlatButton* setButton,
                                              SYFlatButton* gotoButton) {
  const platform::Size size = platform::boundsOf(image).size;
  image->setImage(set ? VorlaxentStyleKit::imageOfCheckMarkWithSize(size) : VorlaxentStyleKit::imageOfXMarkWithSize(size));
  setButton->setTitle(QString::fromStdString(platform::localizedString(set ? "Clear" : "Set")));
  gotoButton->setHidden(!set);
}

void FocusStackViewController::checkFocusStackStartEnabled(QObject* sender) {
  if (!platform::isMainThread()) {
    // A button cannot come from another thread: the update is a plain one there.
    focus_stack::onPanel(focus_stack::PanelRef(this),
                         [](FocusStackViewController& p) { p.checkFocusStackStartEnabled(nullptr); });
    return;
  }
  focus_stack::PointButton pressed = focus_stack::PointButton::None;
  if (sender && sender == oSetStartButton) pressed = focus_stack::PointButton::Start;
  if (sender && sender == oSetEndButton) pressed = focus_stack::PointButton::End;
  const focus_stack::PointsShown shown =
      focus_stack::pointsShown(mState->nearStep.load(), mState->farStep.load(), pressed);
  mNearPointSet = shown.nearSet;
  mFarPointSet = shown.farSet;
  if (!isViewLoaded()) return;
  showPointState(shown.nearSet, oStartImageView, oSetStartButton, oGotoOneButton);
  showPointState(shown.farSet, oEndImageView, oSetEndButton, oGotoTwoButton);
  oStartButton->setEnabled(bothEndPointsSet());
  updateStepsGui();
}

void FocusStackViewController::setStartPoint() {
  focus_stack::State& s = *mState;
  if (mNearPointSet) {
    s.nearStep.store(focus_stack::kUnsetPoint);
  } else if (camIsFuji()) {
    int64_t position = 0;
    if (!focus_stack::fujiFocusPositionValue(&position)) return;
    s.nearStep.store(position);
    if (position < s.farStep.load()) s.farStep.store(focus_stack::kUnsetPoint);
  } else {
    if (resetBeforePositioning()) {
      s.nearStep.store(s.currentSteps.load());
    } else {
      // The start point becomes the counter's zero; a set end point keeps its place on the lens.
      const int64_t counter = s.currentSteps.exchange(0);
      if (s.farStep.load() != focus_stack::kUnsetPoint) s.farStep.fetch_sub(counter);
      s.nearStep.store(0);
    }
    if (s.nearStep.load() < s.farStep.load()) s.farStep.store(focus_stack::kUnsetPoint);
  }
  checkFocusStackStartEnabled(oSetStartButton);
}

void FocusStackViewController::setEndPoint() {
  focus_stack::State& s = *mState;
  if (mFarPointSet) {
    s.farStep.store(focus_stack::kUnsetPoint);
  } else {
    int64_t position = s.currentSteps.load();
    if (camIsFuji() && !focus_stack::fujiFocusPositionValue(&position)) return;
    s.farStep.store(position);
    // The start point lies nearer than the end point, or it is no longer set.
    if (s.nearStep.load() < position) s.nearStep.store(focus_stack::kUnsetPoint);
  }
  checkFocusStackStartEnabled(oSetEndButton);
}

void FocusStackViewController::updateStepsGui() {
  if (!platform::isMainThread()) return onMain(&FocusStackViewController::updateStepsGui);
  if (!isViewLoaded()) return;
  const VendorType vendor = camVendor();
  const auto shown = [vendor](int64_t steps) { return QString::number(focus_stack::shownSteps(vendor, steps)); };
  const int64_t counter = mState->currentSteps.load();
  if (mNearPointSet) {
    const int64_t start = mState->nearStep.load();
    const bool fromNearEnd = camIsCanon() && resetBeforePositioning();
    const int64_t toStart = fromNearEnd ? std::llabs(start) : start - counter;
    if (mFarPointSet) {
      // Only a set end point is a position (an unset one is a marker, never a number to subtract).
      const int64_t range = start - mState->farStep.load() + (fromNearEnd ? std::llabs(start) : 0);
      oStepsLabel->setText(shown(toStart) + "/" + shown(range));
      updateAutoStackParameters(true);
    } else {
      oStepsLabel->setText(shown(toStart) + "/?");
    }
  } else {
    oStepsLabel->setText(shown(-counter) + "/?");
  }
}

int FocusStackViewController::stepsBetweenShotsForAperture(float aperture, float focalLength) const {
  const float factor = defaults().floatForKey("FocusStackCorrectionFactor");
  return focus_stack::stepsBetweenShots(camVendor(), fujiModelFeatureTest(camModelIndex()), aperture, focalLength, factor)
      .value_or(0);
}

void FocusStackViewController::updateAutoStackParameters(bool report) {
  if (!platform::isMainThread() || !isViewLoaded() || !bothEndPointsSet()) return;
  const auto showNothing = [this] {
    oStepSizeTextField->setText("0");
    oNumShotsTextField->setText("0");
  };
  const float aperture = focusParseAperture();
  if (std::fabs(aperture) < 0.001f) {
    if (report)
      Utilities::showErrorMessage(
          "Failed to get camera aperture. Please ensure the camera is set to Manual or Aperture Priority mode.");
    showNothing();
    return;
  }
  const int steps = stepsBetweenShotsForAperture(aperture, static_cast<float>(focalLength()));
  if (steps < 1) {
    // No focal length, a factor of 0, or a camera without a formula: nothing to divide the range by.
    if (report) Utilities::showErrorMessage(platform::localizedString("FocusStackInvalidStep"));
    showNothing();
    return;
  }
  const VendorType vendor = camVendor();
  oStepSizeTextField->setText(QString::number(focus_stack::shownSteps(vendor, steps)));
  const int64_t range = mState->farStep.load() - mState->nearStep.load();
  oNumShotsTextField->setText(QString::number(focus_stack::shotsForRange(range, steps)));
}

int FocusStackViewController::focalLength() {
  if (camIsCanon()) mFocalLength = CameraController::focalLength();
  return mFocalLength;
}

void FocusStackViewController::driveLens(int64_t tag) {
  if (defaults().boolForKey("ClassicFocusStacking")) {
    classicDriveLens(tag);
    return;
  }
  const VendorType vendor = camVendor();
  const int size = static_cast<int>(std::min<int64_t>(std::llabs(tag), 3));
  const focus_stack::LensDrive drive =
      focus_stack::lensDriveForNudge(vendor, static_cast<int>(incrementSetting()), tag, focusStepForAperture(size));
  const std::shared_ptr<focus_stack::State> state = mState;
  const focus_stack::PanelRef panel(this);
  runLensCommand(
      [state, drive]() -> int32_t {
        ResponseCode rc = focus_stack::driveLensSteps(drive.code, drive.count, nullptr);
        if (rc != PTP_RC_OK || !camIsFuji()) return rc;
        // The camera knows where its lens is: the counter takes its position.
        if (!propExists(kFujiFocusPosition)) return ERROR_INVALID_INPUT;
        rc = camGetPropertyNow(kFujiFocusPosition);
        int64_t position = 0;
        if (rc == PTP_RC_OK && focus_stack::fujiFocusPositionValue(&position)) state->currentSteps.store(position);
        return rc;
      },
      [state, panel, drive](ResponseCode rc) {
        if (rc == PTP_RC_OK) {
          if (!camIsFuji()) state->currentSteps.fetch_add(drive.units);
          if (panel) panel->updateStepsGui();
          return;
        }
        reportDriveFailure(rc);
        clearPoints(*state, panel);
      });
}

void FocusStackViewController::classicDriveLens(int64_t tag) {
  runLensCommand([tag]() -> int32_t { return camFocusStackStep(static_cast<int>(std::clamp<int64_t>(tag, -3, 3))); },
                 [](ResponseCode rc) {
                   if (rc != PTP_RC_OK) Utilities::showErrorMessage(platform::localizedString("FocusDriveFailure"), rc);
                 });
}

ResponseCode FocusStackViewController::moveToPosition(int point) {
  return focus_stack::moveToPosition(*mState, focus_stack::PanelRef(this), point);
}

ResponseCode FocusStackViewController::moveToStartOfFocalRange() { return focus_stack::moveToStartOfFocalRange(*mState); }

void FocusStackViewController::moveToPointOne() {
  const std::shared_ptr<focus_stack::State> state = mState;
  const focus_stack::PanelRef panel(this);
  runLensCommand([state, panel]() -> int32_t { return focus_stack::moveToPosition(*state, panel, 1); },
                 [](ResponseCode) {});
}

void FocusStackViewController::moveToPointTwo() {
  const std::shared_ptr<focus_stack::State> state = mState;
  const focus_stack::PanelRef panel(this);
  runLensCommand([state, panel]() -> int32_t { return focus_stack::moveToPosition(*state, panel, 2); },
                 [](ResponseCode) {});
}
