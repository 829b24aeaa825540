// The camera window against the stand-in device: routing of new objects, thumbnails, selections and deletions (by
// real notifications of a real session), the panels collapsed before the first paint, Save As and the SD-card
// transfer from the menu's keys, a session that restarts under the open window, a window closed mid-download, and
// the whole path per vendor from the connection window: Connect, a picture, the file, back; then tether-only.
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <fstream>
#include <thread>

#include "app/windows/app_delegate.h"
#include "app/windows/camera_window_controller.h"
#include "app/windows/connection_view_controller.h"
#include "app/windows/status_bar_view_controller.h"
#include "app/windows/tether_window_controller.h"
#include "app/windows/window_test_support.h"
#include "devicesim/jpeg_factory.h"
#include "devicesim/movie_objects.h"
#include "engine/link/link.h"
#include "engine/ptp/event_thread.h"
#include "engine/store/object_cache.h"
#include "guitest/gui_test.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/layout_constraint.h"
#include "platform/ui/menu.h"
#include "platform/ui/save_panel.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/utilities.h"

namespace {

using namespace window_testing;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

class CameraWindowTest : public guitest::GuiTest {
 protected:
  std::vector<session_testing::ShownAlert> shownAlerts() { return window_testing::programAlerts(alerts()); }
  CameraWindowController* openCameraWindow() {
    CameraWindowController* window = CameraWindowController::createAndShowWindow();
    EXPECT_TRUE(guitest::showWindow(window->window()));
    return window;
  }
  const std::string& saveFolder() { return harness().saveFolder(); }
};

TEST_F(CameraWindowTest, EveryNewObjectGetsOneThumbnailAndTheLastIsShown) {
  TestPanels panels;
  ASSERT_TRUE(connect("canon"));
  openCameraWindow();
  const size_t thumbnailsAsked = rig().operationCount(0x910A);
  const std::vector<std::vector<uint8_t>> taken = captureOnCamera(rig(), 3);
  ASSERT_EQ(taken.size(), 3u);
  ASSERT_TRUE(waitUntil([&] { return panels.strip->items.size() == 3 && panels.imageArea->setImages == 3; }));
  ASSERT_TRUE(waitUntil([&] { return filesIn(saveFolder()).size() == 3; }));
  settle();
  EXPECT_EQ(rig().operationCount(0x910A), thumbnailsAsked + 3) << "one thumbnail per new object";
  for (const std::vector<uint8_t>& bytes : taken) EXPECT_TRUE(folderHolds(saveFolder(), bytes));
  EXPECT_EQ(panels.imageArea->shownBytes, taken.back());
  EXPECT_EQ(panels.strip->selections, 3);
  EXPECT_TRUE(shownAlerts().empty()) << shownAlerts().front().message;
}

TEST_F(CameraWindowTest, DownloadedInTheBackgroundAPictureIsFetchedOnceAndWaitsForNoThumbnail) {
  TestPanels panels;
  ASSERT_TRUE(connect("canon"));
  defaults().setInteger(3, "AutoViewImages");
  openCameraWindow();
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  const size_t imagesAsked = rig().operationCount(0x1009);
  // The first picture's thumbnail is refused: its file still reaches the save folder.
  camera->failOperation(0x910A, std::nullopt, 0x2002);
  const std::vector<std::vector<uint8_t>> first = captureOnCamera(rig(), 1);
  ASSERT_EQ(first.size(), 1u);
  ASSERT_TRUE(waitUntil([&] { return folderHolds(saveFolder(), first[0]); }));
  // Two more with their thumbnails: each picture already in the save folder when its thumbnail reaches the
  // strip, and asked for once, though its thumbnail asks for it too.
  std::vector<bool> savedBeforeThumbnail;
  std::vector<std::vector<uint8_t>> more;
  platform::ObserverToken token = platform::NotificationCenter::defaultCenter().addObserverForName(
      kThumbnailDownloadedNotification, nullptr, [&](const platform::Notification&) {
        const size_t i = savedBeforeThumbnail.size();
        savedBeforeThumbnail.push_back(i < more.size() && folderHolds(saveFolder(), more[i]));
      });
  more = captureOnCamera(rig(), 2);
  ASSERT_TRUE(waitUntil([&] { return panels.strip->items.size() == 2 && filesIn(saveFolder()).size() == 3; }));
  settle();
  platform::NotificationCenter::defaultCenter().removeObserver(token);
  EXPECT_EQ(savedBeforeThumbnail, std::vector<bool>({true, true}));
  for (const std::vector<uint8_t>& bytes : more) EXPECT_TRUE(folderHolds(saveFolder(), bytes));
  EXPECT_EQ(rig().operationCount(0x1009), imagesAsked + 3) << "one download per picture";
  EXPECT_EQ(panels.imageArea->setImages, 0) << "nothing shown in the background mode";
}

// Every reconnect asks again for each picture whose image is still missing; behind a slow link the queue held the
// same picture many times over. One download per picture is queued at a time, and a picture asked for after its
// download returned (here: failed) is queued again.
TEST_F(CameraWindowTest, APictureAskedForAgainWhileItsDownloadIsQueuedIsQueuedOnce) {
  TestPanels panels;
  ASSERT_TRUE(connect("canon"));
  defaults().setInteger(0, "AutoViewImages");  // nothing downloaded by itself
  openCameraWindow();
  session_testing::NotificationLog log({kNewObjectNotification});
  ASSERT_EQ(captureOnCamera(rig(), 1).size(), 1u);
  ASSERT_TRUE(waitUntil([&] { return panels.strip->items.size() == 1; }));
  settle();
  const std::vector<platform::Value> announced = log.objects(kNewObjectNotification);
  ASSERT_EQ(announced.size(), 1u);
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  camera->failOperation(0x1009, std::nullopt, 0x2002, 10);  // each try fails at once, the link up
  const size_t imagesAsked = rig().operationCount(0x1009);
  const auto ask = [&] {
    for (int i = 0; i < 3; ++i)
      platform::NotificationCenter::defaultCenter().postNotificationName(kDownloadImageInBackgroundNotification,
                                                                         announced[0]);
  };
  ask();
  ASSERT_TRUE(waitUntil([&] { return shownAlerts().size() == 1; }));
  settle();
  EXPECT_EQ(rig().operationCount(0x1009), imagesAsked + 1) << "three asks while queued, one transfer";
  ask();
  ASSERT_TRUE(waitUntil([&] { return shownAlerts().size() == 2; }));
  settle();
  EXPECT_EQ(rig().operationCount(0x1009), imagesAsked + 2) << "asked again once it had returned";
  EXPECT_EQ(shownAlerts()[1].message.rfind("Unable to download ", 0), 0u) << shownAlerts()[1].message;
}

TEST_F(CameraWindowTest, AThumbnailTheStripCannotShowIsFetchedOnceMoreAndThePictureShownWithoutIt) {
  TestPanels panels;
  ASSERT_TRUE(connect("canon"));
  openCameraWindow();
  session_testing::NotificationLog log({kSelectMainThumbnailNotification});
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  devicesim::SimObject object;
  object.name = "IMG_0900.JPG";
  auto picture = devicesim::jpegImage(devicesim::JpegRecipe{});
  object.bytes = std::make_shared<const std::vector<uint8_t>>(picture->bytes);
  // A JPEG the camera sends like any other, whose frame says it has no pixels: nothing can decode it.
  object.thumbnail = picture->thumbnail;
  for (size_t i = 0; i + 9 < object.thumbnail.size(); ++i) {
    if (object.thumbnail[i] != 0xFF || object.thumbnail[i + 1] != 0xC0) continue;
    std::fill(object.thumbnail.begin() + long(i) + 5, object.thumbnail.begin() + long(i) + 9, 0);
    break;
  }
  ASSERT_TRUE(QImage::fromData(object.thumbnail.data(), int(object.thumbnail.size())).isNull());
  camera->announceOnCamera(object);

  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->setImages == 1; }));
  // Past several more rounds at the harness's pace: the Part's loop would fetch and select for ever.
  waitUntil([] { return false; }, std::chrono::milliseconds(600));
  EXPECT_EQ(log.count(kSelectMainThumbnailNotification), 2u) << "once as usual, once after the forced fetch";
  EXPECT_EQ(panels.strip->refusedThumbnails, 2);
  EXPECT_TRUE(panels.strip->items.empty());
  EXPECT_EQ(panels.imageArea->shownBytes, picture->bytes);
  EXPECT_EQ(panels.imageArea->setImages, 1);
  EXPECT_TRUE(folderHolds(saveFolder(), picture->bytes));
}

