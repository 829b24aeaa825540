#pragma once
// A scroll view in the view model: a clip view shows part of a document view; the clip view's bounds origin is
// the document point at its lower-left corner (top-left for a flipped document), kept inside the document,
// and set at once or, inside an AnimationContext group, animated with the group's duration and timing (the
// ease-out glide after a flick). Scrollers lie over the edges; hidden automatically while the document fits
// when asked. Wheel and scroller moves by the user post the live-scroll notification with the scroll view as
// object; scrolls made by code do not. Main thread only.

#include <QCursor>
#include <QScrollBar>
#include <QWidget>
#include <functional>

#include "platform/graphics/geometry.h"
#include "platform/ui/animation.h"
#include "platform/ui/view.h"

namespace platform {

// Posted while the user scrolls a scroll view (wheel, scroller), once per move.
extern const char* const ScrollViewDidLiveScrollNotification;

// A document view whose y grows downwards (a collection view's); others are y-up.
void setFlipped(QWidget* view, bool flipped);
bool isFlipped(const QWidget* view);

// Implemented by document views that lay out only what is seen (collection views): told when the part of
// them that shows changes.
class VisibleRectObserver {
 public:
  virtual ~VisibleRectObserver() = default;
  virtual void visibleRectChanged() = 0;
};

class ClipView : public QWidget {
 public:
  explicit ClipView(QWidget* parent = nullptr);
  ~ClipView() override;

  QWidget* documentView() const { return document_; }
  void setDocumentView(QWidget* document);

  // The origin as drawn now (during an animation, the animated value).
  Point boundsOrigin() const { return origin_; }
  // Constrained into the document; animated inside a group.
  void setBoundsOrigin(Point origin);
  // At once, whatever group is in force.
  void scrollToPoint(Point origin);
  // (origin, clip size): the part of the document shown.
  Rect bounds() const;
  // The origin kept in 0 ... document size - clip size on each axis (0 where the document is smaller).
  Point constrainScrollPoint(Point proposed) const;
  Rect constrainBoundsRect(const Rect& proposed) const;
  bool isAnimating() const { return animation_ != 0; }
  // The size shown: the scroll view's (also before a hidden scroll view had its resize events).
  QSize clipSize() const;

  // Called after every change of what shows (origin, clip size, document size).
  void setBoundsChangedHandler(std::function<void()> handler) { boundsChanged_ = std::move(handler); }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void place(Point origin);
  void cancelAnimation();

  QWidget* document_ = nullptr;
  Point origin_;
  Animator::Id animation_ = 0;
  std::function<void()> boundsChanged_;
};

class ScrollView : public View {
 public:
  explicit ScrollView(QWidget* parent = nullptr);

  ClipView* contentView() const { return clip_; }
  QWidget* documentView() const { return clip_->documentView(); }
  // The scroll view takes the document (a child of its clip view from now on).
  void setDocumentView(QWidget* document);
  // The part of the document shown, in the document's coordinates.
  Rect documentVisibleRect() const { return clip_->bounds(); }

  bool hasHorizontalScroller() const { return hasHorizontal_; }
  void setHasHorizontalScroller(bool has);
  bool hasVerticalScroller() const { return hasVertical_; }
  void setHasVerticalScroller(bool has);
  bool autohidesScrollers() const { return autohides_; }
  void setAutohidesScrollers(bool autohides);
  QScrollBar* horizontalScroller() const { return horizontal_; }
  QScrollBar* verticalScroller() const { return vertical_; }

  // Brings the scrollers in line with the clip view (after it scrolled, or the document changed size).
  void reflectScrolledClipView(ClipView* clip);

  // The cursor over the document; the arrow unless set.
  void setDocumentCursor(const QCursor& cursor);
  QCursor documentCursor() const { return clip_->cursor(); }

  // Points scrolled per wheel step of 15 degrees.
  static constexpr double kLineScroll = 40;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  void layoutScrollers();
  void scrollByUser(Point origin);
  void scrollerMoved();

  ClipView* clip_;
  QScrollBar* horizontal_;
  QScrollBar* vertical_;
  bool hasHorizontal_ = false;
  bool hasVertical_ = false;
  bool autohides_ = false;
  bool reflecting_ = false;
};

}  // namespace platform
