// The views of the windows under load, offscreen.
//
// 1. A collection view of 5,000 thumbnails (160 x 106) in a scroll view, scrolled by the wheel one step a
//    frame down to the end and back: each frame is the scroll (live-scroll notification, tiling, item reuse) and
//    a paint of the whole scroll view. Reported as a share of the 16.7 ms frame budget (target at most 0.25),
//    against a plain paint of as many thumbnail images, with the items made and the peak memory before and
//    after the run (reuse keeps both flat).
// 2. An image view showing a new 960 x 640 frame 50 times a second: each frame sets the image and paints the
//    view. Reported as a share of the 20 ms frame interval (target at most 0.15), against a plain paint of the
//    same frame.
// 3. An image view showing a 24-megapixel picture (6000 x 4000) fitted into 1200 x 800, painted again and again
//    (a window repainting over a still picture): per paint, from the copy scaled once for that size, as a share of
//    the 16.7 ms frame budget (target at most 0.1); beside it, painting from the full bitmap each time (what the
//    view did before it kept a copy) and the one scaling that the copy costs.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <time.h>
#include <vector>

#include "platform/graphics/image.h"
#include "platform/ui/collection_view.h"
#include "platform/ui/image_view.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/testing/manual_time_source.h"
#include "platform/ui/time_source.h"

namespace {

constexpr int kThumbnails = 5000;
constexpr int kThumbWidth = 160, kThumbHeight = 106;
// Decoded thumbnails as a cache holds them: a set of distinct pictures, shared by the items that show them.
constexpr int kDistinctPictures = 64;
constexpr double kFrameBudget = 1.0 / 60;
constexpr double kLiveViewInterval = 1.0 / 50;
constexpr int kViewWidth = 800, kViewHeight = 600;

long peakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

QImage picture(int i, int w, int h) {
  QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&img);
  p.fillRect(img.rect(), QColor::fromHsv(i * 37 % 360, 150, 220));
  p.fillRect(QRect(0, h / 2, w, h / 2), QColor::fromHsv(i * 37 % 360, 200, 110));
  p.setPen(Qt::white);
  p.drawText(img.rect(), Qt::AlignCenter, QString::number(i));
  return img;
}

int gItemsMade = 0;

// A thumbnail item: the picture in an image view on a layer-backed item view with a selection border.
class ThumbnailItem : public platform::CollectionViewItem {
 public:
  ThumbnailItem() { ++gItemsMade; }
  platform::ImageView* image = nullptr;

 protected:
  void loadView() override {
    auto* root = new platform::View();
    root->resize(kThumbWidth, kThumbHeight);
    image = new platform::ImageView(root);
    image->setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
    image->setGeometry(0, 0, kThumbWidth, kThumbHeight);
    root->layer().setBorderColor(platform::Color::rgb(1, 1, 0));
    root->layer().setCornerRadius(5);
    setView(root);
  }
};

struct Thumbnails : platform::CollectionViewDataSource {
  std::vector<platform::Image> pictures;
  Thumbnails() {
    for (int i = 0; i < kDistinctPictures; ++i) pictures.push_back(platform::Image::fromBitmap(picture(i, kThumbWidth, kThumbHeight)));
  }
  int collectionViewNumberOfItemsInSection(platform::CollectionView*, int) override { return kThumbnails; }
  platform::CollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
      platform::CollectionView* view, const platform::IndexPath& path) override {
    auto* item = static_cast<ThumbnailItem*>(view->makeItemWithIdentifier("Thumbnail", path));
    item->view();
    item->image->setImage(pictures[path.item % kDistinctPictures]);
    static_cast<platform::View*>(item->view())->layer().setBorderWidth(path.item % 9 == 0 ? 3 : 0);
    return item;
  }
};

struct GridScene {
  std::shared_ptr<platform::testing::ManualTimeSource> clock = std::make_shared<platform::testing::ManualTimeSource>();
  platform::ScopedTimeSource scoped{clock};
  Thumbnails source;
  platform::ScrollView scroll;
  platform::CollectionView* grid = new platform::CollectionView();
  QImage canvas{kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied};
  int direction = -1;  // wheel down

  GridScene() {
    scroll.resize(kViewWidth, kViewHeight);
    grid->registerClass([] { return std::make_unique<ThumbnailItem>(); }, "Thumbnail");
    platform::CollectionViewFlowLayout layout;
    layout.itemSize = {double(kThumbWidth), double(kThumbHeight)};
    grid->setCollectionViewLayout(layout);
    grid->setDataSource(&source);
    // The card browser's grey ground behind the items.
    auto* ground = new platform::View();
    ground->layer().setBackgroundColor(platform::Color::rgb(0.5, 0.5, 0.5));
    grid->setBackgroundView(ground);
    scroll.setDocumentView(grid);
    scroll.setHasVerticalScroller(true);
    grid->reloadData();
    // Not shown: the frame's paint is the render below, not a second one into a window's backing store.
  }

