#include "app/windows/document_window_controller.h"

#include <QLayout>
#include <QMenuBar>
#include <QResizeEvent>

#include "app/windows/app_delegate.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/autoresizing.h"
#include "platform/ui/menu.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"
#include "session/camera_event_pump.h"

DocumentWindowController::DocumentWindowController(QString windowNibName)
    : platform::WindowController(std::move(windowNibName)) {}

platform::Window* DocumentWindowController::makeWindow() {
  platform::Window* window = platform::WindowController::makeWindow();
  QWidget* content = window->contentView();
  // The interface file gave the content its size; the menu bar comes on top of it.
  const QSize formSize = content->size();
  addMainMenuBar(content);
  int barHeight = 0;
  if (content->layout() && content->layout()->menuBar()) barHeight = content->layout()->menuBar()->sizeHint().height();
  window->setContentSize(platform::Size{double(formSize.width()), double(formSize.height() + barHeight)});
  if (content->layout()) {
    const QSize least = content->layout()->minimumSize();
    window->setMinSize(platform::Size{double(least.width()), double(least.height())});
  }
  return window;
}

void DocumentWindowController::installContentViewController(platform::ViewController* controller, QSize least) {
  platform::Window* w = window();
  w->setWindowTitle(QStringLiteral("Vorlaxent 2"));
  // The size the interface file gives the view, under the menu bar.
  const QSize formSize = controller->view()->size();
  setContentViewController(controller);
  addMainMenuBar(w->contentView());
  QLayout* layout = w->contentView()->layout();
  const int barHeight = layout->menuBar() ? layout->menuBar()->sizeHint().height() : 0;
  const QSize size = layout->sizeHint().expandedTo(least).expandedTo(formSize + QSize(0, barHeight));
  w->setContentSize(platform::Size{double(size.width()), double(size.height())});
}

void DocumentWindowController::close() {
  if (isWindowLoaded()) window()->close();
}

QString DocumentWindowController::titleWithDeviceAddress() {
  const platform::Value address = platform::UserDefaults::standardUserDefaults().objectForKey("ipAddress");
  if (address.type() != platform::Value::Type::String) return {};
  return QStringLiteral("Vorlaxent 2: %1").arg(QString::fromStdString(address.toString()));
}

void DocumentWindowController::showAndAdopt() {
  showWindow();
  window()->makeKeyAndOrderFront();
  if (AppDelegate* delegate = AppDelegate::shared()) delegate->adoptWindowController(this);
}

void openCameraEventGate() {
  platform::globalQueue().async([] { startCameraEventDispatch(); });
}

void addMainMenuBar(QWidget* contentView) {
  platform::Application* application = platform::Application::shared();
  if (!contentView || !contentView->layout() || !application || !application->mainMenu()) return;
  QMenuBar* bar = application->makeMainMenuBar(contentView);
  bar->setObjectName(QStringLiteral("oMainMenuBar"));
  contentView->layout()->setMenuBar(bar);
}

namespace {

// A parent laid out while hidden gets its size in one resize that reports no earlier size, which autoresizing
// takes for no change: the panel then takes the parent's bounds as it would have at first.
class FitOnFirstSize : public QObject {
 public:
  FitOnFirstSize(QWidget* view, QWidget* parent) : QObject(view), view_(view) { parent->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize && !static_cast<QResizeEvent*>(event)->oldSize().isValid())
      view_->setGeometry(static_cast<QWidget*>(watched)->rect());
    return false;
  }

 private:
  QWidget* view_;
};

}  // namespace

void embedView(QWidget* parent, QWidget* view) {
  if (!parent || !view) return;
  view->setParent(parent);
  view->setGeometry(parent->rect());
  platform::setAutoresizingMask(view, platform::ViewWidthSizable | platform::ViewHeightSizable);
  new FitOnFirstSize(view, parent);
  view->show();
}
