#include "platform/ui/window_controller.h"

#include <QLayout>
#include <QVBoxLayout>

#include "platform/ui/view_controller.h"

#include "platform/ui/interface_file.h"
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

Window* WindowController::makeWindow() {
  auto* window = new Window(false);
  if (!nibName_.isEmpty() && hasInterfaceFile(nibName_)) {
    loadInterfaceFile(nibName_, window->contentView());
    // The controller owns the file, and is woken after what it loaded, before windowDidLoad.
    awakeLoadedObjects(this);
  }
  return window;
}

void WindowController::showWindow() {
  if (Window* w = window()) currentPresenter().present(*w, true);
}

ViewController* WindowController::contentViewController() const { return contentViewController_; }

void WindowController::setContentViewController(ViewController* controller) {
  if (controller == contentViewController_) return;
  Window* w = window();
  if (!w) return;
  QWidget* host = w->contentView();
  if (contentViewController_) {
    ViewController* old = contentViewController_;
    contentViewController_ = nullptr;
    delete old;  // its view goes with it
  }
  contentViewController_ = controller;
  if (!controller) return;
  controller->setParent(this);
  QWidget* view = controller->view();
  QLayout* fill = host->layout();
  if (!fill) {
    fill = new QVBoxLayout(host);
    fill->setContentsMargins(0, 0, 0, 0);
  }
  const Size size = controller->contentSizeForContainer();
  fill->addWidget(view);
  view->show();
  w->setContentSize(size);
}

void WindowController::close() {
  if (window_) currentPresenter().dismiss(*window_);
}

}  // namespace platform
