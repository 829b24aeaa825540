#pragma once
// A popover in a borderless window of its own, attached as a child window above a parent window, drawn as a
// rounded bubble whose arrow points at a given point, and faded in and out.
//
// SFBPopover is what callers talk to; SFBPopoverWindow is the window; SFBPopoverWindowFrame, the window's
// frame view, draws the bubble and does the geometry; SFBPopoverAnimationDelegate finishes a fade-out.
// Geometry is y-up throughout: window frames on the y-up screen, points in the parent window's coordinates.

#include <QPainterPath>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/graphics/color.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/path.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"

// Where the bubble lies relative to the point (and so on which side its arrow is).
enum SFBPopoverPosition : unsigned long {
  SFBPopoverPositionLeft = 0,         // arrow on the right side, middle
  SFBPopoverPositionBottom = 1,       // arrow on the top side, middle
  SFBPopoverPositionRight = 2,        // arrow on the left side, middle
  SFBPopoverPositionTop = 3,          // arrow on the bottom side, middle
  SFBPopoverPositionLeftTop = 4,      // left, extending upwards: arrow near the bottom of the right side
  SFBPopoverPositionLeftBottom = 5,   // left, extending downwards: arrow near the top of the right side
  SFBPopoverPositionRightTop = 6,     // right, extending upwards
  SFBPopoverPositionRightBottom = 7,  // right, extending downwards
  SFBPopoverPositionTopLeft = 8,      // above, extending to the left: arrow near the right of the bottom side
  SFBPopoverPositionTopRight = 9,     // above, extending to the right
  SFBPopoverPositionBottomLeft = 10,  // below, extending to the left
  SFBPopoverPositionBottomRight = 11, // below, extending to the right
};

class SFBPopoverWindowFrame : public QWidget {
  Q_OBJECT

 public:
  explicit SFBPopoverWindowFrame(QWidget* parent = nullptr);

  platform::Rect frameRectForContentRect(const platform::Rect& contentRect) const;
  platform::Rect contentRectForFrameRect(const platform::Rect& frameRect) const;
  // The arrow's tip for the frame view's bounds, or for a frame rectangle.
  platform::Point attachmentPoint() const;
  platform::Point attachmentPointForRect(const platform::Rect& rect) const;
  platform::Path popoverFramePathForContentRect(const platform::Rect& contentRect) const;
  void appendArrowToPath(platform::Path& path) const;

  bool drawsArrow() const { return drawsArrow_; }
  void setDrawsArrow(bool d) { drawsArrow_ = d; }
  bool drawRoundCornerBesideArrow() const { return drawRoundCornerBesideArrow_; }
  void setDrawRoundCornerBesideArrow(bool d) { drawRoundCornerBesideArrow_ = d; }
  bool isMovable() const { return movable_; }
  void setMovable(bool m) { movable_ = m; }
  bool isResizable() const { return resizable_; }
  void setResizable(bool r) { resizable_ = r; }
  unsigned long popoverPosition() const { return popoverPosition_; }
  void setPopoverPosition(unsigned long p) { popoverPosition_ = p; }
  double distance() const { return distance_; }
  void setDistance(double d) { distance_ = d; }
  const platform::Color& borderColor() const { return borderColor_; }
  void setBorderColor(const platform::Color& c) { borderColor_ = c; }
  double borderWidth() const { return borderWidth_; }
  void setBorderWidth(double w) { borderWidth_ = w; }
  double cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(double r) { cornerRadius_ = r; }
  double arrowWidth() const { return arrowWidth_; }
  void setArrowWidth(double w) { arrowWidth_ = w; }
  double arrowHeight() const { return arrowHeight_; }
  void setArrowHeight(double h) { arrowHeight_ = h; }
  double viewMargin() const { return viewMargin_; }
  void setViewMargin(double m) { viewMargin_ = m; }
  const platform::Color& backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(const platform::Color& c) { backgroundColor_ = c; }

  // The popover's content view keeps its y-up frame in here (it does not resize with the window).
  void placeContentView(QWidget* view, const platform::Rect& frame);
  QWidget* contentView() const { return content_; }
  platform::Rect contentViewFrame() const { return contentFrame_; }
  // The bubble's outline in the view's own coordinates (y down), as it is drawn.
  QPainterPath bubbleShape() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  // Which way the position puts the arrow: 0 right side, 1 top, 2 left, 3 bottom; -1 for no arrow position.
  int arrowSide() const;
  double offset() const { return arrowHeight_ + distance_; }

