// The focus-stacking panel's end-point run and the tripod pad's drag, each against its own baseline measured in
// the same run.
//
// 1. An end-point stack of 20 shots against the stand-in device's Canon body, with the run's waits on a clock
//    scaled to 0: the panel's run (positioning at the start point, then drive and shot 19 times, its feedback,
//    settings and cancel checks) against the same lens drives and pictures made by direct engine calls. Budget: a
//    ratio of at most 1.1.
// 2. A drag on the tripod head's direction pad: per mouse move, the direction worked out and the pad painted,
//    against a 16.7 ms display frame. Budget: at most 0.1 of a frame.
//
// Rounds of each pair are interleaved and the best round of each side counts.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <future>
#include <memory>

#include "controls/automation/focus_stack_math.h"
#include "controls/automation/focus_stack_state.h"
#include "controls/automation/tripod_move_view.h"
#include "devicesim/canon_camera.h"
#include "engine/automation/focus_stack.h"
#include "guitest/harness.h"
#include "platform/foundation/user_defaults.h"
#include "platform/foundation/wait_clock.h"
#include "platform/ui/window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kShots = 20;
constexpr int64_t kStep = 40;  // small Canon steps between shots (increment size 1)
constexpr double kRunBudget = 1.1;
constexpr double kFrame = 1.0 / 60;
constexpr double kDragBudget = 0.1;

double seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The panel's run, from a lens that lies at the end point: it drives to the start point, then shoots its way back.
double panelRun(focus_stack::State& state) {
  state.currentSteps = -(kShots - 1) * kStep;
  state.nearStep = 0;
  state.farStep = -(kShots - 1) * kStep;
  state.shotLimit = kShots;
  state.resetCancel();
  const auto start = Clock::now();
  const ResponseCode rc =
      std::async(std::launch::async, [&] { return focus_stack::endPointRun(state, {}, kStep); }).get();
  const double took = seconds(start);
  if (rc != PTP_RC_OK) {
    std::fprintf(stderr, "the panel's run failed: 0x%04X\n", rc);
    std::exit(2);
  }
  return took;
}

// The same drives and pictures by direct engine calls.
double directRun() {
  const auto start = Clock::now();
  const ResponseCode rc = std::async(std::launch::async, [] {
                            ResponseCode r = focusDriveSteps(1, (kShots - 1) * kStep);
                            for (int shot = 0; r == PTP_RC_OK && shot < kShots; ++shot) {
                              if (shot > 0) r = focusDriveSteps(-1, kStep);
                              if (r == PTP_RC_OK) r = focusStackStep();
                            }
                            return r;
                          }).get();
  const double took = seconds(start);
  if (rc != PTP_RC_OK) {
    std::fprintf(stderr, "the direct run failed: 0x%04X\n", rc);
    std::exit(2);
  }
  return took;
}

// Waits that end at once (a clock scaled to 0), unless cancelled.
class NoWaitClock : public platform::WaitClock {
 public:
  double now() override { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); }
  bool waitFor(double, platform::Cancellation* cancel) override { return !(cancel && cancel->isCancelled()); }
};

class NoHead : public TripodMovelViewDelegate {
 public:
  void directionSelected(int direction) override { last = direction; }
  int last = 0;
};

// One drag of `moves` mouse moves round the pad, each followed by the pad's repaint.
double drag(QY_TripodMoveView& pad, int moves) {
  QWindow* window = pad.window()->windowHandle();
  const QPoint middle = pad.mapTo(pad.window(), QPoint(pad.width() / 2, pad.height() / 2));
  QTest::mousePress(window, Qt::LeftButton, {}, middle + QPoint(70, 0));
  const auto start = Clock::now();
  for (int i = 1; i <= moves; ++i) {
    const double a = 2 * M_PI * i / moves;
    QTest::mouseMove(window, middle + QPoint(int(70 * std::cos(a)), int(-70 * std::sin(a))));
    pad.repaint();
  }
  const double took = seconds(start);
  QTest::mouseRelease(window, Qt::LeftButton, {}, middle + QPoint(70, 0));
  return took / moves;
}

void BM_PadDirection(benchmark::State& st) {
  double dx = 30;
  for (auto _ : st) {
    benchmark::DoNotOptimize(tripod::directionForOffset(dx, 40));
    dx = dx > 60 ? -60 : dx + 1;
  }
}
BENCHMARK(BM_PadDirection);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  int status = 0;
  {
    guitest::Harness harness;
    if (!harness.startError().empty()) {
      std::fprintf(stderr, "%s\n", harness.startError().c_str());
      return 2;
    }
    benchmark::RunSpecifiedBenchmarks();

    // --- the run ---
    std::string why;
    if (!harness.connect("canon", &why)) {
      std::fprintf(stderr, "no session: %s\n", why.c_str());
      return 2;
    }
    platform::ScopedWaitClock noWaits(std::make_shared<NoWaitClock>());
    platform::UserDefaults::standardUserDefaults().setInteger(1, "FocusStackingIncrementSize");
    auto canon = harness.rig()->cameraAs<devicesim::CanonCamera>();
    focus_stack::State state;
    double bestPanel = 1e9, bestDirect = 1e9;
    for (int round = 0; round < 5; ++round) {
      bestDirect = std::min(bestDirect, directRun());
      bestPanel = std::min(bestPanel, panelRun(state));
      guitest::Harness::settle();
    }
    const int shots = canon->shots();
    if (shots != 10 * kShots) {
      std::fprintf(stderr, "the body took %d pictures, not %d\n", shots, 10 * kShots);
      return 2;
    }
    const double runRatio = bestPanel / bestDirect;
    std::printf("20-shot stack, direct engine calls: %.1f ms\n", bestDirect * 1e3);
    std::printf("20-shot stack, the panel's run:      %.1f ms\n", bestPanel * 1e3);
    std::printf("ratio run/direct: %.3f (budget %.1f)\n", runRatio, kRunBudget);
    if (runRatio > kRunBudget) status = 1;
    harness.endCamera();

    // --- the pad ---
    platform::Window window;
    auto* pad = new QY_TripodMoveView;
    NoHead head;
    pad->setDelegate(&head);
    window.setContentView(pad);
    window.setContentSize({200, 200});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 2;
    double bestMove = 1e9;
    for (int round = 0; round < 7; ++round) bestMove = std::min(bestMove, drag(*pad, 100));
    const double share = bestMove / kFrame;
    std::printf("pad drag, per mouse move (direction and repaint): %.3f ms\n", bestMove * 1e3);
    std::printf("share of a 16.7 ms frame: %.3f (budget %.1f)\n", share, kDragBudget);
    if (share > kDragBudget) status = 1;
  }
  benchmark::Shutdown();
  return status;
}
