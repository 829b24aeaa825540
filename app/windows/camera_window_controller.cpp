#include "app/windows/camera_window_controller.h"

#include <QLayout>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "app/viewing/thumbnail_strip_controller.h"
#include "app/windows/app_notifications.h"
#include "app/windows/status_bar_view_controller.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "engine/store/object_cache.h"
#include "platform/foundation/files.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/collection_view.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/layout_constraint.h"
#include "platform/ui/save_panel.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/notification_names.h"
#include "session/ptp_object_info_class.h"
#include "session/utilities.h"
#include "ui_CameraWindow.h"

VX_INTERFACE_FILE("CameraWindow", Ui::CameraWindow);

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

// Nikon's shots-available property: announced at session start so that the status bar reads the count at once.
constexpr uint32_t kNikonShotsAvailable = 0xD1F1;
// The largest file the Save As copy reads into memory.
constexpr size_t kLargestSavedFile = size_t(4) << 30;

std::string fileNameOf(const PtpObjectInfoStruct& record) {
  return std::string(record.fileName, strnlen(record.fileName, sizeof record.fileName));
}

// A camera object is known by its handle, a file on the device's card by its name.
std::string objectKey(const PtpObjectInfoStruct& record) {
  if (record.objectId == kObjectIdByName) return "name:" + fileNameOf(record);
  return "id:" + std::to_string(record.objectId);
}

std::shared_ptr<const PtpObjectInfoClass> objectOf(const platform::Value& value) {
  return value.object<PtpObjectInfoClass>();
}

void post(const std::string& name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

std::string lowercase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

// The extension of a path without the dot, or empty.
std::string extensionOf(const std::string& path) {
  const std::string name = std::filesystem::path(path).filename().string();
  const size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot + 1);
}

// Whether a new object's picture may be fetched before its thumbnail: a movie is never fetched so, and the JPEG
// taken out of a raw file is turned by the orientation that some cameras only give with the thumbnail.
bool imageNeedsNoThumbnailFirst(const PtpObjectInfoStruct& record) {
  if (formatIsMovie(record.objectFormat)) return false;
  return !(defaults().boolForKey("QuickRawMode") && Utilities::isObjectRaw(&record));
}

}  // namespace

// The name a camera gave its file, made safe to propose as a file name: no folder parts, and the extension of
// the file that is saved.
std::string CameraWindowController::proposedSaveName(const std::string& cameraName, const std::string& type) {
  std::string name = cameraName;
  const size_t slash = name.find_last_of("/\\");
  if (slash != std::string::npos) name = name.substr(slash + 1);
  if (name.empty() || name == "." || name == "..") name = "image";
  const std::string ext = extensionOf(name);
  if (type.empty() || lowercase(ext) == lowercase(type)) return name;
  if (!ext.empty()) name.resize(name.size() - ext.size() - 1);
  return name + "." + type;
}

CameraWindowController::CameraWindowController() : DocumentWindowController(QStringLiteral("CameraWindow")) {}

CameraWindowController::~CameraWindowController() {
  *mAlive = false;
  for (const platform::ObserverToken& token : mObservers) platform::NotificationCenter::defaultCenter().removeObserver(token);
  defaults().removeObserver(this);
  // The panels' views live in the window, which the base deletes: the panels go first.
  mThumbnailController.reset();
  mCameraControlsViewController.reset();
  mStillImageViewController.reset();
  mStatusBarViewController.reset();
}

CameraWindowController* CameraWindowController::createAndShowWindow() {
  return createAndShow<CameraWindowController>(true);
}

void CameraWindowController::onMain(std::function<void()> block) {
  platform::mainQueue().async([alive = mAlive, block = std::move(block)] {
    if (*alive) block();
  });
}

void CameraWindowController::observe(const char* name,
                                     void (CameraWindowController::*handler)(const platform::Notification&)) {
  mObservers.push_back(platform::NotificationCenter::defaultCenter().addObserverForName(
      name, nullptr, [this, handler](const platform::Notification& n) { (this->*handler)(n); }));
}

