// The interface's side of image transfer: deletion with its prompt answered while the worker waits, the copy to
// the device's SD card, quick-raw images with their orientation, the path for sharing, the movie into the save
// folder.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "devicesim/movie_objects.h"
#include "devicesim/raw_factory.h"
#include "devicesim/sd_card.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "platform/imaging/image_metadata.h"
#include "platform/imaging/image_property_keys.h"
#include "session/image_transfer_test_fixture.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "platform/ui/window.h"
#include "widgets/jw_alert.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sy_flat_button.h"

#include <QCoreApplication>
#include <QMouseEvent>

namespace {

constexpr std::chrono::seconds kLimit{20};

class TransferServicesTest : public ImageTransferTest {
 protected:
  void SetUp() override {
    ImageTransferTest::SetUp();
    for (const char* key : kKeys) defaults().removeObjectForKey(key);
  }
  void TearDown() override {
    for (const char* key : kKeys) defaults().removeObjectForKey(key);
    ImageTransferTest::TearDown();
  }
  static platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

  // Runs `work` on a worker thread while the main queue turns (alerts are shown there); its result.
  static uint16_t onWorker(const std::function<uint16_t()>& work) {
    std::atomic<bool> done{false};
    uint16_t result = 0;
    std::thread worker([&] {
      result = work();
      done = true;
    });
    const bool finished = platform::runMainUntil([&] { return done.load(); }, kLimit);
    worker.join();
    EXPECT_TRUE(finished);
    return result;
  }
  void answerWith(bool deleteIt) {
    presenter.answer = [deleteIt](JW_Alert& alert, const session_testing::ShownAlert&) {
      if (deleteIt)
        alert.okAction(alert.oOkButton);
      else
        alert.cancelAction(alert.oCancelButton);
    };
  }

  static constexpr const char* kKeys[] = {"QuickRawMode", "SaveFolderPath", "ShowWatermark", "WatermarkSave",
                                          "WatermarkText"};
};

TEST_F(TransferServicesTest, DeleteAsksOnTheMainThreadAndDoesWhatTheAnswerSays) {
  struct Case {
    bool card;
    bool confirm;
  };
  const Case cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    const std::string name = "DEL_000" + std::to_string(++n) + ".JPG";
    PtpObjectInfoStruct record;
    if (c.card) {
      ASSERT_TRUE(commands.card().addJpeg(name, 50 * 1024));
      record = cardRecord(name);
    } else {
      record = cameraRecord(camera->addJpegObject(50 * 1024, 1, name));
    }
    ASSERT_TRUE(objCacheStoreObjectInfo(&record));
    answerWith(c.confirm);
    const size_t alertsBefore = presenter.count();
    platform::Value deleted;
    auto token = platform::NotificationCenter::defaultCenter().addObserverForName(
        kObjectDeletedNotification, nullptr, [&deleted](const platform::Notification& note) { deleted = note.object; });

    const uint16_t rc = onWorker([&] { return Utilities::deleteObject(&record, true); });
    platform::NotificationCenter::defaultCenter().removeObserver(token);

    ASSERT_EQ(presenter.count(), alertsBefore + 1);
    const session_testing::ShownAlert shown = presenter.shown().back();
    EXPECT_EQ(shown.title, "Delete?");
    EXPECT_EQ(shown.message, c.card ? "Do you want to delete the image from the Vorlaxent's SD card?"
                                    : "Do you want to delete the image from the camera's card storage?");
    EXPECT_EQ(shown.okText, "Delete");
    EXPECT_EQ(shown.cancelText, "Cancel");
    EXPECT_EQ(shown.thread, std::this_thread::get_id());  // shown on the main thread, which runs this test
    EXPECT_EQ(rc, c.confirm ? PTP_RC_OK : ERROR_CANCELLED);
    const bool onDevice = c.card ? commands.card().hasFile(name) : camera->object(record.objectId).has_value();
    EXPECT_EQ(onDevice, !c.confirm);
    EXPECT_EQ(objCacheLookup(&record, false), !c.confirm);
    // The card's deletion is announced here; the camera announces its own.
    EXPECT_EQ(!deleted.isNull(), c.card && c.confirm);
  }
}

TEST_F(TransferServicesTest, DeleteWithoutThePromptAndAFailedDelete) {
  PtpObjectInfoStruct record = cameraRecord(camera->addJpegObject(20 * 1024));
  ASSERT_TRUE(objCacheStoreObjectInfo(&record));
  EXPECT_EQ(onWorker([&] { return Utilities::deleteObject(&record, false); }), PTP_RC_OK);
  EXPECT_FALSE(camera->object(record.objectId));
  EXPECT_EQ(presenter.count(), 0u);
  // Gone already: the camera's refusal comes back and nothing is removed from the cache.
  ASSERT_TRUE(objCacheStoreObjectInfo(&record));
  EXPECT_NE(onWorker([&] { return Utilities::deleteObject(&record, false); }), PTP_RC_OK);
  EXPECT_TRUE(objCacheLookup(&record, false));
  EXPECT_EQ(Utilities::deleteObject(nullptr, true), ERROR_INVALID_INPUT);
}

