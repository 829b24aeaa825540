// Arbitrary bytes as an asynchronous device message (a whole link packet): what the session reads of it.
#include <cstddef>
#include <cstdint>

#include "engine/link/byte_order.h"
#include "session/device_status_message_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const DeviceMessageContent m = parseDeviceMessage(data, size);
    if (m.kind == DeviceMessageKind::Ignored) return 0;
    // A message is read only from a packet whose own length fits what arrived.
    if (size < kDeviceMessageHeaderLength || readLe32(data) > size) __builtin_trap();
    if (m.kind == DeviceMessageKind::AutomationFeedback) {
        // The payload lies inside the packet's own bytes; reading all of it must stay in bounds.
        if (m.payload != data + kDeviceMessageHeaderLength) __builtin_trap();
        if (m.payloadLength > readLe32(data) - kDeviceMessageHeaderLength) __builtin_trap();
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < m.payloadLength; ++i) sum = static_cast<uint8_t>(sum + m.payload[i]);
        (void)sum;
    } else if (m.payload != nullptr || m.payloadLength != 0) {
        __builtin_trap();
    }
    return 0;
}