void CameraWindowController::windowDidLoad() {
  platform::Window* w = window();
  QWidget* content = w->contentView();
  w->setWindowTitle(QStringLiteral("Vorlaxent 2"));
  oStatusBarParentView = content->findChild<QWidget*>(QStringLiteral("oStatusBarParentView"));
  oStillImageParentView = content->findChild<QWidget*>(QStringLiteral("oStillImageParentView"));
  oCameraControlsParentView = content->findChild<QWidget*>(QStringLiteral("oCameraControlsParentView"));
  oThumbnailsParentView = content->findChild<QWidget*>(QStringLiteral("oThumbnailsParentView"));
  oThumbnailScrollView = content->findChild<platform::ScrollView*>(QStringLiteral("oThumbnailScrollView"));
  connect(w, &platform::Window::didBecomeKey, this, [this] { windowDidBecomeKey(); });

  // The strip's collection view: one sideways row of 120-point items.
  if (oThumbnailScrollView) {
    oThumbnailCollectionView = new platform::CollectionView();
    oThumbnailCollectionView->setObjectName(QStringLiteral("oThumbnailCollectionView"));
    oThumbnailCollectionView->setCollectionViewLayout(MainThumbnailController::stripLayout());
    oThumbnailScrollView->setDocumentView(oThumbnailCollectionView);
    oThumbnailScrollView->setHasHorizontalScroller(true);
    oThumbnailScrollView->setAutohidesScrollers(true);
  }
  // The collapsing sizes: the panel's width and the strip's height as the interface file gives them.
  if (oCameraControlsParentView) {
    mControlsWidth = oCameraControlsParentView->minimumWidth();
    oShowControlsConstraint =
        new platform::LayoutConstraint(oCameraControlsParentView, platform::LayoutAttribute::Width, mControlsWidth);
  }
  if (oThumbnailsParentView) {
    mThumbnailsHeight = oThumbnailsParentView->minimumHeight();
    oShowThumbnailsConstraint =
        new platform::LayoutConstraint(oThumbnailsParentView, platform::LayoutAttribute::Height, mThumbnailsHeight);
  }

  // Panels, in order: status bar, image area, control panel.
  mStatusBarViewController = std::make_unique<StatusBarViewController>();
  embedView(oStatusBarParentView, mStatusBarViewController->view());
  const CameraWindowPanels& panels = cameraWindowPanels();
  if (panels.makeImageArea) {
    mStillImageViewController = panels.makeImageArea();
    if (mStillImageViewController) embedView(oStillImageParentView, mStillImageViewController->view());
  }
  if (panels.makeControls) {
    mCameraControlsViewController = panels.makeControls();
    if (mCameraControlsViewController) embedView(oCameraControlsParentView, mCameraControlsViewController->view());
  }

  observe(kVorlaxentConnectionStatusNotification, &CameraWindowController::connectionStatusChangedNotification);
  observe(kNewObjectNotification, &CameraWindowController::newObjectNotification);
  observe(kThumbnailDownloadedNotification, &CameraWindowController::thumbnailDownloadedNotification);
  observe(kLiveViewToggledNotification, &CameraWindowController::liveViewToggledNotification);
  observe(kMovieModeToggledNotification, &CameraWindowController::liveViewToggledNotification);
  observe(kImageDataNotification, &CameraWindowController::imageDataNotification);
  observe(kSelectMainThumbnailNotification, &CameraWindowController::selectThumbnailNotification);
  observe(kObjectDeletedNotification, &CameraWindowController::objectDeletedNotification);
  mObservers.push_back(platform::NotificationCenter::defaultCenter().addObserverForName(
      kSaveCurrentImageNotification, nullptr, [this](const platform::Notification&) { saveCurrentImageNotification(); }));
  mObservers.push_back(platform::NotificationCenter::defaultCenter().addObserverForName(
      kSdTransferCurrentImageNotification, nullptr,
      [this](const platform::Notification&) { sdTransferCurrentImageNotification(); }));
  mObservers.push_back(platform::NotificationCenter::defaultCenter().addObserverForName(
      kPrintCurrentImageNotification, nullptr, [this](const platform::Notification&) { printCurrentImageNotification(); }));
  observe(kDownloadImageInBackgroundNotification, &CameraWindowController::downloadImageInBackgroundNotification);
  // The settings may be written on any thread; the panels change on the main thread.
  defaults().addObserver(this, "ControlsVisibility", [this](const std::string&, const platform::Value&) {
    if (platform::isMainThread()) refreshShowControls();
    else onMain([this] { refreshShowControls(); });
  });
  defaults().addObserver(this, "ThumbnailStripVisibility", [this](const std::string&, const platform::Value&) {
    if (platform::isMainThread()) refreshShowThumbnailStrip();
    else onMain([this] { refreshShowThumbnailStrip(); });
  });

  if (panels.makeThumbnailStrip && oThumbnailCollectionView)
    mThumbnailController = panels.makeThumbnailStrip(oThumbnailCollectionView, this);

  sessionStarted();
  // Both before the window is first shown: a hidden panel never paints.
  refreshShowControls();
  refreshShowThumbnailStrip();
}

