// The live-view display behind the session controller's live-view loop, against the stand-in device's Canon bodies
// (960 x 640 pictures; the JPEG body's of about 100 KB). Ratios measured in one run:
// - JPEG body with the marks, the level, the AF frames and the histogram bitmap on: frames shown per second against
//   the loop's own ceiling, 1 / (20 ms + one bare frame fetch); required 0.9.
// - YUV body (bitmap pictures): frames shown per second against the same loop's frames per second without a
//   display; required 0.9.
// - The three marks over one decoded frame against the decode of that frame's JPEG (Qt's image reader); required at
//   most 0.4.
// - The main thread's processor time per shown frame (cutting, handing over, the picture and every overlay, the
//   paint, the loop's notification) against the loop's 20 ms pause; required at most 0.15.
#include <benchmark/benchmark.h>
#include <time.h>

#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/viewing/live_view_image_view.h"
#include "bench/live_view_session.h"
#include "devicesim/canon_frames.h"
#include "devicesim/jpeg_factory.h"
#include "platform/foundation/allocator_tuning.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/test_application.h"
#include "platform/foundation/user_defaults.h"
#include "platform/imaging/live_view_kernels.h"
#include "platform/ui/window.h"
#include "session/notification_names.h"

namespace {

using live_view_bench::Clock;
using live_view_bench::Session;

const platform::LiveViewMarks kAllMarks{platform::MarkKernelInput{platform::Color::rgb(1, 0, 0), 0.99},
                                        platform::MarkKernelInput{platform::Color::rgb(0, 0, 1), 0.001},
                                        platform::MarkKernelInput{platform::Color::rgb(1, 0, 0), 0.1}};

// The stand-in's live-view JPEG as the display gets it: 960 x 640, about 100 KB.
std::vector<uint8_t> standInJpeg() {
  devicesim::JpegRecipe recipe;
  recipe.width = 960;
  recipe.height = 640;
  recipe.size = 100 * 1024;
  recipe.make = "Canon";
  recipe.seed = 1001;
  return devicesim::canonBareJpeg(devicesim::jpegImage(recipe)->bytes);
}

QImage decode(const std::vector<uint8_t>& jpeg) { return QImage::fromData(jpeg.data(), int(jpeg.size())); }

void BM_JpegDecode(benchmark::State& state) {
  const std::vector<uint8_t> jpeg = standInJpeg();
  for (auto _ : state) benchmark::DoNotOptimize(decode(jpeg));
}
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond);

void BM_ThreeMarks(benchmark::State& state) {
  const QImage picture = decode(standInJpeg()).convertToFormat(QImage::Format_RGB32);
  for (auto _ : state) {
    QImage copy = picture.copy();
    platform::applyLiveViewMarks(copy, kAllMarks);
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_ThreeMarks)->Unit(benchmark::kMillisecond);

// Median seconds of `f` over `runs` runs.
template <class F>
double medianSeconds(int runs, F&& f) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    f();
    times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + runs / 2, times.end());
  return times[size_t(runs / 2)];
}

double mainThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + t.tv_nsec / 1e9;
}

struct DisplayRun {
  double framesPerSecond = 0;   // shown (with a display) or arrived (without)
  double mainCpuPerFrame = 0;   // seconds
  int frames = 0;
  bool ok = false;
};

