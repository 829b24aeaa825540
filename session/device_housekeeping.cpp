// Device housekeeping of Utilities: the cache folder emptied and aged, the SD card's listing, live view turned
// off before work that needs the camera, and the wait after a firmware update.
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>

#include "engine/link/device_commands.h"
#include "engine/store/cache_folder.h"
#include "engine/store/object_cache.h"
#include "engine/store/sd_listing.h"
#include "engine/timing.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/system_log.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/live_view_switch.h"
#include "session/utilities.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

struct SwitchSlot {
  std::mutex mutex;
  LiveViewSwitch installed;
};

SwitchSlot& switchSlot() {
  static SwitchSlot slot;
  return slot;
}

constexpr int64_t kBytesPerGigabyte = 1000000000;

// A name from the device as a log line may show it: other bytes than printable ASCII as \xNN.
std::string printable(const std::string& name) {
  std::string out;
  for (unsigned char c : name) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(static_cast<char>(c));
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  return out;
}

}  // namespace

void setLiveViewSwitch(LiveViewSwitch liveViewSwitch) {
  std::lock_guard<std::mutex> lock(switchSlot().mutex);
  switchSlot().installed = std::move(liveViewSwitch);
}

LiveViewSwitch currentLiveViewSwitch() {
  std::lock_guard<std::mutex> lock(switchSlot().mutex);
  return switchSlot().installed;
}

// --- the cache folder ---

void Utilities::clearCache() {
  CommandBlockArray commands;
  commands.emplace_back(
      [] {
        const std::string folder = cacheFolderPath();
        std::string error;
        if (!cacheFolderEmpty(folder, defaults().stringForKey("SaveFolderPath"), &error)) {
          showErrorMessage(platform::localizedString("CacheClearFailure") + ": " + error);
          return int32_t{0};
        }
        objCacheClear();
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec || folder.empty()) {
          showErrorMessage(platform::localizedString("CacheCreateFailure") + ": " +
                           (folder.empty() ? std::string("no documents folder") : ec.message()));
          return int32_t{0};
        }
        return int32_t{1};
      },
      platform::localizedString("CacheClear"));
  Command::runCommands(std::move(commands), [](int32_t) {});
}

bool Utilities::checkCacheSize() {
  return checkCacheSize(defaults().integerForKey("CacheSizeGB") * kBytesPerGigabyte, cacheFolderPath());
}

bool Utilities::checkCacheSize(int64_t bytes, const std::string& atUrl) {
  cacheFolderAge(atUrl, bytes, defaults().stringForKey("SaveFolderPath"), ::time(nullptr));
  return true;
}

// --- the SD card ---

std::optional<std::vector<std::string>> Utilities::arrayOfSdCardImages(std::vector<SdCardRefusedName>* refused) {
  if (refused) refused->clear();
  std::vector<std::string> names;
  if (linkListSdCardImages(&names) != PTP_RC_OK || names.empty()) return std::nullopt;
  SdCardListing listing = sdCardListingCheck(names);
  for (const SdCardRefusedName& r : listing.refused)
    platform::systemLogf(platform::LogLevel::Warning, "SD card name refused (0x%04X): %s", r.reason,
                         printable(r.name).c_str());
  if (refused) *refused = std::move(listing.refused);
  return std::move(listing.names);
}

// --- freeing the camera ---

bool Utilities::blockForLiveViewOff() {
  const LiveViewSwitch lv = currentLiveViewSwitch();
  const uint64_t status = lv.status ? lv.status() : CameraController::instance().liveViewStatus();
  if (status == 0) return true;
  if (status == 3) return false;  // a recording is never stopped here
  if (status != 1 && status != 2) return false;
  // The toggle's return block runs on the main queue: waiting for it there would never end.
  if (platform::isMainThread()) return false;
  if (!lv.toggleLiveView) return false;
  auto done = std::make_shared<platform::Semaphore>(0);
  lv.toggleLiveView(false, done);
  done->wait();
  // Only a stored 0x2001 frees the camera: a busy camera or a lost link is a failure whatever its low byte.
  const int32_t result = status == 2 ? (lv.lastToggleMovieStatus ? lv.lastToggleMovieStatus() : 0)
                                     : (lv.lastToggleLiveViewStatus ? lv.lastToggleLiveViewStatus() : 0);
  return result == PTP_RC_OK;
}

// --- after a firmware update ---

void Utilities::showFirmwareWaiting() {
  CommandBlockArray commands;
  commands.emplace_back(
      [] {
        std::this_thread::sleep_for(engineWait(engine_timing::kFirmwareUpdateWait));
        return int32_t{1};
      },
      platform::localizedString("UpdatingFirmware"));
  Command::runCommands(std::move(commands), [](int32_t) {
    showWarningMessage(
        "Please ensure Vorlaxent has finished initializing and join the Vorlaxent WiFi network if necessary.");
  });
}
