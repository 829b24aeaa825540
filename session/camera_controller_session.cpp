// The session controller's session: the check at window opening, the reload, the pick-up of images taken while
// away, forgetting, and the membership that the event pump asks about.
#include <QString>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <unordered_set>

#include "engine/link/device_commands.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "engine/store/object_cache.h"
#include "engine/timing.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/system_log.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/notification_names.h"
#include "session/session_file.h"
#include "session/utilities.h"
#include "widgets/jw_alert.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

// Under six hours between the last object and now counts as the same session.
constexpr int64_t kSessionMaxAgeSeconds = 21599;
constexpr int32_t kReloadFailed = ERROR_GENERAL;
constexpr uint16_t kAssociationFormat = 0x3001;

std::string fileNameOf(const PtpObjectInfoStruct& record) {
  return std::string(record.fileName, strnlen(record.fileName, sizeof record.fileName));
}

bool namesOnly() { return camIsSony() || camIsFuji(); }

platform::Value wrap(const PtpObjectInfoStruct& record) {
  return platform::Value::object(std::make_shared<PtpObjectInfoClass>(record));
}

void post(const char* name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

// Seconds between now and the date, or none when they lie further apart than a signed 32-bit count holds (a
// value that would wrap round to a small age).
bool withinSessionAge(platform::Date last) {
  const int64_t seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now() - last).count();
  if (seconds > std::numeric_limits<int32_t>::max() || seconds < -int64_t{std::numeric_limits<int32_t>::max()})
    return false;
  return (seconds < 0 ? -seconds : seconds) <= kSessionMaxAgeSeconds;
}

// Refreshes a camera object's record; the result as the reload counts it: 1 loaded, 0 skipped, -1 failure.
int refreshForReload(uint32_t handle, PtpObjectInfoStruct* record) {
  *record = PtpObjectInfoStruct{};
  record->objectId = handle;
  const uint16_t rc = Utilities::getObjectInfo(record);
  if (rc == PTP_RC_OK) return 1;
  if (rc == PTP_RC_INVALID_OBJECT_HANDLE) return 0;
  return -1;
}

std::atomic<int>& workInFlight() {
  static std::atomic<int> count{0};
  return count;
}

// Tries of the pick-up in one connection after a failed reload or pick-up. Past them, pictures still waiting to be
// asked for keep the tries going, as long as the link is up: each wait is longer, up to the last of these.
constexpr int kMissedImagesRetries = 4;
constexpr std::chrono::milliseconds kMissedImagesRetryAfter{1000};

// The connection a try is scheduled for (0: none). Failures of the pick-up and of the fetch each ask for one; the
// try fetches and picks up both, so one at a time is enough, and chains that each asked again would multiply.
std::atomic<uint64_t>& retryScheduledFor() {
  static std::atomic<uint64_t> connection{0};
  return connection;
}

// The reload and the pick-up: one titled block; any result but 0x2001 is said in an alert, and `failed` runs.
void runLoadingSession(CommandBlock::Block work, std::function<void()> failed) {
  CommandBlockArray commands;
  commands.emplace_back(std::move(work), platform::localizedString("LoadingSession"));
  ++workInFlight();
  Command::runCommands(std::move(commands), [failed = std::move(failed)](int32_t result) {
    if (result != PTP_RC_OK) {
      Utilities::showErrorMessage(platform::localizedString("LoadSessionFailure"));
      if (failed) failed();
    }
    --workInFlight();
  });
}

}  // namespace

int CameraController::sessionWorkInFlight() { return workInFlight(); }

void CameraController::runQuietly(CommandBlock::Block work) {
  CommandBlockArray commands;
  commands.emplace_back(std::move(work), std::nullopt);
  ++workInFlight();
  // Without an overlay, and failures unsaid: what the work leaves undone stays for the next session.
  Command::runCommandsInView(std::move(commands), [](int32_t) { --workInFlight(); }, nullptr);
}

std::optional<std::vector<uint32_t>> CameraController::sessionHandles() {
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  return mSessionHandles;
}

