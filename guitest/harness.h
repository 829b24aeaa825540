#pragma once
// The application as a window test (or the window-shots program) needs it, started as the program starts it:
// the QApplication on the offscreen platform (QT_QPA_PLATFORM may name another, e.g. xcb under Xvfb) with private
// settings and documents folders, the platform's application object with the application delegate, whose
// launching sets the dark appearance, registers the default settings from the bundle's "DefaultValues", installs
// the main menu and opens the save folder (a fresh temporary one); the default fonts as the event loop sets them.
// The connection window is made only when a test asks for it (appDelegate().loadMainWindow()): it drives the
// connection by itself, which connect() does in its own way. An exit the application asks for (the last window
// closed, a missing font) is noted, never carried out. Widget timers and animations, and the waits of background work on the
// platform's wait clock, run at kTimeScale on the real clock;
// every alert is noted and answered by alerts() (OK, or as its `answer` decides). A camera comes with connect().
//
// One Harness at a time, on the main thread. Each starts clean and ends clean: no setting the user could have
// made, no file in the documents folder, no window left open, no session, thread or socket of the camera.
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QSet>
#include <QTemporaryDir>

#include "guitest/camera_rig.h"
#include "guitest/scaled_time_source.h"
#include "platform/foundation/wait_clock.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/presenter.h"
#include "platform/ui/time_source.h"
#include "session/session_harness.h"

class AppDelegate;
class QWidget;

namespace guitest {

class Harness {
 public:
  Harness();
  ~Harness();
  Harness(const Harness&) = delete;
  Harness& operator=(const Harness&) = delete;

  // What went wrong while starting (the default settings, a missing font); empty when nothing did.
  const std::string& startError() const { return startError_; }
  platform::Application& application() { return *application_; }
  AppDelegate& appDelegate() { return *appDelegate_; }
  // The status of the last exit the application asked for; none while it asked for none.
  std::optional<int> exitStatus() const { return exitRecorder_.status; }
  // Every alert shown so far; modal ones are answered with OK unless `answer` says otherwise.
  session_testing::AnsweringPresenter& alerts() { return alerts_; }
  // The save folder the session downloads into (a fresh temporary folder).
  const std::string& saveFolder() const { return saveFolder_; }

  // Starts the stand-in device with a body of `vendor` ("canon", "nikon", "sony", "fuji") or with the test's
  // own camera, and connects to it through the product's connection path (see camera_rig.h). False, with the
  // reason (and the alerts shown) in `why`, when the session does not start.
  bool connect(const std::string& vendor, std::string* why = nullptr);
  bool connect(std::shared_ptr<devicesim::Camera> camera, std::string* why = nullptr);
  // The device ready with its camera but nothing connected: for tests whose own windows connect.
  CameraRig& prepareCamera(const std::string& vendor);
  CameraRig& prepareCamera(std::shared_ptr<devicesim::Camera> camera);
  // The rig of the last connect or prepareCamera; null before. Ending it (endCamera) ends the session.
  CameraRig* rig() { return rig_ ? &*rig_ : nullptr; }
  void endCamera();

  // Runs the event loop (and with it the main queue) until `condition` holds; false when `limit` passed first.
  static bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = kWaitLimit);
  // Waits until `log` holds at least `count` posts of `name`.
  static bool waitForPosts(const session_testing::NotificationLog& log, const std::string& name, size_t count = 1);
  // Waits until no progress overlay covers a window: a command batch's overlay fades out after the batch has
  // ended, and swallows the clicks that fall on it until then.
  static bool waitForOverlays();
  // Runs what is queued now: posted events, zero-time timers, deferred deletions, the main queue's blocks.
  static void settle();

  // Closes every window opened since the harness started (as the user closes them) and deletes those that
  // delete themselves on close.
  void closeWindows();

 private:
  bool finishConnect(std::string* why);
  void keepSaveFolder();
  void waitForSaveFolder();
  static void clearSettings();
  static void clearDocuments();

  // Notes the exit statuses instead of ending the process.
  struct ExitRecorder : platform::ProcessExit {
    std::optional<int> status;
    void exit(int s) override { status = s; }
  };

  ExitRecorder exitRecorder_;
  std::optional<platform::ScopedProcessExit> scopedExit_;
  std::unique_ptr<AppDelegate> appDelegate_;
  std::unique_ptr<platform::Application> application_;
  std::shared_ptr<ScaledTimeSource> clock_;
  std::optional<platform::ScopedTimeSource> scopedClock_;
  std::optional<platform::ScopedWaitClock> scopedWaitClock_;
  session_testing::AnsweringPresenter alerts_;
  std::optional<platform::ScopedPresenter> scopedAlerts_;
  std::optional<QTemporaryDir> folders_;
  std::string saveFolder_;
  std::string startError_;
  QSet<QWidget*> windowsBefore_;
  std::optional<CameraRig> rig_;
};

}  // namespace guitest
