#pragma once
// Reading one asynchronous device message (a whole link packet, header included). Free of Qt and of the
// session's services, so that it can be fuzzed on its own. Only the packet's own bytes are read: its length field must lie within what
// arrived, and a payload must lie within the packet.
//
// Automation feedback (0xF7): flags u8 at 5 (bit 0 time-lapse, bit 1 HDR), status u16 at 6, payload length u32
// at 8, payload from 12. SD-card status (0xFD): marker u8 at 9 (0xFE for a card report), status u16 at 10.
#include <cstddef>
#include <cstdint>

enum class DeviceMessageKind {
  Ignored,  // too short, inconsistent, of another type, or an SD-card packet that is not a card report
  AutomationFeedback,
  SdCardStatus,
};

struct DeviceMessageContent {
  DeviceMessageKind kind = DeviceMessageKind::Ignored;
  uint8_t flags = 0;                 // automation feedback
  uint16_t status = 0;               // both kinds
  const uint8_t* payload = nullptr;  // automation feedback: inside the packet given
  uint32_t payloadLength = 0;
};

inline constexpr uint32_t kDeviceMessageHeaderLength = 12;
inline constexpr uint8_t kFeedbackTimeLapse = 0x01;
inline constexpr uint8_t kFeedbackHdr = 0x02;

DeviceMessageContent parseDeviceMessage(const uint8_t* bytes, size_t size);
