// The chunked movie download and its place in the interface (progress bar with Cancel over the front window).
#include "session/movie_download.h"

#include <QPointer>
#include <QString>
#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "engine/link/device_commands.h"
#include "engine/store/object_cache.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/user_defaults.h"
#include "session/command.h"
#include "session/utilities.h"
#include "widgets/mb_progress_hud.h"

namespace {

bool writeAll(int fd, const uint8_t* data, size_t length) {
  while (length > 0) {
    const ssize_t n = ::write(fd, data, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    length -= static_cast<size_t>(n);
  }
  return true;
}

// The partial file; removed on destruction unless it was completed.
class PartialFile {
 public:
  explicit PartialFile(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  }
  ~PartialFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(path_.c_str());
  }
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  bool isOpen() const { return fd_ >= 0; }
  bool write(const uint8_t* data, size_t length) { return writeAll(fd_, data, length); }
  // Closes the file and renames it over `finalPath`.
  bool complete(const std::string& finalPath) {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return false;
    if (::rename(path_.c_str(), finalPath.c_str()) != 0) return false;
    kept_ = true;
    return true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool kept_ = false;
};

bool cancelled(const MovieDownloadHooks& hooks) { return hooks.cancel != nullptr && hooks.cancel->load(); }

}  // namespace

std::string movieFileName(const PtpObjectInfoStruct& record) {
  std::string name(record.fileName, strnlen(record.fileName, sizeof record.fileName));
  const size_t slash = name.rfind('/');
  if (slash != std::string::npos) name.erase(0, slash + 1);
  return objCacheFileNameIsSafe(name) ? name : std::string();
}

MovieDownloadResult downloadMovieToFolder(const PtpObjectInfoStruct& record, const std::string& folder,
                                          const MovieDownloadHooks& hooks) {
  MovieDownloadResult result;
  const std::string name = movieFileName(record);
  if (name.empty()) {
    result.outcome = MovieDownloadOutcome::BadName;
    return result;
  }
  const std::string finalPath = folder + "/" + name;
  PartialFile file(finalPath + ".part");
  if (!file.isOpen()) {
    result.outcome = MovieDownloadOutcome::CreateFailed;
    return result;
  }

  const uint32_t total = record.objectCompressedSize;
  uint32_t offset = 0;
  HeapBlock chunk;
  while (offset < total) {
    const uint32_t count = std::min<uint32_t>(kMovieChunkSize, total - offset);
    const ResponseCode rc = linkReadObjectPart(record, offset, count, &chunk, kShareNone);
    if (rc != PTP_RC_OK) {
      result.outcome = MovieDownloadOutcome::ChunkFailed;
      result.code = rc;
      return result;
    }
    if (cancelled(hooks)) {
      result.outcome = MovieDownloadOutcome::Cancelled;
      return result;
    }
    if (!file.write(chunk.data(), chunk.size())) {
      result.outcome = MovieDownloadOutcome::WriteFailed;
      return result;
    }
    if (hooks.progress) hooks.progress(static_cast<double>(offset) / total);
    if (cancelled(hooks)) {
      result.outcome = MovieDownloadOutcome::Cancelled;
      return result;
    }
    offset += static_cast<uint32_t>(chunk.size());
  }
  if (!file.complete(finalPath)) {
    result.outcome = MovieDownloadOutcome::WriteFailed;
    return result;
  }
  result.path = finalPath;
  return result;
}

void Utilities::downloadVideoToLibrary(PtpObjectInfoStruct record) {
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  auto hud = std::make_shared<QPointer<MBProgressHUD>>();
  platform::mainQueue().sync([cancel, hud] {
    QWidget* host = Command::overlayHostView();
    if (host == nullptr) return;
    MBProgressHUD* overlay = MBProgressHUD::showHUDAddedTo(host, true);
    overlay->setRemoveFromSuperViewOnHide(true);
    overlay->setLabelText(QStringLiteral("0%"));
    overlay->setMode(2);
    overlay->setProgress(0);
    overlay->setupButton(QStringLiteral("Cancel"), [cancel] { cancel->store(true); });
    overlay->show(true);
    *hud = overlay;
  });

  const std::string folder = platform::UserDefaults::standardUserDefaults().stringForKey("SaveFolderPath");
  platform::globalQueue(platform::QueuePriority::Default).async([record, folder, cancel, hud] {
    MovieDownloadHooks hooks;
    hooks.cancel = cancel.get();
    hooks.progress = [hud](double fraction) {
      platform::mainQueue().async([hud, fraction] {
        if (*hud == nullptr) return;
        (*hud)->setProgress(static_cast<float>(fraction));
        char label[16];
        std::snprintf(label, sizeof label, "%0.f%%", fraction * 100);
        (*hud)->setLabelText(QString::fromLatin1(label));
      });
    };
    const MovieDownloadResult result = downloadMovieToFolder(record, folder, hooks);
    switch (result.outcome) {
      case MovieDownloadOutcome::Saved:
      case MovieDownloadOutcome::Cancelled:
        break;
      case MovieDownloadOutcome::BadName:
      case MovieDownloadOutcome::CreateFailed:
        showErrorMessage("Failed to create video file.");
        break;
      case MovieDownloadOutcome::ChunkFailed:
        showErrorMessage("Failed to download video.", result.code);
        break;
      case MovieDownloadOutcome::WriteFailed:
        showErrorMessage("Failed to write data to video file");
        break;
    }
    platform::mainQueue().async([hud] {
      if (*hud != nullptr) (*hud)->hide(true);
      *hud = nullptr;
    });
  });
}