std::optional<std::vector<std::string>> CameraController::sessionFileNames() {
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  return mSessionFileNames;
}

void CameraController::writeSessionFileLocked() {
  SessionFileContents contents;
  if (mSessionHandles) contents.handles = *mSessionHandles;
  if (mSessionFileNames) contents.fileNames = *mSessionFileNames;
  const std::string error = writeSessionFile(sessionFilePath(), contents);
  if (!error.empty()) platform::systemLogf(platform::LogLevel::Error, "Session file not written: %s", error.c_str());
  mSessionJournalLines = 0;
}

void CameraController::keepSessionEntryLocked(const SessionFileContents& added) {
  // The journal keeps a long shoot from rewriting the whole list per picture; now and then the list takes it in.
  // The first entry creates the list itself, so that the file is there for the next check.
  std::error_code ec;
  if (mSessionJournalLines >= kSessionJournalMax || !std::filesystem::exists(sessionFilePath(), ec)) {
    writeSessionFileLocked();
    return;
  }
  const std::string error = appendToSessionFile(sessionFilePath(), added);
  if (error.empty()) {
    ++mSessionJournalLines;
    return;
  }
  platform::systemLogf(platform::LogLevel::Warning, "Session file journal not written (%s); written whole", error.c_str());
  writeSessionFileLocked();
}

// --- the check ---

void CameraController::checkSession() {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([this] { checkSession(); });
    return;
  }
  const std::string cameraId = camSerialNumber();
  if (cameraId.empty()) return;

  std::error_code ec;
  const std::string path = sessionFilePath();
  const bool same = !path.empty() && std::filesystem::exists(path, ec) &&
                    defaults().stringForKey("LastSessionCameraId") == cameraId &&
                    withinSessionAge(defaults().dateForKey("LastSessionTime"));
  // This camera and now are kept before the user answers: the alert below waits for its answer.
  defaults().setString(cameraId, "LastSessionCameraId");
  // They reach the file from the settings' own writer while the alert is up: the window never waits for the disk.
  defaults().setDate(std::chrono::system_clock::now(), "LastSessionTime");
  if (!same) {
    clearSession();
  } else if (defaults().boolForKey("AutoReloadSession")) {
    loadPreviousSession();
  } else {
    std::shared_ptr<JW_Alert> alert = JW_Alert::jwAlertWithStyle(1);
    alert->setTitleText(QStringLiteral("Load Session"));
    alert->setInformationText(QStringLiteral("Would you like to load the previous session?"));
    alert->setOkButtonText(QStringLiteral("Load Session"), [this](QObject*) { loadPreviousSession(); });
    alert->setCancelButtonText(QStringLiteral("Cancel"), [this](QObject*) { clearSession(); });
    alert->show();
  }
}

// --- forgetting, adding, membership ---

void CameraController::clearSession() {
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  mSessionHandles.emplace();
  mSessionFileNames.emplace();
  if (!removeSessionFile(sessionFilePath()))
    platform::systemLog("Session file could not be deleted", platform::LogLevel::Error);
  // What was shown since this session started (before the user declined the earlier session) stays in it.
  if (mJoinedHandles.empty() && mJoinedFileNames.empty()) return;
  *mSessionHandles = mJoinedHandles;
  *mSessionFileNames = mJoinedFileNames;
  writeSessionFileLocked();
}

void CameraController::addObjectToSessionLocked(const PtpObjectInfoStruct& record) {
  if (record.objectId == kObjectIdByName) {
    const std::string name = fileNameOf(record);
    if (name.empty()) return;
    if (std::find(mJoinedFileNames.begin(), mJoinedFileNames.end(), name) == mJoinedFileNames.end())
      mJoinedFileNames.push_back(name);
    if (!mSessionFileNames) return;
    // Each object once: a second entry would be shown twice by the next reload.
    if (std::find(mSessionFileNames->begin(), mSessionFileNames->end(), name) != mSessionFileNames->end()) return;
    mSessionFileNames->push_back(name);
    keepSessionEntryLocked({{}, {name}});
  } else {
    if (std::find(mJoinedHandles.begin(), mJoinedHandles.end(), record.objectId) == mJoinedHandles.end())
      mJoinedHandles.push_back(record.objectId);
    if (!mSessionHandles) return;
    if (std::find(mSessionHandles->begin(), mSessionHandles->end(), record.objectId) != mSessionHandles->end()) return;
    mSessionHandles->push_back(record.objectId);
    keepSessionEntryLocked({{record.objectId}, {}});
  }
}

