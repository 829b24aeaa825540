// From a picture taken to its thumbnail in the strip, against the stand-in device with a simulated Canon body on
// loopback, through the whole session path: the event thread's poll, the Canon event parser, the pump, the new-object
// notification, the window's thumbnail request on the serial thumbnail queue, the GetThumb and the notification
// posted on the main queue with the image.
//  - One picture: the time from the shot to "JWNotification_ThumbnailDownloaded", as a ratio to one bare GetThumb
//    of the same object plus one event-poll period measured in the same run (rounds interleaved; the mean of each
//    counts, since the poll phase at the shot is random). Target <= 1.3.
//  - A burst of 20 pictures (the camera answering busy once while it writes them): every thumbnail arrives, in the
//    order taken, none twice; the time per thumbnail is reported.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devicesim/canon_camera.h"
#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/standard_operations.h"
#include "engine/store/object_cache.h"
#include "engine/timing.h"
#include "engine/vendors/available_modules.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/test_application.h"
#include "session/camera_controller.h"
#include "session/camera_event_pump.h"
#include "session/notification_names.h"
#include "session/ptp_object_info_class.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kLimit{20};
constexpr int kBurst = 20;

struct Rig {
  devicesim::Device device;
  devicesim::DeviceCommandSet commands;
  std::shared_ptr<devicesim::CanonCamera> canon = std::make_shared<devicesim::CanonCamera>();
  std::string folder;
  std::mutex mutex;
  std::vector<uint32_t> thumbnails;  // handles, in the order their thumbnails were handed over
  bool ready = false;

  Rig() {
    platform::ensureTestApplication();
    device.setCamera(canon);
    commands.install(device);
    if (!device.start(0)) return;
    // The device holds the camera's PTP session open on its side.
    devicesim::PtpOperation open;
    open.code = 0x1002;
    open.params = {1};
    canon->handleOperation(open);
    char tmpl[] = "/tmp/vx_pump_bench_XXXXXX";
    folder = ::mkdtemp(tmpl) ? tmpl : "/tmp/vx_pump_bench";
    std::filesystem::create_directories(folder + "/Cache");
    std::filesystem::create_directories(folder + "/Save");
    objCacheOpen(folder + "/Cache", folder + "/Save");

    if (linkConnect("127.0.0.1", device.port()) < 0) return;
    vendorRegisterAvailableModules();
    ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, processCameraEvents);
    ptpSetEventPollFunction(linkPollEvents);
    if (camStartSession(0) != PTP_RC_OK) return;
    CameraController::instance().clearSession();

    platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
    // The camera window: every new object's thumbnail is asked for from the main queue.
    center.addObserverForName(kNewObjectNotification, nullptr, [](const platform::Notification& n) {
      auto object = n.object.object<PtpObjectInfoClass>();
      if (!object) return;
      const PtpObjectInfoStruct record = *object->origObjectInfo();
      platform::mainQueue().async([record] { CameraController::instance().downloadThumbnail(record, false); });
    });
    center.addObserverForName(kThumbnailDownloadedNotification, nullptr, [this](const platform::Notification& n) {
      auto object = n.object["objectInfo"].object<PtpObjectInfoClass>();
      if (n.object["thumbnailData"].toData().empty() || !object) return;
      std::lock_guard<std::mutex> lock(mutex);
      thumbnails.push_back(object->objectId());
    });
    camStartEventThread({});
    platform::mainQueue().async([] { startCameraEventDispatch(); });
    ready = true;
  }

  ~Rig() {
    camStopEventThread(true);
    linkDisconnect();
    device.stop();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }

  size_t count() {
    std::lock_guard<std::mutex> lock(mutex);
    return thumbnails.size();
  }
  std::vector<uint32_t> handled() {
    std::lock_guard<std::mutex> lock(mutex);
    return thumbnails;
  }
  // Shoots and waits until `count` more thumbnails have been handed over; seconds, or -1 when they did not come.
  // The simulated body makes its pictures (JPEG encoding) before it announces them; that time is kept apart.
  double shootAndWait(int pictures, int busyAnswers, double* making = nullptr) {
    const size_t before = count();
    const auto start = Clock::now();
    canon->shootOnCamera(pictures, busyAnswers);
    if (making) *making = std::chrono::duration<double>(Clock::now() - start).count();
    if (!platform::runMainUntil([&] { return count() >= before + size_t(pictures); }, kLimit)) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
  }
  // One GetThumb of the last picture, as bare as the engine has it.
  double bareGetThumb() {
    const uint32_t handle = canon->captured().back();
    const auto start = Clock::now();
    HeapBlock data;
    if (ptpGetThumb(handle, &data) != PTP_RC_OK || data.empty()) return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
  }
};

