#pragma once
// The colour-controls filter: saturation, brightness and contrast applied to every pixel, and a content filter
// that applies it to what a widget (and its children) draws. Per pixel, on the colour without its alpha:
//   saturation: mixes between the pixel's grey (Rec. 709 luma) at 0 and the colour at 1 (above 1 it intensifies);
//   brightness: is added to each component;
//   contrast:   scales each component about the middle grey, (c - 0.5) * contrast + 0.5;
// then each component is clamped to 0...1. Alpha is kept.
#include <QGraphicsEffect>
#include <QImage>

namespace platform {

struct ColorControls {
    double saturation = 1;
    double brightness = 0;
    double contrast = 1;
};

// The filtered image, in ARGB32.
QImage applyColorControls(const QImage& image, const ColorControls& controls);

class ColorControlsEffect : public QGraphicsEffect {
public:
    explicit ColorControlsEffect(ColorControls controls = {}, QObject* parent = nullptr);
    const ColorControls& controls() const { return controls_; }
    void setControls(const ColorControls& controls);

protected:
    void draw(QPainter* painter) override;

private:
    ColorControls controls_;
};

}  // namespace platform
