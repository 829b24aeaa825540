#include "app/windows/card_contents_loader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cstring>
#include <optional>

#include "engine/ptp/response_code.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "engine/store/sd_listing.h"
#include "engine/vendors/canon/canon_models.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/localized_strings.h"
#include "session/ptp_errors.h"
#include "session/ptp_object_info_class.h"
#include "session/utilities.h"

namespace card_contents {

namespace {

constexpr uint16_t kFormatJpeg = 0x3801;
constexpr uint16_t kFormatMp4 = 0xB982;

std::string upper(std::string text) {
  for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string extensionOf(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : upper(name.substr(dot + 1));
}

// The format a device-SD name gives; MP4 movies, which the name table does not know, count as the MP4 format.
uint16_t sdFormatForName(const std::string& name) {
  const uint16_t format = fileFormatForName(name.c_str());
  if (format == 0 && extensionOf(name) == "MP4") return kFormatMp4;
  return format;
}

void updatePending(Shared& s) {
  s.pendingCount = s.fileNames.size() + s.handles.size() + s.canonEntries.size();
}

// The gate for the scope of a run; the downloading flag goes with it.
class RunScope {
 public:
  explicit RunScope(Shared& s) : s_(s) {
    s_.gate.wait();
    s_.downloading = true;
  }
  ~RunScope() {
    updatePending(s_);
    s_.gate.signal();
    s_.downloading = false;
  }
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  Shared& s_;
};

void showFailure(const char* key, uint16_t code) {
  Utilities::showErrorMessage(platform::localizedString(key), code);
}

std::shared_ptr<const PtpObjectInfoClass> wrap(const PtpObjectInfoStruct& record) {
  return std::make_shared<PtpObjectInfoClass>(record);
}

void sdLoop(Shared& s, const HandOver& handOver, uint64_t generation) {
  const int filter = s.filter;
  int failures = 0;
  while (!s.fileNames.empty()) {
    if (s.kill) return;
    const std::string name = s.fileNames.front();
    const uint16_t format = sdFormatForName(name);
    if (!formatPassesFilter(format, filter) || name.size() >= sizeof(PtpObjectInfoStruct::fileName)) {
      s.fileNames.pop_front();
      continue;
    }
    PtpObjectInfoStruct record{};
    record.objectId = kObjectIdByName;
    record.objectFormat = format;
    std::memcpy(record.fileName, name.data(), name.size());
    record.fileNameLength = uint16_t(name.size() + 1);
    std::optional<std::vector<uint8_t>> data;
    const uint16_t rc = Utilities::downloadThumbnail(&record, &data, 0);
    s.fileNames.pop_front();
    if (rc == PTP_RC_OK && data) {
      QByteArray thumbnail = storedThumbnail(*data);
      if (!thumbnail.isEmpty()) handOver(Record{std::move(thumbnail), wrap(record), name}, generation);
      continue;
    }
    if (failures >= CardContentsViewController::kSdFailuresPerRun || rc == ERROR_CONNECTION_FAILURE) {
      showFailure("ThumbnailDownloadFail", rc);
      return;
    }
    ++failures;
  }
}

void cameraLoop(Shared& s, const HandOver& handOver, uint64_t generation) {
  const int filter = s.filter;
  while (!s.handles.empty()) {
    if (s.kill) return;
    PtpObjectInfoStruct record{};
    record.objectId = s.handles.front();
    uint16_t rc = Utilities::getObjectInfo(&record);
    if (rc != PTP_RC_OK) {
      s.handles.pop_front();
      Utilities::showErrorMessage(PtpErrors::appendString(platform::localizedString("ThumbnailDownloadFail") + " ", rc));
      return;
    }
    if (record.thumbFormat == 0 || !formatPassesFilter(record.objectFormat, filter)) {
      s.handles.pop_front();
      continue;
    }
    if (s.kill) return;
    std::optional<std::vector<uint8_t>> data;
    rc = Utilities::downloadThumbnail(&record, &data, 0);
    if (rc == PTP_RC_NO_THUMBNAIL_PRESENT) {
      s.handles.pop_front();
      continue;
    }
    if (rc != PTP_RC_OK || !data) {
      s.handles.pop_front();
      showFailure("ThumbnailDownloadFail", rc);
      return;
    }
    QByteArray thumbnail = storedThumbnail(*data);
    if (thumbnail.isEmpty()) {
      s.handles.pop_front();
      showFailure("ThumbnailDisplayFail", PTP_RC_OK);
      return;
    }
    if (s.kill) return;  // the handle stays pending for the next run
    s.handles.pop_front();
    handOver(Record{std::move(thumbnail), wrap(record), "NA"}, generation);
  }
}

QByteArray encoded(const QImage& image, const char* format, int quality) {
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format, quality);
  return out;
}

// Drawn once; lossless, so that it shows exactly as drawn.
QByteArray unknownThumbnail() {
  static const QByteArray stored = encoded(
      VorlaxentStyleKit::imageOfUnknownThumbnailWithSize(
          {CardContentsViewController::kThumbnailWidth, CardContentsViewController::kThumbnailHeight})
          .render(),
      "PNG", -1);
  return stored;
}

void canonLoop(Shared& s, const HandOver& handOver, uint64_t generation) {
  while (!s.canonEntries.empty()) {
    if (s.kill) return;
    const CanonObjectEntry entry = s.canonEntries.front();
    if (entry.format == kCanonFolderFormat) {
      s.canonEntries.pop_front();
      continue;
    }
    // Only what the entry holds for certain: its size, time and rating are other fields here and stay 0 until a
    // download completes the record.
    PtpObjectInfoStruct record{};
    record.objectId = entry.handle;
    record.objectFormat = uint16_t(entry.format & 0xFFFF);
    record.parentObject = entry.parent;
    const size_t nameLength = strnlen(entry.fileName, sizeof(entry.fileName));
    std::memcpy(record.fileName, entry.fileName, std::min(nameLength, sizeof(record.fileName) - 1));
    record.fileNameLength = uint16_t(std::strlen(record.fileName) + 1);
    std::optional<std::vector<uint8_t>> data;
    const uint16_t rc = Utilities::downloadThumbnail(&record, &data, 0);
    if (rc != PTP_RC_OK || !data) {
      s.canonEntries.pop_front();
      showFailure("ThumbnailDownloadFail", rc);
      return;
    }
    QByteArray thumbnail = storedThumbnail(*data);
    if (thumbnail.isEmpty()) thumbnail = unknownThumbnail();
    if (s.kill) return;  // the entry stays pending for the next run
    s.canonEntries.pop_front();
    handOver(Record{std::move(thumbnail), wrap(record), "NA"}, generation);
  }
}

}  // namespace

bool formatPassesFilter(uint16_t format, int filter) {
  switch (filter) {
    case CardContentsViewController::kFilterJpeg: return formatIsJpegOrTiff(format);
    case CardContentsViewController::kFilterRaw: return formatIsRaw(format);
    case CardContentsViewController::kFilterMovie: return formatIsMovie(format);
    default: return true;
  }
}

std::vector<std::string> filterSdNames(const std::vector<std::string>& names, int filter) {
  if (filter == CardContentsViewController::kFilterAll) return names;
  std::vector<std::string> kept;
  for (const std::string& name : names) {
    const std::string ext = extensionOf(name);
    bool keep = false;
    switch (filter) {
      case CardContentsViewController::kFilterJpeg: keep = ext == "JPG"; break;
      case CardContentsViewController::kFilterRaw:
        keep = ext == "CR2" || ext == "CR3" || ext == "NEF" || ext == "ARW" || ext == "RAF";
        break;
      case CardContentsViewController::kFilterMovie: keep = ext == "MOV" || ext == "MP4"; break;
      default: break;
    }
    if (keep) kept.push_back(name);
  }
  return kept;
}

bool nikonRawListedInReverse() {
  const uint8_t model = camModelIndex();
  for (const char* name : {"D500", "Z 5", "Z 6", "Z 6_2", "Z 7", "Z 7_2", "Z 50", "Z6_3"})
    if (nikonLookupModel(name).modelIndex == model) return true;
  return false;
}

QByteArray storedThumbnail(const std::vector<uint8_t>& bytes) {
  QImage image = QImage::fromData(bytes.data(), int(bytes.size()));
  if (image.isNull()) return {};
  const QSize box(int(CardContentsViewController::kThumbnailWidth),
                  int(CardContentsViewController::kThumbnailHeight));
  if (image.width() <= box.width() && image.height() <= box.height())
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
  return encoded(image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation), "JPG", 90);
}