TEST_F(CameraWindowTest, ADeletionByTheCameraClearsOnlyItsOwnPictureAndKeepsTheSavedFiles) {
  TestPanels panels;
  ASSERT_TRUE(connect("canon"));
  openCameraWindow();
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  const std::vector<std::vector<uint8_t>> taken = captureOnCamera(rig(), 2);
  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->setImages == 2 && filesIn(saveFolder()).size() == 2; }));
  ASSERT_EQ(panels.imageArea->shownBytes, taken[1]);
  const std::vector<uint32_t> handles = camera->captured();

  camera->deleteOnCamera(handles[0]);  // the first: not the one shown
  ASSERT_TRUE(waitUntil([&] { return panels.strip->items.size() == 1; }));
  settle();
  EXPECT_EQ(panels.imageArea->clears, 0);
  EXPECT_EQ(panels.imageArea->current->objectId(), handles[1]);
  camera->deleteOnCamera(handles[1]);  // the one shown
  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->clears == 1; }));
  EXPECT_TRUE(panels.strip->items.empty());
  // The cache entry goes with the object; the pictures in the save folder are the user's and stay.
  settle();
  for (uint32_t handle : handles) {
    PtpObjectInfoStruct record{}, cached{};
    record.objectId = handle;
    EXPECT_FALSE(objCacheCopyObjectInfo(&record, &cached)) << "the cache still knows " << handle;
  }
  EXPECT_EQ(filesIn(saveFolder()).size(), 2u) << "the pictures the user has stay in the save folder";
  for (const std::vector<uint8_t>& bytes : taken) EXPECT_TRUE(folderHolds(saveFolder(), bytes));
}

