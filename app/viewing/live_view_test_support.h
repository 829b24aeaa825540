#pragma once
// For the live-view display's tests (header only): the offscreen application with a manual clock, a dark window
// to hold the views under test, what the window shows as an image, and pixels read at y-up points of a view.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <memory>

#include "platform/graphics/geometry.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/view_geometry.h"

namespace live_view_testing {

class ViewFixture : public platform::testing::OffscreenFixture {
 protected:
  void SetUp() override {
    OffscreenFixture::SetUp();
    window_ = std::make_unique<QWidget>();
    window_->resize(640, 480);
    QPalette palette = window_->palette();
    palette.setColor(QPalette::Window, QColor(20, 20, 20));
    window_->setPalette(palette);
    window_->setAutoFillBackground(true);
  }
  void TearDown() override { window_.reset(); }

  QWidget* window() { return window_.get(); }
  QImage grabWindow() { return window_->grab().toImage().convertToFormat(QImage::Format_ARGB32); }
  // The pixel of the window image at a y-up point of `view`.
  static QColor at(const QImage& image, const QWidget* view, platform::Point p) {
    const QPointF local = platform::pointToQt(view, p);
    const QPoint inWindow = view->mapTo(view->window(), QPoint(int(std::floor(local.x())), int(std::floor(local.y()))));
    return image.pixelColor(inWindow);
  }

  std::unique_ptr<QWidget> window_;
};

// Colours by their dominant channels, as overlays draw them (anti-aliasing and shadows aside).
inline bool isGreen(const QColor& c) { return c.green() > 200 && c.red() < 60 && c.blue() < 60; }
inline bool isRed(const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
inline bool isYellow(const QColor& c) { return c.red() > 200 && c.green() > 200 && c.blue() < 60; }
inline bool isWhite(const QColor& c) { return c.red() > 220 && c.green() > 220 && c.blue() > 220; }
inline bool isDarkGrey(const QColor& c) {
  return std::abs(c.red() - 85) < 6 && std::abs(c.green() - 85) < 6 && std::abs(c.blue() - 85) < 6;
}

}  // namespace live_view_testing
