#pragma once
// The connection window: the Connect button, the settings (gear) button and the transfer-only check box. It follows
// the connection status that the session controller posts, asks it for the next step (find the camera, start the
// session), reports failures, reconnects by itself when "AutoReconnect" says so, and opens the camera window or
// the tether-only window once the session has started.
//
// When the device finds no camera on a first connection (the user's own Connect, not an automatic reconnection or
// a camera lost during a session) and a tripod head answers on the device, tripod-only use is offered; otherwise
// the missing camera is reported with what the device sees on its USB port. Both exchanges run on a worker.
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/windows/document_window_controller.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/seam.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_controller.h"

class QCheckBox;
class SYFlatButton;
namespace platform {
class ImageView;
class Window;
}  // namespace platform

// What the connection view asks of the session controller and of the device. The plain one calls the session
// controller and the engine; a test may put its own in place to watch the state machine alone.
class ConnectionSession {
 public:
  virtual ~ConnectionSession() = default;
  virtual void connectToVorlaxent();
  virtual void connectToCamera();
  virtual void startSession();
  virtual void toggleHostMode(bool on);
  // Worker thread: whether a tripod head on the device answers (its battery is read).
  virtual bool tripodHeadAnswers();
  // Worker thread: what the device sees on its USB port (device command 0xD7); none when the exchange fails.
  virtual std::optional<std::string> usbPortReport();
  // Worker thread: whether a model name belongs to a camera that some vendor module knows.
  virtual bool isKnownModel(const std::string& model);
};
using ScopedConnectionSession = platform::Seam<ConnectionSession>::Scoped;

class ConnectionViewController : public platform::ViewController {
  Q_OBJECT

 public:
  explicit ConnectionViewController(platform::Window* parentWindow);
  ~ConnectionViewController() override;

  // Actions.
  void connectAction();
  void settingsAction();
  // One automatic reconnection attempt (timed by the view).
  void reconnect();

  // The state machine for one posted status.
  void connectionStatusChanged(int32_t status);
  // The tripod-only offer: YES when the user takes "Use Tripod".
  bool shouldShowTripodOnlyControls();
  void showTripodControls();
  void sessionStartedNotification();
  void connectionStatusChangedNotification(const platform::Notification& notification);
  void windowDidBecomeKey();
  void refreshMenu();

  // State, for the window's owner and tests.
  int32_t currentConnectionStatus() const { return mCurrentConnectionStatus; }
  bool runsAutoReconnect() const { return mRunAutoReconnect; }
  bool checksCameraStatus() const { return mCheckingCameraStatus; }
  bool isReconnectPending() const { return mReconnectTimer.isValid(); }
  // The camera, tether-only or tripod window the view opened last (null once it has gone).
  DocumentWindowController* sessionWindowController() const { return mSessionWindow; }

  // Outlets.
  SYFlatButton* oConnectButton = nullptr;
  SYFlatButton* oSettingsButton = nullptr;
  QCheckBox* oTransferOnlyCheckButton = nullptr;
  platform::ImageView* oDeviceImageView = nullptr;
  QPointer<platform::Window> oParentWindow;

 protected:
  void loadView() override;
  void viewDidLoad() override;
  void viewDidAppear() override;

 private:
  enum class MissingCameraAnswer { OfferTripod, KnownModel, NotConnected };
  void cameraMissing(bool checkingCamera);
  void missingCameraAnswered(MissingCameraAnswer answer, bool eligible);
  void showMessage(const std::string& message, const std::string& help, bool reconnectEligible);
  void enterState(int32_t state);

  int32_t mCurrentConnectionStatus;
  bool mRunAutoReconnect = false;
  bool mCheckingCameraStatus = false;
  platform::Timer mReconnectTimer;
  // Counts the statuses and Connect presses: an answer worked out on a worker for an older one is dropped.
  uint64_t mGeneration = 0;
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
  QPointer<DocumentWindowController> mSessionWindow;
  std::vector<platform::ObserverToken> mObservers;
};

// The main window, whose content is the connection view.
class ConnectionWindowController : public DocumentWindowController {
  Q_OBJECT

 public:
  ConnectionWindowController();
  ConnectionViewController* connectionViewController() const;

 protected:
  void windowDidLoad() override;
};
