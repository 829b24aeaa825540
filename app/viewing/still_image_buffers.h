#pragma once
// Pixel memory for photo-sized pictures, kept for the next picture once a picture is let go. A 24-megapixel
// picture is about 96 MB; fresh memory of that size costs a page fault per 4 KB on first touch, which the decoder
// and the turn would otherwise pay again for every picture (often more than the decode itself). Pictures of the
// same camera have the same size, so the blocks of the last one or two serve the next. At most two blocks (and
// 400 MB) are kept idle; small pictures use ordinary memory.
//
// Any thread: a picture's block returns to the pool when its last copy is let go, wherever that happens.
#include <QImage>

namespace still_buffers {

// A picture of the size and format, its pixels uninitialised, on a kept block when one fits.
QImage pictureBuffer(int width, int height, QImage::Format format);

// Blocks kept idle now, and their bytes; frees them (for tests).
int idleBlocks();
size_t idleBytes();
void dropIdleBlocks();

}  // namespace still_buffers
