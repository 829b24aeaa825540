#include "app/windows/connection_view_controller.h"

#include <QCheckBox>
#include <QLayout>

#include "app/windows/app_delegate.h"
#include "app/windows/app_notifications.h"
#include "app/windows/camera_window_controller.h"
#include "app/windows/connection_state_machine.h"
#include "app/windows/tether_window_controller.h"
#include "app/windows/tripod_window_controller.h"
#include "app/windows/window_timing.h"
#include "engine/automation/tripod.h"
#include "engine/link/device_commands.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/fujifilm/fuji_models.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/sony/sony_models.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/image_view.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }
ConnectionSession& session() { return platform::Seam<ConnectionSession>::current(); }

}  // namespace

// --- the plain session -----------------------------------------------------------------------------------------

void ConnectionSession::connectToVorlaxent() { CameraController::instance().connectToVorlaxent(); }
void ConnectionSession::connectToCamera() { CameraController::instance().connectToCamera(std::nullopt); }
void ConnectionSession::startSession() { CameraController::instance().startSession(); }
void ConnectionSession::toggleHostMode(bool on) { CameraController::instance().toggleHostMode(on); }

bool ConnectionSession::tripodHeadAnswers() {
  uint32_t level = 0;
  return tripodReadBattery(&level) == PTP_RC_OK;
}

std::optional<std::string> ConnectionSession::usbPortReport() { return linkSendConnectionInfo(); }

bool ConnectionSession::isKnownModel(const std::string& model) {
  camSetModelName(model);
  // Every vendor's table, on the name alone: no camera answers a DeviceInfo here, and no session state changes.
  return canonLookupModel(model).supported || nikonLookupModel(model).supported ||
         sonyLookupModel(model).modelIndex != 0 || fujiLookupModel(model).has_value();
}

// --- the view --------------------------------------------------------------------------------------------------

ConnectionViewController::ConnectionViewController(platform::Window* parentWindow)
    : platform::ViewController(QStringLiteral("MainMenu")),
      oParentWindow(parentWindow),
      mCurrentConnectionStatus(kConnectionStatusLinkFailed) {}

ConnectionViewController::~ConnectionViewController() {
  *mAlive = false;
  for (const platform::ObserverToken& token : mObservers) platform::NotificationCenter::defaultCenter().removeObserver(token);
}

void ConnectionViewController::loadView() {
  // The view is the connection part of the main interface file; the menu part is the application delegate's.
  std::unique_ptr<QWidget> root(platform::loadInterfaceRoot(nibName()));
  QWidget* view = root ? root->findChild<QWidget*>(QStringLiteral("oConnectionView")) : nullptr;
  if (!view) {
    platform::ViewController::loadView();
    return;
  }
  view->setParent(nullptr);
  setView(view);
}

void ConnectionViewController::viewDidLoad() {
  oConnectButton = outlet<SYFlatButton>("oConnectButton");
  oSettingsButton = outlet<SYFlatButton>("oSettingsButton");
  oTransferOnlyCheckButton = outlet<QCheckBox>("oTransferOnlyCheckButton");
  oDeviceImageView = outlet<platform::ImageView>("oDeviceImageView");
  if (oParentWindow) connect(oParentWindow, &platform::Window::didBecomeKey, this, [this] { windowDidBecomeKey(); });
  if (oConnectButton) oConnectButton->setAction([this](SYFlatButton*) { connectAction(); });
  if (oSettingsButton) {
    oSettingsButton->setImage(VorlaxentStyleKit::imageOfGearWithSize(platform::Size{30, 30}));
    oSettingsButton->setAction([this](SYFlatButton*) { settingsAction(); });
  }
  if (oDeviceImageView)
    oDeviceImageView->setImage(VorlaxentStyleKit::imageOfVorlaxentDeviceWithSize(platform::Size{144, 144}));
  platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
  mObservers.push_back(center.addObserverForName(
      kVorlaxentConnectionStatusNotification, nullptr,
      [this](const platform::Notification& n) { connectionStatusChangedNotification(n); }));
  mObservers.push_back(center.addObserverForName(kSessionStartedNotification, nullptr, [this, alive = mAlive](const platform::Notification&) {
    // Posted from the session start's return block, on the main queue; a post from elsewhere hops there.
    if (platform::isMainThread()) {
      sessionStartedNotification();
      return;
    }
    platform::mainQueue().async([this, alive] {
      if (*alive) sessionStartedNotification();
    });
  }));
  mCurrentConnectionStatus = kConnectionStatusLinkFailed;
  if (oTransferOnlyCheckButton) oTransferOnlyCheckButton->setChecked(defaults().boolForKey("JWSetting_TetherOnlyMode"));
}

