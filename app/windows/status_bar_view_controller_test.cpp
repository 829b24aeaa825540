// The status bar against the stand-in device: the device card's free space and its colour, the battery icons,
// a pulled card, a burst of card notices answered by one query, the camera's shots and its card warning, the
// camera name as cleaned for real model names, the power-draw warning, and answers that come after the bar has gone.
#include <QLabel>
#include <thread>

#include "app/windows/status_bar_view_controller.h"
#include "devicesim/canon_camera.h"
#include "guitest/gui_test.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "session/camera_event_pump.h"
#include "session/notification_names.h"

namespace {

void post(const std::string& name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

// As the engine's threads post: from a thread of their own.
void postFromAnotherThread(const std::string& name, const platform::Value& object = {}) {
  std::thread([name, object] { post(name, object); }).join();
}

QColor textColour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

class StatusBarTest : public guitest::GuiTest {
 protected:
  // The bar in a window of the camera window's width, loaded and shown.
  StatusBarViewController& showBar() {
    bar_ = std::make_unique<StatusBarViewController>();
    window_ = std::make_unique<platform::Window>();
    window_->setContentView(bar_->view());
    window_->setContentSize({900, 40});
    EXPECT_TRUE(guitest::showWindow(window_.get()));
    return *bar_;
  }
  // The bar's own messages (the presenter also notes windows going up).
  std::vector<std::string> messages() {
    std::vector<std::string> out;
    for (const session_testing::ShownAlert& a : alerts().shown())
      if (!a.okText.empty()) out.push_back(a.message);
    return out;
  }
  void TearDown() override {
    window_.reset();
    bar_.reset();
    GuiTest::TearDown();
  }
  std::unique_ptr<StatusBarViewController> bar_;
  std::unique_ptr<platform::Window> window_;
};

TEST_F(StatusBarTest, TheCardSpaceIsShownInItsUnitAndColour) {
  ASSERT_TRUE(connect("canon"));
  struct Case {
    uint64_t freeBytes;
    const char* text;
    bool warning;
  };
  for (const Case& c : {Case{500000000, "Space: 500 MB", true}, Case{500000001, "Space: 500 MB", false},
                        Case{1000000000, "Space: 1000 MB", false}, Case{1100000000, "Space: 1.1 GB", false},
                        Case{999999, "Space: 0 MB", true}}) {
    SCOPED_TRACE(c.freeBytes);
    rig().commands().card().setCapacity(c.freeBytes);
    StatusBarViewController& bar = showBar();
    ASSERT_TRUE(waitUntil([&] { return !bar.oVorlaxentSdCardNumShotsTextField->text().isEmpty(); }));
    EXPECT_EQ(bar.oVorlaxentSdCardNumShotsTextField->text().toStdString(), c.text);
    EXPECT_EQ(textColour(bar.oVorlaxentSdCardNumShotsTextField),
              c.warning ? QColor(Qt::red) : QColor::fromRgbF(0.8f, 0.8f, 0.8f));
    EXPECT_EQ(platform::alphaValue(bar.oVorlaxentSdCardImageView), 1.0);
  }
}

TEST_F(StatusBarTest, ACameraAtSevenPercentShowsAnEmptyBattery) {
  ASSERT_TRUE(connect("nikon"));
  StatusBarViewController& bar = showBar();
  const auto shownAt = [&](int percent) {
    postFromAnotherThread(kCameraBatteryPercentageNotification, platform::Value(percent));
    EXPECT_TRUE(waitUntil([&] { return bar.shownCameraBattery() == (percent < 10 ? 0 : percent); }));
    settle();
    return guitest::render(bar.oCameraBatteryImageView);
  };
  const QImage empty = shownAt(0);
  const QImage half = shownAt(50);
  const QImage seven = shownAt(7);
  EXPECT_EQ(seven, empty);
  EXPECT_NE(seven, half) << "the icon shows the level at all";
  EXPECT_NE(shownAt(10), empty) << "10 % is drawn as it is";
}

TEST_F(StatusBarTest, APulledCardDimsTheIconAndOnlySonyAndFujifilmAreWarnedOncePerRemoval) {
  const std::string warning = "No SD card detected in the Vorlaxent! An SD card is required to capture images.";
  for (const char* vendor : {"canon", "sony"}) {
    SCOPED_TRACE(vendor);
    ASSERT_TRUE(connect(vendor));
    const bool warned = std::string(vendor) == "sony";
    StatusBarViewController& bar = showBar();
    ASSERT_TRUE(waitUntil([&] { return !bar.oVorlaxentSdCardNumShotsTextField->text().isEmpty(); }));
    const size_t before = messages().size();

    ASSERT_TRUE(rig().commands().setCardPresent(rig().device(), false));
    ASSERT_TRUE(waitUntil([&] { return platform::alphaValue(bar.oVorlaxentSdCardImageView) == 0.25; }));
    settle();
    EXPECT_TRUE(bar.oVorlaxentSdCardNumShotsTextField->text().isEmpty());
    post(kUpdateSdCardSpaceNotification);  // a second look finds it still missing: no second message
    const size_t queries = rig().commandCount(0xF5);
    ASSERT_TRUE(waitUntil([&] { return rig().commandCount(0xF5) > queries; }));
    settle();
    std::vector<std::string> said = messages();
    said.erase(said.begin(), said.begin() + long(before));
    EXPECT_EQ(said, warned ? std::vector<std::string>{warning} : std::vector<std::string>{});

    // Put back: said so, shown again; pulled again: warned again.
    ASSERT_TRUE(rig().commands().setCardPresent(rig().device(), true));
    ASSERT_TRUE(waitUntil([&] { return platform::alphaValue(bar.oVorlaxentSdCardImageView) == 1.0; }));
    ASSERT_TRUE(rig().commands().setCardPresent(rig().device(), false));
    ASSERT_TRUE(waitUntil([&] { return platform::alphaValue(bar.oVorlaxentSdCardImageView) == 0.25; }));
    settle();
    said = messages();
    said.erase(said.begin(), said.begin() + long(before));
    const std::vector<std::string> expected =
        warned ? std::vector<std::string>{warning, "SD card inserted in the Vorlaxent", warning}
               : std::vector<std::string>{"SD card inserted in the Vorlaxent"};
    EXPECT_EQ(said, expected);
    window_.reset();
    bar_.reset();
    harness().endCamera();
  }
}

TEST_F(StatusBarTest, ABurstOfCardNoticesFromTheEventThreadAsksTheDeviceOnce) {
  ASSERT_TRUE(connect("canon"));
  StatusBarViewController& bar = showBar();
  ASSERT_TRUE(waitUntil([&] { return !bar.oVorlaxentSdCardNumShotsTextField->text().isEmpty(); }));
  const size_t before = rig().commandCount(0xF5);
  for (int i = 0; i < 5; ++i) postFromAnotherThread(kUpdateSdCardSpaceNotification);
  ASSERT_TRUE(waitUntil([&] { return rig().commandCount(0xF5) > before; }));
  // Well past another second at the harness's pace: nothing more comes.
  waitUntil([] { return false; }, std::chrono::milliseconds(400));
  EXPECT_EQ(rig().commandCount(0xF5), before + 1);
}

TEST_F(StatusBarTest, TheCameraCardWarningComesOnceUntilMoreThanFiveShotsAreLeft) {
  ASSERT_TRUE(connect("canon"));
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  StatusBarViewController& bar = showBar();
  startCameraEventDispatch();  // the camera's reports flow, as once a camera window has opened
  const std::string warning = "The camera's SD card may be full or missing.";
  const auto shots = [&](uint32_t n) {
    camera->changeOnCamera(0xD11B, n);
    EXPECT_TRUE(waitUntil([&] { return bar.oCameraNumShotsTextField->text() == QStringLiteral("Shots: %1").arg(n); }));
    settle();
  };
  const auto warnings = [&] {
    const std::vector<std::string> said = messages();
    return std::count(said.begin(), said.end(), warning);
  };
  shots(0);
  EXPECT_EQ(textColour(bar.oCameraNumShotsTextField), QColor(Qt::red));
  EXPECT_EQ(warnings(), 1);
  shots(5);
  EXPECT_EQ(textColour(bar.oCameraNumShotsTextField), QColor(Qt::red)) << "five is few";
  shots(0);
  EXPECT_EQ(warnings(), 1) << "not again while the warning stands";
  shots(6);
  EXPECT_EQ(textColour(bar.oCameraNumShotsTextField), QColor::fromRgbF(0.8f, 0.8f, 0.8f));
  shots(0);
  EXPECT_EQ(warnings(), 2) << "more than five shots cleared it";
}

TEST_F(StatusBarTest, CameraNamesAreCleanedAsTheyComeFromRealBodies) {
  const std::vector<std::pair<std::string, std::string>> names = {
      {"Canon EOS R5", " R5"},
      {"Canon EOS 5D Mark IV", " 5D Mark IV"},
      {"Canon EOS-1D X Mark III", "1D X Mark III"},
      {"Canon EOS Rebel T7i", " EOS Rebel T7i"},  // the Rebel keeps its "EOS"
      {"Canon EOS DIGITAL REBEL XS", "  REBEL XS"},
      {"Canon PowerShot G5 X Mark II", "  G5 X Mark II"},
      {"MODEL-NAME", "ILCE-1"},
      {"ILCE-7M3", "ILCE-7M3"},
      {"D850", "D850"},
      {"X-T3", "X-T3"},
  };
  for (const auto& [model, shown] : names) EXPECT_EQ(StatusBarViewController::cleanedCameraName(model), shown) << model;

  // In the bar, from the connected camera.
  devicesim::CanonCameraOptions options;
  options.model = "Canon EOS-1D X Mark III";
  ASSERT_TRUE(connect(std::make_shared<devicesim::CanonCamera>(options)));
  StatusBarViewController& bar = showBar();
  ASSERT_TRUE(waitUntil([&] { return !bar.oCameraNameTextField->text().isEmpty(); }));
  EXPECT_EQ(bar.oCameraNameTextField->text().toStdString(), "1D X Mark III");
}

TEST_F(StatusBarTest, TheDeviceBatteryIsReadAgainAndACameraDrawingPowerIsReported) {
  const std::string warning =
      "It appears that your camera is set to draw power from the Vorlaxent. This should be turned off within the "
      "camera's menu.";
  struct Case {
    const char* vendor;
    int16_t current;
    bool warned;
  };
  // The cases without a warning come first: a warning that came late would then show in the next case's count.
  for (const Case& c : {Case{"sony", -1350, false}, Case{"canon", -3000, false}, Case{"sony", -1351, true}}) {
    SCOPED_TRACE(std::string(c.vendor) + " " + std::to_string(c.current));
    guitest::CameraRig& rig = harness().prepareCamera(c.vendor);
    rig.commands().setBatteryStatus(devicesim::DeviceCommandSet::batteryReply(7400, 64, c.current, 0xFFFF, 2981));
    ASSERT_TRUE(harness().rig()->connect());
    const size_t before = messages().size();
    StatusBarViewController& bar = showBar();
    ASSERT_TRUE(waitUntil([&] { return bar.oVorlaxentBatteryTextField->text() == "64%"; }));
    ASSERT_TRUE(waitUntil([&] { return rig.commandCount(0x87) >= (c.vendor == std::string("sony") ? 2u : 1u); }));
    const auto warnings = [&] {
      std::vector<std::string> said = messages();
      return std::count(said.begin() + long(before), said.end(), warning);
    };
    // The device has been asked; its answer is read and judged on a worker, and the warning comes on the main queue.
    if (c.warned) {
      ASSERT_TRUE(waitUntil([&] { return warnings() >= 1; }));
    }
    settle();
    EXPECT_EQ(warnings(), c.warned ? 1 : 0);
    // Charging: the icon is the charging one.
    EXPECT_EQ(guitest::render(bar.oVorlaxentBatteryImageView).size(), bar.oVorlaxentBatteryImageView->size());
    window_.reset();
    bar_.reset();
  }
  // Read again every 30 s, and no more once the bar is off the screen.
  ASSERT_TRUE(connect("canon"));
  showBar();
  const size_t reads = rig().commandCount(0x87);
  ASSERT_TRUE(waitUntil([&] { return rig().commandCount(0x87) >= reads + 1; }));  // 3 s at the tests' time scale
  EXPECT_TRUE(bar_->isBatteryTimerRunning());
  window_->hide();
  settle();
  EXPECT_FALSE(bar_->isBatteryTimerRunning());
}

TEST_F(StatusBarTest, AnswersAfterTheBarHasGoneTouchNothing) {
  ASSERT_TRUE(connect("canon"));
  rig().device().setCommandDelay(0xF5, std::chrono::milliseconds(300));
  rig().device().setCommandDelay(0x87, std::chrono::milliseconds(300));
  const size_t cards = rig().commandCount(0xF5), batteries = rig().commandCount(0x87);
  showBar();
  window_.reset();
  bar_.reset();  // gone while the device still thinks
  ASSERT_TRUE(waitUntil([&] { return rig().commandCount(0xF5) > cards && rig().commandCount(0x87) > batteries; }));
  waitUntil([] { return false; }, std::chrono::milliseconds(500));  // the answers arrive and are dropped
  EXPECT_TRUE(messages().empty());
}

}  // namespace