void CameraController::addObjectToSession(const PtpObjectInfoStruct* record) {
  if (record == nullptr) return;
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  addObjectToSessionLocked(*record);
}

bool CameraController::containsLocked(const PtpObjectInfoStruct& record, const PtpObjectInfoStruct* cached) {
  bool listed;
  if (record.objectId == kObjectIdByName) {
    const std::string name = fileNameOf(record);
    listed = !name.empty() && mSessionFileNames &&
             std::find(mSessionFileNames->begin(), mSessionFileNames->end(), name) != mSessionFileNames->end();
  } else {
    listed = mSessionHandles &&
             std::find(mSessionHandles->begin(), mSessionHandles->end(), record.objectId) != mSessionHandles->end();
  }
  return listed && (cached == nullptr || objCacheSameObject(*cached, record));
}

bool CameraController::doesSessionContainObject(const PtpObjectInfoStruct* record) {
  if (record == nullptr) return false;
  PtpObjectInfoStruct cached{};
  const bool known = objCacheCopyObjectInfo(record, &cached);
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  return containsLocked(*record, known ? &cached : nullptr);
}

// --- the reload ---

SessionFileReadResult CameraController::reloadSessionArraysLocked(SessionFileContents* stored) {
  mSessionHandles.reset();
  mSessionFileNames.reset();
  // Both kinds are read back: a session may hold camera objects and card files together.
  SessionFileReadResult file = loadSessionFile(sessionFilePath());
  mSessionHandles = file.contents.handles;
  mSessionFileNames = file.contents.fileNames;
  *stored = {};
  for (uint32_t h : file.contents.handles)
    if (std::find(mJoinedHandles.begin(), mJoinedHandles.end(), h) == mJoinedHandles.end())
      stored->handles.push_back(h);
  for (const std::string& n : file.contents.fileNames)
    if (std::find(mJoinedFileNames.begin(), mJoinedFileNames.end(), n) == mJoinedFileNames.end())
      stored->fileNames.push_back(n);
  // Objects shown before the arrays were read back (the gate opened before the reload) stay in the session.
  bool added = false;
  for (uint32_t h : mJoinedHandles)
    if (std::find(mSessionHandles->begin(), mSessionHandles->end(), h) == mSessionHandles->end()) {
      mSessionHandles->push_back(h);
      added = true;
    }
  for (const std::string& n : mJoinedFileNames)
    if (std::find(mSessionFileNames->begin(), mSessionFileNames->end(), n) == mSessionFileNames->end()) {
      mSessionFileNames->push_back(n);
      added = true;
    }
  if (added) writeSessionFileLocked();
  return file;
}

namespace {

// A stored card file still counts as the stored object when the device's file has the size the cache knows for it
// (a card formatted and filled again holds other pictures under the same names). Without a known size, or when the
// device cannot tell, it counts.
// A card file's record as the session knows it: by name, with what the cache holds for it when it holds it.
PtpObjectInfoStruct storedCardRecord(const std::string& name, bool* cachedKnown) {
  PtpObjectInfoStruct record{};
  record.objectId = kObjectIdByName;
  std::memcpy(record.fileName, name.data(), std::min(name.size(), sizeof record.fileName - 1));
  record.fileNameLength = static_cast<uint16_t>(strnlen(record.fileName, sizeof record.fileName) + 1);
  PtpObjectInfoStruct cached{};
  *cachedKnown = objCacheCopyObjectInfo(&record, &cached);
  return *cachedKnown ? cached : record;
}

bool cardFileIsStoredObject(const PtpObjectInfoStruct& cached) {
  if (cached.objectCompressedSize == 0) return true;
  uint64_t size = 0;
  if (linkGetFileSize(fileNameOf(cached), &size) != PTP_RC_OK) return true;
  return size == cached.objectCompressedSize;
}

}  // namespace

