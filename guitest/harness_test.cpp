// The harness as window tests use it: a body of every vendor connected through the product's path, a failed
// start reported with its alert, a panel's button pressed against a connected camera, the user's mouse and keys
// delivered as a user's, pictures of what is drawn, and a tear-down that leaves nothing behind.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "devicesim/canon_camera.h"
#include "engine/link/link.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "guitest/gui_test.h"
#include "guitest/test_panel.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/property_list.h"
#include "platform/foundation/resources.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/time_source.h"
#include "platform/ui/window.h"

namespace guitest {
namespace {

struct VendorCase {
  const char* name;
  VendorType vendor;
};

class VendorConnectTest : public GuiTest, public ::testing::WithParamInterface<VendorCase> {};

TEST_P(VendorConnectTest, TheBodyIsConnectedThroughTheConnectionPath) {
  ASSERT_TRUE(connect(GetParam().name));
  EXPECT_EQ(camVendor(), GetParam().vendor);
  // The connection view's two steps, each taken once: the camera asked for, then the session started.
  EXPECT_EQ(rig().statuses(), (std::vector<int32_t>{kConnectionStatusDeviceConnected, kConnectionStatusCameraConnected}));
  EXPECT_EQ(rig().commandCount(0x10), 1u);
  EXPECT_TRUE(camEventThreadRunning());
  EXPECT_EQ(alerts().count(), 0u) << alerts().shown().front().message;
}

INSTANTIATE_TEST_SUITE_P(EveryVendor, VendorConnectTest,
                         ::testing::Values(VendorCase{"canon", VENDOR_CANON}, VendorCase{"nikon", VENDOR_NIKON},
                                           VendorCase{"sony", VENDOR_SONY}, VendorCase{"fuji", VENDOR_FUJI}),
                         [](const auto& info) { return std::string(info.param.name); });

class HarnessTest : public GuiTest {};

TEST_F(HarnessTest, AFailedStartIsReportedWithItsAlert) {
  devicesim::CanonCameraOptions options;
  options.model = "Canon PowerShot G9 X";  // a model the engine does not know
  const ::testing::AssertionResult connected = connect(std::make_shared<devicesim::CanonCamera>(options));
  ASSERT_FALSE(connected);
  EXPECT_NE(std::string(connected.message()).find(platform::localizedString("UnsupportedCamera")), std::string::npos)
      << connected.message();
  EXPECT_FALSE(camEventThreadRunning());
  EXPECT_FALSE(connect("leica")) << "an unknown vendor";
}

TEST_F(HarnessTest, APanelButtonAsksTheConnectedCamera) {
  ASSERT_TRUE(connect("canon"));
  platform::Window window;
  auto* panel = new TestPanel;
  window.setContentView(panel);
  ASSERT_TRUE(showWindow(&window));
  const size_t asked = rig().operationCount(0x1001);

  ASSERT_TRUE(click(&window, "oButton"));
  ASSERT_TRUE(waitUntil([&] { return panel->oAnswer->text() != "No answer yet"; }));

  EXPECT_EQ(panel->oAnswer->text().toStdString(), devicesim::canonBodyModel(devicesim::CanonCameraOptions{}.body));
  EXPECT_EQ(rig().operationCount(0x1001), asked + 1);
  EXPECT_EQ(panel->presses(), 1);
}

// Every mouse event a widget receives, with the buttons held.
class MouseRecorder : public QWidget {
 public:
  struct Seen {
    QEvent::Type type;
    QPoint at;
    Qt::MouseButtons held;
  };
  std::vector<Seen> seen;

 protected:
  void mousePressEvent(QMouseEvent* e) override { note(e); }
  void mouseReleaseEvent(QMouseEvent* e) override { note(e); }
  void mouseMoveEvent(QMouseEvent* e) override { note(e); }
  void mouseDoubleClickEvent(QMouseEvent* e) override { note(e); }

