#include "icons/properties/property_motifs.h"

#include <cmath>
#include <numbers>

namespace icons {

using platform::Path;

void fillAwbPlate(IconArt& a) {
  a.fill(IconArt::cutOut(a.rect(0.06, 0.3, 0.94, 0.7), a.glyphs(QStringLiteral("AWB"), 0.15, 0.38, 0.85, 0.62)));
}

void fillFluorescentTube(IconArt& a) {
  a.fillRect(0.12, 0.44, 0.88, 0.56);
  for (double x : {0.2, 0.47, 0.74}) {
    a.fillRect(x, 0.64, x + 0.06, 0.82);
    a.fillRect(x, 0.18, x + 0.06, 0.36);
  }
}

void fillCustomSymbol(IconArt& a) {
  a.fillRect(0.14, 0.56, 0.86, 0.8);
  a.fill(a.polygon({{0.14, 0.48}, {0.48, 0.48}, {0.48, 0.2}}));
  a.fill(a.polygon({{0.52, 0.48}, {0.86, 0.48}, {0.52, 0.2}}));
}

Path ray(const IconArt& a, double cx, double cy, double r0, double r1, double degrees, double width) {
  const double t = degrees * std::numbers::pi / 180.0;
  const double c = std::cos(t), s = std::sin(t);
  const double hx = -s * width / 2, hy = c * width / 2;
  return a.polygon({{cx + c * r0 + hx, cy + s * r0 + hy},
                    {cx + c * r0 - hx, cy + s * r0 - hy},
                    {cx + c * r1 - hx, cy + s * r1 - hy},
                    {cx + c * r1 + hx, cy + s * r1 + hy}});
}

void fillSun(IconArt& a, double rayInner, double rayOuter) {
  a.fillOval(0.32, 0.32, 0.68, 0.68);
  for (int i = 0; i < 8; ++i) a.fill(ray(a, 0.5, 0.5, rayInner, rayOuter, i * 45.0, 0.07));
}

void fillStackedFrames(IconArt& a) {
  a.fill(a.ring(0.02667, 0.5, 0.68667, 0.97333, 0.06792, 0.53737, 0.64542, 0.93596));
  a.fill(a.polygon({{0.83333, 0.83333}, {0.83333, 0.36}, {0.19333, 0.36}, {0.19333, 0.39333}, {0.79333, 0.39333},
                    {0.79333, 0.83333}}));
  a.fill(a.polygon({{0.97333, 0.69333}, {0.97333, 0.22}, {0.33333, 0.22}, {0.33333, 0.25333}, {0.93333, 0.25333},
                    {0.93333, 0.69333}}));
}

void fillCornerMark(IconArt& a, const QString& letters, double x0) {
  a.fill(a.glyphs(letters, x0, 0.02, 0.975, 0.19));
}

void fillDial(IconArt& a, bool hand) {
  a.fill(IconArt::cutOut(a.oval(0.14, 0.06, 0.86, 0.78), a.oval(0.21, 0.13, 0.79, 0.71)));
  a.fillRect(0.45, 0.77, 0.55, 0.86);
  a.fillRect(0.36, 0.86, 0.64, 0.94);
  a.fill(ray(a, 0.5, 0.42, 0.3, 0.36, 45, 0.06));
  if (hand) {
    a.fillRect(0.47, 0.42, 0.53, 0.66);
    a.fillOval(0.44, 0.38, 0.56, 0.47);
  }
}

void fillRemote(IconArt& a) {
  a.fill(IconArt::cutOut(a.roundedRect(0.32, 0.06, 0.68, 0.62, 0.06, 0.05), a.oval(0.42, 0.36, 0.58, 0.52)));
  // Signal waves: bands of two rings, kept to a wedge above the remote.
  const Path wedge = a.polygon({{0.5, 0.56}, {0.05, 1.0}, {0.95, 1.0}});
  for (const auto& [r0, r1] : {std::pair{0.1, 0.16}, std::pair{0.23, 0.29}}) {
    const Path band = IconArt::cutOut(a.oval(0.5 - r1 * 1.6, 0.6 - r1 * 1.6, 0.5 + r1 * 1.6, 0.6 + r1 * 1.6),
                                      a.oval(0.5 - r0 * 1.6, 0.6 - r0 * 1.6, 0.5 + r0 * 1.6, 0.6 + r0 * 1.6));
    a.fill(IconArt::intersected(band, wedge));
  }
}

void fillOpenViewfinder(IconArt& a) {
  a.fill(a.polygon({{0.08, 0.15}, {0.38, 0.15}, {0.38, 0.21}, {0.14, 0.21}, {0.14, 0.79}, {0.38, 0.79}, {0.38, 0.85},
                    {0.08, 0.85}}));
  a.fill(a.polygon({{0.92, 0.15}, {0.92, 0.85}, {0.62, 0.85}, {0.62, 0.79}, {0.86, 0.79}, {0.86, 0.21}, {0.62, 0.21},
                    {0.62, 0.15}}));
}

void fillClosedViewfinder(IconArt& a) { a.fill(a.ring(0.08, 0.15, 0.92, 0.85, 0.14, 0.21, 0.86, 0.79)); }

void fillCentreDisc(IconArt& a, double radius) { a.fillOval(0.5 - radius, 0.5 - radius, 0.5 + radius, 0.5 + radius); }

}  // namespace icons
