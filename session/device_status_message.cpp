// What the session does with the device's asynchronous messages: automation feedback and SD-card status.
#include "engine/ptp/property_access.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/notification_center.h"
#include "session/automation_sequence.h"
#include "session/camera_controller.h"
#include "session/device_status_message_parser.h"
#include "session/notification_names.h"
#include "session/utilities.h"

namespace {

// Progress payloads shorter than these carry no progress record.
constexpr uint32_t kTimeLapseProgressMin = 17;
constexpr uint32_t kHdrProgressMin = 22;

void post(const char* name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

std::string withAutomationName(const std::string& key, uint8_t flags) {
  return platform::localizedString(key) + " " + Utilities::stringForDelayType(flags) + ".";
}

void handleAutomationFeedback(const DeviceMessageContent& m) {
  automationFollowFeedback(m.flags, m.status, m.payload, m.payloadLength);
  switch (m.status) {
    case AUTOMATION_PROGRESS: {
      const platform::Data payload(m.payload, m.payload + m.payloadLength);
      if ((m.flags & kFeedbackTimeLapse) && m.payloadLength >= kTimeLapseProgressMin)
        post(kIntervalometerFeedbackNotification, payload);
      else if ((m.flags & kFeedbackHdr) && m.payloadLength >= kHdrProgressMin)
        post(kHdrFeedbackNotification, payload);
      return;
    }
    case AUTOMATION_COMPLETED:
      if (!(m.flags & kFeedbackHdr))
        Utilities::showInfoMessage(withAutomationName("SuccessfullyCompleted", m.flags), "");
      break;
    case AUTOMATION_CANCELLED: Utilities::showWarningMessage("Automation Cancelled."); break;
    default: Utilities::showErrorMessage(withAutomationName("FailedToComplete", m.flags), m.status); break;
  }
  post(kAutomateRemoveFeedbackNotification);

  // An HDR sequence leaves a Nikon body's exposure settings changed behind the store's back: read them again.
  if ((m.flags & kFeedbackHdr) && camIsNikon()) {
    const VendorPropertyCodes codes = camVendorPropertyCodes();
    for (uint32_t code : {codes.shutterSpeed, codes.aperture, codes.iso})
      if (camRefreshProperty(code) != 1) break;
  }
}

void handleSdCardStatus(const DeviceMessageContent& m) {
  switch (m.status) {
    case PTP_RC_OK: post(kSdCardStatusNotification, platform::Value(true)); break;
    case ERROR_CANCELLED: post(kSdCardStatusNotification, platform::Value(false)); break;
    default: Utilities::showErrorMessage(platform::localizedString("SdCardError")); break;
  }
}

}  // namespace

void handleDeviceStatusMessage(DeviceStatusMessage message) {
  const DeviceMessageContent m = parseDeviceMessage(message.data(), message.size());
  switch (m.kind) {
    case DeviceMessageKind::AutomationFeedback: handleAutomationFeedback(m); break;
    case DeviceMessageKind::SdCardStatus: handleSdCardStatus(m); break;
    case DeviceMessageKind::Ignored: break;
  }
}
