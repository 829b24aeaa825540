#include "guitest/camera_rig.h"

#include <algorithm>

#include "devicesim/camera_factory.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/sony_camera.h"
#include "engine/link/link.h"
#include "engine/ptp/event_thread.h"
#include "engine/timing.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/fujifilm/fuji_module.h"
#include "engine/vendors/nikon/nikon_module.h"
#include "engine/vendors/sony/sony_module.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/user_defaults.h"
#include "session/session_harness.h"

namespace guitest {
namespace {

// Every vendor module a session start registers, unregistered and back to its first state.
void resetVendorModules() {
  canonUnregisterModule();
  canonResetModule();
  nikonUnregisterModule();
  nikonResetModule();
  sonyUnregisterModule();
  sonyResetModule();
  fujiUnregisterModule();
  fujiResetModule();
}

// The engine and the session controller as a fresh process has them (the object cache is the harness's).
void resetSessionState() {
  resetVendorModules();
  session_testing::resetEngineState();
  CameraController::resetClassWideState();
  Utilities::setCurrentConnectionStatus(kConnectionStatusUnknown);
}

bool waitFor(const std::function<bool()>& condition) { return platform::runMainUntil(condition, kWaitLimit); }

}  // namespace

CameraRig::CameraRig(const std::string& vendor) {
  std::shared_ptr<devicesim::Camera> camera = devicesim::makeCamera(vendor);
  if (!camera) error_ = "no simulated camera of the vendor \"" + vendor + "\"";
  prepare(std::move(camera));
}

CameraRig::CameraRig(std::shared_ptr<devicesim::Camera> camera) {
  if (!camera) error_ = "no camera";
  prepare(std::move(camera));
}

void CameraRig::prepare(std::shared_ptr<devicesim::Camera> camera) {
  savedScale_ = engine_timing::scale().load();
  engine_timing::scale().store(kTimeScale);
  resetSessionState();
  // A loaded machine can hold a thread off the processor for over a second: the read time-out stays long (5 s at
  // this scale), so that a late answer never reads as a lost link.
  linkSetReadTimeout(std::chrono::milliseconds(50000));

  camera_ = std::move(camera);
  commands_.install(device_);
  automation_.install(device_);
  tripod_.install(device_);
  // Sony and Fujifilm bodies keep their pictures on the device's card.
  if (auto fuji = std::dynamic_pointer_cast<devicesim::FujiCamera>(camera_)) fuji->useCard(commands_.cardPointer());
  if (auto sony = std::dynamic_pointer_cast<devicesim::SonyCamera>(camera_)) sony->setCard(commands_.cardPointer());
  if (camera_) {
    // The device holds the camera's PTP session open on its side of the USB port.
    devicesim::PtpOperation open;
    open.code = 0x1002;
    open.params = {1};
    camera_->handleOperation(open);
    device_.setCamera(camera_);
  }
  if (!device_.start(0) && error_.empty()) error_ = "the stand-in device cannot listen on a loopback port";

  platform::UserDefaults::standardUserDefaults().setString("127.0.0.1", "ipAddress");
  session_testing::dialStandIn([this] { return device_.port(); });
  statusToken_ = platform::NotificationCenter::defaultCenter().addObserverForName(
      kVorlaxentConnectionStatusNotification, nullptr,
      [this](const platform::Notification& n) { statusPosted(static_cast<int32_t>(n.object.toInteger())); });
}

CameraRig::~CameraRig() {
  standIn_ = false;
  platform::NotificationCenter::defaultCenter().removeObserver(statusToken_);
  CameraController::killLiveViewLoop();
  waitFor([] { return !CameraController::liveViewRunning(); });
  camStopEventThread(true);
  linkSetEventHandler(nullptr);
  linkDisconnect();
  // A sequence still running on the automation box (a paced run whose shots were not all released) ends before the
  // device it reports to: its thread would otherwise read the device after the rig has dropped it.
  automation_.stop();
  device_.stop();
  // What the session queued for the main queue runs before the state it refers to goes.
  bool drained = false;
  platform::mainQueue().async([&drained] { drained = true; });
  waitFor([&drained] { return drained; });
  CommsManager::resetEnvironment();
  resetSessionState();
  platform::UserDefaults::standardUserDefaults().removeObjectForKey("ipAddress");
  engine_timing::scale().store(savedScale_);
}

void CameraRig::statusPosted(int32_t status) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    statuses_.push_back(status);
  }
  Utilities::setCurrentConnectionStatus(status);
  if (standIn_) session_testing::connectionViewStep(status, askedForCamera_);
}

bool CameraRig::connect(std::string* why) {
  const auto fail = [why](std::string reason) {
    if (why) *why = std::move(reason);
    return false;
  };
  if (!error_.empty()) return fail(error_);
  if (started_) return true;

  session_testing::NotificationLog log({kSessionStartedNotification});
  const size_t before = statuses().size();
  const auto failed = [this, before] {
    const std::vector<int32_t> s = statuses();
    return std::any_of(s.begin() + static_cast<long>(before), s.end(), [](int32_t status) {
      return status == kConnectionStatusLinkFailed || status == kConnectionStatusUnknown;
    });
  };
  askedForCamera_ = false;
  standIn_ = true;
  CameraController::instance().connectToVorlaxent();
  const bool ended = waitFor([&] { return log.count(kSessionStartedNotification) > 0 || failed(); });
  standIn_ = false;
  if (log.count(kSessionStartedNotification) == 0) {
    std::string said;
    for (int32_t s : statuses()) said += (said.empty() ? "" : ", ") + std::to_string(s);
    return fail(std::string(ended ? "the connection failed" : "the session did not start in time") +
                " (statuses: " + (said.empty() ? "none" : said) + ")");
  }
  // The start sends the SD auto-transfer setting in a batch of its own; two event polls after its answer show
  // that nothing of the start is still on its way.
  if (!waitFor([this] { return commandCount(0xB2) > 0; })) return fail("the start's SD setting was not sent");
  const uint64_t cycles = camEventThreadCycles();
  if (!waitFor([cycles] { return camEventThreadCycles() >= cycles + 2; })) return fail("the event thread does not poll");
  started_ = true;
  return true;
}

std::vector<int32_t> CameraRig::statuses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return statuses_;
}

size_t CameraRig::operationCount(uint16_t ptpOperation) const {
  size_t n = 0;
  for (const devicesim::LoggedPacket& p : device_.log()) n += p.ptpOperation == ptpOperation;
  return n;
}

size_t CameraRig::commandCount(uint8_t command) const {
  size_t n = 0;
  for (const devicesim::LoggedPacket& p : device_.log()) n += p.command == command;
  return n;
}

}  // namespace guitest
