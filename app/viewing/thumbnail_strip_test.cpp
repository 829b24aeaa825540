// The thumbnail strip on a real collection view in a shown window, laid out as the camera window lays it (one
// sideways row of 120 x 120 items), driven by real clicks: what decodes and what not, adding from another thread,
// the delegate told on every selection, the remembered position across removals, the name-only objects'
// matching, the fit to 110 points, the quarter turn with border and name following it, badges and ratings.
#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>

#include "app/viewing/thumbnail_strip_controller.h"
#include "app/viewing/thumbnail_view_cell.h"
#include "guitest/gui_test.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/image_view.h"
#include "platform/ui/responder.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/transform3d.h"
#include "platform/ui/view_geometry.h"
#include "session/ptp_object_info_class.h"
#include "widgets/adjustable_font_size_text_field.h"
#include "widgets/color_view.h"

namespace {

std::vector<uint8_t> jpeg(int width, int height, QColor colour = QColor(40, 120, 200)) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 90);
  return {bytes.begin(), bytes.end()};
}

std::shared_ptr<const PtpObjectInfoClass> object(uint32_t handle, const std::string& name, uint16_t format = 0x3801,
                                                 uint8_t orientation = 1) {
  PtpObjectInfoStruct record{};
  record.objectId = handle;
  record.objectFormat = format;
  std::strncpy(record.fileName, name.c_str(), sizeof record.fileName - 1);
  record.fileNameLength = uint16_t(name.size() + 1);
  record.orientation = orientation;
  return PtpObjectInfoClass::init(&record);
}

struct DelegateLog : ThumbnailControllerDelegate {
  std::vector<uint32_t> handles;
  void thumbnailSelected(std::shared_ptr<const PtpObjectInfoClass> o) override { handles.push_back(o->objectId()); }
};

class ThumbnailStripTest : public guitest::GuiTest {
 protected:
  void SetUp() override {
    guitest::GuiTest::SetUp();
    window_ = std::make_unique<QWidget>();
    window_->resize(800, 136);
    scroll_ = new platform::ScrollView(window_.get());
    scroll_->setGeometry(0, 0, 800, 136);
    collection_ = new platform::CollectionView();
    collection_->setCollectionViewLayout(MainThumbnailController::stripLayout());
    scroll_->setDocumentView(collection_);
    strip_ = std::make_unique<MainThumbnailController>(collection_, &delegate_);
    ASSERT_TRUE(guitest::showWindow(window_.get()));
  }
  void TearDown() override {
    strip_.reset();
    window_.reset();
    guitest::GuiTest::TearDown();
  }

  void add(uint32_t handle, const std::string& name, int w = 160, int h = 120, uint16_t format = 0x3801,
           uint8_t orientation = 1) {
    strip_->addThumnailImage(jpeg(w, h), object(handle, name, format, orientation));
  }
  ThumbnailViewCell* cell(int index) {
    return dynamic_cast<ThumbnailViewCell*>(collection_->itemAtIndexPath(platform::IndexPath::forItem(index)));
  }
  bool clickItem(int index) {
    ThumbnailViewCell* c = cell(index);
    return c && guitest::click(c->view());
  }
  // The items whose border shows, by the handle of their object.
  std::vector<uint32_t> bordered() {
    std::vector<uint32_t> out;
    for (int i = 0; i < strip_->count(); ++i)
      if (ThumbnailViewCell* c = cell(i); c && c->borderView()->isVisible()) out.push_back(c->objectInfo()->objectId());
    return out;
  }

  std::unique_ptr<QWidget> window_;
  platform::ScrollView* scroll_ = nullptr;
  platform::CollectionView* collection_ = nullptr;
  DelegateLog delegate_;
  std::unique_ptr<MainThumbnailController> strip_;
};

TEST_F(ThumbnailStripTest, BytesThatDoNotDecodeOrAMissingObjectLeaveTheStripAsItIs) {
  std::vector<uint8_t> truncated = jpeg(160, 120);
  truncated.resize(40);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    bool withObject;
  } cases[] = {
      {"no bytes", {}, true},
      {"random bytes", {0x00, 0x01, 0x02, 0x03, 0xFF, 0xD8, 0x10}, true},
      {"a JPEG cut after its header", truncated, true},
      {"no object", jpeg(160, 120), false},
  };
  for (const auto& c : cases) {
    strip_->addThumnailImage(c.bytes, c.withObject ? object(1, "IMG_0001.JPG") : nullptr);
    EXPECT_EQ(strip_->count(), 0) << c.what;
    EXPECT_EQ(collection_->numberOfItemsInSection(0), 0) << c.what;
  }
}