ListingResult loadThumbnailHandles(Shared& s, uint64_t generation) {
  ListingResult result;
  const int source = s.source;
  const int filter = s.filter;
  // Listed outside the gate: the loader may still finish its last item meanwhile.
  std::deque<std::string> names;
  std::deque<uint32_t> handles;
  std::deque<CanonObjectEntry> entries;
  if (source == CardContentsViewController::kSourceDeviceSd) {
    std::vector<SdCardRefusedName> refused;
    const std::optional<std::vector<std::string>> listed = Utilities::arrayOfSdCardImages(&refused);
    result.refusedNames = int(refused.size());
    if (listed) {
      for (std::string& name : filterSdNames(*listed, filter)) {
        if (name.size() >= sizeof(PtpObjectInfoStruct::fileName)) {
          ++result.refusedNames;
          continue;
        }
        names.push_back(std::move(name));
      }
    }
  } else if (source == CardContentsViewController::kSourceCamera && camIsCanon()) {
    const uint16_t format = filter == CardContentsViewController::kFilterJpeg  ? kFormatJpeg
                            : filter == CardContentsViewController::kFilterRaw ? canonRawObjectFormat()
                                                                               : 0;
    std::vector<CanonObjectEntry> list;
    const ResponseCode rc = canonLoadObjectTree(&list, false, format);
    if (rc != PTP_RC_OK) {
      Utilities::showErrorMessage(platform::localizedString("ThumbnailHandleError"), rc);
    } else {
      for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (formatPassesFilter(uint16_t(it->format & 0xFFFF), filter) || it->format == kCanonFolderFormat)
          entries.push_back(*it);
    }
  } else if (source == CardContentsViewController::kSourceCamera) {
    std::vector<uint32_t> list;
    if (camGetObjectHandles(0xFFFFFFFF, 0, 0, &list) == PTP_RC_OK) {
      handles.assign(list.rbegin(), list.rend());
      if (camIsNikon() && filter == CardContentsViewController::kFilterRaw && !nikonRawListedInReverse())
        std::reverse(handles.begin(), handles.end());
    }
  }
  s.gate.wait();
  s.fileNames = std::move(names);
  s.handles = std::move(handles);
  s.canonEntries = std::move(entries);
  s.listGeneration = generation;
  updatePending(s);
  s.gate.signal();
  return result;
}

void downloadThumbnails(Shared& s, const HandOver& handOver) {
  RunScope run(s);
  const uint64_t generation = s.listGeneration;
  switch (s.source) {
    case CardContentsViewController::kSourceDeviceSd: sdLoop(s, handOver, generation); break;
    case CardContentsViewController::kSourceCamera:
      if (camIsCanon()) canonLoop(s, handOver, generation);
      else cameraLoop(s, handOver, generation);
      break;
    default: break;
  }
}

}  // namespace card_contents