 private:
  void note(QMouseEvent* e) { seen.push_back({e->type(), e->position().toPoint(), e->buttons()}); }
};

TEST_F(HarnessTest, MouseAndKeysArriveAsAUsersDo) {
  platform::Window window;
  auto* content = new QWidget;
  auto* pad = new MouseRecorder;
  pad->setObjectName("oPad");
  pad->setParent(content);
  pad->setGeometry(20, 30, 100, 80);
  auto* field = new QLineEdit(content);
  field->setObjectName("oField");
  field->setGeometry(20, 120, 100, 24);
  window.setContentView(content);
  window.setContentSize(platform::Size{200, 160});
  ASSERT_TRUE(showWindow(&window));

  // A drag holds the button on every move and ends where it was aimed, in the widget's coordinates.
  ASSERT_TRUE(drag(pad, QPoint(10, 10), QPoint(50, 30), 4));
  ASSERT_GE(pad->seen.size(), 6u);
  EXPECT_EQ(pad->seen.front().type, QEvent::MouseButtonPress);
  EXPECT_EQ(pad->seen.front().at, QPoint(10, 10));
  for (size_t i = 1; i + 1 < pad->seen.size(); ++i) {
    EXPECT_EQ(pad->seen[i].type, QEvent::MouseMove);
    EXPECT_EQ(pad->seen[i].held, Qt::LeftButton);
  }
  EXPECT_EQ(pad->seen.back().type, QEvent::MouseButtonRelease);
  EXPECT_EQ(pad->seen.back().at, QPoint(50, 30));

  // Two clicks in a row stay two clicks; a double-click is one.
  pad->seen.clear();
  ASSERT_TRUE(click(pad));
  ASSERT_TRUE(click(pad));
  ASSERT_TRUE(doubleClick(pad));
  std::vector<QEvent::Type> types;
  for (const auto& s : pad->seen) types.push_back(s.type);
  EXPECT_EQ(types, (std::vector<QEvent::Type>{QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                              QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                              QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}));
  EXPECT_EQ(pad->seen.front().at, QPoint(49, 39));  // the centre of a 100 x 80 widget

  // Keys typed into the field the user clicked, then into whatever has the focus.
  ASSERT_TRUE(click(&window, "oField"));
  ASSERT_TRUE(typeText(field, "ISO 1600"));
  ASSERT_TRUE(keyClick(nullptr, Qt::Key_Backspace));
  ASSERT_TRUE(typeText(nullptr, "0"));
  EXPECT_EQ(field->text(), "ISO 1600");
}

TEST_F(HarnessTest, WhatAUserCouldNotDoFailsWithTheReason) {
  std::vector<std::string> reports;
  const FailureReporter gtestReporter = setFailureReporter([&](const std::string& what) { reports.push_back(what); });
  platform::Window window;
  auto* panel = new TestPanel;
  window.setContentView(panel);
  ASSERT_TRUE(showWindow(&window));
  auto* cover = new QWidget(panel);  // a sheet over the button
  cover->setObjectName("oCover");
  cover->setGeometry(panel->oButton->geometry());
  cover->show();
  auto* hidden = new QPushButton(panel);
  hidden->setObjectName("oHidden");
  hidden->hide();

  const bool unknown = click(&window, "oMissing");
  const bool covered = click(panel->oButton);
  const bool invisible = click(hidden);
  setFailureReporter(gtestReporter);

  EXPECT_FALSE(unknown);
  EXPECT_FALSE(covered);
  EXPECT_FALSE(invisible);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_NE(reports[0].find("no widget \"oMissing\""), std::string::npos) << reports[0];
  EXPECT_NE(reports[0].find("oButton"), std::string::npos) << "the names there are: " << reports[0];
  EXPECT_NE(reports[1].find("covered by \"oCover\""), std::string::npos) << reports[1];
  EXPECT_NE(reports[2].find("\"oHidden\" is not visible"), std::string::npos) << reports[2];
  EXPECT_EQ(panel->presses(), 0);
}

TEST_F(HarnessTest, ARenderedPanelShowsItsSwatchWhereItIs) {
  TestPanel panel;
  ASSERT_TRUE(showWindow(&panel));
  const QImage shown = render(&panel);
  ASSERT_EQ(shown.size(), panel.size());
  const QRect swatch = panel.findChild<QWidget*>("oSwatch")->geometry();
  EXPECT_GT(coverage(shown, TestPanel::kSwatchColour, swatch), 0.99);
  EXPECT_LT(coverage(shown, TestPanel::kSwatchColour, panel.oButton->geometry()), 0.01);
  EXPECT_NEAR(coverage(shown, TestPanel::kSwatchColour),
              static_cast<double>(swatch.width() * swatch.height()) / (shown.width() * shown.height()), 0.01);

  const QString path = QDir::temp().filePath("vx_guitest_panel.png");
  ASSERT_TRUE(writePng(shown, path));
  EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_ARGB32), shown);
  QFile::remove(path);
  QString error;
  EXPECT_FALSE(writePng(shown, "/proc/vx_no_such_folder/x.png", &error));
  EXPECT_FALSE(error.isEmpty());
}

