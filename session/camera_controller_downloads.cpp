// The windows' downloads: an object's thumbnail through the serial thumbnail queue, and its whole image.
#include <cstring>
#include <memory>
#include <mutex>

#include "engine/store/image_files.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/notification_names.h"
#include "session/utilities.h"

namespace {

// The relay flag that has the device hand what it transfers on to its sharing clients.
constexpr uint8_t kRelayToClients = 0xA1;

// How often one picture's thumbnail is asked for again after busy answers while the link stays up.
constexpr int kBusyRefusalsAskedAgain = 8;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

void post(const char* name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

struct ThumbnailDownload {
  PtpObjectInfoStruct record;
  std::optional<std::vector<uint8_t>> data;
};

}  // namespace

void CameraController::downloadThumbnail(PtpObjectInfoStruct record, bool forceAutoView) {
  std::shared_ptr<platform::DispatchQueue> queue;
  {
    static std::mutex creation;
    std::lock_guard<std::mutex> lock(creation);
    if (!mDownloadThumbnailQueue)
      mDownloadThumbnailQueue = platform::createSerialQueue("com.vorlaxent.thumbnail.bgqueue");
    queue = mDownloadThumbnailQueue;
  }
  // A reconnect asks again for every object still waiting for its thumbnail, and the window queues each ask: over
  // many dropped links the queue held the same objects many times over, each a transfer of its own.
  const std::string queued =
      objectKey(record) + "/" + std::to_string(record.objectCompressedSize) + (forceAutoView ? "/shown" : "");
  {
    std::lock_guard<std::mutex> lock(mThumbnailsQueuedLock);
    if (!mThumbnailsQueued.insert(queued).second) return;
  }
  Command::setWaitDialogOffsetToTop();
  ++mThumbnailDownloadsInFlight;
  auto download = std::make_shared<ThumbnailDownload>();
  download->record = record;
  CommandBlockArray commands;
  commands.emplace_back(
      [download]() -> int32_t {
        const uint8_t relay =
            defaults().boolForKey("VorlaxentShareEnabled") && defaults().boolForKey("AutoShareThumbnails")
                ? kRelayToClients
                : 0;
        return Utilities::downloadThumbnail(&download->record, &download->data, relay);
      },
      std::nullopt);
  Command::runCommandsWithQueue(
      std::move(commands),
      [this, download, forceAutoView, queued](int32_t result) {
        struct Returned {
          std::atomic<int>& count;
          ~Returned() { --count; }
        } returned{mThumbnailDownloadsInFlight};
        {
          std::lock_guard<std::mutex> lock(mThumbnailsQueuedLock);
          mThumbnailsQueued.erase(queued);
        }
        if (result != PTP_RC_OK || !download->data || download->data->empty()) {
          // The object stays remembered and is fetched again after the reconnect: a dropped link is said once, not
          // once per thumbnail queued behind it (hundreds in a burst, each a modal alert the main thread sits in).
          if (result != ERROR_CONNECTION_FAILURE || firstLinkLossOfSession(&CameraController::mThumbnailLinkLossSaid))
            Utilities::showErrorMessage(platform::localizedString("ThumbnailDownloadFail"));
          // A busy camera leaves the link up: the picture is asked for again in this connection, not only after a
          // reconnect that may never come. Other answers would only fail again.
          if (result == PTP_RC_DEVICE_BUSY) askAgainForPending(download->record);
          return;
        }
        const platform::Value object = platform::Value::object(std::make_shared<PtpObjectInfoClass>(download->record));
        post(kThumbnailDownloadedNotification,
             platform::Value(platform::ValueDictionary{{"thumbnailData", platform::Value(std::move(*download->data))},
                                                       {"objectInfo", object}}));
        const bool movie = formatIsMovie(download->record.objectFormat);
        const int64_t mode = forceAutoView ? 1 : defaults().integerForKey("AutoViewImages");
        // Shown: in the session now, and remembered until its image is in the save folder when one is wanted.
        objectShown(download->record, !movie && (mode == 1 || mode == 3));
        if (movie) return;
        if (mode == 1)
          post(kSelectMainThumbnailNotification, object);
        else if (mode == 3)
          post(kDownloadImageInBackgroundNotification, object);
      },
      queue.get());
}

std::optional<std::vector<uint8_t>> CameraController::doDownloadImage(const PtpObjectInfoClass& object,
                                                                      bool toggleOffLiveView, bool shouldRelay,
                                                                      bool showError) {
  PtpObjectInfoStruct record = *object.origObjectInfo();
  std::optional<std::vector<uint8_t>> data;
  uint16_t rc;
  // Switching live view off waits for a main-queue block: on the main thread that fails at once instead. A
  // recording is never stopped for a download: the camera stays busy.
  if (toggleOffLiveView && !Utilities::blockForLiveViewOff())
    rc = PTP_RC_DEVICE_BUSY;
  else
    rc = Utilities::downloadImage(&record, &data, shouldRelay ? kRelayToClients : 0);
  if (rc == PTP_RC_OK) {
    imageLanded(record);
    return data;
  }
  // As for thumbnails: the downloads queued behind a dropped link all fail with it, and what they leave undone is
  // fetched after the reconnect.
  if (showError && (rc != ERROR_CONNECTION_FAILURE || firstLinkLossOfSession(&CameraController::mImageLinkLossSaid))) {
    const std::string name(record.fileName, strnlen(record.fileName, sizeof record.fileName));
    Utilities::showErrorMessage("Unable to download " + name, rc);
  }
  return std::nullopt;
}

void CameraController::askAgainForPending(const PtpObjectInfoStruct& record) {
  uint64_t connection;
  {
    std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
    auto it = mPending.find(objectKey(record));
    if (it == mPending.end() || it->second.stage != PendingStage::Announced || it->second.connection != mConnection ||
        it->second.busyRefusals >= kBusyRefusalsAskedAgain)
      return;
    ++it->second.busyRefusals;
    it->second.connection = 0;
    connection = mConnection;
  }
  retryMissedImages(connection, 1);
}

bool CameraController::firstLinkLossOfSession(uint64_t CameraController::*said) {
  std::lock_guard<std::recursive_mutex> lock(mSessionHandlesLock);
  if (this->*said == mConnection) return false;
  this->*said = mConnection;
  return true;
}
