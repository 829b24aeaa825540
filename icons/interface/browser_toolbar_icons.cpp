// The image browser's toolbar icons: captioned white pictograms (delete, compare, select all, the format
// filters), the save disk and the crop marks. The captioned ones are laid out in 78ths of the frame, y up from
// its bottom edge: the pictogram between about 23 and 73, the caption centred on 39 with its baseline at 5.
#include <cmath>
#include <string_view>

#include "icons/interface/caption_glyphs.h"
#include "icons/interface/compound_path.h"
#include "icons/interface/interface_art.h"
#include "icons/properties/icon_art.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::compound;
using icons::IconArt;
using platform::Color;
using platform::Path;
using platform::Point;
using platform::Rect;
using K = VorlaxentStyleKit;

namespace {

constexpr double kUnit = 1.0 / 78;

// Points of the frame in 78ths.
struct Layout {
  const IconArt& art;
  Point at(double x, double y) const { return art.at(x * kUnit, y * kUnit); }
  Path rect(double x0, double y0, double x1, double y1) const {
    return art.rect(x0 * kUnit, y0 * kUnit, x1 * kUnit, y1 * kUnit);
  }
  // A rectangle with its corners rounded by r (in 78ths of each axis).
  Path rounded(double x0, double y0, double x1, double y1, double r) const {
    return art.roundedRect(x0 * kUnit, y0 * kUnit, x1 * kUnit, y1 * kUnit, r * kUnit, r * kUnit);
  }
  Path caption(std::string_view text, double capHeight) const {
    return icons::captionOutline(text, 39, 5, capHeight, [this](double x, double y) { return at(x, y); });
  }
};

// The select-all outline: near edges snapped as every snapped shape, far edges half a point past a whole point.
Rect selectAllOutline(const Rect& f) {
  const double left = std::floor(f.width() * 0.17949 + 0.5), bottom = std::floor(f.height() * 0.29487 + 0.5);
  const double right = std::floor(f.width() * 0.83974) + 0.5, top = std::floor(f.height() * 0.91667) + 0.5;
  return {f.x() + left, f.y() + bottom, right - left, top - bottom};
}

void selectAll(const Rect& frame, bool selected) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Layout u{art};
  const Path caption = u.caption("Select All", 12);
  if (!selected) art.fill(caption);
  const Rect outline = selectAllOutline(frame);
  if (outline.width() > 0 && outline.height() > 0)
    icons::strokeShape(art.canvas(), Path::rect(outline), Color::whiteColor(), 1);
  if (!selected) return;
  Path check;
  check.moveTo(u.at(19, 44.10));
  for (Point p : {Point{32.66, 30}, Point{61, 59.25}, Point{55.43, 65}, Point{32.66, 41.49}, Point{24.57, 49.85}})
    check.lineTo(u.at(p.x, p.y));
  check.close();
  art.fill(check);
  art.fill(caption);
}

// The funnel of the format filters from `left` (47 wide): a rim with slightly rounded corners, a cone down to a
// stem 12.1 wide at 40.3, the stem down to 23.
void filter(const Rect& frame, double left, std::string_view caption) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Layout u{art};
  const double right = left + 47, mid = left + 23.5, stem = 6.05, r = 1.5;
  Path funnel;
  funnel.moveTo(u.at(mid - stem, 23));
  funnel.lineTo(u.at(mid + stem, 23));
  funnel.lineTo(u.at(mid + stem, 40.3));
  funnel.lineTo(u.at(right, 60.5));
  funnel.lineTo(u.at(right, 69 - r));
  funnel.curveTo(u.at(right - r, 69), u.at(right, 69 - r / 2), u.at(right - r / 2, 69));
  funnel.lineTo(u.at(left + r, 69));
  funnel.curveTo(u.at(left, 69 - r), u.at(left + r / 2, 69), u.at(left, 69 - r / 2));
  funnel.lineTo(u.at(left, 60.5));
  funnel.lineTo(u.at(mid - stem, 40.3));
  funnel.close();
  art.fill(funnel);
  art.fill(u.caption(caption, 12));
}

}  // namespace

void K::drawWhiteTrashWithTextWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Layout u{art};
  art.fill(u.rounded(33.8, 70.4, 43.9, 72.6, 0.8));
  // The lid, wider at the bottom, its sides curving in towards the top.
  Path lid;
  lid.moveTo(u.at(19.7, 62.6));
  lid.lineTo(u.at(58.0, 62.6));
  lid.curveTo(u.at(55.0, 69.9), u.at(57.6, 66.0), u.at(56.8, 69.9));
  lid.lineTo(u.at(22.7, 69.9));
  lid.curveTo(u.at(19.7, 62.6), u.at(20.9, 69.9), u.at(20.1, 66.0));
  lid.close();
  art.fill(lid);
  Path body;
  body.moveTo(u.at(26.4, 24.9));
  body.lineTo(u.at(50.9, 24.9));
  body.curveTo(u.at(53.9, 27.9), u.at(52.6, 24.9), u.at(53.9, 26.2));
  body.lineTo(u.at(53.9, 62.2));
  body.lineTo(u.at(23.4, 62.2));
  body.lineTo(u.at(23.4, 27.9));
  body.curveTo(u.at(26.4, 24.9), u.at(23.4, 26.2), u.at(24.7, 24.9));
  body.close();
  art.fill(compound({{body},
                     {u.rounded(28.0, 30.4, 31.6, 58.1, 1.2), true},
                     {u.rounded(37.1, 30.4, 40.7, 58.1, 1.2), true},
                     {u.rounded(46.1, 30.4, 49.7, 58.1, 1.2), true}}));
  art.fill(u.caption("Delete", 12.7));
}

void K::drawCompareWithTextWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  const Layout u{art};
  art.fill(compound({{u.rect(15, 24, 64, 73)},
                     {u.rect(18.4, 27.4, 38.0, 47.0), true},
                     {u.rect(41.0, 27.4, 60.6, 47.0), true},
                     {u.rect(18.4, 50.0, 38.0, 69.6), true},
                     {u.rect(41.0, 50.0, 60.6, 69.6), true}}));
  art.fill(u.caption("Compare", 12.7));
}

void K::drawSaveDiskWithFrame(const Rect& frame) {
  IconArt art(frame, 0.784, 0.784, 0.784);
  if (!art.ok()) return;
  // Free paths in fractions of a square inset from the frame by snapped edges.
  const Rect inset = art.snapped(0.08333, 0.08333, 0.91667, 0.91667);
  if (inset.isEmpty()) return;
  const Rect& f = frame;
  art.setRegion((inset.x() - f.x()) / f.width(), (inset.y() - f.y()) / f.height(), (inset.maxX() - f.x()) / f.width(),
                (inset.maxY() - f.y()) / f.height());
  art.fill(compound({{art.polygon({{0, 0}, {1, 0}, {1, 0.77667}, {0.80385, 1}, {0.68301, 1}, {0.68301, 0.61833},
                                   {0.15061, 0.61833}, {0.15061, 1}, {0, 1}})},
                     {art.rect(0.40105, 0.71333, 0.6007, 0.95167)},
                     {art.rect(0.15061, 0.095, 0.85114, 0.46), true},
                     {art.rect(0.25044, 0.33333, 0.75131, 0.38167)},
                     {art.rect(0.25044, 0.19, 0.75131, 0.23833)}}));
}

void K::drawSelectAllSelectedWithTextWithFrame(const Rect& frame) { selectAll(frame, true); }
void K::drawSelectAllUnselectedWithTextWithFrame(const Rect& frame) { selectAll(frame, false); }
void K::drawFilterJpgWithTextWithFrame(const Rect& frame) { filter(frame, 17, "JPG"); }
void K::drawFilterRawWithTextWithFrame(const Rect& frame) { filter(frame, 17, "RAW"); }
void K::drawFilterVideoWithTextWithFrame(const Rect& frame) { filter(frame, 16, "Video"); }
void K::drawFilterAllWithTextWithFrame(const Rect& frame) { filter(frame, 16, "All"); }

void K::drawCropWithFrame(const Rect& frame) {
  IconArt art(frame, 1, 1, 1);
  if (!art.ok()) return;
  constexpr double t = 1.0 / 15;
  art.fill(art.polygon({{0.9 - t, 0}, {0.9, 0}, {0.9, 0.9}, {0, 0.9}, {0, 0.9 - t}, {0.9 - t, 0.9 - t}}));
  art.fill(art.polygon({{0.1, 0.1}, {1, 0.1}, {1, 0.1 + t}, {0.1 + t, 0.1 + t}, {0.1 + t, 1}, {0.1, 1}}));
}
