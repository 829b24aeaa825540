// The focus-stacking panel's overlays, each brought on and taken away by what the camera reports, the
// configuration shot that gives a Canon panel its focal length, and the advanced section's two sizes.
#include <QLineEdit>

#include "controls/automation/focus_stack_test_fixture.h"
#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "platform/ui/view_geometry.h"

namespace focus_stack_testing {
namespace {

class FocusStackOverlayTest : public FocusPanelTest {
 protected:
  std::string fullOverlay() { return FocusStackViewController::overlayText(panel().disabledView()); }
  std::string stackOverlay() { return FocusStackViewController::overlayText(panel().stackDisabledView()); }
};

TEST_F(FocusStackOverlayTest, LiveViewIsNeededExceptOnFujifilm) {
  ASSERT_TRUE(connect("canon"));
  CameraController::updateFocalLength(50);
  showPanel();
  EXPECT_EQ(fullOverlay(), text("LiveViewOnRequired"));
  // Over everything but the title row.
  const platform::Rect overlay = platform::frameOf(panel().disabledView());
  EXPECT_EQ(overlay, platform::Rect(0, 0, FocusStackViewController::kWidth, FocusStackViewController::kCollapsedHeight - 35));
  const QPoint button = panel().oSetStartButton->geometry().center();
  EXPECT_TRUE(panel().disabledView()->isAncestorOf(view()->childAt(button))) << "the overlay takes the click";
  ASSERT_TRUE(liveViewOn());
  ASSERT_TRUE(waitUntil([&] { return panel().disabledView() == nullptr; }));
  EXPECT_EQ(panel().stackDisabledView(), nullptr);
}

TEST_F(FocusStackOverlayTest, FujifilmAndSonyMustBeInManualFocus) {
  for (const char* vendor : {"fuji", "sony"}) {
    SCOPED_TRACE(vendor);
    ASSERT_TRUE(connect(vendor));
    if (std::string(vendor) == "sony") {
      ASSERT_TRUE(liveViewOn());
    }
    showPanel();
    // Fujifilm shows no live-view overlay, with live view off.
    EXPECT_EQ(fullOverlay(), text("FocusChangeMustBeManualFocus"));
    EXPECT_EQ(panel().stackDisabledView(), nullptr);
    // The focus mode turned to manual on the camera: its change notification frees the panel.
    if (auto fuji = rig().cameraAs<devicesim::FujiCamera>()) fuji->changeOnCamera(0x500A, 1);
    if (auto sony = rig().cameraAs<devicesim::SonyCamera>()) sony->setPropertyValue(0x500A, 1);
    ASSERT_TRUE(waitUntil([&] { return panel().disabledView() == nullptr; }));
    closePanel();
    harness().endCamera();
  }
}

TEST_F(FocusStackOverlayTest, AnExposureModeThatMovesTheApertureCoversTheStackControls) {
  ASSERT_TRUE(connect("nikon"));
  ASSERT_TRUE(liveViewOn());
  auto nikon = rig().cameraAs<devicesim::NikonCamera>();
  nikon->turnDial(0x500E, 3);  // aperture priority
  showPanel();
  ASSERT_EQ(panel().stackDisabledView(), nullptr) << stackOverlay();
  click("oShowAdvancedButton");
  ASSERT_TRUE(panel().isAdvancedShown());

  nikon->turnDial(0x500E, 2);  // program: the camera picks the aperture
  ASSERT_TRUE(waitUntil([&] { return panel().stackDisabledView() != nullptr; }));
  EXPECT_EQ(stackOverlay(), text("ExposureModeNotAperture"));
  EXPECT_FALSE(panel().isAdvancedShown()) << "the advanced section folds away under the overlay";
  // The nudges stay usable above it.
  EXPECT_EQ(platform::frameOf(panel().stackDisabledView()),
            platform::Rect(0, 0, FocusStackViewController::kWidth, FocusStackViewController::kCollapsedHeight - 125));
  nudge("oSmallFartherChangeButton");

  nikon->turnDial(0x500E, 1);  // manual
  ASSERT_TRUE(waitUntil([&] { return panel().stackDisabledView() == nullptr; }));
}

TEST_F(FocusStackOverlayTest, AModelThatCannotStackSaysSo) {
  devicesim::NikonCameraOptions options;
  options.body = devicesim::NikonBody::D7000;
  options.model = "D3";
  ASSERT_TRUE(connect(std::make_shared<devicesim::NikonCamera>(options)));
  ASSERT_TRUE(liveViewOn());
  showPanel();
  EXPECT_EQ(stackOverlay(), text("FocusStackingUnsupported"));
}

TEST_F(FocusStackOverlayTest, ACanonPanelWithoutAFocalLengthAsksForAConfigurationShot) {
  ASSERT_TRUE(connect("canon"));
  ASSERT_TRUE(liveViewOn());
  auto canon = rig().cameraAs<devicesim::CanonCamera>();
  showPanel();
  ASSERT_NE(panel().configurationShotView(), nullptr);
  EXPECT_EQ(platform::frameOf(panel().configurationShotView()), platform::Rect(0, 0, FocusStackViewController::kWidth, 110));

  // The shot is taken and, once its picture has told the focal length, the overlay goes and the length shows.
  const int shots = canon->shots();
  click("oConfigurationShotButton");
  ASSERT_TRUE(waitUntil([&] { return panel().configurationShotView() == nullptr; }));
  EXPECT_EQ(canon->shots(), shots + 1);
  EXPECT_EQ(panel().oFocalLengthTextField->text().toStdString(), "50mm");
  EXPECT_EQ(alerts().count(), 0u) << messagesSince(0).front();

  // The classic way needs no focal length.
  CameraController::updateFocalLength(0);
  ASSERT_TRUE(waitUntil([&] { return panel().configurationShotView() != nullptr; }));
  defaults().setBool(true, "ClassicFocusStacking");
  ASSERT_TRUE(waitUntil([&] { return panel().configurationShotView() == nullptr; }));
  EXPECT_TRUE(panel().oClassicStackView->isVisible());
}

TEST_F(FocusStackOverlayTest, TheAdvancedSectionOpensAndClosesThePanel) {
  ASSERT_TRUE(connect("canon"));
  ASSERT_TRUE(liveViewOn());
  CameraController::updateFocalLength(50);
  showPanel();
  const platform::Size collapsed = popover_->popoverWindow()->frame().size;
  const auto shown = [&](QWidget* w) { return view()->rect().contains(w->geometry()); };
  EXPECT_FALSE(shown(panel().oNumShotsTextField));

  click("oShowAdvancedButton");
  EXPECT_EQ(platform::frameOf(view()).size, (platform::Size{346, 398}));
  EXPECT_EQ(panel().preferredContentSize(), (platform::Size{346, 398}));
  EXPECT_EQ(popover_->popoverWindow()->frame().size.height, collapsed.height + 138);
  EXPECT_TRUE(shown(panel().oNumShotsTextField));

  click("oShowAdvancedButton");
  EXPECT_EQ(platform::frameOf(view()).size, (platform::Size{346, 260}));
  EXPECT_EQ(popover_->popoverWindow()->frame().size, collapsed);
  EXPECT_FALSE(panel().isAdvancedShown());
}

}  // namespace
}  // namespace focus_stack_testing
