// The file that stands for an image when it is shared: the raw file itself, its extracted JPEG, the modified JPEG
// or the best cached image, fetched first when the cache has none.
#include <cstring>

#include "engine/store/image_files.h"
#include "engine/store/object_cache.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "session/utilities.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

std::optional<std::string> pathOrNone(std::string path) {
  if (path.empty()) return std::nullopt;
  return path;
}

bool watermarkApplies() {
  return defaults().boolForKey("ShowWatermark") && defaults().boolForKey("WatermarkSave") &&
         !defaults().stringForKey("WatermarkText").empty();
}

// Drawing the watermark into a copy is not available: the chosen file is read and the copy's place formed, then
// the user is told that no watermarked copy could be made.
std::optional<std::string> watermarkedCopy(const PtpObjectInfoStruct& record, const std::string& source,
                                           bool* wasCreated) {
  HeapBlock data;
  if (readWholeFile(source, &data) < 0) {
    Utilities::showErrorMessage("Error getting data from cache file.");
    return std::nullopt;
  }
  const std::string name(record.fileName, strnlen(record.fileName, sizeof record.fileName));
  if (!objCacheFileNameIsSafe(name)) return std::nullopt;
  *wasCreated = true;
  Utilities::showErrorMessage(platform::localizedString("WatermarkCreateError"));
  return std::nullopt;
}

}  // namespace

std::optional<std::string> Utilities::getImagePathForSharing(const PtpObjectInfoStruct* record, bool* wasCreated,
                                                             bool forceUseExtractedJpg, bool forceUseRaw) {
  bool ignored = false;
  if (wasCreated == nullptr) wasCreated = &ignored;
  *wasCreated = false;
  if (record == nullptr) return std::nullopt;
  PtpObjectInfoStruct object = *record;
  const std::string name(object.fileName, strnlen(object.fileName, sizeof object.fileName));
  if (fileIsMovie(name.c_str())) {
    showErrorMessage("Incorrectly using still function for video.");
    return std::nullopt;
  }
  const bool raw = isObjectRaw(&object);

  if (forceUseRaw && raw) {
    std::string path = objCacheGetImagePath(&object);
    if (path.empty()) {
      std::optional<std::vector<uint8_t>> data;
      directDownloadImage(&object, &data);
      if (!data) {
        showErrorMessage(platform::localizedString("ImageDownloadFail"));
        return std::nullopt;
      }
      path = objCacheGetImagePath(&object);
    }
    return pathOrNone(path);
  }

  const bool watermark = watermarkApplies();
  std::string base = objCacheGetModifiedJpegPath(&object);
  if (base.empty()) base = objCacheGetBestImagePath(&object, true);
  if (base.empty()) {
    std::optional<std::vector<uint8_t>> data;
    downloadImage(&object, &data, 0);
    if (!data) {
      showErrorMessage(platform::localizedString("ImageDownloadFail"));
      return std::nullopt;
    }
    base = objCacheGetBestImagePath(&object, true);
    if (base.empty()) return std::nullopt;
  }

  std::string chosen = base;
  if ((raw && forceUseExtractedJpg) || (watermark && fileIsRaw(base.c_str()))) {
    chosen = objCacheGetExtractedJpegPath(&object);
    if (chosen.empty()) chosen = fileReadPreview(&object, base);
    if (chosen.empty()) return std::nullopt;
  }
  if (!watermark) return chosen;
  return watermarkedCopy(object, chosen, wasCreated);
}
