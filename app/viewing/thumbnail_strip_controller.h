#pragma once
// The camera window's thumbnail strip: data source and delegate of the window's collection view, one item per
// thumbnail that arrived in this camera session, oldest on the left, newest at the right-hand end. A click on an
// item (or selectThumbnail) tells the delegate which object was chosen.
//
// The selection is a remembered position. Removing an item before it moves it down with the picture, so the
// border never jumps to a neighbour; removing the selected item forgets it.
//
// Thumbnails are decoded on the main thread and kept at the size the item draws them (at most 110 points on the
// long side), so 5,000 items hold about 150 MB at most. Main thread, except addThumnailImage (queued there) and
// selectThumbnail (run there and waited for).
#include <QImage>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "app/windows/camera_window_panels.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/collection_view.h"

class MainThumbnailController : public CameraWindowThumbnailStrip,
                                public platform::CollectionViewDataSource,
                                public platform::CollectionViewDelegate {
 public:
  // Posted by anything that wants the selection stepped (nothing in the program does).
  static constexpr const char* kShowNextImageNotification = "JWNotification_ShowNextImage";
  static constexpr const char* kShowPreviousImageNotification = "JWNotification_ShowPreviousImage";
  // The longest side a thumbnail is kept at: the item's side less its margins.
  static constexpr int kThumbnailSide = 110;

  MainThumbnailController(platform::CollectionView* collectionView, ThumbnailControllerDelegate* delegate);
  ~MainThumbnailController() override;
  MainThumbnailController(const MainThumbnailController&) = delete;
  MainThumbnailController& operator=(const MainThumbnailController&) = delete;

  void setDelegate(ThumbnailControllerDelegate* delegate) { mDelegate = delegate; }
  ThumbnailControllerDelegate* delegate() const { return mDelegate; }

  void addThumnailImage(const std::vector<uint8_t>& data, std::shared_ptr<const PtpObjectInfoClass> object) override;
  bool selectThumbnail(std::shared_ptr<const PtpObjectInfoClass> object) override;
  void deleteThumbnail(const PtpObjectInfoStruct& record) override;
  void clearSelection() override;
  void selectNextThumbnail();
  void selectPreviousThumbnail();
  // Gives the object's item a rating (0 to 5) and draws it again; nothing in the program calls it yet.
  void setRating(const PtpObjectInfoClass& object, int64_t rating);

  // The camera window's strip layout: one sideways row of 120 x 120 items, 8 points apart and from the edges.
  static platform::CollectionViewFlowLayout stripLayout();
  // The layout the interface file gives the strip's scroll view ("itemSize", "itemSpacing", "scrollsSideways"),
  // or none when it gives no item size.
  static std::optional<platform::CollectionViewFlowLayout> layoutFromInterface(const QWidget* scrollView);

  // A thumbnail's bytes decoded and scaled down to the kept size; null when they do not decode.
  static QImage decodeThumbnail(const uint8_t* data, size_t size);

  // --- state, for tests and measurements ---
  int count() const { return int(mThumbnails.size()); }
  std::optional<int> selectedIndex() const { return mSelectedIndex; }
  std::shared_ptr<const PtpObjectInfoClass> objectAt(int index) const;
  const QImage& imageAt(int index) const;
  platform::CollectionView* collectionView() const { return mCollectionView; }

  // Data source and delegate of the collection view.
  int collectionViewNumberOfItemsInSection(platform::CollectionView* view, int section) override;
  platform::CollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
      platform::CollectionView* view, const platform::IndexPath& indexPath) override;
  platform::IndexPathSet collectionViewShouldSelectItemsAtIndexPaths(platform::CollectionView* view,
                                                                     const platform::IndexPathSet& proposed) override;
  void collectionViewDidSelectItemsAtIndexPaths(platform::CollectionView* view,
                                                const platform::IndexPathSet& indexPaths) override;

 private:
  struct Record {
    QImage image;
    std::shared_ptr<const PtpObjectInfoClass> objectInfo;
    int64_t imageRating = 0;
  };

  void appendDecoded(QImage image, std::shared_ptr<const PtpObjectInfoClass> object);
  bool selectOnMain(const std::shared_ptr<const PtpObjectInfoClass>& object);
  void step(int delta);
  void setCellSelected(int index, bool selected);

  std::vector<Record> mThumbnails;
  // Not owned: the window may delete it first.
  QPointer<platform::CollectionView> mCollectionView;
  std::optional<int> mSelectedIndex;
  ThumbnailControllerDelegate* mDelegate;
  std::vector<platform::ObserverToken> mObservers;
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
};
