#include "platform/imaging/row_bands.h"

#include <algorithm>
#include <thread>

#include "platform/foundation/dispatch.h"

namespace platform {
namespace {

constexpr int64_t kPixelsPerBand = 1 << 20;
constexpr int kMaxBands = 8;

}  // namespace

int rowBandCount(int rows, int64_t rowPixels) {
  if (rows <= 1 || rowPixels <= 0) return 1;
  const int64_t byWork = int64_t(rows) * rowPixels / kPixelsPerBand;
  const int processors = int(std::max(1u, std::thread::hardware_concurrency()));
  return int(std::clamp<int64_t>(std::min<int64_t>(byWork, rows), 1, std::min(kMaxBands, processors)));
}

void forEachRowBand(int rows, int64_t rowPixels, const std::function<void(int band, int firstRow, int endRow)>& work) {
  const int bands = rowBandCount(rows, rowPixels);
  const auto first = [rows, bands](int band) { return int(int64_t(rows) * band / bands); };
  if (bands == 1) {
    work(0, 0, rows);
    return;
  }
  // The other bands on the global queue's workers (already running: no thread is started per call); the wait
  // below counts as blocked there, so a caller that is itself a worker never starves the pool.
  Semaphore finished(0);
  for (int band = 1; band < bands; ++band) {
    globalQueue().async([&work, &finished, band, from = first(band), to = first(band + 1)] {
      work(band, from, to);
      finished.signal();
    });
  }
  work(0, 0, first(1));
  for (int band = 1; band < bands; ++band) finished.wait();
}

}  // namespace platform
