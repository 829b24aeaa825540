#include "app/windows/card_contents_window_controller.h"

#include "platform/foundation/dispatch.h"
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
  mObservers.push_back(platform::NotificationCenter::defaultCenter().addObserverForName(
      kVorlaxentConnectionStatusNotification, nullptr,
      [this](const platform::Notification& n) { connectionStatusChangedNotification(n); }));
}

void CardContentsWindowController::connectionStatusChangedNotification(const platform::Notification& notification) {
  if (Utilities::connectionStatusForInteger(notification.object.toInteger()) == kConnectionStatusCameraConnected) return;
  platform::mainQueue().async([this, alive = mAlive] {
    if (*alive && isWindowLoaded()) close();
  });
}
