// One window as the user meets it, on whatever window system the test runs on: scripts/xvfb-smoke runs it on the
// X11 platform under a virtual X server (and says so in VX_EXPECT_PLATFORM), ctest offscreen. A window with a
// panel shown, its button clicked against a connected camera, its pixels on the screen, then closed.
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "devicesim/canon_camera.h"
#include "guitest/gui_test.h"
#include "guitest/test_panel.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/window.h"

namespace guitest {
namespace {

class RealWindowSmoke : public GuiTest {};

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

  // On a real window system the swatch's colour reaches the screen, where the window is.
  if (QGuiApplication::platformName() == "xcb") {
    const QRect swatch(panel->findChild<QWidget*>("oSwatch")->mapTo(&window, QPoint()),
                       panel->findChild<QWidget*>("oSwatch")->size());
    double onScreen = 0;
    EXPECT_TRUE(waitUntil([&] {
      onScreen = coverage(window.screen()->grabWindow(window.winId()).toImage(), TestPanel::kSwatchColour, swatch);
      return onScreen > 0.95;
    })) << "share of the swatch on the screen: " << onScreen;
  }

  session_testing::NotificationLog closed({platform::NSWindowWillCloseNotification});
  window.close();
  EXPECT_TRUE(waitForPosts(closed, platform::NSWindowWillCloseNotification));
  EXPECT_FALSE(window.isVisible());
}

}  // namespace
}  // namespace guitest
