// The objects between their announcement and the save folder: each announced once, remembered while a thumbnail
// or an image it should get is still missing, and fetched again after a dropped link.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/link/device_commands.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "engine/store/object_cache.h"
#include "platform/foundation/notification_center.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/notification_names.h"

namespace {

void post(const char* name, const PtpObjectInfoStruct& record) {
  platform::NotificationCenter::defaultCenter().postNotificationName(
      name, platform::Value::object(std::make_shared<PtpObjectInfoClass>(record)));
}

bool imageInSaveFolder(const PtpObjectInfoStruct& record) {
  return !objCacheGetImagePath(&record).empty() || !objCacheGetExtractedJpegPath(&record).empty();
}

}  // namespace

std::string CameraController::objectKey(const PtpObjectInfoStruct& record) {
  if (record.objectId != kObjectIdByName) {
    char key[16];
    std::snprintf(key, sizeof key, "#%08X", record.objectId);
    return key;
  }
  return "@" + std::string(record.fileName, strnlen(record.fileName, sizeof record.fileName));
}

bool CameraController::claimObject(const PtpObjectInfoStruct& record) {
  PtpObjectInfoStruct cached{};
  const bool known = objCacheCopyObjectInfo(&record, &cached);
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  if (containsLocked(record, known ? &cached : nullptr)) return false;
  const std::string key = objectKey(record);
  auto it = mPending.find(key);
  // The same object again; another one under the same handle or name replaces it (the older one is gone).
  if (it != mPending.end() && objCacheSameObject(it->second.record, record)) return false;
  mPending[key] = PendingObject{record, PendingStage::Announced, mConnection};
  return true;
}

bool CameraController::handlePending(uint32_t handle) {
  PtpObjectInfoStruct record{};
  record.objectId = handle;
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  return mPending.count(objectKey(record)) != 0;
}

void CameraController::objectShown(const PtpObjectInfoStruct& record, bool imageWanted) {
  const bool landed = imageWanted && imageInSaveFolder(record);
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  addObjectToSessionLocked(record);
  auto it = mPending.find(objectKey(record));
  if (it == mPending.end()) return;
  if (imageWanted && !landed) {
    it->second.stage = PendingStage::ImageWanted;
    it->second.record = record;
  } else {
    mPending.erase(it);
  }
}

void CameraController::imageLanded(const PtpObjectInfoStruct& record) {
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  auto it = mPending.find(objectKey(record));
  if (it != mPending.end() && objCacheSameObject(it->second.record, record)) mPending.erase(it);
}

void CameraController::forgetPendingObject(const PtpObjectInfoStruct* record) {
  if (record == nullptr) return;
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  mPending.erase(objectKey(*record));
}

void CameraController::leaveForNextSession(const std::vector<PtpObjectInfoStruct>& records) {
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  for (const PtpObjectInfoStruct& r : records) {
    auto it = mPending.find(objectKey(r));
    if (it != mPending.end() && it->second.stage == PendingStage::Announced) it->second.connection = 0;
  }
}

std::vector<PtpObjectInfoStruct> CameraController::pendingObjects() {
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  std::vector<PtpObjectInfoStruct> out;
  for (const auto& [key, pending] : mPending) out.push_back(pending.record);
  return out;
}

void CameraController::eventGateOpened() { fetchPendingObjects(1); }

void CameraController::fetchPendingObjects(int attempt) {
  auto due = std::make_shared<std::vector<PendingObject>>();
  uint64_t connection;
  {
    std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
    connection = mConnection;
    for (auto& [key, pending] : mPending) {
      if (pending.connection == connection) continue;  // asked for in this session already
      pending.connection = connection;
      due->push_back(pending);
    }
  }
  if (due->empty()) return;
  runQuietly([this, due, connection, attempt]() -> int32_t {
    // Which of them the camera (or, for card files, the device's card) still has.
    std::vector<uint32_t> handles;
    std::vector<std::string> names;
    const bool anyHandle = std::any_of(due->begin(), due->end(),
                                       [](const PendingObject& p) { return p.record.objectId != kObjectIdByName; });
    const bool anyName = std::any_of(due->begin(), due->end(),
                                     [](const PendingObject& p) { return p.record.objectId == kObjectIdByName; });
    ResponseCode rc = PTP_RC_OK;
    if (anyHandle) rc = camLoadObjectHandles(&handles);
    if (rc == PTP_RC_OK && anyName) rc = linkListSdCardImages(&names);
    if (rc != PTP_RC_OK) {
      // The link failed again: the next session asks once more.
      std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
      for (const PendingObject& p : *due) {
        auto it = mPending.find(objectKey(p.record));
        if (it != mPending.end() && it->second.connection == connection) it->second.connection = 0;
      }
      // A busy camera or a late reply may leave the link up: nothing would ask again before a reconnect.
      retryMissedImages(connection, attempt + 1);
      return rc;
    }
    for (const PendingObject& p : *due) {
      const bool byName = p.record.objectId == kObjectIdByName;
      const std::string name = std::string(p.record.fileName, strnlen(p.record.fileName, sizeof p.record.fileName));
      const bool present = byName ? std::find(names.begin(), names.end(), name) != names.end()
                                  : std::find(handles.begin(), handles.end(), p.record.objectId) != handles.end();
      PendingStage stage;
      {
        std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
        auto it = mPending.find(objectKey(p.record));
        // Shown, downloaded or deleted meanwhile: nothing to do.
        if (it == mPending.end() || !objCacheSameObject(it->second.record, p.record)) continue;
        if (!present) {
          mPending.erase(it);
          continue;
        }
        stage = it->second.stage;
      }
      if (stage == PendingStage::Announced)
        post(kNewObjectNotification, p.record);
      else if (!formatIsMovie(p.record.objectFormat))
        post(kDownloadImageInBackgroundNotification, p.record);
    }
    return PTP_RC_OK;
  });
}
