#include "app/windows/app_delegate.h"

#include <QApplication>
#include <QPointer>
#include <algorithm>
#include <cstdio>

#include "app/windows/app_notifications.h"
#include "app/windows/camera_window_controller.h"
#include "app/windows/card_contents_window_controller.h"
#include "app/windows/connection_view_controller.h"
#include "app/windows/main_menu.h"
#include "app/windows/settings_window_controller.h"
#include "app/windows/tether_window_controller.h"
#include "app/windows/tripod_window_controller.h"
#include "app/application_start.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/vendor_state.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/process_activity.h"
#include "platform/foundation/system_log.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/alert.h"
#include "platform/ui/menu.h"
#include "platform/ui/window.h"
#include "session/utilities.h"

namespace {

AppDelegate* g_shared = nullptr;

std::function<void()>& settingsOpener() {
  static std::function<void()> opener;
  return opener;
}

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

// Where the missing-font message sends the user.
constexpr const char* kSupportSentence = "Please write to support@vorlaxent.com if you need help installing it.";

int onOff(bool on) { return on ? platform::NSControlStateValueOn : platform::NSControlStateValueOff; }

}  // namespace

void postRefreshMenu(const QObject* sender, bool objectSelected) {
  platform::NotificationCenter::defaultCenter().postNotificationName(
      kRefreshMenuNotification,
      platform::Value(platform::ValueDictionary{{"objectSelected", platform::Value(objectSelected)},
                                                {"sender", platform::Value::reference<QObject>(sender)}}));
}

AppDelegate::AppDelegate() : requiredFonts_(requiredApplicationFonts()) { g_shared = this; }

AppDelegate::~AppDelegate() {
  if (!terminated_) applicationWillTerminate();
  for (const QPointer<platform::WindowController>& controller : mAdopted) delete controller.data();
  delete mCardContentsWindowController.data();
  if (g_shared == this) g_shared = nullptr;
}

AppDelegate* AppDelegate::shared() { return g_shared; }

void AppDelegate::loadMainMenu() {
  MainMenu menu = ::loadMainMenu();
  oSaveAsMenuItem = menu.item("oSaveAsMenuItem");
  oShareMenuItem = menu.item("oShareMenuItem");
  oSdTransferMenuItem = menu.item("oSdTransferMenuItem");
  oPrintMenuItem = menu.item("oPrintMenuItem");
  oShowControlsMenuItem = menu.item("oShowControlsMenuItem");
  oShowThumbnailsMenuItem = menu.item("oShowThumbnailsMenuItem");
  oCardcontentsMenuItem = menu.item("oCardcontentsMenuItem");
  const auto wire = [&menu](const char* name, platform::MenuItem::Action action) {
    if (platform::MenuItem* item = menu.item(name)) item->setAction(std::move(action));
  };
  wire("oSettingsMenuItem", [](platform::MenuItem&) { AppDelegate::showSettingsWindow(); });
  wire("oQuitMenuItem", [](platform::MenuItem&) {
    if (platform::Application* application = platform::Application::shared()) application->terminate();
  });
  wire("oCloseMenuItem", [](platform::MenuItem&) {
    if (platform::Window* key = platform::Window::keyWindow()) key->close();
  });
  wire("oSaveAsMenuItem", [this](platform::MenuItem&) { saveAsMenuAction(); });
  wire("oShareMenuItem", [this](platform::MenuItem&) { shareMenuAction(); });
  wire("oSdTransferMenuItem", [this](platform::MenuItem&) { sdTransferMenuAction(); });
  wire("oPrintMenuItem", [this](platform::MenuItem&) { printMenuAction(); });
  wire("oShowControlsMenuItem", [this](platform::MenuItem& item) { showControlsMenuAction(item); });
  wire("oShowThumbnailsMenuItem", [this](platform::MenuItem& item) { showThumbnailsMenuAction(item); });
  wire("oCardcontentsMenuItem", [this](platform::MenuItem&) { showCardContents(); });
  // Until a window reports what applies, nothing that needs an image or the camera window is offered.
  for (platform::MenuItem* item : {oSaveAsMenuItem, oShareMenuItem, oSdTransferMenuItem, oPrintMenuItem,
                                   oShowControlsMenuItem, oShowThumbnailsMenuItem, oCardcontentsMenuItem})
    if (item) item->setEnabled(false);
  if (platform::Application* application = platform::Application::shared())
    application->setMainMenu(std::move(menu.menu));
}