TEST_F(ThumbnailStripTest, AThumbnailAddedOnAnotherThreadArrivesAtTheRightHandEndInView) {
  for (uint32_t i = 1; i <= 12; ++i) add(i, "IMG_" + std::to_string(i) + ".JPG");
  ASSERT_EQ(strip_->count(), 12);
  std::thread([this] { strip_->addThumnailImage(jpeg(160, 120), object(99, "IMG_0099.JPG")); }).join();
  ASSERT_TRUE(waitUntil([&] { return strip_->count() == 13; }));
  EXPECT_EQ(strip_->objectAt(12)->objectId(), 99u);
  const platform::Rect last = collection_->frameForItemAtIndexPath(platform::IndexPath::forItem(12));
  const platform::Rect shown = collection_->visibleRect();
  EXPECT_NEAR(shown.maxX(), last.maxX(), 1.0) << "the newest item stands at the right-hand edge";
  ASSERT_NE(cell(12), nullptr);
  EXPECT_EQ(cell(12)->objectInfo()->objectId(), 99u);
  // Kept at the item's size, not the camera's.
  EXPECT_LE(strip_->imageAt(12).width(), MainThumbnailController::kThumbnailSide);
  EXPECT_LE(strip_->imageAt(12).height(), MainThumbnailController::kThumbnailSide);
}

TEST_F(ThumbnailStripTest, ClicksSelectTellTheDelegateAndMoveTheBorder) {
  for (uint32_t i = 1; i <= 3; ++i) add(i, "IMG_" + std::to_string(i) + ".JPG");
  ASSERT_TRUE(clickItem(0));
  EXPECT_EQ(delegate_.handles, (std::vector<uint32_t>{1}));
  EXPECT_EQ(bordered(), (std::vector<uint32_t>{1}));
  ASSERT_TRUE(clickItem(2));
  EXPECT_EQ(delegate_.handles, (std::vector<uint32_t>{1, 3}));
  EXPECT_EQ(bordered(), (std::vector<uint32_t>{3}));
  EXPECT_EQ(strip_->selectedIndex(), 2);
}

TEST_F(ThumbnailStripTest, ClickingTheSelectedItemUnselectsItAndADoubleClickGoesUpTheResponderChain) {
  for (uint32_t i = 1; i <= 2; ++i) add(i, "IMG_" + std::to_string(i) + ".JPG");
  ASSERT_TRUE(clickItem(1));
  ASSERT_TRUE(clickItem(1));
  EXPECT_TRUE(bordered().empty());
  EXPECT_TRUE(collection_->selectionIndexPaths().empty());
  EXPECT_EQ(strip_->selectedIndex(), 1) << "the strip's remembered position stays";
  ASSERT_TRUE(clickItem(1));
  EXPECT_EQ(delegate_.handles, (std::vector<uint32_t>{2, 2}));
  EXPECT_EQ(bordered(), (std::vector<uint32_t>{2}));

  struct Browser : platform::Responder {
    const ThumbnailViewCell* opened = nullptr;
    bool performAction(const platform::Action& action) override {
      if (action.name != "collectionItemViewDoubleClick") return platform::Responder::performAction(action);
      opened = action.sender<ThumbnailViewCell>();
      return true;
    }
  } browser;
  platform::setViewResponder(window_.get(), &browser);
  ASSERT_TRUE(guitest::doubleClick(cell(0)->view()));
  platform::setViewResponder(window_.get(), nullptr);
  EXPECT_EQ(browser.opened, cell(0));
}

