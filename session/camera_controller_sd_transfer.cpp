// The device's automatic copy of new images onto its SD card.
#include "engine/link/device_commands.h"
#include "engine/ptp/vendor_state.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/utilities.h"

void CameraController::sdTransferChangedNotification(const platform::Notification* notification) {
  (void)notification;
  CommandBlockArray commands;
  commands.emplace_back(
      [] {
        const ResponseCode sent = setSdTransfer();
        if (sent != PTP_RC_OK) return int32_t{sent};
        if (platform::UserDefaults::standardUserDefaults().boolForKey("SdCardAutoTransfer")) {
          uint64_t present = 0, freeBytes = 0;
          if (linkGetSdShotsAvailable(&present, &freeBytes) != PTP_RC_OK || present == 0 || freeBytes == 0)
            Utilities::showErrorMessage("Auto copy to Vorlaxent SD card requires an SD card in the Vorlaxent.");
        }
        return int32_t{sent};
      },
      platform::localizedString("SdTransferUpdate"));
  Command::runCommands(std::move(commands), [](int32_t result) {
    if (result != PTP_RC_OK)
      Utilities::showErrorMessage(platform::localizedString("SdTransferUpdateFailed"), static_cast<uint16_t>(result));
  });
}

ResponseCode CameraController::setSdTransfer() {
  if (Utilities::currentConnectionStatus() != kConnectionStatusCameraConnected) return ERROR_CONNECTION_FAILURE;
  const platform::UserDefaults& settings = platform::UserDefaults::standardUserDefaults();
  // Sony and Fujifilm bodies store their images on the device's card themselves.
  const bool autoCopy = settings.boolForKey("SdCardAutoTransfer") && !camIsSony() && !camIsFuji();
  return linkSetSdTransfer(autoCopy ? 1 : 0, settings.stringForKey("SdPrefix"), std::string());
}
