#pragma once
// Shared set-up of the widget tests: the offscreen application, a clock the test advances, a dark top-level
// window to put widgets in, and real pointer events delivered through that window (so that Qt's own
// hit-testing decides which widget gets them).

#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

#include "platform/foundation/test_application.h"
#include "platform/ui/testing/manual_time_source.h"
#include "platform/ui/time_source.h"

namespace widgets_testing {

class WidgetFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ensureTestApplication();
    window_ = std::make_unique<QWidget>();
    window_->resize(400, 300);
    QPalette pal = window_->palette();
    pal.setColor(QPalette::Window, QColor(20, 20, 20));
    window_->setPalette(pal);
    window_->setAutoFillBackground(true);
  }
  void TearDown() override { window_.reset(); }

  QWidget* window() { return window_.get(); }
  void showWindow() {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  // A point of a widget (Qt coordinates of the widget; its centre by default) in window coordinates.
  QPoint inWindow(const QWidget* w, QPoint p = QPoint(-1, -1)) const {
    if (p == QPoint(-1, -1)) p = w->rect().center();
    return w->mapTo(window_.get(), p);
  }
  void press(QPoint windowPoint) { QTest::mousePress(window_->windowHandle(), Qt::LeftButton, {}, windowPoint); }
  void release(QPoint windowPoint) {
    QTest::mouseRelease(window_->windowHandle(), Qt::LeftButton, {}, windowPoint);
  }
  void move(QPoint windowPoint) { QTest::mouseMove(window_->windowHandle(), windowPoint); }
  void click(QPoint windowPoint) {
    press(windowPoint);
    release(windowPoint);
  }
  QImage grabWindow() { return window_->grab().toImage().convertToFormat(QImage::Format_ARGB32); }
  // A pixel of the window image at a widget's point (Qt coordinates of the widget).
  QColor pixel(const QImage& img, const QWidget* w, QPoint p) const { return img.pixelColor(inWindow(w, p)); }

  std::shared_ptr<platform::testing::ManualTimeSource> clock_ =
      std::make_shared<platform::testing::ManualTimeSource>();
  platform::ScopedTimeSource scopedClock_{clock_};
  std::unique_ptr<QWidget> window_;
};

// Colour channels equal within a tolerance (anti-aliasing, 8-bit rounding).
inline ::testing::AssertionResult near(const QColor& actual, const QColor& expected, int tolerance = 3) {
  if (std::abs(actual.red() - expected.red()) <= tolerance && std::abs(actual.green() - expected.green()) <= tolerance &&
      std::abs(actual.blue() - expected.blue()) <= tolerance && std::abs(actual.alpha() - expected.alpha()) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << actual.name(QColor::HexArgb).toStdString() << ", expected "
                                       << expected.name(QColor::HexArgb).toStdString();
}

}  // namespace widgets_testing
