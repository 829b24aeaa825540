// The settings that the device passes on to its other clients (the sharing switch, live-view sharing, whether
// clients may save, and the watermark) and the Fujifilm raw-saving switch. None of them talks to the device from
// the main thread.
#include <memory>
#include <optional>

#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/system_log.h"
#include "platform/foundation/user_defaults.h"
#include "session/command.h"
#include "session/utilities.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

constexpr uint8_t kCmdClientsCanSave = 0x81;

bool sharingEnabled() { return defaults().boolForKey("VorlaxentShareEnabled"); }

// Where the settings pushes asked on the main thread run: one at a time in the order asked, so two quick changes
// of one setting reach the device as the user made them. Never destroyed: a push may still wait on the link
// when the program ends.
platform::DispatchQueue& pushQueue() {
  static auto* const queue = new std::shared_ptr<platform::DispatchQueue>(
      platform::createSerialQueue("com.vorlaxent.settings.push"));
  return **queue;
}

// On the main thread: queues `call` on the push queue and answers true. Elsewhere false: the caller goes on.
template <class F>
bool movedOffMainThread(F call) {
  if (!platform::isMainThread()) return false;
  pushQueue().async(std::move(call));
  return true;
}

}  // namespace

void Utilities::refreshSharingCapabilties() {
  if (platform::isMainThread()) {
    platform::globalQueue(platform::QueuePriority::Default).async([] { refreshSharingCapabilties(); });
    return;
  }
  if (sendSharingEnabledFlag() && sharingEnabled()) {
    sendCurrentWatermarkToClients();
    sendCanSaveToClients(defaults().boolForKey("ShareClientsCanSave"));
  }
  refreshLiveViewSharing();
}

bool Utilities::sendSharingEnabledFlag() {
  if (movedOffMainThread([] { sendSharingEnabledFlag(); })) return false;
  const bool enabled = sharingEnabled();
  if (linkSendSharingFlag(enabled ? 1 : 0) == PTP_RC_OK) return true;
  // The device refused: sharing is off, silently. Writing the setting tells its observers even when nothing
  // changes, and the settings window pushes again on every change: only a refused "on" is written, or a device
  // that refuses every 0x70 would be asked again for ever.
  if (enabled) defaults().setBool(false, "VorlaxentShareEnabled");
  return false;
}

void Utilities::refreshLiveViewSharing() {
  if (movedOffMainThread([] { refreshLiveViewSharing(); })) return;
  linkRefreshLiveViewSharing(sharingEnabled() && defaults().boolForKey("ShareLiveView"));
}

std::optional<uint16_t> Utilities::sendSaveFujiRaws(bool save) {
  if (movedOffMainThread([save] { sendSaveFujiRaws(save); })) return std::nullopt;
  const ResponseCode rc = linkSendSaveFujiRaws(save ? 0 : 1);
  if (rc != PTP_RC_OK)
    platform::systemLogf(platform::LogLevel::Warning, "the device did not take the raw-saving switch (0x%04X)",
                         static_cast<unsigned>(rc));
  return rc;
}

void Utilities::sendCanSaveToClients(bool canSave) {
  // Behind the sharing switch asked just before it: a global queue could let the permission overtake it.
  if (movedOffMainThread([canSave] { sendCanSaveToClients(canSave); })) return;
  const uint8_t flag = canSave ? 1 : 0;
  const ResponseCode rc = linkCommand(kCmdClientsCanSave, &flag, 1);
  if (rc != PTP_RC_OK) showErrorMessage(platform::localizedString("ClientCanSaveSendFail"), rc);
}

void Utilities::sendCurrentWatermarkToClients() {
  CommandBlockArray commands;
  commands.emplace_back(
      [] {
        const std::string text = defaults().stringForKey("WatermarkText");
        const auto size = static_cast<uint8_t>(defaults().integerForKey("WatermarkSize") & 0xFF);
        const auto location = static_cast<uint8_t>(defaults().integerForKey("WatermarkLocation") & 0xFF);
        if (defaults().boolForKey("ShowWatermark") && !text.empty())
          return int32_t{linkSendClientRecordB(text, size, location)};
        return int32_t{linkSendClientRecordA(text, size, location)};
      },
      platform::localizedString("WatermarkSendToClients"));
  Command::runCommands(std::move(commands), [](int32_t result) {
    if (result != PTP_RC_OK) showErrorMessage(platform::localizedString("WatermarkSendFail"), static_cast<uint16_t>(result));
  });
}
