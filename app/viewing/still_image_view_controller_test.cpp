// The image area in a window, used as the camera window uses it and clicked as a user clicks it: pictures of the
// stand-in device's kinds decoded and turned, raw previews replaced by the converter's picture, failures that
// leave the area as it was, quick successions where only the last picture counts, clears during a decode, the EXIF
// size of small pictures, rotation, the zoom buttons and double clicks, the histogram popover, and the live-view
// display hosted while live view runs (frames, histogram following, the veil, the level button).
#include <QLabel>
#include <atomic>
#include <thread>
#include <QWidget>

#include "app/viewing/exif_view.h"
#include "app/viewing/histogram_view.h"
#include "app/viewing/still_image_test_pictures.h"
#include "app/viewing/still_image_view_controller.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/raw_factory.h"
#include "guitest/gui_test.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/autoresizing.h"
#include "platform/ui/image_view.h"
#include "platform/ui/view_geometry.h"
#include "session/exif.h"
#include "session/notification_names.h"
#include "session/ptp_object_info_class.h"
#include "session/utilities.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

namespace {

using devicesim::RawKind;
using devicesim::Vendor;
using platform::Point;

using still_testing::objectOf;

std::vector<uint8_t> jpeg(int width, int height, uint8_t orientation, uint32_t seed = 1) {
  return still_testing::deviceJpeg(width, height, orientation, seed);
}
using still_testing::bareJpeg;

std::vector<uint8_t> rawFile(RawKind kind, Vendor vendor, uint8_t orientation = 1) {
  return still_testing::deviceRaw(kind, vendor, orientation);
}

class StillImageViewTest : public guitest::GuiTest {
 protected:
  void SetUp() override {
    GuiTest::SetUp();
    window_ = std::make_unique<QWidget>();
    window_->resize(900, 640);
    controller_ = std::make_unique<StillImageViewController>();
    QWidget* area = controller_->view();
    area->setParent(window_.get());
    platform::setFrame(area, {0, 0, 900, 640});
    platform::setAutoresizingMask(area, platform::ViewWidthSizable | platform::ViewHeightSizable);
    ASSERT_TRUE(guitest::showWindow(window_.get()));
  }
  void TearDown() override {
    controller_.reset();
    window_.reset();
    GuiTest::TearDown();
  }

  // Shows a picture and waits until its background work is done.
  void show(const std::vector<uint8_t>& bytes, std::shared_ptr<const PtpObjectInfoClass> object) {
    controller_->setImage(bytes, std::move(object));
    ASSERT_TRUE(waitIdle());
  }
  bool waitIdle() { return waitUntil([&] { return controller_->workInFlight() == 0; }); }
  QWidget* area() { return controller_->view(); }
  SYFlatButton* button(const char* name) { return guitest::find<SYFlatButton>(area(), name); }
  QSize shownSize() const { return controller_->imageRef().size(); }
  QWidget* document() const { return controller_->imageScrollView()->documentView(); }
  static platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

  std::unique_ptr<QWidget> window_;
  std::unique_ptr<StillImageViewController> controller_;
};

TEST_F(StillImageViewTest, JpegsShowUprightByTheirOrientationWithNameAndExif) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    uint8_t objectOrientation;
    uint8_t orientation;
    QSize shown;
  };
  const Case cases[] = {
      {"no orientation anywhere (object byte 0)", bareJpeg(360, 240), 0, 1, {360, 240}},
      {"file 6", jpeg(360, 240, 6), 0, 6, {240, 360}},
      {"file 3", jpeg(360, 240, 3), 0, 3, {360, 240}},
      {"file 8", jpeg(360, 240, 8), 0, 8, {240, 360}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    show(c.bytes, objectOf(0x3801, "DSC_0042.JPG", c.objectOrientation));
    EXPECT_EQ(controller_->currentOrientation(), c.orientation);
    EXPECT_EQ(shownSize(), c.shown);
    EXPECT_EQ(controller_->imageScrollView()->imageRef().size(), c.shown) << "handed to the zoomable view";
    EXPECT_EQ(document()->size(), controller_->imageScrollView()->size()) << "fitted";
    EXPECT_EQ(guitest::find<QLabel>(area(), "oFileNameTextField")->text(), "DSC_0042.JPG");
    EXPECT_TRUE(button("oZoomFitButton")->isEnabled());
    EXPECT_TRUE(button("oRotateButton")->isVisible());
  }
  EXPECT_FALSE(controller_->exifView()->exif() == nullptr) << "the EXIF line of the picture";
  EXPECT_EQ(controller_->currentObjectInfo()->fileName().value_or(""), "DSC_0042.JPG");
}

