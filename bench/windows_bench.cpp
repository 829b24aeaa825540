// The application's windows against the stand-in device, the application started as the program starts it
// (guitest::Harness). Each figure is a ratio to a baseline measured in the same run:
//  - Connect -> "JWNotification_SessionStarted" through the connection window, against the session controller's
//    three calls made directly (connectToVorlaxent, connectToCamera on 3, startSession on 5). Target <= 1.1.
//  - A device that answers every request 300 ms late: the longest stall of the main loop from Connect to the session
//    started, over a burst of status-bar refreshes and over one push of each sharing setting, as a ratio to one frame
//    (16.7 ms). Target <= 1.0.
//  - A picture announced to the camera window (AutoViewImages 3, downloaded in the background) to its file in the
//    save folder, against one bare doDownloadImage of a picture of the same size. Target <= 1.15.
//  - A burst of 20 pictures in the tether-only window, first announcement to the last file, against the same number
//    of downloads of such pictures one after the other by the session controller (<= 1.1); and the longest stall of
//    the main loop meanwhile, against one frame (<= 1.0).
#include <benchmark/benchmark.h>
#include <execinfo.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "app/windows/app_delegate.h"
#include "app/windows/camera_window_controller.h"
#include "app/windows/connection_view_controller.h"
#include "app/windows/status_bar_view_controller.h"
#include "app/windows/tether_window_controller.h"
#include "app/windows/window_test_support.h"
#include "devicesim/canon_camera.h"
#include "engine/ptp/standard_operations.h"
#include "guitest/harness.h"
#include "guitest/user_actions.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/utilities.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kFrameMs = 16.7;
constexpr int kRounds = 6;
constexpr int kBurst = 20;
constexpr uint32_t kPictureSize = 3 * 1024 * 1024;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

// With VX_STALL_TRACE set, the main thread's stack is written to stderr whenever its loop has not turned for
// most of a frame, so that the call holding it up can be named (addresses as offsets into this program:
// `addr2line -f -C -e windows_bench OFFSET`).
class StallTracer {
 public:
  static StallTracer* instance() {
    static StallTracer* const tracer = qEnvironmentVariableIsSet("VX_STALL_TRACE") ? new StallTracer() : nullptr;
    return tracer;
  }
  void tick() { lastTick_ = Clock::now().time_since_epoch().count(); }
  void arm(bool on) {
    tick();
    armed_ = on;
  }

 private:
  static constexpr auto kThreshold = std::chrono::milliseconds(12);

  StallTracer() : main_(pthread_self()) {
    void* warm[4];
    backtrace(warm, 4);  // loads the unwinder now, not inside the signal handler
    struct sigaction action {};
    action.sa_handler = [](int) {
      void* frames[64];
      const int n = backtrace(frames, 64);
      static const char kHeader[] = "--- main thread stalled:\n";
      (void)!write(STDERR_FILENO, kHeader, sizeof kHeader - 1);
      backtrace_symbols_fd(frames, n, STDERR_FILENO);
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR2, &action, nullptr);
    std::thread([this] {
      int64_t reported = 0;
      for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const int64_t last = lastTick_;
        if (!armed_ || last == reported) continue;
        if (Clock::now() - Clock::time_point(Clock::duration(last)) < kThreshold) continue;
        reported = last;
        pthread_kill(main_, SIGUSR2);
      }
    }).detach();
  }

  pthread_t main_;
  std::atomic<int64_t> lastTick_{0};
  std::atomic<bool> armed_{false};
};

