// The focus-stacking panel's runs: the start checks, the end-point run that the panel drives shot by shot, the
// classic run that the engine loops by itself, cancelling, and the progress display.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QComboBox>
#include <cmath>

#include "controls/automation/focus_stack_math.h"
#include "controls/automation/focus_stack_state.h"
#include "controls/automation/focus_stack_view_controller.h"
#include "engine/automation/focus_stack.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_operations.h"
#include "engine/vendors/sony/sony_operations.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/utilities.h"
#include "widgets/color_view.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

constexpr ResponseCode kLensAtLimit = 0xA00C;

// "SequenceDelay" in seconds: a number that is not one, or below 0, counts as 0.
double sequenceDelay() {
  const double delay = static_cast<float>(defaults().doubleForKey("SequenceDelay"));
  return std::isfinite(delay) && delay > 0 ? delay : 0.0;
}

// Automatic viewing of each new picture is off while a stack runs (the pictures would queue up downloads between
// the shots) and comes back as it was when the run ends.
class AutoViewPause {
 public:
  AutoViewPause() : saved_(defaults().objectForKey("AutoViewImages")) { defaults().setInteger(0, "AutoViewImages"); }
  ~AutoViewPause() { defaults().setObject(saved_, "AutoViewImages"); }
  AutoViewPause(const AutoViewPause&) = delete;
  AutoViewPause& operator=(const AutoViewPause&) = delete;

 private:
  platform::Value saved_;
};

// Fujifilm cameras do not take pictures while live view runs: it goes off for the run (the lock is given up while
// the session controller switches it, as its switch takes the lock itself).
void fujiLiveViewOff() {
  if (!camIsFuji() || !CameraController::instance().isLiveViewOn(false)) return;
  Utilities::unlockLiveView();
  auto done = std::make_shared<platform::Semaphore>();
  CameraController::instance().toggleLiveView(false, done);
  done->wait();
  Utilities::lockLiveView();
}

void showFeedback(const focus_stack::PanelRef& panel, uint32_t shots) {
  focus_stack::onPanel(panel, [shots](FocusStackViewController& p) { p.updateFocusStackFeedback(shots); });
}

// One picture of the end-point run; a failure is reported.
ResponseCode takeShot() {
  const ResponseCode rc = focusStackStep();
  if (rc != PTP_RC_OK) Utilities::showErrorMessage(platform::localizedString("CaptureFailed"), rc);
  return rc;
}

}  // namespace

