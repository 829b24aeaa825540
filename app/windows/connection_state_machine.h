#pragma once
// The connection window's state machine as a function: what a posted connection status does in the view's
// current state. The view (connection_view_controller.h) carries out the step, shows the message and moves on.
#include <cstdint>
#include <string>

// What the view asks of the session controller next.
enum class ConnectionStep {
  None,
  AskForCamera,   // the device is there: is a camera attached?
  StartSession,   // a camera is attached
  CameraMissing,  // the device found no camera: the tripod offer or the missing-camera report
};

struct ConnectionTransition {
  ConnectionStep step = ConnectionStep::None;
  std::string message;        // empty: nothing to show
  std::string help;           // empty: no help text
  bool reconnectEligible = false;  // the message may lead to an automatic reconnection
  int32_t newState = 0;       // for CameraMissing, the state while the answer is worked out (4)
  bool checkingCamera = false;     // the view's flag afterwards
};

// `status` as read with Utilities::connectionStatusForInteger, `state` the view's state, `checkingCamera` its flag.
ConnectionTransition connectionTransition(int32_t status, int32_t state, bool checkingCamera);

// How a message is shown: for a while and then an automatic reconnection, or as a plain error alert.
struct MessagePresentation {
  bool showForAWhileAndReconnect = false;
};
MessagePresentation presentationFor(bool reconnectEligible, bool runAutoReconnect, bool autoReconnectSetting);

// The texts of the connection window, word for word.
namespace connection_texts {
extern const char* const kUnknownStatus;
extern const char* const kUnableToConnect;
extern const char* const kJoinNetwork;  // appended unless the Wi-Fi network's name contains "Vorlaxent"
extern const char* const kConnectionLost;
extern const char* const kFirmwareUpdate;
extern const char* const kCameraNotConnected;
// The lines of the two help texts, each separated from the next by an empty line.
std::string wifiHelp();
std::string cameraHelp();
// "Unable to connect to Vorlaxent." with or without the sentence about the network, by the network's name.
std::string unableToConnect(const std::string& ssid);
}  // namespace connection_texts
