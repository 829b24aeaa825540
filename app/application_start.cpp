#include "app/application_start.h"

#include <cstring>
#include <set>

namespace {

// The window system's options that take a value, and those that do not (Qt's, as its application object reads
// them); single-dash as it spells them, and double-dash, which it accepts too.
const std::set<std::string>& windowSystemOptionsWithValue() {
  static const std::set<std::string> options{"platform", "platformpluginpath", "platformtheme", "plugin",
                                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "display", "geometry",
                                             "style", "stylesheet", "session", "name", "title", "visual"};
  return options;
}

const std::set<std::string>& windowSystemFlags() {
  static const std::set<std::string> flags{"reverse", "nograb", "dograb", "sync", "widgetcount", "graphicssystem"};
  return flags;
}

}  // namespace

std::string usageText() {
  return "usage: vorlaxent [--ipAddress ADDRESS] [--saveFolder FOLDER] [--connect] [--help] [--version]\n"
         "  --ipAddress ADDRESS  use the Vorlaxent device at ADDRESS (kept in the settings; empty: find it)\n"
         "  --saveFolder FOLDER  save pictures in FOLDER unless a save folder has been chosen before\n"
         "  --connect            press Connect once the connection window shows\n"
         "  --help               show this text\n"
         "  --version            show the version\n"
         "The window system's own options (-platform NAME, -display NAME, ...) are passed on to it.\n";
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  const auto fail = [&line](std::string why) {
    line.action = CommandLine::Action::Error;
    line.error = std::move(why);
    return line;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i] ? argv[i] : "";
    if (arg == "--help" || arg == "-h") return line.action = CommandLine::Action::Help, line;
    if (arg == "--version") return line.action = CommandLine::Action::Version, line;
    if (arg == "--connect") {
      line.connect = true;
      continue;
    }
    if (arg == "--ipAddress") {
      if (i + 1 >= argc) return fail("--ipAddress needs the device's address");
      line.ipAddress = argv[++i];
      continue;
    }
    if (arg.rfind("--ipAddress=", 0) == 0) {
      line.ipAddress = arg.substr(std::strlen("--ipAddress="));
      continue;
    }
    if (arg == "--saveFolder") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return fail("--saveFolder needs a folder");
      line.saveFolder = argv[++i];
      continue;
    }
    const std::string bare = arg.rfind("--", 0) == 0 ? arg.substr(2) : arg.rfind('-', 0) == 0 ? arg.substr(1) : "";
    if (windowSystemFlags().count(bare)) continue;
    if (windowSystemOptionsWithValue().count(bare)) {
      if (i + 1 >= argc) return fail(arg + " needs a value");
      ++i;
      continue;
    }
    return fail(bare.empty() ? "unexpected argument " + arg : "unknown option " + arg);
  }
  return line;
}

const std::vector<std::string>& requiredApplicationFonts() {
  static const std::vector<std::string> fonts{"ArialMT", "Arial-BoldMT"};
  return fonts;
}
