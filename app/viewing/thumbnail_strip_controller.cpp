#include "app/viewing/thumbnail_strip_controller.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QVariant>
#include <algorithm>
#include <cstring>
#include <limits>

#include "app/viewing/thumbnail_view_cell.h"
#include "platform/foundation/dispatch.h"
#include "session/ptp_object_info_class.h"

namespace {

using Cell = ThumbnailViewCell;

// The removal rule: by handle, except that two objects known only by name match by name.
bool deleteMatches(const PtpObjectInfoStruct& given, const PtpObjectInfoStruct& item) {
  if (given.objectId == kObjectIdByName && item.objectId == kObjectIdByName)
    return Cell::fileNameBytes(given) == Cell::fileNameBytes(item);
  return given.objectId == item.objectId;
}

// The selection rule: a name-only object finds any item of that name, any other one the item of its handle.
bool selectMatches(const PtpObjectInfoStruct& given, const PtpObjectInfoStruct& item) {
  if (given.objectId == kObjectIdByName) return Cell::fileNameBytes(given) == Cell::fileNameBytes(item);
  return given.objectId == item.objectId;
}

}  // namespace

MainThumbnailController::MainThumbnailController(platform::CollectionView* collectionView,
                                                 ThumbnailControllerDelegate* delegate)
    : mCollectionView(collectionView), mDelegate(delegate) {
  if (mCollectionView) {
    mCollectionView->registerClass([] { return std::make_unique<ThumbnailViewCell>(); }, ThumbnailViewCell::kIdentifier);
    mCollectionView->setSelectable(true);
    mCollectionView->setAllowsMultipleSelection(false);
    if (auto layout = layoutFromInterface(mCollectionView->enclosingScrollView()))
      mCollectionView->setCollectionViewLayout(*layout);
    mCollectionView->setDataSource(this);
    mCollectionView->setDelegate(this);
    mCollectionView->reloadData();
  }
  auto& center = platform::NotificationCenter::defaultCenter();
  std::weak_ptr<bool> alive = mAlive;
  // Stepping is main-thread work, wherever the request was posted.
  auto onMain = [this, alive](void (MainThumbnailController::*fn)()) {
    auto run = [this, alive, fn] {
      if (auto a = alive.lock(); a && *a) (this->*fn)();
    };
    if (platform::isMainThread()) run();
    else platform::mainQueue().async(run);
  };
  mObservers.push_back(center.addObserverForName(kShowNextImageNotification, nullptr, [onMain](const auto&) {
    onMain(&MainThumbnailController::selectNextThumbnail);
  }));
  mObservers.push_back(center.addObserverForName(kShowPreviousImageNotification, nullptr, [onMain](const auto&) {
    onMain(&MainThumbnailController::selectPreviousThumbnail);
  }));
}

MainThumbnailController::~MainThumbnailController() {
  *mAlive = false;
  for (const auto& token : mObservers) platform::NotificationCenter::defaultCenter().removeObserver(token);
  if (mCollectionView) {
    if (mCollectionView->dataSource() == this) mCollectionView->setDataSource(nullptr);
    if (mCollectionView->delegate() == this) mCollectionView->setDelegate(nullptr);
  }
}

platform::CollectionViewFlowLayout MainThumbnailController::stripLayout() {
  platform::CollectionViewFlowLayout layout;
  layout.itemSize = platform::Size{120, 120};
  layout.minimumInteritemSpacing = 8;
  layout.minimumLineSpacing = 8;
  layout.sectionInset = platform::EdgeInsets{8, 8, 8, 8};
  layout.scrollDirection = platform::ScrollDirection::Horizontal;
  return layout;
}

std::optional<platform::CollectionViewFlowLayout> MainThumbnailController::layoutFromInterface(
    const QWidget* scrollView) {
  if (!scrollView) return std::nullopt;
  const QSize item = scrollView->property("itemSize").toSize();
  if (!item.isValid() || item.isEmpty()) return std::nullopt;
  platform::CollectionViewFlowLayout layout;
  layout.itemSize = platform::Size{double(item.width()), double(item.height())};
  const QVariant spacing = scrollView->property("itemSpacing");
  const double gap = spacing.isValid() ? std::max(0.0, spacing.toDouble()) : 0.0;
  layout.minimumInteritemSpacing = gap;
  layout.minimumLineSpacing = gap;
  layout.sectionInset = platform::EdgeInsets{gap, gap, gap, gap};
  layout.scrollDirection = scrollView->property("scrollsSideways").toBool() ? platform::ScrollDirection::Horizontal
                                                                          : platform::ScrollDirection::Vertical;
  return layout;
}

