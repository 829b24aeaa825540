#include "platform/ui/window_controller.h"

#include "platform/ui/presenter.h"
#include "platform/ui/window.h"

namespace platform {

WindowController::WindowController(QString windowNibName) : nibName_(std::move(windowNibName)) {}

WindowController::~WindowController() {
  if (window_) {
    window_->setWindowController(nullptr);
    delete window_;
  }
}

Window* WindowController::window() {
  if (!window_ && !loading_) {
    loading_ = true;
    window_ = makeWindow();
    if (window_) window_->setWindowController(this);
    loading_ = false;
    if (window_) windowDidLoad();
  }
  return window_;
}

Window* WindowController::makeWindow() { return new Window(false); }

void WindowController::showWindow() {
  if (Window* w = window()) currentPresenter().present(*w, true);
}

void WindowController::close() {
  if (window_) currentPresenter().dismiss(*window_);
}

}  // namespace platform
