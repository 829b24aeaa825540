#pragma once
// What the application's own windows (connection, camera, tether-only, tripod, card contents) have in common: the
// window made from its interface file at the file's size, with the application's menu bar on top (on this desktop
// every window carries the menu), titled "Vorlaxent 2: <address>" where asked, and closed as a user closes it, so
// that the application delegate hears of it and brings the connection window back.
#include <QString>
#include <QWidget>

#include "platform/ui/window_controller.h"

namespace platform {
class ViewController;
class Window;
}  // namespace platform

class DocumentWindowController : public platform::WindowController {
  Q_OBJECT

 public:
  explicit DocumentWindowController(QString windowNibName);

  // Closes the window as its close button does (the window-will-close notification is posted).
  void close() override;

  // "Vorlaxent 2: %@" with the setting "ipAddress" when it holds a string; empty otherwise.
  static QString titleWithDeviceAddress();

  // Shows the window key and in front, and hands the controller to the application delegate, which keeps it
  // until the window closes (without a delegate the caller keeps it).
  void showAndAdopt();

  // Makes a controller of class C, titles its window with the device's address (when asked) and shows it.
  template <class C>
  static C* createAndShow(bool titled) {
    auto* controller = new C();
    const QString title = titledWithDeviceAddress(titled);
    if (!title.isEmpty()) controller->window()->setWindowTitle(title);
    controller->showAndAdopt();
    return controller;
  }

  // The session started again while the window is open (the camera came back after a failed poll): the window
  // stays and takes the new session's events. Nothing by default.
  virtual void sessionRestarted() {}

 protected:
  platform::Window* makeWindow() override;
  // For windows without an interface file of their own: the controller's view fills the window, under the menu
  // bar, at least `least` in size.
  void installContentViewController(platform::ViewController* controller, QSize least);

 private:
  static QString titledWithDeviceAddress(bool titled) { return titled ? titleWithDeviceAddress() : QString(); }
};

// Opens the camera-event gate: the events queued since session start are delivered, and every later one. The
// first delivery runs on a worker: handling a new object may ask the device (Nikon's notice per object, the focal
// length shot's read), which never happens on the main thread.
void openCameraEventGate();

// Puts the application's menu bar on top of a window's content view (which must have a layout); nothing when the
// application has no main menu.
void addMainMenuBar(QWidget* contentView);

// Puts `view` into `parent`, filling its bounds and following its size (the panels of a window).
void embedView(QWidget* parent, QWidget* view);
