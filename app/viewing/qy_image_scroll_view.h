#pragma once
// The zoomable view of one still picture: fitted into the image area, or enlarged so that one pixel of the picture
// takes `zoom factor` points, panned by dragging, gliding a little after a flick, and reporting double clicks to
// its delegate. Coordinates grow upwards (the view is not flipped).
//
// The picture is shown by the platform's image view as the document view: in fit mode the document is the view's
// own size and the image view scales the picture into it once per size; zoomed, the document is the picture's size
// times the factor and only what the clip view shows is painted.
//
// Made by the still-image viewer for each picture it shows; main thread only.
#include <QImage>

#include "platform/foundation/notification_center.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/scroll_view.h"

namespace platform {
class ImageView;
}
class QY_ImageScrollView;

class QY_ImageScrollViewDelegate {
 public:
  virtual ~QY_ImageScrollViewDelegate() = default;
  // A double click, at a point measured from the lower left corner of the fitted picture.
  virtual void imageScrollViewDoubleClicked(QY_ImageScrollView* view, platform::Point point) = 0;
};

class QY_ImageScrollView : public platform::ScrollView {
 public:
  // initWithFrame: (y-up, in the parent).
  explicit QY_ImageScrollView(const platform::Rect& frame, QWidget* parent = nullptr);
  ~QY_ImageScrollView() override;

  // Shows a picture (a null one changes nothing). A zoomed view stays zoomed by the same factor about the same
  // relative point of the picture, a fitted one fitted, so that a picture replaced by a better one of the same
  // scene keeps the user's view.
  void setImageRef(const QImage& image);
  const QImage& imageRef() const { return mImageRef; }
  const platform::Rect& imageRect() const { return mImageRect; }

  // Zooms to `factor`, bringing `point` (in the fitted picture's coordinates, origin at its lower left corner) to
  // the centre as far as the document's edges allow.
  void setZoomFactor(float factor, platform::Point point);
  void setZoomToFit();
  float zoomFactor() const { return mZoomFactor; }

  // Scrolls the clip view to `point` over `duration` seconds, easing out.
  void scrollToPoint(platform::Point point, double duration);
  bool animationActive() const { return mAnimationActive; }

  bool isFlipped() const { return false; }
  QY_ImageScrollViewDelegate* delegate() const { return delegate_; }
  void setDelegate(QY_ImageScrollViewDelegate* delegate) { delegate_ = delegate; }

  // The image view showing the picture (null before the first picture).
  platform::ImageView* imageView() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void viewResized();
  // The fitted picture's size in the document view as it is now.
  platform::Size fittedSize() const;
  // Where the mouse is, in the window's y-up coordinates.
  platform::Point windowPoint(const QMouseEvent* event) const;

  QImage mImageRef;
  platform::Rect mImageRect;
  float mZoomFactor = 0;
  platform::Point clickPoint;
  platform::Point originalOrigin;
  double lastDeltaX = 0, lastDeltaY = 0;
  bool mAnimationActive = false;
  QY_ImageScrollViewDelegate* delegate_ = nullptr;
  // The last mouse position of a press or drag (Qt's y-down window coordinates), for the deltas.
  QPointF lastMousePosition_;
  bool dragging_ = false;
};
