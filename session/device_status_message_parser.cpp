#include "session/device_status_message_parser.h"

#include "engine/link/byte_order.h"
#include "engine/link/link.h"

namespace {
constexpr uint8_t kSdCardReport = 0xFE;
}

DeviceMessageContent parseDeviceMessage(const uint8_t* bytes, size_t size) {
  DeviceMessageContent m;
  if (!bytes || size < kDeviceMessageHeaderLength) return m;
  const uint32_t total = readLe32(bytes);
  if (total < kDeviceMessageHeaderLength || total > size) return m;
  switch (bytes[4]) {
    case AutomationFeedback: {
      const uint32_t payloadLength = readLe32(bytes + 8);
      // A payload said to run past the packet marks the whole packet as corrupt: neither its payload nor its
      // status is to be trusted.
      if (payloadLength > total - kDeviceMessageHeaderLength) return m;
      m.kind = DeviceMessageKind::AutomationFeedback;
      m.flags = bytes[5];
      m.status = readLe16(bytes + 6);
      m.payload = bytes + kDeviceMessageHeaderLength;
      m.payloadLength = payloadLength;
      return m;
    }
    case SdCardStatusPacket:
      if (bytes[9] != kSdCardReport) return m;
      m.kind = DeviceMessageKind::SdCardStatus;
      m.status = readLe16(bytes + 10);
      return m;
    default: return m;
  }
}
