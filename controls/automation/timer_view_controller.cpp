#include "controls/automation/timer_view_controller.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "controls/automation/hdr_panel_support.h"
#include "controls/automation/hdr_settings.h"
#include "controls/automation/hdr_view_controller.h"
#include "controls/automation/qy_time_formatter.h"
#include "controls/automation/timer_estimates.h"
#include "controls/interface_actions.h"
#include "engine/automation/automation_checks.h"
#include "engine/automation/automation_request.h"
#include "engine/link/device_commands.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/alert.h"
#include "platform/ui/control_binding.h"
#include "platform/ui/formatter.h"
#include "platform/ui/image_view.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "ui_TimerWindow.h"
#include "widgets/it_switch.h"
#include "widgets/jw_alert.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("TimerWindow", Ui::TimerWindow);

using automation_panels::observeOnMainQueue;
using automation_panels::onMainQueue;
using platform::Size;

namespace {

constexpr const char* kTimerValues = "TimerValues";
constexpr int kMaxShots = 0xFFFF;
// The keys of "TimerValues", and the properties they keep.
constexpr std::pair<const char*, const char*> kSavedInts[] = {
    {"TimerInitialDelayMinutes", "initialDelayMinutes"},
    {"TimerInitialDelaySeconds", "initialDelaySeconds"},
    {"TimerShotDelayMinutes", "shotDelayMinutes"},
    {"TimerShotDelaySeconds", "shotDelaySeconds"},
    {"TimerNumberShots", "numberShots"},
    {"TimerBulbInitialDelayMinutes", "bulbInitialDelayMinutes"},
    {"TimerBulbInitialDelaySeconds", "bulbInitialDelaySeconds"},
};
constexpr const char* kBulbSecondsKey = "TimerBulbDurationSeconds";
constexpr const char* kBulbStringKey = "TimerBulbDurationString";
constexpr const char* kHdrEnabledKey = "TimerHdrEnabled";

// The progress feedback's fields (little-endian): total shots, the interval and the shots taken.
constexpr size_t kFeedbackTotalAt = 0;
constexpr size_t kFeedbackIntervalAt = 6;
constexpr size_t kFeedbackTakenAt = 14;
constexpr size_t kFeedbackMinimum = 17;

// Fields bound to the properties of the same meaning; the minute and second fields read through the time
// formatter, the shots field through a number formatter.
constexpr std::pair<const char*, const char*> kTimeFields[] = {
    {"oInitialDelayMinutesField", "initialDelayMinutes"},
    {"oInitialDelaySecondsField", "initialDelaySeconds"},
    {"oShotDelayMinutesField", "shotDelayMinutes"},
    {"oShotDelaySecondsField", "shotDelaySeconds"},
    {"oBulbInitialDelayMinutesField", "bulbInitialDelayMinutes"},
    {"oBulbInitialDelaySecondsField", "bulbInitialDelaySeconds"},
};

// The other controls' bindings to the panel's properties.
struct Binding {
  const char* control;
  const char* binding;
  const char* key;
};
constexpr Binding kBindings[] = {
    {"oNumShotsField", "value", "numberShots"},
    {"oNumShotsField", "enabled", "isTimeLapseEnabled"},
    {"oDurationLabel", "value", "durationStatusInfo"},
    {"oBulbDurationLabel", "value", "bulbDurationString"},
    {"oBulbDisabledLabel", "value", "bulbDisabledString"},
    {"oBulbDisabledLabel", "hidden", "isDisabledBulbViewHidden"},
    {"oBulbDurationButton", "enabled", "isBulbEnabled"},
    {"oStartBulbButton", "enabled", "isBulbEnabled"},
    {"oStartButton", "enabled", "isTimeLapseEnabled"},
    {"oFeedbackShotsLabel", "value", "feedbackShotsRemainingString"},
    {"oFeedbackTimeLabel", "value", "feedbackTimeRemainingString"},
    {"oFeedbackProgressIndicator", "value", "feedbackPercent"},
};

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

std::string changedName(uint32_t code) { return "JW_" + std::to_string(code); }

std::string minutesAndSeconds(int seconds) {
  return QString::asprintf("%02d:%02d", seconds / 60, seconds % 60).toStdString();
}

// What each shot exposes with the camera's settings now.
timer::Exposure exposureNow(bool hdr) {
  timer::Exposure e;
  e.bulb = camIsBulbMode();
  e.hdr = hdr;
  e.hdrExposureMs = camShutterTimeMs(HdrViewController::initialPropertyValue());
  e.hdrShots = HdrViewController::numberShots();
  if (PropertyCopy shutter = propCopyValues(camVendorPropertyCodes().shutterSpeed))
    e.shutterMs = camShutterTimeMs(shutter->value);
  return e;
}

// An info alert shown from a background thread, waited for: 1 for the first button, 0 for the second, -1001 for
// the third. Texts by key.
int64_t ask(const std::string& title, const std::string& text, const char* first, const char* second,
            const char* third = nullptr) {
  std::shared_ptr<JW_Alert> alert;
  platform::mainQueue().sync([&] {
    alert = JW_Alert::jwAlertWithStyle(1);
    if (!title.empty()) alert->setTitleText(QString::fromStdString(title));
    alert->setInformationText(QString::fromStdString(text));
    alert->setOkButtonText(QString::fromStdString(platform::localizedString(first)), nullptr);
    alert->setCancelButtonText(QString::fromStdString(platform::localizedString(second)), nullptr);
    if (third) alert->setThirdButtonText(QString::fromStdString(platform::localizedString(third)), nullptr);
  });
  const int64_t answer = alert->blockingShow();
  alert.reset();
  return answer;
}

// Minutes and seconds as the fields hold them, in seconds (no int overflow whatever a damaged setting holds).
int64_t seconds(int minutes, int secs) { return int64_t{minutes} * 60 + secs; }
// A delay the device can be sent: none below 0 or beyond a day (the fields show at most 99:59).
bool delayInRange(int64_t s) { return s >= 0 && s <= 24 * 60 * 60; }

int clampToInt(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

TimerViewController::TimerViewController() : ViewController("TimerWindow") {}

TimerViewController::~TimerViewController() {
  mIntervalometerTimer.invalidate();
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  for (const auto& [key, property] : kSavedInts) properties_->removeObserver(this, property);
}

void TimerViewController::setPopover(SFBPopover* popover) { mParentPopover = popover; }

// --- loading, appearing, disappearing ---

void TimerViewController::viewDidLoad() {
  oInitialDelayImageView = outlet<platform::ImageView>("oInitialDelayImageView");
  oIntervalImageView = outlet<platform::ImageView>("oIntervalImageView");
  oNumShotsImageView = outlet<platform::ImageView>("oNumShotsImageView");
  oHdrImageView = outlet<platform::ImageView>("oHdrImageView");
  oStartButton = outlet<SYFlatButton>("oStartButton");
  oHdrSwitch = outlet<ITSwitch>("oHdrSwitch");
  oBulbInitialDelayImageView = outlet<platform::ImageView>("oBulbInitialDelayImageView");
  oBulbDurationImageView = outlet<platform::ImageView>("oBulbDurationImageView");
  oBulbInitialDelayLabel = outlet<QLabel>("oBulbInitialDelayLabel");
  oBulbDurationLabel = outlet<QLabel>("oBulbDurationLabel");
  oBulbDurationButton = outlet<SYFlatButton>("oBulbDurationButton");
  oStartBulbButton = outlet<SYFlatButton>("oStartBulbButton");
  oBulbDisabledLabel = outlet<QLabel>("oBulbDisabledLabel");
  oCloseButton = outlet<SYFlatButton>("oCloseButton");
  oFeedbackView = outlet<QWidget>("oFeedbackView");
  controls::connectInterfaceActions(view());
  if (oBulbDurationLabel) oBulbDurationLabel->setAttribute(Qt::WA_TransparentForMouseEvents);

  using automation_panels::setIcon;
  setIcon(oInitialDelayImageView, &VorlaxentStyleKit::imageOfHourglassWithSize);
  setIcon(oBulbInitialDelayImageView, &VorlaxentStyleKit::imageOfHourglassWithSize);
  setIcon(oIntervalImageView, &VorlaxentStyleKit::imageOfIntervalWithSize);
  setIcon(oBulbDurationImageView, &VorlaxentStyleKit::imageOfIntervalWithSize);
  setIcon(oNumShotsImageView, &VorlaxentStyleKit::imageOfNumberWithSize);
  setIcon(oHdrImageView, &VorlaxentStyleKit::imageOfHDRColorWithSize);
  automation_panels::setCloseImage(oCloseButton);
  automation_panels::setCloseImage(outlet<SYFlatButton>("oFeedbackCloseButton"));
  if (oFeedbackView) oFeedbackView->hide();
  if (oHdrSwitch) oHdrSwitch->setAction([this](ITSwitch*) { refresh(); });

  mQuestions->ignoreDriveMode = false;
  mQuestions->ignoreAutoFocus = false;
  bulbDurationString_.set("00:00.0");
  isTimeLapseEnabled_.set(true);
  mBulbDurationSeconds = 0.1f;
  bindControls();
  const platform::Value saved = defaults().objectForKey(kTimerValues);
  loadStateDictionary(saved.isNull() ? nullptr : &saved.toDictionary());

  const VendorPropertyCodes roles = camVendorPropertyCodes();
  const uint32_t bulbCode = camIsCanon() ? roles.exposureMode : roles.shutterSpeed;
  if (bulbCode != 0)
    observeOnMainQueue<TimerViewController>(
        this, changedName(bulbCode),
        [](TimerViewController& c, const platform::Notification&) { c.checkBulbControls(); });
  for (const char* name : {kLiveViewToggledNotification, kMovieModeToggledNotification})
    observeOnMainQueue<TimerViewController>(
        this, name, [](TimerViewController& c, const platform::Notification&) { c.liveViewToggledNotification(); });
  observeOnMainQueue<TimerViewController>(
      this, kIntervalometerFeedbackNotification,
      [](TimerViewController& c, const platform::Notification& n) { c.timeLapseNotificationRecieved(n); });
  observeOnMainQueue<TimerViewController>(
      this, kAutomateRemoveFeedbackNotification,
      [](TimerViewController& c, const platform::Notification&) { c.timeLapseCompleteNotification(); });
}

void TimerViewController::bindControls() {
  QWidget* root = view();
  const auto bindTo = [this, root](const char* name, const char* binding, const char* key) {
    if (QWidget* w = root->findChild<QWidget*>(QString::fromLatin1(name)))
      platform::bind(w, binding, {properties_, key});
  };
  for (const auto& [name, key] : kTimeFields) {
    QY_TimeFormatter::attachTo(root->findChild<QLineEdit*>(QString::fromLatin1(name)));
    bindTo(name, "value", key);
    bindTo(name, "enabled",
           std::string(name).find("Bulb") != std::string::npos ? "isBulbEnabled" : "isTimeLapseEnabled");
  }
  if (auto* shots = root->findChild<QLineEdit*>(QStringLiteral("oNumShotsField"))) {
    // Whole shots within the field's bounds: the device counts them in 16 bits.
    auto formatter = std::make_shared<platform::NumberFormatter>();
    formatter->setAllowsFloats(false);
    formatter->setMinimum(shots->property("minValue").isValid() ? shots->property("minValue").toDouble() : 0.0);
    formatter->setMaximum(shots->property("maxValue").isValid() ? shots->property("maxValue").toDouble() : 65535.0);
    platform::setFormatter(shots, std::move(formatter));
  }
  for (const Binding& b : kBindings) bindTo(b.control, b.binding, b.key);

  // An edit of a field (its property changed) refreshes the estimate, as the end of an edit does.
  for (const auto& [key, property] : kSavedInts) {
    QPointer<TimerViewController> self(this);
    properties_->addObserver(this, property, [self](const platform::Value&) {
      if (platform::isMainThread()) {
        if (self) self->controlTextDidEndEditing();
        return;
      }
      platform::mainQueue().async([self] {
        if (self) self->controlTextDidEndEditing();
      });
    });
  }
}

void TimerViewController::viewWillAppear() { checkBulbControls(); }

void TimerViewController::viewDidDisappear() {
  if (std::optional<platform::ValueDictionary> state = saveStateToDictionary())
    defaults().setDictionary(*state, kTimerValues);
}

bool TimerViewController::performAction(const platform::Action& action) {
  const std::string& name = action.name;
  if (name == "startIntervalometer:")
    startIntervalometer();
  else if (name == "startBulb:")
    startBulb();
  else if (name == "cancel:")
    cancel();
  else if (name == "bulbDurationButtonPressed:")
    bulbDurationButtonPressed();
  else if (name == "dismiss:")
    dismiss();
  else
    return ViewController::performAction(action);
  return true;
}

void TimerViewController::dismiss() {
  if (mParentPopover) mParentPopover->closePopover();
}

void TimerViewController::controlTextDidEndEditing() { refresh(); }

// --- saved fields ---

std::optional<platform::ValueDictionary> TimerViewController::saveStateToDictionary() const {
  if (!isViewLoaded()) return std::nullopt;
  platform::ValueDictionary d;
  for (const auto& [key, property] : kSavedInts)
    d[key] = platform::Value(int64_t{platform::valueAs<int>(properties_->valueForKeyPath(property))});
  d[kBulbSecondsKey] = platform::Value(mBulbDurationSeconds);
  d[kBulbStringKey] = platform::Value(bulbDurationString());
  d[kHdrEnabledKey] = platform::Value(hdrSwitchOn());
  return d;
}

void TimerViewController::loadStateDictionary(const platform::ValueDictionary* dictionary) {
  if (!dictionary) return;
  const auto value = [dictionary](const char* key) {
    const auto it = dictionary->find(key);
    return it == dictionary->end() ? platform::Value() : it->second;
  };
  for (const auto& [key, property] : kSavedInts)
    properties_->set(property, platform::Value(int64_t{clampToInt(value(key).toInteger())}));
  mBulbDurationSeconds = static_cast<float>(value(kBulbSecondsKey).toDouble());
  bulbDurationString_.set(value(kBulbStringKey).toString());
  if (oHdrSwitch) oHdrSwitch->setChecked(value(kHdrEnabledKey).toBool());
  refresh();
}

bool TimerViewController::hdrSwitchOn() const { return oHdrSwitch && oHdrSwitch->checked(); }

// --- what the camera allows ---

void TimerViewController::checkBulbControls() {
  if (!platform::isMainThread()) {
    onMainQueue<TimerViewController>(this, [](TimerViewController& c) { c.checkBulbControls(); });
    return;
  }
  const char* reason = nullptr;
  if (!camBulbAvailable())
    reason = "BulbNotAvailable";
  else if (!camIsBulbMode())
    reason = "BulbNotInBulbMode";
  else if (CameraController::instance().isLiveViewOn(false))
    reason = "BulbNotLiveView";
  if (reason) {
    isBulbEnabled_.set(false);
    bulbDisabledString_.set(platform::localizedString(reason));
    if (oHdrSwitch) oHdrSwitch->setEnabled(true);
    isDisabledBulbViewHidden_.set(false);
  } else {
    isBulbEnabled_.set(true);
    if (oHdrSwitch) {
      oHdrSwitch->setChecked(false);
      oHdrSwitch->setEnabled(false);
    }
    isDisabledBulbViewHidden_.set(true);
  }
  checkHdrEnabled();
  refresh();
}

void TimerViewController::checkHdrEnabled() {
  if (!oHdrSwitch) return;
  const uint32_t hdrCode = HdrViewController::propertyCode();
  PropertyCopy mode = propCopyValues(camVendorPropertyCodes().exposureMode);
  if (hdrCode != 0 && !mode) return;
  const bool usable =
      hdrCode != 0 && Utilities::isHdrAvailable() && (camIsManualExposure(mode->value) || camIsBulbMode());
  if (usable) {
    oHdrSwitch->setEnabled(true);
    return;
  }
  oHdrSwitch->setChecked(false);
  oHdrSwitch->setEnabled(false);
}

void TimerViewController::liveViewToggledNotification() {
  if (CameraController::instance().liveViewStatus() == 3) return;  // recording a movie
  checkBulbControls();
}

void TimerViewController::refresh() {
  const int64_t initialDelay = seconds(initialDelayMinutes(), initialDelaySeconds());
  const int64_t interval = seconds(shotDelayMinutes(), shotDelaySeconds());
  timer::Exposure exposure = exposureNow(hdrSwitchOn());
  exposure.bulbSeconds = mBulbDurationSeconds;
  const int64_t total = timer::estimatedSeconds(initialDelay, interval, numberShots(), exposure);
  durationStatusInfo_.set(timer::durationText(total, numberShots()));
}

// --- starting ---

void TimerViewController::startIntervalometer() { doTimeLapse(); }

void TimerViewController::doTimeLapse() {
  // Ends the edit of a field, so that what was typed counts.
  if (QWidget* focus = QApplication::focusWidget(); focus && isViewLoaded() && view()->isAncestorOf(focus))
    focus->clearFocus();

  Plan plan;
  plan.shots = numberShots();
  const int64_t initialDelay = seconds(initialDelayMinutes(), initialDelaySeconds());
  const int64_t interval = seconds(shotDelayMinutes(), shotDelaySeconds());
  // The device counts shots in 16 bits: more (from a damaged "TimerValues") would wrap into another number.
  if (plan.shots <= 0 || plan.shots > kMaxShots) {
    Utilities::showErrorMessage(platform::localizedString("InvalidShotNumber"));
    return;
  }
  if ((interval == 0 && plan.shots > 1) || !delayInRange(interval) || !delayInRange(initialDelay)) {
    Utilities::showErrorMessage(platform::localizedString("InvalidShotDelay"));
    return;
  }
  plan.initialDelay = static_cast<int>(initialDelay);
  plan.interval = static_cast<int>(interval);
  if (hdrSwitchOn()) {
    if (camIsSony() && sonyIsBracketDrive()) {
      Utilities::showErrorMessage(platform::localizedString("SonyHdrDriveModeBracketed"));
      return;
    }
    if (camIsAutoIso()) {
      Utilities::showErrorMessage(platform::localizedString("InvalidIsoAuto"));
      return;
    }
    plan.hdr = true;
    plan.hdrCode = HdrViewController::propertyCode();
    plan.hdrStart = HdrViewController::initialPropertyValue();
    plan.hdrStep = HdrViewController::stepSize();
    plan.hdrShots = HdrViewController::numberShots();
    if (plan.hdrCode == 0 || plan.hdrStart == 0 || plan.hdrStep == 0 || plan.hdrShots == 0) {
      Utilities::showErrorMessage(platform::localizedString("InvalidTimeLapseHdr"));
      return;
    }
  }
  if (camIsBulbMode()) {
    // Also refuses a duration that is no number at all.
    if (!(mBulbDurationSeconds > 0)) {
      Utilities::showErrorMessage(
          platform::localizedString(camBulbAvailable() ? "InvalidShotDuration" : "BulbNotAvailable"));
      return;
    }
    if (!bulbDurationInRange()) return;
    plan.bulb = true;
    plan.bulbSeconds = mBulbDurationSeconds;
    plan.bulbText = bulbDurationString();
  }
  plan.initialDelayText = minutesAndSeconds(plan.initialDelay);
  plan.intervalText = minutesAndSeconds(plan.interval);
  mRunEnded = false;
  QPointer<TimerViewController> self(this);
  const std::shared_ptr<Questions> questions = mQuestions;
  platform::globalQueue().async([self, questions, plan] {
    // The questions, in order; each waits for its answer. A cancel stops quietly.
    if (!questions->ignoreAutoFocus && !camIsManualFocus() && camIsAutoFocus()) {
      if (ask(platform::localizedString("TimeLapseFocusTitle"), platform::localizedString("TimeLapseFocusMessage"),
              "Yes", "Cancel") != JW_Alert::kOkResponse)
        return;
      questions->ignoreAutoFocus = true;
    }
    const int64_t needed = int64_t{plan.shots} * (plan.hdr ? plan.hdrShots : 1);
    if (!camIsSony() && camParseShotsAvailable() < needed) {
      if (ask(platform::localizedString("MemoryCardSpaceTitle"), platform::localizedString("MemoryCardSpacesMessage"),
              "Continue", "Cancel") != JW_Alert::kOkResponse)
        return;
    }
    if (!camIsFuji() && !questions->ignoreDriveMode && hdrPrepareCapture()) {
      const int64_t answer =
          ask(platform::localizedString("ContinuousShootingTitle"),
              platform::localizedString(camIsNikon() ? "ContinuousShootingNikonMsg" : "ContinuousShootingMsg"), "Yes",
              "Cancel", "No");
      if (answer == JW_Alert::kCancelResponse) return;
      // Yes switches the camera to single shots, as the HDR panel does; No keeps the drive. Either way the drive
      // is not asked about again for this start, which begins anew with the camera as it is now.
      if (answer == JW_Alert::kOkResponse) (void)camDriveModeSingle();
      questions->ignoreDriveMode = true;
      platform::mainQueue().async([self] {
        if (self) self->doTimeLapse();
      });
      return;
    }
    questions->ignoreDriveMode = false;

    if (plan.shots >= 2) {
      std::string message;
      const std::string shots = std::to_string(plan.shots);
      if (plan.hdr) {
        const char* name = propNameTableEntry(plan.hdrCode);
        if (!name) {
          Utilities::showErrorMessage(platform::localizedString("InvalidTimeLapseHdr"));
          return;
        }
        const std::string start =
            propFormatValue(plan.hdrCode, plan.hdrStart).value_or(std::to_string(static_cast<int32_t>(plan.hdrStart)));
        message = hdr::localizedWithValues(
            "TimeLapseMessageHdr", {plan.initialDelayText, shots, plan.intervalText, std::to_string(plan.hdrShots),
                                    name, start, std::to_string(plan.hdrStep)});
      } else if (plan.bulb) {
        message = hdr::localizedWithValues("TimeLapseMessageBulb",
                                           {plan.initialDelayText, shots, plan.bulbText, plan.intervalText});
      } else {
        message = hdr::localizedWithValues("TimeLapseMessage", {plan.initialDelayText, shots, plan.intervalText});
      }
      if (ask(platform::localizedString("TimeLapseConfirmationTitle"), message, "Start", "Cancel") !=
          JW_Alert::kOkResponse)
        return;
    }
    platform::mainQueue().async([self, plan] {
      if (self) self->sendTimeLapse(plan);
    });
  });
}

void TimerViewController::sendTimeLapse(const Plan& plan) {
  const uint8_t order = static_cast<uint8_t>(std::clamp<int64_t>(defaults().integerForKey("HdrStartPoint"), 0, 2));
  // Whole seconds only: the fraction of the setting is dropped (1.5 reaches the device as 1).
  const float sequenceDelay = static_cast<float>(std::max<int64_t>(0, defaults().integerForKey("SequenceDelay")));
  CommandBlockArray commands;
  commands.push_back(CommandBlock::initWithBlock(
      [plan, order, sequenceDelay] {
        CameraController& camera = CameraController::instance();
        if (camIsFuji() && camera.isLiveViewOn(false)) {
          auto done = std::make_shared<platform::Semaphore>();
          camera.toggleLiveView(false, done);
          done->wait();
        }
        return int32_t{linkStartSequence(static_cast<uint16_t>(plan.shots), plan.hdrCode, plan.hdrStart, plan.hdrStep,
                                         static_cast<uint16_t>(plan.hdrShots), order,
                                         static_cast<float>(plan.initialDelay), static_cast<float>(plan.interval),
                                         plan.bulb ? plan.bulbSeconds : 0.0f, sequenceDelay, 1)};
      },
      platform::localizedString("TimeLapseStart")));
  QPointer<TimerViewController> self(this);
  const int shots = plan.shots, interval = plan.interval;
  Command::runCommands(std::move(commands), [self, shots, interval](int32_t rc) {
    const uint16_t result = static_cast<uint16_t>(rc);
    if (result == PTP_RC_OK) {
      // The device may have reported the end before this answer came round.
      if (self && !self->mRunEnded) self->updateTimeLapseActiveViewWithShotsTaken(0, shots, interval);
    } else if (result == AUTOMATION_BUSY) {
      Utilities::showErrorMessage(platform::localizedString("TimeLapseInitiatedBusy"));
    } else {
      Utilities::showErrorMessage(platform::localizedString("TimeLapseInitiatedFailed"), result);
    }
  });
}

void TimerViewController::startBulb() {
  if (!(mBulbDurationSeconds > 0)) {
    Utilities::showErrorMessage(platform::localizedString("InvalidShotDuration"));
    return;
  }
  if (!bulbDurationInRange()) return;
  const float duration = mBulbDurationSeconds;
  const int64_t bulbDelay = seconds(bulbInitialDelayMinutes(), bulbInitialDelaySeconds());
  if (!delayInRange(bulbDelay)) {
    Utilities::showErrorMessage(platform::localizedString("InvalidShotDelay"));
    return;
  }
  const float delay = static_cast<float>(bulbDelay);
  CommandBlockArray commands;
  commands.push_back(CommandBlock::initWithBlock(
      [duration, delay] { return int32_t{linkStartSequence(1, 0, 0, 0, 0, 0, delay, 0, duration, 0, 0)}; },
      platform::localizedString("BulbSequenceStart")));
  Command::runCommands(std::move(commands), [](int32_t rc) {
    const uint16_t result = static_cast<uint16_t>(rc);
    if (result == PTP_RC_OK)
      Utilities::showInfoMessage(platform::localizedString("BulbInitiated"), "", true);
    else
      Utilities::showErrorMessage(platform::localizedString("BulbError"), result);
  });
}

bool TimerViewController::bulbDurationInRange() const {
  // A duration typed in is checked as it is typed; one from a damaged "TimerValues" is checked here.
  if (mBulbDurationSeconds <= hdr::kBulbSecondsMax) return true;
  Utilities::showErrorMessage(platform::localizedString("BulbSecondsOutOfRange"));
  return false;
}

void TimerViewController::bulbDurationButtonPressed() {
  const std::optional<QString> typed = platform::runTextInputAlert(
      QStringLiteral("Please enter the bulb duration, in seconds."), QString::asprintf("%.1f", mBulbDurationSeconds));
  if (!typed) return;
  // Anything but a finite time from 0.1 s to 24 h is refused, and the duration stays as it was.
  const std::optional<double> accepted = hdr::bulbSecondsFromText(*typed);
  if (!accepted) {
    Utilities::showErrorMessage(platform::localizedString("BulbSecondsOutOfRange"));
    return;
  }
  mBulbDurationSeconds = static_cast<float>(*accepted);
  bulbDurationString_.set(timer::bulbDurationText(*accepted));
  refresh();
}

void TimerViewController::cancel() {
  CommandBlockArray commands;
  commands.push_back(CommandBlock::initWithBlock(
      [] {
        ResponseCode result = linkCancelSequence();
        // A bulb exposure the device opened stays open until the camera is told to close it.
        if (result == PTP_RC_OK && camIsBulbMode()) result = camBulbStop();
        return int32_t{result};
      },
      platform::localizedString("TimeLapseCancel")));
  Command::runCommands(std::move(commands), [](int32_t rc) {
    const uint16_t result = static_cast<uint16_t>(rc);
    if (result != PTP_RC_OK) Utilities::showErrorMessage(platform::localizedString("TimeLapseCancelFailed"), result);
  });
}

// --- following a running time-lapse ---

void TimerViewController::timeLapseNotificationRecieved(const platform::Notification& notification) {
  const platform::Data data = notification.object.toData();
  if (data.size() < kFeedbackMinimum) return;
  updateTimeLapseActiveViewWithShotsTaken(
      automation_panels::readLe16(data, kFeedbackTakenAt), automation_panels::readLe16(data, kFeedbackTotalAt),
      timer::intervalFromDevice(automation_panels::readLeFloat(data, kFeedbackIntervalAt)));
}

void TimerViewController::updateTimeLapseActiveViewWithShotsTaken(int taken, int total, int interval) {
  if (!platform::isMainThread()) {
    onMainQueue<TimerViewController>(
        this, [=](TimerViewController& c) { c.updateTimeLapseActiveViewWithShotsTaken(taken, total, interval); });
    return;
  }
  mIntervalometerTimer.invalidate();
  automation_panels::showCovering(oFeedbackView, view());
  if (total == 0) {
    setTimeLapseActiveViewSecondsRemaining(0);
    return;
  }
  feedbackShotsRemainingString_.set(
      hdr::localizedWithValues("TimeLapseShotsCompleted", {std::to_string(taken), std::to_string(total)}));
  const int64_t initialDelay = seconds(initialDelayMinutes(), initialDelaySeconds());
  timer::Exposure exposure = exposureNow(hdrSwitchOn());
  exposure.bulbSeconds = mBulbDurationSeconds;
  mTotalSeconds = clampToInt(timer::remainingSeconds(taken, total, interval, initialDelay, exposure));
  setTimeLapseActiveViewSecondsRemaining(mTotalSeconds);
  feedbackPercent_.set(static_cast<float>(taken) / static_cast<float>(total));
  setPreferredContentSize(preferredContentSize());
  mIntervalometerTimer.start(1.0, true, [this] { decrementIntervalomterTimer(); });
}

void TimerViewController::setTimeLapseActiveViewSecondsRemaining(int seconds) {
  if (seconds < 0) {
    mIntervalometerTimer.invalidate();
    automation_panels::hideCovering(oFeedbackView);
    return;
  }
  feedbackTimeRemainingString_.set(timer::remainingText(seconds));
}

void TimerViewController::decrementIntervalomterTimer() {
  if (mTotalSeconds > std::numeric_limits<int>::min()) --mTotalSeconds;
  setTimeLapseActiveViewSecondsRemaining(mTotalSeconds);
}

void TimerViewController::timeLapseCompleteNotification() {
  mRunEnded = true;
  mIntervalometerTimer.invalidate();
  automation_panels::hideCovering(oFeedbackView);
}

bool TimerViewController::isFeedbackShown() const { return automation_panels::isCovering(oFeedbackView); }
