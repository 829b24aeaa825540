#include "app/tools/shot_registry.h"

#include <QDir>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "guitest/user_actions.h"

namespace window_shots {
namespace {

struct Registry {
  std::mutex mutex;
  std::vector<ShotState> states;
};

Registry& registry() {
  static Registry r;
  return r;
}

void usage(std::FILE* to) {
  std::fprintf(to,
               "usage: vorlaxent-window-shots FOLDER [name ...]   renders the named states (all when none) into "
               "FOLDER/<name>.png\n"
               "       vorlaxent-window-shots --list              names every state\n"
               "Offscreen unless QT_QPA_PLATFORM says otherwise (xcb under Xvfb).\n");
}

// Builds one state in a harness of its own and writes its picture. The reason when that fails.
std::string shoot(const ShotState& state, const QString& folder) {
  std::string reported;
  const guitest::FailureReporter previous =
      guitest::setFailureReporter([&reported](const std::string& what) { reported += (reported.empty() ? "" : "; ") + what; });
  struct Restore {
    guitest::FailureReporter previous;
    ~Restore() { guitest::setFailureReporter(std::move(previous)); }
  } restore{previous};

  guitest::Harness harness;
  if (!harness.startError().empty()) return "start: " + harness.startError();
  std::string why;
  if (!state.vendor.empty() && !harness.connect(state.vendor, &why)) return "connect " + state.vendor + ": " + why;
  ShotContext shot(harness);
  QWidget* widget = state.build ? state.build(shot) : nullptr;
  if (!shot.failure().empty()) return shot.failure();
  if (!widget) return "the builder returned no widget";
  if (!guitest::showWindow(widget)) return "the window did not show: " + reported;
  guitest::Harness::settle();
  const QImage image = guitest::render(widget);
  if (image.isNull() || image.width() == 0 || image.height() == 0) return "the widget has no size";
  if (!reported.empty()) return reported;
  const QString path = QDir(folder).filePath(QString::fromStdString(state.name) + ".png");
  QString error;
  if (!guitest::writePng(image, path, &error)) return "cannot write " + path.toStdString() + ": " + error.toStdString();
  std::printf("%s (%dx%d)\n", qPrintable(path), image.width(), image.height());
  return {};
}

}  // namespace

bool registerShot(ShotState state) {
  std::lock_guard<std::mutex> lock(registry().mutex);
  registry().states.push_back(std::move(state));
  return true;
}

std::vector<ShotState> registeredShots() {
  std::vector<ShotState> states;
  {
    std::lock_guard<std::mutex> lock(registry().mutex);
    states = registry().states;
  }
  std::stable_sort(states.begin(), states.end(), [](const ShotState& a, const ShotState& b) { return a.name < b.name; });
  return states;
}

int runWindowShots(int argc, char** argv) {
  const std::vector<ShotState> states = registeredShots();
  std::map<std::string, const ShotState*> byName;
  for (const ShotState& s : states) {
    if (!byName.emplace(s.name, &s).second) {
      std::fprintf(stderr, "vorlaxent-window-shots: the state \"%s\" is registered twice\n", s.name.c_str());
      return 2;
    }
  }

  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    usage(stderr);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h") {
    usage(stdout);
    return 0;
  }
  if (args[0] == "--list") {
    for (const ShotState& s : states)
      std::printf("%-36s %-6s %s\n", s.name.c_str(), s.vendor.empty() ? "-" : s.vendor.c_str(), s.description.c_str());
    return 0;
  }
  if (args[0].rfind("--", 0) == 0) {
    std::fprintf(stderr, "vorlaxent-window-shots: unknown option %s\n", args[0].c_str());
    usage(stderr);
    return 2;
  }

  const QString folder = QString::fromStdString(args[0]);
  std::vector<const ShotState*> chosen;
  for (size_t i = 1; i < args.size(); ++i) {
    const auto found = byName.find(args[i]);
    if (found == byName.end()) {
      std::fprintf(stderr, "vorlaxent-window-shots: no state \"%s\" (see --list)\n", args[i].c_str());
      return 2;
    }
    chosen.push_back(found->second);
  }
  if (chosen.empty())
    for (const ShotState& s : states) chosen.push_back(&s);
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "vorlaxent-window-shots: cannot make the folder %s\n", qPrintable(folder));
    return 1;
  }

  int failures = 0;
  for (const ShotState* state : chosen) {
    const std::string failure = shoot(*state, folder);
    if (!failure.empty()) {
      std::fprintf(stderr, "vorlaxent-window-shots: %s: %s\n", state->name.c_str(), failure.c_str());
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace window_shots
