// Connection status, notification names, automation types, firmware version.
#include "session/utilities.h"

#include <atomic>
#include <cctype>
#include <climits>

#include "engine/link/device_commands.h"

namespace {

struct UtilitiesState {
  std::atomic<int32_t> connectionStatus{kConnectionStatusUnknown};
  std::atomic<uint8_t> firmwareVersion{0};
};

UtilitiesState& state() {
  static UtilitiesState s;
  return s;
}

// Reads a decimal integer at the start of `text` the way the platform's string-to-int reading does: leading
// white space, an optional sign, then digits; no digits reads 0; values beyond 32 bits are clamped.
int32_t leadingInteger(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) break;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

void Utilities::setCurrentConnectionStatus(int32_t status) { state().connectionStatus.store(status); }

int32_t Utilities::currentConnectionStatus() { return state().connectionStatus.load(); }

int32_t Utilities::connectionStatusForInteger(int64_t value) {
  return value >= 1 && value <= 7 ? static_cast<int32_t>(value) : kConnectionStatusUnknown;
}

uint32_t Utilities::propertyCodeFromNotification(const std::string& name) {
  const size_t first = name.find('_');
  if (first == std::string::npos) return 0;
  const size_t next = name.find('_', first + 1);
  const std::string piece = name.substr(first + 1, next == std::string::npos ? std::string::npos : next - first - 1);
  return static_cast<uint32_t>(leadingInteger(piece));
}

std::string Utilities::stringForDelayType(int32_t flags) {
  if (flags & 1) return "intervalometer";
  if (flags & 2) return "advanced bracketing";
  if (flags & 4) return "bulb ramping";
  return "";
}

uint16_t Utilities::refreshFirmwareVersion() {
  uint8_t version = 0;
  const ResponseCode rc = linkGetFirmwareVersion(&version);
  // A failed read keeps the version known so far rather than replacing it with a byte never received.
  if (rc == PTP_RC_OK) state().firmwareVersion.store(version);
  return rc;
}

uint8_t Utilities::firmwareVersion() { return state().firmwareVersion.load(); }
