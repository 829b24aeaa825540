#include "app/windows/tether_window_controller.h"

#include <QLabel>
#include <QLayout>
#include <cstring>

#include "app/windows/app_delegate.h"
#include "app/windows/app_notifications.h"
#include "app/windows/status_bar_view_controller.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/color_controls.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/ptp_object_info_class.h"
#include "session/utilities.h"
#include "ui_TetherWindow.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"
#include "widgets/yrk_spinning_progress_indicator.h"

VX_INTERFACE_FILE("TetherWindow", Ui::TetherWindow);

namespace {

constexpr uint32_t kNikonShotsAvailable = 0xD1F1;

// Whether a download-error alert is up, and that alert (kept until the next one replaces it). Main thread only.
bool g_downloadErrorShown = false;
std::shared_ptr<JW_Alert>& downloadErrorAlert() {
  static std::shared_ptr<JW_Alert> alert;
  return alert;
}

void post(const std::string& name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

}  // namespace

// --- the view --------------------------------------------------------------------------------------------------

TetherViewController::TetherViewController(TetherWindowController* parentWindowController)
    : platform::ViewController(QStringLiteral("TetherWindow")), oParentWindowController(parentWindowController) {}

TetherViewController::~TetherViewController() {
  *mAlive = false;
  for (const platform::ObserverToken& token : mObservers) platform::NotificationCenter::defaultCenter().removeObserver(token);
  mStatusBarViewController.reset();
}

void TetherViewController::onMain(std::function<void()> block) {
  platform::mainQueue().async([alive = mAlive, block = std::move(block)] {
    if (*alive) block();
  });
}

void TetherViewController::viewDidLoad() {
  oStatusBarParentView = outlet<QWidget>("oStatusBarParentView");
  oTransferingLabel = outlet<QLabel>("oTransferingLabel");
  oProgressIndicator = outlet<YRKSpinningProgressIndicator>("oProgressIndicator");
  oSettingsButton = outlet<SYFlatButton>("oSettingsButton");
  if (oSettingsButton) {
    oSettingsButton->setImage(VorlaxentStyleKit::imageOfGearWithSize(platform::Size{24, 24}));
    oSettingsButton->setAction([this](SYFlatButton*) {
      if (oParentWindowController) oParentWindowController->settingsAction();
    });
  }
  if (oProgressIndicator) oProgressIndicator->hide();
  platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
  mObservers.push_back(center.addObserverForName(kVorlaxentConnectionStatusNotification, nullptr,
                                                 [this](const platform::Notification& n) { connectionStatusChangedNotification(n); }));
  mObservers.push_back(center.addObserverForName(kNewObjectNotification, nullptr,
                                                 [this](const platform::Notification& n) { newObjectNotification(n); }));
  mStatusBarViewController = std::make_unique<StatusBarViewController>();
  embedView(oStatusBarParentView, mStatusBarViewController->view());
  if (oProgressIndicator) {
    // The indicator draws at full brightness on the dark window.
    platform::ColorControls controls;
    controls.brightness = 1;
    oProgressIndicator->setGraphicsEffect(new platform::ColorControlsEffect(controls));
  }
  sessionStarted();
}

void TetherViewController::sessionStarted() {
  post(kSdCardWebEnabledToggledNotification, platform::Value(false));
  openCameraEventGate();
  if (camIsNikon()) post("JW_" + std::to_string(kNikonShotsAvailable));
}

void TetherViewController::connectionStatusChangedNotification(const platform::Notification& notification) {
  if (Utilities::connectionStatusForInteger(notification.object.toInteger()) == kConnectionStatusCameraConnected) return;
  onMain([this] {
    if (oParentWindowController) oParentWindowController->close();
  });
}

void TetherViewController::newObjectNotification(const platform::Notification& notification) {
  downloadObject(notification.object.object<PtpObjectInfoClass>());
}

void TetherViewController::downloadObject(std::shared_ptr<const PtpObjectInfoClass> object) {
  if (!object || formatIsMovie(object->objectFormat())) return;
  // The label and the count change on the main queue; the download itself needs nothing from it and starts at
  // once, so that a burst does not leave the link idle while the main loop gets round to each picture. The
  // count's hop is queued before the download can end, so it is up before the end takes it down.
  if (platform::isMainThread()) showTransferring(object);
  else onMain([this, object] { showTransferring(object); });
  startDownload(object);
}

void TetherViewController::showTransferring(const std::shared_ptr<const PtpObjectInfoClass>& object) {
  const PtpObjectInfoStruct& record = *object->origObjectInfo();
  const std::string name(record.fileName, strnlen(record.fileName, sizeof record.fileName));
  if (oTransferingLabel) oTransferingLabel->setText(QStringLiteral("Transferring %1").arg(QString::fromStdString(name)));
  if (oProgressIndicator) {
    oProgressIndicator->show();
    oProgressIndicator->startAnimation();
  }
  ++mDownloadsRunning;
}

void TetherViewController::startDownload(std::shared_ptr<const PtpObjectInfoClass> object) {
  const PtpObjectInfoStruct record = *object->origObjectInfo();
  const std::string name(record.fileName, strnlen(record.fileName, sizeof record.fileName));
  platform::globalQueue().async([this, alive = mAlive, object, record, name] {
    const std::optional<std::vector<uint8_t>> data =
        CameraController::instance().doDownloadImage(*object, false, false, false);
    // Only a picture that reached the save folder belongs to the session: a failed one is fetched again by the
    // next "load missed images".
    if (data) CameraController::instance().addObjectToSession(&record);
    else showDownloadError("Failed to download image: " + name);
    platform::mainQueue().async([this, alive] {
      if (!*alive) return;
      if (--mDownloadsRunning > 0) return;
      if (oTransferingLabel) oTransferingLabel->setText(QStringLiteral("Idle"));
      if (oProgressIndicator) {
        oProgressIndicator->stopAnimation();
        oProgressIndicator->hide();
      }
    });
  });
}

void TetherViewController::showDownloadError(const std::string& message) {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([message] { showDownloadError(message); });
    return;
  }
  if (g_downloadErrorShown) return;
  g_downloadErrorShown = true;
  std::shared_ptr<JW_Alert> alert = JW_Alert::jwAlertWithStyle(2);
  alert->setTitleText(QStringLiteral("Error"));
  alert->setInformationText(QString::fromStdString(message));
  alert->setOkButtonText(QStringLiteral("OK"), [](QObject*) { g_downloadErrorShown = false; });
  downloadErrorAlert() = alert;
  alert->showNonModal();
}

bool TetherViewController::isDownloadErrorShown() { return g_downloadErrorShown; }

// --- the window ------------------------------------------------------------------------------------------------

TetherWindowController::TetherWindowController() : DocumentWindowController(QString()) {}

TetherWindowController* TetherWindowController::createAndShowWindow() {
  return createAndShow<TetherWindowController>(true);
}

TetherViewController* TetherWindowController::tetherViewController() const {
  return qobject_cast<TetherViewController*>(contentViewController());
}

void TetherWindowController::windowDidLoad() {
  installContentViewController(new TetherViewController(this), QSize(620, 0));
  if (platform::UserDefaults::standardUserDefaults().boolForKey("LoadMissedImages"))
    CameraController::instance().loadMissedImages();
}

void TetherWindowController::settingsAction() { AppDelegate::showSettingsWindow(); }

void TetherWindowController::sessionRestarted() { openCameraEventGate(); }
