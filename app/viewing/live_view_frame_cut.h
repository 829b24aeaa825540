#pragma once
// One live-view frame buffer cut apart by vendor: where its picture lies, how it is turned, the electronic level,
// the movie light and time, the audio levels as meter bins, and what the AF overlays need. The buffer is only
// read, and only inside its length (other observers of the frame share it); what the overlays change is a copy.
//
// Frame buffers, little-endian:
// - Canon (13): the engine's EOS_LiveViewInfoStruct, the picture (a JPEG, or a bitmap file from the bodies that
//   send YUV) from byte 1364 with its length at 1360;
// - Nikon (15): the engine's 388-byte Nikon_LiveViewInfoStruct2, the JPEG from byte 388 with its length at 4;
// - Sony (14): the camera's own data: the level roll at 1036, the focus block at 1093 (581 on the bodies 0xB0,
//   0xB6 and 0xB7), the JPEG from the first FF D8 FF DB to the end;
// - Fujifilm (12) and any other code: the JPEG itself.
//
// Plain C++ over the engine's records, so that the fuzz target can build it on its own.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/vendors/canon/canon_live_view.h"
#include "engine/vendors/nikon/nikon_live_view_info.h"

enum LiveViewVendor : uint8_t {
  kLiveViewVendorFuji = 12,
  kLiveViewVendorCanon = 13,
  kLiveViewVendorSony = 14,
  kLiveViewVendorNikon = 15,
};

// What a frame's meaning depends on besides its bytes.
struct LiveViewCutInputs {
  uint64_t liveViewStatus = 0;           // 0 off, 1 live view, 2 movie mode, 3 recording
  double now = 0;                        // seconds on a monotonic clock (Sony's movie time)
  bool sonyHasLocationProperty = false;  // the camera has property 0xD2DC
  uint8_t modelIndex = 0;
};

// The movie clock, kept by the view from frame to frame.
struct LiveViewMovieClock {
  double initialMovieDuration = 0;           // Canon and Nikon: the time read first; 0 = take it from the next frame
  std::optional<double> sonyRecordingStart;  // Sony: when the first recording frame came (the monotonic clock)
};

// Audio as meter bins (0 ... bins - 1); bins 0 = no audio data.
struct LiveViewAudio {
  int64_t levelLeft = -1, levelRight = -1, peakLeft = -1, peakRight = -1;
  uint64_t bins = 0;
  bool present() const { return bins > 0; }
};

inline constexpr uint64_t kCanonAudioBins = 23;
inline constexpr uint64_t kNikonAudioBins = 15;
inline constexpr double kNoPitch = 1000;  // the level's pitch when the frame carries none

// Sony's focus frame in its frame space: the centre (x, y) and the size; an empty size means none was given.
struct SonyFocusFrame {
  double x = 0, y = 0, width = 0, height = 0;
  bool empty() const { return width <= 0 || height <= 0; }
};

struct LiveViewFrameCut {
  // The picture: a range of the buffer.
  size_t pictureOffset = 0;
  size_t pictureLength = 0;
  uint8_t orientation = 1;  // EXIF code of the frame (1, 3, 6, 8)
  double angle = 0;         // level roll, degrees
  double pitch = kNoPitch;  // level pitch, degrees
  bool recording = false;   // the red light
  int64_t movieSeconds = 0;  // negative: no time to show
  LiveViewAudio audio;
  // Canon kind 1: the header, copied (its AF frame count at most 64).
  std::optional<EOS_LiveViewInfoStruct> canonHeader;
  // Nikon: the record, copied, with the substitute AF frame when the camera reported none.
  std::optional<Nikon_LiveViewInfoStruct2> nikonRecord;
  // Sony: the focus frame and the size of the space it is given in.
  SonyFocusFrame sonyFocus;
  double sonySpaceWidth = 0, sonySpaceHeight = 0;
};

// The cut of one frame, or none when the frame is dropped: a Canon frame shorter than its header, of kind 3 (no
// image) or shorter than its picture length says; a Nikon frame shorter than its record or its JPEG length; a
// Sony frame without a JPEG start. A dropped frame leaves the clock as it was.
std::optional<LiveViewFrameCut> cutLiveViewFrame(const uint8_t* data, size_t length, uint8_t vendor,
                                                 const LiveViewCutInputs& inputs, LiveViewMovieClock& clock);

// A Canon audio level in dB as a meter bin: round(0.5475 dB + 21.823), halves away from zero, within 0 ... 22.
int64_t canonAudioBin(int32_t decibels);
// The model indexes whose Sony focus block sits at 581.
bool sonyFocusBlockIsEarly(uint8_t modelIndex);
