// The live-view display with frames built here for each vendor and a stand-in session (its status, taps and
// nudges recorded): a frame's picture and overlays appear together, one frame in flight and the newest waiting,
// results dropped after setDisabled or clearImage, the centre crop at 200 %, the turns, the marks, the light,
// time and bars, the nudge arrows and the veil, real clicks and keys, and the same overlay objects after 2,000
// frames.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QStyleHints>
#include <QTest>
#include <set>

#include "app/viewing/electronic_level_view.h"
#include "app/viewing/live_view_image_view.h"
#include "app/viewing/live_view_overlay_views.h"
#include "app/viewing/live_view_test_frames.h"
#include "app/viewing/live_view_test_support.h"
#include "app/viewing/sound_bar_view.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/user_defaults.h"
#include "platform/imaging/live_view_kernels.h"
#include "session/notification_names.h"

namespace {

using namespace live_view_testing;
using platform::Point;
using platform::Rect;

class RecordingSession : public LiveViewSession {
 public:
  uint64_t status = 1;
  std::vector<std::pair<Point, uint8_t>> singleTaps, doubleTaps;
  std::vector<int> nudges;

  uint64_t liveViewStatus() override { return status; }
  void liveViewSingleTap(Point p, uint8_t o) override { singleTaps.emplace_back(p, o); }
  void liveViewDoubleTap(Point p, uint8_t o) override { doubleTaps.emplace_back(p, o); }
  void nudgeLiveView(int tag) override { nudges.push_back(tag); }
};

const char* const kSettings[] = {"RotateLiveView", "Highlights", "Shadows", "FocusPeaking", "ElectronicLevel"};

void setProperty(uint32_t code, uint32_t value) {
  PropertyStruct* r = propFind(code, true);
  if (!r) r = propCreate(code, true);
  r->value = value;
  propUnlock(r);
}

// Same size and the same colour at every pixel, whatever the two images' formats.
::testing::AssertionResult samePixels(const QImage& got, const QImage& want) {
  if (got.size() != want.size())
    return ::testing::AssertionFailure() << "size " << got.width() << " x " << got.height() << ", want "
                                         << want.width() << " x " << want.height();
  for (int y = 0; y < want.height(); ++y)
    for (int x = 0; x < want.width(); ++x)
      if (got.pixel(x, y) != want.pixel(x, y))
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") " << std::hex << got.pixel(x, y)
                                             << ", want " << want.pixel(x, y);
  return ::testing::AssertionSuccess();
}

QImage solid(int w, int h, QRgb colour) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(colour);
  return img;
}

class LiveViewImageViewTest : public ViewFixture {
 protected:
  void SetUp() override {
    ViewFixture::SetUp();
    resetEngine();
    view_ = new LiveViewImageView(Rect(0, 0, 640, 480), window());
    showAndWait(window());
  }
  void TearDown() override {
    delete view_;
    for (const char* key : kSettings) platform::UserDefaults::standardUserDefaults().removeObjectForKey(key);
    resetEngine();
    ViewFixture::TearDown();
  }
  static void resetEngine() {
    vendorStateReset();
    propStoreReset();
    camSetKeptZoom(0);
  }
  static void setting(const char* key, bool on) { platform::UserDefaults::standardUserDefaults().setBool(on, key); }

  // Hands the frame over and waits until it and any frame waiting behind it are done.
  bool show(const Bytes& frame, uint8_t vendor, const LiveViewImageView::HistogramImageHandler& histogram = {}) {
    const bool accepted = view_->setLiveViewImage(frame, histogram, vendor);
    settleFrames();
    return accepted;
  }
  void settleFrames() {
    EXPECT_TRUE(platform::runMainUntil([&] { return !view_->isPreparingFrame(); }, std::chrono::seconds(20)));
  }
  QImage shown() const { return view_->image().bitmap(); }
  static Bytes fujiFrame(const QImage& picture) { return bitmapFile(picture); }
  static Bytes nikonMovieFrame(NikonFrameSpec spec = {}) { return nikonFrame(spec, bitmapFile(samplePicture())); }

