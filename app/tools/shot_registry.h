#pragma once
// The states that `vorlaxent-window-shots FOLDER [name ...]` renders into FOLDER/<name>.png (`--list` names them).
// Each window or panel registers its own states in a `*_shots.cpp` file beside it (in app/ or controls/; those
// files are built into the program only, never into the libraries): one registration per state, a builder that
// makes the window or panel in that state and returns the widget to render. A state that names a vendor gets a
// session with that vendor's stand-in body first (guitest/harness.h), so that the state shows what a connected
// camera gives it.
//
//   // app/windows/status_bar_shots.cpp
//   #include "app/tools/shot_registry.h"
//
//   static const bool registered = window_shots::registerShot({
//       "status-bar-connected", "canon", "the status bar with a Canon body's battery and card",
//       [](window_shots::ShotContext& shot) -> QWidget* {
//         auto* bar = shot.keep(std::make_unique<StatusBarViewController>());
//         shot.harness().waitUntil([&] { return bar->batteryShown(); });
//         return bar->view();
//       }});
//
// Each state runs in a harness of its own (fresh settings, a fresh device), in the order given on the command
// line (else by name). The tool shows the widget's window, lets queued work run, renders the widget and writes
// the PNG atomically; it exits non-zero when any state fails.
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "guitest/harness.h"

namespace window_shots {

// What a state's builder works with.
class ShotContext {
 public:
  explicit ShotContext(guitest::Harness& harness) : harness_(harness) {}
  ~ShotContext() {
    while (!kept_.empty()) kept_.pop_back();  // newest first: a view before the controller that made it
  }
  ShotContext(const ShotContext&) = delete;
  ShotContext& operator=(const ShotContext&) = delete;

  guitest::Harness& harness() { return harness_; }
  // The state's camera (null for a state without a vendor).
  guitest::CameraRig* rig() { return harness_.rig(); }

  // Keeps an object alive until the picture has been taken.
  template <class T>
  T* keep(std::unique_ptr<T> object) {
    T* raw = object.get();
    kept_.push_back(std::shared_ptr<T>(std::move(object)));
    return raw;
  }
  template <class T>
  T* keep(std::shared_ptr<T> object) {
    kept_.push_back(object);
    return object.get();
  }

  // The state cannot be built; the builder then returns null.
  void fail(std::string why) { failure_ = std::move(why); }
  const std::string& failure() const { return failure_; }

 private:
  guitest::Harness& harness_;
  std::vector<std::shared_ptr<void>> kept_;
  std::string failure_;
};

struct ShotState {
  std::string name;         // the file's name without ".png": lower case, words joined by '-'
  std::string vendor;       // "canon", "nikon", "sony", "fuji": connected before building; empty: no camera
  std::string description;  // one line for --list
  std::function<QWidget*(ShotContext&)> build;
};

// Adds a state; returns true, for a static initialiser.
bool registerShot(ShotState state);
// Every state registered, sorted by name.
std::vector<ShotState> registeredShots();

// The program: `FOLDER [name ...]`, `--list`, `--help`. Returns the exit status.
int runWindowShots(int argc, char** argv);

}  // namespace window_shots
