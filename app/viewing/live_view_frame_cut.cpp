#include "app/viewing/live_view_frame_cut.h"

#include <cmath>
#include <cstring>

#include "engine/vendors/nikon/nikon_live_view.h"
#include "engine/vendors/sony/sony_live_view.h"

namespace {

constexpr size_t kCanonPictureOffset = offsetof(EOS_LiveViewInfoStruct, image);  // 1364
constexpr size_t kNikonPictureOffset = sizeof(Nikon_LiveViewInfoStruct2);         // 388
constexpr size_t kSonyRollOffset = 1036;
constexpr size_t kSonyFocusBlock = 1093, kSonyEarlyFocusBlock = 581;
constexpr double kSonyLocationSpaceWidth = 2580, kSonyLocationSpaceHeight = 1900;
constexpr double kSonyPlainSpaceWidth = 640, kSonyPlainSpaceHeight = 428;
constexpr uint8_t kNikonNoAudio = 255;
constexpr double kNikonSubstituteShare = 0.67;

uint32_t u32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
int32_t i32(const uint8_t* p) { return int32_t(u32(p)); }
uint16_t u16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
float f32(const uint8_t* p) {
  const uint32_t bits = u32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

bool movieStatus(uint64_t status) { return status == 2 || status == 3; }

int64_t clampBin(int64_t bin, uint64_t bins) { return bin < 0 ? 0 : bin >= int64_t(bins) ? int64_t(bins) - 1 : bin; }

bool cutCanon(const uint8_t* data, size_t length, const LiveViewCutInputs& in, LiveViewMovieClock& clock,
              LiveViewFrameCut& cut) {
  if (length < kCanonPictureOffset) return false;
  const uint8_t kind = data[0];
  if (kind == 3) return false;
  const uint32_t n = u32(data + offsetof(EOS_LiveViewInfoStruct, imageLength));
  if (n > length - kCanonPictureOffset) return false;  // no wrap: the subtraction stays within the buffer
  cut.pictureOffset = kCanonPictureOffset;
  cut.pictureLength = n;
  if (kind == 1) {
    EOS_LiveViewInfoStruct header;
    std::memset(&header, 0, sizeof header);
    std::memcpy(&header, data, kCanonPictureOffset);
    if (header.afFrameCount > kCanonLiveViewMaxAfFrames) header.afFrameCount = kCanonLiveViewMaxAfFrames;
    cut.angle = f32(data + offsetof(EOS_LiveViewInfoStruct, levelRoll));
    cut.pitch = f32(data + offsetof(EOS_LiveViewInfoStruct, levelPitch));
    cut.orientation = uint8_t(canonOrientationToExif(&header));
    cut.canonHeader = header;
  }
  if (movieStatus(in.liveViewStatus)) {
    const uint8_t* audio = data + offsetof(EOS_LiveViewInfoStruct, record15);
    if (i32(audio) != -1) {
      cut.audio = {canonAudioBin(i32(audio)), canonAudioBin(i32(audio + 4)), canonAudioBin(i32(audio + 8)),
                   canonAudioBin(i32(audio + 12)), kCanonAudioBins};
    }
  }
  if (in.liveViewStatus == 3) {
    cut.recording = true;
    const uint8_t* time = data + offsetof(EOS_LiveViewInfoStruct, record10);
    const int32_t seconds = i32(time), milliseconds = i32(time + 4);
    if (seconds < 0) {
      cut.movieSeconds = -1;
    } else {
      const double t = seconds + milliseconds / 1000.0;
      if (clock.initialMovieDuration == 0) clock.initialMovieDuration = t;
      cut.movieSeconds = int64_t(std::floor(t - clock.initialMovieDuration));
    }
  }
  return true;
}

bool cutNikon(const uint8_t* data, size_t length, const LiveViewCutInputs& in, LiveViewMovieClock& clock,
              LiveViewFrameCut& cut) {
  std::optional<Nikon_LiveViewInfoStruct2> record = nikonLiveViewInfo(data, length);
  if (!record || record->jpegLength > length - kNikonPictureOffset) return false;
  cut.pictureOffset = kNikonPictureOffset;
  cut.pictureLength = record->jpegLength;
  cut.orientation = uint8_t(camOrientationCode(record->orientation));
  cut.angle = record->levelRoll;
  cut.pitch = record->levelPitch;
  if (movieStatus(in.liveViewStatus)) {
    const double remaining = record->movieTimeRemaining / 1000.0;
    if (clock.initialMovieDuration == 0) clock.initialMovieDuration = remaining;
    cut.movieSeconds = int64_t(std::floor(clock.initialMovieDuration - remaining));
    cut.recording = true;  // in movie mode as well: the camera's remaining time stands still until it records
    if (record->audioLevelLeft != kNikonNoAudio) {
      cut.audio = {clampBin(record->audioLevelLeft, kNikonAudioBins), clampBin(record->audioLevelRight, kNikonAudioBins),
                   clampBin(record->audioPeakLeft, kNikonAudioBins), clampBin(record->audioPeakRight, kNikonAudioBins),
                   kNikonAudioBins};
    }
  }
  if (record->afWidth == 0) {
    // No AF frame reported: two thirds of the display area, at its centre.
    record->afCentreX = record->displayCentreX;
    record->afCentreY = record->displayCentreY;
    record->afWidth = uint16_t(kNikonSubstituteShare * record->displayWidth);
    record->afHeight = uint16_t(kNikonSubstituteShare * record->displayHeight);
  }
  cut.nikonRecord = record;
  return true;
}

bool cutSony(const uint8_t* data, size_t length, const LiveViewCutInputs& in, LiveViewMovieClock& clock,
             LiveViewFrameCut& cut) {
  const std::optional<SonyJpegRange> jpeg = sonyLiveViewFindJpeg(data, length);
  if (!jpeg) return false;
  cut.pictureOffset = jpeg->offset;
  cut.pictureLength = jpeg->length;
  // Fields past the end of a short frame count as absent.
  if (length >= kSonyRollOffset + 2) cut.angle = u16(data + kSonyRollOffset);
  if (in.sonyHasLocationProperty) {
    cut.sonySpaceWidth = kSonyLocationSpaceWidth;
    cut.sonySpaceHeight = kSonyLocationSpaceHeight;
    const size_t block = sonyFocusBlockIsEarly(in.modelIndex) ? kSonyEarlyFocusBlock : kSonyFocusBlock;
    if (length >= block + 14) {
      const uint8_t* b = data + block;
      cut.sonyFocus = {double(u16(b)), double(u16(b + 4)), double(u16(b + 12)), double(u16(b + 8))};
    }
  } else {
    cut.sonySpaceWidth = kSonyPlainSpaceWidth;
    cut.sonySpaceHeight = kSonyPlainSpaceHeight;
  }
  if (in.liveViewStatus == 3) {
    cut.recording = true;
    if (!clock.sonyRecordingStart) clock.sonyRecordingStart = in.now;
    cut.movieSeconds = int64_t(std::floor(in.now - *clock.sonyRecordingStart));
    if (cut.movieSeconds < 0) cut.movieSeconds = 0;  // a clock never runs back, but a start from a test may
  } else {
    clock.sonyRecordingStart.reset();
  }
  return true;
}

}  // namespace

int64_t canonAudioBin(int32_t decibels) {
  return clampBin(int64_t(std::round(0.5475 * decibels + 21.823)), kCanonAudioBins);
}

bool sonyFocusBlockIsEarly(uint8_t modelIndex) { return modelIndex == 0xB0 || modelIndex == 0xB6 || modelIndex == 0xB7; }

std::optional<LiveViewFrameCut> cutLiveViewFrame(const uint8_t* data, size_t length, uint8_t vendor,
                                                 const LiveViewCutInputs& inputs, LiveViewMovieClock& clock) {
  if (!data) length = 0;
  static const uint8_t kNothing = 0;
  if (!data) data = &kNothing;
  LiveViewFrameCut cut;
  LiveViewMovieClock next = clock;
  bool kept;
  switch (vendor) {
    case kLiveViewVendorCanon: kept = cutCanon(data, length, inputs, next, cut); break;
    case kLiveViewVendorNikon: kept = cutNikon(data, length, inputs, next, cut); break;
    case kLiveViewVendorSony: kept = cutSony(data, length, inputs, next, cut); break;
    default:
      cut.pictureLength = length;
      kept = true;
      break;
  }
  if (!kept) return std::nullopt;
  clock = next;
  return cut;
}