void AppDelegate::loadMainWindow() {
  if (mWindowController) return;
  mWindowController = std::make_unique<ConnectionWindowController>();
  if (launched_) mOrigWindow = window();
}

platform::Window* AppDelegate::window() const { return mWindowController ? mWindowController->window() : nullptr; }

bool AppDelegate::checkFonts() {
  if (platform::missingRequiredFonts(requiredFonts_).empty()) return true;
  platform::Alert alert;
  alert.setMessageText(QStringLiteral("The Arial font must be installed to continue."));
  alert.setInformativeText(QString::fromUtf8(kSupportSentence));
  alert.addButtonWithTitle(QStringLiteral("Exit"));
  alert.runModal();
  // The application cannot run: that is a failure, whatever button ended the alert.
  platform::currentProcessExit().exit(1);
  return false;
}

void AppDelegate::applicationDidFinishLaunching() {
  // 1. Fonts: without them nothing else is set up.
  if (!checkFonts()) return;
  // 2. The computer stays awake for the network work the user waits for.
  activity = std::make_unique<platform::ProcessActivity>("network activity");
  // 3. Appearance.
  if (platform::Application* application = platform::Application::shared())
    application->setAppearance(platform::Appearance::DarkAqua);
  // 4. Defaults.
  const std::string error = defaults().registerDefaultsFromResource("DefaultValues");
  if (!error.empty()) {
    std::fprintf(stderr, "vorlaxent: default settings: %s\n", error.c_str());
    platform::systemLog("default settings: " + error, platform::LogLevel::Error);
  }
  // 5. Observers.
  platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
  observers_.push_back(center.addObserverForName(platform::NSWindowWillCloseNotification, nullptr,
                                                 [this](const platform::Notification& n) { windowClosingNotification(n); }));
  observers_.push_back(center.addObserverForName(kRefreshMenuNotification, nullptr,
                                                 [this](const platform::Notification& n) { refreshMenuNotification(n); }));
  // 6. The main window, brought back whenever a session window closes.
  mOrigWindow = window();
  // 7. The save folder.
  Utilities::checkFolderAccess();
  // 8. Menu ticks.
  if (oShowControlsMenuItem) oShowControlsMenuItem->setState(onOff(defaults().boolForKey("ControlsVisibility")));
  if (oShowThumbnailsMenuItem)
    oShowThumbnailsMenuItem->setState(onOff(defaults().boolForKey("ThumbnailStripVisibility")));
  launched_ = true;
  if (connectOnLaunch_ && mWindowController) {
    QPointer<ConnectionWindowController> controller(mWindowController.get());
    platform::mainQueue().async([controller] {
      if (controller && controller->connectionViewController()) controller->connectionViewController()->connectAction();
    });
  }
}

void AppDelegate::applicationWillTerminate() {
  if (terminated_) return;
  terminated_ = true;
  // The save folder is kept as a plain path here: there is no access to end.
  for (const platform::ObserverToken& token : observers_) platform::NotificationCenter::defaultCenter().removeObserver(token);
  observers_.clear();
  mWindowController.reset();
  activity.reset();
}