TEST_F(StillImageViewTest, ARawFileShowsItsPreviewThenTheWholePictureKeepingTheFit) {
  controller_->setImage(rawFile(RawKind::Cr2, Vendor::Canon, 6), objectOf(0xB103, "IMG_0007.CR2"));
  EXPECT_NE(MBProgressHUD::HUDForView(area()), nullptr) << "the progress overlay while the preview decodes";
  ASSERT_TRUE(waitUntil([&] { return controller_->picturesShown() >= 1; }));
  const uint64_t first = controller_->picturesShown();
  EXPECT_TRUE(controller_->showsRawPreview() || first >= 2);
  ASSERT_TRUE(waitIdle());
  EXPECT_FALSE(controller_->showsRawPreview());
  EXPECT_EQ(controller_->picturesShown(), 2u) << "the preview, then the converter's picture";
  EXPECT_EQ(shownSize(), QSize(devicesim::kRawSensorHeight, devicesim::kRawSensorWidth)) << "turned by the file's 6";
  EXPECT_EQ(document()->size(), controller_->imageScrollView()->size()) << "still fitted";
  ASSERT_TRUE(waitUntil([&] { return MBProgressHUD::HUDForView(area()) == nullptr; }));

  // Without a usable preview the converter's picture is the first and only one.
  std::vector<uint8_t> noPreview = rawFile(RawKind::Arw, Vendor::Sony);
  const auto sony = devicesim::rawImage(devicesim::vendorRawRecipe(Vendor::Sony));
  noPreview[sony->previewOffset] = 0;
  show(noPreview, objectOf(0xB101, "DSC00008.ARW"));
  EXPECT_EQ(controller_->picturesShown(), 3u);
  EXPECT_EQ(shownSize(), QSize(devicesim::kRawSensorWidth, devicesim::kRawSensorHeight));

  // A file the converter cannot take keeps its preview.
  show(rawFile(RawKind::Cr3, Vendor::Canon), objectOf(0xB108, "IMG_0009.CR3"));
  EXPECT_EQ(shownSize(), QSize(1200, 800));
  EXPECT_FALSE(controller_->showsRawPreview());
}

TEST_F(StillImageViewTest, QuickRawModeShowsThePreviewAloneWithoutProgress) {
  defaults().setBool(true, "QuickRawMode");
  controller_->setImage(rawFile(RawKind::Nef, Vendor::Nikon), objectOf(0x3000, "DSC_0010.NEF"));
  EXPECT_EQ(MBProgressHUD::HUDForView(area()), nullptr);
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(controller_->picturesShown(), 1u);
  EXPECT_EQ(shownSize(), QSize(1200, 800));
}

TEST_F(StillImageViewTest, AnUnreadableFileShowsNothingAndTakesTheOverlayAway) {
  show(std::vector<uint8_t>(4096, 0x33), objectOf(0xB103, "IMG_0011.CR2"));
  EXPECT_EQ(controller_->picturesShown(), 0u);
  EXPECT_TRUE(controller_->imageRef().isNull());
  ASSERT_NE(controller_->imageScrollView(), nullptr);
  EXPECT_TRUE(controller_->imageScrollView()->imageRef().isNull()) << "the new view stays empty";
  ASSERT_TRUE(waitUntil([&] { return MBProgressHUD::HUDForView(area()) == nullptr; }));
}