  RecordingSession session_;
  LiveViewSessionSeam::Scoped scopedSession_{session_};
  LiveViewImageView* view_ = nullptr;
};

TEST_F(LiveViewImageViewTest, PictureAndEveryOverlayOfAFrameAppearTogether) {
  session_.status = 2;
  int histograms = 0;
  QSize histogramSize;
  ASSERT_TRUE(view_->setLiveViewImage(nikonMovieFrame(), [&](const QImage& bitmap) {
    ++histograms;
    histogramSize = bitmap.size();
  }, kLiveViewVendorNikon));
  // Handed over, not yet shown: neither the picture nor any overlay leads.
  EXPECT_TRUE(view_->image().isNull());
  EXPECT_EQ(view_->afOverlayLayer(), nullptr);
  EXPECT_EQ(view_->recordingLightView(), nullptr);
  settleFrames();
  EXPECT_EQ(view_->image().size(), (platform::Size{960, 640}));
  EXPECT_NE(view_->afOverlayLayer(), nullptr);
  ASSERT_TRUE(view_->recordingLightView() && view_->recordingLightView()->isVisible());
  EXPECT_EQ(view_->movieTimerTextView()->string(), QStringLiteral("0:00")) << "movie mode, not recording";
  ASSERT_TRUE(view_->leftSoundBarView() && view_->leftSoundBarView()->isVisible());
  EXPECT_EQ(view_->leftSoundBarView()->numberOfBins(), 15u);
  EXPECT_EQ(view_->leftSoundBarView()->currentBin(), 7u);
  EXPECT_EQ(view_->leftSoundBarView()->maxBin(), 10u);
  EXPECT_EQ(view_->rightSoundBarView()->currentBin(), 9u);
  EXPECT_EQ(view_->rightSoundBarView()->maxBin(), 12u);
  EXPECT_EQ(histograms, 1);
  EXPECT_EQ(histogramSize, QSize(512, 512));
  EXPECT_EQ(view_->framesShown(), 1u);

  // The Nikon frame in the middle of the display area, in focus: green around the picture's centre. The picture
  // fills 640 x 426.67 at y 26.67; the frame is 400 / 3000 of 640 wide and 300 / 2000 of 426.67 high.
  const QImage img = grabWindow();
  const double width = 400 * 640 / 3000.0, height = 300 * 426.0 / 2000;
  EXPECT_TRUE(isGreen(at(img, view_, Point{320 - width / 2, 240})));
  EXPECT_TRUE(isGreen(at(img, view_, Point{320, 240 + height / 2 - 0.5})));
  EXPECT_FALSE(isGreen(at(img, view_, Point{320, 240})));
}

TEST_F(LiveViewImageViewTest, OneFrameInFlightTheNewestWaitingShownInArrivalOrder) {
  std::vector<int> order;
  auto note = [&](int n) { return [&order, n](const QImage&) { order.push_back(n); }; };
  ASSERT_TRUE(view_->setLiveViewImage(fujiFrame(solid(64, 48, qRgb(200, 0, 0))), note(1), kLiveViewVendorFuji));
  ASSERT_TRUE(view_->setLiveViewImage(fujiFrame(solid(64, 48, qRgb(0, 200, 0))), note(2), kLiveViewVendorFuji));
  ASSERT_TRUE(view_->setLiveViewImage(fujiFrame(solid(64, 48, qRgb(0, 0, 200))), note(3), kLiveViewVendorFuji));
  settleFrames();
  EXPECT_EQ(order, (std::vector<int>{1, 3})) << "the second frame was replaced while it waited";
  EXPECT_EQ(view_->framesShown(), 2u);
  EXPECT_EQ(shown().pixel(10, 10), qRgb(0, 0, 200));
}

