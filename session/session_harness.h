#pragma once
// What the session tests and the soak run share to stand where the application's windows and the user stand
// (header only, no test framework): the engine's state reset, the device dialled through CommsManager's
// connection seam (the product's port 8382 on 127.0.0.1 leads to the stand-in's port), the connection view's
// steps (3: ask for the camera, 5: start the session), the camera window's thumbnail fetch of every new object,
// a presenter that notes every alert and answers it, and a recorder of notifications.
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/ptp/container.h"
#include "engine/ptp/transaction.h"
#include "engine/vendors/vendor_test_doubles.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "session/camera_controller.h"
#include "session/comms_manager.h"
#include "session/notification_names.h"
#include "session/ptp_object_info_class.h"
#include "session/utilities.h"
#include "session/utilities_alert_recorder.h"
#include "widgets/jw_alert.h"

namespace session_testing {

inline constexpr const char* kSharingAlertTitle = "Vorlaxent Sharing Detected";

// Notes every alert that reaches the screen and answers the modal ones: the sharing question as told, every
// other alert with its OK button.
class AnsweringPresenter : public AlertRecorder {
 public:
  std::atomic<bool> keepSharing{true};

  AnsweringPresenter() {
    answer = [this](JW_Alert& alert, const ShownAlert& shown) {
      if (shown.title == kSharingAlertTitle && !keepSharing)
        alert.cancelAction(alert.oCancelButton);
      else
        alert.okAction(alert.oOkButton);
    };
  }
};

// Every post of the given names, in order, from whichever thread posted it.
class NotificationLog {
 public:
  explicit NotificationLog(std::vector<std::string> names) {
    for (const std::string& name : names)
      tokens_.push_back(platform::NotificationCenter::defaultCenter().addObserverForName(
          name, nullptr, [this](const platform::Notification& n) {
            std::lock_guard<std::mutex> lock(mutex_);
            posts_.push_back({n.name, n.object});
          }));
  }
  ~NotificationLog() {
    for (const platform::ObserverToken& token : tokens_) platform::NotificationCenter::defaultCenter().removeObserver(token);
  }
  NotificationLog(const NotificationLog&) = delete;
  NotificationLog& operator=(const NotificationLog&) = delete;

  std::vector<platform::Value> objects(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<platform::Value> out;
    for (const auto& [n, object] : posts_)
      if (n == name) out.push_back(object);
    return out;
  }
  size_t count(const std::string& name) const { return objects(name).size(); }
  std::vector<std::string> names() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> out;
    for (const auto& post : posts_) out.push_back(post.first);
    return out;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, platform::Value>> posts_;
  std::vector<platform::ObserverToken> tokens_;
};

}  // namespace session_testing

namespace session_testing {

// The engine's module state back to a fresh process's.
inline void resetEngineState() {
  linkResetState();
  linkResetDeviceCommandState();
  ptpResetContainerState();
  ptpResetTransactionState();
  vendorStateReset();
  test_vendor::resetCoreState();
}

// Dials the stand-in device: the product's own address and port lead to `port()`, any other goes where it says.
// Each dial is told to `noted` first (may be empty). No interface and no discovery answer is found.
inline void dialStandIn(std::function<uint16_t()> port,
                        std::function<void(const std::string& host, uint16_t port)> noted = nullptr) {
  CommsEnvironment environment;
  environment.connect = [port = std::move(port), noted = std::move(noted)](const char* host, uint16_t p) {
    if (noted) noted(host, p);
    const bool product = std::string(host) == "127.0.0.1" && p == kLinkDefaultPort;
    return linkConnect(host, product ? port() : p);
  };
  environment.interfaces = [] {
    return std::vector<platform::NetworkInterfaceAddress>{{"eth0", "10.20.30.40", true, false, true}};
  };
  environment.discoveryTargets = {{"127.0.0.1", 9}};  // the discard port: nothing answers there
  environment.discoveryBindAddress = "127.0.0.1";
  CommsManager::setEnvironment(environment);
}

// The connection view's next step for a status it was told: 3 asks for the camera (once per round, as the view's
// flag allows), 5 starts the session.
inline void connectionViewStep(int32_t status, std::atomic<bool>& askedForCamera) {
  if (status == kConnectionStatusDeviceConnected && !askedForCamera.exchange(true))
    CameraController::instance().connectToCamera(std::nullopt);
  else if (status == kConnectionStatusCameraConnected)
    CameraController::instance().startSession();
}

// The camera window's part in the event flow: every new object's thumbnail is fetched on the main queue, as the
// window does on "JWNotification_NewObject".
class CameraWindowStandIn {
 public:
  // `fetching` (none: always) tells whether the window fetches thumbnails now.
  explicit CameraWindowStandIn(std::function<bool()> fetching = nullptr) {
    token_ = platform::NotificationCenter::defaultCenter().addObserverForName(
        kNewObjectNotification, nullptr, [fetching = std::move(fetching)](const platform::Notification& n) {
          if (fetching && !fetching()) return;
          auto object = n.object.object<PtpObjectInfoClass>();
          if (!object) return;
          const PtpObjectInfoStruct record = *object->origObjectInfo();
          platform::mainQueue().async([record] { CameraController::instance().downloadThumbnail(record, false); });
        });
  }
  ~CameraWindowStandIn() { platform::NotificationCenter::defaultCenter().removeObserver(token_); }
  CameraWindowStandIn(const CameraWindowStandIn&) = delete;
  CameraWindowStandIn& operator=(const CameraWindowStandIn&) = delete;

 private:
  platform::ObserverToken token_{};
};

}  // namespace session_testing
