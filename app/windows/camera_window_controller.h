#pragma once
// The window of a running camera session: the status bar, the image area, the capture control panel and the
// thumbnail strip (see camera_window_panels.h for how the panels are plugged in). It lets the session controller
// offer the previous session, opens the gate for camera events, and routes the session's notifications: new
// objects to thumbnail downloads, thumbnails to the strip, selected thumbnails to downloads and the image area,
// deletions to the strip and the object cache, and the menu's Save As and SD-card transfer to their work.
//
// Thumbnail selection by notification and every image download run one at a time on the serial queue
// "com.vorlaxent.image.bgqueue"; what they bring back reaches the window on the main thread, and only while the
// controller lives (closing the window mid-download leaves the download to finish on its own).
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/windows/camera_window_panels.h"
#include "app/windows/document_window_controller.h"
#include "engine/ptp/datasets.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"

class PtpObjectInfoClass;
class StatusBarViewController;
namespace platform {
class CollectionView;
class LayoutConstraint;
class ScrollView;
}  // namespace platform

class CameraWindowController : public DocumentWindowController, public ThumbnailControllerDelegate {
  Q_OBJECT

 public:
  CameraWindowController();
  ~CameraWindowController() override;

  // Makes the controller from "CameraWindow", shows the window key and in front, titled with the device's
  // address, and hands it to the application delegate.
  static CameraWindowController* createAndShowWindow();

  // Notification handlers.
  void connectionStatusChangedNotification(const platform::Notification& notification);
  void newObjectNotification(const platform::Notification& notification);
  void thumbnailDownloadedNotification(const platform::Notification& notification);
  void liveViewToggledNotification(const platform::Notification& notification);
  void imageDataNotification(const platform::Notification& notification);
  void selectThumbnailNotification(const platform::Notification& notification);
  void objectDeletedNotification(const platform::Notification& notification);
  void saveCurrentImageNotification();
  void sdTransferCurrentImageNotification();
  void printCurrentImageNotification() {}
  void downloadImageInBackgroundNotification(const platform::Notification& notification);

  // The strip's delegate call.
  void thumbnailSelected(std::shared_ptr<const PtpObjectInfoClass> object) override;
  // `then`, when given, runs on the main queue once the download has ended, even after the window has closed.
  void downloadImage(std::shared_ptr<const PtpObjectInfoClass> object, bool displayImage,
                     std::function<void()> then = {});
  void objectDeleted(const PtpObjectInfoStruct& record);
  void sessionStarted();
  void sessionRestarted() override;
  void windowDidBecomeKey();
  void refreshMenu();
  void refreshShowControls();
  void refreshShowThumbnailStrip();

  // The name Save As proposes for a camera's file saved as `type` (an extension): no folder parts, the type's
  // extension.
  static std::string proposedSaveName(const std::string& cameraName, const std::string& type);

  // Panels and views, for tests.
  StatusBarViewController* statusBarViewController() const { return mStatusBarViewController.get(); }
  CameraWindowImageArea* imageArea() const { return mStillImageViewController.get(); }
  CameraWindowThumbnailStrip* thumbnailStrip() const { return mThumbnailController.get(); }
  platform::LayoutConstraint* showControlsConstraint() const { return oShowControlsConstraint; }
  platform::LayoutConstraint* showThumbnailsConstraint() const { return oShowThumbnailsConstraint; }
  // Image downloads queued and not yet back (displayed or not).
  int downloadsInFlight() const { return mDownloadsInFlight; }

  // Outlets.
  QWidget* oStatusBarParentView = nullptr;
  QWidget* oStillImageParentView = nullptr;
  QWidget* oCameraControlsParentView = nullptr;
  platform::CollectionView* oThumbnailCollectionView = nullptr;
  QWidget* oThumbnailsParentView = nullptr;
  platform::LayoutConstraint* oShowControlsConstraint = nullptr;
  platform::LayoutConstraint* oShowThumbnailsConstraint = nullptr;

 protected:
  void windowDidLoad() override;

 private:
  std::shared_ptr<platform::DispatchQueue> downloadQueue();
  void observe(const char* name, void (CameraWindowController::*handler)(const platform::Notification&));
  // Runs `block` on the main queue while the controller lives.
  void onMain(std::function<void()> block);
  void selectOrFetch(std::shared_ptr<const PtpObjectInfoClass> object);
  void saveImage(std::shared_ptr<const PtpObjectInfoClass> object, const std::string& localPath);

  std::unique_ptr<StatusBarViewController> mStatusBarViewController;
  std::unique_ptr<CameraWindowImageArea> mStillImageViewController;
  std::unique_ptr<CameraWindowThumbnailStrip> mThumbnailController;
  std::unique_ptr<CameraWindowControlsPanel> mCameraControlsViewController;
  std::shared_ptr<platform::DispatchQueue> mDownloadImageQueue;
  platform::ScrollView* oThumbnailScrollView = nullptr;
  double mControlsWidth = 0;
  double mThumbnailsHeight = 0;
  int mDownloadsInFlight = 0;
  // Objects whose thumbnail was fetched once more because the strip had no item for them (main thread).
  std::set<std::string> mForcedThumbnails;
  // Objects whose picture was queued for the background at their announcement, before their thumbnail asked for
  // it (main thread).
  std::set<std::string> mEarlyImages;
  // Background downloads queued and not yet returned, by object (main thread).
  std::set<std::string> mBackgroundImagesQueued;
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
  std::vector<platform::ObserverToken> mObservers;
};