QImage MainThumbnailController::decodeThumbnail(const uint8_t* data, size_t size) {
  if (!data || size == 0 || size > size_t(std::numeric_limits<int>::max())) return {};
  const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  // The item turns the picture by the object's orientation; the file's own turn would make it twice.
  reader.setAutoTransform(false);
  const QSize full = reader.size();
  if (full.isValid() && (full.width() > kThumbnailSide || full.height() > kThumbnailSide))
    reader.setScaledSize(full.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio).expandedTo({1, 1}));
  QImage image = reader.read();
  if (image.isNull()) return {};
  // A reader that cannot scale while decoding hands back the whole picture: it is scaled here.
  if (image.width() > kThumbnailSide || image.height() > kThumbnailSide)
    image = image.scaled(kThumbnailSide, kThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  // Opaque pictures take three bytes a pixel instead of four.
  return image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                 : image.convertToFormat(QImage::Format_RGB888);
}

void MainThumbnailController::addThumnailImage(const std::vector<uint8_t>& data,
                                               std::shared_ptr<const PtpObjectInfoClass> object) {
  if (!platform::isMainThread()) {
    std::weak_ptr<bool> alive = mAlive;
    platform::mainQueue().async([this, alive, data, object] {
      if (auto a = alive.lock(); a && *a) addThumnailImage(data, object);
    });
    return;
  }
  if (data.empty() || !object) return;
  QImage image = decodeThumbnail(data.data(), data.size());
  if (image.isNull()) return;
  appendDecoded(std::move(image), std::move(object));
}

void MainThumbnailController::appendDecoded(QImage image, std::shared_ptr<const PtpObjectInfoClass> object) {
  mThumbnails.push_back({std::move(image), std::move(object), 0});
  if (!mCollectionView) return;
  const platform::IndexPath path = platform::IndexPath::forItem(count() - 1);
  mCollectionView->insertItemsAtIndexPaths({path});
  mCollectionView->scrollToItemsAtIndexPaths({path}, platform::ScrollPosition::Right);
}

void MainThumbnailController::deleteThumbnail(const PtpObjectInfoStruct& record) {
  if (mThumbnails.empty()) return;
  auto it = std::find_if(mThumbnails.begin(), mThumbnails.end(),
                         [&](const Record& r) { return deleteMatches(record, *r.objectInfo->origObjectInfo()); });
  if (it == mThumbnails.end() || !platform::isMainThread()) return;
  const int index = int(it - mThumbnails.begin());
  mThumbnails.erase(it);
  if (mSelectedIndex) {
    if (*mSelectedIndex == index) mSelectedIndex.reset();
    // The remembered position follows its picture, as the collection view's own selection does.
    else if (*mSelectedIndex > index) --*mSelectedIndex;
  }
  if (mCollectionView) mCollectionView->deleteItemsAtIndexPaths({platform::IndexPath::forItem(index)});
}

bool MainThumbnailController::selectThumbnail(std::shared_ptr<const PtpObjectInfoClass> object) {
  if (!platform::isMainThread()) {
    bool result = false;
    std::weak_ptr<bool> alive = mAlive;
    platform::mainQueue().sync([&] {
      if (auto a = alive.lock(); a && *a) result = selectOnMain(object);
    });
    return result;
  }
  return selectOnMain(object);
}

bool MainThumbnailController::selectOnMain(const std::shared_ptr<const PtpObjectInfoClass>& object) {
  if (mThumbnails.empty() || !object) return false;
  const PtpObjectInfoStruct& given = *object->origObjectInfo();
  auto it = std::find_if(mThumbnails.begin(), mThumbnails.end(),
                         [&](const Record& r) { return selectMatches(given, *r.objectInfo->origObjectInfo()); });
  if (it == mThumbnails.end()) return false;
  const platform::IndexPath path = platform::IndexPath::forItem(int(it - mThumbnails.begin()));
  if (mCollectionView) {
    if (mSelectedIndex) mCollectionView->setSelectionIndexPaths({});
    mCollectionView->setSelectionIndexPaths({path});
    mCollectionView->scrollToItemsAtIndexPaths({path}, platform::ScrollPosition::Right);
  }
  collectionViewDidSelectItemsAtIndexPaths(mCollectionView, {path});
  return true;
}