  void runFrame() {
    scrollStep();
    scroll.render(&canvas);
    // What the event loop would do between frames (deferred deletes, queued calls); nothing piles up.
    QCoreApplication::sendPostedEvents();
  }
  // The layout half of a frame: a wheel step and what follows from it (tiling, reuse).
  void scrollStep() {
    const platform::Rect shown = scroll.documentVisibleRect();
    if (direction < 0 && shown.maxY() >= grid->height()) direction = 1;
    if (direction > 0 && shown.y() <= 0) direction = -1;
    const QPointF at(100, 100);
    QWheelEvent wheel(at, scroll.mapToGlobal(at), QPoint(), QPoint(0, 120 * direction), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&scroll, &wheel);
    clock->advance(kFrameBudget);
  }
};

// The plain baseline: as many thumbnail images as the grid shows, painted in place.
struct ThumbnailBaseline {
  std::vector<QImage> pictures;
  QImage canvas{kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied};
  int shown;
  explicit ThumbnailBaseline(int count) : shown(count) {
    for (int i = 0; i < kDistinctPictures; ++i) pictures.push_back(picture(i, kThumbWidth, kThumbHeight));
  }
  void runFrame() {
    canvas.fill(Qt::black);
    QPainter p(&canvas);
    for (int i = 0; i < shown; ++i) {
      p.drawImage(QPointF(i % 4 * 170, i / 4 * 116), pictures[i % kDistinctPictures]);
    }
  }
};

struct LiveViewScene {
  std::vector<platform::Image> frames;
  platform::ImageView view;
  QImage canvas{960, 640, QImage::Format_ARGB32_Premultiplied};
  int frame = 0;
  LiveViewScene() {
    for (int i = 0; i < 3; ++i) frames.push_back(platform::Image::fromBitmap(picture(i, 960, 640)));
    view.resize(960, 640);
    view.setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
  }
  void runFrame() {
    view.setImage(frames[frame++ % frames.size()]);
    view.render(&canvas);
  }
};

struct LiveViewBaseline {
  std::vector<QImage> frames;
  QImage canvas{960, 640, QImage::Format_ARGB32_Premultiplied};
  int frame = 0;
  LiveViewBaseline() {
    for (int i = 0; i < 3; ++i) frames.push_back(picture(i, 960, 640));
  }
  void runFrame() {
    QPainter p(&canvas);
    p.drawImage(QRectF(0, 0, 960, 640), frames[frame++ % frames.size()]);
  }
};

struct PerFrame {
  double wall = 1e9;  // seconds
  double cpu = 1e9;   // seconds of processor time of the whole process (the painter hands work to threads)
};

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The best of a few rounds, for wall time and processor time each.
template <class F>
PerFrame perFrame(F&& run, int frames, int rounds) {
  PerFrame best;
  for (int round = 0; round < rounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = processCpuSeconds();
    for (int i = 0; i < frames; ++i) run();
    best.cpu = std::min(best.cpu, (processCpuSeconds() - cpuStart) / frames);
    best.wall = std::min(best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / frames);
  }
  return best;
}

constexpr int kPictureWidth = 6000, kPictureHeight = 4000;
constexpr int kStillWidth = 1200, kStillHeight = 800;

// A 24-megapixel photograph's worth of pixels: smooth gradients with some detail, opaque.
QImage largePicture() {
  QImage img(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
  for (int y = 0; y < kPictureHeight; ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < kPictureWidth; ++x) row[x] = qRgb(x * 255 / kPictureWidth, y * 255 / kPictureHeight, (x ^ y) & 0xff);
  }
  return img;
}

struct StillScene {
  platform::ImageView view;
  QImage canvas{kStillWidth, kStillHeight, QImage::Format_ARGB32_Premultiplied};
  explicit StillScene(const QImage& picture) {
    view.resize(kStillWidth, kStillHeight);
    view.setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
    view.setImage(platform::Image::fromBitmap(picture));
  }
  void runFrame() { view.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren); }
};

// The full bitmap drawn into the fitted rectangle on every paint, with the smooth scaling the views paint with.
struct FullBitmapPaint {
  QImage picture;
  QImage canvas{kStillWidth, kStillHeight, QImage::Format_ARGB32_Premultiplied};
  explicit FullBitmapPaint(const QImage& p) : picture(p) {}
  void runFrame() {
    QPainter painter(&canvas);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, kStillWidth, kStillHeight), picture);
  }
};

// Made in main, after the application, and destroyed before it.
std::unique_ptr<GridScene> gGrid;
std::unique_ptr<LiveViewScene> gLiveView;
std::unique_ptr<StillScene> gStill;
std::unique_ptr<FullBitmapPaint> gFullBitmap;

void BM_ThumbnailGridScrollFrame(benchmark::State& state) {
  for (auto _ : state) gGrid->runFrame();
  state.counters["items_made"] = gItemsMade;
}
BENCHMARK(BM_ThumbnailGridScrollFrame);

void BM_ThumbnailGridLayoutOnly(benchmark::State& state) {
  for (auto _ : state) gGrid->scrollStep();
}
BENCHMARK(BM_ThumbnailGridLayoutOnly);

