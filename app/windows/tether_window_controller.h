#pragma once
// The tether-only window: the status bar, and what is being transferred. Every picture the camera announces is
// downloaded at once into the save folder and, once it is there, added to the session; movies are left alone.
// Downloads run side by side on global queues, started from the thread that announces the picture; the label
// (main thread) says "Idle" once the last of them has ended. A failed
// download is reported by one alert at a time.
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "app/windows/document_window_controller.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/view_controller.h"

class PtpObjectInfoClass;
class QLabel;
class StatusBarViewController;
class SYFlatButton;
class TetherWindowController;
class YRKSpinningProgressIndicator;

class TetherViewController : public platform::ViewController {
  Q_OBJECT

 public:
  explicit TetherViewController(TetherWindowController* parentWindowController);
  ~TetherViewController() override;

  void sessionStarted();
  void connectionStatusChangedNotification(const platform::Notification& notification);
  void newObjectNotification(const platform::Notification& notification);
  void downloadObject(std::shared_ptr<const PtpObjectInfoClass> object);
  // Shows one download error at a time (application-wide); further errors while one is up are dropped.
  static void showDownloadError(const std::string& message);
  static bool isDownloadErrorShown();

  // Downloads running now.
  int downloadsRunning() const { return mDownloadsRunning; }
  StatusBarViewController* statusBarViewController() const { return mStatusBarViewController.get(); }

  // Outlets.
  QWidget* oStatusBarParentView = nullptr;
  QLabel* oTransferingLabel = nullptr;
  YRKSpinningProgressIndicator* oProgressIndicator = nullptr;
  SYFlatButton* oSettingsButton = nullptr;
  QPointer<TetherWindowController> oParentWindowController;

 protected:
  void viewDidLoad() override;

 private:
  void onMain(std::function<void()> block);
  // Main thread: the label, the indicator and the count of downloads running.
  void showTransferring(const std::shared_ptr<const PtpObjectInfoClass>& object);
  // Any thread: the download on a global queue, then the count taken down on the main queue.
  void startDownload(std::shared_ptr<const PtpObjectInfoClass> object);

  std::unique_ptr<StatusBarViewController> mStatusBarViewController;
  int mDownloadsRunning = 0;
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
  std::vector<platform::ObserverToken> mObservers;
};

class TetherWindowController : public DocumentWindowController {
  Q_OBJECT

 public:
  TetherWindowController();
  // Makes the controller, shows the window key and in front, titled with the device's address, and hands it to
  // the application delegate.
  static TetherWindowController* createAndShowWindow();
  TetherViewController* tetherViewController() const;
  void settingsAction();
  void sessionRestarted() override;

 protected:
  void windowDidLoad() override;
};
