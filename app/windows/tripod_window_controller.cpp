#include "app/windows/tripod_window_controller.h"

#include "platform/ui/interface_file.h"
#include "platform/ui/window.h"
#include "ui_TripodWindow.h"

VX_INTERFACE_FILE("TripodWindow", Ui::TripodWindow);

TripodWindowController::TripodWindowController() : DocumentWindowController(QStringLiteral("TripodWindow")) {}

TripodWindowController::~TripodWindowController() { mTripodViewController.reset(); }

TripodWindowController* TripodWindowController::createAndShowWindow() {
  return createAndShow<TripodWindowController>(false);
}

void TripodWindowController::windowDidLoad() {
  platform::Window* w = window();
  w->setWindowTitle(QStringLiteral("Vorlaxent 2"));
  const CameraWindowPanels& panels = cameraWindowPanels();
  if (!panels.makeTripodPanel) return;
  mTripodViewController = panels.makeTripodPanel();
  if (!mTripodViewController) return;
  embedView(w->contentView()->findChild<QWidget*>(QStringLiteral("oTripodParentView")), mTripodViewController->view());
  mTripodViewController->hideCloseButton();
}
