#pragma once
// What every change of a camera setting from the controls shares: the progress title (the "Setting" text with the
// property's display name), the refusal (the "PropertySetError" text with the name, then the result's message),
// which results count as done, and the one-block run through the command runner.
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

namespace controls {

// The display name of a code in the vendor's name table; "0x%04X" when the table has no row for it.
std::string propertyDisplayName(uint32_t code);
// A localized text whose "%@" takes the name (appended after a blank when the text has none).
std::string localizedWithName(const char* key, const std::string& name);
inline std::string settingTitle(const std::string& name) { return localizedWithName("Setting", name); }
inline std::string propertySetErrorText(const std::string& name) { return localizedWithName("PropertySetError", name); }

// 0x2001, and 0xFF16 (the user cancelled a question on the way: nothing to report).
bool propertySetSucceeded(uint16_t result);
// The error alert for a refused set: the "PropertySetError" text with the name, the result's message after it.
void showPropertySetError(const std::string& name, uint16_t result);

// Runs `work` as one block titled "Setting" with the name through the command runner, on the global queue, with
// the overlay over the front window (or, with `overlayView`, asked for by that view); `done` gets the result on
// the main queue.
void runPropertyCommand(const std::string& name, std::function<int32_t()> work, std::function<void(uint16_t)> done,
                        QWidget* overlayView = nullptr);

}  // namespace controls
