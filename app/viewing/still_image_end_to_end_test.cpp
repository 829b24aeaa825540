// The image area against the stand-in device of each vendor, wired in a plain window as the camera window wires it:
// an object is picked, downloaded through the session on the window's serial image queue and handed over with its
// record; live view runs through the session. A JPEG shows with its name, EXIF line and histogram; a raw file its
// preview and then the converter's picture (Fujifilm's RAF keeps its preview); live view shows frames here with
// the histogram following them, then the veil; the level button writes "ElectronicLevel".
#include <QLabel>
#include <QWidget>

#include "app/viewing/exif_view.h"
#include "app/viewing/histogram_view.h"
#include "app/viewing/still_image_view_controller.h"
#include "app/viewing/vendor_picture_cases.h"
#include "devicesim/generic_camera.h"
#include "devicesim/raw_factory.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/standard_operations.h"
#include "guitest/gui_test.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/autoresizing.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/exif.h"
#include "session/ptp_object_info_class.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sy_flat_button.h"

namespace {

using picture_testing::VendorCase;

// The camera window's part in showing a picture: a download on its serial image queue, then the image area.
class TestCameraWindow {
 public:
  TestCameraWindow() : queue_(platform::createSerialQueue("com.vorlaxent.image.bgqueue")) {
    window_ = std::make_unique<QWidget>();
    window_->resize(900, 640);
    area_ = std::make_unique<StillImageViewController>();
    area_->view()->setParent(window_.get());
    platform::setFrame(area_->view(), {0, 0, 900, 640});
    platform::setAutoresizingMask(area_->view(), platform::ViewWidthSizable | platform::ViewHeightSizable);
  }
  ~TestCameraWindow() {
    area_.reset();
    window_.reset();
  }

  QWidget* window() { return window_.get(); }
  StillImageViewController& area() { return *area_; }

  // The user picked the object with this handle.
  void showObject(uint32_t handle) {
    auto object = std::make_shared<std::shared_ptr<const PtpObjectInfoClass>>();
    auto data = std::make_shared<std::optional<std::vector<uint8_t>>>();
    CommandBlockArray commands;
    commands.emplace_back(
        [handle, object, data] {
          PtpObjectInfoStruct record{};
          if (camGetObjectInfo(handle, &record) != PTP_RC_OK) return int32_t{1};
          *object = PtpObjectInfoClass::init(&record);
          *data = CameraController::instance().doDownloadImage(**object, true, false, true);
          return int32_t{1};
        },
        std::nullopt);
    Command::runCommandsWithQueue(
        std::move(commands),
        [this, object, data](int32_t) {
          ++downloads_;
          if (*data && *object) area_->setImage(std::move(**data), *object);
        },
        queue_.get());
  }
  int downloads() const { return downloads_; }

 private:
  std::shared_ptr<platform::DispatchQueue> queue_;
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<StillImageViewController> area_;
  int downloads_ = 0;
};

class StillImageEndToEndTest : public guitest::GuiTest, public ::testing::WithParamInterface<VendorCase> {
 protected:
  // The command runner's progress overlay over the window fades out after a download.
  static bool waitForCommandOverlays(QWidget* window) {
    return waitUntil([window] {
      for (MBProgressHUD* hud : window->findChildren<MBProgressHUD*>())
        if (hud->isVisible()) return false;
      return true;
    });
  }
};

TEST_P(StillImageEndToEndTest, PicturesRawFilesAndLiveViewInTheImageArea) {
  const VendorCase& c = GetParam();
  ASSERT_TRUE(connect(c.name));
  auto camera = rig().cameraAs<devicesim::GenericCamera>();
  ASSERT_TRUE(camera);
  const uint32_t jpegHandle = camera->addJpegObject(300 * 1024, 6, "DSC_0100.JPG");
  devicesim::RawRecipe raw = devicesim::vendorRawRecipe(c.vendor);
  const uint32_t rawHandle = devicesim::addRawObject(*camera, raw, 101);
  const std::string rawName = devicesim::rawFileName(raw.kind, 101);

  TestCameraWindow window;
  ASSERT_TRUE(guitest::showWindow(window.window()));
  StillImageViewController& area = window.area();

  // A JPEG: upright, named, with its EXIF line and, once asked for, its histogram.
  window.showObject(jpegHandle);
  ASSERT_TRUE(waitUntil([&] { return area.picturesShown() >= 1 && area.workInFlight() == 0; }));
  EXPECT_EQ(area.currentOrientation(), 6);
  EXPECT_LT(area.imageRef().width(), area.imageRef().height()) << "turned upright";
  EXPECT_EQ(guitest::find<QLabel>(area.view(), "oFileNameTextField")->text(), "DSC_0100.JPG");
  ASSERT_TRUE(area.exifView()->exif());
  EXPECT_FALSE(area.exifView()->textField()->text().isEmpty());
  ASSERT_TRUE(waitForCommandOverlays(window.window()));
  ASSERT_TRUE(guitest::click(area.view(), "oHistogramButton"));
  ASSERT_TRUE(waitUntil([&] { return area.histogramView()->showsHistogram(); }));

  // A raw file: the preview, then the converter's whole picture.
  const uint64_t before = area.picturesShown();
  window.showObject(rawHandle);
  ASSERT_TRUE(waitUntil([&] { return area.picturesShown() > before && area.workInFlight() == 0; }));
  EXPECT_EQ(guitest::find<QLabel>(area.view(), "oFileNameTextField")->text().toStdString(), rawName);
  if (c.rawDecodesWhole) {
    EXPECT_EQ(area.picturesShown(), before + 2) << "preview, then the whole picture";
    EXPECT_EQ(area.imageRef().size(), QSize(devicesim::kRawSensorWidth, devicesim::kRawSensorHeight));
  } else {
    EXPECT_EQ(area.picturesShown(), before + 1);
    EXPECT_EQ(area.imageRef().size(), QSize(1200, 800)) << "the preview stays";
  }

  // Live view: frames here, the histogram following them, then the veil.
  CameraController::instance().toggleLiveView(true, nullptr);
  ASSERT_TRUE(waitUntil([&] { return area.liveViewImageView() && area.liveViewImageView()->framesShown() >= 2; }));
  EXPECT_EQ(area.imageScrollView(), nullptr);
  const uint64_t drawn = area.histogramView()->histogramsDrawn();
  EXPECT_TRUE(area.histogramPopoverVisible());
  ASSERT_TRUE(waitUntil([&] { return area.histogramView()->histogramsDrawn() >= drawn + 2; }));

  auto* level = guitest::find<SYFlatButton>(area.view(), "oElectronicLevelButton");
  ASSERT_TRUE(level && level->isVisible());
  auto& defaults = platform::UserDefaults::standardUserDefaults();
  const bool levelWas = defaults.boolForKey("ElectronicLevel");
  ASSERT_TRUE(waitForCommandOverlays(window.window()));
  ASSERT_TRUE(guitest::click(level));
  EXPECT_EQ(defaults.boolForKey("ElectronicLevel"), !levelWas);

  CameraController::instance().toggleLiveView(false, nullptr);
  ASSERT_TRUE(waitUntil([&] { return area.liveViewImageView() && area.liveViewImageView()->isDisabled(); }));
  EXPECT_TRUE(level->isHidden());
  picture_testing::expectNoAlerts(alerts());  // the histogram popover's window is no alert
}

INSTANTIATE_TEST_SUITE_P(Vendors, StillImageEndToEndTest, ::testing::ValuesIn(picture_testing::kVendorCases),
                         picture_testing::vendorCaseName);

}  // namespace