// Sockets this process holds open.
size_t openSockets() {
  size_t n = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    std::error_code rec;
    const std::filesystem::path target = std::filesystem::read_symlink(entry.path(), rec);
    n += !rec && target.string().rfind("socket:", 0) == 0;
  }
  return n;
}

// Without the fixture: one harness after another, the second finding nothing of the first.
TEST(HarnessTearDown, LeavesNoSessionSocketSettingFileOrWindowBehind) {
  { Harness warmUp; }  // whatever the process opens once (the window system's connection) is open from here on
  const size_t socketsBefore = openSockets();
  const double scaleBefore = engine_timing::scale().load();
  std::string documents;
  {
    Harness harness;
    ASSERT_EQ(harness.startError(), "");
    std::string why;
    ASSERT_TRUE(harness.connect("canon", &why)) << why;
    EXPECT_GT(openSockets(), socketsBefore);
    EXPECT_NE(platform::currentTimeSource(), platform::realTimeSource());
    platform::UserDefaults::standardUserDefaults().setString("left behind", "WatermarkText");
    documents = platform::documentsFolder();
    std::ofstream(documents + "/left-behind.txt") << "x";
    auto* window = new platform::Window;  // shown and never closed by the test
    window->setAttribute(Qt::WA_DeleteOnClose);
    ASSERT_TRUE(showWindow(window));
  }
  EXPECT_FALSE(camEventThreadRunning());
  EXPECT_FALSE(CameraController::liveViewRunning());
  EXPECT_FALSE(linkIsConnected());
  EXPECT_EQ(openSockets(), socketsBefore);
  EXPECT_EQ(engine_timing::scale().load(), scaleBefore);
  EXPECT_EQ(platform::currentTimeSource(), platform::realTimeSource());
  EXPECT_EQ(Utilities::currentConnectionStatus(), kConnectionStatusUnknown);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(w->isVisible()) << w->metaObject()->className();
  const platform::PropertyList::Result stored = platform::PropertyList::read(platform::UserDefaults::standardPath());
  if (stored.ok()) {
    EXPECT_TRUE(stored.value.toDictionary().empty());
  }
  EXPECT_TRUE(std::filesystem::is_empty(documents));

  // The next harness starts as the first did: the save folder its own, the settings the registered ones.
  Harness next;
  EXPECT_EQ(next.startError(), "");
  EXPECT_EQ(platform::UserDefaults::standardUserDefaults().stringForKey("WatermarkText"), "");
  EXPECT_EQ(platform::UserDefaults::standardUserDefaults().stringForKey("SaveFolderPath"), next.saveFolder());
}

}  // namespace
}  // namespace guitest
