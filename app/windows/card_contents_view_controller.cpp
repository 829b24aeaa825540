#include "app/windows/card_contents_view_controller.h"

#include <QLayout>
#include <algorithm>

#include "app/windows/app_notifications.h"
#include "app/windows/card_contents_loader.h"
#include "app/viewing/thumbnail_view_cell.h"
#include "controls/interface_actions.h"
#include "engine/link/link.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/vendor_state.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/named_images.h"
#include "platform/ui/autoresizing.h"
#include "platform/ui/frame_notifications.h"
#include "platform/ui/image_view.h"
#include "platform/ui/scroll_view.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/command_block.h"
#include "session/notification_names.h"
#include "session/ptp_errors.h"
#include "session/ptp_object_info_class.h"
#include "session/utilities.h"
#include "widgets/color_view.h"
#include "widgets/it_switch.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"

namespace {

constexpr const char* kFilterSetting = "CardContentsFormatFiltering";

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

platform::Image switchPicture(int source, platform::Size size) {
  if (source == CardContentsViewController::kSourceCache) return VorlaxentStyleKit::imageOfDatabaseWithSize(size);
  if (source == CardContentsViewController::kSourceDeviceSd)
    return VorlaxentStyleKit::imageOfVorlaxentDeviceWithSize(size);
  return VorlaxentStyleKit::imageOfLightCameraWithSize(size);
}

}  // namespace

platform::CollectionViewFlowLayout CardContentsViewController::gridLayout() {
  platform::CollectionViewFlowLayout layout;
  layout.itemSize = ThumbnailViewCell::itemSizeForPicture({kThumbnailWidth, kThumbnailHeight});
  layout.minimumInteritemSpacing = 8;
  layout.minimumLineSpacing = 8;
  layout.sectionInset = {8, 8, 8, 8};
  return layout;
}

CardContentsViewController::CardContentsViewController(QWidget* view)
    : ViewController(QStringLiteral("CardContentsWindow")), mGivenView(view) {}

CardContentsViewController::~CardContentsViewController() {
  stopAllWork();
  for (const platform::ObserverToken& token : mObservers) platform::NotificationCenter::defaultCenter().removeObserver(token);
  if (oCollectionView) {
    oCollectionView->setDataSource(nullptr);
    oCollectionView->setDelegate(nullptr);
  }
}

void CardContentsViewController::loadView() { setView(mGivenView); }

