#pragma once
// The application delegate: checks the environment once launching has finished, registers the default settings,
// keeps the menu's items enabled and ticked as the front window reports, turns menu commands into settings and
// notifications, brings the connection window back when a camera, tether-only or tripod window closes, and tidies
// up at termination. It starts no thread, no timer and no connection: nothing touches the device until the user
// presses Connect in the connection window.
//
// One at a time, made before the event loop runs; main thread only.
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/ui/application_shell.h"

namespace platform {
class MenuItem;
class Menu;
class ProcessActivity;
class Window;
class WindowController;
}  // namespace platform
class CardContentsWindowController;
class ConnectionWindowController;

class AppDelegate : public QObject, public platform::ApplicationDelegate {
  Q_OBJECT

 public:
  AppDelegate();
  ~AppDelegate() override;

  // The delegate in force, or null.
  static AppDelegate* shared();

  // The main interface file. The menu part becomes the application's main menu (its items start disabled until
  // a window reports what applies); the window part is the connection window, made here and shown by the caller.
  // The program loads both before the event loop runs; window tests may take the menu alone.
  void loadMainMenu();
  void loadMainWindow();
  ConnectionWindowController* connectionWindowController() const { return mWindowController.get(); }
  // The main (connection) window; null before loadMainWindow.
  platform::Window* window() const;

  // --- the platform's calls ---
  void applicationDidFinishLaunching() override;
  void applicationWillTerminate() override;
  bool applicationShouldTerminateAfterLastWindowClosed() override { return true; }

  // --- observers ---
  void windowClosingNotification(const platform::Notification& notification);
  void refreshMenuNotification(const platform::Notification& notification);

  // --- menu actions ---
  void showSettings();
  void showCardContents();
  void showControlsMenuAction(platform::MenuItem& sender);
  void showThumbnailsMenuAction(platform::MenuItem& sender);
  void saveAsMenuAction();
  void sdTransferMenuAction();
  void printMenuAction();
  void shareMenuAction() {}

  // The one way to the settings window: the menu item and the gear buttons of the connection and tether-only
  // windows all come here: the one settings window, or what a test installed in its place.
  static void showSettingsWindow();
  static void setSettingsWindowOpener(std::function<void()> opener);

  // Keeps a camera, tether-only or tripod window's controller until its window closes.
  void adoptWindowController(platform::WindowController* controller);
  // The controllers kept so far (tests).
  std::vector<platform::WindowController*> adoptedWindowControllers() const;
  CardContentsWindowController* cardContentsWindowController() const;

  // The fonts the start-up requires, by PostScript name (a test names one that is not installed).
  void setRequiredFonts(std::vector<std::string> fonts) { requiredFonts_ = std::move(fonts); }
  // Whether launching got past the font check and set everything up.
  bool isLaunched() const { return launched_; }
  // Press Connect once, as soon as launching has finished (the program's --connect).
  void setConnectOnLaunch(bool connect) { connectOnLaunch_ = connect; }

  // Outlets: the items of the main menu that the delegate enables and ticks.
  platform::MenuItem* oSaveAsMenuItem = nullptr;
  platform::MenuItem* oShareMenuItem = nullptr;
  platform::MenuItem* oSdTransferMenuItem = nullptr;
  platform::MenuItem* oPrintMenuItem = nullptr;
  platform::MenuItem* oShowControlsMenuItem = nullptr;
  platform::MenuItem* oShowThumbnailsMenuItem = nullptr;
  platform::MenuItem* oCardcontentsMenuItem = nullptr;

 private:
  bool checkFonts();
  void wireMenu();

  std::unique_ptr<ConnectionWindowController> mWindowController;
  QPointer<CardContentsWindowController> mCardContentsWindowController;
  std::vector<QPointer<platform::WindowController>> mAdopted;
  QPointer<platform::Window> mOrigWindow;
  std::unique_ptr<platform::ProcessActivity> activity;
  std::vector<std::string> requiredFonts_;
  std::vector<platform::ObserverToken> observers_;
  bool launched_ = false;
  bool terminated_ = false;
  bool connectOnLaunch_ = false;
};
