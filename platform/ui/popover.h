#pragma once
// The platform popover: a view controller's view in a bubble whose arrow points at a rectangle of a view,
// shown in a frameless tool window of its own that stays above (and moves with) the view's window.
//
//   auto* popover = new platform::Popover(this);              // owned as any QObject
//   popover->setContentViewController(picker);               // not owned: keep the picker alive meanwhile
//   popover->setContentSize(sizeOf(picker->view()));         // else the controller's preferred size
//   popover->setAnimates(true);
//   popover->setBehavior(platform::PopoverBehavior::SemiTransient);
//   popover->setDelegate(this);                              // popoverDidClose once it is gone
//   popover->showRelativeToRect(boundsOf(button), button, platform::RectEdge::MinY);   // below the button
//
// Behaviours: ApplicationDefined closes only when told; SemiTransient also closes on a press elsewhere in the
// window of the positioning view and on Escape (in that window or in the popover); Transient also on a press in
// any other window and when the application is deactivated. The press that closes the popover still reaches
// what was pressed. It watches the application's events with an event filter; it never grabs the mouse or the
// keyboard as a Qt popup would, so the rest of the window keeps working while it is shown.
//
// A popover is shown from showRelativeToRect until popoverDidClose: isShown stays true while it fades out.
// The controller gets viewWillAppear before the popover shows, viewDidAppear once it is in, viewWillDisappear
// when the close begins and viewDidDisappear once it is gone. Main thread only.
#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"

class QWidget;

namespace platform {

class Popover;
class PopoverWindow;
class ViewController;
class Window;

// Edges of a rectangle in the y-up model: min-y is the bottom edge (a popover there opens below the rectangle).
enum class RectEdge { MinX, MinY, MaxX, MaxY };

enum class PopoverBehavior { ApplicationDefined, Transient, SemiTransient };

class PopoverDelegate {
 public:
  virtual ~PopoverDelegate() = default;
  virtual void popoverWillShow(Popover*) {}
  virtual void popoverDidShow(Popover*) {}
  virtual void popoverWillClose(Popover*) {}
  // The popover is off the screen; the delegate may delete it from here.
  virtual void popoverDidClose(Popover*) {}
};

class Popover : public QObject {
  Q_OBJECT

 public:
  explicit Popover(QObject* parent = nullptr);
  ~Popover() override;

  ViewController* contentViewController() const { return controller_; }
  void setContentViewController(ViewController* controller);
  // The content's size: as set, else the controller's preferred content size, else its view's size.
  Size contentSize() const;
  void setContentSize(Size size);

  bool animates() const { return animates_; }
  void setAnimates(bool animates) { animates_ = animates; }
  PopoverBehavior behavior() const { return behavior_; }
  void setBehavior(PopoverBehavior behavior) { behavior_ = behavior; }
  PopoverDelegate* delegate() const { return delegate_; }
  void setDelegate(PopoverDelegate* delegate) { delegate_ = delegate; }

  // Shows the popover with its arrow at the middle of `rect`'s `preferredEdge` (rect in `view`'s y-up
  // coordinates); on the opposite edge when the preferred side has no room on the screen. A shown popover moves
  // to the new place. Nothing without a controller or a view.
  void showRelativeToRect(const Rect& rect, QWidget* view, RectEdge preferredEdge);
  // Closes the popover (fading out when it animates); nothing when it is not shown or already closing.
  void close();
  bool isShown() const { return state_ != State::Closed; }
  // The edge the arrow actually points from (after a flip for lack of room).
  RectEdge shownEdge() const { return edge_; }
  // The window that shows the popover (for tests and screenshots); null while closed.
  Window* popoverWindow() const;

  // Seconds a fade in or out takes.
  static constexpr double kFadeDuration = 0.15;

 signals:
  void didClose();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class State { Closed, Showing, Shown, Closing };
  void place();
  void fadeTo(double alpha, State during, void (Popover::*then)());
  void finishShow();
  void finishClose();
  bool closesOnPressIn(QWidget* window) const;
  bool isOurs(const QWidget* widget) const;

  QPointer<ViewController> controller_;
  Size contentSize_{0, 0};
  bool animates_ = false;
  PopoverBehavior behavior_ = PopoverBehavior::ApplicationDefined;
  PopoverDelegate* delegate_ = nullptr;
  State state_ = State::Closed;
  std::unique_ptr<PopoverWindow> window_;
  QPointer<QWidget> positioningView_;
  QPointer<QWidget> positioningWindow_;
  Rect positioningRect_;
  RectEdge preferredEdge_ = RectEdge::MinY;
  RectEdge edge_ = RectEdge::MinY;
  bool filtering_ = false;
};

}  // namespace platform
