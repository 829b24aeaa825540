#pragma once
// What the program is asked on its command line, read before any window system is touched (so that --help and
// --version answer on a machine without a display), and the fonts every window draws with.
#include <optional>
#include <string>
#include <vector>

struct CommandLine {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  // The device's address to use instead of discovering one (--ipAddress); empty means discovery.
  std::optional<std::string> ipAddress;
  // Press Connect once the connection window shows (--connect).
  bool connect = false;
  // The save folder to use when none has been chosen yet (--saveFolder).
  std::optional<std::string> saveFolder;
  // What was wrong, for Action::Error.
  std::string error;
};

// Reads the arguments. The window system's own options (-platform NAME, -display NAME, -style NAME, ...) are left
// for it; anything else unknown is an error.
CommandLine parseCommandLine(int argc, const char* const* argv);
// The usage text for --help (and, after an error, for stderr).
std::string usageText();

// The fonts every window draws with, by PostScript name; the application does not run without them.
const std::vector<std::string>& requiredApplicationFonts();
