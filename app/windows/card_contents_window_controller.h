#pragma once
// The window of the card-contents browser, opened from the menu and kept by the application delegate for the rest
// of the run. It closes itself whenever the camera connection ends. The browser itself goes into
// oCardContentsParentView.
#include <vector>

#include "app/windows/document_window_controller.h"
#include "platform/foundation/notification_center.h"

class CardContentsViewController;

class CardContentsWindowController : public DocumentWindowController {
  Q_OBJECT

 public:
  CardContentsWindowController();
  ~CardContentsWindowController() override;
  // Makes the controller from "CardContentsWindow" and shows the window key and in front (no title of its own).
  static CardContentsWindowController* createAndShowWindow();

  void connectionStatusChangedNotification(const platform::Notification& notification);

  QWidget* oCardContentsParentView = nullptr;
  // The browser in oCardContentsParentView (owned by this controller).
  CardContentsViewController* cardContentsViewController() const { return mCardContentsViewController; }

 protected:
  void windowDidLoad() override;

 private:
  void windowWillClose();

  CardContentsViewController* mCardContentsViewController = nullptr;  // a child of this controller
  std::vector<platform::ObserverToken> mObservers;
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
};
