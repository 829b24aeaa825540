#pragma once
// Colour histograms of pictures: the pixel counts of the four 8-bit channels, and the small bitmap that the live
// view hands to a histogram display in place of each whole frame.
//
// Channel order: the counts are always red, green, blue, alpha, whatever the bytes' order in memory (a Qt RGB32
// pixel is stored blue, green, red, alpha on this machine; RGBA8888 red, green, blue, alpha). Any thread.
#include <QImage>
#include <array>
#include <cstdint>

namespace platform {

enum HistogramChannel { kHistogramRed = 0, kHistogramGreen = 1, kHistogramBlue = 2, kHistogramAlpha = 3 };

// Per channel, the number of pixels at each of the 256 levels.
using HistogramCounts = std::array<std::array<uint64_t, 256>, 4>;

// Counts every pixel of the picture. Pictures that are not 32-bit RGB(A) are converted first (a picture without
// alpha counts every pixel at alpha 255). False, with the counts zeroed, for a null picture. A picture of more than
// a megapixel or two is counted in bands of rows side by side on the global queue's workers (row_bands.h); the call
// returns when all are counted.
bool histogramCount(const QImage& image, HistogramCounts* counts);

// The side of the histogram bitmap.
inline constexpr int kHistogramBitmapSide = 512;

// The whole picture sampled into a 512 x 512 RGB32 bitmap (nearest pixels, so that every level counted is a
// level of the picture and no blend between neighbours makes new ones); a null image for a null picture.
QImage histogramBitmap(const QImage& picture);

}  // namespace platform
