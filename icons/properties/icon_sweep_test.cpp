// One sweep over every draw operation of the property kit (and the image-format buttons and text canvases) and of
// the interface kit:
// drawing at an offset equals drawing at the origin shifted; no ink outside the frame, but for what an icon
// places outside on purpose; the caller's canvas state unchanged; empty and tiny frames draw safely; and each
// image operation renders exactly what its draw operation draws into the same frame.
#include <QtGlobal>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "icons/interface/interface_icon_catalogue.h"
#include "icons/properties/icon_test_support.h"
#include "icons/properties/property_icon_catalogue.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/test_application.h"

namespace {

using icons::IconParams;
using icons::PropertyIconEntry;
using icons::testing::alphaUp;
using icons::testing::maxDifference;
using icons::testing::renderCanvas;
using platform::Canvas;
using platform::Image;
using platform::Rect;
using platform::Size;

// One drawing under test: its name, how it draws into a frame, and its image twin when it has one.
struct Drawing {
  std::string name;
  std::function<void(const Rect&)> draw;
  std::function<Image(const Rect&)> image;  // the image of the frame's size (drawn at its origin)
  bool shadowed = false;
};

std::vector<Drawing> allDrawings(Size size) {
  std::vector<Drawing> out;
  for (const PropertyIconEntry& e : icons::propertyIconCatalogue()) {
    const bool hasFlag = e.signature == icons::IconSignature::A || e.signature == icons::IconSignature::B ||
                         e.signature == icons::IconSignature::C;
    for (bool shadow : {false, true}) {
      if (shadow && !hasFlag) continue;
      const IconParams p = icons::samplePropertyIconParams(e, size, 0.2, 0.6, 1.0, shadow);
      out.push_back({std::string(e.stem) + (shadow ? "+shadow" : ""), [&e, p](const Rect& f) { e.draw(f, p); },
                     [&e, p](const Rect& f) { return e.image(f.size, p); }, shadow});
    }
  }
  using K = VorlaxentStyleKit;
  const QString L = QStringLiteral("L"), M = QStringLiteral("M");
  for (unsigned compression : {0u, 1u, 2u, 3u})
    out.push_back({"ImageFormat_Jpeg/" + std::to_string(compression),
                   [=](const Rect& f) { K::drawImageFormat_JpegWithFrame(f, L, compression, false, true); },
                   [=](const Rect& f) { return K::imageOfImageFormat_JpegWithFrame(f, L, compression, false, true); }});
  for (const QString& raw : {QString(), M})
    out.push_back({"ImageFormat_Raw/" + raw.toStdString(),
                   [=](const Rect& f) { K::drawImageFormat_RawWithFrame(f, raw, true, false); },
                   [=](const Rect& f) { return K::imageOfImageFormat_RawWithFrame(f, raw, true, false); }});
  out.push_back({"ImageFormat_RawPlusJpeg",
                 [=](const Rect& f) { K::drawImageFormat_RawPlusJpegWithFrame(f, L, 2, M, false, false); },
                 [=](const Rect& f) { return K::imageOfImageFormat_RawPlusJpegWithFrame(f, L, 2, M, false, false); }});
  using P = VorlaxentPropertiesStyleKit;
  out.push_back({"Canvas2", [](const Rect& f) { P::drawCanvas2WithFrame(f, 1, 1, 1, 12); }, nullptr});
  out.push_back({"CustomString",
                 [](const Rect& f) { P::drawCustomStringWithFrame(f, 1, 1, 1, 30, QStringLiteral("Wide text here")); },
                 nullptr});
  for (const icons::InterfaceIconCase& c : icons::interfaceIconCases())
    out.push_back({c.name, c.draw,
                   c.image ? std::function<Image(const Rect&)>([&c](const Rect& f) { return c.image(f.size); }) : nullptr});
  return out;
}

// Drawings that place a part in the caller's own coordinates, not the frame's: moving the frame leaves it where
// it is.
bool hasFixedPart(const std::string& name) {
  return name.starts_with("ZoomBar2") || name.starts_with("CarouselBackground") || (name.starts_with("DefaultButton") && name.ends_with("enabled0"));
}

// Interface icons drawn under a glow, and its blur radius.
double glowBlur(const std::string& name) {
  if (name.starts_with("StarIcon/highlighted1") || name.starts_with("YellowStarIcon/highlighted1")) return 10;
  // A white star's glow is drawn even when the star itself is clear.
  if (name.starts_with("StarIcon")) return 10;
  if (name.starts_with("TripodJoystick") || name.find(",on1") != std::string::npos) return 5;
  // The highlighted editing icons glow white; the nudge arrows sit in a black halo of the same blur.
  if (name == "Brightness/highlighted1" || name == "Contrast/highlighted1" || name.starts_with("WhiteArrow")) return 5;
  return 0;
}

// Where a drawing may ink outside its frame on purpose, in points beyond each edge (left, bottom, right, top).
struct Reach {
  double left = 0, bottom = 0, right = 0, top = 0;
};
Reach allowedReach(const std::string& name, Size size) {
  Reach r;
  if (name.ends_with("+shadow")) r.right = r.bottom = 1;  // the visible shadow, one point right and down
  // The RAW badge is a square 1.14 times the button's height, centred on it vertically; beside its letters it
  // may reach past the side of a narrow button.
  if (name.starts_with("ImageFormat_Raw")) {
    r.top = r.bottom = 0.07 * size.height + 1;
    r.left = r.right = 0.6 * size.height;
  }
  // The tracking mark's sub-frame reaches half a point past the right edge.
  if (name.find("Tracking") != std::string::npos) r.right = 1;
  // Drive-mode texts are lifted 3 points and not clipped.
  if (name.starts_with("DriveMode_Timer") || name.starts_with("DriveMode_SonyBracket")) r.top = 3, r.left = r.right = size.width;
  // The dial's number sits in a fixed box of points, wherever the frame is.
  if (name == "Canvas2" || hasFixedPart(name)) r.left = r.right = r.top = r.bottom = 1e6;
  // Interface icons stroke along the frame's edges (half the line outside) and glows spread by their blur.
  for (const icons::InterfaceIconCase& c : icons::interfaceIconCases()) {
    if (c.name != name) continue;
    double spread = 1 + 2 * glowBlur(name) + (name.starts_with("TripodJoystick") ? 0.005 * size.width : 0);
    if (name.starts_with("Histogram")) spread += 3;  // the axes' shadow, one point right and down, blurred
    // The zoom bar's outline is stroked in design units, so a stretched bar widens it with the scale.
    if (name.starts_with("ZoomBar/")) spread += 0.5 * std::max(size.width / 200, size.height / 40);
    r.left = std::max(r.left, spread), r.right = std::max(r.right, spread);
    r.bottom = std::max(r.bottom, spread), r.top = std::max(r.top, spread);
  }
  return r;
}

class IconSweepTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
};

