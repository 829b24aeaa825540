// The card browser. Each figure is a ratio to a baseline measured in the same run:
//  - The grid with 5,000 items scrolled a step at a time: layout and paint of one frame, against one frame
//    (16.7 ms). Target <= 0.25.
//  - 20 objects downloaded through the browser (its download loop and alert), against bare doDownloadImage calls
//    for 20 such objects: throughput ratio bare time / browser time. Target >= 0.95.
//
// How the downloads are compared. Each round is a fresh session with the browser open on a card of 20 pictures;
// both paths run in it four times each, in the order ABBA BAAB (the browser is A in even rounds, the bare calls in
// odd ones), so that a drift of the machine's load within the round, and whatever the first transfer of a session
// pays, weigh on both alike. Both paths write into the same save folder, which is checked to hold the 20 whole
// pictures (a path served from the object cache would transfer nothing) and emptied before the next path. Both end
// at the same kind of event: the worker's loop posts a main-queue block that ends a nested event loop (the
// browser's modal alert, closed by the loop's last block, where downloadImages() returns; a plain event loop for
// the bare calls), not at a poll whose period would differ from the other path's.
// Every session's folders, the save folder among them, are on a memory file system when the machine has one
// (/dev/shm): each download is synced to its file, and on a shared disk those syncs took from 4 to 80 ms a
// picture, far more than anything the browser adds. The figures' line says where the folders were.
// The harness runs the widgets' timers and animations and the platform's waits ten times faster than the product
// does; the timed paths run at the product's pace (the engine's own time-outs stay scaled: none is met here).
// The figure is the median of the rounds' ratios (each round: the median of its bare times over the median of
// its browser times), with their quartiles and range. The machine's load average is printed beside it: on a
// machine whose cores are all taken, whatever the browser's main thread does (its alert's first show is about
// 10 ms of it) is taken from the transfer, and the rounds spread widely.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QEventLoop>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
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
#include "platform/foundation/wait_clock.h"
#include "platform/ui/collection_view.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/time_source.h"
#include "session/camera_controller.h"
#include "session/ptp_object_info_class.h"
#include "widgets/jw_alert.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kFrameMs = 16.7;
constexpr int kItems = 5000;
constexpr int kDownloads = 20;
constexpr int kRounds = 21;
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

// The save folder holds kDownloads whole pictures, which are removed so that the next path transfers them again.
bool takeDownloads(const std::string& folder) {
  std::error_code ec;
  int whole = 0;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
    files.push_back(entry.path());
    if (entry.is_regular_file(ec) && entry.file_size(ec) == kPictureSize) ++whole;
  }
  for (const auto& file : files) std::filesystem::remove(file, ec);
  return whole == kDownloads;
}

// The browser's download of everything selected: its loop on a worker, its alert modal until the loop's last
// main-queue block closes it.
double throughBrowser(guitest::Harness& harness, CardContentsViewController* browser) {
  browser->oCollectionView->selectAll();
  ::sync();
  const Clock::time_point start = Clock::now();
  browser->downloadImages();
  const double elapsed = msSince(start);
  if (browser->isDownloadRunning() || !takeDownloads(harness.saveFolder())) return -1;
  return elapsed;
}

// The same objects through bare doDownloadImage calls on a worker, whose last main-queue block ends the wait.
double bareCalls(guitest::Harness& harness, const std::vector<std::shared_ptr<PtpObjectInfoClass>>& objects) {
  struct Work {
    std::vector<std::shared_ptr<PtpObjectInfoClass>> objects;
    std::atomic<int> landed{0};
  };
  auto work = std::make_shared<Work>();
  work->objects = objects;
  QEventLoop loop;
  QTimer::singleShot(60000, &loop, [&loop] { loop.exit(1); });
  ::sync();
  const Clock::time_point start = Clock::now();
  platform::globalQueue().async([work, waiting = QPointer<QEventLoop>(&loop)] {
    for (const auto& o : work->objects)
      if (CameraController::instance().doDownloadImage(*o, true, false, false)) ++work->landed;
    platform::mainQueue().async([waiting] {
      if (waiting) waiting->exit(0);
    });
  });
  const bool timedOut = loop.exec() != 0;
  const double elapsed = msSince(start);
  if (timedOut || work->landed != kDownloads || !takeDownloads(harness.saveFolder())) return -1;
  return elapsed;
}

double quantile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  const double at = q * double(values.size() - 1);
  const size_t low = size_t(at);
  const size_t high = std::min(low + 1, values.size() - 1);
  return values[low] + (values[high] - values[low]) * (at - double(low));
}

struct Round {
  double browser = -1;
  double bare = -1;
};

