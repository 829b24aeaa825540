#include "platform/ui/window_shadow.h"

#include <QPainter>
#include <algorithm>
#include <vector>

namespace platform {

namespace {

const char* const kShadowProperty = "vxWindowShadow";

// One pass of a box blur of the alpha channel, along rows (horizontal) or columns.
void boxBlurAlpha(QImage& img, int radius, bool horizontal) {
  const int w = img.width(), h = img.height();
  const int lines = horizontal ? h : w, length = horizontal ? w : h;
  std::vector<int> in(static_cast<std::size_t>(length));
  std::vector<int> sum(static_cast<std::size_t>(length) + 1);
  for (int line = 0; line < lines; ++line) {
    auto at = [&](int i) -> QRgb* {
      return horizontal ? reinterpret_cast<QRgb*>(img.scanLine(line)) + i
                        : reinterpret_cast<QRgb*>(img.scanLine(i)) + line;
    };
    for (int i = 0; i < length; ++i) in[std::size_t(i)] = qAlpha(*at(i));
    sum[0] = 0;
    for (int i = 0; i < length; ++i) sum[std::size_t(i) + 1] = sum[std::size_t(i)] + in[std::size_t(i)];
    const int window = 2 * radius + 1;
    for (int i = 0; i < length; ++i) {
      const int lo = std::max(0, i - radius), hi = std::min(length, i + radius + 1);
      const int a = (sum[std::size_t(hi)] - sum[std::size_t(lo)]) / window;
      *at(i) = qRgba(0, 0, 0, a);  // premultiplied black
    }
  }
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
  image_ = QImage(frame.width() + 2 * m, frame.height() + 2 * m, QImage::Format_ARGB32_Premultiplied);
  image_.fill(Qt::transparent);
  {
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(m, m + kOffset);
    p.fillPath(shape, QColor::fromRgbF(0, 0, 0, float(kAlpha)));
  }
  // Three box passes each way come close to a Gaussian.
  for (int pass = 0; pass < 3; ++pass) {
    boxBlurAlpha(image_, kBlur / 3, true);
    boxBlurAlpha(image_, kBlur / 3, false);
  }
  // The window covers its own shape: nothing of the shadow shows through a see-through window's body.
  {
    QPainter p(&image_);
    p.setRenderHint(QPainter::Antialiasing);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.translate(m, m);
    p.fillPath(shape, Qt::black);
  }
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
