#include "app/windows/camera_window_panels.h"

namespace {

// The program's panels. Each panel's own change adds its maker here.
void installProductPanels(CameraWindowPanels& panels) {
  (void)panels;
  // panels.makeImageArea = ...;        the still-image viewer
  // panels.makeControls = ...;         the capture control panel
  // panels.makeThumbnailStrip = ...;   the thumbnail strip
  // panels.makeTripodPanel = ...;      the tripod-head panel
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
