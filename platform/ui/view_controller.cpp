#include "platform/ui/view_controller.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/foundation/system_log.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/popover.h"
#include "platform/ui/presenter.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"

namespace platform {

namespace {

const QEvent::Type kLayoutPassEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Takes a controller's view out of whatever shows it, without deleting it.
void detachView(QWidget* view) {
  if (!view) return;
  view->hide();
  view->setParent(nullptr);
}

}  // namespace

// One controller presented by another: in a popover, or in a window of its own. Ends itself (through the
// presenter) when the user closes what shows it.
class ViewController::Presentation : public QObject {
 public:
  Presentation(ViewController* presenter, ViewController* presented) : presenter_(presenter), presented(presented) {}
  ~Presentation() override {
    if (popover) {
      popover->setContentViewController(nullptr);
      popover.release()->deleteLater();  // it may be inside its own signal
    }
    if (window) {
      window->removeEventFilter(this);
      if (presented && presented->isViewLoaded()) detachView(presented->view());
      window.release()->deleteLater();
    }
  }

  QPointer<ViewController> presenter_;
  QPointer<ViewController> presented;
  std::unique_ptr<Popover> popover;
  std::unique_ptr<Window> window;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // The user closed the window: the presentation is over.
    if (watched == window.get() && event->type() == QEvent::Hide && presenter_) {
      ViewController* presenter = presenter_;
      ViewController* controller = presented;
      QTimer::singleShot(0, presenter, [presenter, controller] { presenter->endPresentation(controller); });
    }
    return false;
  }
};

ViewController::ViewController(QString nibName) : nibName_(std::move(nibName)) {}

ViewController::~ViewController() {
  if (presenting_) presenting_->endPresentation(this);
  for (auto& p : presented_) {
    if (p->presented) p->presented->presenting_ = nullptr;
  }
  presented_.clear();
  if (view_) {
    view_->removeEventFilter(this);
    setViewResponder(view_, nullptr);
    delete view_.data();
  }
}

QWidget* ViewController::view() {
  if (!view_ && !loading_) {
    loading_ = true;
    loadView();
    if (!view_) setView(new View());
    // The controller owns its file: woken after what it loaded, before viewDidLoad.
    awakeLoadedObjects(this);
    loading_ = false;
    viewDidLoad();
  }
  return view_;
}

void ViewController::loadView() {
  QWidget* root = nibName_.isEmpty() ? nullptr : loadInterfaceRoot(nibName_);
  if (!nibName_.isEmpty() && !root) {
    systemLogf(LogLevel::Error, "ViewController: no interface file named \"%s\"", qPrintable(nibName_));
  }
  setView(root ? root : new View());
}

void ViewController::setView(QWidget* view) {
  if (view == view_) return;
  if (view_) {
    view_->removeEventFilter(this);
    setViewResponder(view_, nullptr);
  }
  view_ = view;
  if (!view) return;
  view->installEventFilter(this);
  setViewResponder(view, this);
}

void ViewController::reportMissingOutlet(const char* name) const {
  systemLogf(LogLevel::Error, "ViewController \"%s\": no outlet named \"%s\"", qPrintable(nibName_), name);
}

void ViewController::setPreferredContentSize(Size size) {
  preferredContentSize_ = size;
  emit preferredContentSizeChanged(size);
}

Size ViewController::contentSizeForContainer() {
  if (preferredContentSize_.width > 0 && preferredContentSize_.height > 0) return preferredContentSize_;
  QWidget* v = view();
  return {double(v->width()), double(v->height())};
}

// --- appearance ---

void ViewController::beginAppearanceTransition(bool appearing) {
  if (appearing) {
    if (appearance_ == Appearance::Appearing || appearance_ == Appearance::Appeared) return;
    view();
    if (appearance_ == Appearance::Disappearing) endAppearanceTransition();
    appearance_ = Appearance::Appearing;
    ++appearanceGeneration_;
    viewWillAppear();
  } else {
    if (appearance_ == Appearance::Disappearing || appearance_ == Appearance::Disappeared) return;
    if (appearance_ == Appearance::Appearing) endAppearanceTransition();
    appearance_ = Appearance::Disappearing;
    ++appearanceGeneration_;
    viewWillDisappear();
  }
}

void ViewController::endAppearanceTransition() {
  if (appearance_ == Appearance::Appearing) {
    appearance_ = Appearance::Appeared;
    viewDidAppear();
  } else if (appearance_ == Appearance::Disappearing) {
    appearance_ = Appearance::Disappeared;
    viewDidDisappear();
  }
}