void CardContentsViewController::viewDidLoad() {
  oScrollView = outlet<platform::ScrollView>("oScrollView");
  oSourceSwitch = outlet<ITSwitch>("oSourceSwitch");
  oSwitchOffImageView = outlet<platform::ImageView>("oSwitchOffImageView");
  oSwitchOnImageView = outlet<platform::ImageView>("oSwitchOnImageView");
  oDeleteBarButton = outlet<SYFlatButton>("oDeleteBarButton");
  oShareBarButton = outlet<SYFlatButton>("oShareBarButton");
  oSelectBarButton = outlet<SYFlatButton>("oSelectBarButton");
  oFilterAllButton = outlet<SYFlatButton>("oFilterAllButton");
  oFilterJpgButton = outlet<SYFlatButton>("oFilterJpgButton");
  oFilterRawButton = outlet<SYFlatButton>("oFilterRawButton");
  oFilterMovButton = outlet<SYFlatButton>("oFilterMovButton");
  controls::connectInterfaceActions(view());

  // The grid: the scroll view's document, several items selectable, none needed.
  oCollectionView = new platform::CollectionView;
  oCollectionView->setObjectName(QStringLiteral("oCollectionView"));
  oCollectionView->setCollectionViewLayout(gridLayout());
  oCollectionView->registerClass([] { return std::make_unique<ThumbnailViewCell>(); }, kCellIdentifier);
  oCollectionView->setSelectable(true);
  oCollectionView->setAllowsEmptySelection(true);
  oCollectionView->setAllowsMultipleSelection(true);
  auto* background = new ColorView;
  background->setBackgroundColor(platform::Color::rgb(0.5, 0.5, 0.5, 1));
  oCollectionView->setBackgroundView(background);
  platform::setAutoresizingMask(background, platform::ViewWidthSizable | platform::ViewHeightSizable);
  oCollectionView->setDataSource(this);
  oCollectionView->setDelegate(this);
  if (oScrollView) {
    oScrollView->setHasVerticalScroller(true);
    oScrollView->setAutohidesScrollers(true);
    oScrollView->setDocumentView(oCollectionView);
  }

  // Loading resumes when the user scrolls this grid (not any other scroll view) or the view changes size.
  auto& centre = platform::NotificationCenter::defaultCenter();
  mObservers.push_back(centre.addObserverForName(platform::ScrollViewDidLiveScrollNotification, oScrollView,
                                                 [this](const platform::Notification&) { scrollViewDidScroll(); }));
  mObservers.push_back(centre.addObserverForName(
      kObjectDeletedNotification, nullptr, [this](const platform::Notification& n) { objectDeletedNotification(n); }));
  platform::setPostsFrameChangedNotifications(view(), true);
  mObservers.push_back(centre.addObserverForName(platform::ViewFrameDidChangeNotification, view(),
                                                 [this](const platform::Notification&) { boundsChanged(); }));

  if (mPresetSource == kSourceCache) {
    mShared->source = kSourceCache;
    for (QWidget* w : std::initializer_list<QWidget*>{oSourceSwitch, oSwitchOffImageView, oSwitchOnImageView})
      if (w) w->hide();
  } else {
    const bool sdOnly = camIsSony() || camIsFuji();
    mShared->source = sdOnly ? kSourceDeviceSd : kSourceCamera;
    if (oSourceSwitch) oSourceSwitch->setEnabled(!sdOnly);
    setOffSource(kSourceCamera);
    setOnSource(kSourceDeviceSd);
  }
  if (oDeleteBarButton) oDeleteBarButton->setEnabled(false);
  if (oShareBarButton) oShareBarButton->setEnabled(false);
  if (oSelectBarButton) oSelectBarButton->setImage(platform::imageNamed("UncheckedBox"));
  mIsAllSelected = false;
  refreshFilterButton();
}

void CardContentsViewController::setOffSource(int source) {
  mOffSource = source;
  if (oSourceSwitch) oSourceSwitch->show();
  if (oSwitchOffImageView) {
    oSwitchOffImageView->show();
    oSwitchOffImageView->setImage(
        switchPicture(source, {double(oSwitchOffImageView->width()), double(oSwitchOffImageView->height())}));
  }
}

void CardContentsViewController::setOnSource(int source) {
  mOnSource = source;
  if (oSourceSwitch) oSourceSwitch->show();
  if (oSwitchOnImageView) {
    oSwitchOnImageView->show();
    const platform::Size size = source == kSourceDeviceSd
                                    ? platform::Size{32, 32}
                                    : platform::Size{double(oSwitchOnImageView->width()), double(oSwitchOnImageView->height())};
    oSwitchOnImageView->setImage(switchPicture(source, size));
  }
}

void CardContentsViewController::viewWillAppear() {
  // A first listing waits until the window is up (viewDidAppear): its progress overlay goes over the front window.
  if (mNeedsRefresh || (mLoadedThumbnailHandles.empty() && mShared->pendingCount == 0)) mNeedsRefresh = true;
  else if (!isContentPastBottom()) startThumbnailDownload();
  if (oSourceSwitch) oSourceSwitch->setChecked(mShared->source == mOnSource);
}

void CardContentsViewController::viewDidAppear() {
  if (!mNeedsRefresh) return;
  mNeedsRefresh = false;
  refreshThumbnails();
}

void CardContentsViewController::viewWillDisappear() { stopThumbnailDownload(false); }