  bool drawsArrow_ = true;
  bool drawRoundCornerBesideArrow_ = true;
  bool movable_ = false;
  bool resizable_ = false;
  unsigned long popoverPosition_ = SFBPopoverPositionBottom;
  double distance_ = 0;
  platform::Color borderColor_ = platform::Color::whiteColor();
  double borderWidth_ = 2;
  double cornerRadius_ = 8;
  double arrowWidth_ = 20;
  double arrowHeight_ = 16;
  double viewMargin_ = 2;
  platform::Color backgroundColor_ = platform::Color::white(0.1, 0.75);
  QPointer<QWidget> content_;
  platform::Rect contentFrame_;
  QPainterPath drawnShape_;  // the outline last drawn, to notice when it changes
};

class SFBPopoverWindow : public platform::Window {
  Q_OBJECT

 public:
  // Always borderless, whatever is asked for; floating, clear, with a shadow.
  explicit SFBPopoverWindow(const platform::Rect& contentRect);

  QWidget* popoverContentView() const { return popoverContentView_; }
  void setPopoverContentView(QWidget* view);
  void setContentSize(platform::Size size);
  platform::Rect contentRectForFrameRect(const platform::Rect& r) const { return frameView_->contentRectForFrameRect(r); }
  platform::Rect frameRectForContentRect(const platform::Rect& r) const { return frameView_->frameRectForContentRect(r); }
  SFBPopoverWindowFrame* popoverWindowFrame() const { return frameView_; }

  bool canBecomeKeyWindow() const override { return true; }
  bool canBecomeMainWindow() const override { return false; }
  // The bubble, for the window's mask and shadow.
  QPainterPath windowShape() const override;

  // Geometry setters keep the arrow's tip where it is on the screen.
  unsigned long popoverPosition() const { return frameView_->popoverPosition(); }
  void setPopoverPosition(unsigned long position);
  double distance() const { return frameView_->distance(); }
  void setDistance(double distance);
  double arrowHeight() const { return frameView_->arrowHeight(); }
  void setArrowHeight(double height);
  double borderWidth() const { return frameView_->borderWidth(); }
  void setBorderWidth(double width);
  double viewMargin() const { return frameView_->viewMargin(); }
  void setViewMargin(double margin);
  // Appearance setters store and redraw.
  const platform::Color& borderColor() const { return frameView_->borderColor(); }
  void setBorderColor(const platform::Color& c);
  double cornerRadius() const { return frameView_->cornerRadius(); }
  void setCornerRadius(double r);
  bool drawsArrow() const { return frameView_->drawsArrow(); }
  void setDrawsArrow(bool d);
  double arrowWidth() const { return frameView_->arrowWidth(); }
  void setArrowWidth(double w);
  bool drawRoundCornerBesideArrow() const { return frameView_->drawRoundCornerBesideArrow(); }
  void setDrawRoundCornerBesideArrow(bool d);
  const platform::Color& popoverBackgroundColor() const { return frameView_->backgroundColor(); }
  void setPopoverBackgroundColor(const platform::Color& c);
  bool isMovable() const { return frameView_->isMovable(); }
  void setMovable(bool m) { frameView_->setMovable(m); }
  bool isResizable() const { return frameView_->isResizable(); }
  void setResizable(bool r) { frameView_->setResizable(r); }

 private:
  // Grows the frame by d on the arrow's side (distance, arrow height).
  void growOnArrowSide(double d);
  // Outsets the frame by d and shifts it away from the arrow (border width, view margin).
  void outsetAwayFromArrow(double d);

  SFBPopoverWindowFrame* frameView_ = nullptr;
  QPointer<QWidget> popoverContentView_;
};

// Finishes a fade-out: once the alpha animation ends at 0, the window leaves its parent and the screen.
class SFBPopoverAnimationDelegate {
 public:
  explicit SFBPopoverAnimationDelegate(SFBPopoverWindow* window) : popoverWindow_(window) {}
  void animationDidStop(bool finished);

 private:
  QPointer<SFBPopoverWindow> popoverWindow_;
};

class SFBPopover : public QObject {
  Q_OBJECT

