#pragma once
// An RGBA colour with double components in 0...1 (device RGB), comparable by value.

#include <QColor>

namespace platform {

struct Color {
  double red = 0;
  double green = 0;
  double blue = 0;
  double alpha = 0;

  friend bool operator==(const Color&, const Color&) = default;

  static Color rgb(double r, double g, double b, double a = 1.0) { return {r, g, b, a}; }
  static Color white(double level, double a = 1.0) { return {level, level, level, a}; }
  static Color clear() { return {0, 0, 0, 0}; }
  static Color whiteColor() { return white(1.0); }
  static Color blackColor() { return white(0.0); }
  static Color grayColor() { return white(0.5); }
  static Color redColor() { return {1, 0, 0, 1}; }

  Color withAlpha(double a) const { return {red, green, blue, a}; }
  // Component-wise interpolation, used by colour animations.
  Color mix(const Color& to, double t) const {
    return {red + (to.red - red) * t, green + (to.green - green) * t, blue + (to.blue - blue) * t,
            alpha + (to.alpha - alpha) * t};
  }
  QColor toQColor() const { return QColor::fromRgbF(float(red), float(green), float(blue), float(alpha)); }
  static Color fromQColor(const QColor& c) { return {c.redF(), c.greenF(), c.blueF(), c.alphaF()}; }
};

}  // namespace platform