Round downloadRound(bool browserFirst) {
  Round round;
  guitest::Harness harness;
  std::vector<uint32_t> handles;
  if (!connectWithObjects(harness, &handles)) return round;
  harness.alerts().answer = [](JW_Alert& alert, const session_testing::ShownAlert& shown) {
    if (shown.title != "Downloading Images...") alert.okAction(alert.oOkButton);
  };
  std::vector<std::shared_ptr<PtpObjectInfoClass>> objects;
  for (uint32_t h : handles) {
    PtpObjectInfoStruct record{};
    record.objectId = h;
    if (Utilities::getObjectInfo(&record) != 0x2001) return round;
    objects.push_back(std::make_shared<PtpObjectInfoClass>(record));
  }
  harness.appDelegate().showCardContents();
  CardContentsViewController* browser = harness.appDelegate().cardContentsWindowController()->cardContentsViewController();
  if (!guitest::Harness::waitUntil([&] { return browser->loadedRecords().size() == size_t(kDownloads) && !browser->isLoading(); },
                                   std::chrono::milliseconds(60000)))
    return round;
  // The paths are timed at the product's own pace: the harness runs the widgets' timers and animations ten times
  // faster to keep tests short, which put ten times the alert's animation frames inside each transfer.
  platform::ScopedTimeSource productTime(platform::realTimeSource());
  platform::ScopedWaitClock productWaits(platform::realWaitClock());
  // A is the path that goes first: the order cancels a drift of the load within the round, straight or curved.
  constexpr char kOrder[] = "ABBABAAB";
  std::vector<double> browserTimes, bareTimes;
  for (const char* step = kOrder; *step; ++step) {
    const bool throughTheBrowser = (*step == 'A') == browserFirst;
    const double ms = throughTheBrowser ? throughBrowser(harness, browser) : bareCalls(harness, objects);
    if (ms < 0) return round;
    // What a path left queued (the alert's deletion, the browser's repaint once it is active again) runs now,
    // not inside the next path's time.
    guitest::Harness::settle();
    (throughTheBrowser ? browserTimes : bareTimes).push_back(ms);
  }
  round.browser = quantile(browserTimes, 0.5);
  round.bare = quantile(bareTimes, 0.5);
  return round;
}

std::string loadAverage() {
  std::ifstream in("/proc/loadavg");
  std::string one;
  return in >> one ? one : std::string("?");
}

int downloadFigure(const std::string& folders) {
  const std::string loadBefore = loadAverage();
  // One round first, not counted: the first sessions of a process pay for what later ones find ready.
  if (const Round warm = downloadRound(true); warm.browser < 0 || warm.bare < 0)
    return std::fprintf(stderr, "card_contents_bench: warm-up failed\n"), 1;
  std::vector<double> browser, bare, ratios;
  for (int round = 0; round < kRounds; ++round) {
    const Round r = downloadRound(round % 2 == 0);
    if (r.browser < 0 || r.bare < 0) return std::fprintf(stderr, "card_contents_bench: a download round failed\n"), 1;
    browser.push_back(r.browser);
    bare.push_back(r.bare);
    ratios.push_back(r.bare / r.browser);
  }
  std::printf("%d objects of %u bytes, folders %s, load average %s then %s\n", kDownloads, kPictureSize,
              folders.c_str(), loadBefore.c_str(), loadAverage().c_str());
  std::printf("medians of %d rounds: through the browser %.1f ms, bare doDownloadImage calls %.1f ms\n", kRounds,
              quantile(browser, 0.5), quantile(bare, 0.5));
  std::printf("ratio bare/browser: median of the rounds' ratios %.3f (quartiles %.3f-%.3f, range %.3f-%.3f) (target >= 0.95)\n",
              quantile(ratios, 0.5), quantile(ratios, 0.25), quantile(ratios, 0.75), quantile(ratios, 0),
              quantile(ratios, 1));
  return 0;
}

// The sessions' temporary folders (settings, object cache, save folder) in a folder of their own on the memory
// file system; empty when there is none, and the system's temporary folder serves.
std::string memoryTemporaryFolder() {
  if (::access("/dev/shm", W_OK) != 0) return {};
  char folder[] = "/dev/shm/vx_card_contents_bench_XXXXXX";
  if (!::mkdtemp(folder)) return {};
  ::setenv("TMPDIR", folder, 1);
  return folder;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  // Before the first session: its folders are made from the temporary folder the environment names.
  const std::string memoryFolder = memoryTemporaryFolder();
  int failed = gridFigure();
  failed += downloadFigure(memoryFolder.empty() ? "on disk (" + QDir::tempPath().toStdString() + ")"
                                                : "in memory (" + memoryFolder + ")");
  if (!memoryFolder.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(memoryFolder, ec);
  }
  benchmark::Shutdown();
  return failed == 0 ? 0 : 1;
}
