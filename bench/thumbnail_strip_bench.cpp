// The camera window's thumbnail strip with 5,000 items, offscreen, laid out as the window lays it (one sideways row
// of 120 x 120 items in a strip 1,100 points wide). Each figure is the best of a few rounds, as a share of the
// 16.7 ms frame budget (target at most 0.25), measured at 100 items and at 5,000 in the same run so that anything
// that grows with the count shows as the ratio between the two:
//
// 1. A scrolled frame: the strip scrolled by 40 points, laid out (items reused), and painted whole.
// 2. Appending one item: its camera thumbnail (160 x 120 JPEG) decoded, inserted and scrolled to the end.
// 3. Removing one item: the oldest (the whole list moves up by one) and the collection view's reload around it.
//
// Then the memory the 5,000 thumbnails hold (target at most 200 MB): the pictures' bytes and the process's growth.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "app/viewing/thumbnail_strip_controller.h"
#include "bench/measurements.h"
#include "platform/foundation/dispatch.h"
#include "platform/ui/scroll_view.h"
#include "session/ptp_object_info_class.h"

namespace {

using bench::best;
using bench::residentMegabytes;
using bench::seconds;

constexpr double kFrameBudget = 1.0 / 60;
constexpr int kStripWidth = 1100, kStripHeight = 136;
constexpr int kManyItems = 5000, kFewItems = 100;

std::vector<uint8_t> cameraThumbnail(int seed) {
  // A picture with some detail, so that its JPEG costs what a camera's does to decode.
  QImage image(160, 120, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      image.setPixel(x, y, qRgb((x * 3 + seed) & 255, (y * 5 + seed * 7) & 255, ((x ^ y) + seed * 13) & 255));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPEG", 85);
  return {bytes.begin(), bytes.end()};
}

std::shared_ptr<const PtpObjectInfoClass> objectOf(uint32_t handle) {
  PtpObjectInfoStruct record{};
  record.objectId = handle;
  record.objectFormat = 0x3801;
  const std::string name = "IMG_" + std::to_string(handle) + ".JPG";
  std::strncpy(record.fileName, name.c_str(), sizeof record.fileName - 1);
  record.fileNameLength = uint16_t(name.size() + 1);
  record.orientation = handle % 4 == 0 ? 6 : 1;
  return PtpObjectInfoClass::init(&record);
}

// Lets the insert and delete animations end, so that each measurement starts from a settled strip.
void settle() {
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

struct Strip {
  std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
  platform::ScrollView* scroll = new platform::ScrollView(window.get());
  platform::CollectionView* collection = new platform::CollectionView();
  std::unique_ptr<MainThumbnailController> controller;
  QImage canvas{kStripWidth, kStripHeight, QImage::Format_ARGB32_Premultiplied};
  std::vector<uint8_t> thumbnail = cameraThumbnail(7);
  uint32_t nextHandle = 1;
  uint32_t oldest = 1;
  double scrollX = 0;

  Strip() {
    window->resize(kStripWidth, kStripHeight);
    scroll->setGeometry(0, 0, kStripWidth, kStripHeight);
    collection->setCollectionViewLayout(MainThumbnailController::stripLayout());
    scroll->setDocumentView(collection);
    controller = std::make_unique<MainThumbnailController>(collection, nullptr);
    window->show();
  }
  void append() { controller->addThumnailImage(thumbnail, objectOf(nextHandle++)); }
  void fillTo(int count) {
    while (controller->count() < count) append();
    settle();
  }
  void removeOldest() { controller->deleteThumbnail(*objectOf(oldest++)->origObjectInfo()); }
  void scrolledFrame() {
    const double room = collection->width() - kStripWidth;
    scrollX = scrollX + 40 > room ? 0 : scrollX + 40;
    scroll->contentView()->setBoundsOrigin({scrollX, 0});
    window->render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
  }
};

std::unique_ptr<Strip> gStrip;

void BM_ScrolledFrame(benchmark::State& state) {
  gStrip->fillTo(int(state.range(0)));
  for (auto _ : state) gStrip->scrolledFrame();
}
BENCHMARK(BM_ScrolledFrame)->Arg(kFewItems)->Arg(kManyItems)->Unit(benchmark::kMillisecond);

void BM_AppendAndRemove(benchmark::State& state) {
  gStrip->fillTo(int(state.range(0)));
  for (auto _ : state) {
    gStrip->append();
    gStrip->removeOldest();
  }
  settle();
}
BENCHMARK(BM_AppendAndRemove)->Arg(kFewItems)->Arg(kManyItems)->Unit(benchmark::kMillisecond);

struct Figures {
  double frame, append, remove;
};

Figures measure(int count) {
  const int rounds = 7, perRound = 10;
  gStrip->fillTo(count);
  Figures f{};
  f.frame = best([] { for (int i = 0; i < perRound; ++i) gStrip->scrolledFrame(); }, rounds) / perRound;
  double append = 1e9, remove = 1e9;
  for (int i = 0; i < rounds; ++i) {
    append = std::min(append, seconds([] { gStrip->append(); }));
    settle();
    remove = std::min(remove, seconds([] { gStrip->removeOldest(); }));
    settle();
  }
  f.append = append;
  f.remove = remove;
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  platform::prepareMainQueue();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The figures first, so that the process's growth is the strip's alone.
  const double before = residentMegabytes();
  gStrip = std::make_unique<Strip>();
  const Figures few = measure(kFewItems);
  const Figures many = measure(kManyItems);
  std::printf("thumbnail strip, share of the 16.7 ms frame at %d / %d items (targets <= 0.25; growth = many / few):\n",
              kFewItems, kManyItems);
  std::printf("  scrolled frame (layout and paint): %.3f ms / %.3f ms, share %.3f / %.3f, growth %.2f\n",
              few.frame * 1e3, many.frame * 1e3, few.frame / kFrameBudget, many.frame / kFrameBudget,
              many.frame / few.frame);
  std::printf("  append one (decode, insert, scroll to the end): %.3f ms / %.3f ms, share %.3f / %.3f, growth %.2f\n",
              few.append * 1e3, many.append * 1e3, few.append / kFrameBudget, many.append / kFrameBudget,
              many.append / few.append);
  std::printf("  remove one (delete and reload): %.3f ms / %.3f ms, share %.3f / %.3f, growth %.2f\n",
              few.remove * 1e3, many.remove * 1e3, few.remove / kFrameBudget, many.remove / kFrameBudget,
              many.remove / few.remove);
  gStrip->fillTo(kManyItems);
  double pictures = 0;
  for (int i = 0; i < gStrip->controller->count(); ++i) pictures += double(gStrip->controller->imageAt(i).sizeInBytes());
  std::printf("  memory at %d items: thumbnails %.1f MB, process growth %.1f MB (target <= 200 MB); items made %zu\n",
              gStrip->controller->count(), pictures / (1024.0 * 1024.0), residentMegabytes() - before,
              gStrip->collection->visibleItems().size());
  gStrip.reset();

  gStrip = std::make_unique<Strip>();
  benchmark::RunSpecifiedBenchmarks();
  gStrip.reset();
  return 0;
}