TEST_F(LiveViewImageViewTest, AResultFinishingAfterSetDisabledOrClearImageIsDropped) {
  ASSERT_TRUE(show(fujiFrame(solid(64, 48, qRgb(200, 0, 0))), kLiveViewVendorFuji));
  ASSERT_TRUE(view_->setLiveViewImage(fujiFrame(solid(64, 48, qRgb(0, 200, 0))), {}, kLiveViewVendorFuji));
  view_->setDisabled();
  settleFrames();
  EXPECT_EQ(shown().pixel(10, 10), qRgb(200, 0, 0)) << "the last picture stays under the veil";
  EXPECT_TRUE(view_->isDisabled());
  EXPECT_EQ(view_->framesShown(), 1u);

  ASSERT_TRUE(view_->setLiveViewImage(fujiFrame(solid(64, 48, qRgb(0, 200, 0))), {}, kLiveViewVendorFuji));
  view_->clearImage();
  settleFrames();
  EXPECT_TRUE(view_->image().isNull());
  EXPECT_TRUE(view_->isDisabled());

  // The next frame shown lifts the veil.
  ASSERT_TRUE(show(fujiFrame(solid(64, 48, qRgb(0, 0, 200))), kLiveViewVendorFuji));
  EXPECT_FALSE(view_->isDisabled());
}

TEST_F(LiveViewImageViewTest, DroppedFramesAndUndecodablePictures) {
  ASSERT_TRUE(show(fujiFrame(solid(64, 48, qRgb(200, 0, 0))), kLiveViewVendorFuji));
  CanonFrameSpec kind3;
  kind3.kind = 3;
  EXPECT_FALSE(show(canonFrame(kind3, bitmapFile(solid(8, 8, 0))), kLiveViewVendorCanon));
  EXPECT_FALSE(show(Bytes(100, 0), kLiveViewVendorNikon));
  EXPECT_EQ(shown().pixel(10, 10), qRgb(200, 0, 0)) << "a dropped frame changes nothing";
  EXPECT_TRUE(show(Bytes{1, 2, 3, 4}, kLiveViewVendorFuji));
  EXPECT_TRUE(view_->image().isNull()) << "a picture that does not decode clears the picture";
}

TEST_F(LiveViewImageViewTest, CanonAt200PercentShowsTheCentreHalfWithTheMarksOfTheWholePicture) {
  camSetKeptZoom(200);
  QImage picture = samplePicture(160, 96);
  CanonFrameSpec spec;
  spec.kind = 2;
  ASSERT_TRUE(show(canonFrame(spec, bitmapFile(picture)), kLiveViewVendorCanon));
  EXPECT_TRUE(samePixels(shown(), picture.copy(40, 24, 80, 48)));
  EXPECT_TRUE(view_->nudgeButtonsVisible()) << "zoomed: the nudge arrows";

  setting("Highlights", true);
  setting("Shadows", true);
  setting("FocusPeaking", true);
  ASSERT_TRUE(show(canonFrame(spec, bitmapFile(picture)), kLiveViewVendorCanon));
  QImage whole = picture;
  platform::applyLiveViewMarks(whole, {platform::MarkKernelInput{platform::Color::rgb(1, 0, 0), 0.99},
                                       platform::MarkKernelInput{platform::Color::rgb(0, 0, 1), 0.001},
                                       platform::MarkKernelInput{platform::Color::rgb(1, 0, 0), 0.1}});
  EXPECT_TRUE(samePixels(shown(), whole.copy(40, 24, 80, 48))) << "marked as over the whole picture, also at the crop's edge";

  camSetKeptZoom(0);
  ASSERT_TRUE(show(canonFrame(spec, bitmapFile(picture)), kLiveViewVendorCanon));
  EXPECT_TRUE(samePixels(shown(), whole));
  EXPECT_FALSE(view_->nudgeButtonsVisible());
  camSetKeptZoom(200);
  ASSERT_TRUE(show(nikonFrame({}, bitmapFile(picture)), kLiveViewVendorNikon));
  EXPECT_EQ(shown().size(), QSize(160, 96)) << "only Canon crops";
}

