#pragma once
// Pixel work over a large picture split into bands of rows that run side by side: the calling thread takes the
// first band, the global queue's workers the others, and the call returns when all are done. Pictures below about
// a megapixel run on the calling thread alone. For work whose bands touch only their own rows (or their own results).
#include <cstdint>
#include <functional>

namespace platform {

// The number of bands `rows` rows of `rowPixels` pixels are split into (1 for small pictures; at most 8, and no
// more than the processors).
int rowBandCount(int rows, int64_t rowPixels);

// Calls work(band, firstRow, endRow) for each band of rowBandCount(rows, rowPixels) bands.
void forEachRowBand(int rows, int64_t rowPixels, const std::function<void(int band, int firstRow, int endRow)>& work);

}  // namespace platform
