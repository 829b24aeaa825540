#include "platform/ui/window_shadow.h"

#include <QPainter>
#include <algorithm>
#include <deque>

#include "platform/graphics/shadow_blur.h"

namespace platform {

namespace {

const char* const kShadowProperty = "vxWindowShadow";

// The last shadows made, by the window's size and shape: an alert or panel shown again (or another of the same
// kind) takes its shadow from here rather than blurring it anew while it opens. Used on the main thread only.
struct MadeShadow {
  QSize size;
  QPainterPath shape;
  QImage image;
};
constexpr size_t kShadowsKept = 4;
std::deque<MadeShadow>& madeShadows() {
  static std::deque<MadeShadow> made;
  return made;
}

}  // namespace

bool isWindowShadow(const QWidget* w) { return w && w->property(kShadowProperty).toBool(); }

WindowShadow::WindowShadow(QWidget* owner)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint |
                           Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus),
      owner_(owner) {
  setProperty(kShadowProperty, true);
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

void WindowShadow::follow(const QPainterPath& shape) {
  if (!owner_) return;
  const QRect frame = owner_->frameGeometry();
  const int m = margin();
  setGeometry(frame.adjusted(-m, -m, m, m));
  std::deque<MadeShadow>& made = madeShadows();
  const auto found = std::find_if(made.begin(), made.end(), [&](const MadeShadow& s) {
    return s.size == frame.size() && s.shape == shape;
  });
  if (found != made.end()) {
    image_ = found->image;
    update();
    return;
  }
  image_ = QImage(frame.width() + 2 * m, frame.height() + 2 * m, QImage::Format_ARGB32_Premultiplied);
  image_.fill(Qt::transparent);
  {
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(m, m + kOffset);
    p.fillPath(shape, Qt::black);
  }
  image_ = makeShadowImage(image_, kBlur / 2.0, Color::white(0, kAlpha));
  // The window covers its own shape: nothing of the shadow shows through a see-through window's body.
  {
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.translate(m, m);
    p.fillPath(shape, Qt::black);
  }
  made.push_front({frame.size(), shape, image_});
  if (made.size() > kShadowsKept) made.pop_back();
  update();
}

void WindowShadow::followPosition() {
  if (!owner_) return;
  const int m = margin();
  move(owner_->frameGeometry().topLeft() - QPoint(m, m));
}

void WindowShadow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(0, 0, image_);
}

}  // namespace platform