TEST_F(LiveViewImageViewTest, TurnsSixThreeEightOfAPictureWithOneMarkedCorner) {
  QImage picture = solid(8, 4, qRgb(0, 0, 0));
  picture.setPixel(0, 0, qRgb(255, 0, 0));  // the top left corner
  const Bytes bitmap = bitmapFile(picture);
  struct Case {
    uint8_t index;  // Nikon's orientation byte
    uint8_t orientation;
    QSize size;
    QPoint corner;
  };
  const Case cases[] = {{2, 6, {4, 8}, {3, 0}}, {3, 3, {8, 4}, {7, 3}}, {1, 8, {4, 8}, {0, 7}}, {0, 1, {8, 4}, {0, 0}}};
  setting("RotateLiveView", true);
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.orientation));
    NikonFrameSpec spec;
    spec.orientationIndex = c.index;
    ASSERT_TRUE(show(nikonFrame(spec, bitmap), kLiveViewVendorNikon));
    EXPECT_EQ(LiveViewImageView::lastLiveViewOrientation(), c.orientation);
    ASSERT_EQ(shown().size(), c.size);
    EXPECT_EQ(shown().pixel(c.corner), qRgb(255, 0, 0));
  }
  // The forced turn wins over the camera's; without "RotateLiveView" the camera's turn is not followed.
  setting("RotateLiveView", false);
  NikonFrameSpec turned;
  turned.orientationIndex = 2;
  ASSERT_TRUE(show(nikonFrame(turned, bitmap), kLiveViewVendorNikon));
  EXPECT_EQ(LiveViewImageView::lastLiveViewOrientation(), 1);
  EXPECT_EQ(shown().size(), QSize(8, 4));
  view_->setForcedOrientation(8);
  ASSERT_TRUE(show(nikonFrame(turned, bitmap), kLiveViewVendorNikon));
  EXPECT_EQ(shown().pixel(0, 7), qRgb(255, 0, 0));
}

TEST_F(LiveViewImageViewTest, RecordingLightMovieTimeAndBarsPerVendor) {
  session_.status = 3;
  CanonFrameSpec canon;
  canon.audio = {-40, 0, -45, -20};
  canon.movieSeconds = 10, canon.movieMilliseconds = 500;
  const Bytes picture = bitmapFile(solid(64, 48, qRgb(90, 90, 90)));
  ASSERT_TRUE(show(canonFrame(canon, picture), kLiveViewVendorCanon));
  EXPECT_EQ(view_->movieTimerTextView()->string(), QStringLiteral("0:00"));
  canon.movieSeconds = 135, canon.movieMilliseconds = 600;
  ASSERT_TRUE(show(canonFrame(canon, picture), kLiveViewVendorCanon));
  EXPECT_TRUE(view_->recordingLightView()->isVisible());
  EXPECT_EQ(view_->movieTimerTextView()->string(), QStringLiteral("2:05"));
  EXPECT_EQ(view_->leftSoundBarView()->numberOfBins(), 23u);
  EXPECT_EQ(view_->leftSoundBarView()->currentBin(), 0u) << "-40 dB";
  EXPECT_EQ(view_->leftSoundBarView()->maxBin(), 0u) << "-45 dB lights bin 0, not every bin";
  EXPECT_EQ(view_->rightSoundBarView()->currentBin(), 22u) << "0 dB";
  // The light's frame and colour, fixed to the lower left.
  EXPECT_EQ(platform::frameOf(view_->recordingLightView()), Rect(17, 60, 10, 10));
  EXPECT_TRUE(isRed(at(grabWindow(), view_->recordingLightView(), Point{5, 5})));

  // A recording that starts again takes its time from the next frame.
  platform::NotificationCenter::defaultCenter().postNotificationName(kMovieRecordingToggledNotification,
                                                                     platform::Value(true));
  platform::runMainUntil([] { return false; }, std::chrono::milliseconds(50));
  canon.movieSeconds = 300;
  ASSERT_TRUE(show(canonFrame(canon, picture), kLiveViewVendorCanon));
  EXPECT_EQ(view_->movieTimerTextView()->string(), QStringLiteral("0:00"));

  // A negative time shows the light and leaves the text.
  canon.movieSeconds = -1;
  ASSERT_TRUE(show(canonFrame(canon, picture), kLiveViewVendorCanon));
  EXPECT_TRUE(view_->recordingLightView()->isVisible());
  EXPECT_EQ(view_->movieTimerTextView()->string(), QStringLiteral("0:00"));

  canon.audio = {-1, 0, 0, 0};
  ASSERT_TRUE(show(canonFrame(canon, picture), kLiveViewVendorCanon));
  EXPECT_FALSE(view_->leftSoundBarView()->isVisible()) << "no audio data";

  session_.status = 1;
  ASSERT_TRUE(show(canonFrame(canon, picture), kLiveViewVendorCanon));
  EXPECT_FALSE(view_->recordingLightView()->isVisible());
  EXPECT_FALSE(view_->movieTimerTextView()->isVisible());
}