TEST_F(ThumbnailStripTest, SelectingTheSelectedThumbnailAgainKeepsItsBorderAndTellsTheDelegateAgain) {
  for (uint32_t i = 1; i <= 3; ++i) add(i, "IMG_" + std::to_string(i) + ".JPG");
  ASSERT_TRUE(clickItem(1));
  ASSERT_TRUE(strip_->selectThumbnail(object(2, "IMG_2.JPG")));
  ASSERT_TRUE(strip_->selectThumbnail(object(2, "IMG_2.JPG")));
  EXPECT_EQ(delegate_.handles, (std::vector<uint32_t>{2, 2, 2}));
  EXPECT_EQ(bordered(), (std::vector<uint32_t>{2}));
  EXPECT_FALSE(strip_->selectThumbnail(object(7, "IMG_2.JPG"))) << "a real handle matches by handle only";
  // From the camera window's serial queue: run on main and waited for.
  bool found = false;
  std::thread t([&] { found = strip_->selectThumbnail(object(3, "IMG_3.JPG")); });
  ASSERT_TRUE(waitUntil([&] { return delegate_.handles.size() == 4; }));
  t.join();
  EXPECT_TRUE(found);
  EXPECT_EQ(bordered(), (std::vector<uint32_t>{3}));
}

TEST_F(ThumbnailStripTest, RemovingAnItemBeforeTheSelectionKeepsTheBorderOnTheSamePicture) {
  for (uint32_t i = 1; i <= 3; ++i) add(i, "IMG_" + std::to_string(i) + ".JPG");
  ASSERT_TRUE(clickItem(2));
  strip_->deleteThumbnail(*object(1, "IMG_1.JPG")->origObjectInfo());
  ASSERT_EQ(strip_->count(), 2);
  EXPECT_EQ(strip_->selectedIndex(), 1);
  EXPECT_EQ(bordered(), (std::vector<uint32_t>{3}));
  strip_->selectNextThumbnail();
  EXPECT_EQ(delegate_.handles, (std::vector<uint32_t>{3})) << "the last item has no next";
  // Stepping back is asked for by notification; nothing in the program posts it.
  platform::NotificationCenter::defaultCenter().postNotificationName(
      MainThumbnailController::kShowPreviousImageNotification, {});
  ASSERT_TRUE(waitUntil([&] { return delegate_.handles.size() == 2; }));
  EXPECT_EQ(delegate_.handles.back(), 2u) << "the item before the selected one";
  EXPECT_EQ(bordered(), (std::vector<uint32_t>{2}));
}

TEST_F(ThumbnailStripTest, RemovingTheSelectedItemForgetsTheSelection) {
  for (uint32_t i = 1; i <= 3; ++i) add(i, "IMG_" + std::to_string(i) + ".JPG");
  ASSERT_TRUE(clickItem(1));
  strip_->deleteThumbnail(*object(2, "IMG_2.JPG")->origObjectInfo());
  EXPECT_EQ(strip_->selectedIndex(), std::nullopt);
  EXPECT_TRUE(bordered().empty());
  strip_->selectNextThumbnail();
  strip_->selectPreviousThumbnail();
  EXPECT_EQ(delegate_.handles.size(), 1u);
  strip_->deleteThumbnail(*object(42, "IMG_42.JPG")->origObjectInfo());
  EXPECT_EQ(strip_->count(), 2) << "an object not in the strip removes nothing";
}

TEST_F(ThumbnailStripTest, NameOnlyObjectsFindItemsByNameAndRemoveOnlyNameOnlyItems) {
  add(5, "DSC_0005.JPG");                // a camera object
  add(kObjectIdByName, "DSC_0006.JPG");  // a file known by its name on the device's card
  // Selecting by name finds the camera object too.
  ASSERT_TRUE(strip_->selectThumbnail(object(kObjectIdByName, "DSC_0005.JPG")));
  EXPECT_EQ(delegate_.handles, (std::vector<uint32_t>{5}));
  EXPECT_FALSE(strip_->selectThumbnail(object(kObjectIdByName, "DSC_0007.JPG")));

  const struct {
    uint32_t handle;
    const char* name;
    int countAfter;
  } removals[] = {
      {kObjectIdByName, "DSC_0005.JPG", 2},  // the item of that name has a real handle
      {kObjectIdByName, "DSC_0007.JPG", 2},  // no such name
      {kObjectIdByName, "DSC_0006.JPG", 1},
      {5, "ANOTHER.JPG", 0},                 // a real handle matches by handle whatever the name
  };
  for (const auto& r : removals) {
    strip_->deleteThumbnail(*object(r.handle, r.name)->origObjectInfo());
    EXPECT_EQ(strip_->count(), r.countAfter) << r.name;
  }
}

