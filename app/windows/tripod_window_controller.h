#pragma once
// The tripod-head panel in a window of its own, opened when the user takes tripod-only use (no camera on the
// device). The panel fills the window; closing the window brings the connection window back.
#include <memory>

#include "app/windows/camera_window_panels.h"
#include "app/windows/document_window_controller.h"

class TripodWindowController : public DocumentWindowController {
  Q_OBJECT

 public:
  TripodWindowController();
  ~TripodWindowController() override;
  // Makes the controller from "TripodWindow", shows the window key and in front and hands it to the application
  // delegate.
  static TripodWindowController* createAndShowWindow();
  TripodWindowPanel* tripodPanel() const { return mTripodViewController.get(); }

 protected:
  void windowDidLoad() override;

 private:
  std::unique_ptr<TripodWindowPanel> mTripodViewController;
};
