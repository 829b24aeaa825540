// The session controller's live-view loop against the stand-in device's Canon camera: frames of about 100 KB
// fetched on the loop's own thread and handed to the main queue, as the live-view view receives them.
// Reported as frames per second against the loop's own ceiling, 1 / (20 ms + one bare frame fetch), with the bare
// fetch measured in the same run: JPEG frames as they come, JPEG frames each also decoded to an image on a worker
// (never on the main thread), and a YUV body's frames through the bitmap path, decoded the same way. Then 2,000
// decoded frames with the resident set sampled at each frame: its peak, and its growth after the first 200 frames.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>

#include "bench/live_view_session.h"
#include "engine/vendors/canon/canon_live_view.h"
#include "platform/foundation/allocator_tuning.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/test_application.h"
#include "session/camera_controller.h"
#include "session/camera_event_pump.h"
#include "session/notification_names.h"

namespace {

using live_view_bench::bareFetchSeconds;
using live_view_bench::Clock;
using live_view_bench::Session;
using live_view_bench::switchLiveView;

long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * ::sysconf(_SC_PAGESIZE);
}

struct LoopRun {
  double framesPerSecond = 0;
  size_t bytesPerFrame = 0;
  long peakResident = 0;
  long growthAfterWarmUp = 0;  // resident set at the end less its level at frame 200
  int decodedOnMain = 0;
  int decodeFailures = 0;
  int arrived = 0;
  bool ok = false;
};

// Runs the controller's loop until `frames` frames have reached the main queue; with `decode`, each frame is
// decoded to an image on a worker of the global queue.
LoopRun runLoop(int frames, bool decode) {
  LoopRun run;
  std::atomic<int> decodedOnMain{0}, decodeFailures{0}, decodesPending{0};
  int arrived = 0;
  Clock::time_point first, last;
  long warmUpResident = 0;
  const platform::ObserverToken token = platform::NotificationCenter::defaultCenter().addObserverForName(
      kLiveViewImageNotification, nullptr, [&](const platform::Notification& n) {
        const auto now = Clock::now();
        if (arrived == 0) first = now;
        last = now;
        ++arrived;
        const platform::Data& data = n.object.toData();
        run.bytesPerFrame = data.size();
        if (decode) {
          // The frame buffer's picture follows its header; the display decodes it off the main thread.
          auto bytes = std::make_shared<QByteArray>(reinterpret_cast<const char*>(data.data()) + kCanonLiveViewHeaderSize,
                                                    qsizetype(data.size() - kCanonLiveViewHeaderSize));
          ++decodesPending;
          platform::globalQueue().async([bytes, &decodedOnMain, &decodeFailures, &decodesPending] {
            if (platform::isMainThread()) ++decodedOnMain;
            if (QImage::fromData(*bytes).isNull()) ++decodeFailures;
            --decodesPending;
          });
        }
        const long resident = residentBytes();
        run.peakResident = std::max(run.peakResident, resident);
        if (arrived == 200) warmUpResident = resident;
      });
  if (switchLiveView(true) == PTP_RC_OK) {
    run.ok = platform::runMainUntil([&] { return arrived >= frames; }, std::chrono::seconds(frames / 10 + 30));
  }
  CameraController::killLiveViewLoop();
  platform::runMainUntil([] { return !CameraController::liveViewRunning(); }, std::chrono::seconds(10));
  switchLiveView(false);
  platform::runMainUntil([&] { return decodesPending == 0; }, std::chrono::seconds(30));
  platform::NotificationCenter::defaultCenter().removeObserver(token);
  if (arrived > 1) run.framesPerSecond = (arrived - 1) / std::chrono::duration<double>(last - first).count();
  if (arrived >= 200) run.growthAfterWarmUp = residentBytes() - warmUpResident;
  run.arrived = arrived;
  run.decodedOnMain = decodedOnMain;
  run.decodeFailures = decodeFailures;
  return run;
}

void BM_CanonBareFrameFetch(benchmark::State& state) {
  Session session(devicesim::CanonBody::Mirrorless);
  if (!session.open) return state.SkipWithError("no session");
  camToggleLiveView(true);
  HeapBlock frame;
  for (auto _ : state)
    if (camLiveViewFrame(&frame) != PTP_RC_OK) state.SkipWithError("fetch failed");
  camToggleLiveView(false);
}
BENCHMARK(BM_CanonBareFrameFetch)->Unit(benchmark::kMillisecond)->UseRealTime();

// Frame requests the device received.
size_t fetchesReceived(const devicesim::Device& device) {
  size_t n = 0;
  for (const devicesim::LoggedPacket& p : device.log()) n += p.ptpOperation == kCanonLiveViewFrameOperation;
  return n;
}

bool report(const char* what, const LoopRun& run, double ceiling, double required) {
  const double ratio = run.framesPerSecond / ceiling;
  std::printf("%-34s %6.1f fps, %7zu bytes a frame, ratio %.3f (required %.1f)%s\n", what, run.framesPerSecond,
              run.bytesPerFrame, ratio, required,
              run.decodedOnMain || run.decodeFailures ? ", DECODE ON MAIN OR FAILED" : "");
  return run.ok && ratio >= required && run.decodedOnMain == 0 && run.decodeFailures == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!live_view_bench::runBenchmarkCases(&argc, argv)) return 1;

  bool ok = true;
  {
    Session session(devicesim::CanonBody::Mirrorless);
    if (!session.open) return std::fprintf(stderr, "live_view_loop_bench: no session\n"), 1;
    const double fetch = bareFetchSeconds(100);
    const double ceiling = 1.0 / (0.020 + fetch);
    std::printf("bare frame fetch %.2f ms; the loop's ceiling %.1f fps\n", fetch * 1e3, ceiling);
    ok &= report("JPEG frames", runLoop(300, false), ceiling, 0.9);
    ok &= report("JPEG frames, decoded on a worker", runLoop(300, true), ceiling, 0.8);
    const LoopRun long_run = runLoop(2000, true);
    ok &= report("2,000 JPEG frames, decoded", long_run, ceiling, 0.8);
    std::printf("resident set: peak %.1f MiB, growth from frame 200 to 2,000: %+.1f MiB\n",
                long_run.peakResident / 1048576.0, long_run.growthAfterWarmUp / 1048576.0);
  }
  {
    Session session(devicesim::CanonBody::DslrYuvLiveView);
    if (!session.open) return std::fprintf(stderr, "live_view_loop_bench: no YUV session\n"), 1;
    const double fetch = bareFetchSeconds(100);
    const double ceiling = 1.0 / (0.020 + fetch);
    std::printf("YUV body: bare frame fetch %.2f ms; the loop's ceiling %.1f fps\n", fetch * 1e3, ceiling);
    const size_t before = fetchesReceived(session.device);
    const LoopRun plain = runLoop(300, false);
    std::printf("%d frames from %zu requests\n", plain.arrived, fetchesReceived(session.device) - before);
    ok &= report("YUV frames as bitmaps", plain, ceiling, 0.8);
    ok &= report("YUV frames as bitmaps, decoded", runLoop(300, true), ceiling, 0.8);
  }
  return ok ? 0 : 1;
}