bool CardContentsViewController::performAction(const platform::Action& action) {
  const std::string& name = action.name;
  if (name == "sourceSwitchToggled:") sourceSwitchToggled(action.sender<ITSwitch>());
  else if (name == "filterButtonAction:") filterButtonAction(action.senderObject.data());
  else if (name == "selectAll:") selectAll(action.sender<SYFlatButton>());
  else if (name == "deleteSelectedItems:") deleteSelectedItems();
  else if (name == "downloadImages:") downloadImages();
  else if (name == "showFilterOptions:") showFilterOptions();
  else if (name == "deleteItems:") deleteItems();
  else if (name == "collectionItemViewDoubleClick") {
    auto* cell = action.sender<ThumbnailViewCell>();
    if (!cell) return false;
    collectionItemViewDoubleClick(cell);
  } else {
    return ViewController::performAction(action);
  }
  return true;
}

// --- the loader ---------------------------------------------------------------------------------------------

void CardContentsViewController::refreshThumbnails() {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([self = QPointer<CardContentsViewController>(this)] {
      if (self) self->refreshThumbnails();
    });
    return;
  }
  mIsAllSelected = false;
  if (oSelectBarButton) oSelectBarButton->setImage(platform::imageNamed("UncheckedBox"));
  mLoadedThumbnailHandles.clear();
  ++mShared->generation;
  mShared->filter = int(defaults().integerForKey(kFilterSetting));
  if (oCollectionView) {
    oCollectionView->deselectAll();
    oCollectionView->reloadData();
  }
  refreshBarButtons();
  // Without a link there is no card to list (the window outlived its connection): no batch, no overlay.
  if (!linkIsConnected()) return;

  std::shared_ptr<Shared> shared = mShared;
  auto refused = std::make_shared<int>(0);
  CommandBlockArray blocks;
  const uint64_t generation = mShared->generation;
  // No loader starts until the new lists are in place.
  shared->downloading = true;
  blocks.push_back(CommandBlock::initWithBlock(
      [shared, refused, generation] {
        shared->downloading = true;
        *refused = card_contents::loadThumbnailHandles(*shared, generation).refusedNames;
        return int32_t(1);
      },
      platform::localizedString("DownloadingThumbnails")));
  Command::runCommands(
      std::move(blocks),
      [self = QPointer<CardContentsViewController>(this), shared, refused](int32_t) {
        shared->downloading = false;
        // Names the device sent that cannot be used are told once, counted, rather than one by one.
        if (*refused > 0)
          Utilities::showInfoMessage(
              QString::fromStdString(platform::localizedString("SdNamesRefused"))
                  .replace(QStringLiteral("%@"), QString::number(*refused))
                  .toStdString(),
              "");
        if (self) self->startThumbnailDownload();
      },
      view(), nullptr);
}

void CardContentsViewController::startThumbnailDownload() {
  if (mShared->downloading || isContentPastBottom()) return;
  mShared->downloading = true;
  mShared->kill = false;
  std::shared_ptr<Shared> shared = mShared;
  QPointer<CardContentsViewController> self(this);
  platform::globalQueue().async([shared, self] {
    // Each item is inserted before the next is fetched: the insertion is what tells the loader that enough of
    // the grid lies below the visible part, and a loader running ahead would fill it far past that.
    card_contents::downloadThumbnails(*shared, [self](Record record, uint64_t generation) {
      platform::mainQueue().sync([&] {
        if (self) self->appendRecord(std::move(record), generation);
      });
    });
  });
}

void CardContentsViewController::stopThumbnailDownload(bool wait) {
  mShared->kill = true;
  if (!wait) return;
  mShared->gate.wait();
  mShared->gate.signal();
}

void CardContentsViewController::requestStop() {
  mShared->kill = true;
  mShared->cancelDownload = true;
}