class CardDeletionTest : public CameraWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CardDeletionTest, ADeletedCardFileRefreshesTheCardSpaceAndACameraObjectDoesNot) {
  const bool card = std::string(GetParam()) == "sony";
  TestPanels panels;
  ASSERT_TRUE(connect(GetParam()));
  openCameraWindow();
  captureOnCamera(rig(), 1);
  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->setImages == 1; }));
  waitUntil([] { return false; }, std::chrono::milliseconds(300));  // the card notices of the picture settle
  const size_t queries = rig().commandCount(0xF5);
  const PtpObjectInfoStruct record = *panels.imageArea->current->origObjectInfo();
  ASSERT_EQ(record.objectId == kObjectIdByName, card);
  std::thread([record] { Utilities::deleteObject(&record, false); }).join();
  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->clears == 1; }));
  waitUntil([] { return false; }, std::chrono::milliseconds(400));  // past the card refresh's delay
  EXPECT_EQ(rig().commandCount(0xF5), queries + (card ? 1 : 0));
}

INSTANTIATE_TEST_SUITE_P(CardAndCamera, CardDeletionTest, ::testing::Values("sony", "canon"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(CameraWindowTest, HiddenPanelsAreCollapsedBeforeTheFirstPaintAndComeBack) {
  defaults().setBool(false, "ControlsVisibility");
  defaults().setBool(false, "ThumbnailStripVisibility");
  ASSERT_TRUE(connect("nikon"));
  auto* camera = new CameraWindowController();
  camera->window();  // loaded, not yet shown
  EXPECT_EQ(camera->oCameraControlsParentView->width(), 0);
  EXPECT_TRUE(camera->oCameraControlsParentView->isHidden());
  EXPECT_EQ(camera->oThumbnailsParentView->height(), 0);
  camera->showAndAdopt();
  ASSERT_TRUE(guitest::showWindow(camera->window()));
  EXPECT_EQ(camera->oStillImageParentView->width(), camera->window()->width())
      << "the image area takes the panel's room";

  defaults().setBool(true, "ControlsVisibility");
  defaults().setBool(true, "ThumbnailStripVisibility");
  settle();
  EXPECT_EQ(camera->oCameraControlsParentView->width(), 220);
  EXPECT_FALSE(camera->oCameraControlsParentView->isHidden());
  EXPECT_EQ(camera->oThumbnailsParentView->height(), 136);
  EXPECT_EQ(camera->oStillImageParentView->width() + 220, camera->window()->width());
}

// Answers the save panel with a path, noting what it was asked.
class AnsweringSavePanel : public platform::SavePanel {
 public:
  std::string answer;
  std::vector<platform::SavePanelOptions> asked;
  std::optional<std::string> runSavePanel(const platform::SavePanelOptions& options) override {
    asked.push_back(options);
    return answer;
  }
};

TEST_F(CameraWindowTest, SaveAsReplacesTheChosenFileWithTheCopyOfTheTypeItIs) {
  TestPanels panels;
  ASSERT_TRUE(connect("canon"));
  CameraWindowController* window = openCameraWindow();
  AnsweringSavePanel panel;
  platform::ScopedSavePanel saving(panel);
  QTemporaryDir elsewhere;
  // Nothing shown yet: said so.
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier) || true);
  window->saveCurrentImageNotification();
  ASSERT_FALSE(shownAlerts().empty());
  EXPECT_EQ(shownAlerts().back().message, "Please select/view an image before attempting to save.");

  const std::vector<std::vector<uint8_t>> taken = captureOnCamera(rig(), 1);
  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->setImages == 1; }));
  window->window()->makeKeyAndOrderFront();  // the menu follows the window in front
  settle();
  panel.answer = elsewhere.filePath("kept.jpg").toStdString();
  std::ofstream(panel.answer) << "an older picture the user chose to replace";
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier));
  ASSERT_TRUE(waitUntil([&] { return filesIn(elsewhere.path().toStdString())["kept.jpg"] == taken[0]; }));
  ASSERT_EQ(panel.asked.size(), 1u);
  EXPECT_EQ(panel.asked[0].title, "Save Current Image");
  EXPECT_EQ(panel.asked[0].proposedName, "IMG_0001.JPG");
  EXPECT_EQ(panel.asked[0].allowedFileTypes, std::vector<std::string>{"jpg"});
  EXPECT_EQ(defaults().stringForKey("SaveAsDirectory"), elsewhere.path().toStdString());

  // A raw picture: offered as itself, or in quick-raw mode as the JPEG it carries, never as a raw named ".jpg".
  auto camera = rig().cameraAs<devicesim::CanonCamera>();
  devicesim::CanonSimProperty format = *camera->property(0xD120);
  format.format = {{6, 0, 4}};
  camera->setProperty(format);
  captureOnCamera(rig(), 1);
  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->setImages == 2; }));
  for (bool quickRaw : {false, true}) {
    SCOPED_TRACE(quickRaw ? "quick raw" : "raw");
    defaults().setBool(quickRaw, "QuickRawMode");
    panel.answer = elsewhere.filePath(quickRaw ? "raw.jpg" : "raw.cr3").toStdString();
    window->saveCurrentImageNotification();
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(panel.answer); }));
    const std::vector<uint8_t> saved = filesIn(elsewhere.path().toStdString())[quickRaw ? "raw.jpg" : "raw.cr3"];
    const platform::SavePanelOptions& options = panel.asked.back();
    if (quickRaw) {
      EXPECT_EQ(options.allowedFileTypes, std::vector<std::string>{"jpg"});
      EXPECT_EQ(options.proposedName, "IMG_0002.jpg");
      ASSERT_GE(saved.size(), 2u);
      EXPECT_EQ(saved[0], 0xFF) << "a JPEG";
      EXPECT_EQ(saved[1], 0xD8);
    } else {
      EXPECT_EQ(options.allowedFileTypes, std::vector<std::string>{"cr3"});
      EXPECT_EQ(options.proposedName, "IMG_0002.CR3");
      EXPECT_EQ(saved, *camera->object(camera->captured().back())->bytes);
    }
  }
}

