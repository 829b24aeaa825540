#pragma once
// The bitmap builder (BMP files of 1, 4, 8, 16, 24 or 32 bits per pixel) and the conversion of the YUV pictures that
// some Canon bodies send as live-view frames into 32-bit bitmap files.
//
// The BMP file: a 14-byte file header ("BM", file size, 0, pixel data offset), a 40-byte info header (40, width,
// height > 0 so rows run bottom-up, 1 plane, bits per pixel, compression, image size, 3780 pixels per metre both
// ways, colours used = 2^bits kept to 32 bits, 0), the colour table or the 16-bit masks, then the rows, bottom row
// first, each padded to a multiple of 4 bytes.
#include <cstddef>
#include <cstdint>

#include "engine/link/heap_block.h"

inline constexpr size_t kBmpHeaderSize = 54;

struct BmpRecord;

// A new bitmap of that size and depth, every pixel 0x00FFFFFF; none for a depth other than 1, 4, 8, 16, 24 or 32, a
// size of 0, or one whose file would not fit in 32 bits.
BmpRecord* bmpCreate(int32_t width, int32_t height, int bitsPerPixel);
// Sets a pixel (y counts from the bottom row): the colour itself at 32 bits; B, G, R of it at 24; its low 16 bits
// at 16; a colour-table index at 8 bits and below. False outside the bitmap.
bool bmpSetPixel(BmpRecord* record, int32_t x, int32_t y, uint32_t colour);
// The file into a new buffer: its length, 0 when the buffer cannot be had.
size_t bmpSave(const BmpRecord* record, HeapBlock* out);
void bmpFree(BmpRecord* record);

// A YUV live-view picture found in a reply: where its pixels start, its size, and the rows to decode (425 on model
// 225, whatever its header says; else its height).
struct CanonYuvPicture {
    const uint8_t* pixels = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t rows = 0;
};
// Finds the picture: false when the reply is not one (shorter than 256 bytes, a header outside the reply, a size of
// 0, fewer pixel bytes than its rows need, or a bitmap far larger than the bytes received).
bool canonFindYuvPicture(const uint8_t* reply, size_t length, CanonYuvPicture* picture);
// The length of the 32-bit bitmap file of the picture, and the file written at `file` (that many bytes).
size_t canonYuvBitmapSize(const CanonYuvPicture& picture);
void canonWriteYuvBitmap(const CanonYuvPicture& picture, uint8_t* file);

// Converts the YUV live-view picture of a reply into a new 32-bit bitmap file: its length, 0 when the reply holds
// no picture. Pixels come in pairs of 4 bytes U (signed), Y0, V (signed), Y1; each colour channel is Y + 1.403 V,
// Y - 0.344 U - 0.714 V, Y + 1.77 U, truncated and clamped to 0..255; rows below those decoded stay 0x00FFFFFF.
size_t canonDecodeYuvFrame(const uint8_t* reply, size_t length, HeapBlock* out);
// The forms of the row conversion: plain C++, and the vector forms of the processors that have them. All give
// the same pixels; tests compare them.
enum class CanonYuvKernel { Plain, Sse2, Avx2, Avx512, Best };
bool canonYuvKernelAvailable(CanonYuvKernel kernel);
// One row of `width` pixels of the picture (width x 2 bytes) into 32-bit pixels B, G, R, 0xFF.
void canonYuvRowToBgra(const uint8_t* row, uint32_t width, uint8_t* dest, CanonYuvKernel kernel = CanonYuvKernel::Best);
