// Drawing the capture panel's property buttons: 11 buttons of 60 x 40 points, each mapped from its property and
// value to an icon or a text in the colour of its state and rendered, as one refresh of the panel does. Reported
// as a share of a 16.7 ms display frame (the budget is 0.2 of it), and against plain rectangle fills of the same
// 11 buttons measured in the same run (rounds interleaved, the best round of each counts).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"

namespace {

constexpr double kFrameSeconds = 0.0167;
constexpr int kButtonWidth = 60, kButtonHeight = 40;

struct Button {
  uint32_t code;
  uint32_t value;
  bool highlighted;
  bool disabled;
};

// Aperture, shutter speed, ISO, exposure mode, compensation, white balance, image format, drive mode, metering,
// focus mode and focus area: five texts and six icons, one of them highlighted and one disabled.
const std::vector<Button> kPanel = {
    {0xD101, 56, false, false},     {0xD102, 0x68, false, false},   {0xD103, 0x58, false, false},
    {0xD105, 3, false, false},      {0xD104, 0x08, false, false},   {0xD109, 1, true, false},
    {0xD120, 0x26103C03, false, false}, {0xD106, 0x04, false, false}, {0xD107, 3, false, true},
    {0xD108, 3, false, false},      {0xD22C, 0x0206, false, false},
};

struct Fixture {
  std::vector<PropertyStruct*> records;
  QImage target{kButtonWidth, kButtonHeight, QImage::Format_ARGB32_Premultiplied};
  Fixture() {
    camSetVendor(VENDOR_CANON);
    propStoreClear();
    for (const Button& b : kPanel) records.push_back(propCreate(b.code));
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void drawPanel() {
  Fixture& f = fixture();
  const platform::Font titleFont = platform::Font::named(QStringLiteral("ArialMT"), 13);
  for (size_t i = 0; i < kPanel.size(); ++i) {
    const Button& b = kPanel[i];
    const icons::PropertyVisual v = VorlaxentStyleKit::visualForProperty(
        f.records[i], b.value, platform::Size{kButtonWidth, kButtonHeight}, b.highlighted, b.disabled);
    f.target.fill(Qt::transparent);
    platform::Canvas canvas(f.target);
    if (v.isImage()) {
      v.image.runDrawingHandler(canvas);
    } else if (v.isText()) {
      canvas.drawString(v.text, platform::Rect(0, 10, kButtonWidth, 20), titleFont, platform::Color::whiteColor(),
                        platform::TextAlignment::Center);
    }
  }
  benchmark::DoNotOptimize(f.target.constBits());
}

void fillPanel() {
  Fixture& f = fixture();
  for (size_t i = 0; i < kPanel.size(); ++i) {
    f.target.fill(Qt::transparent);
    QPainter p(&f.target);
    p.fillRect(QRectF(2, 2, kButtonWidth - 4, kButtonHeight - 4), QColor(255, 255, 255));
  }
  benchmark::DoNotOptimize(f.target.constBits());
}

void BM_DrawCapturePanelIcons(benchmark::State& state) {
  for (auto _ : state) drawPanel();
}
BENCHMARK(BM_DrawCapturePanelIcons)->Unit(benchmark::kMicrosecond);

void BM_FillPanelRectangles(benchmark::State& state) {
  for (auto _ : state) fillPanel();
}
BENCHMARK(BM_FillPanelRectangles)->Unit(benchmark::kMicrosecond);

double secondsPerPanel(void (*run)(), int reps) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < reps; ++i) run();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / reps;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = 1;
  QGuiApplication app(qtArgc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();

  double bestDraw = 1e9, bestFill = 1e9;
  for (int round = 0; round < 7; ++round) {
    bestFill = std::min(bestFill, secondsPerPanel(fillPanel, 400));
    bestDraw = std::min(bestDraw, secondsPerPanel(drawPanel, 40));
  }
  std::printf("plain fills of the 11 buttons: %.1f us per panel\n", bestFill * 1e6);
  std::printf("property buttons drawn:        %.1f us per panel\n", bestDraw * 1e6);
  std::printf("ratio draw/fill: %.1f\n", bestDraw / bestFill);
  std::printf("share of a 16.7 ms frame: %.3f (budget 0.2)\n", bestDraw / kFrameSeconds);
  benchmark::Shutdown();
  return bestDraw / kFrameSeconds <= 0.2 ? 0 : 1;
}