TEST_F(IconSweepTest, DrawingAtAnOffsetEqualsDrawingAtTheOriginShifted) {
  for (Size size : {Size{30, 30}, Size{61, 37}}) {
    const int w = int(size.width), h = int(size.height);
    for (const Drawing& d : allDrawings(size)) {
      if (d.name == "Canvas2" || hasFixedPart(d.name)) continue;  // placed in points, wherever the frame is
      const QImage atOrigin = renderCanvas(w + 60, h + 60, [&](Canvas&) { d.draw(Rect(20, 20, size.width, size.height)); });
      const QImage moved = renderCanvas(w + 60, h + 60, [&](Canvas&) { d.draw(Rect(33, 27, size.width, size.height)); });
      // Compare moved with atOrigin shifted by (13, 7) in y-up pixels.
      int worst = 0;
      for (int y = 0; y + 7 < h + 60; ++y)
        for (int x = 0; x + 13 < w + 60; ++x) {
          const QColor a = icons::testing::pixelUp(atOrigin, x, y), b = icons::testing::pixelUp(moved, x + 13, y + 7);
          worst = std::max({worst, std::abs(a.alpha() - b.alpha()), std::abs(a.red() - b.red()),
                            std::abs(a.blue() - b.blue())});
        }
      // The stopwatch's crown has corners of one point: the rasterizer flattens such tiny curves in device space,
      // which moves their edge coverage by a few levels from place to place.
      EXPECT_LE(worst, d.name.starts_with("Timer/") ? 10 : 2) << d.name << " at " << w << "x" << h;
    }
  }
}

TEST_F(IconSweepTest, NoInkOutsideTheFrameButWhereAnIconPlacesItOnPurpose) {
  for (Size size : {Size{24, 24}, Size{60, 40}, Size{120, 120}}) {
    const int w = int(size.width), h = int(size.height), m = 40;
    for (const Drawing& d : allDrawings(size)) {
      const QImage img = renderCanvas(w + 2 * m, h + 2 * m, [&](Canvas&) { d.draw(Rect(m, m, size.width, size.height)); });
      const Reach reach = allowedReach(d.name, size);
      int outside = 0;
      for (int y = 0; y < h + 2 * m; ++y)
        for (int x = 0; x < w + 2 * m; ++x) {
          if (alphaUp(img, x, y) == 0) continue;
          const bool inside = x >= m - reach.left - 1e-9 && x < m + w + reach.right && y >= m - reach.bottom - 1e-9 &&
                              y < m + h + reach.top;
          outside += !inside;
        }
      EXPECT_EQ(outside, 0) << d.name << " at " << w << "x" << h;
    }
  }
}

