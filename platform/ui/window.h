#pragma once
// Top-level windows in the y-up model: frames in y-up screen coordinates, an alpha value that can animate,
// child windows that move with their parent and stay above it, a key window, and the front-to-back order of
// all visible top-level widgets of the application (ours and plain Qt ones).

#include <QPointer>
#include <QWidget>
#include <QPainterPath>
#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/ui/animation.h"

namespace platform {

class WindowController;
class WindowShadow;

class Window : public QWidget {
  Q_OBJECT

 public:
  enum Level { NormalLevel = 0, FloatingLevel = 3 };

  // A borderless window has no title bar or frame (and is a tool window: not in the task bar).
  explicit Window(bool borderless = false);
  ~Window() override;

  // The view that fills the window; the window owns it.
  QWidget* contentView() const { return content_; }
  void setContentView(QWidget* view);

  // Frame in y-up screen coordinates (the client area: our windows have no decoration of their own).
  Rect frame() const;
  void setFrame(const Rect& frame, bool display = true);
  void setFrameOrigin(Point origin);
  void setContentSize(Size size);
  // The smallest size the user may resize the window to; the program may still make it smaller.
  void setMinSize(Size size);
  Size minSize() const { return minSize_; }

  // Alpha of the whole window. The animated form replaces a running alpha animation (which then stops with
  // finished = false) and reports through `didStop` once it ends.
  double alphaValue() const { return alpha_; }
  void setAlphaValue(double alpha);
  void animateAlphaValue(double to, double duration, std::function<void(bool finished)> didStop = {});
  bool isAnimatingAlpha() const;

  int level() const { return level_; }
  void setLevel(int level);
  // A soft shadow drawn by us behind the window's shape (window managers shadow only what they decorate). Off
  // by default. Only shown where see-through windows are available.
  bool hasShadow() const { return hasShadow_; }
  void setHasShadow(bool s);
  // A window that is not opaque shows only its shape; where see-through windows are not available, the shape
  // is cut out with a mask instead (which is where the shadow would be lost).
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque);
  // The window's visible shape, in the coordinates of its frame (title bar included; y down). The whole frame
  // unless a subclass draws a shape of its own.
  virtual QPainterPath windowShape() const;
  // Takes a changed shape into the mask and the shadow.
  void invalidateShape();
  WindowShadow* shadowWindow() const { return shadow_.get(); }

  // Child windows follow their parent's moves and are ordered above it.
  void addChildWindow(Window* child);
  void removeChildWindow(Window* child);
  QWidget* parentWindow() const { return parent_.data(); }
  std::vector<Window*> childWindows() const;

  void orderFront();
  void orderOut();
  void makeKeyWindow();
  void makeKeyAndOrderFront();
  bool isKeyWindow() const;
  virtual bool canBecomeKeyWindow() const { return true; }
  virtual bool canBecomeMainWindow() const { return true; }

  // Window coordinates: y-up from the lower-left corner of the client area.
  Point convertPointToScreen(Point p) const;
  Point convertPointFromScreen(Point p) const;

  // Asked when the window manager (or the user's close shortcut) asks to close the window: answers whether it
  // may close. Without a handler it closes.
  void setCloseRequestHandler(std::function<bool()> handler) { closeRequestHandler_ = std::move(handler); }

  WindowController* windowController() const { return controller_; }
  void setWindowController(WindowController* c) { controller_ = c; }

  // The visible real windows of the application (see isRealWindow), front to back.
  static std::vector<QWidget*> orderedWindows();
  // The key window among ours, or null.
  static Window* keyWindow();

 signals:
  void didBecomeKey();
  void didResignKey();
  void didMove();

 protected:
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void applyMinSize();
  void applyAlpha();
  friend class WindowRegistry;
  friend void addChildWindow(QWidget*, Window*);
  friend void removeChildWindow(QWidget*, Window*);
  QWidget* content_ = nullptr;
  QPointer<QWidget> parent_;
  WindowController* controller_ = nullptr;
  double alpha_ = 1.0;
  Animator::Id alphaAnimation_ = 0;
  int level_ = NormalLevel;
  bool hasShadow_ = false;
  bool opaque_ = true;
  Size minSize_{0, 0};
  std::function<bool()> closeRequestHandler_;
  std::unique_ptr<WindowShadow> shadow_;
};

// Whether a top-level widget is a window a user works in: menus, pop-up lists, tooltips, splash screens and the
// shadows of windows are not (they never count as the window in front).
bool isRealWindow(const QWidget* w);

// Child windows of any top-level widget (ours or a plain Qt window): the child follows the parent's moves
// and is ordered above it while both are visible.
void addChildWindow(QWidget* parent, Window* child);
void removeChildWindow(QWidget* parent, Window* child);
std::vector<Window*> childWindowsOf(const QWidget* parent);
// A point in a window's coordinates (y-up from the lower-left corner of its client area) on the y-up screen.
Point convertPointToScreen(const QWidget* window, Point p);
Point convertPointFromScreen(const QWidget* window, Point p);

}  // namespace platform
