// The card browser. Each figure is a ratio to a baseline measured in the same run:
//  - The grid with 5,000 items scrolled a step at a time: layout and paint of one frame, against one frame
//    (16.7 ms). Target <= 0.25.
//  - 20 objects downloaded through the browser (its download loop and alert), against bare doDownloadImage calls
//    for 20 such objects: throughput ratio bare time / browser time. Target >= 0.95.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/windows/app_delegate.h"
#include "app/viewing/thumbnail_view_cell.h"
#include "app/windows/card_contents_view_controller.h"
#include "app/windows/card_contents_window_controller.h"
#include "bench/measurements.h"
#include "devicesim/card_contents.h"
#include "devicesim/generic_camera.h"
#include "guitest/harness.h"
#include "platform/foundation/dispatch.h"
#include "platform/ui/collection_view.h"
#include "platform/ui/scroll_view.h"
#include "session/camera_controller.h"
#include "session/ptp_object_info_class.h"
#include "widgets/jw_alert.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kFrameMs = 16.7;
constexpr int kItems = 5000;
constexpr int kDownloads = 20;
constexpr int kRounds = 7;
constexpr uint32_t kPictureSize = 2 * 1024 * 1024;

double msSince(Clock::time_point start) { return std::chrono::duration<double, std::milli>(Clock::now() - start).count(); }

// The browser's grid as it stands with 5,000 loaded items: its cell, its layout, and records that keep each
// thumbnail as the browser does (compressed, at most the cell's size, decoded when its item shows).
class GridSource : public platform::CollectionViewDataSource {
 public:
  GridSource() {
    for (int i = 0; i < kItems; ++i) {
      QImage thumb(160, 120, QImage::Format_RGB32);
      QPainter p(&thumb);
      p.fillRect(thumb.rect(), QColor::fromHsv(i % 360, 160, 200));
      p.fillRect(QRect(20 + i % 50, 20, 60, 40), QColor(240, 200, 80));
      p.drawText(QRect(0, 80, 160, 40), Qt::AlignCenter, QString::number(i));
      p.end();
      QByteArray bytes;
      QBuffer buffer(&bytes);
      buffer.open(QIODevice::WriteOnly);
      thumb.save(&buffer, "JPG", 90);
      PtpObjectInfoStruct info{};
      info.objectId = uint32_t(i + 1);
      info.objectFormat = 0x3801;
      std::snprintf(info.fileName, sizeof info.fileName, "IMG_%04d.JPG", i);
      CardContentsViewController::Record record;
      record.thumbnail = bytes;
      record.objectInfo = PtpObjectInfoClass::init(&info);
      record.fullImagePath = "NA";
      records_.push_back(std::move(record));
    }
  }
  int collectionViewNumberOfItemsInSection(platform::CollectionView*, int) override { return kItems; }
  platform::CollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
      platform::CollectionView* view, const platform::IndexPath& path) override {
    auto* cell = static_cast<ThumbnailViewCell*>(
        view->makeItemWithIdentifier(CardContentsViewController::kCellIdentifier, path));
    const CardContentsViewController::Record& record = records_[size_t(path.item)];
    cell->setShowFilename(true);
    cell->setObjectInfo(record.objectInfo);
    cell->setFullImagePath(record.fullImagePath);
    cell->setThumbnailImage(record.image());
    return cell;
  }

 private:
  std::vector<CardContentsViewController::Record> records_;
};

int gridFigure() {
  guitest::Harness harness;
  const double before = bench::residentMegabytes();
  GridSource source;
  platform::ScrollView scroll;
  scroll.resize(900, 570);
  auto* grid = new platform::CollectionView;
  grid->setCollectionViewLayout(CardContentsViewController::gridLayout());
  grid->registerClass([] { return std::make_unique<ThumbnailViewCell>(); }, CardContentsViewController::kCellIdentifier);
  grid->setDataSource(&source);
  scroll.setDocumentView(grid);
  scroll.show();
  grid->reloadData();
  QImage frame(scroll.size(), QImage::Format_ARGB32_Premultiplied);
  const double height = grid->collectionViewContentSize().height;
  const int frames = 600;
  double y = 0;
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < frames; ++i) {
    y += 37;
    if (y > height - 570) y = 0;
    scroll.contentView()->scrollToPoint({0, y});
    QApplication::processEvents();
    QPainter painter(&frame);
    scroll.render(&painter);
  }
  const double perFrame = msSince(start) / frames;
  std::printf("grid of %d items, one scrolled frame laid out and painted: %.2f ms (visible items %zu)\n", kItems,
              perFrame, grid->visibleItems().size());
  std::printf("ratio frame time/frame: %.3f (target <= 0.25)\n", perFrame / kFrameMs);
  std::printf("memory for the %d records and the grid: %.1f MB (target <= 200 MB)\n", kItems, bench::residentMegabytes() - before);
  return 0;
}