void ConnectionViewController::viewDidAppear() {
  const QString title = DocumentWindowController::titleWithDeviceAddress();
  if (oParentWindow && !title.isEmpty()) oParentWindow->setWindowTitle(title);
}

void ConnectionViewController::connectAction() {
  mRunAutoReconnect = false;
  mCheckingCameraStatus = false;
  mReconnectTimer.invalidate();
  ++mGeneration;
  mCurrentConnectionStatus = kConnectionStatusConnecting;
  session().connectToVorlaxent();
}

void ConnectionViewController::settingsAction() { AppDelegate::showSettingsWindow(); }

void ConnectionViewController::reconnect() {
  if (mRunAutoReconnect) session().connectToVorlaxent();
}

void ConnectionViewController::connectionStatusChangedNotification(const platform::Notification& notification) {
  if (!notification.object.isNumber()) return;
  const int32_t status = Utilities::connectionStatusForInteger(notification.object.toInteger());
  if (platform::isMainThread()) {
    connectionStatusChanged(status);
    return;
  }
  platform::mainQueue().async([this, alive = mAlive, status] {
    if (*alive) connectionStatusChanged(status);
  });
}

void ConnectionViewController::enterState(int32_t state) {
  mCurrentConnectionStatus = state;
  Utilities::setCurrentConnectionStatus(state);
}

void ConnectionViewController::connectionStatusChanged(int32_t status) {
  ++mGeneration;
  const ConnectionTransition t = connectionTransition(status, mCurrentConnectionStatus, mCheckingCameraStatus);
  mCheckingCameraStatus = t.checkingCamera;
  switch (t.step) {
    case ConnectionStep::AskForCamera:
      enterState(t.newState);
      session().connectToCamera();
      return;
    case ConnectionStep::StartSession:
      enterState(t.newState);
      session().startSession();
      return;
    case ConnectionStep::CameraMissing:
      cameraMissing(t.reconnectEligible);
      return;
    case ConnectionStep::None:
      break;
  }
  // The state is taken before a message shows: a modal alert lets later statuses through while it is up.
  enterState(t.newState);
  if (!t.message.empty()) showMessage(t.message, t.help, t.reconnectEligible);
}

void ConnectionViewController::cameraMissing(bool eligible) {
  const uint64_t generation = mGeneration;
  const bool firstConnection = !mCheckingCameraStatus && !mRunAutoReconnect;
  // The device is asked on a worker: a device that is slow to answer never freezes the window.
  platform::globalQueue().async([this, alive = mAlive, generation, firstConnection, eligible] {
    MissingCameraAnswer answer = MissingCameraAnswer::NotConnected;
    if (firstConnection && session().tripodHeadAnswers()) {
      answer = MissingCameraAnswer::OfferTripod;
    } else if (const std::optional<std::string> report = session().usbPortReport()) {
      answer = session().isKnownModel(*report) ? MissingCameraAnswer::KnownModel : MissingCameraAnswer::NotConnected;
    }
    platform::mainQueue().async([this, alive, generation, answer, eligible] {
      // The view has gone, or the connection has moved on since (Connect pressed, another status): too late.
      if (!*alive || generation != mGeneration) return;
      missingCameraAnswered(answer, eligible);
    });
  });
}

