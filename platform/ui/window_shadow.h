#pragma once
// The soft shadow of a window whose shape is its own (a bubble with an arrow, a rounded panel): a see-through
// window of its own, just behind the window it belongs to, that follows its moves, size, visibility and alpha.
// Window managers shadow only the windows they decorate; these get theirs from here.

#include <QImage>
#include <QPainterPath>
#include <QPointer>
#include <QWidget>

namespace platform {

class WindowShadow : public QWidget {
 public:
  // Blur radius and downward offset in points, and the shadow's darkest alpha.
  static constexpr int kBlur = 12;
  static constexpr int kOffset = 4;
  static constexpr double kAlpha = 0.7;

  explicit WindowShadow(QWidget* owner);
  // Places the shadow for the owner's frame and a shape (in the owner's frame coordinates, y down).
  void follow(const QPainterPath& shape);
  // Follows the owner's place only (a move), keeping the drawn shape.
  void followPosition();
  QWidget* owner() const { return owner_; }
  // The margin of the shadow window around its owner's frame.
  static int margin() { return kBlur + kOffset; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPointer<QWidget> owner_;
  QImage image_;
};

// Whether a top-level widget is the shadow of another window.
bool isWindowShadow(const QWidget* w);

}  // namespace platform