TEST_F(CameraWindowTest, TheProposedNameHasNoFolderPartsAndTheSavedType) {
  const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
      {"IMG_0001.JPG", "jpg", "IMG_0001.JPG"},
      {"IMG_0001.CR3", "jpg", "IMG_0001.jpg"},
      {"../../etc/IMG_0001.JPG", "jpg", "IMG_0001.JPG"},
      {"DCIM\\100CANON\\IMG_7.CR2", "cr2", "IMG_7.CR2"},
      {"..", "jpg", "image.jpg"},
      {"folder/", "jpg", "image.jpg"},
      {"NOEXT", "jpg", "NOEXT.jpg"},
  };
  for (const auto& [name, type, proposed] : cases)
    EXPECT_EQ(CameraWindowController::proposedSaveName(name, type), proposed) << name;
}

class CameraWindowVendorTest : public CameraWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CameraWindowVendorTest, TheSdTransferReachesTheDeviceForCanonAndNikonOnly) {
  const std::string vendor = GetParam();
  const bool copies = vendor == "canon" || vendor == "nikon";
  TestPanels panels;
  ASSERT_TRUE(connect(vendor));
  CameraWindowController* window = openCameraWindow();
  captureOnCamera(rig(), 1);
  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->setImages == 1; }));
  window->window()->makeKeyAndOrderFront();
  settle();
  EXPECT_EQ(harness().appDelegate().oSdTransferMenuItem->isEnabled(), copies);
  const size_t alertsBefore = shownAlerts().size();
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier));
  window->sdTransferCurrentImageNotification();  // and as the notification itself, whatever the menu says
  if (copies) {
    ASSERT_TRUE(waitUntil([&] { return rig().commandCount(0xFD) >= 1; }));
  } else {
    waitUntil([] { return false; }, std::chrono::milliseconds(300));
    EXPECT_EQ(rig().commandCount(0xFD), 0u);
    EXPECT_EQ(shownAlerts().size(), alertsBefore);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryVendor, CameraWindowVendorTest, ::testing::Values("canon", "nikon", "sony", "fuji"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(CameraWindowTest, ClosingTheWindowMidDownloadLeavesTheDownloadToFinishAlone) {
  TestPanels panels;
  ASSERT_TRUE(connect("canon"));
  CameraWindowController* window = openCameraWindow();
  rig().device().setReplyDelay(std::chrono::milliseconds(40));  // every exchange slow: the download takes a while
  const std::vector<std::vector<uint8_t>> taken = captureOnCamera(rig(), 1);
  const size_t gets = rig().operationCount(0x1009);
  ASSERT_TRUE(waitUntil([&] { return rig().operationCount(0x1009) > gets; }));
  window->close();
  settle();
  EXPECT_TRUE(panels.imageArea->panelGone);
  ASSERT_TRUE(waitUntil([&] { return folderHolds(saveFolder(), taken[0]); }));
  settle();
  EXPECT_EQ(panels.imageArea->setImages, 0) << "nothing of the closed window is touched";
  rig().device().setReplyDelay(std::chrono::milliseconds(0));
}

std::vector<platform::WindowController*> sessionWindows(AppDelegate& delegate) {
  std::vector<platform::WindowController*> out;
  for (platform::WindowController* c : delegate.adoptedWindowControllers())
    if (c->isWindowLoaded() && c->window()->isVisible()) out.push_back(c);
  return out;
}

// The connection window shown, ready for its Connect button.
platform::Window* showConnectionWindow(guitest::Harness& harness) {
  harness.appDelegate().loadMainWindow();
  harness.appDelegate().connectionWindowController()->showWindow();
  platform::Window* main = harness.appDelegate().window();
  EXPECT_TRUE(guitest::showWindow(main));
  return main;
}

TEST_F(CameraWindowTest, ASessionThatRestartsUnderTheOpenWindowKeepsItWithoutASecondReload) {
  TestPanels panels;
  harness().prepareCamera("canon");
  platform::Window* main = showConnectionWindow(harness());
  session_testing::NotificationLog log({kSessionStartedNotification});
  ASSERT_TRUE(guitest::click(main, "oConnectButton"));
  ASSERT_TRUE(waitUntil([&] { return sessionWindows(harness().appDelegate()).size() == 1; }));
  platform::WindowController* first = sessionWindows(harness().appDelegate()).front();
  captureOnCamera(rig(), 1);  // a session worth reloading
  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->setImages == 1; }));

  rig().device().failCommand(0x82, 0x2002);  // one poll fails; the camera is still there
  ASSERT_TRUE(waitForPosts(log, kSessionStartedNotification, 2));
  settle();
  EXPECT_EQ(sessionWindows(harness().appDelegate()), std::vector<platform::WindowController*>{first});
  for (const session_testing::ShownAlert& a : shownAlerts()) EXPECT_NE(a.title, "Load Session");
  // The gate is open again: the camera's next picture arrives in the same window.
  const std::vector<std::vector<uint8_t>> next = captureOnCamera(rig(), 1);
  ASSERT_TRUE(waitUntil([&] { return panels.imageArea->setImages == 2; }));
  EXPECT_EQ(panels.imageArea->shownBytes, next[0]);
}