void MainThumbnailController::selectNextThumbnail() { step(+1); }
void MainThumbnailController::selectPreviousThumbnail() { step(-1); }

void MainThumbnailController::step(int delta) {
  if (!mCollectionView || mCollectionView->window() == mCollectionView || !mSelectedIndex) return;
  const int next = *mSelectedIndex + delta;
  if (next < 0 || next >= count()) return;
  const platform::IndexPath path = platform::IndexPath::forItem(next);
  mCollectionView->setSelectionIndexPaths({path});
  mCollectionView->scrollToItemsAtIndexPaths({path}, platform::ScrollPosition::Right);
  collectionViewDidSelectItemsAtIndexPaths(mCollectionView, {path});
}

void MainThumbnailController::clearSelection() {
  if (!mCollectionView || mCollectionView->selectionIndexPaths().empty()) return;
  mSelectedIndex.reset();
  mCollectionView->deselectAll();
  mCollectionView->reloadData();
}

void MainThumbnailController::setRating(const PtpObjectInfoClass& object, int64_t rating) {
  for (size_t i = 0; i < mThumbnails.size(); ++i) {
    if (!selectMatches(*object.origObjectInfo(), *mThumbnails[i].objectInfo->origObjectInfo())) continue;
    mThumbnails[i].imageRating = rating;
    if (mCollectionView) mCollectionView->reloadItemsAtIndexPaths({platform::IndexPath::forItem(int(i))});
    return;
  }
}

std::shared_ptr<const PtpObjectInfoClass> MainThumbnailController::objectAt(int index) const {
  return index >= 0 && index < count() ? mThumbnails[size_t(index)].objectInfo : nullptr;
}

const QImage& MainThumbnailController::imageAt(int index) const {
  static const QImage none;
  return index >= 0 && index < count() ? mThumbnails[size_t(index)].image : none;
}

int MainThumbnailController::collectionViewNumberOfItemsInSection(platform::CollectionView*, int section) {
  return section == 0 ? count() : 0;
}

platform::CollectionViewItem* MainThumbnailController::collectionViewItemForRepresentedObjectAtIndexPath(
    platform::CollectionView* view, const platform::IndexPath& indexPath) {
  if (indexPath.item < 0 || indexPath.item >= count()) return nullptr;
  auto* cell = dynamic_cast<ThumbnailViewCell*>(view->makeItemWithIdentifier(ThumbnailViewCell::kIdentifier, indexPath));
  if (!cell) return nullptr;
  const Record& record = mThumbnails[size_t(indexPath.item)];
  cell->setShowFilename(true);
  cell->setObjectInfo(record.objectInfo);
  cell->setThumbnailImage(record.image);
  cell->setRating(record.imageRating);
  cell->setSelected(mSelectedIndex && *mSelectedIndex == indexPath.item);
  return cell;
}

platform::IndexPathSet MainThumbnailController::collectionViewShouldSelectItemsAtIndexPaths(
    platform::CollectionView* view, const platform::IndexPathSet& proposed) {
  if (proposed.empty()) return {};
  const platform::IndexPath first = *proposed.begin();
  if (view && view->selectionIndexPaths().count(first)) return {};
  return {first};
}

void MainThumbnailController::setCellSelected(int index, bool selected) {
  if (!mCollectionView) return;
  if (auto* item = mCollectionView->itemAtIndexPath(platform::IndexPath::forItem(index))) item->setSelected(selected);
}

void MainThumbnailController::collectionViewDidSelectItemsAtIndexPaths(platform::CollectionView*,
                                                                       const platform::IndexPathSet& indexPaths) {
  if (indexPaths.empty()) return;
  const int index = indexPaths.begin()->item;
  // Old first, then new: the same item selected again keeps its border.
  if (mSelectedIndex) setCellSelected(*mSelectedIndex, false);
  setCellSelected(index, true);
  mSelectedIndex = index;
  if (mDelegate && index >= 0 && index < count()) mDelegate->thumbnailSelected(mThumbnails[size_t(index)].objectInfo);
}