void AppDelegate::windowClosingNotification(const platform::Notification& notification) {
  auto* window = dynamic_cast<platform::Window*>(const_cast<QWidget*>(notification.object.object<QWidget>().get()));
  platform::WindowController* controller = window ? window->windowController() : nullptr;
  if (!controller) return;
  if (qobject_cast<TetherWindowController*>(controller) || qobject_cast<CameraWindowController*>(controller) ||
      qobject_cast<TripodWindowController*>(controller)) {
    // Polling stops; the link stays open for the connection window to go on with.
    camStopEventThread(false);
    if (mOrigWindow) mOrigWindow->makeKeyAndOrderFront();
    auto it = std::find_if(mAdopted.begin(), mAdopted.end(),
                           [controller](const QPointer<platform::WindowController>& p) { return p == controller; });
    if (it != mAdopted.end()) {
      mAdopted.erase(it);
      // The window is still closing: the controller (and with it the window) goes once that is over.
      controller->deleteLater();
    }
  }
}

void AppDelegate::refreshMenuNotification(const platform::Notification& notification) {
  const bool selected = notification.object["objectSelected"].toBool();
  const QObject* sender = notification.object["sender"].object<QObject>().get();
  for (platform::MenuItem* item : {oSaveAsMenuItem, oShareMenuItem, oPrintMenuItem})
    if (item) item->setEnabled(selected);
  if (oSdTransferMenuItem) oSdTransferMenuItem->setEnabled(selected && (camIsCanon() || camIsNikon()));
  const bool cameraWindow = qobject_cast<const CameraWindowController*>(sender) != nullptr ||
                            qobject_cast<const CardContentsWindowController*>(sender) != nullptr;
  for (platform::MenuItem* item : {oShowControlsMenuItem, oShowThumbnailsMenuItem, oCardcontentsMenuItem})
    if (item) item->setEnabled(cameraWindow);
}

void AppDelegate::showSettings() { showSettingsWindow(); }

void AppDelegate::showCardContents() {
  if (mCardContentsWindowController) {
    mCardContentsWindowController->window()->makeKeyAndOrderFront();
    return;
  }
  mCardContentsWindowController = CardContentsWindowController::createAndShowWindow();
}

void AppDelegate::showControlsMenuAction(platform::MenuItem& sender) {
  const bool on = sender.state() != platform::NSControlStateValueOn;
  sender.setState(onOff(on));
  defaults().setBool(on, "ControlsVisibility");
}

void AppDelegate::showThumbnailsMenuAction(platform::MenuItem& sender) {
  const bool on = sender.state() != platform::NSControlStateValueOn;
  sender.setState(onOff(on));
  defaults().setBool(on, "ThumbnailStripVisibility");
}

void AppDelegate::saveAsMenuAction() {
  platform::NotificationCenter::defaultCenter().postNotificationName(kSaveCurrentImageNotification);
}

void AppDelegate::sdTransferMenuAction() {
  platform::NotificationCenter::defaultCenter().postNotificationName(kSdTransferCurrentImageNotification);
}

void AppDelegate::printMenuAction() {
  platform::NotificationCenter::defaultCenter().postNotificationName(kPrintCurrentImageNotification);
}

void AppDelegate::showSettingsWindow() {
  if (settingsOpener())
    settingsOpener()();
  else
    SettingsWindowController::showSettings();
}

void AppDelegate::setSettingsWindowOpener(std::function<void()> opener) { settingsOpener() = std::move(opener); }

void AppDelegate::adoptWindowController(platform::WindowController* controller) {
  if (!controller || qobject_cast<CardContentsWindowController*>(controller)) return;
  for (const auto& p : mAdopted)
    if (p == controller) return;
  mAdopted.emplace_back(controller);
}

CardContentsWindowController* AppDelegate::cardContentsWindowController() const { return mCardContentsWindowController; }

std::vector<platform::WindowController*> AppDelegate::adoptedWindowControllers() const {
  std::vector<platform::WindowController*> out;
  for (const auto& p : mAdopted)
    if (p) out.push_back(p.data());
  return out;
}
