// The interface's side of image transfer: fetches into data, the raw test, deletion with its prompt, the copy to
// the device's SD card and the path of an image for sharing.
#include <QString>
#include <cstring>
#include <memory>

#include "engine/link/device_commands.h"
#include "engine/ptp/standard_operations.h"
#include "engine/store/image_files.h"
#include "engine/store/object_cache.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/image_transfer.h"
#include "session/notification_names.h"
#include "session/ptp_object_info_class.h"
#include "session/utilities.h"
#include "widgets/jw_alert.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

bool isCardObject(const PtpObjectInfoStruct& record) { return record.objectId == kObjectIdByName; }

std::string fileNameOf(const PtpObjectInfoStruct& record) {
  return std::string(record.fileName, strnlen(record.fileName, sizeof record.fileName));
}

std::vector<uint8_t> toVector(const HeapBlock& block) { return std::vector<uint8_t>(block.begin(), block.end()); }

}  // namespace

uint16_t Utilities::getObjectInfo(PtpObjectInfoStruct* record) { return refreshObjectInfo(record, false); }

uint16_t Utilities::downloadThumbnail(PtpObjectInfoStruct* record, std::optional<std::vector<uint8_t>>* toData,
                                      uint8_t relayFlag) {
  if (toData == nullptr) return ERROR_INVALID_INPUT;
  toData->reset();
  HeapBlock thumbnail;
  const ResponseCode rc = downloadObjectThumbnail(record, &thumbnail, relayFlag);
  if (rc == PTP_RC_OK && !thumbnail.empty()) *toData = toVector(thumbnail);
  return rc;
}

uint16_t Utilities::downloadImage(PtpObjectInfoStruct* record, std::optional<std::vector<uint8_t>>* toData,
                                  uint8_t relayFlag) {
  const bool quickRaw = defaults().boolForKey("QuickRawMode");
  if (toData != nullptr) toData->reset();
  if (record == nullptr || toData == nullptr) return ERROR_INVALID_INPUT;
  HeapBlock image;
  bool downloaded = false;
  const ResponseCode rc = downloadObjectImage(record, &image, relayFlag, &downloaded, quickRaw);
  if (rc != PTP_RC_OK) return rc;
  *toData = toVector(image);
  // The JPEG extracted from a raw file lacks the orientation the camera recorded for the shot. When it cannot be
  // rewritten the picture still arrives, as the camera made it.
  if (quickRaw && record->orientation != 1 && fileIsRaw(fileNameOf(*record).c_str()))
    if (std::optional<std::vector<uint8_t>> turned = setOrientation(record->orientation, **toData))
      *toData = std::move(turned);
  return PTP_RC_OK;
}

uint16_t Utilities::directDownloadImage(PtpObjectInfoStruct* record, std::optional<std::vector<uint8_t>>* toData) {
  if (toData != nullptr) toData->reset();
  if (toData == nullptr) return ERROR_INVALID_INPUT;
  HeapBlock image;
  bool downloaded = false;
  const ResponseCode rc = downloadObjectImage(record, &image, 0, &downloaded, false);
  if (rc == PTP_RC_OK) *toData = toVector(image);
  return rc;
}

bool Utilities::isObjectRaw(const PtpObjectInfoStruct* record) {
  if (record == nullptr) return false;
  if (!isCardObject(*record) && record->objectFormat != 0) return formatIsRaw(record->objectFormat);
  return fileIsRaw(fileNameOf(*record).c_str());
}

uint16_t Utilities::deleteObject(const PtpObjectInfoStruct* record, bool showPrompt) {
  if (record == nullptr) return ERROR_INVALID_INPUT;
  const bool card = isCardObject(*record);
  if (showPrompt) {
    std::shared_ptr<JW_Alert> alert;
    platform::mainQueue().sync([&alert, card] {
      alert = JW_Alert::jwAlertWithStyle(1);
      alert->setTitleText(QStringLiteral("Delete?"));
      alert->setInformationText(card ? QStringLiteral("Do you want to delete the image from the Vorlaxent's SD card?")
                                     : QStringLiteral("Do you want to delete the image from the camera's card storage?"));
      alert->setOkButtonText(QStringLiteral("Delete"), nullptr);
      alert->setCancelButtonText(QStringLiteral("Cancel"), nullptr);
    });
    const int64_t answer = alert->blockingShow();
    platform::mainQueue().sync([&alert] { alert.reset(); });
    if (answer != JW_Alert::kOkResponse) return ERROR_CANCELLED;
  }
  const ResponseCode rc =
      card ? linkDeleteObject(fileNameOf(*record)) : camDeleteObject(record->objectId, 0);
  if (rc != PTP_RC_OK) return rc;
  // A camera announces its own removal, which leads to the same notification.
  if (card)
    platform::NotificationCenter::defaultCenter().postNotificationName(
        kObjectDeletedNotification, platform::Value::object(std::make_shared<PtpObjectInfoClass>(*record)));
  CameraController::instance().forgetPendingObject(record);
  // The cache folder's own files for it go; whatever was downloaded into the save folder is the user's and stays.
  objCacheRemove(record);
  return PTP_RC_OK;
}

void Utilities::transferImageToSdCard(const PtpObjectInfoStruct* record, bool showDownloadMessage,
                                      bool showSuccessMessage) {
  if (record == nullptr) return;
  const PtpObjectInfoStruct copy = *record;
  std::optional<std::string> title;
  if (showDownloadMessage) title = platform::localizedString("ImageSaveSd");
  CommandBlockArray blocks;
  blocks.push_back(CommandBlock::initWithBlock([copy] { return static_cast<int32_t>(linkCommandFD(copy)); }, title));
  Command::runCommands(std::move(blocks), [showSuccessMessage](int32_t result) {
    if (result == PTP_RC_OK) {
      if (showSuccessMessage) showInfoMessage(platform::localizedString("SdCardSaveInitiatedSuccess"), "");
    } else {
      showErrorMessage(platform::localizedString("SdCardSaveInitiatedFailure"), static_cast<uint16_t>(result));
    }
  });
}