namespace focus_stack {

void onPanel(const PanelRef& panel, std::function<void(FocusStackViewController&)> work) {
  platform::mainQueue().async([panel, work = std::move(work)] {
    if (FocusStackViewController* p = panel.data()) work(*p);
  });
}

ResponseCode toggleFocusForStack() {
  if (camIsManualFocus()) return PTP_RC_OK;
  return camSetManualFocus(1, false);
}

ResponseCode endPointRun(State& state, const PanelRef& panel, int64_t step) {
  AutoViewPause pause;
  const double half = (sequenceDelay() + 1.5) * 0.5;
  ResponseCode rc = moveToPosition(state, panel, 1);
  if (rc != PTP_RC_OK) return rc;
  if (!platform::waitFor(half, &state.waits) || state.cancelled.load()) return 0;
  fujiLiveViewOff();
  if ((rc = takeShot()) != PTP_RC_OK) return rc;
  uint32_t shots = 1;
  showFeedback(panel, shots);

  const LensDrive drive =
      lensDriveForUnits(camVendor(), static_cast<int>(defaults().integerForKey("FocusStackingIncrementSize")), -step);
  const int64_t limit = state.shotLimit.load();
  while (state.currentSteps.load() > state.farStep.load() && shots < limit) {
    if (state.cancelled.load() || !platform::waitFor(half, &state.waits)) return 0;
    rc = driveLensSteps(drive.code, drive.count, &state.waits);
    if (rc == ERROR_CANCELLED && state.cancelled.load()) return 0;
    if (rc == kLensAtLimit) return rc;
    if (rc != PTP_RC_OK) {
      Utilities::showErrorMessage(platform::localizedString("FocusDriveFailure"), rc);
      return rc;
    }
    state.currentSteps.fetch_add(drive.units);
    onPanel(panel, [](FocusStackViewController& p) { p.updateStepsGui(); });
    if (!platform::waitFor(half, &state.waits) || state.cancelled.load()) return 0;
    if ((rc = takeShot()) != PTP_RC_OK) return rc;
    showFeedback(panel, ++shots);
  }
  return PTP_RC_OK;
}

ResponseCode classicRun(State& state, const PanelRef& panel, int64_t shots, int64_t stepSize) {
  AutoViewPause pause;
  const double delay = sequenceDelay();
  onPanel(panel, [shots](FocusStackViewController& p) { p.displayFocusStackFeedback(shots); });
  fujiLiveViewOff();
  if (state.cancelled.load()) return ERROR_CANCELLED;
  const auto delayMs = static_cast<uint32_t>(std::min((delay + 0.5) * 1000.0, 3600.0 * 1000.0));
  // The engine calls back on this thread with each picture; the panel hears of it on the main queue, if it is
  // still there.
  return focusStackClassicRun(static_cast<uint32_t>(shots), static_cast<int>(stepSize), delayMs,
                              [panel](uint32_t shot) { showFeedback(panel, shot); });
}

}  // namespace focus_stack

// --- the panel's operations ---

bool FocusStackViewController::isRunning() const { return mState->running.load(); }

ResponseCode FocusStackViewController::toggleFocusForStack() { return focus_stack::toggleFocusForStack(); }

ResponseCode FocusStackViewController::doFocusStackInBackgroundWithStepSize(int64_t step, bool) {
  return focus_stack::endPointRun(*mState, focus_stack::PanelRef(this), step);
}

ResponseCode FocusStackViewController::doClassicFocusStackInBackgroundWithNumShots(int64_t shots, int64_t stepSize) {
  return focus_stack::classicRun(*mState, focus_stack::PanelRef(this), shots, stepSize);
}

void FocusStackViewController::startFocusStack() {
  if (mState->running.load()) return;
  if (camIsNikon() && !nikonIsAutoFocus(true)) {
    Utilities::showErrorMessage(platform::localizedString("SetAfFocus"));
    return;
  }
  if (defaults().boolForKey("ClassicFocusStacking")) {
    startClassicFocusStack();
    return;
  }
  if (!mNearPointSet) {
    Utilities::showErrorMessage(platform::localizedString("FocusStackNoStartPoint"));
    return;
  }
  if (!mFarPointSet) {
    Utilities::showErrorMessage(platform::localizedString("FocusStackNoEndPoint"));
    return;
  }
  bool ok = false;
  const int64_t shots = oNumShotsTextField->text().trimmed().toLongLong(&ok);
  const std::optional<int64_t> step =
      focus_stack::runStepForShots(mState->farStep.load() - mState->nearStep.load(), ok ? shots : 0);
  if (!step || *step < 1) {
    // Fewer than two shots, or both points on one position: no step to take between shots.
    Utilities::showErrorMessage(platform::localizedString("FocusStackInvalidShots"));
    return;
  }
  displayFocusStackFeedback(shots);
  runInBackground(*step, false, shots);
}

void FocusStackViewController::startClassicFocusStack() {
  if (camIsSony() && sonyIsAutoFocus()) {
    Utilities::showErrorMessage(platform::localizedString("SonyFocusStackingMode"));
    return;
  }
  bool ok = false;
  const int64_t shots = oClassicNumShotsTextField->text().trimmed().toLongLong(&ok);
  if (!ok || shots < 2 || shots > 0xFFFF) {
    Utilities::showErrorMessage(platform::localizedString("FocusStackInvalidShots"));
    return;
  }
  mClassicStepSize = std::clamp(oClassicStepSizeComboBox->currentIndex() + 1, 1, 3);
  runInBackground(mClassicStepSize, true, shots);
}