void BM_ThumbnailGridPaintOnly(benchmark::State& state) {
  for (auto _ : state) gGrid->scroll.render(&gGrid->canvas);
}
BENCHMARK(BM_ThumbnailGridPaintOnly);

void BM_LiveViewImageFrame(benchmark::State& state) {
  for (auto _ : state) gLiveView->runFrame();
}
BENCHMARK(BM_LiveViewImageFrame);

void BM_LargePictureFittedPaint(benchmark::State& state) {
  gStill->runFrame();  // the copy, once
  for (auto _ : state) gStill->runFrame();
}
BENCHMARK(BM_LargePictureFittedPaint);

void BM_LargePictureFullBitmapPaint(benchmark::State& state) {
  for (auto _ : state) gFullBitmap->runFrame();
}
BENCHMARK(BM_LargePictureFullBitmapPaint);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  gGrid = std::make_unique<GridScene>();
  gLiveView = std::make_unique<LiveViewScene>();
  {
    const QImage picture = largePicture();
    gStill = std::make_unique<StillScene>(picture);
    gFullBitmap = std::make_unique<FullBitmapPaint>(picture);
  }
  // The one scaling: the first paint makes the copy.
  const auto scaleStart = std::chrono::steady_clock::now();
  gStill->runFrame();
  const double firstPaint = std::chrono::duration<double>(std::chrono::steady_clock::now() - scaleStart).count();
  benchmark::RunSpecifiedBenchmarks();

  // The grid: a whole pass down and back (wheel steps of 40 points over 145,000 points), in three rounds.
  ThumbnailBaseline baseline(int(gGrid->grid->indexPathsForVisibleItems().size()));
  const int madeBefore = gItemsMade;
  const long peakBefore = peakResidentKiB();
  const int pass = 2 * int(gGrid->grid->height() / platform::ScrollView::kLineScroll);
  const PerFrame plainGrid = perFrame([&] { baseline.runFrame(); }, 200, 3);
  const PerFrame grid = perFrame([&] { gGrid->runFrame(); }, pass, 3);
  std::printf("collection view of %d thumbnails (%dx%d), %zu items in view, per frame (scroll, layout, paint): "
              "%.3f ms wall, %.3f ms processor\n",
              kThumbnails, kThumbWidth, kThumbHeight, gGrid->grid->indexPathsForVisibleItems().size(),
              grid.wall * 1e3, grid.cpu * 1e3);
  std::printf("plain paint of as many thumbnails: %.3f ms wall; ratio %.1f\n", plainGrid.wall * 1e3,
              grid.wall / plainGrid.wall);
  std::printf("share of the 16.7 ms frame budget (target <= 0.25): %.3f by wall time, %.3f by processor time\n",
              grid.wall / kFrameBudget, grid.cpu / kFrameBudget);
  std::printf("items made: %d before the passes, %d after; peak memory %ld KiB before, %ld KiB after\n", madeBefore,
              gItemsMade, peakBefore, peakResidentKiB());

  // The live view: 50 frames a second, in five rounds of a second's worth.
  LiveViewBaseline plain;
  const PerFrame plainImage = perFrame([&] { plain.runFrame(); }, 50, 5);
  const PerFrame image = perFrame([&] { gLiveView->runFrame(); }, 50, 5);
  std::printf("image view, 960x640 frame: %.3f ms wall, %.3f ms processor; plain paint %.3f ms; ratio %.1f\n",
              image.wall * 1e3, image.cpu * 1e3, plainImage.wall * 1e3, image.wall / plainImage.wall);
  std::printf("share of the 20 ms frame interval (target <= 0.15): %.3f by wall time, %.3f by processor time\n",
              image.wall / kLiveViewInterval, image.cpu / kLiveViewInterval);

  // The still picture: the copy's paint against the full bitmap's, each the best of five rounds.
  const PerFrame still = perFrame([&] { gStill->runFrame(); }, 30, 5);
  const PerFrame full = perFrame([&] { gFullBitmap->runFrame(); }, 5, 5);
  std::printf("image view, %dx%d picture fitted into %dx%d, per paint from the scaled copy: %.3f ms wall, %.3f ms "
              "processor (the copy made once in %.1f ms)\n",
              kPictureWidth, kPictureHeight, kStillWidth, kStillHeight, still.wall * 1e3, still.cpu * 1e3,
              firstPaint * 1e3);
  std::printf("share of the 16.7 ms frame budget (target <= 0.1): %.3f by wall time, %.3f by processor time\n",
              still.wall / kFrameBudget, still.cpu / kFrameBudget);
  std::printf("painting from the full bitmap each time: %.3f ms wall (share %.3f); the copy paints %.0f times "
              "faster\n",
              full.wall * 1e3, full.wall / kFrameBudget, full.wall / still.wall);
  std::fflush(stdout);
  gFullBitmap.reset();
  gStill.reset();
  gLiveView.reset();
  gGrid.reset();
  benchmark::Shutdown();
  return 0;
}