TEST_F(TransferServicesTest, CopyToTheDeviceCardReportsTheOutcome) {
  struct Case {
    bool cardPresent;
    bool showSuccess;
    const char* message;  // nullptr: no alert
  };
  const Case cases[] = {
      {true, true, "SdCardSaveInitiatedSuccess"},
      {true, false, nullptr},
      {false, true, "SdCardSaveInitiatedFailure"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n);
    commands.card().setPresent(c.cardPresent);
    const std::string name = "CPY_000" + std::to_string(++n) + ".JPG";
    const PtpObjectInfoStruct record = cameraRecord(camera->addJpegObject(30 * 1024, 1, name));
    const size_t alertsBefore = presenter.count();
    const size_t copiesBefore = commandPackets(0xFD).size();

    Utilities::transferImageToSdCard(&record, false, c.showSuccess);

    ASSERT_TRUE(platform::runMainUntil([&] { return commandPackets(0xFD).size() == copiesBefore + 1; }, kLimit));
    if (c.cardPresent) {
      ASSERT_TRUE(platform::runMainUntil([&] { return commands.card().hasFile(name); }, kLimit));
      EXPECT_EQ(*commands.card().file(name)->bytes, *camera->object(record.objectId)->bytes);
    }
    if (c.message != nullptr) {
      ASSERT_TRUE(platform::runMainUntil([&] { return presenter.count() == alertsBefore + 1; }, kLimit));
      EXPECT_EQ(presenter.shown().back().message.rfind(platform::localizedString(c.message), 0), 0u) << presenter.shown().back().message;
    } else {
      platform::runMainUntil([] { return false; }, std::chrono::milliseconds(200));
      EXPECT_EQ(presenter.count(), alertsBefore);
    }
  }
}

TEST_F(TransferServicesTest, QuickRawImageGetsTheRecordsOrientationUnlessItIsOne) {
  devicesim::RawRecipe recipe = devicesim::vendorRawRecipe(devicesim::Vendor::Nikon);
  recipe.preview.orientation = 3;  // neither value the record carries below
  auto raw = devicesim::rawImage(recipe);
  defaults().setBool(true, "QuickRawMode");
  for (uint8_t orientation : {uint8_t(6), uint8_t(1)}) {
    SCOPED_TRACE(int(orientation));
    devicesim::SimObject object;
    object.name = "DSC_00" + std::to_string(orientation) + ".NEF";
    object.bytes = std::make_shared<const std::vector<uint8_t>>(raw->bytes);
    object.format = 0x3000;
    PtpObjectInfoStruct record = cameraRecord(camera->addObject(object));
    record.orientation = orientation;
    std::optional<std::vector<uint8_t>> data;
    ASSERT_EQ(onWorker([&] { return Utilities::downloadImage(&record, &data, 0); }), PTP_RC_OK);
    ASSERT_TRUE(data);
    if (orientation == 1) {  // the extracted JPEG as the device sent it
      EXPECT_EQ(*data, devicesim::embeddedJpeg(raw->bytes));
      continue;
    }
    const auto properties = platform::imageCopyProperties(data->data(), data->size());
    ASSERT_TRUE(properties);
    ASSERT_TRUE(properties->count(platform::kCGImagePropertyOrientation));
    EXPECT_EQ(properties->at(platform::kCGImagePropertyOrientation).toInteger(), orientation);
  }
}

// A JPEG extracted from a RAW file that cannot be rewritten with the record's orientation (here one the device cut
// short, kept in the save folder) still arrives as it is: the download succeeded, and its bytes are the picture.
TEST_F(TransferServicesTest, AQuickRawImageWhoseOrientationCannotBeRewrittenArrivesAsItIs) {
  defaults().setBool(true, "QuickRawMode");
  devicesim::SimObject object;
  object.name = "DSC_0099.NEF";
  object.bytes = std::make_shared<const std::vector<uint8_t>>(4096, 0x11);
  object.format = 0x3000;
  PtpObjectInfoStruct record = cameraRecord(camera->addObject(object));
  const std::vector<uint8_t> cut{0xFF, 0xD8, 0xFF, 0xE0, 0x00};
  ASSERT_FALSE(objCacheSaveExtractedJpeg(&record, "", cut.data(), cut.size()).empty());
  ASSERT_FALSE(Utilities::setOrientation(6, cut).has_value());
  record.orientation = 6;
  std::optional<std::vector<uint8_t>> data;
  ASSERT_EQ(onWorker([&] { return Utilities::downloadImage(&record, &data, 0); }), PTP_RC_OK);
  ASSERT_TRUE(data.has_value());
  EXPECT_EQ(*data, cut);
}

