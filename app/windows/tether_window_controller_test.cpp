// The tether-only window against the stand-in device: every picture downloaded into the save folder and added to
// the session once it is there, movies left alone, one download error at a time, "Idle" only after the last
// download, pictures missed while away fetched on opening, and a window closed while its downloads run.
#include <QLabel>
#include <QElapsedTimer>
#include <QTimer>
#include <thread>

#include "app/windows/tether_window_controller.h"
#include "app/windows/window_test_support.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/movie_objects.h"
#include "guitest/gui_test.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/color_controls.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"
#include "widgets/yrk_spinning_progress_indicator.h"

namespace {

using namespace window_testing;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

class TetherWindowTest : public guitest::GuiTest {
 protected:
  // A session kept for this camera, as a camera window's start leaves one (the tether-only window offers none).
  void keepSession() { CameraController::instance().clearSession(); }
  TetherViewController* openTetherWindow() {
    window_ = TetherWindowController::createAndShowWindow();
    EXPECT_TRUE(guitest::showWindow(window_->window()));
    return window_->tetherViewController();
  }
  std::vector<session_testing::ShownAlert> errors() { return window_testing::programAlerts(alerts()); }
  bool idle(TetherViewController* view) {
    return view->downloadsRunning() == 0 && view->oTransferingLabel->text() == "Idle" &&
           view->oProgressIndicator->isHidden();
  }
  const std::string& saveFolder() { return harness().saveFolder(); }
  TetherWindowController* window_ = nullptr;
};

TEST_F(TetherWindowTest, APictureIsSavedAndAddedToTheSessionAndAMovieChangesNothing) {
  ASSERT_TRUE(connect("canon"));
  keepSession();
  TetherViewController* view = openTetherWindow();
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  session_testing::NotificationLog log({kNewObjectNotification});

  const uint32_t movie = camera->announceOnCamera(devicesim::movieObject(300000, "MVI_0001.MOV"));
  ASSERT_TRUE(waitForPosts(log, kNewObjectNotification, 1));
  settle();
  EXPECT_TRUE(idle(view));
  EXPECT_EQ(rig().operationCount(0x1009), 0u) << "the movie is not downloaded";
  PtpObjectInfoStruct movieRecord{};
  movieRecord.objectId = movie;
  EXPECT_FALSE(CameraController::instance().doesSessionContainObject(&movieRecord));

  const std::vector<std::vector<uint8_t>> taken = captureOnCamera(rig(), 1);
  ASSERT_TRUE(waitUntil([&] { return folderHolds(saveFolder(), taken[0]); }));
  ASSERT_TRUE(waitUntil([&] { return idle(view); }));
  PtpObjectInfoStruct picture{};
  picture.objectId = camera->captured().back();
  EXPECT_TRUE(CameraController::instance().doesSessionContainObject(&picture));
  EXPECT_TRUE(errors().empty());
}

TEST_F(TetherWindowTest, FailedDownloadsShowOneAlertAtATimeAndStayOutOfTheSession) {
  ASSERT_TRUE(connect("canon"));
  keepSession();
  TetherViewController* view = openTetherWindow();
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  camera->failOperation(0x1009, std::nullopt, 0x2002, 2);
  captureOnCamera(rig(), 2);
  ASSERT_TRUE(waitUntil([&] { return rig().operationCount(0x1009) >= 2 && idle(view); }));
  settle();
  ASSERT_EQ(errors().size(), 1u) << "two failures, one alert";
  EXPECT_EQ(errors()[0].title, "Error");
  EXPECT_EQ(errors()[0].message.rfind("Failed to download image: IMG_000", 0), 0u) << errors()[0].message;
  for (uint32_t handle : camera->captured()) {
    PtpObjectInfoStruct record{};
    record.objectId = handle;
    EXPECT_FALSE(CameraController::instance().doesSessionContainObject(&record))
        << "a failed picture is left for the next \"load missed images\"";
  }

  // OK: the next failure is shown again.
  auto* alert = qobject_cast<JW_Alert*>(errors()[0].window->windowController());
  ASSERT_NE(alert, nullptr);
  ASSERT_TRUE(guitest::click(alert->oOkButton));
  camera->failOperation(0x1009, std::nullopt, 0x2002, 1);
  captureOnCamera(rig(), 1);
  ASSERT_TRUE(waitUntil([&] { return errors().size() == 2; }));
  EXPECT_EQ(errors()[1].message, "Failed to download image: IMG_0003.JPG");
}

TEST_F(TetherWindowTest, IdleOnlyOnceTheLastDownloadHasEnded) {
  ASSERT_TRUE(connect("canon"));
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  // Two pictures waiting behind the closed event gate, so that the window's opening starts both downloads at once:
  // a small one, and a large one read in slow ranges that ends well after it.
  devicesim::SimObject large;
  large.name = "IMG_0500.JPG";
  large.bytes = devicesim::movieBytes(6 * 1024 * 1024, 7);
  large.thumbnail = devicesim::jpegImage(devicesim::JpegRecipe{})->thumbnail;
  camera->announceOnCamera(large);
  captureOnCamera(rig(), 1);
  rig().device().setCommandDelay(0x41, std::chrono::milliseconds(150));
  TetherViewController* view = nullptr;
  bool transferring = false;
  std::optional<size_t> rangesAtIdle;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!view) return;
    const QString text = view->oTransferingLabel->text();
    if (text.startsWith("Transferring")) transferring = true;
    if (transferring && text == "Idle" && !rangesAtIdle) rangesAtIdle = rig().commandCount(0x41);
  });
  watch.start(2);
  view = openTetherWindow();
  ASSERT_TRUE(waitUntil([&] { return filesIn(saveFolder()).size() == 2 && idle(view); }));
  watch.stop();
  EXPECT_TRUE(transferring);
  ASSERT_TRUE(rangesAtIdle.has_value());
  EXPECT_GE(rig().commandCount(0x41), 3u) << "the large picture came in ranges";
  EXPECT_EQ(*rangesAtIdle, rig().commandCount(0x41)) << "\"Idle\" while the large picture was still read";
  EXPECT_EQ(filesIn(saveFolder())["IMG_0500.JPG"], *large.bytes);
}