TEST_F(StillImageViewTest, OfTwoQuickPicturesOnlyTheSecondShowsAndAClearStaysEmpty) {
  // The first is slow to decode and comes back last: nothing of it may be shown or kept, not even for a rotation.
  controller_->setImage(jpeg(6000, 4000, 1), objectOf(0x3801, "IMG_0012.JPG"));
  controller_->setImage(jpeg(320, 200, 1, 12), objectOf(0x3801, "IMG_0013.JPG"));
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(controller_->picturesShown(), 1u);
  EXPECT_EQ(shownSize(), QSize(320, 200));
  EXPECT_EQ(controller_->currentObjectInfo()->fileName().value_or(""), "IMG_0013.JPG");
  ASSERT_TRUE(guitest::click(area(), "oRotateButton"));
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(shownSize(), QSize(200, 320)) << "the second picture turned";

  controller_->setImage(rawFile(RawKind::Arw, Vendor::Sony), objectOf(0xB101, "DSC00014.ARW"));
  controller_->clearImage();
  ASSERT_TRUE(waitIdle());
  EXPECT_EQ(controller_->picturesShown(), 2u);
  EXPECT_TRUE(controller_->imageRef().isNull());
  EXPECT_EQ(controller_->imageScrollView(), nullptr);
  EXPECT_EQ(controller_->currentObjectInfo(), nullptr);
  EXPECT_FALSE(button("oZoomFitButton")->isEnabled());
  EXPECT_FALSE(button("oHistogramButton")->isEnabled());
  EXPECT_TRUE(guitest::find<QLabel>(area(), "oFileNameTextField")->text().isEmpty());
  EXPECT_EQ(controller_->exifView()->exif(), nullptr);
  EXPECT_TRUE(waitUntil([&] { return MBProgressHUD::HUDForView(area()) == nullptr; })) << "the raw file's overlay";
}

TEST_F(StillImageViewTest, SetImageAndClearImageMayBeCalledFromAnotherThread) {
  std::atomic<bool> done{false};
  std::thread worker([&] {
    controller_->setImage(jpeg(320, 200, 1, 30), objectOf(0x3801, "IMG_0030.JPG"));
    done = true;
  });
  // The worker waits for the main thread, which runs here.
  ASSERT_TRUE(waitUntil([&] { return done.load() && controller_->picturesShown() == 1; }));
  worker.join();
  EXPECT_EQ(shownSize(), QSize(320, 200));
  done = false;
  std::thread clearer([&] {
    controller_->clearImage();
    done = true;
  });
  ASSERT_TRUE(waitUntil([&] { return done.load(); }));
  clearer.join();
  EXPECT_TRUE(controller_->imageRef().isNull());
}

TEST_F(StillImageViewTest, SmallPicturesGetTheirDecodedSizeInTheExifLine) {
  show(jpeg(300, 200, 6), objectOf(0x3801, "IMG_0015.JPG"));
  const std::shared_ptr<Exif> small = controller_->exifView()->exif();
  ASSERT_TRUE(small);
  EXPECT_EQ(small->xDimension(), 200) << "the picture as shown, turned";
  EXPECT_EQ(small->yDimension(), 300);
  show(jpeg(900, 600, 6), objectOf(0x3801, "IMG_0016.JPG"));
  EXPECT_EQ(controller_->exifView()->exif()->xDimension(), 900) << "500 or more: the file's own size";
}

TEST_F(StillImageViewTest, FourRotationsComeBackToTheStart) {
  show(jpeg(360, 240, 1), objectOf(0x3801, "IMG_0017.JPG"));
  const QImage start = controller_->imageRef();
  const uint8_t expected[] = {6, 3, 8, 1};
  for (uint8_t orientation : expected) {
    ASSERT_TRUE(guitest::click(area(), "oRotateButton"));
    ASSERT_TRUE(waitIdle());
    EXPECT_EQ(controller_->currentOrientation(), orientation);
    EXPECT_EQ(shownSize(), orientation == 6 || orientation == 8 ? QSize(240, 360) : QSize(360, 240));
  }
  EXPECT_EQ(controller_->imageRef(), start);
}

