// The live-view display end to end, per vendor: a stand-in body connected through the product's path, the display
// hosted as the still-image viewer hosts it (fed by "JWNotification_LiveViewImage", veiled on "...Toggled" NO) in a
// plain window; live view on, frames with the vendor's AF frame (and the level on Canon and Nikon), movie mode with
// the recording light and the audio bars, off, the veil. Then real clicks: a click focuses at the clicked point of
// the picture, a double click zooms, the nudge arrows appear and a click on one moves the zoomed area.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStyleHints>

#include "app/viewing/electronic_level_view.h"
#include "app/viewing/live_view_overlay_views.h"
#include "app/viewing/live_view_test_host.h"
#include "app/viewing/sound_bar_view.h"
#include "devicesim/canon_camera.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/dispatch.h"
#include "guitest/gui_test.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "widgets/mb_progress_hud.h"

namespace {

using live_view_testing::LiveViewTestHost;
using platform::Rect;

struct VendorCase {
  const char* name;
  bool level;           // the camera has an electronic level
  bool movieMode;       // movie mode switched on from the computer brings frames (the stand-in Fujifilm body
                        // sends none in movie mode, and its recording cannot be started from the computer)
  bool records;         // and recording started in it
  bool lightInMovieMode;  // the recording light already in movie mode (Nikon's remaining time)
  bool bars;            // audio bars in movie mode
  platform::Color afColour;  // of the (first) AF frame
};

class LiveViewEndToEnd : public guitest::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    platform::UserDefaults::standardUserDefaults().setBool(true, "ElectronicLevel");
  }
  void TearDown() override {
    window_.reset();
    GuiTest::TearDown();
  }

  LiveViewTestHost* openHost() {
    window_ = std::make_unique<platform::Window>();
    host_ = new LiveViewTestHost(Rect(0, 0, 640, 480));
    window_->setContentView(host_);
    window_->setContentSize(platform::Size{640, 480});
    EXPECT_TRUE(guitest::showWindow(window_.get()));
    return host_;
  }
  // Switches and waits for the switch's notification.
  bool switchTo(bool movie, bool on) {
    session_testing::NotificationLog log({movie ? kMovieModeToggledNotification : kLiveViewToggledNotification});
    CameraController& controller = CameraController::instance();
    movie ? controller.toggleMovieMode(on, nullptr) : controller.toggleLiveView(on, nullptr);
    return waitForPosts(log, movie ? kMovieModeToggledNotification : kLiveViewToggledNotification);
  }
  // Waits for `count` more frames on the current display.
  bool framesArrive(uint64_t count = 3) {
    const uint64_t from = host_->framesShown();
    return waitUntil([&] { return host_->display() && host_->framesShown() >= from + count; });
  }
  static uint64_t status() { return CameraController::instance().liveViewStatus(); }
  // The command runner's progress overlay has gone from the window (it covers the picture while it shows).
  bool overlayGone() {
    return waitUntil([&] {
      for (MBProgressHUD* hud : window_->findChildren<MBProgressHUD*>())
        if (hud->isVisible()) return false;
      return true;
    });
  }

  std::unique_ptr<platform::Window> window_;
  LiveViewTestHost* host_ = nullptr;
};

class LiveViewPerVendor : public LiveViewEndToEnd, public ::testing::WithParamInterface<VendorCase> {};

