#pragma once
// The card browser: a grid of the thumbnails on the camera's card or on the device's SD card, a switch between
// the two, format filters (all, JPEG, RAW, movies), select-all, delete, download into the save folder, and a
// double click that shows a picture in the camera window. Its view is the card window's oCardContentsParentView
// (from "CardContentsWindow"); the window controller hands it over and keeps the controller.
//
// Thumbnails load in the background, one after the other, only while less than kLoadAheadPoints of grid lie below
// what shows; scrolling the grid (or resizing the window) resumes the loader where it stopped.
//
// Threads: the grid, the records and the outlets are the main thread's. What the background work shares with it
// (the gate, the stop request, the flags and the pending lists) lives in a Shared block that the work keeps alive
// by itself, so that work which outlives the controller finds its state and merely hands nothing back. The pending
// lists are touched only while the gate is held.
#include <QByteArray>
#include <QImage>
#include <QPointer>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "engine/ptp/datasets.h"
#include "engine/vendors/canon/canon_card.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/collection_view.h"
#include "platform/ui/view_controller.h"

class ITSwitch;
class SYFlatButton;
class PtpObjectInfoClass;
class ThumbnailViewCell;
namespace platform {
class ImageView;
class ScrollView;
}  // namespace platform

class CardContentsViewController : public platform::ViewController,
                                   public platform::CollectionViewDataSource,
                                   public platform::CollectionViewDelegate {
  Q_OBJECT

 public:
  // Sources.
  static constexpr int kSourceCache = 1;
  static constexpr int kSourceCamera = 2;
  static constexpr int kSourceDeviceSd = 4;
  // Filters, as kept in "CardContentsFormatFiltering".
  static constexpr int kFilterAll = 0;
  static constexpr int kFilterJpeg = 1;
  static constexpr int kFilterRaw = 2;
  static constexpr int kFilterMovie = 3;
  // The loader stops once more than this much grid lies below what shows.
  static constexpr double kLoadAheadPoints = 500;
  // Device-SD thumbnail failures one run lets pass before it stops.
  static constexpr int kSdFailuresPerRun = 20;
  // From this many items on, a removal does not restart the loader.
  static constexpr int kRestartBelowItems = 30;
  // The grid's items are the strip's ThumbnailViewCell under an identifier of their own. Thumbnails are kept at
  // most this size (and a bad one is replaced by a placeholder of it); the item fits one unscaled.
  static constexpr const char* kCellIdentifier = "CardContentsThumbnailCell";
  static constexpr double kThumbnailWidth = 160;
  static constexpr double kThumbnailHeight = 120;
  // Rows of items with a small margin.
  static platform::CollectionViewFlowLayout gridLayout();
  // How long closing waits for the loader and the download loop to stop (they are stopped either way: work that
  // is still inside an exchange with the camera finds the controller gone and hands nothing back).
  static constexpr std::chrono::milliseconds kStopWait{5000};
  // The download alert's count changes at most this often while objects land (the last count always shows).
  static constexpr std::chrono::milliseconds kProgressInterval{100};

  // One item of the grid.
  struct Record {
    // The thumbnail as compressed bytes at most the cell's size (the camera's own when they fit), decoded when
    // its item shows: thousands of items stay small.
    QByteArray thumbnail;
    QImage image() const { return QImage::fromData(thumbnail); }
    std::shared_ptr<const PtpObjectInfoClass> objectInfo;
    std::string fullImagePath;  // the device's file name for SD items, "NA" for camera items
  };

  // `view`: the window's oCardContentsParentView with the browser's outlets inside.
  explicit CardContentsViewController(QWidget* view);
  ~CardContentsViewController() override;

  // Before the view loads: the source shown first (the cache or the camera's card).
  void setForCache() { mPresetSource = kSourceCache; }
  void setForCamera() { mPresetSource = kSourceCamera; }

  // Stops the loader and the download loop and waits (at most kStopWait) until both have ended; nothing is handed
  // to the grid afterwards. The window calls it as it closes.
  void stopAllWork();
  // Asks the loader and the download loop to stop, without waiting (they end at their next check).
  void requestStop();
  // The session the contents came from has ended: work stops, the grid empties, and the next appearance lists
  // the card afresh.
  void forgetContents();

  // Actions (by the interface file's controls; the sender is the control).
  void sourceSwitchToggled(ITSwitch* sender);
  void filterButtonAction(QObject* sender);
  void selectAll(SYFlatButton* sender);
  void deleteSelectedItems();
  void downloadImages();
  void showFilterOptions() {}
  void deleteItems() {}
  void collectionItemViewDoubleClick(ThumbnailViewCell* cell);
  bool performAction(const platform::Action& action) override;

  // Collection view.
  int collectionViewNumberOfItemsInSection(platform::CollectionView* view, int section) override;
  platform::CollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
      platform::CollectionView* view, const platform::IndexPath& indexPath) override;
  void collectionViewDidSelectItemsAtIndexPaths(platform::CollectionView*, const platform::IndexPathSet&) override;
  void collectionViewDidDeselectItemsAtIndexPaths(platform::CollectionView*, const platform::IndexPathSet&) override;

  // For the window and tests.
  int imageSource() const { return mShared->source.load(); }
  int offSource() const { return mOffSource; }
  int onSource() const { return mOnSource; }
  const std::vector<Record>& loadedRecords() const { return mLoadedThumbnailHandles; }
  bool isLoading() const { return mShared->downloading.load(); }
  bool isDownloadRunning() const { return mShared->downloadLoopRunning.load(); }
  size_t pendingCount() const { return mShared->pendingCount.load(); }
  bool isContentPastBottom() const;
  // The "objectInfo" of every selected item, in the grid's selection order; none when nothing is selected.
  std::vector<PtpObjectInfoStruct> getSelectedImageObjects() const;
  std::vector<std::string> getSelectedImagePaths() const;
  void showImage(const platform::IndexPath& indexPath);

  // Outlets.
  platform::CollectionView* oCollectionView = nullptr;
  platform::ScrollView* oScrollView = nullptr;
  ITSwitch* oSourceSwitch = nullptr;
  platform::ImageView* oSwitchOffImageView = nullptr;
  platform::ImageView* oSwitchOnImageView = nullptr;
  SYFlatButton* oDeleteBarButton = nullptr;
  SYFlatButton* oShareBarButton = nullptr;
  SYFlatButton* oSelectBarButton = nullptr;
  SYFlatButton* oFilterAllButton = nullptr;
  SYFlatButton* oFilterJpgButton = nullptr;
  SYFlatButton* oFilterRawButton = nullptr;
  SYFlatButton* oFilterMovButton = nullptr;

  // What the background work shares with the main thread.
  struct Shared {
    platform::Semaphore gate{1};             // held by whoever runs the loader or fills the lists
    std::atomic<bool> kill{false};           // stop request to the loader
    std::atomic<bool> downloading{false};    // loader running or the list being loaded
    std::atomic<bool> cancelDownload{false};  // the download alert's Cancel
    std::atomic<bool> downloadLoopRunning{false};
    std::atomic<int> source{kSourceCamera};
    std::atomic<int> filter{kFilterAll};
    std::atomic<uint64_t> generation{0};     // a refresh starts a new one; older items are dropped
    std::atomic<size_t> pendingCount{0};
    // Pending lists, consumed from the front: only while the gate is held.
    std::deque<std::string> fileNames;
    std::deque<uint32_t> handles;
    std::deque<CanonObjectEntry> canonEntries;
    uint64_t listGeneration = 0;  // the refresh the lists were made for: their items are dropped after another
  };

 protected:
  void loadView() override;
  void viewDidLoad() override;
  void viewWillAppear() override;
  void viewDidAppear() override;
  void viewWillDisappear() override;

 private:
  friend class CardContentsLoader;
  void setOffSource(int source);
  void setOnSource(int source);
  void refreshThumbnails();
  void startThumbnailDownload();
  void stopThumbnailDownload(bool wait);
  void refreshBarButtons();
  void refreshFilterButton();
  void filterButtonSelected(int filter);
  void objectDeletedNotification(const platform::Notification& notification);
  void objectDeleted(const PtpObjectInfoStruct& record);
  void showImageCell(std::shared_ptr<const PtpObjectInfoClass> object);
  void scrollViewDidScroll();
  void boundsChanged();
  // A record the loader made: appended and inserted as the last item (unless a refresh came in between).
  void appendRecord(Record record, uint64_t generation);

  QWidget* mGivenView;
  int mPresetSource = 0;
  int mOffSource = kSourceCamera;
  int mOnSource = kSourceDeviceSd;
  bool mIsAllSelected = false;
  bool mNeedsRefresh = false;
  std::vector<Record> mLoadedThumbnailHandles;
  std::shared_ptr<Shared> mShared = std::make_shared<Shared>();
  std::vector<platform::ObserverToken> mObservers;
};