// The time (ms) the main thread has spent ready to run but waiting for a processor, as the scheduler counts it;
// 0 where it does not say. Read on every tick of the main loop's watch: the file is opened once (on the main
// thread, whose figures it then gives), and read again from its start.
double runQueueWaitMs() {
  static const int fd = ::open("/proc/thread-self/schedstat", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[128];
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  if (n <= 0) return 0;
  text[n] = 0;
  unsigned long long running = 0, waiting = 0;
  return std::sscanf(text, "%llu %llu", &running, &waiting) == 2 ? double(waiting) / 1e6 : 0;
}

// The longest time the main loop went without running a 1 ms timer, between start() and stop(); and the longest
// such time less what the main thread spent waiting for a processor meanwhile (the machine's load, not the
// program's work: other helpers build on the same processors).
class StallWatch {
 public:
  StallWatch() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const Clock::time_point now = Clock::now();
      const double waited = runQueueWaitMs();
      const double gap = std::chrono::duration<double, std::milli>(now - last_).count();
      longest_ = std::max(longest_, gap);
      longestWorking_ = std::max(longestWorking_, gap - (waited - lastWaited_));
      last_ = now;
      lastWaited_ = waited;
      if (StallTracer* tracer = StallTracer::instance()) {
        tracer->tick();
        if (gap > 12) std::fprintf(stderr, "--- the stall ended after %.1f ms\n", gap);
      }
    });
  }
  void start() {
    longest_ = longestWorking_ = 0;
    last_ = Clock::now();
    lastWaited_ = runQueueWaitMs();
    timer_.start(1);
    if (StallTracer* tracer = StallTracer::instance()) tracer->arm(true);
  }
  double stop() {
    timer_.stop();
    if (StallTracer* tracer = StallTracer::instance()) tracer->arm(false);
    return longest_;
  }
  // After stop(): the longest stall less the main thread's waits for a processor within it.
  double longestWorking() const { return longestWorking_; }

 private:
  QTimer timer_;
  Clock::time_point last_;
  double lastWaited_ = 0;
  double longest_ = 0;
  double longestWorking_ = 0;
};

bool waitFor(const std::function<bool()>& condition) {
  return guitest::Harness::waitUntil(condition, std::chrono::milliseconds(60000));
}

std::shared_ptr<devicesim::CanonCamera> largePictureCamera() {
  devicesim::CanonCameraOptions options;
  options.jpegSize = kPictureSize;
  return std::make_shared<devicesim::CanonCamera>(options);
}

platform::Window* showConnectionWindow(guitest::Harness& harness) {
  harness.appDelegate().loadMainWindow();
  harness.appDelegate().connectionWindowController()->showWindow();
  platform::Window* main = harness.appDelegate().window();
  guitest::showWindow(main);
  return main;
}

// Connect through the window: seconds to the session started, and with `watchStalls` the longest main-loop stall
// meanwhile (ms; else 0); in `working`, that stall less the main thread's waits for a processor. The watch ticks the
// main loop once a millisecond, which the baseline of the timing figure does not: that figure runs unwatched.
std::pair<double, double> connectThroughWindow(guitest::Harness& harness, bool watchStalls, double* working = nullptr) {
  platform::Window* main = showConnectionWindow(harness);
  Clock::time_point started{};
  platform::ObserverToken token = platform::NotificationCenter::defaultCenter().addObserverForName(
      kSessionStartedNotification, nullptr, [&](const platform::Notification&) {
        if (started == Clock::time_point{}) started = Clock::now();
      });
  StallWatch stalls;
  double stall = 0;
  const Clock::time_point start = Clock::now();
  if (watchStalls) stalls.start();
  harness.appDelegate().connectionWindowController()->connectionViewController()->connectAction();
  const bool ok = waitFor([&] {
    if (watchStalls && started != Clock::time_point{} && stall == 0) stall = std::max(stalls.stop(), 0.001);
    return started != Clock::time_point{};
  });
  if (watchStalls && stall == 0) stall = stalls.stop();
  if (working) *working = stalls.longestWorking();
  platform::NotificationCenter::defaultCenter().removeObserver(token);
  (void)main;
  return {ok ? std::chrono::duration<double>(started - start).count() : -1, stall};
}

// The view's steps taken by nobody: the connection window shows, the rig takes the steps.
class Bystander : public ConnectionSession {
 public:
  void connectToVorlaxent() override {}
  void connectToCamera() override {}
  void startSession() override {}
};