TEST_F(LiveViewImageViewTest, NikonAudio255RemovesTheBarsAndSonyCountsFromItsClock) {
  session_.status = 2;
  ASSERT_TRUE(show(nikonMovieFrame(), kLiveViewVendorNikon));
  EXPECT_TRUE(view_->leftSoundBarView()->isVisible());
  NikonFrameSpec silent;
  silent.levelLeft = 255;
  ASSERT_TRUE(show(nikonMovieFrame(silent), kLiveViewVendorNikon));
  EXPECT_FALSE(view_->leftSoundBarView()->isVisible());
  EXPECT_TRUE(view_->recordingLightView()->isVisible());
  EXPECT_EQ(view_->movieTimerTextView()->string(), QStringLiteral("0:00"));

  delete view_;
  view_ = new LiveViewImageView(Rect(0, 0, 640, 480), window());
  view_->show();
  session_.status = 3;
  const Bytes sony = sonyFrame({}, bareJpeg(samplePicture(320, 212)));
  ASSERT_TRUE(show(sony, kLiveViewVendorSony));
  clock_->advance(125.4);
  ASSERT_TRUE(show(sony, kLiveViewVendorSony));
  EXPECT_EQ(view_->movieTimerTextView()->string(), QStringLiteral("2:05"));
  EXPECT_EQ(view_->leftSoundBarView(), nullptr) << "no bars for Sony";
}

