// The save folder (chosen once, kept as its path, reopened at every start) and the cache folder that the object
// cache lives in, with the file-naming settings handed to the object cache.
//
// A kept folder is usable while it is still a folder this program may write into. One that has moved behind a
// link is renewed with the folder it now resolves to; one that is gone or read-only leads back to the chooser.
#include <unistd.h>

#include <QString>

#include <filesystem>
#include <memory>

#include "engine/store/object_cache.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/resources.h"
#include "platform/foundation/system_log.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/folder_chooser.h"
#include "session/utilities.h"
#include "widgets/jw_alert.h"

namespace {

namespace fs = std::filesystem;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

// The folder the kept path leads to when it is a folder that can be written into; empty otherwise, with `why`.
std::string usableFolder(const std::string& path, std::string* why) {
  std::error_code ec;
  if (path.empty() || !fs::is_directory(path, ec)) {
    *why = "not a folder: " + path;
    return {};
  }
  if (::access(path.c_str(), W_OK | X_OK) != 0) {
    *why = "not writable: " + path;
    return {};
  }
  const fs::path resolved = fs::canonical(path, ec);
  if (ec) {
    *why = ec.message();
    return {};
  }
  return resolved.string();
}

platform::Data bookmarkFor(const std::string& folder) { return platform::Data(folder.begin(), folder.end()); }

// Object-cache set-ups run one after the other, so the folder chosen last is the one the cache ends with.
platform::DispatchQueue& cacheSetupQueue() {
  static const std::shared_ptr<platform::DispatchQueue> queue = platform::createSerialQueue("cache-setup");
  return *queue;
}

}  // namespace

std::string Utilities::cacheFolderPath() {
  const std::string documents = platform::documentsFolder();
  return documents.empty() ? std::string() : (fs::path(documents) / "Cache").string();
}

void Utilities::checkFolderAccess() {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([] { checkFolderAccess(); });
    return;
  }
  const platform::Data bookmark = defaults().dataForKey("SandboxBookmark");
  if (bookmark.empty()) {
    selectSaveDataDirectory();
    return;
  }
  const std::string kept(bookmark.begin(), bookmark.end());
  std::string why;
  const std::string folder = usableFolder(kept, &why);
  if (folder.empty()) {
    platform::systemLog("Kept save folder unusable (" + why + ")", platform::LogLevel::Warning);
    selectSaveDataDirectory();
    return;
  }
  if (folder != kept) defaults().setData(bookmarkFor(folder), "SandboxBookmark");  // stale: renewed
  defaults().setString(folder, "SaveFolderPath");
  platform::systemLogf(platform::LogLevel::Notice, "Set Vorlaxent folder path to %s", folder.c_str());
  configureCache();
}

void Utilities::selectSaveDataDirectory() {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([] { selectSaveDataDirectory(); });
    return;
  }
  {
    auto alert = JW_Alert::jwAlertWithStyle(2);
    alert->setTitleText(QStringLiteral("Select Directory"));
    alert->setInformationText(QStringLiteral("Please select a directory to save downloaded images"));
    alert->setOkButtonText(QStringLiteral("OK"), nullptr);
    alert->show();
  }
  const std::optional<std::string> chosen = platform::currentFolderChooser().chooseFolder("Select Directory");
  if (!chosen) return;
  std::string why;
  const std::string folder = usableFolder(*chosen, &why);
  if (folder.empty()) {
    showErrorMessage("Failed to save sandbox data: " + why);
    return;
  }
  defaults().setData(bookmarkFor(folder), "SandboxBookmark");
  defaults().setString(folder, "SaveFolderPath");
  platform::systemLogf(platform::LogLevel::Notice, "Set Vorlaxent 2 folder path to %s", folder.c_str());
  configureCache();
}

void Utilities::configureCache() {
  const std::string cache = cacheFolderPath();
  std::error_code ec;
  if (!cache.empty() && fs::is_directory(cache, ec))
    checkCacheSize();
  else if (!cache.empty())
    fs::create_directories(cache, ec);  // a failure shows later as a cache that keeps nothing
  const std::string save = defaults().stringForKey("SaveFolderPath");
  const std::string prefix = defaults().stringForKey("CustomFileName");
  const bool prepend = defaults().boolForKey("PrependOriginalName");
  cacheSetupQueue().async([cache, save, prefix, prepend] {
    objCacheOpen(cache, save);
    objCacheSetSaveFolder(save);
    objCacheSetFileNamePrefix(prefix, prepend);
  });
}
