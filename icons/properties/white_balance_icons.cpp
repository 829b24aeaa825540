// White-balance icons: each shape under the shadow its flag selects.
#include "icons/properties/icon_art.h"
#include "icons/properties/property_motifs.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"

using icons::IconArt;
using platform::Rect;
using K = VorlaxentPropertiesStyleKit;

void K::drawWhiteBalance_AutoWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  icons::fillAwbPlate(a);
}

void K::drawWhiteBalance_AutoWWithFrame(const Rect& frame, double r, double g, bool showShadow, double b,
                                        double fontSize) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.setRegion(0.0, 0.12, 0.66, 0.88);
  icons::fillAwbPlate(a);
  a.resetRegion();
  a.centredClippedText(QStringLiteral("W"), a.box(0.64, 0.1, 1.0, 0.9), QStringLiteral("AvenirNext-Regular"),
                       fontSize + 6, 2);
}

void K::drawWhiteBalance_CloudyWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  platform::Path cloud = a.oval(0.08, 0.26, 0.42, 0.6);
  cloud = IconArt::united(cloud, a.oval(0.28, 0.36, 0.74, 0.82));
  cloud = IconArt::united(cloud, a.oval(0.58, 0.26, 0.92, 0.6));
  cloud = IconArt::united(cloud, a.rect(0.25, 0.26, 0.75, 0.43));
  a.fill(cloud);
}

void K::drawWhiteBalance_ColorTemperatureWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  a.fill(IconArt::cutOut(a.rect(0.18, 0.18, 0.82, 0.82), a.glyphs(QStringLiteral("K"), 0.32, 0.3, 0.7, 0.7)));
}

void K::drawWhiteBalance_CustomWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  icons::fillCustomSymbol(a);
}

void K::drawWhiteBalance_DaylightWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  icons::fillSun(a, 0.26, 0.44);
}

void K::drawWhiteBalance_FlashWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  a.fill(a.polygon({{0.6, 0.94}, {0.26, 0.46}, {0.47, 0.46}, {0.38, 0.06}, {0.76, 0.57}, {0.55, 0.57}, {0.72, 0.94}}));
}

void K::drawWhiteBalance_FlourescentWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  icons::fillFluorescentTube(a);
}

void K::drawWhiteBalance_ShadeWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.fill(a.polygon({{0.08, 0.2}, {0.5, 0.2}, {0.5, 0.56}, {0.29, 0.78}, {0.08, 0.56}}));
  a.fill(a.polygon({{0.5, 0.56}, {0.29, 0.78}, {0.92, 0.78}, {0.92, 0.72}, {0.56, 0.72}, {0.56, 0.56}}));
  for (double x : {0.56, 0.66, 0.76}) a.fill(a.polygon({{x, 0.2}, {x + 0.05, 0.2}, {x + 0.16, 0.52}, {x + 0.11, 0.52}}));
}

void K::drawWhiteBalance_TungstenWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  platform::Path bulb = a.oval(0.32, 0.4, 0.68, 0.76);
  bulb = IconArt::united(bulb, a.polygon({{0.38, 0.48}, {0.62, 0.48}, {0.58, 0.26}, {0.42, 0.26}}));
  a.fill(bulb);
  a.fillRect(0.42, 0.14, 0.58, 0.23);
  for (double angle : {0.0, 45.0, 90.0, 135.0, 180.0}) a.fill(icons::ray(a, 0.5, 0.58, 0.26, 0.4, angle, 0.06));
}

void K::drawWhiteBalance_FlourescentTextWithFrame(const Rect& frame, double r, double g, bool showShadow, double b,
                                                  double fontSize, const QString& bracketTopText) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.setRegion(0.0, 0.1, 0.58, 0.9);
  icons::fillFluorescentTube(a);
  a.resetRegion();
  a.centredClippedText(bracketTopText, a.box(0.56, 0.15, 1.0, 0.85), QStringLiteral("Arial-BoldMT"), fontSize, 1.5);
}

void K::drawWhiteBalance_AutoUnderwaterWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.setRegion(0.0, 0.4, 1.0, 1.0);
  icons::fillAwbPlate(a);
  a.resetRegion();
  platform::Path fish = a.oval(0.18, 0.1, 0.64, 0.4);
  fish = IconArt::united(fish, a.polygon({{0.6, 0.25}, {0.84, 0.4}, {0.84, 0.1}}));
  a.fill(IconArt::cutOut(fish, a.oval(0.25, 0.24, 0.31, 0.3)));
}

void K::drawWhiteBalance_CustomTextWithFrame(const Rect& frame, double r, double g, bool showShadow, double b,
                                             double fontSize, const QString& bracketTopText) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.setRegion(0.12, 0.3, 0.88, 1.0);
  icons::fillCustomSymbol(a);
  a.resetRegion();
  a.centredClippedText(bracketTopText, a.box(0.0, 0.0, 1.0, 0.36), QStringLiteral("Arial-BoldMT"), fontSize, 1.5);
}

void K::drawWhiteBalance_AutoNaturalLightWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  if (!a.ok()) return;
  a.setRegion(0.0, 0.12, 0.7, 0.88);
  icons::fillSun(a, 0.26, 0.44);
  a.resetRegion();
  a.fill(a.glyphs(QStringLiteral("A"), 0.72, 0.32, 0.96, 0.68));
}

void K::drawWhiteBalance_PresetWithFrame(const Rect& frame, double r, double g, bool showShadow, double b) {
  IconArt a(frame, r, g, showShadow, b);
  a.fill(a.glyphs(QStringLiteral("PRE"), 0.1, 0.36, 0.9, 0.64));
}