TEST_F(LiveViewImageViewTest, NudgeArrowsWhileZoomedClickedSendTheirTagsAndTheVeilRemovesThem) {
  camSetKeptZoom(100);
  ASSERT_TRUE(show(fujiFrame(solid(64, 48, qRgb(120, 120, 120))), kLiveViewVendorFuji));
  ASSERT_EQ(view_->nudgeButtons().size(), 4u);
  const Rect frames[] = {Rect(280, 430, 80, 40), Rect(280, 10, 80, 40), Rect(10, 200, 40, 80), Rect(590, 200, 40, 80)};
  for (int tag = 0; tag < 4; ++tag) {
    LiveViewNudgeButton* button = view_->nudgeButtons()[tag];
    EXPECT_TRUE(button->isVisible());
    EXPECT_EQ(button->tag(), tag);
    EXPECT_EQ(platform::frameOf(button), frames[tag]);
    click(button);
  }
  EXPECT_EQ(session_.nudges, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_TRUE(session_.singleTaps.empty()) << "the arrows take their clicks";

  view_->setDisabled();
  EXPECT_FALSE(view_->nudgeButtonsVisible());
  const QImage img = grabWindow();
  // White at 0.35 over grey 120: 120 + 0.35 x (255 - 120) = 167.
  const QColor veiled = at(img, view_, Point{320, 240});
  EXPECT_NEAR(veiled.red(), 167, 2);
  EXPECT_NEAR(veiled.blue(), 167, 2);

  camSetKeptZoom(0);
  ASSERT_TRUE(show(fujiFrame(solid(64, 48, qRgb(120, 120, 120))), kLiveViewVendorFuji));
  EXPECT_FALSE(view_->nudgeButtons()[0]->isVisible());
}

TEST_F(LiveViewImageViewTest, ClicksBecomeTouchFocusAfterTheDoubleClickIntervalAndDoubleClicksZoom) {
  QGuiApplication::styleHints()->setMouseDoubleClickInterval(200);
  ASSERT_TRUE(show(fujiFrame(solid(64, 48, qRgb(120, 120, 120))), kLiveViewVendorFuji));
  view_->setForcedOrientation(6);
  ASSERT_TRUE(show(fujiFrame(solid(64, 48, qRgb(120, 120, 120))), kLiveViewVendorFuji));
  // The turned picture (48 x 64) fills 360 x 480 at x 140; a click at Qt (230, 120) is (90/360, 360/480) of it.
  session_.status = 0;
  click(view_, QPoint(230, 120));
  clock_->advance(1);
  EXPECT_TRUE(session_.singleTaps.empty()) << "live view off: clicks do nothing";

  session_.status = 1;
  click(view_, QPoint(230, 120));
  clock_->advance(0.19);
  EXPECT_TRUE(session_.singleTaps.empty()) << "not before the double-click interval";
  clock_->advance(0.02);
  ASSERT_EQ(session_.singleTaps.size(), 1u);
  EXPECT_NEAR(session_.singleTaps[0].first.x, 0.25, 1e-9);
  EXPECT_NEAR(session_.singleTaps[0].first.y, 0.75, 1e-9);
  EXPECT_EQ(session_.singleTaps[0].second, 6) << "turned back with the picture's own turn";

  QTest::mouseDClick(window()->windowHandle(), Qt::LeftButton, {}, inWindow(view_, QPoint(230, 120)));
  clock_->advance(1);
  EXPECT_EQ(session_.singleTaps.size(), 1u) << "a double click is no single tap";
  ASSERT_EQ(session_.doubleTaps.size(), 1u);
  EXPECT_NEAR(session_.doubleTaps[0].first.x, 0.25, 1e-9);
}

TEST_F(LiveViewImageViewTest, TheRKeyTurnsOnlyInTheActiveWindowAndTypesInTextFields) {
  auto* field = new QLineEdit(window());
  field->setGeometry(10, 10, 100, 24);
  field->show();
  window()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window()));
  view_->setFocus();
  QWindow* handle = window()->windowHandle();
  std::vector<int> seen;
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(handle, Qt::Key_R);
    seen.push_back(view_->forcedOrientation());
  }
  EXPECT_EQ(seen, (std::vector<int>{6, 3, 8, 1, 6}));

  QTest::keyClick(handle, Qt::Key_R, Qt::ShiftModifier);
  EXPECT_EQ(view_->forcedOrientation(), 6) << "a capital R is no rotate key";

  field->setFocus();
  QTest::keyClick(handle, Qt::Key_R);
  QTest::keyClick(handle, Qt::Key_R);
  EXPECT_EQ(field->text(), QStringLiteral("rr"));
  EXPECT_EQ(view_->forcedOrientation(), 6);

  // Another window active: the "r" is its own.
  QWidget other;
  auto* otherField = new QLineEdit(&other);
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  otherField->setFocus();
  QTest::keyClick(other.windowHandle(), Qt::Key_R);
  EXPECT_EQ(otherField->text(), QStringLiteral("r"));
  EXPECT_EQ(view_->forcedOrientation(), 6);
}

