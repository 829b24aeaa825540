// The image area's states for vorlaxent-window-shots: empty; a picture fitted, zoomed to 200 % and turned by its
// orientation; a raw file's whole picture after its preview; the histogram popover open over a picture; live view
// from a Canon stand-in body, and its last frame under the veil once live view is off; and the composition grid
// over a picture.
#include <QWidget>
#include <cstring>
#include <memory>

#include "app/tools/shot_registry.h"
#include "app/viewing/grid_view.h"
#include "app/viewing/histogram_view.h"
#include "app/viewing/still_image_test_pictures.h"
#include "app/viewing/still_image_view_controller.h"
#include "guitest/user_actions.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/ptp_object_info_class.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

namespace {

using devicesim::RawKind;
using devicesim::Vendor;

constexpr double kWidth = 900, kHeight = 640;

using still_testing::objectOf;

// The image area in a window of its own, as the camera window holds it.
struct Area {
  StillImageViewController* controller = nullptr;
  platform::Window* window = nullptr;
};

Area makeArea(window_shots::ShotContext& shot) {
  Area area;
  area.controller = shot.keep(std::make_unique<StillImageViewController>());
  area.window = shot.keep(std::make_unique<platform::Window>());
  area.window->setWindowTitle(QStringLiteral("Image area"));
  area.window->setContentView(area.controller->view());
  area.window->setContentSize(platform::Size{kWidth, kHeight});
  return area;
}

// Shows a picture and waits until everything decoded for it is on show.
bool show(window_shots::ShotContext& shot, Area& area, const std::vector<uint8_t>& bytes,
          std::shared_ptr<const PtpObjectInfoClass> object) {
  area.controller->setImage(bytes, std::move(object));
  if (!shot.harness().waitUntil([&] { return area.controller->workInFlight() == 0; }) ||
      area.controller->imageRef().isNull()) {
    shot.fail("the picture did not show");
    return false;
  }
  return true;
}

std::vector<uint8_t> landscape() { return still_testing::deviceJpeg(1800, 1200, 1, 3, Vendor::Canon); }

[[maybe_unused]] const bool registered = [] {
  window_shots::registerShot({"still-image-empty", "", "the image area before any picture: buttons disabled",
                              [](window_shots::ShotContext& shot) -> QWidget* { return makeArea(shot).window; }});

  window_shots::registerShot({"still-image-fit", "", "a picture fitted, with its name and EXIF line",
                              [](window_shots::ShotContext& shot) -> QWidget* {
                                Area area = makeArea(shot);
                                return show(shot, area, landscape(), objectOf(0x3801, "IMG_0101.JPG")) ? area.window
                                                                                                        : nullptr;
                              }});

  window_shots::registerShot(
      {"still-image-zoomed", "", "the same picture at 200 % about its middle, the 200 % button selected",
       [](window_shots::ShotContext& shot) -> QWidget* {
         Area area = makeArea(shot);
         if (!show(shot, area, landscape(), objectOf(0x3801, "IMG_0101.JPG"))) return nullptr;
         auto* button = area.controller->view()->findChild<SYFlatButton*>("oZoom2Button");
         area.controller->zoomButtonSelected(button);
         return area.window;
       }});

  window_shots::registerShot(
      {"still-image-turned", "", "a picture stored on its side with orientation 6, shown upright",
       [](window_shots::ShotContext& shot) -> QWidget* {
         Area area = makeArea(shot);
         return show(shot, area, still_testing::deviceJpeg(1800, 1200, 6, 5, Vendor::Nikon),
                     objectOf(0x3801, "DSC_0102.JPG"))
                    ? area.window
                    : nullptr;
       }});

  window_shots::registerShot(
      {"still-image-raw", "", "a CR2 file's whole 64 x 48 sensor picture from the raw converter after its preview",
       [](window_shots::ShotContext& shot) -> QWidget* {
         Area area = makeArea(shot);
         return show(shot, area, still_testing::deviceRaw(RawKind::Cr2, Vendor::Canon), objectOf(0xB103, "IMG_0103.CR2"))
                    ? area.window
                    : nullptr;
       }});

  window_shots::registerShot(
      {"still-image-histogram", "", "the histogram popover open over a picture (the popover's own window)",
       [](window_shots::ShotContext& shot) -> QWidget* {
         Area area = makeArea(shot);
         if (!guitest::showWindow(area.window)) return nullptr;
         if (!show(shot, area, landscape(), objectOf(0x3801, "IMG_0101.JPG"))) return nullptr;
         area.controller->toggleHistogram();
         if (!shot.harness().waitUntil([&] { return area.controller->histogramView()->showsHistogram(); })) {
           shot.fail("no histogram drawn");
           return nullptr;
         }
         return area.controller->histogramPopover()->popoverWindow();
       }});

  const auto liveView = [](window_shots::ShotContext& shot, bool thenOff) -> QWidget* {
    Area area = makeArea(shot);
    if (!guitest::showWindow(area.window)) return nullptr;
    if (!show(shot, area, landscape(), objectOf(0x3801, "IMG_0101.JPG"))) return nullptr;
    CameraController::instance().toggleLiveView(true, nullptr);
    if (!shot.harness().waitUntil([&] {
          return area.controller->liveViewImageView() && area.controller->liveViewImageView()->framesShown() >= 3;
        })) {
      shot.fail("no live-view frames");
      return nullptr;
    }
    const auto overlaysGone = [&] {
      for (MBProgressHUD* hud : area.window->findChildren<MBProgressHUD*>())
        if (hud->isVisible()) return false;
      return true;
    };
    if (thenOff) {
      CameraController::instance().toggleLiveView(false, nullptr);
      if (!shot.harness().waitUntil([&] {
            return area.controller->liveViewImageView() && area.controller->liveViewImageView()->isDisabled();
          })) {
        shot.fail("no veil");
        return nullptr;
      }
    }
    // The command runner's overlay fades out after the switch.
    if (!shot.harness().waitUntil(overlaysGone)) shot.fail("an overlay stayed");
    return area.window;
  };
  window_shots::registerShot({"still-image-live-view", "canon", "live view of a Canon stand-in body in the image area",
                              [liveView](window_shots::ShotContext& shot) { return liveView(shot, false); }});
  window_shots::registerShot({"still-image-live-view-veiled", "canon",
                              "the last live-view frame under the grey veil after live view went off",
                              [liveView](window_shots::ShotContext& shot) { return liveView(shot, true); }});

  window_shots::registerShot(
      {"grid-view", "", "the 3 x 3 composition grid in white over a picture",
       [](window_shots::ShotContext& shot) -> QWidget* {
         auto* window = shot.keep(std::make_unique<platform::Window>());
         auto* picture = new platform::ImageView;
         picture->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
         picture->setImage(platform::Image::fromBitmap(QImage::fromData(
             [] {
               const std::vector<uint8_t> bytes = still_testing::deviceJpeg(600, 400, 1, 9, Vendor::Sony);
               return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
             }())));
         window->setContentView(picture);
         window->setContentSize(platform::Size{600, 400});
         auto* grid = new GridView(picture);
         platform::setFrame(grid, {0, 0, 600, 400});
         grid->setHorizontalLines(3, 3);
         grid->setGridColor(1);
         return window;
       }});
  return true;
}();

}  // namespace
