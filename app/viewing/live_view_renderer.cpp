#include "app/viewing/live_view_renderer.h"

#include <QTransform>
#include <algorithm>
#include <limits>

#include "platform/imaging/histogram.h"

LiveViewRenderResult renderLiveViewPicture(const LiveViewRenderJob& job) {
  LiveViewRenderResult result;
  if (!job.picture || job.picture->empty() || job.picture->size() > size_t(std::numeric_limits<int>::max()))
    return result;
  QImage image = QImage::fromData(job.picture->data(), int(job.picture->size()));
  if (image.isNull()) return result;
  if (image.format() != QImage::Format_RGB32) image = image.convertToFormat(QImage::Format_RGB32);

  if (job.cropCentre && image.width() >= 2 && image.height() >= 2) {
    // The marks see the crop with one more pixel around it, so the gradient at its edge is the whole picture's.
    const QRect centre(image.width() / 4, image.height() / 4, image.width() / 2, image.height() / 2);
    const QRect margin = centre.adjusted(-1, -1, 1, 1).intersected(image.rect());
    QImage marked = image.copy(margin);
    platform::applyLiveViewMarks(marked, job.marks);
    image = marked.copy(centre.translated(-margin.topLeft()));
  } else {
    platform::applyLiveViewMarks(image, job.marks);
  }

  int degrees = 0;
  switch (job.orientation) {
    case 3: degrees = 180; break;
    case 6: degrees = 90; break;  // a quarter turn clockwise
    case 8: degrees = 270; break;
    default: break;
  }
  if (degrees) image = image.transformed(QTransform().rotate(degrees));
  if (job.histogram) result.histogram = platform::histogramBitmap(image);
  result.picture = std::move(image);
  return result;
}

LiveViewRenderer::LiveViewRenderer() : queue_(platform::createSerialQueue("com.vorlaxent.liveview.render")) {}

LiveViewRenderer::~LiveViewRenderer() = default;

void LiveViewRenderer::submit(LiveViewRenderJob job, Done done) {
  Pending pending{std::move(job), std::move(done)};
  if (inFlight_)
    waiting_ = std::move(pending);  // an older waiting frame is never shown
  else
    start(std::move(pending));
}

void LiveViewRenderer::cancel() {
  ++epoch_;
  waiting_.reset();
}

void LiveViewRenderer::start(Pending pending) {
  inFlight_ = true;
  const uint64_t epoch = epoch_;
  std::weak_ptr<bool> alive = alive_;
  queue_->async([this, epoch, alive, pending = std::move(pending)]() mutable {
    LiveViewRenderResult result = renderLiveViewPicture(pending.job);
    platform::mainQueue().async(
        [this, epoch, alive, result = std::move(result), done = std::move(pending.done)]() mutable {
          if (alive.expired()) return;  // the renderer is gone (checked on the main thread, where it goes)
          finished(epoch, std::move(result), done);
        });
  });
}

void LiveViewRenderer::finished(uint64_t epoch, LiveViewRenderResult result, const Done& done) {
  inFlight_ = false;
  if (epoch == epoch_ && done) done(std::move(result));
  if (waiting_) {
    Pending next = std::move(*waiting_);
    waiting_.reset();
    start(std::move(next));
  }
}
