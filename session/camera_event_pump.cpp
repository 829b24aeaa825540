// The camera-event pump and what the session controller does with each event on the event thread.
#include "session/camera_event_pump.h"

#include <cctype>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>

#include "engine/automation/automation_checks.h"
#include "engine/link/device_commands.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "engine/store/object_cache.h"
#include "engine/vendors/canon/canon_card.h"
#include "engine/vendors/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/exif.h"
#include "session/notification_names.h"
#include "session/utilities.h"

namespace {

// The leading bytes of an object that hold its metadata: enough for the focal length of the shot.
constexpr uint32_t kFocalLengthReadSize = Utilities::exifHeaderLength();

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

void post(const std::string& name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

platform::Value wrap(const PtpObjectInfoStruct& record) {
  return platform::Value::object(std::make_shared<PtpObjectInfoClass>(record));
}

std::string fileNameOf(const PtpObjectInfoStruct& record) {
  return std::string(record.fileName, strnlen(record.fileName, sizeof record.fileName));
}

// The text after the name's last dot, upper-cased; empty without a dot.
std::string upperExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

// The session's last activity is kept to the minute: the settings file is written whole at each change, and a burst
// would rewrite it once per picture, where a minute is nothing against the six hours a session lasts.
constexpr std::chrono::seconds kSessionTimeGrain{60};

void noteSessionActivity() {
  const platform::Date now = std::chrono::system_clock::now();
  const platform::Date last = defaults().dateForKey("LastSessionTime");
  // A time ahead of now (the clock was set back) is refreshed as well: it would keep an ended session alive.
  if (now - last >= kSessionTimeGrain || last > now) defaults().setDate(now, "LastSessionTime");
}

bool isOneOf(const std::string& ext, std::initializer_list<const char*> list) {
  for (const char* e : list)
    if (ext == e) return true;
  return false;
}

// Canon's rating query: the object's record gets the camera's value when it differs. Failures only skip it.
void refreshCanonRating(uint32_t handle) {
  uint32_t value = 0;
  if (canonGetObjectValue(handle, 0, &value) != PTP_RC_OK) return;
  PtpObjectInfoStruct record{};
  record.objectId = handle;
  if (Utilities::getObjectInfo(&record) != PTP_RC_OK) return;
  if (record.rating == value) return;
  record.rating = value;
  objCacheStoreObjectInfo(&record);
}

}  // namespace

// --- the pump ---

void processCameraEvents() {
  if (!CameraController::eventGate()) return;
  for (CameraEvent event; camPopEvent(&event)->code != 0;) handleCameraEvent(event);
  // The value before the increment decides: the 15th empty run checks, then counting starts again.
  std::atomic<int32_t>& counter = CameraController::emptyDrainCounter();
  if (counter.fetch_add(1) >= kBatteryCheckEveryEmptyRun - 1) {
    counter = 0;
    CameraController::instance().checkBattery();
  }
}

void startCameraEventDispatch() {
  CameraController::setEventGate(true);
  processCameraEvents();
  CameraController::instance().eventGateOpened();
}

void handleCameraEvent(const CameraEvent& event) {
  CameraController& controller = CameraController::instance();
  switch (event.code) {
    case PTP_EC_ObjectAdded:
      if (CameraController::focalLengthShotFlag()) {
        CameraController::setFocalLengthShotFlag(false);
        controller.getLensLength(&event.objectInfo);
      } else {
        controller.receivedNewObject(event.objectInfo);
      }
      break;
    case PTP_EC_ObjectRemovedEvent:
      controller.forgetPendingObject(&event.objectInfo);
      post(kObjectDeletedNotification, wrap(event.objectInfo));
      break;
    case PTP_EC_DevicePropChanged:
      controller.propertyUpdatedInitial(event.property.record, event.property.propertyCode);
      break;
    case PTP_EC_ObjectInfoChanged:
      controller.cameraObjectChanged(event.objectHandle);
      break;
    case PTP_EC_CANON_ObjectRemoved:
      refreshCanonRating(event.objectHandle);
      controller.cameraObjectChanged(event.objectHandle);
      break;
    case PTP_EC_CANON_OlcInfoChanged:
      controller.olcInfoUpdated(event.olcInfo);
      break;
    default:
      break;
  }
}

// --- new objects ---

std::string CameraController::lastFileName() {
  std::lock_guard<std::mutex> lock(mLastFileNameLock);
  return mLastFileNameString;
}

bool CameraController::shouldDownloadThumbnail(const PtpObjectInfoStruct* record, const std::string& fileName,
                                               const std::string& lastFileName) {
  if (record == nullptr || fileName.empty()) return false;
  if (record->objectId != kObjectIdByName && record->objectCompressedSize == 0) return false;
  const std::string ext = upperExtension(fileName);
  // The camera records both kinds but the user shoots for one: the other kind is not shown.
  if ((camFormatIsRawPlusJpeg() || camFormatIsJpegOnly()) && isOneOf(ext, {"NEF", "CR2", "CR3", "ARW", "RAF"}))
    return false;
  if (camFormatIsRawOnly() && isOneOf(ext, {"JPG", "JPEG"})) return false;
  return fileName != lastFileName;
}

void CameraController::receivedNewObject(PtpObjectInfoStruct record) {
  const std::string name = fileNameOf(record);
  noteSessionActivity();
  std::string last;
  {
    std::lock_guard<std::mutex> lock(mLastFileNameLock);
    // The same name again is the same object only at the same size: a new card's first picture may bear the name
    // of the last one announced.
    if (mLastFileSize == 0 || record.objectCompressedSize == 0 || mLastFileSize == record.objectCompressedSize)
      last = mLastFileNameString;
  }
  if (!shouldDownloadThumbnail(&record, name, last)) return;
  {
    std::lock_guard<std::mutex> lock(mLastFileNameLock);
    mLastFileNameString = name;
    mLastFileSize = record.objectCompressedSize;
  }
  // Once: not when it is in the session, nor when the reload or an earlier announcement has it already.
  if (!claimObject(record)) return;
  if (record.objectId == kObjectIdByName) {
    receivedNewSdCardObject(record);
    return;
  }
  if (camIsNikon()) {
    uint8_t orientation = 0;
    if (linkNewObjectNotice(record.objectId, &orientation) == PTP_RC_OK) record.orientation = orientation;
  }
  objCacheStoreObjectInfo(&record);
  post(kNewObjectNotification, wrap(record));
}

void CameraController::receivedNewSdCardObject(PtpObjectInfoStruct record) {
  const std::string name = fileNameOf(record);
  if (name.empty()) return;
  record.objectFormat = fileFormatForName(record.fileName);
  {
    std::lock_guard<std::mutex> lock(mLastFileNameLock);
    mLastFileNameString = name;
    mLastFileSize = record.objectCompressedSize;
  }
  objCacheStoreObjectInfo(&record);
  post(kNewObjectNotification, wrap(record));
  post(kUpdateSdCardSpaceNotification);
}

void CameraController::getLensLength(const PtpObjectInfoStruct* record) {
  if (record == nullptr) return;
  HeapBlock head;
  if (linkReadObjectPart(*record, 0, kFocalLengthReadSize, &head, 0) != PTP_RC_OK) return;
  // The shot was taken only to learn the focal length: it does not stay on the card.
  camDeleteObject(record->objectId, 0);
  const uint32_t millimetres = Exif::getFocalLength(head.data(), head.size(), record->objectFormat);
  updateFocalLength(static_cast<int32_t>(millimetres));
}

// --- changes ---

void CameraController::cameraObjectChanged(uint32_t handle) {
  if (defaults().integerForKey("AutoViewImages") != 2) return;
  auto record = std::make_shared<PtpObjectInfoStruct>();
  record->objectId = handle;
  if (objCacheLookup(record.get(), false) &&
      (!objCacheGetImagePath(record.get()).empty() || !objCacheGetExtractedJpegPath(record.get()).empty()))
    return;  // already downloaded: nothing new to show
  CommandBlockArray commands;
  commands.emplace_back(
      [record]() -> int32_t {
        PtpObjectInfoStruct cached{};
        if (objCacheCopyObjectInfo(record.get(), &cached)) {
          *record = cached;
          return PTP_RC_OK;
        }
        return camGetObjectInfo(record->objectId, record.get());
      },
      platform::localizedString("DownloadThumbnail"));
  Command::runCommands(std::move(commands), [record](int32_t result) {
    if (result != PTP_RC_OK) {
      Utilities::showErrorMessage("Failed to get object info.", static_cast<uint16_t>(result));
      return;
    }
    post(kSelectMainThumbnailNotification, wrap(*record));
  });
}

void CameraController::olcInfoUpdated(OlcInfoStruct info) {
  post("JW_Olc_" + std::to_string(info.item), platform::Value(info.value));
}

void CameraController::propertyUpdatedInitial(const PropertyStruct* record, uint32_t propertyCode) {
  // A record refilled by a later session holds another code: the event is stale.
  if (record == nullptr || record->code.load() != propertyCode) return;
  post("JW_" + std::to_string(propertyCode));
}

void CameraController::checkBattery() {
  const uint32_t code = camVendorPropertyCodes().batteryLevel;
  if (code == 0) return;
  PropertyStruct* record = propFind(code, true);
  if (record == nullptr) return;
  const uint32_t raw = record->value;
  propUnlock(record);
  post(kCameraBatteryPercentageNotification, platform::Value(camBatteryLevel(raw) & 0xFFu));
}
