#pragma once
// The panels that the camera and tripod windows host, as those windows drive them: the image area, the capture
// control panel, the thumbnail strip and the tripod-head panel. Each panel is built in a file of its own; a window
// asks for one through the makers below. A panel without a maker leaves its parent view empty and the window's
// calls into it are skipped.
//
// PLUGGING A PANEL IN: installProductPanels() in camera_window_panels.cpp is the one place where the program's
// panels are made; each is one assignment there, e.g.
//   panels.makeImageArea = [] { return std::make_unique<StillImageViewController>(); };
// (the panel class implements the interface below; its own file says how it maps the calls). Tests put their
// own panels in place with ScopedCameraWindowPanels.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/ptp/datasets.h"

class PtpObjectInfoClass;
namespace platform {
class CollectionView;
}

// The image area: shows one downloaded picture with its object.
class CameraWindowImageArea {
 public:
  virtual ~CameraWindowImageArea() = default;
  virtual QWidget* view() = 0;
  virtual void setImage(const std::vector<uint8_t>& data, std::shared_ptr<const PtpObjectInfoClass> object) = 0;
  virtual void clearImage() = 0;
  // The object shown now; null when none.
  virtual std::shared_ptr<const PtpObjectInfoClass> currentObjectInfo() const = 0;
};

// The capture control panel: the window only places it.
class CameraWindowControlsPanel {
 public:
  virtual ~CameraWindowControlsPanel() = default;
  virtual QWidget* view() = 0;
};

// How the strip tells its owner that the user chose a thumbnail.
class ThumbnailControllerDelegate {
 public:
  virtual ~ThumbnailControllerDelegate() = default;
  virtual void thumbnailSelected(std::shared_ptr<const PtpObjectInfoClass> object) = 0;
};

// The thumbnail strip on the window's collection view. Called on the main thread only.
class CameraWindowThumbnailStrip {
 public:
  virtual ~CameraWindowThumbnailStrip() = default;
  virtual void addThumnailImage(const std::vector<uint8_t>& data, std::shared_ptr<const PtpObjectInfoClass> object) = 0;
  // Selects the object's item (which shows it through thumbnailSelected); false when the strip has no item for it.
  virtual bool selectThumbnail(std::shared_ptr<const PtpObjectInfoClass> object) = 0;
  virtual void deleteThumbnail(const PtpObjectInfoStruct& record) = 0;
  virtual void clearSelection() = 0;
};

// The tripod-head panel, filling the tripod window.
class TripodWindowPanel {
 public:
  virtual ~TripodWindowPanel() = default;
  virtual QWidget* view() = 0;
  // The panel fills a window of its own: its close button goes.
  virtual void hideCloseButton() = 0;
};

struct CameraWindowPanels {
  std::function<std::unique_ptr<CameraWindowImageArea>()> makeImageArea;
  std::function<std::unique_ptr<CameraWindowControlsPanel>()> makeControls;
  std::function<std::unique_ptr<CameraWindowThumbnailStrip>(platform::CollectionView* collectionView,
                                                            ThumbnailControllerDelegate* delegate)>
      makeThumbnailStrip;
  std::function<std::unique_ptr<TripodWindowPanel>()> makeTripodPanel;
};

// The makers in force: the program's (installProductPanels) unless a test put others in place.
const CameraWindowPanels& cameraWindowPanels();

// Puts `panels` in place for its lifetime.
class ScopedCameraWindowPanels {
 public:
  explicit ScopedCameraWindowPanels(CameraWindowPanels panels);
  ~ScopedCameraWindowPanels();
  ScopedCameraWindowPanels(const ScopedCameraWindowPanels&) = delete;
  ScopedCameraWindowPanels& operator=(const ScopedCameraWindowPanels&) = delete;

 private:
  CameraWindowPanels previous_;
};
