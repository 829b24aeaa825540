// The image-format buttons: quality badges beside the size letters, and for RAW plus JPEG both halves with a "+".
#include <algorithm>

#include "icons/properties/vorlaxent_properties_style_kit.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/font.h"

using platform::Canvas;
using platform::Color;
using platform::Font;
using platform::Image;
using platform::Rect;
using platform::Size;
using platform::TextAlignment;
using K = VorlaxentStyleKit;
using P = VorlaxentPropertiesStyleKit;

namespace {

Color buttonColor(bool highlighted, bool enabled) {
  if (highlighted) return Color::rgb(0, 0.5, 1.0);
  if (enabled) return Color::rgb(1, 1, 1);
  return Color::rgb(0.7, 0.7, 0.7);
}

// The letters' font: ArialMT at half the frame's height.
Font letterFont(double height) { return Font::named(QStringLiteral("ArialMT"), height / 2); }
bool canWrite(double height) { return height / 2 > 0; }

// Text (tw, th) measured from the line-fragment origin; no text measures 0 by 0.
Size measure(const QString& text, double height, double width) {
  if (text.isEmpty() || !canWrite(height)) return {0, 0};
  return letterFont(height).boundingSize(text, Size{width, 0});
}

void drawLetters(Canvas& c, const QString& text, const Rect& r, double height, const Color& color,
                 TextAlignment alignment) {
  if (text.isEmpty() || !canWrite(height) || !(r.width() > 0)) return;
  c.drawString(text, r, letterFont(height), color, alignment, false);
}

// Guards a button's drawing: nothing without a canvas or with an empty frame, and the caller's state kept.
class ButtonScope {
 public:
  explicit ButtonScope(const Rect& frame) {
    Canvas* c = Canvas::current();
    if (c && frame.width() > 0 && frame.height() > 0) {
      canvas_ = c;
      canvas_->saveGState();
    }
  }
  ~ButtonScope() {
    if (canvas_) canvas_->restoreGState();
  }
  ButtonScope(const ButtonScope&) = delete;
  ButtonScope& operator=(const ButtonScope&) = delete;
  Canvas* canvas() const { return canvas_; }

 private:
  Canvas* canvas_ = nullptr;
};

}  // namespace

void K::drawImageFormat_JpegWithFrame(const Rect& frame, const QString& size, unsigned compression,
                                      bool buttonHighlighted, bool buttonEnabled) {
  ButtonScope scope(frame);
  Canvas* c = scope.canvas();
  if (!c) return;
  const Color color = buttonColor(buttonHighlighted, buttonEnabled);
  const double X = frame.x(), Y = frame.y(), W = frame.width(), H = frame.height();
  const Size t = measure(size, H, 0);
  c->saveGState();
  c->clipToRect(frame);
  Rect box = frame;
  TextAlignment alignment = TextAlignment::Center;
  if (compression != 1) {
    alignment = TextAlignment::Left;
    const double bw = H / 2 * 0.7017544, bh = H / 2;
    const double bx = X + (W - (t.width + bw + 2)) / 2;
    const Rect badge{bx, Y + H / 4, bw, bh};
    if (compression == 0) P::drawImageFormat_CompressedWithFrame(badge, color.red, color.green, color.blue);
    if (compression == 2) P::drawImageFormat_SmoothWithFrame(badge, color.red, color.green, color.blue);
    box = Rect{bx + bw + 2, Y, W, H};
  }
  drawLetters(*c, size, Rect{box.x(), box.y() + (H - t.height) / 2, box.width(), t.height}, H, color, alignment);
  c->restoreGState();
}

void K::drawImageFormat_RawWithFrame(const Rect& frame, const QString& size, bool buttonHighlighted,
                                     bool buttonEnabled) {
  ButtonScope scope(frame);
  Canvas* c = scope.canvas();
  if (!c) return;
  const Color color = buttonColor(buttonHighlighted, buttonEnabled);
  const double X = frame.x(), Y = frame.y(), W = frame.width(), H = frame.height();
  double s = float(1.14 * H);
  double badgeX = 0;
  if (!size.isEmpty()) {
    const Size t = measure(size, H, 0);
    double textX = 0;
    if (t.width + s + 2 <= W) {
      textX = X + (W - (t.width + s + 2)) / 2;
      badgeX = textX + t.width + 2;
    } else {
      // Too wide for badge and gap: the badge gives up the text's width and starts 2 points before its end.
      textX = X + (W - s) / 2 + 2;
      badgeX = textX + t.width - 2;
      s -= t.width;
    }
    const Rect textBox{textX, Y, t.width, H};
    c->saveGState();
    c->clipToRect(textBox);
    drawLetters(*c, size, Rect{textX, Y + (H - t.height) / 2, t.width, t.height}, H, color, TextAlignment::Right);
    c->restoreGState();
  } else {
    s = std::min(double(float(1.14 * H)), double(float(1.14 * W)));
    badgeX = X + (W - s) / 2;
  }
  if (s > 0) P::drawImageFormat_RAWWithFrame(Rect{badgeX, Y + (H - s) / 2, s, s}, color.red, color.green, color.blue);
}

void K::drawImageFormat_RawPlusJpegWithFrame(const Rect& frame, const QString& jpegSize, unsigned jpegCompression,
                                             const QString& rawSize, bool buttonHighlighted, bool buttonEnabled) {
  ButtonScope scope(frame);
  Canvas* c = scope.canvas();
  if (!c) return;
  const double X = frame.x(), Y = frame.y(), W = frame.width(), H = frame.height();
  const double part = float(0.45), rawStart = float(0.55), plus = float(0.1);
  drawImageFormat_JpegWithFrame(Rect{X, Y, part * W, H}, jpegSize, jpegCompression, buttonHighlighted,
                                buttonEnabled);
  drawImageFormat_RawWithFrame(Rect{X + rawStart * W, Y, part * W, H}, rawSize, buttonHighlighted, buttonEnabled);
  const Rect plusBox{X + part * W, Y, plus * W, H};
  const QString sign = QStringLiteral("+");
  const Size t = measure(sign, H, plusBox.width());
  c->saveGState();
  c->clipToRect(plusBox);
  drawLetters(*c, sign, Rect{plusBox.x(), Y + (H - t.height) / 2, plusBox.width(), t.height}, H,
              buttonColor(buttonHighlighted, buttonEnabled), TextAlignment::Center);
  c->restoreGState();
}

Image K::imageOfImageFormat_JpegWithFrame(const Rect& frame, const QString& size, unsigned compression,
                                          bool buttonHighlighted, bool buttonEnabled) {
  return Image::withSize(frame.size, [=](Canvas&, const Rect&) {
    drawImageFormat_JpegWithFrame(frame, size, compression, buttonHighlighted, buttonEnabled);
    return true;
  });
}

Image K::imageOfImageFormat_RawWithFrame(const Rect& frame, const QString& size, bool buttonHighlighted,
                                         bool buttonEnabled) {
  return Image::withSize(frame.size, [=](Canvas&, const Rect&) {
    drawImageFormat_RawWithFrame(frame, size, buttonHighlighted, buttonEnabled);
    return true;
  });
}

Image K::imageOfImageFormat_RawPlusJpegWithFrame(const Rect& frame, const QString& jpegSize, unsigned jpegCompression,
                                                 const QString& rawSize, bool buttonHighlighted, bool buttonEnabled) {
  return Image::withSize(frame.size, [=](Canvas&, const Rect&) {
    drawImageFormat_RawPlusJpegWithFrame(frame, jpegSize, jpegCompression, rawSize, buttonHighlighted, buttonEnabled);
    return true;
  });
}