TEST_F(StillImageViewTest, ZoomButtonsAndDoubleClicks) {
  show(jpeg(1200, 800, 1), objectOf(0x3801, "IMG_0018.JPG"));
  SYFlatButton* fit = button("oZoomFitButton");
  SYFlatButton* x2 = button("oZoom2Button");
  ASSERT_EQ(fit->state(), 1);
  // Fitted, the picture (of the image view's own shape) fills the picture's view from its top edge to its bottom.
  const QImage shown = guitest::render(window_.get());
  const QRect parent(guitest::findWidget(area(), "oImageParentView")->mapTo(window_.get(), QPoint()),
                     guitest::findWidget(area(), "oImageParentView")->size());
  for (const QPoint p : {QPoint(parent.center().x(), parent.top() + 2), QPoint(parent.center().x(), parent.bottom() - 2),
                         QPoint(parent.left() + 2, parent.center().y())})
    EXPECT_NE(shown.pixelColor(p), QColor(Qt::black)) << "picture, not the black background, at " << p.x() << "," << p.y();

  // The selected button clicked again stays selected and changes nothing.
  ASSERT_TRUE(guitest::click(fit));
  EXPECT_EQ(fit->state(), 1);
  EXPECT_FALSE(controller_->isZoomed());
  ASSERT_TRUE(guitest::click(x2));
  EXPECT_EQ(x2->state(), 1);
  EXPECT_EQ(fit->state(), 0);
  EXPECT_EQ(document()->size(), QSize(2400, 1600));
  ASSERT_TRUE(guitest::click(x2));
  EXPECT_EQ(x2->state(), 1);
  EXPECT_EQ(document()->size(), QSize(2400, 1600));

  // A window resize keeps the zoom; fitted, it refits.
  window_->resize(1000, 700);
  settle();
  EXPECT_EQ(document()->size(), QSize(2400, 1600));
  ASSERT_TRUE(guitest::click(fit));
  EXPECT_EQ(document()->size(), controller_->imageScrollView()->size());
  window_->resize(800, 600);
  settle();
  EXPECT_EQ(document()->size(), controller_->imageScrollView()->size());

  // A double click zooms to the last factor chosen (2 here) at the click, a second one fits again.
  QY_ImageScrollView* scroll = controller_->imageScrollView();
  const platform::Rect fitted = Utilities::rectThatFitsImageSize({1200, 800}, platform::boundsOf(document()));
  const QPoint at(scroll->width() / 4, scroll->height() / 2);
  ASSERT_TRUE(guitest::doubleClick(scroll, at));
  EXPECT_TRUE(controller_->isZoomed());
  EXPECT_EQ(x2->state(), 1);
  EXPECT_EQ(document()->size(), QSize(2400, 1600));
  const platform::Rect visible = scroll->documentVisibleRect();
  const Point clicked = platform::pointFromQt(scroll, at);
  EXPECT_NEAR(visible.midX(), (clicked.x - fitted.x()) / fitted.width() * 2400, 1) << "the clicked point centred";
  EXPECT_NEAR(visible.midY(), (clicked.y - fitted.y()) / fitted.height() * 1600, 1);
  // Another factor while zoomed keeps the middle of what shows where it is in the picture.
  const double relativeX = visible.midX() / 2400, relativeY = visible.midY() / 1600;
  ASSERT_TRUE(guitest::click(button("oZoom4Button")));
  EXPECT_EQ(document()->size(), QSize(4800, 3200));
  EXPECT_NEAR(scroll->documentVisibleRect().midX() / 4800, relativeX, 0.002);
  EXPECT_NEAR(scroll->documentVisibleRect().midY() / 3200, relativeY, 0.002);
  ASSERT_TRUE(guitest::click(x2));

  ASSERT_TRUE(guitest::doubleClick(scroll, at));
  EXPECT_FALSE(controller_->isZoomed());
  EXPECT_EQ(fit->state(), 1);
  EXPECT_EQ(x2->state(), 0);
}

TEST_F(StillImageViewTest, ADoubleClickBeforeAnyChoiceZoomsToOneHundredPercentOnALargePicture) {
  show(jpeg(6000, 4000, 1), objectOf(0x3801, "IMG_0019.JPG"));
  QY_ImageScrollView* scroll = controller_->imageScrollView();
  const platform::Rect fitted = Utilities::rectThatFitsImageSize({6000, 4000}, platform::boundsOf(document()));
  const QPoint at = scroll->rect().center();
  ASSERT_TRUE(guitest::doubleClick(scroll, at));
  EXPECT_EQ(document()->size(), QSize(6000, 4000));
  EXPECT_EQ(button("oZoom1Button")->state(), 1);
  const Point clicked = platform::pointFromQt(scroll, at);
  const platform::Rect visible = scroll->documentVisibleRect();
  EXPECT_NEAR(visible.midX(), (clicked.x - fitted.x()) / fitted.width() * 6000, 1) << "the clicked point centred";
  EXPECT_NEAR(visible.midY(), (clicked.y - fitted.y()) / fitted.height() * 4000, 1);
}

