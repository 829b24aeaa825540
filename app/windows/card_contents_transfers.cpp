// The card browser's work on the selected objects: deleting them (on the camera's card or the device's), taking
// away the items whose objects went, downloading them into the save folder, and showing one in the camera window.
#include <QString>
#include <chrono>
#include <cstring>

#include "app/windows/app_notifications.h"
#include "app/viewing/thumbnail_view_cell.h"
#include "app/windows/card_contents_view_controller.h"
#include "engine/ptp/response_code.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/named_images.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/command_block.h"
#include "session/ptp_errors.h"
#include "session/ptp_object_info_class.h"
#include "session/utilities.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

std::string fileNameOf(const PtpObjectInfoStruct& record) {
  return std::string(record.fileName, strnlen(record.fileName, sizeof(record.fileName)));
}

}  // namespace

void CardContentsViewController::deleteSelectedItems() {
  const int source = mShared->source;
  if (source == kSourceCache) return;
  // The selection as it is now: later changes of the grid do not change what is deleted.
  std::vector<PtpObjectInfoStruct> objects = getSelectedImageObjects();
  if (objects.empty()) return;
  std::shared_ptr<Shared> shared = mShared;
  struct Outcome {
    std::atomic<bool> cancelled{false};
    std::atomic<bool> tookGate{false};
  };
  auto outcome = std::make_shared<Outcome>();
  CommandBlockArray blocks;
  blocks.push_back(CommandBlock::initWithBlock(
      [shared, outcome, objects, source]() -> int32_t {
        std::shared_ptr<JW_Alert> alert;
        platform::mainQueue().sync([&alert, source] {
          alert = JW_Alert::jwAlertWithStyle(1);
          alert->setOkButtonText(QString::fromStdString(platform::localizedString("Delete")), nullptr);
          alert->setCancelButtonText(QString::fromStdString(platform::localizedString("Cancel")), nullptr);
          alert->setTitleText(QString::fromStdString(platform::localizedString("DeletePromptTitle")));
          alert->setInformationText(QString::fromStdString(platform::localizedString(
              source == kSourceDeviceSd ? "DeleteMultipleSdPromptMsg" : "DeleteMultiplePromptMsg")));
        });
        const int64_t answer = alert->blockingShow();
        platform::mainQueue().sync([&alert] { alert.reset(); });
        if (answer != JW_Alert::kOkResponse) {
          outcome->cancelled = true;
          return -1;
        }
        shared->kill = true;
        shared->gate.wait();
        outcome->tookGate = true;
        for (const PtpObjectInfoStruct& record : objects) {
          const uint16_t rc = Utilities::deleteObject(&record, false);
          if (rc != PTP_RC_OK) return rc;
        }
        return PTP_RC_OK;
      },
      platform::localizedString("DeletingImages")));
  Command::runCommands(std::move(blocks), [self = QPointer<CardContentsViewController>(this), shared, outcome](int32_t result) {
    if (outcome->tookGate) shared->gate.signal();
    if (result == PTP_RC_OK) {
      if (self) {
        self->startThumbnailDownload();
        self->mIsAllSelected = false;
        if (self->oSelectBarButton) self->oSelectBarButton->setImage(platform::imageNamed("UncheckedBox"));
      }
    } else if (!outcome->cancelled) {
      Utilities::showErrorMessage(
          PtpErrors::appendString(platform::localizedString("DeleteImageError") + " ", uint16_t(result)));
    }
    if (self) self->refreshBarButtons();
  });
}

void CardContentsViewController::objectDeletedNotification(const platform::Notification& notification) {
  std::shared_ptr<const PtpObjectInfoClass> object = notification.object.object<PtpObjectInfoClass>();
  if (!object) return;
  objectDeleted(*object->origObjectInfo());
}

void CardContentsViewController::objectDeleted(const PtpObjectInfoStruct& record) {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([self = QPointer<CardContentsViewController>(this), record] {
      if (self) self->objectDeleted(record);
    });
    return;
  }
  const bool sd = mShared->source == kSourceDeviceSd;
  const std::string name = fileNameOf(record);
  auto it = std::find_if(mLoadedThumbnailHandles.begin(), mLoadedThumbnailHandles.end(), [&](const Record& r) {
    if (sd) return r.fullImagePath == name;
    return r.objectInfo && r.objectInfo->objectId() == record.objectId && r.fullImagePath == "NA";
  });
  if (it == mLoadedThumbnailHandles.end()) return;
  mLoadedThumbnailHandles.erase(it);
  if (oCollectionView) {
    oCollectionView->deselectAll();
    oCollectionView->reloadData();
  }
  refreshBarButtons();
  if (sd || int(mLoadedThumbnailHandles.size()) < kRestartBelowItems) startThumbnailDownload();
}

