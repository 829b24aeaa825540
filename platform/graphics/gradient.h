#pragma once
// A colour gradient: colours at locations 0...1, drawn linearly or radially by a Canvas.

#include <algorithm>
#include <utility>
#include <vector>

#include <QGradient>

#include "platform/graphics/color.h"

namespace platform {

enum GradientDrawingOptions : unsigned {
  kGradientDrawsBeforeStart = 1u << 0,
  kGradientDrawsAfterEnd = 1u << 1,
};

class Gradient {
 public:
  Gradient() = default;
  // Evenly spaced colours.
  Gradient(Color from, Color to) : stops_{{0.0, from}, {1.0, to}} {}
  Gradient(std::vector<std::pair<double, Color>> stops) : stops_(std::move(stops)) {}

  const std::vector<std::pair<double, Color>>& stops() const { return stops_; }
  void applyTo(QGradient& g) const {
    for (const auto& [location, color] : stops_) g.setColorAt(std::clamp(location, 0.0, 1.0), color.toQColor());
  }

 private:
  std::vector<std::pair<double, Color>> stops_;
};

}  // namespace platform
