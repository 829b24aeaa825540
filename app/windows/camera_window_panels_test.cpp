// The camera window with the program's own panels against the stand-in device of each vendor: a picture taken on
// the body arrives as a thumbnail at the strip's right-hand end, selected, and shows in the image area with its
// name, EXIF line and histogram; a RAW file shows its preview and then the converter's whole picture (Fujifilm's
// RAF keeps its preview).
#include <QLabel>

#include "app/viewing/exif_view.h"
#include "app/viewing/histogram_view.h"
#include "app/viewing/still_image_view_controller.h"
#include "app/viewing/thumbnail_strip_controller.h"
#include "app/viewing/thumbnail_view_cell.h"
#include "app/viewing/vendor_picture_cases.h"
#include "app/windows/camera_window_controller.h"
#include "app/windows/window_test_support.h"
#include "devicesim/body_shots.h"
#include "devicesim/canon_camera.h"
#include "devicesim/raw_factory.h"
#include "engine/vendors/dispatch.h"
#include "guitest/gui_test.h"
#include "platform/ui/responder.h"
#include "session/ptp_object_info_class.h"
#include "widgets/color_view.h"

namespace {

using picture_testing::VendorCase;

class CameraWindowPanelsTest : public guitest::GuiTest, public ::testing::WithParamInterface<VendorCase> {
 protected:
  static StillImageViewController* stillViewer(CameraWindowController* window) {
    if (!window->imageArea()) return nullptr;
    return dynamic_cast<StillImageViewController*>(platform::viewResponder(window->imageArea()->view()));
  }
};

TEST_P(CameraWindowPanelsTest, APictureFromTheBodyReachesTheStripsEndSelectedAndShowsInTheImageArea) {
  const VendorCase& c = GetParam();
  ASSERT_TRUE(connect(c.name));
  CameraWindowController* window = CameraWindowController::createAndShowWindow();
  ASSERT_TRUE(guitest::showWindow(window->window()));
  auto* strip = dynamic_cast<MainThumbnailController*>(window->thumbnailStrip());
  StillImageViewController* area = stillViewer(window);
  ASSERT_NE(strip, nullptr) << "the program's strip is plugged in";
  ASSERT_NE(area, nullptr) << "the program's image area is plugged in";

  // One sideways row of 120 x 120 items, as the interface file sets it.
  const platform::CollectionViewFlowLayout& layout = strip->collectionView()->collectionViewLayout();
  EXPECT_EQ(layout.itemSize.width, 120);
  EXPECT_EQ(layout.itemSize.height, 120);
  EXPECT_EQ(layout.scrollDirection, platform::ScrollDirection::Horizontal);

  devicesim::ShotPlan plan;
  devicesim::BodyShooter body(c.vendor, rig().camera(), rig().commands().cardPointer(), plan);

  // A JPEG.
  const devicesim::BodyPicture jpeg = body.take(devicesim::ShotKind::Jpeg);
  ASSERT_TRUE(waitUntil([&] { return strip->count() == 1 && strip->selectedIndex() == 0; }));
  ASSERT_TRUE(waitUntil([&] { return area->picturesShown() >= 1 && area->workInFlight() == 0; }));
  EXPECT_EQ(strip->objectAt(0)->fileName().value_or(""), jpeg.name);
  auto* cell = dynamic_cast<ThumbnailViewCell*>(strip->collectionView()->itemAtIndexPath(platform::IndexPath::forItem(0)));
  ASSERT_NE(cell, nullptr);
  EXPECT_TRUE(cell->borderView()->isVisible()) << "the newest thumbnail is selected";
  EXPECT_EQ(guitest::find<QLabel>(area->view(), "oFileNameTextField")->text().toStdString(), jpeg.name);
  ASSERT_TRUE(area->exifView()->exif());
  EXPECT_FALSE(area->exifView()->textField()->text().isEmpty()) << "the EXIF line";
  ASSERT_TRUE(waitForOverlays());
  ASSERT_TRUE(guitest::click(area->view(), "oHistogramButton"));
  ASSERT_TRUE(waitUntil([&] { return area->histogramView()->showsHistogram(); }));

  // A RAW file: its thumbnail after the first, selected; its preview, then the whole picture.
  const uint64_t before = area->picturesShown();
  if (auto canon = rig().cameraAs<devicesim::CanonCamera>()) {
    // A Canon body set to JPEG shows no RAW file: set to RAW alone, on the camera.
    devicesim::CanonSimProperty format = *canon->property(0xD120);
    format.format = {{6, 0, 4}};
    canon->setProperty(format);
    ASSERT_TRUE(waitUntil([] { return camFormatIsRawOnly(); }));
  }
  const devicesim::BodyPicture raw = body.take(devicesim::ShotKind::Raw);
  ASSERT_TRUE(waitUntil([&] { return strip->count() == 2 && strip->selectedIndex() == 1; }))
      << strip->count() << " thumbnails, selected " << strip->selectedIndex().value_or(-1);
  EXPECT_EQ(strip->objectAt(1)->fileName().value_or(""), raw.name);
  const platform::Rect last = strip->collectionView()->frameForItemAtIndexPath(platform::IndexPath::forItem(1));
  EXPECT_LE(last.maxX(), strip->collectionView()->visibleRect().maxX() + 1) << "the strip's end is in view";
  const uint64_t expectedPictures = before + (c.rawDecodesWhole ? 2 : 1);
  ASSERT_TRUE(waitUntil([&] { return area->picturesShown() >= expectedPictures && area->workInFlight() == 0; }));
  EXPECT_EQ(area->picturesShown(), expectedPictures);
  EXPECT_EQ(guitest::find<QLabel>(area->view(), "oFileNameTextField")->text().toStdString(), raw.name);
  if (c.rawDecodesWhole) {
    EXPECT_FALSE(area->showsRawPreview());
    EXPECT_EQ(area->imageRef().size(), QSize(devicesim::kRawSensorWidth, devicesim::kRawSensorHeight));
  }
  EXPECT_TRUE(area->histogramView()->showsHistogram());
  picture_testing::expectNoAlerts(alerts());
}

INSTANTIATE_TEST_SUITE_P(Vendors, CameraWindowPanelsTest, ::testing::ValuesIn(picture_testing::kVendorCases),
                         picture_testing::vendorCaseName);

}  // namespace