double connectDirectly(guitest::Harness& harness) {
  guitest::CameraRig* rig = harness.rig();
  // The connection window in front, as in the other case (the progress overlays show over it), its view idle.
  Bystander bystander;
  ScopedConnectionSession idle(bystander);
  showConnectionWindow(harness);
  Clock::time_point started{};
  platform::ObserverToken token = platform::NotificationCenter::defaultCenter().addObserverForName(
      kSessionStartedNotification, nullptr, [&](const platform::Notification&) {
        if (started == Clock::time_point{}) started = Clock::now();
      });
  const Clock::time_point start = Clock::now();
  const bool ok = rig->connect();
  platform::NotificationCenter::defaultCenter().removeObserver(token);
  return ok ? std::chrono::duration<double>(started - start).count() : -1;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : (v[(v.size() - 1) / 2] + v[v.size() / 2]) / 2;
}

int connectFigures() {
  double viaWindow = 0, direct = 0;
  std::vector<double> ratios;
  // A first round warms the process up (the first overlay, window and connection of all) and is not counted; then
  // each path in a harness of its own, the two in turn first, so that neither always runs first.
  for (int round = -1; round < kRounds; ++round) {
    double w = 0, d = 0;
    for (int leg = 0; leg < 2; ++leg) {
      guitest::Harness harness;
      harness.prepareCamera("canon");
      if ((leg == 0) == (round % 2 == 0)) {
        w = connectThroughWindow(harness, false).first;
        if (w < 0) return std::fprintf(stderr, "windows_bench: the session did not start through the window\n"), 1;
      } else {
        d = connectDirectly(harness);
        if (d < 0) return std::fprintf(stderr, "windows_bench: the session did not start\n"), 1;
      }
    }
    if (round < 0) continue;
    viaWindow += w;
    direct += d;
    ratios.push_back(w / d);
  }
  std::printf("Connect -> session started: through the window %.1f ms, the three calls directly %.1f ms (mean of %d)\n",
              viaWindow / kRounds * 1000, direct / kRounds * 1000, kRounds);
  std::printf("ratio window/direct: %.3f, median of the rounds' ratios %.3f (target <= 1.1)\n", viaWindow / direct,
              median(ratios));
  return 0;
}

int slowDeviceFigures() {
  guitest::Harness harness;
  guitest::CameraRig& rig = harness.prepareCamera("canon");
  rig.device().setReplyDelay(std::chrono::milliseconds(300));
  double connectWorking = 0;
  const auto [seconds, connectStall] = connectThroughWindow(harness, true, &connectWorking);
  if (seconds < 0) return std::fprintf(stderr, "windows_bench: the slow session did not start\n"), 1;
  // The camera window's status bar: a burst of card notices and its first reads of the device.
  if (!waitFor([&] { return !harness.appDelegate().adoptedWindowControllers().empty(); })) return 1;
  StallWatch stalls;
  stalls.start();
  const size_t cards = rig.commandCount(0xF5);
  // Searching the device's log copies all of it: done by a worker woken by each new packet, not by the main loop
  // whose stalls are measured.
  std::atomic<bool> cardRead{false}, watching{true};
  std::thread watcher([&] {
    while (watching && !cardRead) {
      const size_t logged = rig.device().logSize();
      if (rig.commandCount(0xF5) > cards) cardRead = true;
      else rig.device().waitForLog(logged + 1, std::chrono::milliseconds(50));
    }
  });
  for (int i = 0; i < 5; ++i)
    platform::NotificationCenter::defaultCenter().postNotificationName(kUpdateSdCardSpaceNotification);
  waitFor([&] { return cardRead.load(); });
  watching = false;
  watcher.join();
  guitest::Harness::waitUntil([] { return false; }, std::chrono::milliseconds(700));  // its answer comes back
  const double refreshStall = stalls.stop();
  const double refreshWorking = stalls.longestWorking();
  // One push of each sharing setting, from the main thread as the settings window makes them.
  stalls.start();
  const size_t before = rig.device().logSize();
  defaults().setBool(true, "VorlaxentShareEnabled");
  Utilities::sendSharingEnabledFlag();
  Utilities::refreshLiveViewSharing();
  Utilities::sendCanSaveToClients(true);
  Utilities::sendCurrentWatermarkToClients();
  Utilities::sendSaveFujiRaws(true);
  CameraController::instance().sdTransferChangedNotification();
  waitFor([&] { return rig.device().logSize() >= before + 5; });
  const double pushStall = stalls.stop();
  const double pushWorking = stalls.longestWorking();
  std::printf("device answering 300 ms late: session started after %.1f s; longest main-loop stall: connect %.1f ms, "
              "status-bar refreshes %.1f ms, setting pushes %.1f ms\n",
              seconds, connectStall, refreshStall, pushStall);
  const double worst = std::max({connectStall, refreshStall, pushStall});
  std::printf("ratio longest stall/frame: %.3f (target <= 1.0)\n", worst / kFrameMs);
  std::printf("  less the main thread's waits for a processor: connect %.1f ms, refreshes %.1f ms, pushes %.1f ms; "
              "ratio %.3f\n",
              connectWorking, refreshWorking, pushWorking,
              std::max({connectWorking, refreshWorking, pushWorking}) / kFrameMs);
  return 0;
}

