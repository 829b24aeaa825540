// A click on the ISO button of the capture panel to the painted grid of its 60 values, offscreen: the mouse press
// and release on the button, the picker made and its grid built from the property's record, the popover shown, and
// its window painted once with every button. Reported as a share of 100 ms (the budget is 0.5 of it) and against a
// plain paint of 60 labelled rectangles of the same size in a window of the same size, measured in the same run
// (rounds interleaved, the best round of each counts).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "controls/property_button_host.h"
#include "controls/property_controller.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "platform/ui/popover.h"
#include "platform/ui/testing/manual_time_source.h"
#include "platform/ui/time_source.h"

namespace {

constexpr int kValues = 60;
constexpr double kBudgetSeconds = 0.1;

// The store of a Sony body with an ISO property of 60 values (ISO 50 to ISO 102400 in thirds and beyond).
void fillStore() {
  camSetVendor(VENDOR_SONY);
  propStoreClear();
  PropertyStruct* r = propCreate(0xD21E, true);
  std::vector<PropertyValueNamesStruct> list(kValues);
  for (int i = 0; i < kValues; ++i) {
    list[i].value = 50u + 25u * i;
    std::snprintf(list[i].name, sizeof list[i].name, "ISO %u", list[i].value);
  }
  propSetValueList(r, list.data(), kValues);
  r->form = kPropFormEnumeration;
  r->value = list[30].value;
  r->enabled = 1;
  propUnlock(r);
  camFillVendorPropertyCodes();
}

struct Rig {
  std::shared_ptr<platform::testing::ManualTimeSource> clock = std::make_shared<platform::testing::ManualTimeSource>();
  platform::ScopedTimeSource scoped{clock};
  controls_testing::PropertyButtonHost host;
  std::shared_ptr<PropertyController> iso;
  QImage painted;

  Rig() {
    fillStore();
    iso = PropertyController::initWithPropertyCode(0xD21E, host.button("oIsoButton"), &host);
    host.window()->show();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }

  // The click, up to the popover's window painted with the grid.
  void clickToGrid() {
    SYFlatButton* button = iso->button();
    QWindow* window = button->window()->windowHandle();
    const QPoint at = button->mapTo(button->window(), button->rect().center());
    QTest::mousePress(window, Qt::LeftButton, {}, at);
    QTest::mouseRelease(window, Qt::LeftButton, {}, at);
    platform::Window* shown = iso->popover() ? iso->popover()->popoverWindow() : nullptr;
    if (!shown) {
      std::fprintf(stderr, "the picker did not open\n");
      std::exit(2);
    }
    if (painted.size() != shown->size()) painted = QImage(shown->size(), QImage::Format_ARGB32_Premultiplied);
    shown->render(&painted);
    benchmark::DoNotOptimize(painted.constBits());
  }

  // Closes the picker and lets it go (not timed).
  void close() {
    if (iso->popover()) iso->popover()->close();
    clock->advance(platform::Popover::kFadeDuration);
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
};

// The baseline: 60 labelled rectangles of the grid's size painted into an image of the picker's size.
void plainGrid(QImage* target) {
  target->fill(QColor(44, 44, 46));
  QPainter p(target);
  p.setPen(Qt::white);
  for (int i = 0; i < kValues; ++i) {
    const QRectF r(18 + (i % 4) * 95.4, 60 + (i / 4) * 45, 77, 35);
    p.fillRect(r, QColor(128, 128, 128));
    p.drawText(r, Qt::AlignCenter, QStringLiteral("ISO %1").arg(50 + 25 * i));
  }
  benchmark::DoNotOptimize(target->constBits());
}

Rig* gRig = nullptr;

void BM_ClickIsoToPaintedGrid(benchmark::State& state) {
  for (auto _ : state) {
    gRig->clickToGrid();
    state.PauseTiming();
    gRig->close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ClickIsoToPaintedGrid)->Unit(benchmark::kMillisecond);

void BM_PlainGridPaint(benchmark::State& state) {
  QImage target(400, 310, QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) plainGrid(&target);
}
BENCHMARK(BM_PlainGridPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  int status = 0;
  {
    Rig rig;
    gRig = &rig;
    // What is measured is the whole grid.
    rig.clickToGrid();
    const size_t shown = rig.iso->propertyValuesViewController()->buttons().size();
    rig.close();
    if (shown != kValues) {
      std::fprintf(stderr, "the grid shows %zu values, not %d\n", shown, kValues);
      return 2;
    }
    benchmark::RunSpecifiedBenchmarks();

    QImage target(400, 310, QImage::Format_ARGB32_Premultiplied);
    double bestClick = 1e9, bestPlain = 1e9;
    for (int round = 0; round < 7; ++round) {
      auto start = std::chrono::steady_clock::now();
      for (int i = 0; i < 20; ++i) plainGrid(&target);
      bestPlain = std::min(bestPlain, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 20);
      start = std::chrono::steady_clock::now();
      rig.clickToGrid();
      bestClick = std::min(bestClick, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
      rig.close();
    }
    std::printf("plain paint of 60 labelled rectangles: %.2f ms\n", bestPlain * 1e3);
    std::printf("click on ISO to the painted grid:      %.2f ms\n", bestClick * 1e3);
    std::printf("ratio click/plain paint: %.1f\n", bestClick / bestPlain);
    std::printf("share of 100 ms: %.3f (budget 0.5)\n", bestClick / kBudgetSeconds);
    status = bestClick / kBudgetSeconds <= 0.5 ? 0 : 1;
    gRig = nullptr;
  }
  benchmark::Shutdown();
  return status;
}