TEST_F(ThumbnailStripTest, PicturesAreFittedTo110PointsOnTheirLongSide) {
  const struct {
    int w, h;
    platform::Rect expected;  // y-up, in the 120 x 120 item
  } cases[] = {
      // 160 x 120: 110 wide, 110 * 120 / 160 = 82.5 -> 82 high, centred: (5, 19).
      {160, 120, {5, 19, 110, 82}},
      {120, 160, {19, 5, 82, 110}},
      {4000, 4000, {5, 5, 110, 110}},
      {60, 40, {5, 23, 110, 73}},  // smaller than the item: drawn larger, 110 * 40 / 60 = 73.3
  };
  int index = 0;
  for (const auto& c : cases) {
    add(uint32_t(index + 1), "P.JPG", c.w, c.h);
    ThumbnailViewCell* item = cell(index++);
    ASSERT_NE(item, nullptr);
    const platform::Rect frame = platform::frameOf(item->imageView());
    EXPECT_NEAR(frame.x(), c.expected.x(), 1) << c.w << "x" << c.h;
    EXPECT_NEAR(frame.y(), c.expected.y(), 1) << c.w << "x" << c.h;
    EXPECT_NEAR(frame.width(), c.expected.width(), 1) << c.w << "x" << c.h;
    EXPECT_NEAR(frame.height(), c.expected.height(), 1) << c.w << "x" << c.h;
  }
}

TEST_F(ThumbnailStripTest, OrientationSixTurnsThePictureWithBorderAndNameFollowingTheTurnedOutline) {
  add(1, "IMG_0001.JPG", 160, 120, 0x3801, 6);
  ThumbnailViewCell* item = cell(0);
  ASSERT_NE(item, nullptr);
  ASSERT_TRUE(clickItem(0));
  const platform::Rect picture = platform::frameOf(item->imageView());
  EXPECT_NEAR(picture.width(), 110, 1) << "the fitted frame stays as for an upright picture";
  EXPECT_NEAR(picture.height(), 82, 1);
  // Turned, it stands 82 wide and 110 high, centred: X = 19, Y = 5.
  const platform::Rect border = platform::frameOf(item->borderView());
  EXPECT_NEAR(border.x(), 14, 1);
  EXPECT_NEAR(border.y(), 0, 1);
  EXPECT_NEAR(border.width(), 92, 1);
  EXPECT_NEAR(border.height(), 120, 1);
  EXPECT_TRUE(item->borderView()->isVisible());
  const platform::Rect name = platform::frameOf(item->fileNameLabel());
  EXPECT_NEAR(name.x(), 19, 1);
  EXPECT_NEAR(name.y(), 5, 1) << "along the bottom edge of the turned picture";
  EXPECT_NEAR(name.width(), 82, 1);
  EXPECT_EQ(item->fileNameLabel()->text(), QStringLiteral("IMG_0001.JPG"));
  EXPECT_TRUE(item->fileNameLabel()->isVisible());
  // The turn lands after the cell's short pause: three quarters anticlockwise about the picture's centre.
  const platform::Transform3D turned = platform::Transform3D::rotation(3 * std::numbers::pi / 2, 0, 0, 1);
  ASSERT_TRUE(waitUntil([&] { return item->imageView()->layer().transform() == turned; }));
  const platform::Point centre = item->imageView()->layer().position();
  EXPECT_NEAR(centre.x, 60, 1);
  EXPECT_NEAR(centre.y, 60, 1);
}

