#pragma once
// The tripod head's direction pad: a ring with eight arrows. Pressing and dragging on it picks the direction of the
// arrow the pointer lies toward (none within 25 points of the middle) and tells the delegate each time it changes
// by more than 3 points; releasing stops the head. A double click (two presses within 0.4 s on the widgets' clock)
// locks the direction: the head keeps moving after the release, until the next single click ends.
//
// Direction codes: 0 stop, 1 up, 2 down, 4 left, 8 right, and the sums 5 up-left, 6 down-left, 9 up-right,
// 10 down-right. Main thread only.
#include <QImage>
#include <map>

#include "platform/graphics/geometry.h"
#include "platform/ui/view.h"

// What the pad tells its owner.
class TripodMovelViewDelegate {
 public:
  virtual ~TripodMovelViewDelegate() = default;
  virtual void directionSelected(int direction) = 0;
};

namespace tripod {

enum Direction : int {
  kStop = 0,
  kUp = 1,
  kDown = 2,
  kLeft = 4,
  kUpLeft = 5,
  kDownLeft = 6,
  kRight = 8,
  kUpRight = 9,
  kDownRight = 10,
};

// The direction of an offset (y up) from the pad's middle: eight 45-degree sectors centred on the axes and the
// diagonals, none within the dead zone.
int directionForOffset(double dx, double dy);

inline constexpr double kDeadZoneRadius = 25;
// Moves of the pointer this close to the last point used change nothing.
inline constexpr double kMinimumMove = 3;
inline constexpr double kDoubleClickInterval = 0.4;

}  // namespace tripod

class QY_TripodMoveView : public platform::View {
  Q_OBJECT

 public:
  explicit QY_TripodMoveView(QWidget* parent = nullptr);

  TripodMovelViewDelegate* delegate() const { return mDelegate; }
  void setDelegate(TripodMovelViewDelegate* delegate) { mDelegate = delegate; }

  // Draws the direction as active and tells the delegate.
  void setDirection(int direction);
  // The direction of a point in the pad's coordinates (y up).
  int directionForPoint(platform::Point point) const;
  void newMouseLocation(platform::Point point);
  // Draws the direction as active without telling the delegate.
  void forceDirectionGui(int direction);
  // Forgets a locked direction and draws none, without telling the delegate (the owner has stopped the head).
  void resetDirection();

  int currentDirection() const { return mCurrentDirection; }
  bool directionLocked() const { return mDirectionLocked; }

  // The user's hands (Qt's mouse events lead here, in the pad's y-up coordinates).
  void mouseDown(platform::Point point);
  void mouseDragged(platform::Point point);
  void mouseUp();

 protected:
  void drawRect(platform::Canvas& canvas, const platform::Rect& bounds) override;
  bool drawsContent() const override { return true; }
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  // The pad drawn with one arrow lit (0: none), at the view's size and pixel ratio. A drag repaints on every mouse
  // move; the ring and arrows with their glow are drawn once per direction and then copied.
  const QImage& picture(int direction, double width, double height, double ratio);

  platform::Point mCurrentPoint{-1000, -1000};
  int mCurrentDirection = tripod::kStop;
  bool mDirectionLocked = false;
  TripodMovelViewDelegate* mDelegate = nullptr;
  std::map<int, QImage> mPictures;
};
