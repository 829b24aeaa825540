// The session controller: creation, connecting, session start and what follows it, and the class-wide values.
#include "session/camera_controller.h"

#include <QString>
#include <filesystem>

#include "engine/link/device_commands.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/available_modules.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/vendor_module.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/resources.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_event_pump.h"
#include "session/command.h"
#include "session/comms_manager.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "widgets/jw_alert.h"

namespace {

struct ClassWideState {
  std::atomic<bool> eventGate{false};
  std::atomic<bool> focalLengthShot{false};
  std::atomic<int32_t> emptyDrainCounter{0};
  std::atomic<bool> liveViewKill{false};
  std::atomic<bool> liveViewRunning{false};
  std::atomic<int32_t> focalLength{0};
};

ClassWideState& classWide() {
  static ClassWideState s;
  return s;
}

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

void post(const char* name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

void postConnectionStatus(ConnectionStatus status) {
  post(kVorlaxentConnectionStatusNotification, platform::Value(static_cast<int32_t>(status)));
}

// The code word that switches the hidden mode on when it is the watermark text.
constexpr const char* kHiddenModeWord = "QUIBT";

}  // namespace

// --- creation ---

CameraController& CameraController::instance() {
  // Created once and never destroyed: the engine's threads may still call into it while the process ends.
  static CameraController* const shared = new CameraController();
  return *shared;
}

CameraController::CameraController() {
  mLastLiveViewCmdStatus = 0;
  mLastMovieCmdStatus = 0;
  mLiveViewStatus = 0;
  setFocalLengthShotFlag(false);
  mIsBulbActive = false;
  mIgnoreShutterRelease = false;
  platform::NotificationCenter::defaultCenter().addObserver(
      this, [this](const platform::Notification& n) { sdTransferChangedNotification(&n); },
      kUpdateSdTransferNotification);
  installLiveViewObservers();
}

CameraController::~CameraController() { platform::NotificationCenter::defaultCenter().removeObserver(this); }

// --- connecting ---

void CameraController::connectToVorlaxent() {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([this] { connectToVorlaxent(); });
    return;
  }
  post(kConnectingToVorlaxentNotification);
  CommandBlockArray commands;
  commands.emplace_back([] { return int32_t{CommsManager::connectToServer() ? 1 : 0}; },
                        platform::localizedString("ConnectingVorlaxent"));
  Command::runCommands(std::move(commands), [](int32_t result) {
    postConnectionStatus(result > 0 ? kConnectionStatusDeviceConnected : kConnectionStatusLinkFailed);
  });
}

void CameraController::connectToCamera(const std::optional<std::string>& title) {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([this, title] { connectToCamera(title); });
    return;
  }
  const std::string label = title && !title->empty() ? *title : platform::localizedString("ConnectingCamera");
  auto attached = std::make_shared<uint8_t>(0);
  CommandBlockArray commands;
  commands.emplace_back([attached] { return int32_t{linkCommand10(attached.get())}; }, label);
  Command::runCommands(std::move(commands), [attached](int32_t result) {
    if (result != PTP_RC_OK)
      postConnectionStatus(kConnectionStatusLinkFailed);
    else
      postConnectionStatus(*attached ? kConnectionStatusCameraConnected : kConnectionStatusDeviceConnected);
  });
}

// --- session start ---

void CameraController::startSession() {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([this] { startSession(); });
    return;
  }
  mLiveViewStatus = 0;
  setEventGate(false);
  mIsFocusing = false;
  {
    // A new session: what joins from now on is this session's, and whatever an earlier one left pending is fetched
    // again once the gate opens.
    std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
    ++mConnection;
    mJoinedHandles.clear();
    mJoinedFileNames.clear();
  }
  linkSetEventHandler(handleDeviceStatusMessage);

  if (defaults().stringForKey("WatermarkText") == kHiddenModeWord) {
    defaults().setBool(true, "JWSetting_HRHOME");
    defaults().setBool(false, "ShowWatermark");
  } else {
    defaults().setBool(false, "JWSetting_HRHOME");
  }

  CommandBlockArray commands;
  commands.emplace_back(&CameraController::startSessionWork, platform::localizedString("StartingSession"));
  Command::runCommands(std::move(commands), &CameraController::sessionStartReturned);
}