TEST_F(ThumbnailStripTest, BadgesComeFromTheFormatCodeOrFromTheNameWhenTheCodeIsZero) {
  using Badge = ThumbnailViewCell::Badge;
  const struct {
    uint16_t format;
    const char* name;
    Badge badge;
  } cases[] = {
      {0, "", Badge::None},
      {0, "IMG_0001.CR2", Badge::Raw},
      {0, "img_0001.nef", Badge::Raw},
      {0, "IMG_0001.CR2.JPG", Badge::None},  // the RAW extension must end the name
      {0, "SCAN.TIFF", Badge::Tiff},
      {0, "clip.mov.part", Badge::Movie},
      {0, "IMG_0001.JPG", Badge::None},
      {0x380D, "IMG_0001.JPG", Badge::Tiff},
      {0xB103, "", Badge::Raw},
      {0x300D, "x", Badge::Movie},
      {0x3801, "IMG_0001.CR2", Badge::None},  // a code decides alone
  };
  uint32_t handle = 1;
  for (const auto& c : cases) {
    add(handle, c.name, 160, 120, c.format);
    ThumbnailViewCell* item = cell(int(handle - 1));
    ASSERT_NE(item, nullptr) << c.name;
    EXPECT_EQ(item->badge(), c.badge) << c.format << " " << c.name;
    EXPECT_EQ(item->badgeView()->isVisibleTo(item->view()), c.badge != Badge::None) << c.format << " " << c.name;
    if (c.badge != Badge::None) {
      // In the top-right corner of the picture (y-up): (5 + 110 - 12, 19 + 82 - 12).
      const platform::Rect badge = platform::frameOf(item->badgeView());
      EXPECT_NEAR(badge.x(), 103, 1);
      EXPECT_NEAR(badge.y(), 89, 1);
      EXPECT_EQ(badge.width(), 12);
      EXPECT_FALSE(item->badgeView()->image().isNull());
    }
    // An empty name shows no label.
    EXPECT_EQ(item->fileNameLabel()->isVisibleTo(item->view()), std::strlen(c.name) > 0) << c.name;
    ++handle;
  }
}

TEST_F(ThumbnailStripTest, OnlyRatingsOneToFiveGetAStarsView) {
  add(1, "IMG_0001.JPG");
  const struct {
    int64_t rating;
    bool stars;
  } cases[] = {{3, true}, {0, false}, {5, true}, {6, false}, {1, true}, {-1, false}};
  for (const auto& c : cases) {
    strip_->setRating(*object(1, "IMG_0001.JPG"), c.rating);
    ThumbnailViewCell* item = cell(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->rating(), c.rating);
    EXPECT_EQ(item->starsView() != nullptr, c.stars) << c.rating;
    if (c.stars) {
      EXPECT_EQ(item->starsView()->parentWidget(), item->imageView()) << "it turns with the picture";
    }
  }
}

TEST_F(ThumbnailStripTest, ClearingTheSelectionHidesTheBorderAndAReusedItemShowsOnlyItsOwnObject) {
  for (uint32_t i = 1; i <= 3; ++i) add(i, "IMG_" + std::to_string(i) + ".JPG", 160, 120, 0x3801, i == 1 ? 6 : 1);
  ASSERT_TRUE(clickItem(0));
  strip_->clearSelection();
  EXPECT_EQ(strip_->selectedIndex(), std::nullopt);
  EXPECT_TRUE(bordered().empty());
  for (int i = 0; i < 3; ++i) {
    ThumbnailViewCell* item = cell(i);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->objectInfo()->objectId(), uint32_t(i + 1));
    EXPECT_EQ(item->fileNameLabel()->text().toStdString(), "IMG_" + std::to_string(i + 1) + ".JPG");
    const platform::Transform3D want = i == 0 ? platform::Transform3D::rotation(3 * std::numbers::pi / 2, 0, 0, 1)
                                              : platform::Transform3D::identity();
    EXPECT_TRUE(waitUntil([&] { return item->imageView()->layer().transform() == want; })) << i;
  }
}

}  // namespace

namespace {

class ThumbnailStripLayoutTest : public guitest::GuiTest {};

TEST_F(ThumbnailStripLayoutTest, TheInterfaceFileGivesTheLayoutAndWithoutAnItemSizeNone) {
  QWidget scroll;
  EXPECT_FALSE(MainThumbnailController::layoutFromInterface(&scroll));
  EXPECT_FALSE(MainThumbnailController::layoutFromInterface(nullptr));
  scroll.setProperty("itemSize", QSize(100, 90));
  scroll.setProperty("itemSpacing", 4.0);
  scroll.setProperty("scrollsSideways", true);
  const auto layout = MainThumbnailController::layoutFromInterface(&scroll);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->itemSize.width, 100);
  EXPECT_EQ(layout->itemSize.height, 90);
  EXPECT_EQ(layout->minimumLineSpacing, 4);
  EXPECT_EQ(layout->sectionInset.left, 4);
  EXPECT_EQ(layout->scrollDirection, platform::ScrollDirection::Horizontal);
  scroll.setProperty("scrollsSideways", false);
  EXPECT_EQ(MainThumbnailController::layoutFromInterface(&scroll)->scrollDirection,
            platform::ScrollDirection::Vertical);
}

