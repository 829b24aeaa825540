#pragma once
// For tests (header only): the offscreen application, a clock the test advances (animations and timers), and
// real mouse and key events delivered the way the window system delivers them, so that Qt's own hit-testing
// and the application's event filters see them as they see a user's.
#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>
#include <memory>

#include "platform/foundation/test_application.h"
#include "platform/ui/testing/manual_time_source.h"
#include "platform/ui/time_source.h"

namespace platform::testing {

class OffscreenFixture : public ::testing::Test {
 protected:
  void SetUp() override { ensureTestApplication(); }

  // Runs what is queued on the event loop (zero-time timers, posted events, queued calls).
  static void settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
  }
  // A left-button press and release at `p` of `widget` (Qt coordinates; its centre by default), sent to the
  // widget's window.
  static void press(QWidget* widget, QPoint p = QPoint(-1, -1)) {
    QTest::mousePress(widget->window()->windowHandle(), Qt::LeftButton, {}, inWindow(widget, p));
  }
  static void release(QWidget* widget, QPoint p = QPoint(-1, -1)) {
    QTest::mouseRelease(widget->window()->windowHandle(), Qt::LeftButton, {}, inWindow(widget, p));
  }
  static void click(QWidget* widget, QPoint p = QPoint(-1, -1)) {
    press(widget, p);
    release(widget, p);
  }
  static QPoint inWindow(QWidget* widget, QPoint p) {
    if (p == QPoint(-1, -1)) p = widget->rect().center();
    return widget->mapTo(widget->window(), p);
  }
  static void showAndWait(QWidget* window) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  }

  std::shared_ptr<ManualTimeSource> clock_ = std::make_shared<ManualTimeSource>();
  ScopedTimeSource scopedClock_{clock_};
};

}  // namespace platform::testing
