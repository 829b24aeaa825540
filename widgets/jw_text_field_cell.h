#pragma once
// The cell of the shrinking text field: draws the text against the bottom of its title rectangle.

#include <QFont>
#include <QPainter>
#include <QRectF>
#include <QString>

class JWTextFieldCell {
 public:
  // The title rectangle of a cell frame: the frame less the field's small inner margins.
  static QRectF titleRectForBounds(const QRectF& frame);
  // Draws `text` in `font` and `color`, aligned as given horizontally, against the bottom of the title rectangle.
  static void drawInteriorWithFrame(QPainter& painter, const QRectF& frame, const QString& text, const QFont& font,
                                    const QColor& color, Qt::Alignment horizontal);
  // The rectangle the text is drawn in: the title rectangle moved down by (its height - the text's height) and
  // made the text's height.
  static QRectF textRectForFrame(const QRectF& frame, const QFont& font);
};