void CameraController::loadPreviousSession() {
  uint64_t connection;
  {
    std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
    connection = mConnection;
  }
  runLoadingSession([this, connection]() -> int32_t {
    // A reload whose session has ended leaves the rest to the next session's: every reconnect starts one, and
    // reloads of a long session that ran on after theirs had ended piled up, each walking every picture.
    const auto superseded = [this, connection] {
      std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
      return mConnection != connection;
    };
    // The monitor is taken only for the arrays and the file: the camera traffic below runs without it.
    SessionFileContents stored, session;
    {
      std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
      reloadSessionArraysLocked(&stored);
      session = {mSessionHandles.value_or(std::vector<uint32_t>{}),
                 mSessionFileNames.value_or(std::vector<std::string>{})};
    }
    const bool loadMissed = defaults().boolForKey("LoadMissedImages");
    // What is shown again is kept by handle or name only and its record read again (from the cache) when shown:
    // the records of a long session held at once, by each reload a reconnect started, grew with every picture.
    std::vector<uint32_t> loadedHandles;
    std::vector<std::string> loadedNames;
    std::vector<PtpObjectInfoStruct> missed;
    // Missed objects are claimed here before they are shown; any not shown when the block ends, whichever way, is
    // fetched again by the next session, as an object left half way is.
    struct Unshown {
      CameraController* controller;
      std::vector<PtpObjectInfoStruct> records;
      ~Unshown() { controller->leaveForNextSession(records); }
    } unshown{this, {}};
    // Stopped for a new session: what this reload claimed and did not show goes to that session, whose gate may
    // have opened (and fetched what was left) before it was let go.
    const auto endSuperseded = [this, &unshown]() -> int32_t {
      leaveForNextSession(unshown.records);
      unshown.records.clear();
      if (eventGate()) fetchPendingObjects(1);
      return PTP_RC_OK;
    };

    std::vector<uint32_t> cameraHandles;
    if (namesOnly()) {
      const std::vector<std::string> card = Utilities::arrayOfSdCardImages().value_or(std::vector<std::string>{});
      for (const std::string& name : stored.fileNames) {
        if (superseded()) return endSuperseded();
        if (std::find(card.begin(), card.end(), name) == card.end()) continue;
        bool cached = false;
        const PtpObjectInfoStruct record = storedCardRecord(name, &cached);
        if (cached && !cardFileIsStoredObject(record)) continue;  // another picture of that name now
        loadedNames.push_back(name);
      }
      // Pictures the card holds that the session lacks: their announcements went with a dropped link, or they
      // were taken while the camera was away.
      for (const std::string& name : loadMissed ? namesMissedBySession(card, stored.fileNames, session.fileNames, true)
                                                : std::vector<std::string>{}) {
        if (name.empty() || name.size() >= sizeof(PtpObjectInfoStruct{}.fileName)) continue;
        PtpObjectInfoStruct record{};
        record.objectId = kObjectIdByName;
        std::memcpy(record.fileName, name.data(), name.size());
        record.fileNameLength = static_cast<uint16_t>(name.size() + 1);
        record.objectFormat = fileFormatForName(record.fileName);
        // Its size tells it from a later picture of the same name (a card swapped or formatted, the numbering begun
        // again): a record without one stood for any picture of that name, and such a later one was never fetched.
        uint64_t size = 0;
        if (linkGetFileSize(name, &size) != PTP_RC_OK) return kReloadFailed;
        if (size <= std::numeric_limits<uint32_t>::max()) record.objectCompressedSize = static_cast<uint32_t>(size);
        if (!claimObject(record)) continue;
        missed.push_back(record);
        unshown.records.push_back(record);
      }
    } else {
      // Without the camera's list nothing could be told apart from a deleted object.
      if (camLoadObjectHandles(&cameraHandles) != PTP_RC_OK) return kReloadFailed;
      const std::unordered_set<uint32_t> onCamera(cameraHandles.begin(), cameraHandles.end());
      for (uint32_t handle : stored.handles) {
        if (superseded()) return endSuperseded();
        if (!onCamera.count(handle)) continue;
        PtpObjectInfoStruct record;
        const int got = refreshForReload(handle, &record);
        if (got < 0) return kReloadFailed;
        if (got > 0) loadedHandles.push_back(handle);
      }
      if (loadMissed) {
        // Every handle the session lacks from its first stored picture on: what joined since this start (or in a
        // connection whose reload was cut short) raises no mark, so a picture whose announcement was lost is found
        // however the gate, the reload and the link's drops interleave.
        for (uint32_t handle : handlesMissedBySession(cameraHandles, stored.handles, session.handles, true)) {
          if (handlePending(handle)) continue;  // announced already: the gate's opening fetches it again
          PtpObjectInfoStruct record;
          const int got = refreshForReload(handle, &record);
          if (got < 0) return kReloadFailed;
          // A folder (Canon lists its card's folders among the handles) is no picture taken while away.
          if (got == 0 || record.objectFormat == kAssociationFormat) continue;
          // Announced already (by the pump once the gate opened, or left by an earlier session), or in the session.
          if (!claimObject(record)) continue;
          missed.push_back(record);
          unshown.records.push_back(record);
        }
      }
    }

    const int64_t autoView = defaults().integerForKey("AutoViewImages");
    const bool imagesWanted = autoView == 1 || autoView == 3;
    const auto showThumbnail = [](PtpObjectInfoStruct& record) -> int {
      std::optional<std::vector<uint8_t>> data;
      const uint16_t rc = Utilities::downloadThumbnail(&record, &data, 0);
      // A failed transfer brings no data either: taken for a picture without a thumbnail, the reload succeeded and
      // its claimed picture was left for a reconnect that might never come.
      if (rc != PTP_RC_OK) return -1;
      if (!data || data->empty()) return 0;
      post(kThumbnailDownloadedNotification,
           platform::Value(platform::ValueDictionary{{"thumbnailData", platform::Value(std::move(*data))},
                                                     {"objectInfo", wrap(record)}}));
      return 1;
    };
    for (const std::string& name : loadedNames) {
      if (superseded()) return endSuperseded();
      bool cached = false;
      PtpObjectInfoStruct record = storedCardRecord(name, &cached);
      // A stored picture is in the session already: one whose thumbnail fails is only missing from the strip.
      showThumbnail(record);
    }
    for (uint32_t handle : loadedHandles) {
      if (superseded()) return endSuperseded();
      PtpObjectInfoStruct record;
      const int got = refreshForReload(handle, &record);
      if (got < 0) return kReloadFailed;
      if (got > 0) showThumbnail(record);
    }
    std::vector<PtpObjectInfoStruct> toDownload;
    for (PtpObjectInfoStruct& record : missed) {
      const int shown = showThumbnail(record);
      if (shown < 0) return kReloadFailed;
      if (shown == 0) continue;
      const bool wanted = imagesWanted && !formatIsMovie(record.objectFormat);
      objectShown(record, wanted);
      std::erase_if(unshown.records,
                    [&record](const PtpObjectInfoStruct& r) { return r.objectId == record.objectId; });
      if (wanted) toDownload.push_back(record);
    }
    for (const PtpObjectInfoStruct& record : toDownload) post(kDownloadImageInBackgroundNotification, wrap(record));
    // Claimed and not shown (no thumbnail came): fetched again in this connection, not only after a reconnect.
    if (!unshown.records.empty()) {
      leaveForNextSession(unshown.records);
      unshown.records.clear();
      retryMissedImages(connection, 1);
    }
    return PTP_RC_OK;
  }, [this, connection] { retryMissedImages(connection, 1); });
}

