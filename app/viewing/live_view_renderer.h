#pragma once
// The picture work of live-view frames, off the main thread: decode, the marks, the centre crop of a 200 % zoom,
// the turn, and the 512 x 512 histogram bitmap. One worker takes one frame at a time; of the frames that arrive
// meanwhile only the newest waits (it replaces an older waiting one), so the display never falls behind the
// camera, and results come back to the main queue in the order the frames came. A cancel (live view off, the
// picture cleared) drops the result in flight and the frame waiting.
#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/dispatch.h"
#include "platform/imaging/live_view_kernels.h"

struct LiveViewRenderJob {
  std::shared_ptr<const std::vector<uint8_t>> picture;  // the encoded picture (a JPEG, or a bitmap file)
  platform::LiveViewMarks marks;
  bool cropCentre = false;  // show the centre half (Canon at 200 %)
  uint8_t orientation = 1;  // EXIF turn to show the picture in
  bool histogram = false;   // also render the histogram bitmap
};

struct LiveViewRenderResult {
  QImage picture;    // null when the bytes do not decode
  QImage histogram;  // when asked for
};

// The whole work of one job, on the calling thread: decode, marks (as if over the whole picture, also at the
// crop's edge), crop, turn, histogram bitmap.
LiveViewRenderResult renderLiveViewPicture(const LiveViewRenderJob& job);

class LiveViewRenderer {
 public:
  using Done = std::function<void(LiveViewRenderResult)>;

  LiveViewRenderer();
  ~LiveViewRenderer();
  LiveViewRenderer(const LiveViewRenderer&) = delete;
  LiveViewRenderer& operator=(const LiveViewRenderer&) = delete;

  // Main thread. `done` runs on the main queue with the job's result, unless the job is replaced while it waits
  // or a cancel comes first.
  void submit(LiveViewRenderJob job, Done done);
  // Main thread: nothing submitted so far is shown.
  void cancel();
  // A job in flight or waiting.
  bool busy() const { return inFlight_ || waiting_.has_value(); }

 private:
  struct Pending {
    LiveViewRenderJob job;
    Done done;
  };
  void start(Pending pending);
  void finished(uint64_t epoch, LiveViewRenderResult result, const Done& done);

  std::shared_ptr<platform::DispatchQueue> queue_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  std::optional<Pending> waiting_;
  bool inFlight_ = false;
  uint64_t epoch_ = 0;
};
