#include "controls/property_set_texts.h"

#include <cstdio>

#include "engine/ptp/property_store.h"
#include "engine/ptp/response_code.h"
#include "platform/foundation/localized_strings.h"
#include "session/command.h"
#include "session/ptp_errors.h"
#include "session/utilities.h"

namespace controls {

std::string propertyDisplayName(uint32_t code) {
  if (const char* name = propNameTableEntry(code)) return name;
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(code));
  return hex;
}

std::string localizedWithName(const char* key, const std::string& name) {
  std::string text = platform::localizedString(key);
  const size_t at = text.find("%@");
  if (at == std::string::npos) return text + " " + name;
  return text.replace(at, 2, name);
}

bool propertySetSucceeded(uint16_t result) { return result == PTP_RC_OK || result == ERROR_CANCELLED; }

void showPropertySetError(const std::string& name, uint16_t result) {
  Utilities::showErrorMessage(PtpErrors::appendString(propertySetErrorText(name), result));
}

void runPropertyCommand(const std::string& name, std::function<int32_t()> work, std::function<void(uint16_t)> done,
                        QWidget* overlayView) {
  CommandBlockArray commands;
  commands.push_back(CommandBlock::initWithBlock(std::move(work), settingTitle(name)));
  auto finish = [done = std::move(done)](int32_t result) { done(static_cast<uint16_t>(result)); };
  if (overlayView)
    Command::runCommandsInView(std::move(commands), std::move(finish), overlayView);
  else
    Command::runCommands(std::move(commands), std::move(finish));
}

}  // namespace controls