int32_t CameraController::startSessionWork() {
  if (!instance().autoShareCheck()) return -1;

  vendorRegisterAvailableModules();
  ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, processCameraEvents);
  ptpSetEventPollFunction(linkPollEvents);

  const ResponseCode opened = camStartSession(defaults().boolForKey("HostMode") ? 1 : 0);
  if (opened != PTP_RC_OK) {
    // An unknown model is told apart from every other failure.
    if (opened == ERROR_CAMERA_NOT_SUPPORTED || opened == ERROR_RESERVED_FF10) return opened;
    return -1;
  }

  Utilities::refreshFirmwareVersion();
  if (camIsNikon() && !loadNikonPropertySnapshot()) return -1;
  linkSetClock();  // a clock the device does not take is no reason to give up the session
  prepareCacheFolder();
  refreshSharingCapabilities();
  // Live view of a Fujifilm camera ends through the device, which ends the camera's open capture.
  if (camIsFuji()) camSetLiveViewStopHandler(linkFujiCallback);
  return 1;
}

void CameraController::refreshSharingCapabilities() { Utilities::refreshSharingCapabilties(); }

void CameraController::prepareCacheFolder() {
  const std::string documents = platform::documentsFolder();
  if (documents.empty()) return;
  namespace fs = std::filesystem;
  const fs::path cache = fs::path(documents) / "Cache";
  std::error_code error;  // the folders are a convenience: their failures do not stop the session
  if (!fs::exists(cache, error)) fs::create_directory(cache, error);
  const fs::path watermark = cache / "Watermark";
  fs::remove_all(watermark, error);
  fs::create_directory(watermark, error);
}

bool CameraController::loadNikonPropertySnapshot() {
  // The Nikon module asks the device for its property snapshot and rebuilds the store from it.
  NikonModule* module = vendorNikon();
  return module && module->loadPropertySnapshot() == PTP_RC_OK;
}

void CameraController::sessionStartReturned(int32_t result) {
  if (result < 0) {
    Utilities::showErrorMessage(platform::localizedString("FailedStartSession"));
    postConnectionStatus(kConnectionStatusUnknown);
    return;
  }
  if (result == ERROR_CAMERA_NOT_SUPPORTED) {
    Utilities::showErrorMessage(platform::localizedString("UnsupportedCamera"));
    postConnectionStatus(kConnectionStatusUnknown);
    return;
  }
  if (result == ERROR_RESERVED_FF10) Utilities::showWarningMessage(platform::localizedString("UnsupportedCamera"));
  instance().sessionStarted();
  post(kSessionStartedNotification);
}

bool CameraController::autoShareCheck() {
  uint8_t sharing = 0;
  if (linkGetAutoShare(&sharing) != PTP_RC_OK || sharing == 0) return true;

  std::shared_ptr<JW_Alert> alert;
  platform::mainQueue().sync([&alert] {
    alert = JW_Alert::jwAlertWithStyle(1);
    alert->setTitleText(QStringLiteral("Vorlaxent Sharing Detected"));
    alert->setInformationText(QStringLiteral(
        "The Vorlaxent is currently configured to automatically transfer or print images. Do you want to cancel "
        "this transfer/printing?"));
    alert->setOkButtonText(QStringLiteral("Keep Sharing"), nullptr);
    alert->setCancelButtonText(QStringLiteral("Cancel Sharing"), nullptr);
  });
  const int64_t answer = alert->blockingShow();
  // The alert and its window belong to the main thread: they are let go there.
  platform::mainQueue().sync([&alert] { alert.reset(); });
  if (answer == JW_Alert::kOkResponse) return false;  // the user keeps the device's sharing
  return linkSetAutoShare() == PTP_RC_OK;
}

// --- after the start ---

void CameraController::sessionStarted() {
  updateFocalLength(0);
  if (camIsSony()) defaults().setBool(true, "ClassicFocusStacking");
  sdTransferChangedNotification(nullptr);
  if (camIsFuji()) {
    getFujiFocalLength();
    Utilities::sendSaveFujiRaws(defaults().boolForKey("SaveFujiRaws"));
  }
  camStartEventThread(handlePollError);
  if (liveViewSelectorIsMovie())
    Utilities::showWarningMessage(
        "Please set the live view selector on the camera to stills. Certain controls will not work if it is set to "
        "video.");
}

