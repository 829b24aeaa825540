#include "app/windows/camera_window_panels.h"

#include "controls/automation/tripod_view_controller.h"
#include "controls/camera_controls_view_controller.h"

namespace {

class ControlsPanel : public CameraWindowControlsPanel {
 public:
  QWidget* view() override { return controller_.view(); }

 private:
  CameraControlsViewController controller_;
};

class TripodPanel : public TripodWindowPanel {
 public:
  QWidget* view() override { return controller_.view(); }
  void hideCloseButton() override { controller_.hideCloseButton(); }

 private:
  QY_TripodViewController controller_;
};

// The program's panels. Each panel's own change adds its maker here.
void installProductPanels(CameraWindowPanels& panels) {
  // panels.makeImageArea = ...;        the still-image viewer
  panels.makeControls = [] { return std::make_unique<ControlsPanel>(); };
  // panels.makeThumbnailStrip = ...;   the thumbnail strip
  panels.makeTripodPanel = [] { return std::make_unique<TripodPanel>(); };
}

CameraWindowPanels& installed() {
  static CameraWindowPanels panels = [] {
    CameraWindowPanels p;
    installProductPanels(p);
    return p;
  }();
  return panels;
}

}  // namespace

const CameraWindowPanels& cameraWindowPanels() { return installed(); }

ScopedCameraWindowPanels::ScopedCameraWindowPanels(CameraWindowPanels panels) : previous_(installed()) {
  installed() = std::move(panels);
}

ScopedCameraWindowPanels::~ScopedCameraWindowPanels() { installed() = std::move(previous_); }
