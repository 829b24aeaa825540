#pragma once
// Fonts named by PostScript name, as the drawing code names them, mapped onto the families installed here:
// ArialMT and its styles -> Liberation Sans, AvenirNext-<Weight> -> Lato at that weight, the system font ->
// Lato. Sizes are in points and one point is one pixel at scale 1, whatever the screen's DPI says.

#include <QFont>
#include <QString>

#include "platform/graphics/geometry.h"

namespace platform {

enum class FontWeight { UltraLight, Thin, Light, Regular, Medium, Semibold, Bold, Heavy, Black };

class Font {
 public:
  // The system font at 13 points.
  Font();

  // Never fails: an unknown name keeps its name and draws in the family fontconfig picks for it.
  static Font named(const QString& postScriptName, double pointSize);
  static Font systemFont(double pointSize, FontWeight weight = FontWeight::Regular);
  static Font boldSystemFont(double pointSize) { return systemFont(pointSize, FontWeight::Bold); }

  const QString& postScriptName() const { return name_; }
  double pointSize() const { return size_; }
  Font withSize(double pointSize) const;
  bool isSystemFont() const { return system_; }

  // The family and style the name maps to (before fontconfig's own matching).
  const QString& mappedFamily() const { return family_; }
  // The Qt font to draw with and the scale to apply while drawing with it: fractional sizes are drawn from a
  // larger integral pixel size, scaled down.
  const QFont& qfont() const { return qfont_; }
  double qfontScale() const { return scale_; }

  double ascent() const;
  double descent() const;
  double leading() const;
  // ascent + descent + leading: the height of one line of text.
  double lineHeight() const;
  // The size a string takes on one line: its advance and the line height.
  Size sizeOfString(const QString& text) const;
  // The bounding size of the text laid out in lines no wider than `constraint.width` (wrapping at words),
  // measured from the first line's top: the widest line and the height of all lines. A constraint of 0 (or
  // less) in either direction means unlimited. An empty text measures 0 by 0.
  Size boundingSize(const QString& text, Size constraint) const;
  // True when every character of the string has a glyph in this font itself (no fallback).
  bool mapsAllCharacters(const QString& text) const;
  // Sum of the glyph advances of the string (no kerning), or -1 when a character has no glyph.
  double glyphAdvanceSum(const QString& text) const;

  friend bool operator==(const Font& a, const Font& b) { return a.name_ == b.name_ && a.size_ == b.size_; }

 private:
  Font(QString name, double size, QString family, int weight, bool italic, bool system);
  void build();

  QString name_;
  double size_ = 13;
  QString family_;
  int weight_ = 400;
  bool italic_ = false;
  bool system_ = false;
  QFont qfont_;
  double scale_ = 1;
};

}  // namespace platform
