// Asynchronous messages of the device: automation feedback and SD-card status.
//
// Automation feedback (0xF7): flags u8 at 5 (bit 0 time-lapse, bit 1 HDR), status u16 at 6, payload length u32
// at 8, payload from 12. SD-card status (0xFD): marker u8 at 9 (0xFE for a card report), status u16 at 10.
#include "engine/link/byte_order.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/notification_center.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/utilities.h"

namespace {

constexpr uint32_t kMessageHeaderLength = 12;
constexpr uint8_t kFeedbackTimeLapse = 0x01;
constexpr uint8_t kFeedbackHdr = 0x02;
// Progress payloads shorter than these carry no progress record.
constexpr uint32_t kTimeLapseProgressMin = 17;
constexpr uint32_t kHdrProgressMin = 22;
constexpr uint8_t kSdCardReport = 0xFE;

void post(const char* name, const platform::Value& object = {}) {
  platform::NotificationCenter::defaultCenter().postNotificationName(name, object);
}

std::string withAutomationName(const std::string& key, uint8_t flags) {
  return platform::localizedString(key) + " " + Utilities::stringForDelayType(flags) + ".";
}

void handleAutomationFeedback(const uint8_t* packet, uint32_t total) {
  const uint8_t flags = packet[5];
  const uint16_t status = readLe16(packet + 6);
  const uint32_t payloadLength = readLe32(packet + 8);
  // A payload said to run past the packet marks the whole packet as corrupt: neither its payload nor its
  // status is to be trusted.
  if (payloadLength > total - kMessageHeaderLength) return;
  const uint8_t* payload = packet + kMessageHeaderLength;

  switch (status) {
    case AUTOMATION_PROGRESS:
      if ((flags & kFeedbackTimeLapse) && payloadLength >= kTimeLapseProgressMin)
        post(kIntervalometerFeedbackNotification, platform::Data(payload, payload + payloadLength));
      else if ((flags & kFeedbackHdr) && payloadLength >= kHdrProgressMin)
        post(kHdrFeedbackNotification, platform::Data(payload, payload + payloadLength));
      return;
    case AUTOMATION_COMPLETED:
      if (!(flags & kFeedbackHdr)) Utilities::showInfoMessage(withAutomationName("SuccessfullyCompleted", flags), "");
      post(kAutomateRemoveFeedbackNotification);
      break;
    case AUTOMATION_CANCELLED:
      Utilities::showWarningMessage("Automation Cancelled.");
      post(kAutomateRemoveFeedbackNotification);
      break;
    default:
      Utilities::showErrorMessage(withAutomationName("FailedToComplete", flags), status);
      post(kAutomateRemoveFeedbackNotification);
      break;
  }

  // An HDR sequence leaves a Nikon body's exposure settings changed behind the store's back: read them again.
  if ((flags & kFeedbackHdr) && camIsNikon()) {
    const VendorPropertyCodes codes = camVendorPropertyCodes();
    for (uint32_t code : {codes.shutterSpeed, codes.aperture, codes.iso})
      if (camRefreshProperty(code) != 1) break;
  }
}

void handleSdCardStatus(const uint8_t* packet) {
  if (packet[9] != kSdCardReport) return;
  switch (readLe16(packet + 10)) {
    case PTP_RC_OK: post(kSdCardStatusNotification, platform::Value(true)); break;
    case ERROR_CANCELLED: post(kSdCardStatusNotification, platform::Value(false)); break;
    default: Utilities::showErrorMessage(platform::localizedString("SdCardError")); break;
  }
}

}  // namespace

void handleDeviceStatusMessage(DeviceStatusMessage message) {
  const uint8_t* packet = message.data();
  if (!packet || message.size() < kMessageHeaderLength) return;
  // The length the packet gives for itself must fit what arrived; only its own bytes are read.
  const uint32_t total = readLe32(packet);
  if (total < kMessageHeaderLength || total > message.size()) return;
  switch (packet[4]) {
    case AutomationFeedback: handleAutomationFeedback(packet, total); break;
    case SdCardStatusPacket: handleSdCardStatus(packet); break;
    default: break;
  }
}