void CardContentsViewController::downloadImages() {
  // The selection as it is now, made here on the main thread.
  const std::vector<PtpObjectInfoStruct> objects = getSelectedImageObjects();
  if (objects.empty()) return;
  std::shared_ptr<Shared> shared = mShared;
  shared->cancelDownload = false;
  shared->downloadLoopRunning = true;

  auto alert = JW_Alert::jwAlertWithStyle(1);
  alert->setTitleText(QStringLiteral("Downloading Images..."));
  alert->setInformationText(QStringLiteral("0 / %1").arg(objects.size()));
  alert->setShowProgressIndicator(true);
  alert->setOkButtonText(QStringLiteral("Cancel"), [shared](QObject*) { shared->cancelDownload = true; });
  // The loop keeps the alert until it ends: a Cancel closes it at once, yet the count of what was done still
  // reaches it. The count is shown as each object lands, but no oftener than kProgressInterval, and the last one
  // always: a new layout and paint of the alert per object kept the main thread as busy as the transfer. The
  // interval counts from the start, when the alert shows "0 / n": a first count a few milliseconds later only
  // laid the alert out again while its first show still held the main thread.
  platform::globalQueue().async([shared, objects, alert] {
    const size_t total = objects.size();
    auto showCount = [alert, total](size_t done) {
      alert->setProgress(double(done) / double(total) * 100.0, QStringLiteral("%1 / %2").arg(done).arg(total));
    };
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastShown = Clock::now();
    size_t done = 0, doneShown = 0;
    for (size_t i = 0; i < total; ++i) {
      const PtpObjectInfoStruct& record = objects[i];
      auto object = std::make_shared<PtpObjectInfoClass>(record);
      const std::optional<std::vector<uint8_t>> image =
          CameraController::instance().doDownloadImage(*object, true, false, false);
      if (!image) {
        Utilities::showErrorMessage(QStringLiteral("Failed to download image: %1")
                                        .arg(QString::fromStdString(fileNameOf(record)))
                                        .toStdString());
        break;
      }
      done = i + 1;
      if (shared->cancelDownload) break;
      if (done < total && Clock::now() - lastShown >= kProgressInterval) {
        lastShown = Clock::now();
        doneShown = done;
        platform::mainQueue().async([showCount, done] { showCount(done); });
      }
    }
    // Closed first: the last count then lands in a hidden alert, without the layout of one about to go.
    platform::mainQueue().async([alert, shared, showCount, done, doneShown] {
      alert->close();
      if (done > doneShown) showCount(done);
      shared->downloadLoopRunning = false;
    });
  });
  alert->show();
  // The alert is closed by now, and its window and widgets are let go in the main queue's next turn: taking them
  // down here (about 0.2 ms) only kept the browser from answering once the download had ended.
  platform::mainQueue().async([alert = std::move(alert)] {});
}

void CardContentsViewController::collectionItemViewDoubleClick(ThumbnailViewCell* cell) {
  if (cell && cell->objectInfo()) showImageCell(cell->objectInfo());
}

void CardContentsViewController::showImage(const platform::IndexPath& indexPath) {
  if (indexPath.item < 0 || indexPath.item >= int(mLoadedThumbnailHandles.size())) return;
  const Record& record = mLoadedThumbnailHandles[size_t(indexPath.item)];
  if (record.objectInfo) showImageCell(record.objectInfo);
}

void CardContentsViewController::showImageCell(std::shared_ptr<const PtpObjectInfoClass> object) {
  auto bytes = std::make_shared<std::optional<std::vector<uint8_t>>>();
  const bool relay = defaults().boolForKey("AutoShareImages") && defaults().boolForKey("VorlaxentShareEnabled");
  CommandBlockArray blocks;
  blocks.push_back(CommandBlock::initWithBlock(
      [object, bytes, relay] {
        *bytes = CameraController::instance().doDownloadImage(*object, true, relay, true);
        return int32_t(1);
      },
      std::nullopt));
  Command::runCommands(std::move(blocks), [object, bytes](int32_t) {
    if (!*bytes) return;
    platform::ValueDictionary info;
    info["ObjectInfo"] = platform::Value::object(std::const_pointer_cast<PtpObjectInfoClass>(object));
    info["ImageData"] = platform::Value(platform::Data(**bytes));
    platform::NotificationCenter::defaultCenter().postNotificationName(kImageDataNotification, platform::Value(std::move(info)));
  });
}