TEST_P(LiveViewPerVendor, LiveViewFramesMovieModeAndOff) {
  const VendorCase c = GetParam();
  ASSERT_TRUE(connect(live_view_testing::standInBody(c.name)));
  openHost();
  ASSERT_TRUE(switchTo(false, true));
  ASSERT_TRUE(framesArrive());
  LiveViewImageView* display = host_->display();

  // The vendor's AF frame (Fujifilm's once the device has reported its area in the event poll).
  ASSERT_TRUE(waitUntil([&] { return display->afOverlayLayer() != nullptr; })) << "no AF frame";
  platform::ShapeLayer* af = display->afOverlayLayer();
  const platform::Layer* first = af->sublayers().empty() ? af : af->sublayers().front().get();
  EXPECT_EQ(static_cast<const platform::ShapeLayer*>(first)->strokeColor(), c.afColour);
  if (std::string(c.name) == "canon") {
    EXPECT_EQ(af->sublayers().size(), 3u) << "three frames in their container";
  }
  const Rect box = static_cast<const platform::ShapeLayer*>(first)->path().bounds();
  const Rect picture = display->imageRect();
  EXPECT_TRUE(picture.intersection(box) == box) << "the frame (" << box.x() << ", " << box.y() << ", " << box.width()
                                                << ", " << box.height() << ") lies on the picture";
  // The pixel that holds the middle of the frame's left side lies wholly under its 2-point line.
  const QImage shown = guitest::render(host_);
  const QPointF edge = platform::pointToQt(display, {box.minX(), box.midY()});
  const QColor pixel = shown.pixelColor(int(std::floor(edge.x())), int(std::floor(edge.y())));
  EXPECT_NEAR(pixel.greenF(), c.afColour.green, 0.25) << pixel.name().toStdString();
  EXPECT_NEAR(pixel.redF(), c.afColour.red, 0.25) << pixel.name().toStdString();
  EXPECT_EQ(display->levelView() && display->levelView()->isVisible(), c.level);
  EXPECT_FALSE(display->recordingLightView() && display->recordingLightView()->isVisible());

  if (c.movieMode) {
    ASSERT_TRUE(switchTo(true, true));
    ASSERT_EQ(status(), 2u);
    ASSERT_TRUE(framesArrive());
    if (c.records) {
      CameraController::instance().shutterPress();
      ASSERT_TRUE(waitUntil([] { return status() == 3; }));
      ASSERT_TRUE(framesArrive());
    }
    display = host_->display();
    const bool light = c.records || c.lightInMovieMode;
    EXPECT_EQ(display->recordingLightView() && display->recordingLightView()->isVisible(), light);
    if (light) {
      EXPECT_TRUE(display->movieTimerTextView()->string().startsWith(QStringLiteral("0:0")));
    }
    EXPECT_EQ(display->leftSoundBarView() && display->leftSoundBarView()->isVisible(), c.bars);
    if (c.records) {
      CameraController::instance().shutterPress();  // stops the recording
      ASSERT_TRUE(waitUntil([] { return status() == 2; }));
    }
    ASSERT_TRUE(switchTo(true, false));
  } else {
    ASSERT_TRUE(switchTo(false, false));
  }
  ASSERT_TRUE(waitUntil([&] { return host_->display() && host_->display()->isDisabled(); }));
  const uint64_t veiled = host_->framesShown();
  settle();
  EXPECT_EQ(host_->framesShown(), veiled) << "nothing shown over the veil";
  EXPECT_EQ(alerts().count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Vendors, LiveViewPerVendor,
    ::testing::Values(VendorCase{"canon", true, true, true, false, true, platform::Color::rgb(0, 1, 0)},
                      VendorCase{"nikon", true, true, true, true, true, platform::Color::rgb(0, 1, 0)},
                      VendorCase{"sony", false, true, true, false, false, platform::Color::whiteColor()},
                      VendorCase{"fuji", false, false, false, false, false, platform::Color::whiteColor()}),
    [](const ::testing::TestParamInfo<VendorCase>& i) { return std::string(i.param.name); });

TEST_F(LiveViewEndToEnd, ClickFocusesDoubleClickZoomsAndTheArrowsNudge) {
  ASSERT_TRUE(connect(live_view_testing::standInBody("canon")));
  auto canon = harness().rig()->cameraAs<devicesim::CanonCamera>();
  openHost();
  ASSERT_TRUE(switchTo(false, true));
  ASSERT_TRUE(framesArrive());
  LiveViewImageView* display = host_->display();
  const Rect picture = display->imageRect();

  // A click at a quarter across and three fifths down the picture (view coordinates are y-up).
  const platform::Point at{picture.x() + 0.25 * picture.width(), picture.y() + 0.4 * picture.height()};
  const size_t positionsBefore = harness().rig()->operationCount(0x9159);
  ASSERT_TRUE(guitest::click(display, platform::pointToQt(display, at).toPoint()));
  ASSERT_TRUE(waitUntil([&] { return harness().rig()->operationCount(0x9159) > positionsBefore; }));
  const CanonModelFacts facts = canonModelFacts();
  const auto [x, y] = canon->zoomPosition();
  EXPECT_NEAR(x / facts.sensorWidth + 0.1, 0.25, 0.01);
  EXPECT_NEAR(y / facts.sensorHeight + 0.1, 0.6, 0.01);
  // The drive stops by itself a moment later (a delayed command of the session, which must not outlive the test).
  ASSERT_TRUE(waitUntil([] { return CameraController::instance().isFocusing(); }));
  ASSERT_TRUE(waitUntil([] { return !CameraController::instance().isFocusing(); }));

  // A double click zooms to 100 % at the point; zoomed frames bring the nudge arrows.
  ASSERT_TRUE(overlayGone());
  ASSERT_TRUE(guitest::doubleClick(display, platform::pointToQt(display, at).toPoint()));
  ASSERT_TRUE(waitUntil([&] { return canon->zoomStep() == 5; }));
  ASSERT_TRUE(waitUntil([&] { return display->nudgeButtonsVisible(); }));
  ASSERT_TRUE(framesArrive());
  ASSERT_TRUE(overlayGone());
  const size_t nudgesBefore = harness().rig()->operationCount(0x9159);
  ASSERT_TRUE(guitest::click(display->nudgeButtons()[3]));  // right
  ASSERT_TRUE(waitUntil([&] { return harness().rig()->operationCount(0x9159) > nudgesBefore; }));
  EXPECT_EQ(alerts().count(), 0u);
  ASSERT_TRUE(switchTo(false, false));
}

}  // namespace