TEST_F(StillImageViewTest, TheHistogramPopoverShowsThePicturesCurves) {
  show(jpeg(360, 240, 1), objectOf(0x3801, "IMG_0020.JPG"));
  ASSERT_TRUE(guitest::click(area(), "oHistogramButton"));
  ASSERT_NE(controller_->histogramPopover(), nullptr);
  EXPECT_TRUE(controller_->histogramPopoverVisible());
  ASSERT_TRUE(waitUntil([&] { return controller_->histogramView()->showsHistogram(); }));
  EXPECT_EQ(controller_->histogramPopover()->position(), unsigned(SFBPopoverPositionTopLeft));

  // A new picture while it shows: the curves follow it.
  const uint64_t drawn = controller_->histogramView()->histogramsDrawn();
  show(jpeg(320, 240, 1, 21), objectOf(0x3801, "IMG_0021.JPG"));
  ASSERT_TRUE(waitUntil([&] { return controller_->histogramView()->histogramsDrawn() > drawn; }));
  EXPECT_TRUE(controller_->histogramPopoverVisible()) << "shown again after the area was cleared";

  ASSERT_TRUE(guitest::click(area(), "oHistogramButton"));
  ASSERT_TRUE(waitUntil([&] { return !controller_->histogramPopoverVisible(); }));
}

// A live-view frame as the engine hands it on for a camera of no known vendor: the JPEG alone.
platform::Data liveFrame(QColor colour) {
  QImage image(160, 120, QImage::Format_RGB32);
  image.fill(colour);
  return still_testing::encodeJpeg(image);
}

void post(const char* name, platform::Value object) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

TEST_F(StillImageViewTest, LiveViewTakesTheAreaAndLeavesItsLastFrameUnderTheVeil) {
  show(jpeg(360, 240, 1), objectOf(0x3801, "IMG_0022.JPG"));
  SYFlatButton* level = button("oElectronicLevelButton");
  EXPECT_TRUE(level->isHidden());

  post(kLiveViewToggledNotification, platform::Value(true));
  settle();
  EXPECT_TRUE(controller_->imageRef().isNull()) << "live view on clears the still";
  EXPECT_EQ(controller_->imageScrollView(), nullptr);
  EXPECT_TRUE(level->isVisible());
  for (int i = 0; i < 3; ++i) post(kLiveViewImageNotification, platform::Value(liveFrame(QColor(200, 40, 40))));
  ASSERT_NE(controller_->liveViewImageView(), nullptr);
  ASSERT_TRUE(waitUntil([&] { return controller_->liveViewImageView()->framesShown() >= 1; }));
  EXPECT_FALSE(button("oZoomFitButton")->isEnabled());
  EXPECT_TRUE(button("oHistogramButton")->isEnabled());
  EXPECT_TRUE(button("oRotateButton")->isEnabled());

  // The histogram follows the frames while its popover shows.
  ASSERT_TRUE(guitest::click(area(), "oHistogramButton"));
  const uint64_t drawn = controller_->histogramView()->histogramsDrawn();
  post(kLiveViewImageNotification, platform::Value(liveFrame(QColor(30, 30, 220))));
  ASSERT_TRUE(waitUntil([&] { return controller_->histogramView()->histogramsDrawn() > drawn; }));

  // The level button writes the setting.
  const bool levelOn = defaults().boolForKey("ElectronicLevel");
  ASSERT_TRUE(guitest::click(level));
  EXPECT_EQ(defaults().boolForKey("ElectronicLevel"), !levelOn);

  post(kMovieModeToggledNotification, platform::Value(false));
  settle();
  ASSERT_NE(controller_->liveViewImageView(), nullptr);
  EXPECT_TRUE(controller_->liveViewImageView()->isDisabled()) << "the grey veil over the last frame";
  EXPECT_TRUE(level->isHidden());
  // A frame the loop sent before it stopped, arriving late, leaves the veil where it is.
  post(kLiveViewImageNotification, platform::Value(liveFrame(QColor(40, 200, 40))));
  EXPECT_FALSE(controller_->liveViewImageView()->isPreparingFrame()) << "not handed to the display";
  settle();
  EXPECT_TRUE(controller_->liveViewImageView()->isDisabled());

  // The next still takes the display away.
  show(jpeg(360, 240, 1), objectOf(0x3801, "IMG_0023.JPG"));
  ASSERT_TRUE(waitUntil([&] { return controller_->liveViewImageView() == nullptr; }));
  EXPECT_EQ(shownSize(), QSize(360, 240));
}

}  // namespace
