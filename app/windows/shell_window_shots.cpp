// Window states of the connection, camera and tether-only windows and the status bar, for vorlaxent-window-shots.
#include <QLabel>
#include <QPainter>
#include <memory>

#include "app/tools/shot_registry.h"
#include "app/windows/app_delegate.h"
#include "app/windows/camera_window_controller.h"
#include "app/windows/connection_state_machine.h"
#include "app/windows/connection_view_controller.h"
#include "app/windows/status_bar_view_controller.h"
#include "app/windows/tether_window_controller.h"
#include "app/windows/window_test_support.h"
#include "guitest/user_actions.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/window.h"
#include "session/camera_event_pump.h"
#include "session/notification_names.h"
#include "widgets/jw_alert.h"

namespace {

using window_shots::ShotContext;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

platform::Window* connectionWindow(ShotContext& shot) {
  AppDelegate& delegate = shot.harness().appDelegate();
  delegate.loadMainWindow();
  delegate.connectionWindowController()->showWindow();
  platform::Window* window = delegate.window();
  guitest::showWindow(window);
  return window;
}

// A window with an alert over its middle, as the screen shows them, in one picture.
QWidget* pictureOf(ShotContext& shot, const QImage& below, const QImage& above) {
  QImage both(below.size().expandedTo(above.size()), QImage::Format_ARGB32);
  both.fill(QColor(0x32, 0x32, 0x32));
  QPainter p(&both);
  p.drawImage(0, 0, below);
  const QPoint at((both.width() - above.width()) / 2, (both.height() - above.height()) / 2);
  p.fillRect(QRect(at + QPoint(4, 6), above.size()), QColor(0, 0, 0, 90));  // the alert's shadow
  p.drawImage(at, above);
  p.end();
  auto* picture = new QLabel;
  picture->setPixmap(QPixmap::fromImage(both));
  picture->setFixedSize(both.size());
  shot.keep(std::unique_ptr<QLabel>(picture));
  return picture;
}

QWidget* withAlert(ShotContext& shot, QWidget* window, std::shared_ptr<JW_Alert> alert) {
  alert->showNonModal();
  shot.keep(alert);
  guitest::showWindow(alert->window());
  guitest::Harness::settle();
  QWidget* picture = pictureOf(shot, guitest::render(window), guitest::render(alert->window()));
  alert->close();
  return picture;
}

const bool connectionShots[] = {
    window_shots::registerShot({"connection-window", "", "the connection window as the application starts",
                                [](ShotContext& shot) -> QWidget* { return connectionWindow(shot); }}),
    window_shots::registerShot(
        {"connection-window-failure", "", "the connection window with the alert of a failed first connection",
         [](ShotContext& shot) -> QWidget* {
           QWidget* window = connectionWindow(shot);
           auto alert = JW_Alert::jwAlertWithStyle(2);
           alert->setTitleText(QStringLiteral("Error"));
           alert->setInformationText(QString::fromStdString(connection_texts::unableToConnect("")));
           alert->setHelpText(QString::fromStdString(connection_texts::wifiHelp()));
           return withAlert(shot, window, alert);
         }}),
    window_shots::registerShot(
        {"connection-window-tripod-offer", "", "the connection window offering tripod-only use (no camera)",
         [](ShotContext& shot) -> QWidget* {
           QWidget* window = connectionWindow(shot);
           auto alert = JW_Alert::jwAlertWithStyle(1);
           alert->setOkButtonText(QStringLiteral("Use Tripod"), nullptr);
           alert->setCancelButtonText(QStringLiteral("Exit"), nullptr);
           alert->setTitleText(QString::fromStdString(platform::localizedString("ShowTripodOnlyTitle")));
           alert->setInformationText(QString::fromStdString(platform::localizedString("ShowTripodOnlyMessage")));
           return withAlert(shot, window, alert);
         }}),
};

// The status bar of a connected camera in a window of the camera window's width, once it has read the device.
QWidget* statusBar(ShotContext& shot, const std::function<void(StatusBarViewController&)>& then = {}) {
  auto* bar = shot.keep(std::make_unique<StatusBarViewController>());
  auto* window = shot.keep(std::make_unique<platform::Window>());
  window->setContentView(bar->view());
  window->setContentSize({900, 40});
  guitest::showWindow(window);
  startCameraEventDispatch();
  shot.harness().waitUntil([bar] {
    return !bar->oVorlaxentSdCardNumShotsTextField->text().isEmpty() && bar->shownDeviceBattery() >= 0 &&
           !bar->oCameraNameTextField->text().isEmpty();
  });
  if (then) then(*bar);
  guitest::Harness::settle();
  return window;
}

void post(const std::string& name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

const bool statusBarShots[] = {
    window_shots::registerShot({"status-bar-canon", "canon", "the status bar of a Canon body with a card in the device",
                                [](ShotContext& shot) -> QWidget* {
                                  return statusBar(shot, [&](StatusBarViewController& bar) {
                                    post("JW_" + std::to_string(0xD11B));
                                    shot.harness().waitUntil([&] { return !bar.oCameraNumShotsTextField->text().isEmpty(); });
                                  });
                                }}),
    window_shots::registerShot(
        {"status-bar-warnings", "nikon", "a Nikon body at 7 %, no shots left, the device card nearly full",
         [](ShotContext& shot) -> QWidget* {
           shot.rig()->commands().card().setCapacity(420000000);
           auto camera = shot.rig()->cameraAs<devicesim::NikonCamera>();
           return statusBar(shot, [&](StatusBarViewController& bar) {
             post(kCameraBatteryPercentageNotification, platform::Value(7));
             camera->turnDial(0xD1F1, 0);
             shot.harness().waitUntil([&] { return bar.oCameraNumShotsTextField->text() == "Shots: 0"; });
             post(kUpdateSdCardSpaceNotification);
             shot.harness().waitUntil([&] { return bar.oVorlaxentSdCardNumShotsTextField->text() == "Space: 420 MB"; });
           });
         }}),
    window_shots::registerShot({"status-bar-no-card", "sony", "a Sony body with the device's card pulled out",
                                [](ShotContext& shot) -> QWidget* {
                                  return statusBar(shot, [&](StatusBarViewController& bar) {
                                    shot.rig()->commands().setCardPresent(shot.rig()->device(), false);
                                    shot.harness().waitUntil([&] {
                                      return bar.oVorlaxentSdCardNumShotsTextField->text().isEmpty();
                                    });
                                  });
                                }}),
};

QWidget* cameraWindow(ShotContext& shot) {
  CameraWindowController* camera = CameraWindowController::createAndShowWindow();
  guitest::showWindow(camera->window());
  StatusBarViewController* bar = camera->statusBarViewController();
  shot.harness().waitUntil([bar] {
    return !bar->oVorlaxentSdCardNumShotsTextField->text().isEmpty() && bar->shownDeviceBattery() >= 0;
  });
  return camera->window();
}

const bool cameraWindowShots[] = {
    window_shots::registerShot({"camera-window", "canon", "the camera window with every panel shown (empty parents)",
                                [](ShotContext& shot) -> QWidget* { return cameraWindow(shot); }}),
    window_shots::registerShot({"camera-window-no-controls", "canon", "the camera window with the control panel hidden",
                                [](ShotContext& shot) -> QWidget* {
                                  defaults().setBool(false, "ControlsVisibility");
                                  return cameraWindow(shot);
                                }}),
    window_shots::registerShot({"camera-window-no-strip", "fuji", "the camera window with the thumbnail strip hidden",
                                [](ShotContext& shot) -> QWidget* {
                                  defaults().setBool(false, "ThumbnailStripVisibility");
                                  return cameraWindow(shot);
                                }}),
};

TetherViewController* tetherWindow(ShotContext& shot) {
  TetherWindowController* tether = TetherWindowController::createAndShowWindow();
  guitest::showWindow(tether->window());
  StatusBarViewController* bar = tether->tetherViewController()->statusBarViewController();
  shot.harness().waitUntil([bar] {
    return !bar->oVorlaxentSdCardNumShotsTextField->text().isEmpty() && bar->shownDeviceBattery() >= 0;
  });
  return tether->tetherViewController();
}

const bool tetherShots[] = {
    window_shots::registerShot({"tether-window-idle", "canon", "the tether-only window waiting for pictures",
                                [](ShotContext& shot) -> QWidget* { return tetherWindow(shot)->view()->window(); }}),
    window_shots::registerShot({"tether-window-transferring", "sony", "the tether-only window while a picture comes in",
                                [](ShotContext& shot) -> QWidget* {
                                  TetherViewController* view = tetherWindow(shot);
                                  // Slow reads of the card keep the transfer going while the picture is taken.
                                  shot.rig()->device().setCommandDelay(0xF8, std::chrono::milliseconds(3000));
                                  window_testing::captureOnCamera(*shot.rig(), 1);
                                  shot.harness().waitUntil([view] { return view->downloadsRunning() > 0; });
                                  return view->view()->window();
                                }}),
    window_shots::registerShot({"tether-window-alert", "canon", "the tether-only window with a failed download's alert",
                                [](ShotContext& shot) -> QWidget* {
                                  TetherViewController* view = tetherWindow(shot);
                                  auto camera = shot.rig()->cameraAs<devicesim::CanonCamera>();
                                  camera->failOperation(0x1009, std::nullopt, 0x2002, 1);
                                  window_testing::captureOnCamera(*shot.rig(), 1);
                                  shot.harness().waitUntil([] { return TetherViewController::isDownloadErrorShown(); });
                                  shot.harness().waitUntil([view] { return view->downloadsRunning() == 0; });
                                  guitest::Harness::settle();
                                  // The alert is the window in front: shown over the tether window.
                                  platform::Window* front = platform::Window::keyWindow();
                                  return pictureOf(shot, guitest::render(view->view()->window()),
                                                   front ? guitest::render(front) : QImage());
                                }}),
};

}  // namespace