int cameraWindowFigures() {
  guitest::Harness harness;
  if (!harness.connect(largePictureCamera())) return std::fprintf(stderr, "windows_bench: no session\n"), 1;
  guitest::CameraRig& rig = *harness.rig();
  auto camera = rig.cameraAs<devicesim::CanonCamera>();
  defaults().setInteger(3, "AutoViewImages");
  CameraWindowController::createAndShowWindow();
  const std::string folder = harness.saveFolder();
  double viaWindow = 0, bare = 0;
  for (int round = 0; round < kRounds; ++round) {
    // Through the window: from the announcement reaching it to the file.
    Clock::time_point announced{};
    platform::ObserverToken token = platform::NotificationCenter::defaultCenter().addObserverForName(
        kNewObjectNotification, nullptr, [&](const platform::Notification&) {
          if (announced == Clock::time_point{}) announced = Clock::now();
        });
    const size_t files = window_testing::fileCount(folder);
    std::thread([camera] { camera->shootOnCamera(1); }).detach();
    if (!waitFor([&] { return window_testing::fileCount(folder) > files; })) return 1;
    viaWindow += secondsSince(announced);
    platform::NotificationCenter::defaultCenter().removeObserver(token);
    // Bare: a picture of the same size, never seen by the session, downloaded by the session controller.
    const uint32_t handle = camera->addJpegObject(kPictureSize, 1, "IMG_9" + std::to_string(100 + round) + ".JPG");
    PtpObjectInfoStruct record{};
    record.objectId = handle;
    double took = -1;
    std::thread([&] {
      if (camGetObjectInfo(handle, &record) != PTP_RC_OK) return;
      const PtpObjectInfoClass object(record);
      const Clock::time_point start = Clock::now();
      if (CameraController::instance().doDownloadImage(object, false, false, false)) took = secondsSince(start);
    }).join();
    if (took < 0) return std::fprintf(stderr, "windows_bench: the bare download failed\n"), 1;
    bare += took;
  }
  std::printf("picture announced -> file in the save folder via the camera window: %.1f ms; bare doDownloadImage "
              "%.1f ms (%u bytes, mean of %d)\n",
              viaWindow / kRounds * 1000, bare / kRounds * 1000, kPictureSize, kRounds);
  std::printf("ratio window/bare: %.3f (target <= 1.15)\n", viaWindow / bare);
  return 0;
}

