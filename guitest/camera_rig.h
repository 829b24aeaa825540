#pragma once
// A camera for window tests: the stand-in device (with its command set, the automation box and the tripod head,
// as the `vorlaxent-devicesim` program wires them) and a simulated body of any vendor on a free loopback port,
// reached through the product's own connection path. The device's address setting is 127.0.0.1 and CommsManager's
// connection seam leads the product's port there to the stand-in's port; connect() then takes the connection
// view's steps (status 3: ask for the camera, 5: start the session) until the session has started and its start-up
// work has been answered. The engine's waits run at kTimeScale.
//
// A connection-window test makes the rig and lets the real window press on: the rig only records the statuses
// then. Destroying the rig ends the session (live-view loop, event thread, link), stops the device and puts the
// engine's and the session controller's state back to a fresh process's. Main thread only.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devicesim/automation_device.h"
#include "devicesim/camera.h"
#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "devicesim/tripod_head.h"
#include "platform/foundation/notification_center.h"

namespace guitest {

// Every engine wait and every widget timer runs at this fraction of its nominal time.
inline constexpr double kTimeScale = 0.1;
// How long a wait for a state may take before it counts as failed; only a failing test waits this long.
inline constexpr std::chrono::milliseconds kWaitLimit{20000};

class CameraRig {
 public:
  // A body of the vendor's default model: "canon", "nikon", "sony" or "fuji" (devicesim's names). An unknown
  // name leaves the rig without a camera; error() says so.
  explicit CameraRig(const std::string& vendor);
  // A camera the test made (with options of its own).
  explicit CameraRig(std::shared_ptr<devicesim::Camera> camera);
  ~CameraRig();
  CameraRig(const CameraRig&) = delete;
  CameraRig& operator=(const CameraRig&) = delete;

  // Why the device is not ready (empty when it listens with a camera behind it).
  const std::string& error() const { return error_; }

  // Connects as the Connect button and the connection view do and waits for the session to start and its
  // start-up exchanges to be answered. False, with the reason in `why`, when a status of failure comes or the
  // wait runs out.
  bool connect(std::string* why = nullptr);
  bool sessionStarted() const { return started_; }

  devicesim::Device& device() { return device_; }
  devicesim::DeviceCommandSet& commands() { return commands_; }
  devicesim::AutomationDevice& automation() { return automation_; }
  devicesim::TripodHead& tripod() { return tripod_; }
  const std::shared_ptr<devicesim::Camera>& camera() const { return camera_; }
  // The camera as its own class (null when it is another).
  template <class T>
  std::shared_ptr<T> cameraAs() const {
    return std::dynamic_pointer_cast<T>(camera_);
  }

  // Every connection status posted since the rig was made, in order.
  std::vector<int32_t> statuses() const;
  // How often the device received a PTP operation or a device command.
  size_t operationCount(uint16_t ptpOperation) const;
  size_t commandCount(uint8_t command) const;

 private:
  void prepare(std::shared_ptr<devicesim::Camera> camera);
  void statusPosted(int32_t status);

  devicesim::DeviceCommandSet commands_;
  devicesim::AutomationDevice automation_;
  devicesim::TripodHead tripod_;
  devicesim::Device device_;
  std::shared_ptr<devicesim::Camera> camera_;
  std::string error_;
  double savedScale_ = 1.0;
  platform::ObserverToken statusToken_{};
  mutable std::mutex mutex_;
  std::vector<int32_t> statuses_;
  std::atomic<bool> standIn_{false};        // the connection view's steps are taken (during connect())
  std::atomic<bool> askedForCamera_{false};
  bool started_ = false;
};

}  // namespace guitest
