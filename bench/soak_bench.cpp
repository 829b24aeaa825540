// Sustained pictures per second through the whole tethering path, without faults: the session controller as the
// soak runs it (event thread, pump, the camera window's thumbnail, the session file, the background download into
// the save folder) against the stand-in device with a Canon body that shoots a burst, as a ratio to the engine
// alone doing the same per picture in a loop in the same run (the event thread's poll, then the object's record
// stored, its thumbnail fetched and stored with the orientation it brings, its image downloaded and saved through
// the object cache).
// Target: ratio >= 0.9. Engine-alone rounds and sessions take turns; the median turn's ratio counts.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/object_cache.h"
#include "engine/timing.h"
#include "engine/vendors/available_modules.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/test_application.h"
#include "session/session_harness.h"
#include "tools/soak/soak_body.h"
#include "tools/soak/soak_host.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPictures = 150;  // per round
constexpr double kScale = 0.1;  // the event poll every 50 ms
constexpr int kTurns = 7;       // engine alone, then a session, this many times (odd: the median is one turn's)

soak::BodyOptions bodyOptions() {
  soak::BodyOptions o;
  o.vendor = "canon";
  o.shots.rawShare = 0;
  o.shots.movieShare = 0;
  o.faults.everyExchanges = 0;
  return o;
}

void shoot(soak::SoakBody& body, int pictures) {
  for (int i = 0; i < pictures; ++i) body.shooter().take(devicesim::ShotKind::Jpeg);
}

// The engine alone: pictures per second for one burst.
double engineAlone(soak::SoakBody& body) {
  char tmpl[] = "/tmp/vx_soak_bench_XXXXXX";
  const std::string root = ::mkdtemp(tmpl) ? tmpl : "/tmp/vx_soak_bench";
  std::filesystem::create_directories(root + "/Cache");
  std::filesystem::create_directories(root + "/Save");
  objCacheReset();
  objCacheOpen(root + "/Cache", root + "/Save");
  session_testing::resetEngineState();
  double rate = -1;
  if (linkConnect("127.0.0.1", body.port()) >= 0) {
    vendorRegisterAvailableModules();
    ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, [] {});
    ptpSetEventPollFunction(linkPollEvents);
    if (camStartSession(0) == PTP_RC_OK) {
      for (CameraEvent e; camPopEvent(&e)->code != 0;) {
      }
      camStartEventThread({});
      const auto start = Clock::now();
      shoot(body, kPictures);
      int done = 0;
      while (done < kPictures && Clock::now() - start < std::chrono::seconds(120)) {
        CameraEvent e;
        if (camPopEvent(&e)->code != PTP_EC_ObjectAdded) {
          if (e.code == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
          continue;
        }
        PtpObjectInfoStruct record = e.objectInfo;
        objCacheStoreObjectInfo(&record);
        HeapBlock thumb, image;
        uint64_t length = 0;
        uint8_t orientation = 0;
        if (ptpGetThumb(record.objectId, &thumb, &orientation) != PTP_RC_OK) break;
        // A Canon body gives the picture's orientation with its thumbnail, and the session keeps it in the object's
        // record (one more synced write of the record file per picture): the same here, so that both sides do the
        // same work per picture.
        if (camIsCanon()) {
          record.orientation = orientation;
          objCacheStoreObjectInfo(&record);
        }
        objCacheSaveThumbnail(&record, thumb.data(), thumb.size());
        if (linkDownloadObject(record, &image, &length, 0) != PTP_RC_OK) break;
        if (objCacheSaveImage(&record, image.data(), image.size()).empty()) break;
        ++done;
      }
      if (done == kPictures) rate = kPictures / std::chrono::duration<double>(Clock::now() - start).count();
      camStopEventThread(true);
    }
  }
  linkDisconnect();
  objCacheReset();
  session_testing::resetEngineState();
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  return rate;
}

// The session path: pictures per second for one burst, until every picture is in the save folder.
double throughSession(soak::SoakHost& host, soak::SoakBody& body) {
  const size_t before = host.onDisk();
  const uint64_t done = host.downloadsDone();
  const auto start = Clock::now();
  shoot(body, kPictures);
  // Waiting on the count of downloads, not on a listing of the save folder at every turn of the main loop: that
  // listing grows with the folder and took the main thread from the path being measured.
  if (!platform::runMainUntil([&] { return host.downloadsDone() >= done + kPictures; }, std::chrono::seconds(120)))
    return -1;
  const double rate = kPictures / std::chrono::duration<double>(Clock::now() - start).count();
  return host.onDisk() >= before + kPictures ? rate : -1;
}

void BM_SoakBodyShot(benchmark::State& state) {
  platform::ensureTestApplication();
  soak::SoakBody body(bodyOptions());
  for (auto _ : state) body.shooter().take(devicesim::ShotKind::Jpeg);
}
BENCHMARK(BM_SoakBodyShot)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  platform::ensureTestApplication();
  engine_timing::scale().store(kScale);

  soak::SoakBody body(bodyOptions());
  if (!body.start()) return 1;
  // The rounds take turns, engine alone then a session of two bursts, so that a change in the machine's load (the
  // path is bound by the disk's syncs, which other work on the machine slows several times over) reaches both
  // sides of a turn alike. Each turn's ratio is its session against the engine-alone rounds either side of it;
  // the median turn counts.
  std::vector<double> alone{engineAlone(body)}, ratios;
  for (int turn = 0; turn < kTurns && alone.back() >= 0; ++turn) {
    double session1 = -1, session2 = -1;
    {
      soak::HostOptions h;
      h.port = body.port();
      h.scale = kScale;
      h.readTimeout = std::chrono::milliseconds(5000);
      soak::SoakHost host(h);
      host.begin();
      if (platform::runMainUntil([&] { return host.sessions() > 0; }, std::chrono::seconds(30))) {
        session1 = throughSession(host, body);
        session2 = throughSession(host, body);
      }
    }
    engine_timing::scale().store(kScale);
    alone.push_back(engineAlone(body));
    const double before = alone[alone.size() - 2], after = alone.back();
    if (before < 0 || after < 0 || session1 < 0 || session2 < 0) {
      std::fprintf(stderr, "soak_bench: a round did not finish (%.1f %.1f %.1f %.1f)\n", before, session1, session2,
                   after);
      return 1;
    }
    const double session = (session1 + session2) / 2, engine = (before + after) / 2;
    ratios.push_back(session / engine);
    std::printf("turn %d: engine alone %.1f pictures/s (%.1f before, %.1f after), session path %.1f (%.1f, %.1f): "
                "%.3f\n",
                turn + 1, engine, before, after, session, session1, session2, ratios.back());
  }
  if (ratios.size() != size_t(kTurns)) return 1;
  std::sort(ratios.begin(), ratios.end());
  std::printf("ratio session/engine alone: %.3f, the median of %d turns (target >= 0.9)\n", ratios[ratios.size() / 2],
              kTurns);
  benchmark::Shutdown();
  return 0;
}
