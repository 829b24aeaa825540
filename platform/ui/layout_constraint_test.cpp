// A panel collapsed by a layout constant before its window's first paint, and brought back.
#include "platform/ui/layout_constraint.h"

#include <QHBoxLayout>
#include <QPaintEvent>
#include <QPainter>

#include "platform/ui/testing/offscreen_fixture.h"

namespace platform {
namespace {

// Fills itself with a colour and counts its paints.
class Panel : public QWidget {
 public:
  Panel(QColor colour, QWidget* parent) : QWidget(parent), colour_(colour) {}
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override {
    ++paints;
    QPainter(this).fillRect(rect(), colour_);
  }

 private:
  QColor colour_;
};

class LayoutConstraintTest : public testing::OffscreenFixture {};

TEST_F(LayoutConstraintTest, APanelCollapsedBeforeTheFirstPaintNeverShowsAndComesBackAtOnce) {
  QWidget window;
  window.resize(600, 300);
  auto* row = new QHBoxLayout(&window);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  auto* image = new Panel(Qt::blue, &window);
  image->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  auto* controls = new Panel(Qt::red, &window);
  row->addWidget(image);
  row->addWidget(controls);
  LayoutConstraint width(controls, LayoutAttribute::Width, 200);
  width.setConstant(0);  // the setting says the controls are hidden

  showAndWait(&window);
  EXPECT_EQ(controls->width(), 0);
  EXPECT_EQ(controls->paints, 0) << "never painted";
  EXPECT_EQ(image->width(), 600);
  QImage shot = window.grab().toImage();
  EXPECT_EQ(shot.pixelColor(590, 150), QColor(Qt::blue));

  // Shown again: laid out before anything else runs, so the next paint has it.
  width.setConstant(200);
  EXPECT_EQ(controls->width(), 200);
  EXPECT_EQ(image->width(), 400);
  shot = window.grab().toImage();
  EXPECT_EQ(shot.pixelColor(590, 150), QColor(Qt::red));
  EXPECT_EQ(shot.pixelColor(390, 150), QColor(Qt::blue));
}

}  // namespace
}  // namespace platform
