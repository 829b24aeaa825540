// The card browser against the stand-in device, driven by real clicks: the source each vendor opens on, the
// filters, Canon's folders and bad thumbnails, the device-SD failure budget, paging and resuming, delete, download
// (cancelled, cut by a disconnect) and the double click that shows a picture.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QWheelEvent>
#include <algorithm>
#include <set>

#include "app/windows/app_delegate.h"
#include "app/windows/app_notifications.h"
#include "app/viewing/thumbnail_view_cell.h"
#include "app/windows/card_contents_view_controller.h"
#include "app/windows/card_contents_window_controller.h"
#include "app/windows/document_window_controller.h"
#include "devicesim/canon_camera.h"
#include "devicesim/card_contents.h"
#include "devicesim/nikon_camera.h"
#include "guitest/gui_test.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/menu.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/window.h"
#include "session/ptp_object_info_class.h"
#include "widgets/adjustable_font_size_text_field.h"
#include "widgets/color_view.h"
#include "widgets/it_switch.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"

namespace {

using Browser = CardContentsViewController;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

std::string nameOf(const Browser::Record& r) {
  const PtpObjectInfoStruct* s = r.objectInfo->origObjectInfo();
  return std::string(s->fileName, strnlen(s->fileName, sizeof(s->fileName)));
}

std::vector<QByteArray> filesIn(const std::string& folder) {
  std::vector<QByteArray> out;
  QDir dir(QString::fromStdString(folder));
  for (const QString& f : dir.entryList(QDir::Files, QDir::Name)) {
    QFile file(dir.filePath(f));
    if (file.open(QIODevice::ReadOnly)) out.push_back(file.readAll());
  }
  return out;
}

QStringList fileNamesIn(const std::string& folder) {
  return QDir(QString::fromStdString(folder)).entryList(QDir::Files, QDir::Name);
}

class CardContentsTest : public guitest::GuiTest {
 protected:
  // Connects a body and fills its card (and the device's SD card) before the window opens.
  bool connectWith(const std::string& vendor, devicesim::CardFill fill = {}, devicesim::SdFill sd = {}) {
    if (!connect(vendor)) return false;
    auto camera = rig().cameraAs<devicesim::GenericCamera>();
    if (!camera) return false;
    handles_ = devicesim::fillCameraCard(*camera, fill);
    fill_ = fill;
    sdNames_ = devicesim::fillSdCard(rig().commands().card(), sd);
    return true;
  }
  bool connectCamera(std::shared_ptr<devicesim::GenericCamera> camera, devicesim::CardFill fill) {
    if (!connect(camera)) return false;
    handles_ = devicesim::fillCameraCard(*camera, fill);
    fill_ = fill;
    return true;
  }

  // Opens the card window from the menu, as the user does, and waits for the first page.
  Browser* openFromMenu() {
    AppDelegate& app = harness().appDelegate();
    if (app.oCardcontentsMenuItem) app.oCardcontentsMenuItem->setEnabled(true);
    if (!app.oCardcontentsMenuItem || !app.oCardcontentsMenuItem->performAction()) app.showCardContents();
    CardContentsWindowController* wc = app.cardContentsWindowController();
    if (!wc) return nullptr;
    window_ = wc->window();
    browser_ = wc->cardContentsViewController();
    if (!browser_ || !guitest::showWindow(window_)) return nullptr;
    waitSettled();
    return browser_;
  }

  // The listing and the loader have run (the loader stopped past the bottom or at the end of its list).
  bool waitSettled() {
    return waitForOverlays() && waitUntil([&] { return !browser_->isLoading(); }) && (settle(), true) &&
           waitUntil([&] { return !browser_->isLoading(); });
  }

  std::vector<std::string> shownNames() const {
    std::vector<std::string> names;
    for (const auto& r : browser_->loadedRecords()) names.push_back(nameOf(r));
    return names;
  }