TEST_F(CameraWindowTest, ACameraPulledOffTheDeviceClosesTheWindowAndStopsPollingButKeepsTheLink) {
  harness().prepareCamera("canon");
  rig().tripod().setAttached(false);
  platform::Window* main = showConnectionWindow(harness());
  session_testing::NotificationLog log({kSessionStartedNotification});
  ASSERT_TRUE(guitest::click(main, "oConnectButton"));
  ASSERT_TRUE(waitUntil([&] { return sessionWindows(harness().appDelegate()).size() == 1; }));

  std::shared_ptr<devicesim::Camera> camera = rig().camera();
  rig().device().setCamera(nullptr);
  ASSERT_TRUE(waitUntil([&] { return sessionWindows(harness().appDelegate()).empty() && main->isVisible(); }));
  EXPECT_TRUE(waitUntil([] { return !camEventThreadRunning(); }));
  EXPECT_TRUE(linkIsConnected());
  // Looked for once more, then reported; with "AutoReconnect" the device is called again and the camera, back on
  // its port, gets a new session and a new window.
  ASSERT_TRUE(waitUntil([&] { return !shownAlerts().empty(); }));
  EXPECT_EQ(shownAlerts().front().message, "Camera not connected.");
  rig().device().setCamera(camera);
  ASSERT_TRUE(waitForPosts(log, kSessionStartedNotification, 2));
  ASSERT_TRUE(waitUntil([&] { return sessionWindows(harness().appDelegate()).size() == 1; }));
  EXPECT_EQ(rig().statuses(), (std::vector<int32_t>{3, 5, 3, 3, 3, 5}));
}

