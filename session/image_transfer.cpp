// Record, image and thumbnail fetches through the object cache.
#include "session/image_transfer.h"

#include <cstring>
#include <string>

#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "engine/store/object_cache.h"

namespace {

constexpr uint32_t kNikonOrientationQueryMinSize = 2048;  // smaller objects have no orientation worth asking for
constexpr uint16_t kNikonGetThumb = 0x100A;
constexpr uint16_t kRelayedGetThumb = 0x910A;

bool isCardObject(const PtpObjectInfoStruct& record) { return record.objectId == kObjectIdByName; }

std::string fileNameOf(const PtpObjectInfoStruct& record) {
  return std::string(record.fileName, strnlen(record.fileName, sizeof record.fileName));
}

// Nikon bodies tell the device an object's orientation only when asked; a failed query changes nothing.
// True when the record's orientation byte changed.
bool askNikonOrientation(PtpObjectInfoStruct* record) {
  if (!camIsNikon() || record->orientation != 0 || record->objectCompressedSize <= kNikonOrientationQueryMinSize)
    return false;
  uint8_t orientation = 0;
  if (linkNewObjectNotice(record->objectId, &orientation) != PTP_RC_OK) return false;
  record->orientation = orientation;
  return true;
}

}  // namespace

uint16_t thumbnailOperationForPendingData() { return camIsNikon() ? kNikonGetThumb : kRelayedGetThumb; }

ResponseCode refreshObjectInfo(PtpObjectInfoStruct* record, bool force) {
  if (record == nullptr || isCardObject(*record)) return ERROR_INVALID_INPUT;
  PtpObjectInfoStruct cached{};
  if ((!force || record->imagePixWidth == 0) && objCacheCopyObjectInfo(record, &cached)) {
    *record = cached;
    if (askNikonOrientation(record)) objCacheStoreObjectInfo(record);
    return PTP_RC_OK;
  }
  PtpObjectInfoStruct fetched{};
  const ResponseCode rc = camGetObjectInfo(record->objectId, &fetched);
  if (rc != PTP_RC_OK) return rc;
  *record = fetched;
  askNikonOrientation(record);
  objCacheStoreObjectInfo(record);
  return PTP_RC_OK;
}

ResponseCode downloadObjectImage(const PtpObjectInfoStruct* record, HeapBlock* image, uint8_t relay,
                                 bool* downloaded, bool quickRaw) {
  if (downloaded != nullptr) *downloaded = false;
  if (record == nullptr || image == nullptr || downloaded == nullptr) return ERROR_INVALID_INPUT;
  PtpObjectInfoStruct object = *record;
  if (object.imagePixWidth == 0 && !isCardObject(object)) refreshObjectInfo(&object, false);

  HeapBlock data;
  if (objCacheReadModifiedJpeg(&object, &data)) {
    *image = std::move(data);
    return PTP_RC_OK;
  }

  // Which copy is wanted: the JPEG extracted from a raw file, or the whole file.
  const std::string name = fileNameOf(object);
  const bool card = isCardObject(object);
  if (card && name.empty()) return ERROR_INVALID_INPUT;
  const bool extracted = quickRaw && (card ? fileIsRaw(name.c_str()) : formatIsRaw(object.objectFormat));
  const bool cached = extracted ? objCacheReadExtractedJpeg(&object, &data) : objCacheReadImage(&object, &data);
  if (!cached) {
    uint64_t length = 0;
    ResponseCode rc = PTP_RC_OK;
    if (card)
      rc = extracted ? linkDownloadFilePart(name, &data, relay) : linkDownloadFile(name, &data, &length, relay, &object);
    else
      rc = extracted ? linkTransferObject(object, &data, relay) : linkDownloadObject(object, &data, &length, relay);
    if (rc != PTP_RC_OK) return rc;
    if (!data.empty()) {
      if (extracted)
        objCacheSaveExtractedJpeg(&object, std::string(), data.data(), data.size());
      else
        objCacheSaveImage(&object, data.data(), data.size());
    }
    *downloaded = true;
  }
  if (!data.empty()) *image = std::move(data);
  return PTP_RC_OK;
}

ResponseCode downloadObjectThumbnail(PtpObjectInfoStruct* record, HeapBlock* thumbnail, uint8_t relay) {
  if (record == nullptr || thumbnail == nullptr) return ERROR_INVALID_INPUT;
  thumbnail->reset();
  HeapBlock data;
  if (objCacheReadThumbnail(record, &data)) {
    *thumbnail = std::move(data);
    return PTP_RC_OK;
  }

  ResponseCode rc = PTP_RC_OK;
  if (isCardObject(*record)) {
    uint8_t state = 0;
    rc = linkGetThumbnail(fileNameOf(*record), &data, &state, relay);
    if (rc != PTP_RC_OK) return rc;
    record->orientation = state;
    objCacheStoreObjectInfo(record);
  } else {
    uint8_t state = 0;
    if (relay != 0) {
      // The device wraps the camera's answer for its sharing clients with the object's record.
      const uint32_t key = thumbnailOperationForPendingData();
      DataWrapperHeader header;
      header.length = 10 + sizeof *record;
      header.subCodeA = kShareRelay;
      header.subCodeB = kWrapObjectRecord;
      header.dataLength = sizeof *record;
      linkSetPendingObject(key, record, header);
      rc = ptpGetThumb(record->objectId, &data, &state);
      linkRemovePendingObject(key);
    } else {
      rc = ptpGetThumb(record->objectId, &data, &state);
    }
    if (rc != PTP_RC_OK) return rc;
    if (camIsCanon()) {
      record->orientation = state;
      objCacheStoreObjectInfo(record);
    }
  }
  if (!data.empty()) {
    objCacheSaveThumbnail(record, data.data(), data.size());
    *thumbnail = std::move(data);
  }
  return PTP_RC_OK;
}