TEST_F(IconSweepTest, TheCallersCanvasStateIsKept) {
  const Size size{40, 40};
  for (const Drawing& d : allDrawings(size)) {
    renderCanvas(60, 60, [&](Canvas& c) {
      c.setFillColor(platform::Color::rgb(0.1, 0.2, 0.3, 0.4));
      c.setStrokeColor(platform::Color::rgb(0.5, 0.6, 0.7, 0.8));
      c.setLineWidth(3.5);
      c.setAlpha(0.9);
      c.translate(2, 3);
      c.clipToRect(Rect(0, 0, 55, 50));
      const QTransform transform = c.painter().worldTransform();
      const Rect clip = c.clipBoundingBox();
      d.draw(Rect(5, 5, 40, 40));
      EXPECT_EQ(c.fillColor(), platform::Color::rgb(0.1, 0.2, 0.3, 0.4)) << d.name;
      EXPECT_EQ(c.strokeColor(), platform::Color::rgb(0.5, 0.6, 0.7, 0.8)) << d.name;
      EXPECT_EQ(c.lineWidth(), 3.5) << d.name;
      EXPECT_EQ(c.alpha(), 0.9) << d.name;
      EXPECT_EQ(c.painter().worldTransform(), transform) << d.name;
      EXPECT_EQ(c.clipBoundingBox(), clip) << d.name;
    });
  }
}

int gPainterWarnings = 0;
void countWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type != QtDebugMsg && type != QtInfoMsg) ++gPainterWarnings;
  (void)message;
}

TEST_F(IconSweepTest, EmptyNegativeAndTinyFramesAreSafe) {
  gPainterWarnings = 0;
  const QtMessageHandler previous = qInstallMessageHandler(countWarnings);
  for (const Drawing& d : allDrawings(Size{0, 0})) {
    for (Rect empty : {Rect(5, 5, 0, 0), Rect(5, 5, -10, 20), Rect(5, 5, 20, -3), Rect(5, 5, 0, 20)}) {
      const QImage img = renderCanvas(30, 30, [&](Canvas&) { d.draw(empty); });
      // The carousel's background has no frame: it always fills its design rectangle.
      if (!d.name.starts_with("CarouselBackground")) {
        EXPECT_TRUE(icons::testing::inkBounds(img).empty()) << d.name;
      }
    }
    renderCanvas(30, 30, [&](Canvas&) { d.draw(Rect(5, 5, 1, 1)); });
    if (d.image) {
      const Image image = d.image(Rect(0, 0, 0, 0));
      EXPECT_FALSE(image.isNull()) << d.name;
      EXPECT_TRUE(icons::testing::inkBounds(image.render()).empty()) << d.name;
    }
  }
  // Without a current canvas nothing is drawn and nothing fails.
  for (const Drawing& d : allDrawings(Size{20, 20})) d.draw(Rect(0, 0, 20, 20));
  qInstallMessageHandler(previous);
  EXPECT_EQ(gPainterWarnings, 0);
}

TEST_F(IconSweepTest, EachImageRendersWhatItsDrawOperationDraws) {
  for (Size size : {Size{30, 30}, Size{60, 40}}) {
    for (const Drawing& d : allDrawings(size)) {
      if (!d.image) continue;
      const Rect frame(0, 0, size.width, size.height);
      const Image image = d.image(frame);
      ASSERT_TRUE(image.hasDrawingHandler()) << d.name;
      EXPECT_EQ(image.size(), size) << d.name;
      const QImage drawn = renderCanvas(int(size.width), int(size.height), [&](Canvas&) { d.draw(frame); });
      EXPECT_EQ(maxDifference(image.render(), drawn), 0) << d.name;
      // Twice the same: the handler runs again at every rendering.
      EXPECT_EQ(maxDifference(image.render(), drawn), 0) << d.name;
    }
  }
}

TEST_F(IconSweepTest, AnImageKeepsItsTextsAfterTheCallerLetsGo) {
  using P = VorlaxentPropertiesStyleKit;
  Image image;
  {
    QString seconds = QStringLiteral("10s");
    image = P::imageOfDriveMode_TimerSecondsWithSize(Size{60, 40}, 1, 1, 1, 15, seconds);
    seconds = QStringLiteral("99s");  // the caller's own text changes and goes away
  }
  const QImage expected = renderCanvas(60, 40, [](Canvas&) {
    P::drawDriveMode_TimerSecondsWithFrame(Rect(0, 0, 60, 40), 1, 1, 1, 15, QStringLiteral("10s"));
  });
  EXPECT_EQ(maxDifference(image.render(), expected), 0);
}

}  // namespace
