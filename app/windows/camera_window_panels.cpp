#include "app/windows/camera_window_panels.h"

#include "app/viewing/still_image_view_controller.h"
#include "app/viewing/thumbnail_strip_controller.h"

#include "controls/automation/tripod_view_controller.h"
#include "controls/camera_controls_view_controller.h"

namespace {

// The still viewer as the camera window's image area.
class ImageArea : public CameraWindowImageArea {
 public:
  QWidget* view() override { return controller_.view(); }
  void setImage(const std::vector<uint8_t>& data, std::shared_ptr<const PtpObjectInfoClass> object) override {
    controller_.setImage(data, std::move(object));
  }
  void clearImage() override { controller_.clearImage(); }
  std::shared_ptr<const PtpObjectInfoClass> currentObjectInfo() const override {
    return controller_.currentObjectInfo();
  }
  StillImageViewController& controller() { return controller_; }

 private:
  StillImageViewController controller_;
};

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
  panels.makeImageArea = [] { return std::make_unique<ImageArea>(); };
  panels.makeControls = [] { return std::make_unique<ControlsPanel>(); };
  panels.makeThumbnailStrip = [](platform::CollectionView* collectionView, ThumbnailControllerDelegate* delegate) {
    return std::make_unique<MainThumbnailController>(collectionView, delegate);
  };
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