bool connectWithObjects(guitest::Harness& harness, std::vector<uint32_t>* handles) {
  if (!harness.connect("nikon")) return false;
  auto camera = harness.rig()->cameraAs<devicesim::GenericCamera>();
  if (!camera) return false;
  devicesim::CardFill fill;
  fill.count = kDownloads;
  fill.distinct = kDownloads;
  fill.jpegSize = kPictureSize;
  *handles = devicesim::fillCameraCard(*camera, fill);
  return true;
}

double throughBrowser() {
  guitest::Harness harness;
  std::vector<uint32_t> handles;
  if (!connectWithObjects(harness, &handles)) return -1;
  harness.alerts().answer = [](JW_Alert& alert, const session_testing::ShownAlert& shown) {
    if (shown.title != "Downloading Images...") alert.okAction(alert.oOkButton);
  };
  harness.appDelegate().showCardContents();
  CardContentsViewController* browser = harness.appDelegate().cardContentsWindowController()->cardContentsViewController();
  if (!guitest::Harness::waitUntil([&] { return browser->loadedRecords().size() == size_t(kDownloads) && !browser->isLoading(); },
                                   std::chrono::milliseconds(60000)))
    return -1;
  browser->oCollectionView->selectAll();
  ::sync();
  const Clock::time_point start = Clock::now();
  browser->downloadImages();  // modal until the loop closes its alert
  guitest::Harness::waitUntil([&] { return !browser->isDownloadRunning(); }, std::chrono::milliseconds(60000));
  return msSince(start);
}

double bareCalls() {
  guitest::Harness harness;
  std::vector<uint32_t> handles;
  if (!connectWithObjects(harness, &handles)) return -1;
  std::vector<std::shared_ptr<PtpObjectInfoClass>> objects;
  for (uint32_t h : handles) {
    PtpObjectInfoStruct record{};
    record.objectId = h;
    if (Utilities::getObjectInfo(&record) != 0x2001) return -1;
    objects.push_back(std::make_shared<PtpObjectInfoClass>(record));
  }
  platform::Semaphore done(0);
  ::sync();
  const Clock::time_point start = Clock::now();
  platform::globalQueue().async([&] {
    for (const auto& o : objects) CameraController::instance().doDownloadImage(*o, true, false, false);
    done.signal();
  });
  guitest::Harness::waitUntil([&] { return done.waitFor(std::chrono::milliseconds(0)); }, std::chrono::milliseconds(60000));
  return msSince(start);
}

int downloadFigure() {
  // One round of each first, not counted: the first sessions of a process pay for what later ones find ready.
  if (throughBrowser() < 0 || bareCalls() < 0) return std::fprintf(stderr, "card_contents_bench: warm-up failed\n"), 1;
  double browser = 0, bare = 0;
  std::vector<double> ratios;
  for (int round = 0; round < kRounds; ++round) {
    // Alternating which goes first, so that a drift of the machine's load weighs on both alike.
    const bool browserFirst = round % 2 == 0;
    double b = browserFirst ? throughBrowser() : 0;
    const double d = bareCalls();
    if (!browserFirst) b = throughBrowser();
    if (b < 0 || d < 0) return std::fprintf(stderr, "card_contents_bench: a download round failed\n"), 1;
    browser += b;
    bare += d;
    ratios.push_back(d / b);
  }
  std::sort(ratios.begin(), ratios.end());
  std::printf("%d objects of %u bytes: through the browser %.1f ms, bare doDownloadImage calls %.1f ms (mean of %d)\n",
              kDownloads, kPictureSize, browser / kRounds, bare / kRounds, kRounds);
  std::printf("ratio bare/browser: %.3f, median of the rounds' ratios %.3f (target >= 0.95)\n", bare / browser,
              ratios[ratios.size() / 2]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  int failed = gridFigure();
  failed += downloadFigure();
  benchmark::Shutdown();
  return failed == 0 ? 0 : 1;
}