// Runs the live-view loop until `frames` frames were shown by a display in a window (or, without one, arrived),
// the display hosted as the image area hosts it and asked for each frame's histogram bitmap.
DisplayRun runDisplay(int frames, bool withDisplay) {
  DisplayRun run;
  std::unique_ptr<platform::Window> window;
  LiveViewImageView* display = nullptr;
  if (withDisplay) {
    window = std::make_unique<platform::Window>();
    display = new LiveViewImageView(platform::Rect(0, 0, 800, 533));
    window->setContentView(display);
    window->setContentSize(platform::Size{800, 533});
    window->show();
  }
  int counted = 0, histograms = 0;
  Clock::time_point first, last;
  QEventLoop loop;
  auto count = [&] {
    const auto now = Clock::now();
    if (counted == 0) first = now;
    last = now;
    if (++counted >= frames) loop.quit();
  };
  const platform::ObserverToken token = platform::NotificationCenter::defaultCenter().addObserverForName(
      kLiveViewImageNotification, nullptr, [&](const platform::Notification& n) {
        if (!display) return count();
        display->setLiveViewImage(n.object.toData(), [&](const QImage& bitmap) {
          histograms += bitmap.width() == 512;
          count();
        }, kLiveViewVendorCanon);
      });
  QTimer::singleShot(std::chrono::seconds(frames / 10 + 30), &loop, &QEventLoop::quit);
  const double cpuStart = mainThreadCpuSeconds();
  if (live_view_bench::switchLiveView(true) == PTP_RC_OK) loop.exec();
  const double cpu = mainThreadCpuSeconds() - cpuStart;
  CameraController::killLiveViewLoop();
  platform::runMainUntil([] { return !CameraController::liveViewRunning(); }, std::chrono::seconds(10));
  live_view_bench::switchLiveView(false);
  if (display) platform::runMainUntil([&] { return !display->isPreparingFrame(); }, std::chrono::seconds(10));
  platform::NotificationCenter::defaultCenter().removeObserver(token);
  run.frames = counted;
  run.ok = counted >= frames && (!withDisplay || histograms == counted);
  if (counted > 1) run.framesPerSecond = (counted - 1) / std::chrono::duration<double>(last - first).count();
  if (counted > 0) run.mainCpuPerFrame = cpu / counted;
  return run;
}

void settings(bool on) {
  platform::UserDefaults& d = platform::UserDefaults::standardUserDefaults();
  for (const char* key : {"Highlights", "Shadows", "FocusPeaking", "ElectronicLevel"}) d.setBool(on, key);
}

bool report(const char* what, double ratio, double bound, bool atLeast) {
  const bool ok = atLeast ? ratio >= bound : ratio <= bound;
  std::printf("%-62s ratio %.3f (required %s %.2f)%s\n", what, ratio, atLeast ? ">=" : "<=", bound, ok ? "" : "  FAILS");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (!live_view_bench::runBenchmarkCases(&argc, argv)) return 1;

  bool ok = true;
  {
    const std::vector<uint8_t> jpeg = standInJpeg();
    const QImage picture = decode(jpeg).convertToFormat(QImage::Format_RGB32);
    const double decodeTime = medianSeconds(31, [&] { benchmark::DoNotOptimize(decode(jpeg)); });
    const double marksTime = medianSeconds(31, [&] {
      QImage copy = picture.copy();
      platform::applyLiveViewMarks(copy, kAllMarks);
    });
    std::printf("one %zu-byte frame: decode %.2f ms, the three marks %.2f ms\n", jpeg.size(), decodeTime * 1e3,
                marksTime * 1e3);
    ok &= report("three marks / the frame's JPEG decode", marksTime / decodeTime, 0.4, false);
  }
  settings(true);
  {
    Session session(devicesim::CanonBody::DslrJpegLiveView);
    if (!session.open) return std::fprintf(stderr, "live_view_display_bench: no session\n"), 1;
    const double fetch = live_view_bench::bareFetchSeconds(100);
    const double ceiling = 1.0 / (0.020 + fetch);
    const DisplayRun shown = runDisplay(300, true);
    std::printf("JPEG body: bare fetch %.2f ms, ceiling %.1f fps; shown %.1f fps (%d frames), main thread %.2f ms a "
                "frame\n",
                fetch * 1e3, ceiling, shown.framesPerSecond, shown.frames, shown.mainCpuPerFrame * 1e3);
    ok &= shown.ok;
    ok &= report("JPEG frames shown, marks, level, AF, histogram / loop ceiling", shown.framesPerSecond / ceiling, 0.9,
                 true);
    ok &= report("main thread per frame / 20 ms", shown.mainCpuPerFrame / 0.020, 0.15, false);
  }
  {
    Session session(devicesim::CanonBody::DslrYuvLiveView);
    if (!session.open) return std::fprintf(stderr, "live_view_display_bench: no YUV session\n"), 1;
    const DisplayRun bare = runDisplay(150, false);
    const DisplayRun shown = runDisplay(150, true);
    std::printf("YUV body: the loop alone %.1f fps, shown %.1f fps, main thread %.2f ms a frame\n",
                bare.framesPerSecond, shown.framesPerSecond, shown.mainCpuPerFrame * 1e3);
    ok &= bare.ok && shown.ok;
    ok &= report("YUV frames shown / the loop without a display", shown.framesPerSecond / bare.framesPerSecond, 0.9,
                 true);
  }
  settings(false);
  return ok ? 0 : 1;
}