bool CameraController::liveViewSelectorIsMovie() {
  uint32_t code = 0, movie = 0;
  if (camIsNikon()) {
    code = 0xD1A6;
    movie = 1;
  } else if (camIsCanon()) {
    code = 0xD1B1;
    movie = 2;
  } else {
    return false;
  }
  PropertyStruct* record = propFind(code, true);
  if (!record) return false;
  const bool isMovie = record->value == movie;
  propUnlock(record);
  return isMovie;
}

void handlePollError(ResponseCode result) {
  if (result == PTP_RC_DEVICE_BUSY || result == ERROR_BUSY) return;
  CameraController::instance().connectionError();
}

void CameraController::connectionError() {
  camStopEventThread(false);  // this is the event thread: it is told to stop, never joined from here
  killLiveViewLoop();
  connectToCamera(platform::localizedString("CheckingConnection"));
}

// --- focal length and the live-view loop ---

void CameraController::updateFocalLength(int32_t millimetres) {
  classWide().focalLength = millimetres;
  post(kCanonFocalLengthUpdatedNotification);
}

void CameraController::getFujiFocalLength() {
  platform::globalQueue().async([] {
    FujiModule* fuji = vendorFuji();
    int32_t millimetres = 0;
    if (fuji && fuji->readFocalLength(&millimetres) == PTP_RC_OK) classWide().focalLength = millimetres;
  });
}

int32_t CameraController::focalLength() {
  if (camIsCanon() || camIsFuji()) return classWide().focalLength;
  if (!camIsNikon()) return 0;
  // A Nikon lens reports its focal length in hundredths of a millimetre.
  PropertyStruct* record = propFind(0x5008, true);
  if (!record) return 0;
  const auto millimetres = static_cast<int32_t>(record->value / 100);
  propUnlock(record);
  return millimetres;
}

void CameraController::killLiveViewLoop() { setLiveViewKillFlag(true); }

// --- class-wide values ---

bool CameraController::eventGate() { return classWide().eventGate; }
void CameraController::setEventGate(bool open) { classWide().eventGate = open; }
bool CameraController::focalLengthShotFlag() { return classWide().focalLengthShot; }
void CameraController::setFocalLengthShotFlag(bool on) { classWide().focalLengthShot = on; }
std::atomic<int32_t>& CameraController::emptyDrainCounter() { return classWide().emptyDrainCounter; }
bool CameraController::liveViewKillFlag() { return classWide().liveViewKill; }
void CameraController::setLiveViewKillFlag(bool on) { classWide().liveViewKill = on; }
bool CameraController::liveViewRunning() { return classWide().liveViewRunning; }
void CameraController::setLiveViewRunning(bool running) { classWide().liveViewRunning = running; }

void CameraController::resetClassWideState() {
  ClassWideState& s = classWide();
  s.eventGate = false;
  s.focalLengthShot = false;
  s.emptyDrainCounter = 0;
  s.liveViewKill = false;
  s.liveViewRunning = false;
  s.focalLength = 0;
  // What the one controller remembers of the camera's objects belongs to the session too: a picture seen before
  // would otherwise hide a new one of the same name or handle.
  CameraController& c = instance();
  {
    std::lock_guard<std::recursive_mutex> lock(c.mSessionHandlesLock);
    c.mSessionHandles.reset();
    c.mSessionFileNames.reset();
    c.mPending.clear();
    c.mJoinedHandles.clear();
    c.mJoinedFileNames.clear();
    c.mConnection = 1;
    c.mThumbnailLinkLossSaid = 0;
    c.mImageLinkLossSaid = 0;
    c.mSessionFloor.reset();
  }
  {
    std::lock_guard<std::mutex> lock(c.mThumbnailsQueuedLock);
    c.mThumbnailsQueued.clear();
  }
  std::lock_guard<std::mutex> lock(c.mLastFileNameLock);
  c.mLastFileNameString.clear();
  c.mLastFileSize = 0;
}