// The card browser hands its cells objects whose picture may be missing: a cell reused for such an object shows
// no picture, badge or name of the object it held before.
TEST_F(ThumbnailStripLayoutTest, AReusedCellWithoutAPictureKeepsNothingOfItsPreviousObject) {
  struct Source : platform::CollectionViewDataSource {
    QImage image;
    std::shared_ptr<const PtpObjectInfoClass> info;
    int collectionViewNumberOfItemsInSection(platform::CollectionView*, int) override { return 1; }
    platform::CollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
        platform::CollectionView* view, const platform::IndexPath& path) override {
      auto* cell = static_cast<ThumbnailViewCell*>(view->makeItemWithIdentifier(ThumbnailViewCell::kIdentifier, path));
      cell->setShowFilename(true);
      cell->setObjectInfo(info);
      cell->setThumbnailImage(image);
      return cell;
    }
  } source;
  QWidget window;
  window.resize(300, 136);
  auto* collection = new platform::CollectionView(&window);
  collection->setGeometry(0, 0, 300, 136);
  collection->setCollectionViewLayout(MainThumbnailController::stripLayout());
  collection->registerClass([] { return std::make_unique<ThumbnailViewCell>(); }, ThumbnailViewCell::kIdentifier);
  collection->setDataSource(&source);
  source.image = QImage(160, 120, QImage::Format_RGB32);
  source.image.fill(Qt::red);
  source.info = object(1, "IMG_0001.NEF", 0xB101);  // a RAW badge and a name
  collection->reloadData();
  ASSERT_TRUE(guitest::showWindow(&window));
  auto* cell = dynamic_cast<ThumbnailViewCell*>(collection->itemAtIndexPath(platform::IndexPath::forItem(0)));
  ASSERT_NE(cell, nullptr);
  ASSERT_FALSE(cell->imageView()->image().isNull());
  ASSERT_TRUE(cell->badgeView()->isVisible());
  ASSERT_TRUE(cell->fileNameLabel()->isVisible());

  source.image = QImage();
  source.info = object(2, "IMG_0002.JPG");
  collection->reloadData();
  settle();
  cell = dynamic_cast<ThumbnailViewCell*>(collection->itemAtIndexPath(platform::IndexPath::forItem(0)));
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->objectInfo()->objectId(), 2u);
  EXPECT_TRUE(cell->imageView()->image().isNull()) << "the previous picture stays in sight";
  EXPECT_FALSE(cell->badgeView()->isVisible());
  EXPECT_FALSE(cell->fileNameLabel()->isVisible());
}


// Cells of the card browser's size, each showing the picture and object its slot holds.
struct SlotSource : platform::CollectionViewDataSource {
  std::vector<QImage> images;
  std::vector<std::shared_ptr<const PtpObjectInfoClass>> infos;
  bool names = true;
  int collectionViewNumberOfItemsInSection(platform::CollectionView*, int) override { return int(images.size()); }
  platform::CollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
      platform::CollectionView* view, const platform::IndexPath& path) override {
    auto* cell = static_cast<ThumbnailViewCell*>(view->makeItemWithIdentifier(ThumbnailViewCell::kIdentifier, path));
    cell->setShowFilename(names);
    cell->setObjectInfo(infos[size_t(path.item)]);
    cell->setThumbnailImage(images[size_t(path.item)]);
    return cell;
  }
};

struct SlotGrid {
  QWidget window;
  platform::CollectionView* collection = new platform::CollectionView(&window);
  explicit SlotGrid(SlotSource* source) {
    window.resize(400, 160);
    collection->setGeometry(7, 11, 380, 140);  // off the window's corner: the paint is offset within the window
    platform::CollectionViewFlowLayout layout;
    layout.itemSize = ThumbnailViewCell::itemSizeForPicture({160, 120});
    layout.sectionInset = {4, 4, 4, 4};
    collection->setCollectionViewLayout(layout);
    collection->registerClass([] { return std::make_unique<ThumbnailViewCell>(); }, ThumbnailViewCell::kIdentifier);
    collection->setDataSource(source);
    collection->reloadData();
  }
  ThumbnailViewCell* cell(int index) const {
    return dynamic_cast<ThumbnailViewCell*>(collection->itemAtIndexPath(platform::IndexPath::forItem(index)));
  }
  // Where the cell's view lies in the window.
  QPoint origin(int index) const { return cell(index)->view()->mapTo(&window, QPoint(0, 0)); }
};