void ConnectionViewController::missingCameraAnswered(MissingCameraAnswer answer, bool eligible) {
  if (answer == MissingCameraAnswer::OfferTripod) {
    // The state stays at 4, and the application-wide status as it was.
    if (shouldShowTripodOnlyControls()) showTripodControls();
    return;
  }
  enterState(kConnectionStatusDeviceConnected);
  if (answer == MissingCameraAnswer::KnownModel)
    showMessage(connection_texts::kFirmwareUpdate, {}, eligible);
  else
    showMessage(connection_texts::kCameraNotConnected, connection_texts::cameraHelp(), eligible);
}

void ConnectionViewController::showMessage(const std::string& message, const std::string& help, bool eligible) {
  const MessagePresentation p = presentationFor(eligible, mRunAutoReconnect, defaults().boolForKey("AutoReconnect"));
  if (p.showForAWhileAndReconnect) {
    Utilities::showAndDismissErrorMessage(message, window_timing::kReconnectMessageShown);
    mRunAutoReconnect = true;
    // One attempt at a time: a second message while one waits does not dial twice.
    if (!mReconnectTimer.isValid())
      mReconnectTimer.start(window_timing::kReconnectDelay, false, [this] { reconnect(); });
    return;
  }
  if (!help.empty())
    Utilities::showErrorMessage(message, help);
  else
    Utilities::showErrorMessage(message);
}

bool ConnectionViewController::shouldShowTripodOnlyControls() {
  std::shared_ptr<JW_Alert> alert = JW_Alert::jwAlertWithStyle(1);
  alert->setOkButtonText(QStringLiteral("Use Tripod"), nullptr);
  alert->setCancelButtonText(QStringLiteral("Exit"), nullptr);
  alert->setTitleText(QString::fromStdString(platform::localizedString("ShowTripodOnlyTitle")));
  alert->setInformationText(QString::fromStdString(platform::localizedString("ShowTripodOnlyMessage")));
  alert->show();
  return alert->waitForButton() == JW_Alert::kOkResponse;
}

void ConnectionViewController::showTripodControls() {
  if (oParentWindow) oParentWindow->orderOut();
  mSessionWindow = TripodWindowController::createAndShowWindow();
}

void ConnectionViewController::sessionStartedNotification() {
  const bool tetherOnly = oTransferOnlyCheckButton && oTransferOnlyCheckButton->isChecked();
  defaults().setBool(tetherOnly, "JWSetting_TetherOnlyMode");
  if (oParentWindow) oParentWindow->orderOut();
  // The camera came back after a failed poll while its window stayed open: that window takes the new session.
  if (mSessionWindow && mSessionWindow->isWindowLoaded() && mSessionWindow->window()->isVisible() &&
      (qobject_cast<CameraWindowController*>(mSessionWindow) || qobject_cast<TetherWindowController*>(mSessionWindow))) {
    mSessionWindow->sessionRestarted();
    return;
  }
  if (tetherOnly) {
    mSessionWindow = TetherWindowController::createAndShowWindow();
    return;
  }
  mSessionWindow = CameraWindowController::createAndShowWindow();
  if (camIsNikon() || camIsFuji()) session().toggleHostMode(defaults().boolForKey("HostMode"));
}

void ConnectionViewController::windowDidBecomeKey() { refreshMenu(); }

void ConnectionViewController::refreshMenu() { postRefreshMenu(this, false); }

// --- the window ------------------------------------------------------------------------------------------------

ConnectionWindowController::ConnectionWindowController() : DocumentWindowController(QString()) {}

ConnectionViewController* ConnectionWindowController::connectionViewController() const {
  return qobject_cast<ConnectionViewController*>(contentViewController());
}

void ConnectionWindowController::windowDidLoad() {
  installContentViewController(new ConnectionViewController(window()), QSize(440, 300));
}