class EndToEndTest : public CameraWindowTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EndToEndTest, ConnectAPictureTheFileAndBackThenTetherOnly) {
  guitest::CameraRig& rig = harness().prepareCamera(GetParam());
  const bool fuji = std::string(GetParam()) == "fuji";
  platform::Window* main = showConnectionWindow(harness());
  AppDelegate& delegate = harness().appDelegate();
  ASSERT_TRUE(guitest::click(main, "oConnectButton"));
  ASSERT_TRUE(waitUntil([&] { return sessionWindows(delegate).size() == 1; }));
  auto* camera = qobject_cast<CameraWindowController*>(sessionWindows(delegate).front());
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->window()->windowTitle().toStdString(), "Vorlaxent 2: 127.0.0.1");
  StatusBarViewController* bar = camera->statusBarViewController();
  ASSERT_TRUE(waitUntil([&] {
    return !bar->oCameraNameTextField->text().isEmpty() && !bar->oVorlaxentBatteryTextField->text().isEmpty() &&
           !bar->oVorlaxentSdCardNumShotsTextField->text().isEmpty() && bar->shownCameraBattery() >= 0;
  }));

  const auto pictureArrives = [&](size_t fujiFrom) {
    const size_t files = filesIn(saveFolder()).size();
    std::vector<std::vector<uint8_t>> taken = captureOnCamera(rig, 1);
    if (fuji) {
      EXPECT_TRUE(waitUntil([&] { return !fujiPicturesOnCard(rig, fujiFrom).empty(); }));
      taken = fujiPicturesOnCard(rig, fujiFrom);
    }
    ASSERT_EQ(taken.size(), 1u);
    // A new file (a body may take the same picture twice), and one with the camera's bytes.
    EXPECT_TRUE(waitUntil([&] { return filesIn(saveFolder()).size() == files + 1; }));
    EXPECT_TRUE(folderHolds(saveFolder(), taken[0])) << "the file, byte for byte";
  };
  pictureArrives(0);
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_W, Qt::ControlModifier));
  ASSERT_TRUE(waitUntil([&] { return main->isVisible() && sessionWindows(delegate).empty(); }));

  // Again, transfer only.
  ASSERT_TRUE(guitest::click(main, "oTransferOnlyCheckButton"));
  ASSERT_TRUE(guitest::click(main, "oConnectButton"));
  ASSERT_TRUE(waitUntil([&] { return sessionWindows(delegate).size() == 1; }));
  auto* tether = qobject_cast<TetherWindowController*>(sessionWindows(delegate).front());
  ASSERT_NE(tether, nullptr);
  EXPECT_TRUE(defaults().boolForKey("JWSetting_TetherOnlyMode"));
  const size_t before = filesIn(saveFolder()).size();
  pictureArrives(1);
  EXPECT_EQ(filesIn(saveFolder()).size(), before + 1);
  ASSERT_TRUE(waitUntil([&] { return tether->tetherViewController()->oTransferingLabel->text() == "Idle"; }));
  ASSERT_TRUE(guitest::keyClick(nullptr, Qt::Key_W, Qt::ControlModifier));
  ASSERT_TRUE(waitUntil([&] { return main->isVisible(); }));
  EXPECT_EQ(harness().exitStatus(), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(EveryVendor, EndToEndTest, ::testing::Values("canon", "nikon", "sony", "fuji"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