void CardContentsViewController::stopAllWork() {
  std::shared_ptr<Shared> shared = mShared;
  requestStop();
  // Main-queue blocks the work waits for must be able to run meanwhile; the wait is bounded either way.
  if (platform::isMainThread() && !platform::isRunningMainQueueBlock()) {
    platform::runMainUntil(
        [shared] {
          if (shared->downloadLoopRunning) return false;
          if (!shared->gate.waitFor(std::chrono::milliseconds(0))) return false;
          shared->gate.signal();
          return !shared->downloading;
        },
        kStopWait);
  }
}

void CardContentsViewController::forgetContents() {
  requestStop();
  ++mShared->generation;
  mLoadedThumbnailHandles.clear();
  if (oCollectionView) {
    oCollectionView->deselectAll();
    oCollectionView->reloadData();
  }
  refreshBarButtons();
  mNeedsRefresh = true;
}

void CardContentsViewController::appendRecord(Record record, uint64_t generation) {
  if (generation != mShared->generation) return;
  mLoadedThumbnailHandles.push_back(std::move(record));
  const int index = int(mLoadedThumbnailHandles.size()) - 1;
  if (oCollectionView) oCollectionView->insertItemsAtIndexPaths({platform::IndexPath::forItem(index)});
  if (isContentPastBottom()) stopThumbnailDownload(false);
}

bool CardContentsViewController::isContentPastBottom() const {
  if (!oCollectionView) return false;
  const double gridHeight = oCollectionView->collectionViewContentSize().height;
  if (!oCollectionView->enclosingScrollView()) return gridHeight > kLoadAheadPoints;
  const platform::Rect visible = oCollectionView->visibleRect();
  return gridHeight - (visible.origin.y + visible.size.height) > kLoadAheadPoints;
}

void CardContentsViewController::scrollViewDidScroll() {
  if (!isContentPastBottom()) startThumbnailDownload();
}

void CardContentsViewController::boundsChanged() {
  if (!isContentPastBottom()) startThumbnailDownload();
}

// --- the grid -----------------------------------------------------------------------------------------------

int CardContentsViewController::collectionViewNumberOfItemsInSection(platform::CollectionView*, int) {
  return int(mLoadedThumbnailHandles.size());
}

platform::CollectionViewItem* CardContentsViewController::collectionViewItemForRepresentedObjectAtIndexPath(
    platform::CollectionView* view, const platform::IndexPath& indexPath) {
  auto* cell = static_cast<ThumbnailViewCell*>(view->makeItemWithIdentifier(kCellIdentifier, indexPath));
  if (!cell || indexPath.item < 0 || indexPath.item >= int(mLoadedThumbnailHandles.size())) return cell;
  const Record& record = mLoadedThumbnailHandles[size_t(indexPath.item)];
  cell->setShowFilename(true);
  cell->setObjectInfo(record.objectInfo);
  cell->setFullImagePath(record.fullImagePath);
  cell->setThumbnailImage(record.image());
  cell->setSelected(view->selectionIndexPaths().count(indexPath) > 0);
  return cell;
}

void CardContentsViewController::collectionViewDidSelectItemsAtIndexPaths(platform::CollectionView*,
                                                                          const platform::IndexPathSet&) {
  refreshBarButtons();
}

void CardContentsViewController::collectionViewDidDeselectItemsAtIndexPaths(platform::CollectionView*,
                                                                            const platform::IndexPathSet&) {
  refreshBarButtons();
}

void CardContentsViewController::refreshBarButtons() {
  const bool any = oCollectionView && !oCollectionView->selectionIndexPaths().empty();
  if (oDeleteBarButton) oDeleteBarButton->setEnabled(any && mShared->source != kSourceCache);
  if (oShareBarButton) oShareBarButton->setEnabled(any);
}

