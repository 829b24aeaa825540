#pragma once
// For tests, window shots and benchmarks (header only): the capture panel hosted in a plain window of its own, as
// the camera window hosts it in its column, made once the session stands (the event gate open; host mode on for
// Fujifilm, as the connection view applies it).
#include <memory>

#include "controls/camera_controls_view_controller.h"
#include "platform/ui/window.h"

namespace controls_testing {

class CameraControlsHost {
 public:
  static constexpr int kWidth = 220;
  static constexpr int kHeight = 600;

  CameraControlsHost() : panel_(std::make_unique<CameraControlsViewController>()) {
    window_ = std::make_unique<platform::Window>();
    window_->setFrame({60, 120, double(kWidth), double(kHeight)});
    window_->setWindowTitle(QStringLiteral("Capture panel"));
    QWidget* view = panel_->view();
    view->setParent(window_->contentView());
    view->setGeometry(0, 0, kWidth, kHeight);
    view->show();
  }
  ~CameraControlsHost() {
    // The panel lets its view go with it; the window must not delete it first.
    if (panel_->isViewLoaded()) panel_->view()->setParent(nullptr);
    panel_.reset();
  }
  CameraControlsHost(const CameraControlsHost&) = delete;
  CameraControlsHost& operator=(const CameraControlsHost&) = delete;

  CameraControlsViewController* panel() const { return panel_.get(); }
  platform::Window* window() const { return window_.get(); }

 private:
  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<CameraControlsViewController> panel_;
};

}  // namespace controls_testing