bool ViewController::eventFilter(QObject* watched, QEvent* event) {
  if (watched != view_) return false;
  // Spontaneous shows and hides come from the window system (a window minimised or restored): not appearance.
  const bool fromWindowSystem = event->spontaneous();
  switch (event->type()) {
    case QEvent::Show:
      if (fromWindowSystem) break;
      // Shown as part of a window (or shown itself inside a visible one), with no container saying so.
      if (appearance_ == Appearance::Disappeared || appearance_ == Appearance::Disappearing) {
        beginAppearanceTransition(true);
        const unsigned generation = appearanceGeneration_;
        QTimer::singleShot(0, this, [this, generation] {
          if (generation == appearanceGeneration_) endAppearanceTransition();
        });
      }
      scheduleLayoutPass();
      break;
    case QEvent::Hide:
      if (fromWindowSystem) break;
      if (appearance_ == Appearance::Appeared || appearance_ == Appearance::Appearing) {
        beginAppearanceTransition(false);
        endAppearanceTransition();
      }
      break;
    case QEvent::Resize:
    case QEvent::LayoutRequest:
      scheduleLayoutPass();
      break;
    default:
      break;
  }
  return false;
}

// --- layout ---

void ViewController::scheduleLayoutPass() {
  if (layoutPending_) return;
  layoutPending_ = true;
  // Ahead of the paint that the change asked for.
  QCoreApplication::postEvent(this, new QEvent(kLayoutPassEvent), Qt::HighEventPriority);
}

bool ViewController::event(QEvent* event) {
  if (event->type() == kLayoutPassEvent) {
    runLayoutPass();
    return true;
  }
  return QObject::event(event);
}

void ViewController::runLayoutPass() {
  layoutPending_ = false;
  if (!view_ || !view_->isVisible()) return;
  viewWillLayout();
  if (QLayout* layout = view_->layout()) layout->activate();
  viewDidLayout();
}

// --- presentation ---

void ViewController::presentViewControllerAsPopover(ViewController* controller, const Rect& positioningRect,
                                                    QWidget* ofView, RectEdge preferredEdge,
                                                    PopoverBehavior behavior) {
  if (!controller || controller == this || !ofView) return;
  if (controller->presenting_) controller->presenting_->endPresentation(controller);
  auto presentation = std::make_unique<Presentation>(this, controller);
  presentation->popover = std::make_unique<Popover>();
  Popover* popover = presentation->popover.get();
  popover->setContentViewController(controller);
  popover->setBehavior(behavior);
  popover->setAnimates(true);
  connect(popover, &Popover::didClose, this, [this, controller] { endPresentation(controller); });
  controller->presenting_ = this;
  presented_.push_back(std::move(presentation));
  popover->showRelativeToRect(positioningRect, ofView, preferredEdge);
}

void ViewController::presentViewControllerAsWindow(ViewController* controller) {
  if (!controller || controller == this) return;
  if (controller->presenting_) controller->presenting_->endPresentation(controller);
  auto presentation = std::make_unique<Presentation>(this, controller);
  presentation->window = std::make_unique<Window>(false);
  Window* window = presentation->window.get();
  QWidget* content = controller->view();
  window->setWindowTitle(content->windowTitle());
  auto* fill = new QVBoxLayout(window->contentView());
  fill->setContentsMargins(0, 0, 0, 0);
  const Size size = controller->contentSizeForContainer();
  fill->addWidget(content);
  content->show();
  // Centred over the presenting view's window, where there is one.
  Rect frame{0, 0, size.width, size.height};
  if (view_ && view_->window()) {
    const Rect over = screenRectFromQt(QRectF(view_->window()->geometry()));
    frame.origin = {over.midX() - size.width / 2, over.midY() - size.height / 2};
  }
  window->setFrame(frame, false);
  window->installEventFilter(presentation.get());
  controller->presenting_ = this;
  presented_.push_back(std::move(presentation));
  currentPresenter().present(*window, true);
}

void ViewController::dismissViewController(ViewController* controller) {
  for (auto& p : presented_) {
    if (p->presented != controller) continue;
    if (p->popover && p->popover->isShown()) {
      p->popover->close();  // ends the presentation once closed
      return;
    }
    if (p->window && p->window->isVisible()) {
      // Off the screen first (the controller hears it disappear), then the presentation ends.
      p->window->removeEventFilter(p.get());
      currentPresenter().dismiss(*p->window);
    }
    endPresentation(controller);
    return;
  }
}

void ViewController::dismissController() {
  if (presenting_) presenting_->dismissViewController(this);
}

std::vector<ViewController*> ViewController::presentedViewControllers() const {
  std::vector<ViewController*> out;
  for (const auto& p : presented_) {
    if (p->presented) out.push_back(p->presented);
  }
  return out;
}

void ViewController::endPresentation(ViewController* controller) {
  for (auto it = presented_.begin(); it != presented_.end(); ++it) {
    if ((*it)->presented != controller) continue;
    std::unique_ptr<Presentation> ending = std::move(*it);
    presented_.erase(it);
    if (controller && controller->presenting_ == this) controller->presenting_ = nullptr;
    return;  // `ending` lets go of the popover or window
  }
}

}  // namespace platform
