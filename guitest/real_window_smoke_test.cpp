// One window as the user meets it, on whatever window system the test runs on: scripts/xvfb-smoke runs it on the
// X11 platform under a virtual X server (and says so in VX_EXPECT_PLATFORM), ctest offscreen. A window with a
// panel shown, its button clicked against a connected camera, its pixels on the screen, then closed.
#include <QBackingStore>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "devicesim/canon_camera.h"
#include "guitest/gui_test.h"
#include "guitest/test_panel.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/window.h"

namespace guitest {
namespace {

class RealWindowSmoke : public GuiTest {};

// On a failed pixel check, when VX_SMOKE_SHOTS names a folder: what the screen shows, what the window's backing
// store holds (told apart: painted but not flushed, or never painted again), and the window rendered afresh; on
// stderr, where the screen differs from the fresh rendering and where the window's views are.
void saveDiagnostics(QWidget& window) {
  const QString folder = qEnvironmentVariable("VX_SMOKE_SHOTS");
  if (folder.isEmpty()) return;
  window.screen()->grabWindow(window.winId()).save(folder + "/screen.png");
  if (QBackingStore* store = window.backingStore())
    if (auto* image = dynamic_cast<QImage*>(store->paintDevice())) image->save(folder + "/backingstore.png");
  const QImage rendered = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
  rendered.save(folder + "/rendered.png");
  // Where the screen differs from a fresh rendering.
  const QImage screen = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_RGB32);
  QRect stale;
  for (int y = 0; y < std::min(screen.height(), rendered.height()); ++y)
    for (int x = 0; x < std::min(screen.width(), rendered.width()); ++x) {
      const QColor a = screen.pixelColor(x, y), b = rendered.pixelColor(x, y);
      if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) > 6)
        stale |= QRect(x, y, 1, 1);
    }
  std::fprintf(stderr, "stale on screen: %d,%d %dx%d\n", stale.x(), stale.y(), stale.width(), stale.height());
  for (QWidget* child : window.findChildren<QWidget*>())
    if (child->isVisible())
      std::fprintf(stderr, "  %s %s at %d,%d %dx%d\n", child->metaObject()->className(),
                   qPrintable(child->objectName()), child->mapTo(&window, QPoint()).x(),
                   child->mapTo(&window, QPoint()).y(), child->width(), child->height());
}

TEST_F(RealWindowSmoke, AWindowShowsTakesAClickAndCloses) {
  const QString expected = qEnvironmentVariable("VX_EXPECT_PLATFORM");
  if (!expected.isEmpty()) {
    ASSERT_EQ(QGuiApplication::platformName(), expected);
  }
  ASSERT_TRUE(connect("canon"));

  platform::Window window;
  window.setWindowTitle("Smoke");
  auto* panel = new TestPanel;
  window.setContentView(panel);
  window.setContentSize(platform::Size{260, 150});
  ASSERT_TRUE(showWindow(&window));

  ASSERT_TRUE(click(&window, "oButton"));
  ASSERT_TRUE(waitUntil([&] { return panel->oAnswer->text() != "No answer yet"; }));
  EXPECT_EQ(panel->oAnswer->text().toStdString(), devicesim::canonBodyModel(devicesim::CanonCameraOptions{}.body));

  // On a real window system the swatch's colour reaches the screen, where the window is, once the progress overlay
  // the click showed has gone: what it covered must be painted again.
  if (QGuiApplication::platformName() == "xcb") {
    ASSERT_TRUE(waitForOverlays());
    const QRect swatch(panel->findChild<QWidget*>("oSwatch")->mapTo(&window, QPoint()),
                       panel->findChild<QWidget*>("oSwatch")->size());
    double onScreen = 0;
    EXPECT_TRUE(waitUntil([&] {
      onScreen = coverage(window.screen()->grabWindow(window.winId()).toImage(), TestPanel::kSwatchColour, swatch);
      return onScreen > 0.95;
    })) << "share of the swatch on the screen: " << onScreen;
    if (onScreen <= 0.95) saveDiagnostics(window);
  }

  session_testing::NotificationLog closed({platform::NSWindowWillCloseNotification});
  window.close();
  EXPECT_TRUE(waitForPosts(closed, platform::NSWindowWillCloseNotification));
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace guitest
