#include "platform/imaging/raw_decoder.h"

#include <libraw/libraw.h>

#include <memory>

namespace platform {
namespace {

// What LibRaw's callbacks report back into one decode.
struct DecodeWatch {
  const std::atomic<bool>* cancel = nullptr;
  bool damaged = false;
};

bool cancelled(const DecodeWatch& watch) { return watch.cancel && watch.cancel->load(std::memory_order_relaxed); }

int progressCallback(void* data, enum LibRaw_progress, int, int) {
  return cancelled(*static_cast<DecodeWatch*>(data)) ? 1 : 0;  // non-zero stops the decode
}

// LibRaw reads on past bad data and fills in what it could not read: such a picture is not shown.
void dataErrorCallback(void* data, const char*, const int) { static_cast<DecodeWatch*>(data)->damaged = true; }

RawDecodeResult failure(RawDecodeStatus status, std::string detail) {
  RawDecodeResult result;
  result.status = status;
  result.detail = std::move(detail);
  return result;
}

RawDecodeResult failureOf(int code, const DecodeWatch& watch) {
  if (code == LIBRAW_CANCELLED_BY_CALLBACK || cancelled(watch)) return failure(RawDecodeStatus::Cancelled, "cancelled");
  if (code == LIBRAW_FILE_UNSUPPORTED) return failure(RawDecodeStatus::Unsupported, libraw_strerror(code));
  if (watch.damaged) return failure(RawDecodeStatus::Damaged, "damaged raw data");
  return failure(RawDecodeStatus::Failed, libraw_strerror(code));
}

// The converter's bitmap (8-bit samples, one or three per pixel) as an opaque RGB32 picture.
QImage pictureOf(const libraw_processed_image_t& bitmap) {
  if (bitmap.type != LIBRAW_IMAGE_BITMAP || bitmap.bits != 8 || (bitmap.colors != 3 && bitmap.colors != 1) ||
      bitmap.width == 0 || bitmap.height == 0)
    return {};
  const qsizetype line = qsizetype(bitmap.width) * bitmap.colors;
  if (qsizetype(bitmap.data_size) < line * bitmap.height) return {};
  const QImage view(bitmap.data, bitmap.width, bitmap.height, line,
                    bitmap.colors == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8);
  return view.convertToFormat(QImage::Format_RGB32);  // a copy: the bitmap is freed after this
}

}  // namespace

RawDecodeResult rawDecode(const uint8_t* data, size_t size, const std::atomic<bool>* cancel) {
  if (!data || size == 0) return failure(RawDecodeStatus::Unsupported, "no data");
  DecodeWatch watch;
  watch.cancel = cancel;
  auto raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
  raw->set_progress_handler(progressCallback, &watch);
  raw->set_dataerror_handler(dataErrorCallback, &watch);
  libraw_output_params_t& params = raw->imgdata.params;
  params.user_flip = 0;       // the caller turns the picture
  params.use_camera_wb = 1;   // as shot, where the file says
  params.output_bps = 8;

  // LibRaw only reads the buffer.
  int code = raw->open_buffer(const_cast<uint8_t*>(data), size);
  if (code != LIBRAW_SUCCESS) return failureOf(code, watch);
  const uint64_t pixels = uint64_t(raw->imgdata.sizes.raw_width) * raw->imgdata.sizes.raw_height;
  if (pixels == 0) return failure(RawDecodeStatus::Unsupported, "no sensor image");
  if (pixels > kRawMaxPixels || pixels / kRawMaxPixelsPerByte > size)
    return failure(RawDecodeStatus::TooLarge, "sensor too large for the file");
  if (cancelled(watch)) return failure(RawDecodeStatus::Cancelled, "cancelled");

  code = raw->unpack();
  if (code != LIBRAW_SUCCESS || watch.damaged) return failureOf(code, watch);
  code = raw->dcraw_process();
  if (code != LIBRAW_SUCCESS || watch.damaged) return failureOf(code, watch);
  if (cancelled(watch)) return failure(RawDecodeStatus::Cancelled, "cancelled");

  int makeCode = LIBRAW_SUCCESS;
  libraw_processed_image_t* bitmap = raw->dcraw_make_mem_image(&makeCode);
  if (!bitmap) return failureOf(makeCode, watch);
  RawDecodeResult result;
  result.image = pictureOf(*bitmap);
  LibRaw::dcraw_clear_mem(bitmap);
  if (result.image.isNull()) return failure(RawDecodeStatus::Failed, "unexpected bitmap");
  result.status = RawDecodeStatus::Decoded;
  return result;
}

}  // namespace platform