// A picture of the item's own size shows pixel for pixel: upright (not mirrored), in its place, its see-through
// pixels showing what lies behind, whether the window paints itself or is rendered elsewhere.
TEST_F(ThumbnailStripLayoutTest, APictureOfTheItemsSizeShowsPixelForPixelInItsPlace) {
  // Every pixel differs from its neighbours and from its mirror images, so a flip or a shift shows.
  QImage opaque(160, 120, QImage::Format_RGB32);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) opaque.setPixel(x, y, qRgb(x, y * 2, (x * 7 + y * 3) & 255));
  QImage holed = opaque.convertToFormat(QImage::Format_ARGB32);
  for (int y = 40; y < 60; ++y)
    for (int x = 70; x < 90; ++x) holed.setPixel(x, y, qRgba(0, 0, 0, 0));
  SlotSource source;
  source.names = false;  // the picture alone: no name over its edge
  source.images = {opaque, holed};
  source.infos = {object(1, "A.JPG"), object(2, "B.JPG")};
  SlotGrid grid(&source);
  ASSERT_TRUE(guitest::showWindow(&grid.window));
  settle();
  ASSERT_NE(grid.cell(1), nullptr);

  const QImage rendered = guitest::render(&grid.window);
  // What the window painted for itself: its surface as the screen shows it.
  const QImage painted =
      grid.window.screen()->grabWindow(grid.window.winId()).toImage().convertToFormat(QImage::Format_ARGB32);
  ASSERT_EQ(painted.size(), grid.window.size());
  for (const auto& [shot, how] : {std::pair{rendered, "rendered"}, std::pair{painted, "painted"}}) {
    for (int item = 0; item < 2; ++item) {
      const QImage& picture = source.images[size_t(item)];
      // Behind the picture: the item's margin, which the picture does not cover.
      const QPoint corner = grid.origin(item);
      const QRgb behind = shot.pixel(corner + QPoint(1, 1));
      const QPoint at = corner + QPoint(int(ThumbnailViewCell::kPictureMargin), int(ThumbnailViewCell::kPictureMargin));
      int wrong = 0;
      for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x) {
          const QRgb want = qAlpha(picture.pixel(x, y)) == 0 ? behind : picture.pixel(x, y);
          if ((shot.pixel(at + QPoint(x, y)) & 0xFFFFFF) != (want & 0xFFFFFF)) ++wrong;
        }
      EXPECT_EQ(wrong, 0) << how << ", item " << item;
    }
  }
}

// A reused item paints the name of its new object (here of the same length and font as the old one) as an item
// made for that object paints it.
TEST_F(ThumbnailStripLayoutTest, AReusedItemPaintsItsNewName) {
  QImage picture(160, 120, QImage::Format_RGB32);
  picture.fill(QColor(30, 60, 90));
  SlotSource fresh;
  fresh.images = {picture};
  fresh.infos = {object(2, "IMG_0002.JPG")};
  SlotGrid freshGrid(&fresh);
  SlotSource reused;
  reused.images = {picture};
  reused.infos = {object(1, "IMG_0001.JPG")};
  SlotGrid reusedGrid(&reused);
  ASSERT_TRUE(guitest::showWindow(&freshGrid.window));
  ASSERT_TRUE(guitest::showWindow(&reusedGrid.window));
  settle();
  ASSERT_NE(freshGrid.cell(0), nullptr);
  ASSERT_NE(reusedGrid.cell(0), nullptr);
  const QImage wanted = guitest::render(freshGrid.cell(0)->fileNameLabel());
  ASSERT_NE(guitest::render(reusedGrid.cell(0)->fileNameLabel()), wanted) << "two names paint alike";

  reused.infos = fresh.infos;
  reusedGrid.collection->reloadData();  // the one item goes to the pool and comes back for the new object
  settle();
  ASSERT_NE(reusedGrid.cell(0), nullptr);
  EXPECT_EQ(reusedGrid.cell(0)->fileNameLabel()->text(), QStringLiteral("IMG_0002.JPG"));
  EXPECT_EQ(guitest::render(reusedGrid.cell(0)->fileNameLabel()), wanted) << "the old name is still painted";
}

}  // namespace