int tetherFigures() {
  guitest::Harness harness;
  if (!harness.connect(largePictureCamera())) return std::fprintf(stderr, "windows_bench: no session\n"), 1;
  guitest::CameraRig& rig = *harness.rig();
  auto camera = rig.cameraAs<devicesim::CanonCamera>();
  const std::string folder = harness.saveFolder();
  // In a row: twenty pictures the session has not seen, downloaded one after the other.
  std::vector<uint32_t> handles;
  for (int i = 0; i < kBurst; ++i)
    handles.push_back(camera->addJpegObject(kPictureSize, 1, "IMG_8" + std::to_string(100 + i) + ".JPG"));
  double row = -1;
  std::thread([&] {
    std::vector<PtpObjectInfoStruct> records;
    for (uint32_t handle : handles) {
      PtpObjectInfoStruct record{};
      if (camGetObjectInfo(handle, &record) != PTP_RC_OK) return;
      records.push_back(record);
    }
    const Clock::time_point start = Clock::now();
    for (const PtpObjectInfoStruct& record : records)
      if (!CameraController::instance().doDownloadImage(PtpObjectInfoClass(record), false, false, false)) return;
    row = secondsSince(start);
  }).join();
  if (row < 0) return std::fprintf(stderr, "windows_bench: the downloads in a row failed\n"), 1;

  // The burst waits behind the closed event gate until the window opens it: the window's part from the first
  // announcement on, not the camera's making of the pictures.
  const size_t made = camera->captured().size();
  std::thread([camera] { camera->shootOnCamera(kBurst); }).join();
  if (camera->captured().size() != made + kBurst) return 1;
  guitest::Harness::waitUntil([] { return false; }, std::chrono::milliseconds(300));  // polled into the queue
  Clock::time_point announced{};
  std::atomic<int> announcements{0};
  std::atomic<int64_t> lastAnnouncement{0};
  platform::ObserverToken token = platform::NotificationCenter::defaultCenter().addObserverForName(
      kNewObjectNotification, nullptr, [&](const platform::Notification&) {
        if (announcements++ == 0) announced = Clock::now();
        lastAnnouncement = Clock::now().time_since_epoch().count();
      });
  const size_t files = window_testing::fileCount(folder);
  StallWatch stalls;
  stalls.start();
  TetherWindowController::createAndShowWindow();
  if (!waitFor([&] { return window_testing::fileCount(folder) >= files + kBurst; })) return 1;
  const double burst = secondsSince(announced);
  const double stall = stalls.stop();
  platform::NotificationCenter::defaultCenter().removeObserver(token);
  const double announcing =
      std::chrono::duration<double>(Clock::duration(lastAnnouncement.load()) - announced.time_since_epoch()).count();
  std::printf("tether-only burst of %d (%u bytes each): %.1f ms (the camera's announcements spread over %.1f ms of "
              "it); the same downloads in a row: %.1f ms\n",
              kBurst, kPictureSize, burst * 1000, announcing * 1000, row * 1000);
  std::printf("ratio burst/row: %.3f (target <= 1.1); longest main-loop stall %.1f ms, ratio to a frame %.3f "
              "(target <= 1.0)\n",
              burst / row, stall, stall / kFrameMs);
  std::printf("  less the main thread's waits for a processor: %.1f ms, ratio %.3f\n", stalls.longestWorking(),
              stalls.longestWorking() / kFrameMs);
  return 0;
}

void BM_StatusBarTexts(benchmark::State& state) {
  uint64_t bytes = 123456789;
  for (auto _ : state) benchmark::DoNotOptimize(StatusBarViewController::sdSpaceText(bytes += 1000003));
}
BENCHMARK(BM_StatusBarTexts);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  // VX_FIGURES names the figures to measure (connect, slow, camera, tether); all of them by default.
  const std::string only = qEnvironmentVariable("VX_FIGURES").toStdString();
  const auto wanted = [&only](const char* name) { return only.empty() || only.find(name) != std::string::npos; };
  int failed = 0;
  if (wanted("connect")) failed += connectFigures();
  if (wanted("slow")) failed += slowDeviceFigures();
  if (wanted("camera")) failed += cameraWindowFigures();
  if (wanted("tether")) failed += tetherFigures();
  benchmark::Shutdown();
  return failed == 0 ? 0 : 1;
}
