#include "app/windows/connection_state_machine.h"

#include <QString>

#include "session/utilities.h"

namespace connection_texts {

const char* const kUnknownStatus = "Unknown Connection Status";
const char* const kUnableToConnect = "Unable to connect to Vorlaxent.";
const char* const kJoinNetwork = " Please join the Vorlaxent WiFi network within your computer's System Preferences";
const char* const kConnectionLost = "Connection to Vorlaxent lost.";
const char* const kFirmwareUpdate =
    "Camera may be supported, but a Vorlaxent firmware update may be required. This can be done in the System "
    "section of the Vorlaxent 2 app settings.";
const char* const kCameraNotConnected = "Camera not connected.";

namespace {
// The last line of both help texts.
constexpr const char* kHelpPageLine = "- More help: https://vorlaxent.com/help";

std::string joined(std::initializer_list<const char*> lines) {
  std::string out;
  for (const char* line : lines) out += (out.empty() ? "" : "\n\n") + std::string(line);
  return out;
}
}  // namespace

std::string wifiHelp() {
  return joined({"- Try again", "- Check WiFi is connected to Vorlaxent network", "- Check Vorlaxent battery",
                 "- Restart Vorlaxent app and device", kHelpPageLine});
}

std::string cameraHelp() {
  return joined({"- Try again", "- Confirm camera is on, awake and USB cable is connected", "- Check camera battery",
                 "- Restart camera", "- Ensure in-camera WiFi is disabled",
                 "- Ensure the USB cable is connected in the camera's USB data port and not a power only port",
                 kHelpPageLine});
}

std::string unableToConnect(const std::string& ssid) {
  if (QString::fromStdString(ssid).contains(QStringLiteral("Vorlaxent"), Qt::CaseInsensitive)) return kUnableToConnect;
  return std::string(kUnableToConnect) + kJoinNetwork;
}

}  // namespace connection_texts

ConnectionTransition connectionTransition(int32_t status, int32_t state, bool checkingCamera) {
  ConnectionTransition t;
  t.checkingCamera = checkingCamera;
  // The device still answers but the camera that was connected is gone: it is looked for once more.
  if (status == kConnectionStatusDeviceConnected && state == kConnectionStatusCameraConnected) t.checkingCamera = true;
  switch (status) {
    case kConnectionStatusUnknown:
      t.message = connection_texts::kUnknownStatus;
      t.newState = kConnectionStatusUnknown;
      break;
    case kConnectionStatusLinkFailed:
      t.newState = kConnectionStatusLinkFailed;
      if (state == kConnectionStatusLinkFailed) break;
      if (state == kConnectionStatusConnecting) {
        // The user's own attempt failed: told why, never retried by itself.
        t.message = connection_texts::unableToConnect(Utilities::currentSsid());
        t.help = connection_texts::wifiHelp();
      } else {
        t.message = connection_texts::kConnectionLost;
        t.reconnectEligible = true;
      }
      break;
    case kConnectionStatusDeviceConnected:
      if (state == kConnectionStatusConnectingCamera) {
        t.step = ConnectionStep::CameraMissing;
        t.reconnectEligible = t.checkingCamera;
        t.newState = kConnectionStatusConnectingCamera;
      } else {
        t.step = ConnectionStep::AskForCamera;
        t.newState = kConnectionStatusConnectingCamera;
      }
      break;
    case kConnectionStatusCameraConnected:
      t.step = ConnectionStep::StartSession;
      t.newState = kConnectionStatusCameraConnected;
      break;
    default:
      t.newState = status;
      break;
  }
  return t;
}

MessagePresentation presentationFor(bool reconnectEligible, bool runAutoReconnect, bool autoReconnectSetting) {
  MessagePresentation p;
  p.showForAWhileAndReconnect = (reconnectEligible || runAutoReconnect) && autoReconnectSetting;
  return p;
}
