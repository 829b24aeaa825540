#include "app/windows/status_bar_view_controller.h"

#include <QLabel>
#include <cstdio>

#include "app/windows/window_timing.h"
#include "engine/automation/automation_checks.h"
#include "engine/link/device_commands.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/ui/image_view.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "ui_StatusBarView.h"

VX_INTERFACE_FILE("StatusBarView", Ui::StatusBarView);

namespace {

// A camera that draws this much current (mA) or more from the device is powered by it.
constexpr int16_t kPowerDrawCurrent = -1351;
// Above this many free bytes the device card's space is shown as normal, else as a warning.
constexpr uint64_t kLowSpaceBytes = 500000000;
// Up to this many shots left the camera's count is shown as a warning.
constexpr int kFewShots = 5;

void setTextColour(QLabel* label, const QColor& colour) {
  if (!label) return;
  QPalette p = label->palette();
  p.setColor(QPalette::WindowText, colour);
  label->setPalette(p);
}

void replaceAll(std::string& text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

platform::Size boundsSize(const QWidget* view) {
  return view ? platform::Size{double(view->width()), double(view->height())} : platform::Size{0, 0};
}

}  // namespace

StatusBarViewController::StatusBarViewController() : platform::ViewController(QStringLiteral("StatusBarView")) {}

StatusBarViewController::~StatusBarViewController() {
  *mAlive = false;
  for (const platform::ObserverToken& token : mObservers) platform::NotificationCenter::defaultCenter().removeObserver(token);
}

const QColor& StatusBarViewController::normalTextColour() {
  static const QColor c = QColor::fromRgbF(0.8f, 0.8f, 0.8f, 1.0f);
  return c;
}

const QColor& StatusBarViewController::warningTextColour() {
  static const QColor c = platform::Color::redColor().toQColor();
  return c;
}

std::string StatusBarViewController::sdSpaceText(uint64_t freeBytes) {
  char text[64];
  const double gigabytes = double(freeBytes) / 1e9;
  if (gigabytes > 1)
    std::snprintf(text, sizeof text, "Space: %.1f GB", gigabytes);
  else
    std::snprintf(text, sizeof text, "Space: %d MB", int(double(freeBytes) / 1e6));
  return text;
}

QColor StatusBarViewController::sdSpaceColour(uint64_t freeBytes) {
  return freeBytes > kLowSpaceBytes ? normalTextColour() : warningTextColour();
}

std::string StatusBarViewController::cleanedCameraName(std::string name) {
  if (name.find("EOS Rebel") == std::string::npos) {
    replaceAll(name, "Canon EOS-", "");
    replaceAll(name, "Canon EOS", "");
  }
  for (const char* word : {"Canon", "DIGITAL", "PowerShot"}) replaceAll(name, word, "");
  replaceAll(name, "MODEL-NAME", "ILCE-1");
  return name;
}

void StatusBarViewController::onMain(std::function<void()> block) {
  platform::mainQueue().async([alive = mAlive, block = std::move(block)] {
    if (*alive) block();
  });
}

void StatusBarViewController::viewDidLoad() {
  oCameraIconImageView = outlet<platform::ImageView>("oCameraIconImageView");
  oCameraBatteryImageView = outlet<platform::ImageView>("oCameraBatteryImageView");
  oCameraNameTextField = outlet<QLabel>("oCameraNameTextField");
  oCameraNumShotsTextField = outlet<QLabel>("oCameraNumShotsTextField");
  oVorlaxentIconImageView = outlet<platform::ImageView>("oVorlaxentIconImageView");
  oVorlaxentBatteryImageView = outlet<platform::ImageView>("oVorlaxentBatteryImageView");
  oVorlaxentBatteryTextField = outlet<QLabel>("oVorlaxentBatteryTextField");
  oVorlaxentSdCardImageView = outlet<platform::ImageView>("oVorlaxentSdCardImageView");
  oVorlaxentSdCardNumShotsTextField = outlet<QLabel>("oVorlaxentSdCardNumShotsTextField");
  mSony = camIsSony();
  mSonyOrFuji = camIsSony() || camIsFuji();

  // Icons, drawn at the views' sizes (the card at its own proportions).
  if (oCameraIconImageView)
    oCameraIconImageView->setImage(VorlaxentStyleKit::imageOfLightCameraWithSize(boundsSize(oCameraIconImageView)));
  if (oVorlaxentSdCardImageView) oVorlaxentSdCardImageView->setImage(VorlaxentStyleKit::imageOfSDCardWithSize({180, 225}));
  if (oVorlaxentIconImageView)
    oVorlaxentIconImageView->setImage(VorlaxentStyleKit::imageOfVorlaxentDeviceWithSize(boundsSize(oVorlaxentIconImageView)));
  for (QLabel* field : {oCameraNumShotsTextField, oVorlaxentSdCardNumShotsTextField, oCameraNameTextField})
    if (field) field->clear();
  setTextColour(oCameraNameTextField, normalTextColour());
  setTextColour(oVorlaxentBatteryTextField, normalTextColour());
  if (oVorlaxentBatteryTextField) oVorlaxentBatteryTextField->clear();

  platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
  mObservers.push_back(center.addObserverForName(kCameraBatteryPercentageNotification, nullptr,
                                                 [this](const platform::Notification& n) { cameraBatteryUpdateNotification(n); }));
  mObservers.push_back(center.addObserverForName(kUpdateSdCardSpaceNotification, nullptr,
                                                 [this](const platform::Notification&) { updateVorlaxentSdShotsAvailableNotification(); }));
  mObservers.push_back(center.addObserverForName(kSdCardStatusNotification, nullptr,
                                                 [this](const platform::Notification& n) { sdCardNotification(n); }));
  const uint32_t shotsCode = camVendorPropertyCodes().shotsAvailable;
  if (!mSony && shotsCode != 0)
    mObservers.push_back(center.addObserverForName("JW_" + std::to_string(shotsCode), nullptr,
                                                   [this](const platform::Notification&) { availableShotsPropertyNotification(); }));
  if (oCameraNumShotsTextField) oCameraNumShotsTextField->setHidden(mSony);

  updateVorlaxentBattery();
  mVorlaxentBatteryTimer.start(window_timing::kDeviceBatteryInterval, true, [this] { updateVorlaxentBattery(); });

  // The model name may have to be read from the camera: never on the main thread.
  platform::globalQueue().async([this, alive = mAlive] {
    const std::optional<std::string> model = camModelName();
    if (!model) return;
    platform::mainQueue().async([this, alive, name = cleanedCameraName(*model)] {
      if (*alive && oCameraNameTextField) oCameraNameTextField->setText(QString::fromStdString(name));
    });
  });

  mSdCardInserted = true;
  mCameraSdCardWarningShown = false;
  updateVorlaxentSdShotsAvailable();
  CameraController::instance().checkBattery();

  if (camStatusFeatureAvailable()) {
    platform::globalQueue().async([] {
      DeviceBatteryStatus status;
      if (linkGetStatus(&status) == PTP_RC_OK && status.current <= kPowerDrawCurrent)
        Utilities::showWarningMessage(
            "It appears that your camera is set to draw power from the Vorlaxent. This should be turned off within "
            "the camera's menu.");
    });
  }
}

void StatusBarViewController::viewDidDisappear() {
  mVorlaxentBatteryTimer.invalidate();
  mCardRefreshTimer.invalidate();
}

void StatusBarViewController::updateVorlaxentSdShotsAvailableNotification() {
  // Posted on the main thread by the windows and on the event thread by the session for a file new on the card;
  // either way a burst of notices within the delay ends in one query, made from the main thread.
  if (!platform::isMainThread()) {
    onMain([this] { updateVorlaxentSdShotsAvailableNotification(); });
    return;
  }
  mCardRefreshTimer.start(window_timing::kCardRefreshDelay, false, [this] { updateVorlaxentSdShotsAvailable(); });
}

void StatusBarViewController::updateVorlaxentSdShotsAvailable() {
  platform::globalQueue().async([this, alive = mAlive] {
    uint64_t present = 0, freeBytes = 0;
    const uint16_t result = linkGetSdShotsAvailable(&present, &freeBytes);
    platform::mainQueue().async([this, alive, result, present, freeBytes] {
      if (*alive) showCardState(result, present != 0, freeBytes);
    });
  });
}

void StatusBarViewController::showCardState(uint16_t result, bool present, uint64_t freeBytes) {
  if (result != PTP_RC_OK) {
    Utilities::showErrorMessage("Unable to determine Vorlaxent SD card status.");
    if (oVorlaxentSdCardImageView) platform::setAlphaValue(oVorlaxentSdCardImageView, 0.25);
    return;
  }
  if (present) {
    if (oVorlaxentSdCardImageView) platform::setAlphaValue(oVorlaxentSdCardImageView, 1.0);
    setTextColour(oVorlaxentSdCardNumShotsTextField, sdSpaceColour(freeBytes));
    if (oVorlaxentSdCardNumShotsTextField)
      oVorlaxentSdCardNumShotsTextField->setText(QString::fromStdString(sdSpaceText(freeBytes)));
    return;
  }
  if (oVorlaxentSdCardImageView) platform::setAlphaValue(oVorlaxentSdCardImageView, 0.25);
  if (oVorlaxentSdCardNumShotsTextField) oVorlaxentSdCardNumShotsTextField->clear();
  if (mSdCardInserted) {
    // Sony and Fujifilm pictures go through the device's card: without one nothing can be taken.
    if (mSonyOrFuji)
      Utilities::showErrorMessage("No SD card detected in the Vorlaxent! An SD card is required to capture images.");
    mSdCardInserted = false;
  }
}

void StatusBarViewController::sdCardNotification(const platform::Notification& notification) {
  if (!platform::isMainThread()) {
    onMain([this, notification] { sdCardNotification(notification); });
    return;
  }
  if (notification.object.toBool()) {
    Utilities::showInfoMessage("SD card inserted in the Vorlaxent", "");
    mSdCardInserted = true;
  }
  updateVorlaxentSdShotsAvailable();
}

void StatusBarViewController::availableShotsPropertyNotification() {
  if (mSony) return;
  // The count comes from the engine's records; read off the main thread like every other device value.
  platform::globalQueue().async([this, alive = mAlive] {
    const int shots = camParseShotsAvailable();
    platform::mainQueue().async([this, alive, shots] {
      if (*alive) showShots(shots);
    });
  });
}

void StatusBarViewController::showShots(int shots) {
  if (shots > kFewShots) {
    setTextColour(oCameraNumShotsTextField, normalTextColour());
    mCameraSdCardWarningShown = false;
  } else {
    setTextColour(oCameraNumShotsTextField, warningTextColour());
  }
  if (oCameraNumShotsTextField) oCameraNumShotsTextField->setText(QStringLiteral("Shots: %1").arg(shots));
  if (shots == 0 && !mCameraSdCardWarningShown) {
    Utilities::showErrorMessage("The camera's SD card may be full or missing.");
    mCameraSdCardWarningShown = true;
  }
}

void StatusBarViewController::cameraBatteryUpdateNotification(const platform::Notification& notification) {
  if (!platform::isMainThread()) {
    onMain([this, notification] { cameraBatteryUpdateNotification(notification); });
    return;
  }
  int percentage = int(notification.object.toInteger());
  if (percentage < 10) percentage = 0;
  mShownCameraBattery = percentage;
  if (oCameraBatteryImageView)
    oCameraBatteryImageView->setImage(VorlaxentStyleKit::imageOfBatteryWithSize({120, 120}, percentage, false));
}

void StatusBarViewController::updateVorlaxentBattery() {
  platform::globalQueue().async([this, alive = mAlive] {
    DeviceBatteryStatus status;
    if (linkGetStatus(&status) != PTP_RC_OK) return;  // a failed read changes nothing
    platform::mainQueue().async([this, alive, status] {
      if (!*alive) return;
      mShownDeviceBattery = status.remainingPercentage;
      if (oVorlaxentBatteryImageView)
        oVorlaxentBatteryImageView->setImage(VorlaxentStyleKit::imageOfBatteryWithSize(
            {120, 120}, status.remainingPercentage, status.remainingTime == 0xFFFF));
      if (oVorlaxentBatteryTextField)
        oVorlaxentBatteryTextField->setText(QStringLiteral("%1%").arg(status.remainingPercentage));
    });
  });
}