// --- session ---------------------------------------------------------------------------------------------------

void CameraWindowController::sessionStarted() {
  post(kSdCardWebEnabledToggledNotification, platform::Value(false));
  CameraController::instance().checkSession();
  openCameraEventGate();
  if (camIsNikon()) post("JW_" + std::to_string(kNikonShotsAvailable));
}

void CameraWindowController::sessionRestarted() {
  // The window is already set up and the previous session's objects are in it: no second reload offer.
  openCameraEventGate();
  if (camIsNikon()) post("JW_" + std::to_string(kNikonShotsAvailable));
}

void CameraWindowController::connectionStatusChangedNotification(const platform::Notification& notification) {
  const int32_t status = Utilities::connectionStatusForInteger(notification.object.toInteger());
  if (status == kConnectionStatusCameraConnected) return;
  if (platform::isMainThread()) close();
  else onMain([this] { close(); });
}

// --- objects and thumbnails ------------------------------------------------------------------------------------

void CameraWindowController::newObjectNotification(const platform::Notification& notification) {
  std::shared_ptr<const PtpObjectInfoClass> object = objectOf(notification.object);
  if (!object) return;
  const PtpObjectInfoStruct record = *object->origObjectInfo();
  // Posted on the event thread: the requests are made from the main queue; the session controller downloads the
  // thumbnail on its own serial thumbnail queue.
  onMain([this, object, record] {
    // Downloaded in the background anyway: the picture goes first, so that it reaches the save folder without
    // waiting for the thumbnail's round trip, the strip's work or a link the thumbnail holds; the thumbnail is
    // asked for once the picture is in, and its own request for the picture is skipped.
    if (defaults().integerForKey("AutoViewImages") == 3 && imageNeedsNoThumbnailFirst(record)) {
      mEarlyImages.insert(objectKey(record));
      downloadImage(object, false, [record] { CameraController::instance().downloadThumbnail(record, false); });
      return;
    }
    CameraController::instance().downloadThumbnail(record, false);
  });
}

void CameraWindowController::thumbnailDownloadedNotification(const platform::Notification& notification) {
  const platform::Value& info = notification.object;
  if (info.type() != platform::Value::Type::Dictionary) return;
  std::shared_ptr<const PtpObjectInfoClass> object = objectOf(info["objectInfo"]);
  if (!object) return;
  const platform::Data& data = info["thumbnailData"].toData();
  auto add = [this, object, data] {
    if (mThumbnailController) mThumbnailController->addThumnailImage(data, object);
    if (object->objectId() == kObjectIdByName || defaults().boolForKey("SdCardAutoTransfer"))
      post(kUpdateSdCardSpaceNotification);
  };
  if (platform::isMainThread()) add();
  else onMain(add);
}

void CameraWindowController::liveViewToggledNotification(const platform::Notification& notification) {
  if (!notification.object.toBool()) return;
  onMain([this] {
    if (mThumbnailController) mThumbnailController->clearSelection();
  });
}

void CameraWindowController::imageDataNotification(const platform::Notification& notification) {
  const platform::Value& info = notification.object;
  if (info.type() != platform::Value::Type::Dictionary) return;
  std::shared_ptr<const PtpObjectInfoClass> object = objectOf(info["ObjectInfo"]);
  if (!object || info["ImageData"].type() != platform::Value::Type::Data) return;
  const platform::Data data = info["ImageData"].toData();
  auto show = [this, object, data] {
    if (mStillImageViewController) {
      mStillImageViewController->setImage(data, object);
      mStillImageViewController->view()->show();
    }
    if (mThumbnailController) mThumbnailController->clearSelection();
    refreshMenu();
  };
  if (platform::isMainThread()) show();
  else onMain(show);
}

std::shared_ptr<platform::DispatchQueue> CameraWindowController::downloadQueue() {
  if (!mDownloadImageQueue) mDownloadImageQueue = platform::createSerialQueue("com.vorlaxent.image.bgqueue");
  return mDownloadImageQueue;
}

void CameraWindowController::selectThumbnailNotification(const platform::Notification& notification) {
  std::shared_ptr<const PtpObjectInfoClass> object = objectOf(notification.object);
  if (!object) return;
  auto queue = downloadQueue();
  auto alive = mAlive;
  // In line with the downloads queued before it.
  queue->async([this, alive, object] {
    platform::mainQueue().async([this, alive, object] {
      if (*alive) selectOrFetch(object);
    });
  });
}

