#include "platform/graphics/font.h"

#include <QFontMetricsF>
#include <QRawFont>
#include <cmath>

namespace platform {

namespace {

constexpr double kDefaultSize = 12;  // what a size of 0 stands for
constexpr int kFractionalOversampling = 16;

int weightValue(FontWeight w) {
  switch (w) {
    case FontWeight::UltraLight: return 100;
    case FontWeight::Thin: return 200;
    case FontWeight::Light: return 300;
    case FontWeight::Regular: return 400;
    case FontWeight::Medium: return 500;
    case FontWeight::Semibold: return 600;
    case FontWeight::Bold: return 700;
    case FontWeight::Heavy: return 800;
    case FontWeight::Black: return 900;
  }
  return 400;
}

struct Mapping {
  QString family;
  int weight = 400;
  bool italic = false;
};

// "AvenirNext-DemiBoldItalic" -> weight 600, italic.
Mapping mapAvenir(const QString& style) {
  QString s = style;
  Mapping m{QStringLiteral("Lato"), 400, false};
  if (s.endsWith(QLatin1String("Italic"))) {
    m.italic = true;
    s.chop(6);
  }
  struct W { const char* name; int weight; };
  static const W weights[] = {{"UltraLight", 200}, {"Regular", 400}, {"Medium", 500}, {"DemiBold", 600},
                              {"Bold", 700},       {"Heavy", 800},   {"", 400}};
  for (const W& w : weights) {
    if (s == QLatin1String(w.name)) {
      m.weight = w.weight;
      break;
    }
  }
  return m;
}

Mapping mapName(const QString& name) {
  if (name == QLatin1String("ArialMT") || name == QLatin1String("Arial")) return {QStringLiteral("Liberation Sans"), 400, false};
  if (name == QLatin1String("Arial-BoldMT")) return {QStringLiteral("Liberation Sans"), 700, false};
  if (name == QLatin1String("Arial-ItalicMT")) return {QStringLiteral("Liberation Sans"), 400, true};
  if (name == QLatin1String("Arial-BoldItalicMT")) return {QStringLiteral("Liberation Sans"), 700, true};
  if (name.startsWith(QLatin1String("Helvetica"))) {
    const bool bold = name.contains(QLatin1String("Bold"));
    return {QStringLiteral("Liberation Sans"), bold ? 700 : 400, name.contains(QLatin1String("Oblique"))};
  }
  if (name.startsWith(QLatin1String("AvenirNext-"))) return mapAvenir(name.mid(11));
  if (name == QLatin1String("AvenirNext")) return {QStringLiteral("Lato"), 400, false};
  // Unknown: "Family-Style" asks fontconfig for the family part.
  const qsizetype dash = name.indexOf(QLatin1Char('-'));
  Mapping m{dash > 0 ? name.left(dash) : name, 400, false};
  const QString style = dash > 0 ? name.mid(dash + 1) : QString();
  if (style.contains(QLatin1String("Bold"))) m.weight = 700;
  if (style.contains(QLatin1String("Italic")) || style.contains(QLatin1String("Oblique"))) m.italic = true;
  return m;
}

}  // namespace

Font::Font() : Font(QStringLiteral(".SystemFont-Regular"), 13, QStringLiteral("Lato"), 400, false, true) {}

Font::Font(QString name, double size, QString family, int weight, bool italic, bool system)
    : name_(std::move(name)), size_(size > 0 ? size : kDefaultSize), family_(std::move(family)), weight_(weight),
      italic_(italic), system_(system) {
  build();
}

Font Font::named(const QString& postScriptName, double pointSize) {
  const Mapping m = mapName(postScriptName);
  return Font(postScriptName, pointSize, m.family, m.weight, m.italic, false);
}

Font Font::systemFont(double pointSize, FontWeight weight) {
  return Font(QStringLiteral(".SystemFont-%1").arg(weightValue(weight)), pointSize, QStringLiteral("Lato"),
              weightValue(weight), false, true);
}

Font Font::withSize(double pointSize) const {
  Font f = *this;
  f.size_ = pointSize > 0 ? pointSize : kDefaultSize;
  f.build();
  return f;
}

void Font::build() {
  qfont_ = QFont(family_);
  qfont_.setWeight(QFont::Weight(weight_));
  qfont_.setItalic(italic_);
  // Unhinted outlines keep measurements proportional to the size, as the layout code expects.
  qfont_.setHintingPreference(QFont::PreferNoHinting);
  qfont_.setKerning(false);
  const bool integral = std::floor(size_) == size_;
  const int pixel = integral ? int(size_) : int(std::lround(size_ * kFractionalOversampling));
  qfont_.setPixelSize(std::max(1, pixel));
  scale_ = size_ / std::max(1, pixel);
}

double Font::ascent() const { return QFontMetricsF(qfont_).ascent() * scale_; }
double Font::descent() const { return QFontMetricsF(qfont_).descent() * scale_; }
double Font::leading() const { return std::max(0.0, QFontMetricsF(qfont_).leading() * scale_); }
double Font::lineHeight() const { return ascent() + descent() + leading(); }

Size Font::sizeOfString(const QString& text) const {
  if (text.isEmpty()) return {0, 0};
  return {QFontMetricsF(qfont_).horizontalAdvance(text) * scale_, lineHeight()};
}

Size Font::boundingSize(const QString& text, Size constraint) const {
  if (text.isEmpty()) return {0, 0};
  constexpr double kUnlimited = 1e7;
  const double w = constraint.width > 0 ? constraint.width / scale_ : kUnlimited;
  const double h = constraint.height > 0 ? constraint.height / scale_ : kUnlimited;
  const QRectF r = QFontMetricsF(qfont_).boundingRect(QRectF(0, 0, w, h), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
  return {r.width() * scale_, r.height() * scale_};
}

bool Font::mapsAllCharacters(const QString& text) const {
  const QRawFont raw = QRawFont::fromFont(qfont_);
  if (!raw.isValid()) return false;
  for (char32_t c : text.toUcs4()) {
    if (!raw.supportsCharacter(c)) return false;
  }
  return true;
}

double Font::glyphAdvanceSum(const QString& text) const {
  if (!mapsAllCharacters(text)) return -1;
  const QRawFont raw = QRawFont::fromFont(qfont_);
  const QList<quint32> glyphs = raw.glyphIndexesForString(text);
  const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
  double sum = 0;
  for (const QPointF& a : advances) sum += a.x();
  return sum * scale_;
}

}  // namespace platform