 public:
  // The popover shows `contentView` (it takes it over) at its current size.
  explicit SFBPopover(QWidget* contentView);
  // The popover shows the view of `controller` (not owned), at the controller's preferred content size when it
  // has one, else at the view's size. The controller hears viewWillAppear / viewDidAppear as the popover shows
  // (did once faded in) and viewWillDisappear / viewDidDisappear as it closes (did once gone), and keeps its
  // view when the popover is deleted, so that one controller can be shown by one new popover after another:
  //   auto* popover = new SFBPopover(mTimerViewController);
  explicit SFBPopover(platform::ViewController* controller);
  ~SFBPopover() override;
  platform::ViewController* contentViewController() const;

  // Shows the popover with its arrow's tip on a point of `window` (y-up window coordinates; a screen point
  // when there is no window). Nothing when it is visible already.
  void displayPopoverInWindow(QWidget* window, platform::Point point);
  void displayPopoverInWindow(QWidget* window, platform::Point point, bool chooseBestLocation, bool makeKey);
  void movePopoverToPoint(platform::Point point);
  void closePopover();
  SFBPopoverWindow* popoverWindow() const { return popoverWindow_; }
  bool isVisible() const;
  QWidget* contentView() const { return popoverWindow_->popoverContentView(); }

  unsigned long position() const { return popoverWindow_->popoverPosition(); }
  void setPosition(unsigned long p) { popoverWindow_->setPopoverPosition(p); }
  double distance() const { return popoverWindow_->distance(); }
  void setDistance(double d) { popoverWindow_->setDistance(d); }
  const platform::Color& borderColor() const { return popoverWindow_->borderColor(); }
  void setBorderColor(const platform::Color& c) { popoverWindow_->setBorderColor(c); }
  double borderWidth() const { return popoverWindow_->borderWidth(); }
  void setBorderWidth(double w) { popoverWindow_->setBorderWidth(w); }
  double cornerRadius() const { return popoverWindow_->cornerRadius(); }
  void setCornerRadius(double r) { popoverWindow_->setCornerRadius(r); }
  bool drawsArrow() const { return popoverWindow_->drawsArrow(); }
  void setDrawsArrow(bool d) { popoverWindow_->setDrawsArrow(d); }
  double arrowWidth() const { return popoverWindow_->arrowWidth(); }
  void setArrowWidth(double w) { popoverWindow_->setArrowWidth(w); }
  double arrowHeight() const { return popoverWindow_->arrowHeight(); }
  void setArrowHeight(double h) { popoverWindow_->setArrowHeight(h); }
  bool drawRoundCornerBesideArrow() const { return popoverWindow_->drawRoundCornerBesideArrow(); }
  void setDrawRoundCornerBesideArrow(bool d) { popoverWindow_->setDrawRoundCornerBesideArrow(d); }
  double viewMargin() const { return popoverWindow_->viewMargin(); }
  void setViewMargin(double m) { popoverWindow_->setViewMargin(m); }
  const platform::Color& backgroundColor() const { return popoverWindow_->popoverBackgroundColor(); }
  void setBackgroundColor(const platform::Color& c) { popoverWindow_->setPopoverBackgroundColor(c); }
  bool isMovable() const { return popoverWindow_->isMovable(); }
  void setMovable(bool m) { popoverWindow_->setMovable(m); }
  bool isResizable() const { return popoverWindow_->isResizable(); }
  void setResizable(bool r) { popoverWindow_->setResizable(r); }
  bool animates() const { return animates_; }
  void setAnimates(bool a) { animates_ = a; }
  bool closesWhenPopoverResignsKey() const { return closesWhenPopoverResignsKey_; }
  void setClosesWhenPopoverResignsKey(bool c) { closesWhenPopoverResignsKey_ = c; }
  bool closesWhenApplicationBecomesInactive() const { return closesWhenApplicationBecomesInactive_; }
  void setClosesWhenApplicationBecomesInactive(bool c) { closesWhenApplicationBecomesInactive_ = c; }
  void forceViewRefresh();

  // The position that fits best around a point of the window on its screen.
  unsigned long bestPositionInWindow(QWidget* window, platform::Point point) const;

 private:
  void windowDidResignKey();
  void applicationDidResignActive();

  SFBPopoverWindow* popoverWindow_ = nullptr;
  QPointer<platform::ViewController> controller_;
  std::unique_ptr<SFBPopoverAnimationDelegate> animationDelegate_;
  QPointer<QWidget> parentWindow_;
  bool animates_ = true;
  bool closesWhenPopoverResignsKey_ = false;
  bool closesWhenApplicationBecomesInactive_ = false;
};