void CameraWindowController::selectOrFetch(std::shared_ptr<const PtpObjectInfoClass> object) {
  if (mThumbnailController && mThumbnailController->selectThumbnail(object)) return;
  const PtpObjectInfoStruct record = *object->origObjectInfo();
  // The strip has no item for it: its thumbnail is fetched once more and shown with it. When even that gives the
  // strip nothing (bytes it cannot decode), or there is no strip, the picture is shown without one.
  if (mThumbnailController && mForcedThumbnails.insert(objectKey(record)).second) {
    CameraController::instance().downloadThumbnail(record, true);
    return;
  }
  downloadImage(object, true);
}

void CameraWindowController::downloadImageInBackgroundNotification(const platform::Notification& notification) {
  std::shared_ptr<const PtpObjectInfoClass> object = objectOf(notification.object);
  if (!object) return;
  auto download = [this, object] {
    const PtpObjectInfoStruct& record = *object->origObjectInfo();
    // Asked for already, at its announcement: the thumbnail's request for it is the same one.
    if (mEarlyImages.erase(objectKey(record)) != 0) return;
    // Each reconnect asks again for every picture whose image is still missing: behind a slow or often dropped link
    // the queue held the same pictures many times over, each a transfer that failed or found the file there.
    const std::string queued = objectKey(record) + "/" + std::to_string(record.objectCompressedSize);
    if (!mBackgroundImagesQueued.insert(queued).second) return;
    auto alive = mAlive;
    downloadImage(object, false, [this, alive, queued] {
      if (*alive) mBackgroundImagesQueued.erase(queued);
    });
  };
  if (platform::isMainThread()) download();
  else onMain(download);
}

void CameraWindowController::thumbnailSelected(std::shared_ptr<const PtpObjectInfoClass> object) {
  if (!object) return;
  if (!formatIsMovie(object->objectFormat())) {
    downloadImage(object, true);
    return;
  }
  if (CameraController::instance().liveViewStatus() != 0) {
    // The movie is fetched once live view is off; a failed switch leaves the selection as it is.
    auto alive = mAlive;
    platform::globalQueue().async([this, alive, object] {
      if (!CameraController::instance().stopLiveViewStream(true)) return;
      platform::mainQueue().async([this, alive, object] {
        if (*alive) thumbnailSelected(object);
      });
    });
    return;
  }
  Utilities::downloadVideoToLibrary(*object->origObjectInfo());
}

void CameraWindowController::downloadImage(std::shared_ptr<const PtpObjectInfoClass> object, bool displayImage,
                                           std::function<void()> then) {
  auto queue = downloadQueue();
  auto image = std::make_shared<std::optional<std::vector<uint8_t>>>();
  const bool relay = defaults().boolForKey("AutoShareImages") && defaults().boolForKey("VorlaxentShareEnabled");
  CommandBlockArray commands;
  commands.emplace_back(
      [object, image, displayImage, relay]() -> int32_t {
        *image = CameraController::instance().doDownloadImage(*object, displayImage, relay, true);
        return 1;
      },
      std::nullopt);
  ++mDownloadsInFlight;
  auto alive = mAlive;
  Command::runCommandsWithQueue(
      std::move(commands),
      [this, alive, object, image, displayImage, then = std::move(then)](int32_t) {
        if (then) then();
        if (!*alive) return;  // the window closed meanwhile: the file is saved, nothing is shown
        --mDownloadsInFlight;
        if (!displayImage) return;
        if (*image) {
          if (mStillImageViewController) {
            mStillImageViewController->setImage(**image, object);
            mStillImageViewController->view()->show();
          }
          refreshMenu();
        } else if (mThumbnailController) {
          mThumbnailController->clearSelection();
        }
      },
      queue.get());
}

void CameraWindowController::objectDeletedNotification(const platform::Notification& notification) {
  std::shared_ptr<const PtpObjectInfoClass> object = objectOf(notification.object);
  if (object) objectDeleted(*object->origObjectInfo());
}

