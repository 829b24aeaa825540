// The sharing settings that the device passes on to its other clients: the sharing switch, live-view sharing,
// whether clients may save, and the watermark. None of them talks to the device from the main thread.
#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "session/command.h"
#include "session/utilities.h"

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

constexpr uint8_t kCmdClientsCanSave = 0x81;

bool sharingEnabled() { return defaults().boolForKey("VorlaxentShareEnabled"); }

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
  if (linkSendSharingFlag(sharingEnabled() ? 1 : 0) == PTP_RC_OK) return true;
  defaults().setBool(false, "VorlaxentShareEnabled");  // the device refused: sharing is off, silently
  return false;
}

void Utilities::refreshLiveViewSharing() {
  linkRefreshLiveViewSharing(sharingEnabled() && defaults().boolForKey("ShareLiveView"));
}

void Utilities::sendCanSaveToClients(bool canSave) {
  if (platform::isMainThread()) {
    platform::globalQueue(platform::QueuePriority::Default).async([canSave] { sendCanSaveToClients(canSave); });
    return;
  }
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
