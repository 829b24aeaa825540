// vorlaxent-icon-sheet <folder>: renders every icon of the property kit, in every state (normal, highlighted,
// disabled, each without and with its shadow where the icon has one) at 24, 60 and 120 points, into contact-sheet
// PNGs of the folder, one per family and size, for a reviewer to look at. Also the image-format buttons in their
// typical cases, every interface icon in its typical states, one row per icon, and the bundle images that windows
// load by name at their natural size and three times it. Runs offscreen without a display.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "icons/interface/bundle_images.h"
#include "icons/interface/interface_icon_catalogue.h"
#include "icons/properties/property_icon_catalogue.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/named_images.h"

using icons::IconParams;
using icons::PropertyIconEntry;
using platform::Canvas;
using platform::Rect;
using platform::Size;

namespace {

constexpr int kLabelWidth = 260;
constexpr int kPad = 12;

struct State {
  const char* name;
  double r, g, b;
  bool shadow;
};
constexpr State kStates[] = {{"normal", 1, 1, 1, false},   {"highlighted", 0, 0.5, 1, false},
                             {"disabled", 0.7, 0.7, 0.7, false}, {"normal+shadow", 1, 1, 1, true},
                             {"highlighted+shadow", 0, 0.5, 1, true}, {"disabled+shadow", 0.7, 0.7, 0.7, true}};

std::string familyOf(const std::string& stem) {
  for (const char* prefix : {"WhiteBalance", "ImageFormat", "DriveMode", "MeteringMode", "Sony_MeteringMode",
                             "Sony_FocusArea", "Nikon_MovieAfArea"}) {
    if (stem.rfind(prefix, 0) == 0) return std::string(prefix) == "Sony_MeteringMode" ? "MeteringMode" : prefix;
  }
  return "Other";
}

bool hasShadowFlag(const PropertyIconEntry& e) {
  return e.signature == icons::IconSignature::A || e.signature == icons::IconSignature::B ||
         e.signature == icons::IconSignature::C;
}

// One sheet: a row per item, a cell per state, each cell on a dark ground with a faint frame outline.
struct Row {
  QString label;
  std::vector<std::function<void(const Rect&)>> cells;  // draws into a frame of the current canvas
};

bool writeSheet(const QDir& out, const QString& name, const std::vector<Row>& rows, Size cell,
                const std::vector<QString>& headers) {
  size_t columns = 0;
  for (const Row& r : rows) columns = std::max(columns, r.cells.size());
  const int cw = int(cell.width) + 2 * kPad, ch = int(cell.height) + 2 * kPad;
  const int width = kLabelWidth + int(columns) * cw, height = 24 + int(rows.size()) * ch;
  QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
  img.fill(QColor(40, 40, 44));
  {
    QPainter p(&img);
    p.setPen(QColor(220, 220, 220));
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(12);
    p.setFont(f);
    for (size_t c = 0; c < headers.size(); ++c)
      p.drawText(QRectF(kLabelWidth + c * cw, 0, cw, 24), Qt::AlignCenter, headers[c]);
    for (size_t i = 0; i < rows.size(); ++i) {
      const int y = 24 + int(i) * ch;
      p.setPen(QColor(220, 220, 220));
      p.drawText(QRectF(6, y, kLabelWidth - 12, ch), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, rows[i].label);
      for (size_t c = 0; c < rows[i].cells.size(); ++c) {
        const QRectF frameRect(kLabelWidth + c * cw + kPad, y + kPad, cell.width, cell.height);
        p.fillRect(frameRect.adjusted(-kPad + 2, -kPad + 2, kPad - 2, kPad - 2), QColor(84, 88, 96));  // light enough for shadows to show
        p.setPen(QColor(70, 70, 80));
        p.drawRect(frameRect.adjusted(-0.5, -0.5, 0.5, 0.5));
        p.save();
        // Each drawing stays on its own tile: a part that an icon places in fixed points (the default button's
        // disabled veil, the second zoom bar's marker) would otherwise lie over the neighbouring cells.
        p.setClipRect(frameRect.adjusted(-kPad + 2, -kPad + 2, kPad - 2, kPad - 2));
        p.translate(frameRect.topLeft());
        Canvas canvas(p, cell);
        rows[i].cells[c](Rect{0, 0, cell.width, cell.height});
        p.restore();
      }
    }
  }
  const QString path = out.filePath(name + QStringLiteral(".png"));
  if (!img.save(path)) {
    std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

std::vector<Row> buttonRows(Size cell) {
  using K = VorlaxentStyleKit;
  struct Case {
    const char* label;
    std::function<void(const Rect&, bool, bool)> draw;
  };
  const std::vector<Case> cases = {
      {"JPEG L, compression 0", [](const Rect& f, bool h, bool e) { K::drawImageFormat_JpegWithFrame(f, QStringLiteral("L"), 0, h, e); }},
      {"JPEG M1, compression 1", [](const Rect& f, bool h, bool e) { K::drawImageFormat_JpegWithFrame(f, QStringLiteral("M1"), 1, h, e); }},
      {"JPEG S2, compression 2", [](const Rect& f, bool h, bool e) { K::drawImageFormat_JpegWithFrame(f, QStringLiteral("S2"), 2, h, e); }},
      {"JPEG S, compression 3", [](const Rect& f, bool h, bool e) { K::drawImageFormat_JpegWithFrame(f, QStringLiteral("S"), 3, h, e); }},
      {"RAW alone", [](const Rect& f, bool h, bool e) { K::drawImageFormat_RawWithFrame(f, QString(), h, e); }},
      {"RAW M", [](const Rect& f, bool h, bool e) { K::drawImageFormat_RawWithFrame(f, QStringLiteral("M"), h, e); }},
      {"RAW C", [](const Rect& f, bool h, bool e) { K::drawImageFormat_RawWithFrame(f, QStringLiteral("C"), h, e); }},
      {"RAW + JPEG L fine, RAW", [](const Rect& f, bool h, bool e) {
         K::drawImageFormat_RawPlusJpegWithFrame(f, QStringLiteral("L"), 2, QString(), h, e); }},
      {"RAW M + JPEG S1 normal", [](const Rect& f, bool h, bool e) {
         K::drawImageFormat_RawPlusJpegWithFrame(f, QStringLiteral("S1"), 0, QStringLiteral("M"), h, e); }},
  };
  std::vector<Row> rows;
  for (const Case& c : cases) {
    Row row{QString::fromLatin1(c.label), {}};
    for (auto [h, e] : {std::pair{false, true}, std::pair{true, true}, std::pair{false, false}, std::pair{true, false}})
      row.cells.push_back([draw = c.draw, h = h, e = e](const Rect& f) { draw(f, h, e); });
    rows.push_back(std::move(row));
  }
  (void)cell;
  return rows;
}

// The interface icons: one row per icon, one cell per state (the part of the case's name after the slash).
std::vector<Row> interfaceRows() {
  std::vector<Row> rows;
  for (const icons::InterfaceIconCase& c : icons::interfaceIconCases()) {
    if (c.designSize.width > 0) continue;  // drawn at their own size, on a sheet of their own
    const size_t slash = c.name.find('/');
    const QString icon = QString::fromStdString(c.name.substr(0, slash));
    auto row = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.label == icon; });
    if (row == rows.end()) row = rows.insert(rows.end(), Row{icon, {}});
    row->cells.push_back(c.draw);
  }
  return rows;
}

// The bundle images, one row each, centred in their cells at `scale` times their natural size, as a window shows
// them (drawn through the image that a lookup by name gives).
std::vector<Row> bundleRows(double scale, Size* cell) {
  std::vector<Row> rows;
  for (const icons::BundleImage& b : icons::bundleImages()) {
    const Size s{b.naturalSize.width * scale, b.naturalSize.height * scale};
    *cell = {std::max(cell->width, s.width), std::max(cell->height, s.height)};
    rows.push_back(Row{QString::fromStdString(b.name) + QStringLiteral(" (%1 x %2)").arg(b.naturalSize.width).arg(b.naturalSize.height),
                       {[name = b.name, s](const Rect& f) {
                         const Rect at(f.x() + (f.width() - s.width) / 2, f.y() + (f.height() - s.height) / 2, s.width, s.height);
                         if (Canvas* c = Canvas::current()) c->drawImage(platform::imageNamed(name), at);
                       }}});
  }
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vorlaxent-icon-sheet FOLDER\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.exists() && !QDir().mkpath(out.absolutePath())) {
    std::fprintf(stderr, "could not create %s\n", argv[1]);
    return 1;
  }
  std::vector<Row> designRows;
  Size designCell{};
  for (const icons::InterfaceIconCase& c : icons::interfaceIconCases()) {
    if (c.designSize.width <= 0) continue;
    designRows.push_back(Row{QString::fromStdString(c.name), {c.draw}});
    designCell = {std::max(designCell.width, c.designSize.width), std::max(designCell.height, c.designSize.height)};
  }
  bool ok = writeSheet(out, QStringLiteral("Interface_design_frames"), designRows, designCell, {});
  for (double scale : {1.0, 3.0}) {
    Size cell{};
    const std::vector<Row> rows = bundleRows(scale, &cell);
    ok &= writeSheet(out, QStringLiteral("BundleImages_x%1").arg(int(scale)), rows, cell, {});
  }
  std::vector<QString> stateHeaders;
  for (const State& s : kStates) stateHeaders.push_back(QString::fromLatin1(s.name));
  for (double side : {24.0, 60.0, 120.0}) {
    const Size cell{side, side};
    std::map<std::string, std::vector<Row>> families;
    for (const PropertyIconEntry& e : icons::propertyIconCatalogue()) {
      Row row{QString::fromLatin1(e.stem), {}};
      for (const State& s : kStates) {
        if (s.shadow && !hasShadowFlag(e)) continue;
        const IconParams p = icons::samplePropertyIconParams(e, cell, s.r, s.g, s.b, s.shadow);
        row.cells.push_back([&e, p](const Rect& f) { e.draw(f, p); });
      }
      families[familyOf(e.stem)].push_back(std::move(row));
    }
    for (const auto& [family, rows] : families)
      ok &= writeSheet(out, QStringLiteral("%1_%2").arg(QString::fromStdString(family)).arg(int(side)), rows, cell,
                       stateHeaders);
    const Size buttonCell{side * 1.5, side};
    ok &= writeSheet(out, QStringLiteral("ImageFormatButtons_%1").arg(int(side)), buttonRows(buttonCell), buttonCell,
                     {QStringLiteral("normal"), QStringLiteral("highlighted"), QStringLiteral("disabled"),
                      QStringLiteral("highlighted+disabled")});
    for (const Size interfaceCell : {cell, Size{side * 2, side}})
      ok &= writeSheet(out, QStringLiteral("Interface_%1x%2").arg(int(interfaceCell.width)).arg(int(side)),
                       interfaceRows(), interfaceCell, {});
  }
  return ok ? 0 : 1;
}