void CameraWindowController::objectDeleted(const PtpObjectInfoStruct& record) {
  if (!platform::isMainThread()) {
    onMain([this, record] { objectDeleted(record); });
    return;
  }
  if (mThumbnailController) mThumbnailController->deleteThumbnail(record);
  // Only the picture of the deleted object leaves the image area.
  if (mStillImageViewController) {
    std::shared_ptr<const PtpObjectInfoClass> shown = mStillImageViewController->currentObjectInfo();
    const PtpObjectInfoClass deleted(record);
    if (shown && shown->isEqual(&deleted)) mStillImageViewController->clearImage();
  }
  if (record.objectId == kObjectIdByName) post(kUpdateSdCardSpaceNotification);
  {
    // The record and its cache files go; a picture already in the save folder stays there.
    std::lock_guard<std::mutex> lock(objCacheMutex());
    objCacheRemoveEntry(&record);
  }
  refreshMenu();
}

// --- menu ------------------------------------------------------------------------------------------------------

void CameraWindowController::windowDidBecomeKey() { refreshMenu(); }

void CameraWindowController::refreshMenu() {
  postRefreshMenu(this, mStillImageViewController && mStillImageViewController->currentObjectInfo() != nullptr);
}

void CameraWindowController::saveCurrentImageNotification() {
  std::shared_ptr<const PtpObjectInfoClass> object =
      mStillImageViewController ? mStillImageViewController->currentObjectInfo() : nullptr;
  if (!object) {
    Utilities::showErrorMessage("Please select/view an image before attempting to save.");
    return;
  }
  const bool quickRaw = defaults().boolForKey("QuickRawMode");
  auto alive = mAlive;
  // Finding the local file may download it: never on the main thread.
  platform::globalQueue().async([this, alive, object, quickRaw] {
    bool created = false;
    const std::optional<std::string> path =
        Utilities::getImagePathForSharing(object->origObjectInfo(), &created, quickRaw, false);
    platform::mainQueue().async([this, alive, object, path] {
      if (!*alive) return;
      if (!path || path->empty()) {
        Utilities::showErrorMessage("Cannot get original location of " + fileNameOf(*object->origObjectInfo()));
        return;
      }
      saveImage(object, *path);
    });
  });
}

void CameraWindowController::saveImage(std::shared_ptr<const PtpObjectInfoClass> object, const std::string& localPath) {
  // The type is that of the file copied: in quick-raw mode the JPEG, never a raw file under ".jpg".
  const std::string type = lowercase(extensionOf(localPath));
  platform::SavePanelOptions options;
  options.title = "Save Current Image";
  options.directory = defaults().stringForKey("SaveAsDirectory");
  options.proposedName = proposedSaveName(fileNameOf(*object->origObjectInfo()), type);
  if (!type.empty()) options.allowedFileTypes = {type};
  const std::optional<std::string> chosen = platform::currentSavePanel().runSavePanel(options);
  if (!chosen) return;
  defaults().setString(std::filesystem::path(*chosen).parent_path().string(), "SaveAsDirectory");
  // The panel has asked about replacing an existing file: the copy replaces it whole, or leaves it as it was.
  platform::globalQueue().async([source = localPath, target = *chosen] {
    std::string error;
    const std::optional<std::vector<uint8_t>> bytes = platform::readWholeFile(source, kLargestSavedFile, &error);
    if (bytes) error = platform::writeFileAtomically(target, bytes->data(), bytes->size());
    if (!error.empty()) Utilities::showErrorMessage("Failed to save image: " + error + ".");
  });
}

void CameraWindowController::sdTransferCurrentImageNotification() {
  if (camIsSony() || camIsFuji()) return;
  std::shared_ptr<const PtpObjectInfoClass> object =
      mStillImageViewController ? mStillImageViewController->currentObjectInfo() : nullptr;
  if (!object) {
    Utilities::showErrorMessage("Please select/view an image before attempting to transfer.");
    return;
  }
  Utilities::transferImageToSdCard(object->origObjectInfo(), true, false);
}

// --- panel visibility ------------------------------------------------------------------------------------------

void CameraWindowController::refreshShowControls() {
  const bool shown = defaults().boolForKey("ControlsVisibility");
  if (oCameraControlsParentView) oCameraControlsParentView->setHidden(!shown);
  if (oShowControlsConstraint) oShowControlsConstraint->setConstant(shown ? mControlsWidth : 0);
}

void CameraWindowController::refreshShowThumbnailStrip() {
  const bool shown = defaults().boolForKey("ThumbnailStripVisibility");
  if (oThumbnailsParentView) oThumbnailsParentView->setHidden(!shown);
  if (oShowThumbnailsConstraint) oShowThumbnailsConstraint->setConstant(shown ? mThumbnailsHeight : 0);
}
