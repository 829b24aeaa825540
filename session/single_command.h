#pragma once
// One titled block of device work through the command runner, for the controls that send one command and report
// its answer: the return block receives the block's result as a response code on the main queue.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/foundation/localized_strings.h"
#include "session/command.h"
#include "session/ptp_errors.h"
#include "session/utilities.h"

namespace platform {
class DispatchQueue;
}

// On `queue`; null is the global queue.
inline void runSingleCommand(const std::string& title, std::function<int32_t()> work,
                             std::function<void(uint16_t)> done, platform::DispatchQueue* queue = nullptr) {
  CommandBlockArray commands;
  commands.emplace_back(std::move(work), title);
  Command::runCommandsWithQueue(
      std::move(commands), [done = std::move(done)](int32_t result) { done(static_cast<uint16_t>(result)); }, queue);
}

// The error alert of a text, one blank and the code's text.
inline void showCodeError(const std::string& text, uint16_t code) {
  Utilities::showErrorMessage(PtpErrors::appendString(text, code));
}

// The error alert of the key's text and the code's text, unless the code is 0x2001.
inline void showFailureUnlessOk(uint16_t result, const char* key) {
  if (result != 0x2001) showCodeError(platform::localizedString(key), result);
}