TEST_F(TransferServicesTest, SharingPathForRawAndForAMovie) {
  auto raw = devicesim::rawImage(devicesim::vendorRawRecipe(devicesim::Vendor::Canon));
  devicesim::SimObject object;
  object.format = 0xB103;
  object.name = "IMG_0100.CR2";
  object.bytes = std::make_shared<const std::vector<uint8_t>>(raw->bytes);
  PtpObjectInfoStruct record = cameraRecord(camera->addObject(object));
  bool created = true;
  std::optional<std::string> path;
  onWorker([&] {
    path = Utilities::getImagePathForSharing(&record, &created, false, true);
    return 0;
  });
  ASSERT_TRUE(path);
  EXPECT_FALSE(created);
  EXPECT_EQ(readFile(*path), raw->bytes);

  PtpObjectInfoStruct movie = cameraRecord(camera->addObject(devicesim::movieObject(1024, "MVI_0001.MOV")));
  onWorker([&] {
    path = Utilities::getImagePathForSharing(&movie, &created, false, false);
    return 0;
  });
  EXPECT_FALSE(path);
  ASSERT_TRUE(platform::runMainUntil([&] { return presenter.sawMessage("Incorrectly using still function for video."); },
                                     kLimit));
}

TEST_F(TransferServicesTest, MovieGoesIntoTheSaveFolderAndALostChunkIsReported) {
  defaults().setString(save, "SaveFolderPath");
  const uint32_t size = 3 * 1024 * 1024 + 5;
  const PtpObjectInfoStruct record = cameraRecord(camera->addObject(devicesim::movieObject(size, "MVI_0200.MOV", 3)));
  Utilities::downloadVideoToLibrary(record);
  ASSERT_TRUE(platform::runMainUntil([&] { return exists(save + "/MVI_0200.MOV"); }, kLimit));
  EXPECT_EQ(readFile(save + "/MVI_0200.MOV"), *devicesim::movieBytes(size, 3));

  PtpObjectInfoStruct gone = cameraRecord(camera->addObject(devicesim::movieObject(size, "MVI_0201.MOV")));
  camera->removeObject(gone.objectId);
  Utilities::downloadVideoToLibrary(gone);
  ASSERT_TRUE(platform::runMainUntil(
      [&] { return !presenter.shown().empty() && presenter.shown().back().message.rfind("Failed to download video.", 0) == 0; },
      kLimit));
  EXPECT_FALSE(exists(save + "/MVI_0201.MOV"));
  EXPECT_FALSE(exists(save + "/MVI_0201.MOV.part"));
}

TEST_F(TransferServicesTest, TheOverlaysCancelStopsTheMovieAndKeepsTheEarlierFile) {
  defaults().setString(save, "SaveFolderPath");
  const std::vector<uint8_t> earlier = {'k', 'e', 'e', 'p'};
  writeFile(save + "/MVI_0300.MOV", earlier);
  const PtpObjectInfoStruct record =
      cameraRecord(camera->addObject(devicesim::movieObject(devicesim::kLargeMovieSize, "MVI_0300.MOV")));
  for (int i = 0; i < 11; ++i) device.scriptFault(devicesim::Fault::delayed(std::chrono::milliseconds(40)));
  auto window = std::make_unique<platform::Window>();
  window->setFrame({100, 100, 400, 300});
  window->orderFront();

  Utilities::downloadVideoToLibrary(record);
  QPointer<MBProgressHUD> hud = MBProgressHUD::HUDForView(window->contentView());
  ASSERT_TRUE(hud);
  EXPECT_EQ(hud->labelText().value_or(QString()), QStringLiteral("0%"));
  // After the third chunk the bar stands at 4 MiB of about 20 MiB: 20 %.
  ASSERT_TRUE(platform::runMainUntil([&] { return hud && hud->progress() > 0.15f; }, kLimit));
  EXPECT_EQ(hud->labelText().value_or(QString()), QStringLiteral("20%"));
  auto* cancel = hud->findChild<SYFlatButton*>();
  ASSERT_NE(cancel, nullptr);
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(cancel, &press);

  ASSERT_TRUE(platform::runMainUntil([&] { return hud.isNull() || hud->isHidden(); }, kLimit));
  EXPECT_EQ(readFile(save + "/MVI_0300.MOV"), earlier);
  EXPECT_FALSE(exists(save + "/MVI_0300.MOV.part"));
  EXPECT_LT(commandPackets(0x41).size(), size_t(devicesim::kLargeMovieSize / (2 * 1024 * 1024)));
  window->orderOut();
}

}  // namespace
