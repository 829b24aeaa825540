#pragma once
// The application as a window test (or the window-shots program) needs it, started as the program starts it:
// the QApplication on the offscreen platform (QT_QPA_PLATFORM may name another, e.g. xcb under Xvfb) with private
// settings and documents folders, the platform's application object with the dark appearance, the default fonts
// and the default settings from the bundle's "DefaultValues", and the save folder opened (a fresh temporary
// one) as the start-up's folder check opens it. Widget timers and animations run at kTimeScale on the real clock;
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
#include "platform/ui/application_shell.h"
#include "platform/ui/presenter.h"
#include "platform/ui/time_source.h"
#include "session/session_harness.h"

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
  // Runs what is queued now: posted events, zero-time timers, deferred deletions, the main queue's blocks.
  static void settle();

  // Closes every window opened since the harness started (as the user closes them) and deletes those that
  // delete themselves on close.
  void closeWindows();

 private:
  bool finishConnect(std::string* why);
  void openSaveFolder();
  static void clearSettings();
  static void clearDocuments();

  std::unique_ptr<platform::Application> application_;
  std::shared_ptr<ScaledTimeSource> clock_;
  std::optional<platform::ScopedTimeSource> scopedClock_;
  session_testing::AnsweringPresenter alerts_;
  std::optional<platform::ScopedPresenter> scopedAlerts_;
  std::optional<QTemporaryDir> folders_;
  std::string saveFolder_;
  std::string startError_;
  QSet<QWidget*> windowsBefore_;
  std::optional<CameraRig> rig_;
};

}  // namespace guitest