void CameraController::retryMissedImages(uint64_t connection, int attempt) {
  // A picture the camera announced is fetched while the link is up, however often that failed: past the pick-up's
  // own tries, what is remembered and not yet asked for in this connection keeps them going.
  const auto unasked = [this, connection] {
    std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
    return std::any_of(mPending.begin(), mPending.end(),
                       [connection](const auto& entry) { return entry.second.connection != connection; });
  };
  if (attempt > kMissedImagesRetries && !unasked()) return;
  uint64_t scheduledNow = 0;
  if (!retryScheduledFor().compare_exchange_strong(scheduledNow, connection)) {
    if (scheduledNow == connection) return;  // the one scheduled asks for this as well
    retryScheduledFor() = connection;         // one for an ended connection, which will find itself stale
  }
  const int step = std::min(attempt, kMissedImagesRetries);
  platform::dispatchAfter(engineWait(kMissedImagesRetryAfter * step), [this, connection, attempt] {
    uint64_t scheduled = connection;
    retryScheduledFor().compare_exchange_strong(scheduled, 0);
    {
      std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
      if (mConnection != connection) return;  // a new session looks for itself
    }
    if (!eventGate()) return;  // the link went: the next session's gate fetches what is left
    fetchPendingObjects(attempt);
    loadMissedImages(attempt);
  });
}

