#pragma once
// The controller of one view, loaded from an interface file by name, told as its view loads, appears,
// disappears and lays out, and able to present other controllers. Every panel and window view is one.
//
//   class TripodViewController : public platform::ViewController {
//    public:
//     TripodViewController() : ViewController("TripodView") {}   // resources/ui/TripodView.ui
//    protected:
//     void viewDidLoad() override {
//       oCloseButton = outlet<QPushButton>("oCloseButton");    // outlets by their names in the file
//       connect(oCloseButton, &QPushButton::clicked, this, [this] { dismiss(); });
//     }
//     void viewWillAppear() override { ... }                   // its window or popover is about to show it
//     void viewDidDisappear() override { ... }                 // it is off the screen
//   };
//   // The .cpp registers the form once: VX_INTERFACE_FILE("TripodView", Ui::TripodView);
//
// Appearance follows what the user sees: viewWillAppear / viewDidAppear when the window or popover that holds
// the view shows it (or the view is shown inside a visible window), viewWillDisappear / viewDidDisappear when it
// goes (closed, ordered out, the view hidden or taken out). The calls always pair up and come in that order.
// Popovers and window controllers that host the controller call them around their own animations; for a view
// simply put into another view they follow the view's show and hide events.
//
// Layout: viewWillLayout / viewDidLayout run once per layout pass of the view (after its size changed or its
// layout was invalidated), before the pass is painted.
//
// Responder chain (responder.h): the view's next responder is its controller, whose next is the view's
// superview. The controller owns its view (also while a window or popover shows it). Main thread only.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/ui/responder.h"

namespace platform {

class Popover;
class PopoverDelegate;
enum class PopoverBehavior;
enum class RectEdge;

class ViewController : public QObject, public Responder {
  Q_OBJECT

 public:
  // `nibName` names the interface file the view comes from; empty, or not registered: loadView decides.
  explicit ViewController(QString nibName = {});
  ~ViewController() override;

  // The view, loaded (and viewDidLoad run) on first use.
  QWidget* view();
  bool isViewLoaded() const { return !view_.isNull(); }
  // Replaces the view (before the first use, or from loadView).
  void setView(QWidget* view);
  const QString& nibName() const { return nibName_; }

  // A named object of the loaded view (an outlet of its interface file), or null (and a log line) when the
  // file has no object of that name and class.
  template <class T>
  T* outlet(const char* name) {
    T* found = view()->findChild<T*>(QString::fromLatin1(name));
    if (!found) reportMissingOutlet(name);
    return found;
  }

  // The size a popover or window showing the view gives it; (0, 0) means the view's own size. Setting it while
  // shown resizes the popover or window (also to the same value: the container lays the view out again).
  Size preferredContentSize() const { return preferredContentSize_; }
  void setPreferredContentSize(Size size);
  // What a container gives the view: the preferred content size when one is set, else the view's own size.
  Size contentSizeForContainer();

  // Presenting other controllers. The presented controller is not owned: its owner keeps it alive while it is
  // shown. Each presentation ends with dismissViewController (by either side) or when the user closes it.
  void presentViewControllerAsPopover(ViewController* controller, const Rect& positioningRect, QWidget* ofView,
                                      RectEdge preferredEdge, PopoverBehavior behavior);
  // In a titled window of its own, key and in front.
  void presentViewControllerAsWindow(ViewController* controller);
  void dismissViewController(ViewController* controller);
  // Asks the controller that presented this one to dismiss it; nothing when none did.
  void dismissController();
  ViewController* presentingViewController() const { return presenting_; }
  std::vector<ViewController*> presentedViewControllers() const;

  // Where the view is in its appearance (for containers and tests).
  enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };
  Appearance appearance() const { return appearance_; }
  // Containers bracket their show and close with these: begin(true) before showing (viewWillAppear), end once
  // shown (viewDidAppear); begin(false) before closing (viewWillDisappear), end once gone (viewDidDisappear).
  // A begin that finds the opposite transition unfinished finishes it first; redundant calls do nothing.
  void beginAppearanceTransition(bool appearing);
  void endAppearanceTransition();

 signals:
  // The preferred content size was set (containers follow it).
  void preferredContentSizeChanged(platform::Size size);

 protected:
  // Makes the view: a root of the interface file's class with the file set up on it, when nibName is
  // registered; else a plain View. Overrides call setView.
  virtual void loadView();
  virtual void viewDidLoad() {}
  virtual void viewWillAppear() {}
  virtual void viewDidAppear() {}
  virtual void viewWillDisappear() {}
  virtual void viewDidDisappear() {}
  virtual void viewWillLayout() {}
  virtual void viewDidLayout() {}

  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

 private:
  class Presentation;
  void reportMissingOutlet(const char* name) const;
  void scheduleLayoutPass();
  void runLayoutPass();
  void endPresentation(ViewController* controller);

  QString nibName_;
  QPointer<QWidget> view_;
  bool loading_ = false;
  Size preferredContentSize_{0, 0};
  Appearance appearance_ = Appearance::Disappeared;
  unsigned appearanceGeneration_ = 0;
  bool layoutPending_ = false;
  QPointer<ViewController> presenting_;
  std::vector<std::unique_ptr<Presentation>> presented_;
};

}  // namespace platform