Rig& rig() {
  static Rig r;
  return r;
}

void BM_CaptureToThumbnail(benchmark::State& state) {
  if (!rig().ready) state.SkipWithError("no session");
  for (auto _ : state)
    if (rig().shootAndWait(1, 0) < 0) state.SkipWithError("no thumbnail");
}
BENCHMARK(BM_CaptureToThumbnail)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);

void BM_BareGetThumb(benchmark::State& state) {
  if (!rig().ready || rig().canon->captured().empty()) state.SkipWithError("no picture");
  for (auto _ : state)
    if (rig().bareGetThumb() < 0) state.SkipWithError("GetThumb failed");
}
BENCHMARK(BM_BareGetThumb)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  if (!rig().ready) {
    std::fprintf(stderr, "session_pump_bench: the session did not start\n");
    return 1;
  }

  const double poll = std::chrono::duration<double>(engineWait(engine_timing::kEventPollInterval)).count();
  constexpr int kRounds = 12;
  double pipeline = 0, bare = 0;
  for (int round = 0; round < kRounds; ++round) {
    const double p = rig().shootAndWait(1, 0);
    const double b = rig().bareGetThumb();
    if (p < 0 || b < 0) {
      std::fprintf(stderr, "session_pump_bench: a picture's thumbnail did not arrive\n");
      return 1;
    }
    pipeline += p;
    bare += b;
  }
  pipeline /= kRounds;
  bare /= kRounds;
  std::printf("capture -> thumbnail notification: %.1f ms (mean of %d)\n", pipeline * 1000, kRounds);
  std::printf("bare GetThumb: %.2f ms, event-poll period: %.0f ms\n", bare * 1000, poll * 1000);
  std::printf("ratio pipeline/(GetThumb + poll period): %.3f (target <= 1.3)\n", pipeline / (bare + poll));

  const size_t before = rig().count();
  const std::vector<uint32_t> taken0 = rig().canon->captured();
  double making = 0;
  const double burst = rig().shootAndWait(kBurst, 1, &making);
  const std::vector<uint32_t> taken = rig().canon->captured();
  std::vector<uint32_t> got = rig().handled();
  if (burst < 0) {
    std::fprintf(stderr, "session_pump_bench: %zu of %d burst thumbnails arrived\n", got.size() - before, kBurst);
    return 1;
  }
  platform::runMainUntil([] { return false; }, std::chrono::milliseconds(300));  // nothing more may follow
  got = rig().handled();
  const std::vector<uint32_t> expected(taken.begin() + static_cast<long>(taken0.size()), taken.end());
  const std::vector<uint32_t> arrived(got.begin() + static_cast<long>(before), got.end());
  std::printf("burst of %d: every thumbnail, in order, none twice: %s; %.1f ms per thumbnail (%.1f ms of it the "
              "simulated body making the picture)\n",
              kBurst, arrived == expected ? "yes" : "NO", burst * 1000 / kBurst, making * 1000 / kBurst);
  benchmark::Shutdown();
  return arrived == expected ? 0 : 1;
}