  QWidget* itemView(int index) {
    browser_->oCollectionView->scrollToItemsAtIndexPaths({platform::IndexPath::forItem(index)},
                                                         platform::ScrollPosition::NearestHorizontalEdge);
    settle();
    platform::CollectionViewItem* item = browser_->oCollectionView->itemAtIndexPath(platform::IndexPath::forItem(index));
    return item ? item->view() : nullptr;
  }

  std::set<int> pickedItems() const {
    std::set<int> picked;
    for (const platform::IndexPath& p : browser_->oCollectionView->selectionIndexPaths()) picked.insert(p.item);
    return picked;
  }

  // A click toggles an item: the user unpicks what is picked but not wanted, then picks the rest.
  void pickItems(std::initializer_list<int> indexes) {
    const std::set<int> wanted(indexes);
    for (int i : pickedItems())
      if (!wanted.count(i)) guitest::click(itemView(i));
    for (int i : indexes)
      if (!pickedItems().count(i)) guitest::click(itemView(i));
  }

  void clickNamed(const char* name) { guitest::click(window_, name); }

  std::vector<uint32_t> handles_;
  devicesim::CardFill fill_;
  std::vector<std::string> sdNames_;
  platform::Window* window_ = nullptr;
  Browser* browser_ = nullptr;
};

struct SourceCase {
  const char* vendor;
  int source;
  bool switchEnabled;
};
class CardContentsSourceTest : public CardContentsTest, public ::testing::WithParamInterface<SourceCase> {};

TEST_P(CardContentsSourceTest, EachVendorOpensOnItsSourceWithTheSwitchAsItAllows) {
  const SourceCase& c = GetParam();
  devicesim::CardFill small;
  small.count = 6;
  devicesim::SdFill sd;
  sd.count = 5;
  ASSERT_TRUE(connectWith(c.vendor, small, sd));
  ASSERT_TRUE(openFromMenu());
  EXPECT_EQ(browser_->imageSource(), c.source);
  EXPECT_EQ(browser_->oSourceSwitch->isEnabled(), c.switchEnabled);
  EXPECT_EQ(browser_->oSourceSwitch->checked(), c.source == Browser::kSourceDeviceSd) << "shown in its position";
  if (c.source == Browser::kSourceDeviceSd) EXPECT_EQ(shownNames(), sdNames_) << "the SD card's files in the device's order";
  else EXPECT_EQ(shownNames().size(), 6u);
}

INSTANTIATE_TEST_SUITE_P(Vendors, CardContentsSourceTest,
                         ::testing::Values(SourceCase{"sony", Browser::kSourceDeviceSd, false},
                                           SourceCase{"fuji", Browser::kSourceDeviceSd, false},
                                           SourceCase{"canon", Browser::kSourceCamera, true},
                                           SourceCase{"nikon", Browser::kSourceCamera, true}),
                         [](const auto& info) { return std::string(info.param.vendor); });

TEST_F(CardContentsTest, TheSwitchTurnsToTheDevicesCardAndBack) {
  devicesim::CardFill small;
  small.count = 4;
  devicesim::SdFill sd;
  sd.count = 3;
  ASSERT_TRUE(connectWith("nikon", small, sd));
  ASSERT_TRUE(openFromMenu());
  ASSERT_EQ(shownNames().size(), 4u);
  guitest::click(browser_->oSourceSwitch);
  ASSERT_TRUE(waitUntil([&] { return browser_->imageSource() == Browser::kSourceDeviceSd; }));
  ASSERT_TRUE(waitSettled());
  ASSERT_TRUE(waitUntil([&] { return shownNames() == sdNames_; }));
  EXPECT_EQ(browser_->loadedRecords()[0].fullImagePath, sdNames_[0]);
  ASSERT_TRUE(waitForOverlays());
  guitest::click(browser_->oSourceSwitch);
  ASSERT_TRUE(waitUntil([&] { return browser_->imageSource() == Browser::kSourceCamera; }));
  ASSERT_TRUE(waitSettled());
  ASSERT_TRUE(waitUntil([&] { return shownNames().size() == 4u; }));
  EXPECT_EQ(browser_->loadedRecords()[0].fullImagePath, "NA");
}

TEST_F(CardContentsTest, CanonHidesFoldersAndShowsThePlaceholderForABadThumbnail) {
  devicesim::CardFill fill;
  fill.count = 8;
  fill.undecodableThumbnails = {5};  // shown third from the start (the list runs from the last object)
  ASSERT_TRUE(connectWith("canon", fill));
  ASSERT_TRUE(openFromMenu());
  const std::vector<std::string> shown = shownNames();
  ASSERT_EQ(shown.size(), 8u) << "no DCIM or 100CANON folder items";
  for (const std::string& n : shown) EXPECT_EQ(n.find("CANON"), std::string::npos) << n;
  EXPECT_EQ(shown.front(), devicesim::cardFileName(fill, 7)) << "newest first";
  EXPECT_EQ(shown[2], devicesim::cardFileName(fill, 5));
  EXPECT_EQ(alerts().count(), 0u) << "a Canon thumbnail that does not decode is no failure";
  const QImage placeholder = VorlaxentStyleKit::imageOfUnknownThumbnailWithSize({160, 120}).render();
  EXPECT_EQ(browser_->loadedRecords()[2].image().convertToFormat(QImage::Format_ARGB32),
            placeholder.convertToFormat(QImage::Format_ARGB32));
  // Size, time and rating are not in the listing's entry: they stay 0 until a download completes the record.
  const PtpObjectInfoStruct* first = browser_->loadedRecords()[0].objectInfo->origObjectInfo();
  EXPECT_EQ(first->objectCompressedSize, 0u);
  EXPECT_EQ(first->captureDate, 0u);
  EXPECT_EQ(first->rating, 0u);
  EXPECT_EQ(first->objectId, handles_[7]);
}

// The grid's items are the strip's cells with the names shown; a click picks or unpicks one, and the bar's
// buttons follow either way.
TEST_F(CardContentsTest, ClicksToggleItemsAndTheBarButtonsFollow) {
  devicesim::CardFill fill;
  fill.count = 6;
  ASSERT_TRUE(connectWith("nikon", fill));
  ASSERT_TRUE(openFromMenu());
  auto* cell = dynamic_cast<ThumbnailViewCell*>(
      browser_->oCollectionView->itemAtIndexPath(platform::IndexPath::forItem(1)));
  ASSERT_NE(cell, nullptr);
  ASSERT_NE(itemView(1), nullptr);
  EXPECT_TRUE(cell->fileNameLabel()->isVisible());
  EXPECT_EQ(cell->fileNameLabel()->text().toStdString(), devicesim::cardFileName(fill, 4));
  EXPECT_FALSE(browser_->oDeleteBarButton->isEnabled());

  guitest::click(itemView(1));
  guitest::click(itemView(3));
  EXPECT_EQ(pickedItems(), (std::set<int>{1, 3}));
  EXPECT_TRUE(cell->borderView()->isVisible());
  EXPECT_TRUE(browser_->oDeleteBarButton->isEnabled());
  guitest::click(itemView(1));
  EXPECT_EQ(pickedItems(), (std::set<int>{3}));
  EXPECT_FALSE(cell->borderView()->isVisible());
  guitest::click(itemView(3));
  EXPECT_TRUE(pickedItems().empty());
  EXPECT_FALSE(browser_->oDeleteBarButton->isEnabled()) << "unpicking the last item disables the buttons";
  EXPECT_FALSE(browser_->oShareBarButton->isEnabled());
}

class CardContentsNikonOrderTest : public CardContentsTest,
                                   public ::testing::WithParamInterface<std::pair<devicesim::NikonBody, bool>> {};

// D850 is not one of the eight bodies the engine's table names; Z 6 is.
TEST_P(CardContentsNikonOrderTest, RawFilterKeepsTheCameraOrderOnUnlistedModelsOnly) {
  const auto [body, cameraOrder] = GetParam();
  devicesim::CardFill fill;
  fill.count = 12;
  fill.rawEvery = 2;  // the even-numbered files are NEF
  ASSERT_TRUE(connectCamera(devicesim::makeNikonCamera(body), fill));
  ASSERT_TRUE(openFromMenu());
  clickNamed("oFilterRawButton");
  ASSERT_TRUE(waitUntil([&] { return defaults().integerForKey("CardContentsFormatFiltering") == Browser::kFilterRaw; }));
  ASSERT_TRUE(waitUntil([&] { return shownNames().size() == 6u; }));
  ASSERT_TRUE(waitForOverlays());
  std::vector<std::string> expected;
  for (int i = 0; i < fill.count; ++i)
    if ((i + 1) % 2 == 0) expected.push_back(devicesim::cardFileName(fill, i));
  if (!cameraOrder) std::reverse(expected.begin(), expected.end());
  EXPECT_EQ(shownNames(), expected);
  EXPECT_EQ(browser_->oFilterRawButton->state(), 1);
  EXPECT_EQ(browser_->oFilterAllButton->state(), 0);
  // Any other filter lists in reverse on every model.
  clickNamed("oFilterAllButton");
  ASSERT_TRUE(waitUntil([&] { return shownNames().size() == 12u; }));
  EXPECT_EQ(shownNames().front(), devicesim::cardFileName(fill, 11));
}

INSTANTIATE_TEST_SUITE_P(Models, CardContentsNikonOrderTest,
                         ::testing::Values(std::make_pair(devicesim::NikonBody::D850, true),
                                           std::make_pair(devicesim::NikonBody::Z6, false)),
                         [](const auto& info) { return std::string(info.param.second ? "Unlisted" : "Listed"); });

TEST_F(CardContentsTest, SdMovieFilterListsMovAndMp4AndCountsRefusedNamesOnce) {
  devicesim::SdFill sd;
  sd.count = 10;
  sd.overlong = 3;
  ASSERT_TRUE(connectWith("sony", {}, sd));
  defaults().setInteger(Browser::kFilterMovie, "CardContentsFormatFiltering");
  ASSERT_TRUE(openFromMenu());
  std::vector<std::string> expected;
  for (int i = 0; i < sd.count; ++i)
    if (i % 5 == 3 || i % 5 == 4) expected.push_back(devicesim::sdFileName(i));
  ASSERT_TRUE(waitUntil([&] { return shownNames() == expected; })) << shownNames().size();
  EXPECT_EQ(browser_->oFilterMovButton->state(), 1);
  int refusedMessages = 0;
  for (const auto& a : alerts().shown())
    if (a.message.find("3 files on the SD card") != std::string::npos) ++refusedMessages;
  EXPECT_EQ(refusedMessages, 1) << "one message counts the over-long names";
}

class CardContentsSdFailureTest : public CardContentsTest, public ::testing::WithParamInterface<int> {};

TEST_P(CardContentsSdFailureTest, TwentySdFailuresPassTheTwentyFirstStopsTheRun) {
  const int failures = GetParam();
  const bool stops = failures > Browser::kSdFailuresPerRun;
  devicesim::SdFill sd;
  sd.count = 34;
  ASSERT_TRUE(connectWith("fuji", {}, sd));
  // Spread over the run: from the third thumbnail on, three of every four fail until the budget is used.
  auto seen = std::make_shared<std::atomic<int>>(0);
  auto failed = std::make_shared<std::atomic<int>>(0);
  rig().device().setFaultSource([seen, failed, failures](const devicesim::Exchange& e) -> std::optional<devicesim::Fault> {
    if (e.command != std::optional<uint8_t>(0xF2) || e.answerBytes != 0) return std::nullopt;
    const int n = (*seen)++;
    if (n < 2 || n % 4 == 0 || *failed >= failures) return std::nullopt;
    ++*failed;
    return devicesim::Fault::busy(0x2002);
  });
  ASSERT_TRUE(openFromMenu());
  settle();
  size_t failMessages = 0;
  for (const auto& a : alerts().shown())
    if (a.message.rfind("The thumbnail could not be downloaded.", 0) == 0) ++failMessages;
  EXPECT_EQ(failMessages, stops ? 1u : 0u);
  if (stops) EXPECT_LT(shownNames().size(), size_t(sd.count - failures));
  else EXPECT_EQ(shownNames().size(), size_t(sd.count - failures));
  rig().device().setFaultSource(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Budget, CardContentsSdFailureTest, ::testing::Values(20, 21));

// The camera card's thumbnail faults, as the loader meets them from the newest object on.
struct ThumbnailFaultCase {
  const char* name;
  int missing;        // object index without a thumbnail (-1: none)
  int undecodable;    // object index whose thumbnail does not decode (-1: none)
  int failingThumb;   // GetThumb fails for the n-th request (-1: none)
  size_t shown;
  const char* message;  // the message that stops the run; empty: none
};
class CardContentsThumbnailFaultTest : public CardContentsTest, public ::testing::WithParamInterface<ThumbnailFaultCase> {};

TEST_P(CardContentsThumbnailFaultTest, MissingThumbnailsAreSkippedOtherFaultsStopTheRun) {
  const ThumbnailFaultCase& c = GetParam();
  devicesim::CardFill fill;
  fill.count = 6;
  if (c.missing >= 0) fill.missingThumbnails = {c.missing};
  if (c.undecodable >= 0) fill.undecodableThumbnails = {c.undecodable};
  ASSERT_TRUE(connectWith("nikon", fill));
  if (c.failingThumb >= 0) rig().device().setFaultSource(devicesim::failPtpOperation(0x100A, 0x2002, 1, c.failingThumb));
  ASSERT_TRUE(openFromMenu());
  settle();
  EXPECT_EQ(shownNames().size(), c.shown);
  std::vector<std::string> messages;
  for (const auto& a : alerts().shown()) messages.push_back(a.message);
  if (*c.message) {
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind(c.message, 0), 0u) << messages[0];
  } else {
    EXPECT_TRUE(messages.empty()) << messages.front();
  }
  rig().device().setFaultSource(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CardContentsThumbnailFaultTest,
    ::testing::Values(ThumbnailFaultCase{"Missing", 4, -1, -1, 5, ""},
                      ThumbnailFaultCase{"Undecodable", -1, 3, -1, 2, "The thumbnail could not be shown."},
                      ThumbnailFaultCase{"Failing", -1, -1, 2, 2, "The thumbnail could not be downloaded."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CardContentsTest, TheLoaderStopsPastTheBottomAndScrollingResumesInOrder) {
  devicesim::CardFill fill;  // 5,000 objects
  ASSERT_TRUE(connectWith("nikon", fill));
  ASSERT_TRUE(openFromMenu());
  platform::CollectionView* grid = browser_->oCollectionView;
  const double row = grid->collectionViewLayout().itemSize.height + grid->collectionViewLayout().minimumLineSpacing;
  auto below = [&] {
    const platform::Rect v = grid->visibleRect();
    return grid->collectionViewContentSize().height - (v.origin.y + v.size.height);
  };
  const size_t firstPage = shownNames().size();
  ASSERT_GT(firstPage, 0u);
  ASSERT_LT(firstPage, 200u) << "only what shows and a margin";
  EXPECT_GT(below(), Browser::kLoadAheadPoints);
  EXPECT_LE(below(), Browser::kLoadAheadPoints + row) << "at most one row past the margin";

  // Another scroll view's scrolling does not wake the loader.
  platform::ScrollView other;
  platform::NotificationCenter::defaultCenter().postNotificationName(platform::ScrollViewDidLiveScrollNotification,
                                                                     platform::Value::reference(&other));
  settle();
  EXPECT_FALSE(browser_->isLoading());
  EXPECT_EQ(shownNames().size(), firstPage);

  // The user scrolls the grid down: the next thumbnails follow in the same order.
  QWidget* scroller = browser_->oScrollView;
  const QPoint at = scroller->rect().center();
  QWheelEvent wheel(at, scroller->mapToGlobal(at), QPoint(), QPoint(0, -120 * 8), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(scroller, &wheel);
  ASSERT_TRUE(waitUntil([&] { return shownNames().size() > firstPage && !browser_->isLoading(); }));
  const std::vector<std::string> shown = shownNames();
  for (size_t i = 0; i < shown.size(); ++i)
    ASSERT_EQ(shown[i], devicesim::cardFileName(fill, fill.count - 1 - int(i))) << "item " << i;
  EXPECT_LE(below(), Browser::kLoadAheadPoints + row);
}

TEST_F(CardContentsTest, ACancelledDeleteChangesNothingAConfirmedOneWaitsForTheCamerasEvent) {
  devicesim::CardFill fill;
  fill.count = 6;
  ASSERT_TRUE(connectWith("canon", fill));
  openCameraEventGate();  // as the camera window does: the camera's events reach the windows
  ASSERT_TRUE(openFromMenu());
  auto camera = rig().cameraAs<devicesim::GenericCamera>();
  // A copy in the save folder first: deleting on the card must leave it.
  pickItems({0});
  std::string answerTitle;
  alerts().answer = [&](JW_Alert& alert, const session_testing::ShownAlert& shown) {
    if (shown.title == "Downloading Images...") return;  // the loop closes it
    if (shown.title == "Delete?" && answerTitle == "cancel") alert.cancelAction(alert.oCancelButton);
    else alert.okAction(alert.oOkButton);
  };
  clickNamed("oShareBarButton");
  ASSERT_TRUE(waitUntil([&] { return !browser_->isDownloadRunning(); }));
  ASSERT_EQ(filesIn(harness().saveFolder()).size(), 1u);

  pickItems({0, 1});
  answerTitle = "cancel";
  clickNamed("oDeleteBarButton");
  ASSERT_TRUE(waitUntil([&] { return alerts().sawMessage("Do you want to delete the selected images from the camera's memory card?"); }));
  ASSERT_TRUE(waitForOverlays());
  EXPECT_EQ(camera->handles().size(), 6u);
  EXPECT_EQ(shownNames().size(), 6u);
  const size_t alertsAfterCancel = alerts().count();
  settle();
  EXPECT_EQ(alerts().count(), alertsAfterCancel) << "no message after a cancel";

  answerTitle = "ok";
  clickNamed("oDeleteBarButton");
  ASSERT_TRUE(waitUntil([&] { return camera->handles().size() == 4u; }));
  ASSERT_TRUE(waitUntil([&] { return shownNames().size() == 4u; })) << "removed as the camera reports it";
  const std::vector<std::string> shown = shownNames();
  EXPECT_EQ(std::count(shown.begin(), shown.end(), devicesim::cardFileName(fill, 5)), 0);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), devicesim::cardFileName(fill, 4)), 0);
  EXPECT_EQ(filesIn(harness().saveFolder()).size(), 1u) << "the user's downloaded copy stays";
}

TEST_F(CardContentsTest, DeletingOnTheDevicesCardRemovesTheItemsByName) {
  devicesim::SdFill sd;
  sd.count = 5;
  ASSERT_TRUE(connectWith("sony", {}, sd));
  ASSERT_TRUE(openFromMenu());
  ASSERT_EQ(shownNames(), sdNames_);
  pickItems({1, 3});
  clickNamed("oDeleteBarButton");
  ASSERT_TRUE(waitUntil([&] { return shownNames().size() == 3u; }));
  EXPECT_TRUE(alerts().sawMessage("Do you want to delete the selected images from the Vorlaxent's SD card?"));
  EXPECT_FALSE(rig().commands().card().hasFile(sdNames_[1]));
  EXPECT_FALSE(rig().commands().card().hasFile(sdNames_[3]));
  EXPECT_EQ(shownNames(), (std::vector<std::string>{sdNames_[0], sdNames_[2], sdNames_[4]}));
}

// The loader is in the middle of a thumbnail the camera holds back: the RAW filter's wait for it happens off the
// main thread, so the window goes on answering; the new list follows once the thumbnail came.
TEST_F(CardContentsTest, AFilterChangeWaitsForTheLoaderWithoutFreezingTheWindow) {
  devicesim::CardFill fill;
  fill.count = 10;
  fill.rawEvery = 2;
  ASSERT_TRUE(connectWith("nikon", fill));
  auto camera = rig().cameraAs<devicesim::GenericCamera>();
  camera->holdNext(0x100A);
  harness().appDelegate().showCardContents();
  CardContentsWindowController* wc = harness().appDelegate().cardContentsWindowController();
  window_ = wc->window();
  browser_ = wc->cardContentsViewController();
  ASSERT_TRUE(guitest::showWindow(window_));
  ASSERT_TRUE(waitUntil([&] { return camera->holding(); }));
  ASSERT_TRUE(waitForOverlays());
  clickNamed("oFilterRawButton");
  // The main loop runs while the loader is held: a click on the bar is answered.
  EXPECT_TRUE(waitUntil([&] { return browser_->oFilterRawButton->state() == 1; }, std::chrono::milliseconds(2000)));
  EXPECT_TRUE(camera->holding()) << "the held thumbnail is still out";
  camera->releaseHeld();
  ASSERT_TRUE(waitUntil([&] {
    const std::vector<std::string> shown = shownNames();
    return shown.size() == 5u && shown.front() == devicesim::cardFileName(fill, 1);
  })) << "the RAW files, in the camera's order on this body";
}

TEST_F(CardContentsTest, ThreeDownloadsCancelledDuringTheFirstShowOneOfThree) {
  devicesim::CardFill fill;
  fill.count = 5;
  ASSERT_TRUE(connectWith("nikon", fill));
  ASSERT_TRUE(openFromMenu());
  auto camera = rig().cameraAs<devicesim::GenericCamera>();
  pickItems({0, 1, 2});
  camera->holdNext(0x1009);
  std::shared_ptr<JW_Alert> downloadAlert;
  alerts().answer = [&](JW_Alert& alert, const session_testing::ShownAlert& shown) {
    if (shown.title != "Downloading Images...") return alert.okAction(alert.oOkButton);
    downloadAlert = std::static_pointer_cast<JW_Alert>(alert.shared_from_this());
    EXPECT_EQ(alert.oInformationTextField->text(), "0 / 3");
    if (!waitUntil([&] { return camera->holding(); })) return;
    guitest::click(alert.oOkButton);  // "Cancel"
    camera->releaseHeld();
  };
  clickNamed("oShareBarButton");
  ASSERT_TRUE(waitUntil([&] { return !browser_->isDownloadRunning(); }));
  settle();
  ASSERT_TRUE(downloadAlert);
  EXPECT_EQ(downloadAlert->oInformationTextField->text(), "1 / 3");
  EXPECT_EQ(filesIn(harness().saveFolder()).size(), 1u) << "stops once the first is complete";
}

TEST_F(CardContentsTest, DownloadedFilesEqualTheCardsBytes) {
  devicesim::CardFill fill;
  fill.count = 6;
  ASSERT_TRUE(connectWith("nikon", fill));
  ASSERT_TRUE(openFromMenu());
  auto camera = rig().cameraAs<devicesim::GenericCamera>();
  pickItems({0, 2, 3});
  std::shared_ptr<JW_Alert> downloadAlert;
  alerts().answer = [&](JW_Alert& alert, const session_testing::ShownAlert& shown) {
    if (shown.title != "Downloading Images...") return alert.okAction(alert.oOkButton);
    downloadAlert = std::static_pointer_cast<JW_Alert>(alert.shared_from_this());
  };
  clickNamed("oShareBarButton");
  ASSERT_TRUE(waitUntil([&] { return !browser_->isDownloadRunning(); }));
  settle();
  ASSERT_TRUE(downloadAlert);
  EXPECT_EQ(downloadAlert->oInformationTextField->text(), "3 / 3") << "the last count reaches the alert";
  std::set<QByteArray> expected;
  for (int shownIndex : {0, 2, 3}) {
    auto o = camera->object(handles_[size_t(fill.count - 1 - shownIndex)]);
    ASSERT_TRUE(o);
    expected.insert(QByteArray(reinterpret_cast<const char*>(o->bytes->data()), qsizetype(o->bytes->size())));
  }
  const std::vector<QByteArray> files = filesIn(harness().saveFolder());
  EXPECT_EQ(std::set<QByteArray>(files.begin(), files.end()), expected);
}

TEST_F(CardContentsTest, ADoubleClickShowsThePicture) {
  devicesim::CardFill fill;
  fill.count = 3;
  ASSERT_TRUE(connectWith("nikon", fill));
  ASSERT_TRUE(openFromMenu());
  session_testing::NotificationLog log({kImageDataNotification});
  guitest::doubleClick(itemView(1));
  ASSERT_TRUE(waitForPosts(log, kImageDataNotification));
  const platform::Value info = log.objects(kImageDataNotification)[0];
  auto object = info["ObjectInfo"].object<PtpObjectInfoClass>();
  ASSERT_TRUE(object);
  EXPECT_EQ(object->objectId(), handles_[1]);
  auto o = rig().cameraAs<devicesim::GenericCamera>()->object(handles_[1]);
  EXPECT_EQ(info["ImageData"].toData(), *o->bytes);
}

TEST_F(CardContentsTest, SelectAllSelectsWhatIsLoadedAndEnablesTheBar) {
  devicesim::CardFill fill;
  fill.count = 5;
  ASSERT_TRUE(connectWith("nikon", fill));
  ASSERT_TRUE(openFromMenu());
  EXPECT_FALSE(browser_->oDeleteBarButton->isEnabled());
  EXPECT_FALSE(browser_->oShareBarButton->isEnabled());
  clickNamed("oSelectBarButton");
  ASSERT_TRUE(waitUntil([&] { return browser_->getSelectedImageObjects().size() == 5u; }));
  EXPECT_TRUE(browser_->oDeleteBarButton->isEnabled());
  EXPECT_TRUE(browser_->oShareBarButton->isEnabled());
  clickNamed("oSelectBarButton");
  ASSERT_TRUE(waitUntil([&] { return browser_->getSelectedImageObjects().empty(); }));
  EXPECT_FALSE(browser_->oShareBarButton->isEnabled());
}

// From the menu to a download cut by a disconnect: the window closes, earlier files stay whole, the cut file is
// not left under its name, and the message names it.
class CardContentsEndToEndTest : public CardContentsTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CardContentsEndToEndTest, ADisconnectDuringADownloadClosesTheWindowAndKeepsEarlierFiles) {
  devicesim::CardFill fill;
  fill.count = 4;
  fill.jpegSize = 400 * 1024;
  ASSERT_TRUE(connectWith(GetParam(), fill));
  ASSERT_TRUE(openFromMenu());
  auto camera = rig().cameraAs<devicesim::GenericCamera>();
  pickItems({0, 1, 2});
  rig().device().setFaultSource(devicesim::disconnectDuringObject(2));
  alerts().answer = [](JW_Alert& alert, const session_testing::ShownAlert& shown) {
    if (shown.title != "Downloading Images...") alert.okAction(alert.oOkButton);
  };
  clickNamed("oShareBarButton");
  ASSERT_TRUE(waitUntil([&] { return !window_->isVisible(); })) << "the window closes as the connection ends";
  ASSERT_TRUE(waitUntil([&] { return !browser_->isDownloadRunning(); }));
  const std::string failedName = devicesim::cardFileName(fill, fill.count - 2);
  ASSERT_TRUE(waitUntil([&] { return alerts().sawMessage("Failed to download image: " + failedName); }));
  const QStringList names = fileNamesIn(harness().saveFolder());
  ASSERT_EQ(names.size(), 1) << names.join(",").toStdString();
  auto first = camera->object(handles_[size_t(fill.count - 1)]);
  const std::vector<QByteArray> files = filesIn(harness().saveFolder());
  EXPECT_EQ(files[0], QByteArray(reinterpret_cast<const char*>(first->bytes->data()), qsizetype(first->bytes->size())));
}

INSTANTIATE_TEST_SUITE_P(CameraCards, CardContentsEndToEndTest, ::testing::Values("canon", "nikon"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