void CardContentsViewController::refreshFilterButton() {
  const int filter = int(defaults().integerForKey(kFilterSetting));
  const std::pair<SYFlatButton*, int> buttons[] = {
      {oFilterAllButton, kFilterAll}, {oFilterJpgButton, kFilterJpeg}, {oFilterRawButton, kFilterRaw}, {oFilterMovButton, kFilterMovie}};
  for (const auto& [button, value] : buttons)
    if (button) button->setState(filter == value ? 1 : 0);
}

std::vector<PtpObjectInfoStruct> CardContentsViewController::getSelectedImageObjects() const {
  std::vector<PtpObjectInfoStruct> out;
  if (!oCollectionView) return out;
  for (const platform::IndexPath& path : oCollectionView->selectionIndexPaths()) {
    if (path.item < 0 || path.item >= int(mLoadedThumbnailHandles.size())) continue;
    const Record& record = mLoadedThumbnailHandles[size_t(path.item)];
    if (record.objectInfo) out.push_back(*record.objectInfo->origObjectInfo());
  }
  return out;
}

std::vector<std::string> CardContentsViewController::getSelectedImagePaths() const {
  std::vector<std::string> out;
  if (!oCollectionView) return out;
  for (const platform::IndexPath& path : oCollectionView->selectionIndexPaths())
    if (path.item >= 0 && path.item < int(mLoadedThumbnailHandles.size()))
      out.push_back(mLoadedThumbnailHandles[size_t(path.item)].fullImagePath);
  return out;
}

// --- actions ------------------------------------------------------------------------------------------------

void CardContentsViewController::filterButtonAction(QObject* sender) {
  int filter = kFilterAll;
  if (sender && sender == oFilterJpgButton) filter = kFilterJpeg;
  else if (sender && sender == oFilterRawButton) filter = kFilterRaw;
  else if (sender && sender == oFilterMovButton) filter = kFilterMovie;
  filterButtonSelected(filter);
}

void CardContentsViewController::filterButtonSelected(int filter) {
  defaults().setInteger(filter, kFilterSetting);
  refreshFilterButton();
  // The loader is waited for off the main thread, so the window stays responsive while its last item finishes.
  std::shared_ptr<Shared> shared = mShared;
  shared->kill = true;
  QPointer<CardContentsViewController> self(this);
  platform::globalQueue().async([shared, self] {
    shared->gate.wait();
    shared->gate.signal();
    platform::mainQueue().async([self] {
      if (!self) return;
      self->refreshThumbnails();
      self->refreshFilterButton();
    });
  });
}

void CardContentsViewController::sourceSwitchToggled(ITSwitch* sender) {
  const int source = (sender ? sender->checked() : false) ? mOnSource : mOffSource;
  if (source == mShared->source) return;
  std::shared_ptr<Shared> shared = mShared;
  QPointer<CardContentsViewController> self(this);
  shared->kill = true;
  platform::globalQueue().async([shared, self, source] {
    shared->gate.wait();
    shared->source = source;
    shared->gate.signal();
    platform::mainQueue().async([self] {
      if (self) self->refreshThumbnails();
    });
  });
}

void CardContentsViewController::selectAll(SYFlatButton* sender) {
  const bool selectIt = !mIsAllSelected;
  std::shared_ptr<Shared> shared = mShared;
  QPointer<CardContentsViewController> self(this);
  QPointer<SYFlatButton> button(sender);
  shared->kill = true;
  platform::globalQueue().async([shared, self, button, selectIt] {
    shared->gate.wait();
    platform::mainQueue().async([shared, self, button, selectIt] {
      if (self && self->oCollectionView && !self->mLoadedThumbnailHandles.empty()) {
        if (selectIt) self->oCollectionView->selectAll();
        else self->oCollectionView->deselectAll();
      }
      shared->gate.signal();
      if (!self) return;
      self->refreshBarButtons();
      self->startThumbnailDownload();
      if (button) button->setImage(platform::imageNamed(selectIt ? "CheckedBox" : "UncheckedBox"));
      self->mIsAllSelected = selectIt;
    });
  });
}