TEST_F(TetherWindowTest, APictureReachesTheSaveFolderWhileTheMainThreadIsHeld) {
  ASSERT_TRUE(connect("canon"));
  keepSession();
  TetherViewController* view = openTetherWindow();
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  // The picture is taken and awaited on another thread while the main thread waits for it: a download that
  // needed a turn of the main loop to start would never come.
  std::vector<uint8_t> taken;
  bool saved = false;
  std::thread shooter([&] {
    taken = captureOnCamera(rig(), 1).at(0);
    const auto deadline = std::chrono::steady_clock::now() + guitest::kWaitLimit / 2;
    while (!(saved = folderHolds(saveFolder(), taken)) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));  // a file has no event to wait for
  });
  shooter.join();
  EXPECT_TRUE(saved);
  // The label and the count catch up once the main loop runs: the count, raised by the block queued before the
  // download began, comes down after the picture has joined the session.
  settle();
  PtpObjectInfoStruct picture{};
  picture.objectId = camera->captured().back();
  EXPECT_TRUE(waitUntil([&] { return idle(view) && CameraController::instance().doesSessionContainObject(&picture); }));
  EXPECT_TRUE(errors().empty());
}

TEST_F(TetherWindowTest, PicturesTakenWhileAwayAreFetchedWhenTheWindowOpens) {
  ASSERT_TRUE(connect("canon"));
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  keepSession();
  openTetherWindow();
  captureOnCamera(rig(), 1);  // the session's mark
  ASSERT_TRUE(waitUntil([&] { return filesIn(saveFolder()).size() == 1; }));
  window_->close();
  settle();
  // Taken while no window listened (and never announced).
  camera->addJpegObject(150000, 1, "IMG_0100.JPG");
  camera->addJpegObject(150000, 1, "IMG_0101.JPG");

  defaults().setBool(true, "LoadMissedImages");
  openTetherWindow();
  ASSERT_TRUE(waitUntil([&] { return filesIn(saveFolder()).size() == 3; }));
  EXPECT_EQ(filesIn(saveFolder()).count("IMG_0100.JPG"), 1u);
  EXPECT_EQ(filesIn(saveFolder()).count("IMG_0101.JPG"), 1u);
}

TEST_F(TetherWindowTest, AWindowClosedWhileItsDownloadsRunIsLeftAlone) {
  ASSERT_TRUE(connect("canon"));
  TetherViewController* view = openTetherWindow();
  rig().device().setReplyDelay(std::chrono::milliseconds(40));
  const std::vector<std::vector<uint8_t>> taken = captureOnCamera(rig(), 2);
  ASSERT_TRUE(waitUntil([&] { return view->downloadsRunning() == 2; }));
  window_->close();
  settle();
  ASSERT_TRUE(waitUntil([&] { return folderHolds(saveFolder(), taken[0]) && folderHolds(saveFolder(), taken[1]); }));
  settle();
  rig().device().setReplyDelay(std::chrono::milliseconds(0));
  EXPECT_TRUE(errors().empty());
}

TEST_F(TetherWindowTest, TheSpinnerDrawsAtFullBrightness) {
  ASSERT_TRUE(connect("nikon"));
  TetherViewController* view = openTetherWindow();
  auto* effect = dynamic_cast<platform::ColorControlsEffect*>(view->oProgressIndicator->graphicsEffect());
  ASSERT_NE(effect, nullptr);
  EXPECT_EQ(effect->controls().brightness, 1);
  EXPECT_EQ(effect->controls().saturation, 1);
  EXPECT_EQ(effect->controls().contrast, 1);
  EXPECT_EQ(window_->window()->windowTitle().toStdString(), "Vorlaxent 2: 127.0.0.1");
}

}  // namespace