void CameraController::loadMissedImages() { loadMissedImages(1); }

void CameraController::loadMissedImages(int attempt) {
  uint64_t connection;
  {
    std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
    connection = mConnection;
  }
  runLoadingSession([this]() -> int32_t {
    SessionFileContents stored, session;
    {
      std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
      if (reloadSessionArraysLocked(&stored).status == SessionFileReadResult::Unreadable) return PTP_RC_OK;
      session.handles = mSessionHandles.value_or(std::vector<uint32_t>{});
    }
    // Which card files count as missed is not settled: none are announced for those cameras.
    if (namesOnly()) return PTP_RC_OK;

    std::vector<uint32_t> cameraHandles;
    if (camLoadObjectHandles(&cameraHandles) != PTP_RC_OK) return kReloadFailed;
    std::vector<uint32_t> missedHandles = handlesMissedBySession(cameraHandles, stored.handles, session.handles, false);
    if (stored.handles.empty() && !session.handles.empty()) {
      // A session begun in this connection: its first picture marks where it began, and what the camera took after
      // it without announcing is missed.
      const uint32_t first = *std::min_element(session.handles.begin(), session.handles.end());
      const std::unordered_set<uint32_t> known(session.handles.begin(), session.handles.end());
      for (uint32_t h : cameraHandles)
        if (h > first && !known.count(h)) missedHandles.push_back(h);
    } else if (stored.handles.empty()) {
      // Nothing stored to tell old pictures from missed ones: what the camera held when first looked at is old.
      const std::string camera = camSerialNumber();
      std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
      if (!mSessionFloor || mSessionFloor->camera != camera) {
        mSessionFloor = SessionFloor{camera, std::nullopt};
        if (!cameraHandles.empty()) mSessionFloor->highest = *std::max_element(cameraHandles.begin(), cameraHandles.end());
      } else {
        const std::unordered_set<uint32_t> known(session.handles.begin(), session.handles.end());
        for (uint32_t h : cameraHandles)
          if ((!mSessionFloor->highest || h > *mSessionFloor->highest) && !known.count(h)) missedHandles.push_back(h);
      }
    }
    for (uint32_t handle : missedHandles) {
      if (handlePending(handle)) continue;  // announced already: the gate's opening fetches it again
      PtpObjectInfoStruct record;
      const int got = refreshForReload(handle, &record);
      if (got < 0) return kReloadFailed;
      // Objects without a real thumbnail (folders, sidecar files) are not worth a strip entry. Each is announced as
      // soon as it is found: a dropped link later in the list keeps what was found so far.
      if (got > 0 && record.thumbCompressedSize > 2048 && !formatIsMovie(record.objectFormat) && claimObject(record))
        post(kNewObjectNotification, wrap(record));
    }
    return PTP_RC_OK;
  }, [this, connection, attempt] { retryMissedImages(connection, attempt + 1); });
}