void FocusStackViewController::runInBackground(int64_t step, bool classic, int64_t shots) {
  const std::shared_ptr<focus_stack::State> state = mState;
  const focus_stack::PanelRef panel(this);
  state->running.store(true);
  state->shotLimit.store(shots);
  // A cancel from here on counts for this run.
  state->resetCancel();
  platform::globalQueue().async([state, panel, step, classic, shots] {
    const auto finish = [&] {
      focus_stack::onPanel(panel, [](FocusStackViewController& p) { p.dismissFocusStackFeedback(); });
      state->running.store(false);
    };
    // Autofocus would focus again at every picture and undo the stack's steps: a camera that cannot be put in
    // manual focus does not stack.
    if (focus_stack::toggleFocusForStack() != PTP_RC_OK) {
      Utilities::showErrorMessage("Failed to toggle focus to not re-adjust focus with capture.");
      finish();
      return;
    }
    Utilities::lockLiveView();
    const ResponseCode rc = classic ? focus_stack::classicRun(*state, panel, shots, step)
                                    : focus_stack::endPointRun(*state, panel, step);
    Utilities::unlockLiveView();
    if (state->cancelled.load())
      Utilities::showWarningMessage(platform::localizedString("FocusStackingCancelled"));
    else if (rc == PTP_RC_OK)
      Utilities::showInfoMessage(platform::localizedString("FocusStackingComplete"), "");
    else
      Utilities::showErrorMessage(platform::localizedString("FocusStackingFailed"), rc);
    finish();
  });
}

void FocusStackViewController::cancelFocusStack() {
  if (isViewLoaded())
    oFeedbackTextField->setText(QString::fromStdString(platform::localizedString("CancellingFocusStack")));
  // The panel's mark first: the engine's run ends as soon as it hears the cancel, and its end must read it as the
  // user's cancel rather than a failure.
  mState->cancel();
  if (defaults().boolForKey("ClassicFocusStacking")) focusStackCancel();
}

namespace {

QString progressText(int64_t taken, int64_t total) {
  QString text = QString::fromStdString(platform::localizedString("FocusStackProgress"));
  text.replace(text.indexOf("%@"), 2, QString::number(taken));
  const int second = text.indexOf("%@");
  if (second >= 0) text.replace(second, 2, QString::number(total));
  return text;
}

}  // namespace

void FocusStackViewController::displayFocusStackFeedback(int64_t total) {
  if (!isViewLoaded()) return;
  platform::setFrame(oFeedbackView, platform::boundsOf(view()));
  oFeedbackView->show();
  oFeedbackView->raise();
  oFeedbackTextField->setText(progressText(0, total));
  oFeedbackProgressIndicator->setRange(0, static_cast<int>(std::clamp<int64_t>(total, 1, INT32_MAX)));
  oFeedbackProgressIndicator->setValue(0);
}

void FocusStackViewController::updateFocusStackFeedback(uint32_t shotsTaken) {
  if (!platform::isMainThread()) {
    focus_stack::onPanel(focus_stack::PanelRef(this),
                         [shotsTaken](FocusStackViewController& p) { p.updateFocusStackFeedback(shotsTaken); });
    return;
  }
  if (!isViewLoaded()) return;
  oFeedbackTextField->setText(progressText(shotsTaken, oFeedbackProgressIndicator->maximum()));
  oFeedbackProgressIndicator->setValue(static_cast<int>(std::min<uint32_t>(shotsTaken, INT32_MAX)));
}

void FocusStackViewController::dismissFocusStackFeedback() {
  if (!platform::isMainThread()) return onMain(&FocusStackViewController::dismissFocusStackFeedback);
  if (isViewLoaded()) oFeedbackView->hide();
}
