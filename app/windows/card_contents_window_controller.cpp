#include "app/windows/card_contents_window_controller.h"

#include "app/windows/card_contents_view_controller.h"
#include "platform/foundation/dispatch.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/window.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "ui_CardContentsWindow.h"

VX_INTERFACE_FILE("CardContentsWindow", Ui::CardContentsWindow);

CardContentsWindowController::CardContentsWindowController()
    : DocumentWindowController(QStringLiteral("CardContentsWindow")) {}

CardContentsWindowController::~CardContentsWindowController() {
  *mAlive = false;
  for (const platform::ObserverToken& token : mObservers) platform::NotificationCenter::defaultCenter().removeObserver(token);
  // The browser's work stops before the browser goes (its destructor waits for it).
  delete mCardContentsViewController;
  mCardContentsViewController = nullptr;
}

CardContentsWindowController* CardContentsWindowController::createAndShowWindow() {
  auto* controller = new CardContentsWindowController();
  controller->showWindow();
  controller->window()->makeKeyAndOrderFront();
  return controller;
}

void CardContentsWindowController::windowDidLoad() {
  platform::Window* w = window();
  w->setWindowTitle(QStringLiteral("Card Contents"));
  oCardContentsParentView = w->contentView()->findChild<QWidget*>(QStringLiteral("oCardContentsParentView"));
  if (oCardContentsParentView) {
    mCardContentsViewController = new CardContentsViewController(oCardContentsParentView);
    mCardContentsViewController->setParent(this);
    mCardContentsViewController->view();
  }
  // Closing the window, by the user or because the connection ended, stops the loader and any download.
  mObservers.push_back(platform::NotificationCenter::defaultCenter().addObserverForName(
      platform::NSWindowWillCloseNotification, static_cast<QWidget*>(w), [this](const platform::Notification&) { windowWillClose(); }));
  mObservers.push_back(platform::NotificationCenter::defaultCenter().addObserverForName(
      kVorlaxentConnectionStatusNotification, nullptr,
      [this](const platform::Notification& n) { connectionStatusChangedNotification(n); }));
}

void CardContentsWindowController::connectionStatusChangedNotification(const platform::Notification& notification) {
  if (Utilities::connectionStatusForInteger(notification.object.toInteger()) == kConnectionStatusCameraConnected) return;
  platform::mainQueue().async([this, alive = mAlive] {
    if (!*alive || !isWindowLoaded()) return;
    // What the grid shows belonged to that connection: a later session lists its own card.
    if (mCardContentsViewController) mCardContentsViewController->forgetContents();
    close();
  });
}

void CardContentsWindowController::windowWillClose() {
  // Stopped at once, not waited for: the controller stays (the window may open again), and a download in the
  // middle of a large file must not hold the interface. The controller's destructor waits.
  if (mCardContentsViewController) mCardContentsViewController->requestStop();
}