TEST_F(LiveViewImageViewTest, SonyAndFujifilmFramesFromTheCamerasProperties) {
  camSetVendor(VENDOR_SONY);
  setProperty(0xD213, 2);
  setProperty(0xD22C, 0x101);
  setProperty(0xD2DC, (1290u << 16) | 950u);
  SonyFrameSpec spec;
  spec.focusX = 1290, spec.focusY = 950, spec.focusWidth = 258, spec.focusHeight = 190;
  ASSERT_TRUE(show(sonyFrame(spec, bareJpeg(samplePicture(640, 424))), kLiveViewVendorSony));
  platform::ShapeLayer* layer = view_->afOverlayLayer();
  ASSERT_NE(layer, nullptr);
  // 640 x 424 in 640 x 480: P at y 28; the 2580 x 1900 space's centre is the view's centre.
  const Rect box = layer->path().bounds();
  EXPECT_NEAR(box.midX(), 320, 1e-6);
  EXPECT_NEAR(box.midY(), 240, 1e-6);
  EXPECT_NEAR(box.width(), 64, 1e-6);
  EXPECT_EQ(layer->strokeColor(), platform::Color::rgb(0, 1, 0));
  camSetKeptZoom(100);
  ASSERT_TRUE(show(sonyFrame(spec, bareJpeg(samplePicture(640, 424))), kLiveViewVendorSony));
  EXPECT_NEAR(view_->afOverlayLayer()->path().bounds().width(), 64, 1e-6) << "the cross: 640 / 20 each way";
  setProperty(0xD22C, 2);
  camSetKeptZoom(0);
  ASSERT_TRUE(show(sonyFrame(spec, bareJpeg(samplePicture(640, 424))), kLiveViewVendorSony));
  EXPECT_EQ(view_->afOverlayLayer(), nullptr) << "0xD22C = 2: no frame";

  camSetVendor(VENDOR_FUJI);
  for (uint32_t code : {0xEEE0u, 0xEEE1u}) setProperty(code, 500);
  for (uint32_t code : {0xEEE2u, 0xEEE3u}) setProperty(code, 100);
  setProperty(0xD209, 2);
  ASSERT_TRUE(show(fujiFrame(samplePicture(640, 480)), kLiveViewVendorFuji));
  ASSERT_NE(view_->afOverlayLayer(), nullptr);
  EXPECT_TRUE(isGreen(at(grabWindow(), view_, Point{320 - 32, 240})));
  camSetKeptZoom(100);
  ASSERT_TRUE(show(fujiFrame(samplePicture(640, 480)), kLiveViewVendorFuji));
  EXPECT_EQ(view_->afOverlayLayer(), nullptr) << "zoomed: no frame";
}

TEST_F(LiveViewImageViewTest, AfterTwoThousandFramesTheSameOverlayViewsAndLayers) {
  session_.status = 3;
  const Bytes picture = bitmapFile(samplePicture(64, 40));
  CanonFrameSpec full;
  full.audio = {-12, -20, -3, -6};
  full.movieSeconds = 12;
  full.frames = {{0x11, 2700, 1800, 600, 400}, {0x12, 100, 100, 600, 400}, {0, 5000, 3000, 600, 400}};
  CanonFrameSpec small = full;
  small.frames.resize(1);
  small.audio[0] = -1;
  auto tree = [&] {
    std::set<const void*> objects;
    for (QObject* child : view_->children()) objects.insert(child);
    std::function<void(const platform::Layer&)> walk = [&](const platform::Layer& l) {
      for (const auto& sub : l.sublayers()) {
        objects.insert(sub.get());
        walk(*sub);
      }
    };
    walk(view_->layer());
    return objects;
  };
  camSetKeptZoom(100);
  ASSERT_TRUE(show(canonFrame(full, picture), kLiveViewVendorCanon));
  const std::set<const void*> first = tree();
  EXPECT_EQ(view_->afOverlayLayer()->sublayers().size(), 3u);
  for (int i = 1; i < 2000; ++i) {
    camSetKeptZoom(i % 2 ? 0 : 100);
    session_.status = i % 3 ? 3 : 1;
    const bool odd = i % 2;
    if (!show(canonFrame(odd ? small : full, picture), kLiveViewVendorCanon)) FAIL() << i;
  }
  camSetKeptZoom(100);
  session_.status = 3;
  ASSERT_TRUE(show(canonFrame(full, picture), kLiveViewVendorCanon));
  EXPECT_EQ(tree(), first);
  EXPECT_EQ(view_->afOverlayLayer()->sublayers().size(), 3u);
}

}  // namespace
