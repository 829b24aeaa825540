#include "widgets/jw_text_field_cell.h"

#include <QFontMetricsF>

namespace {
constexpr double kHorizontalInset = 2;  // the field's own inset of its text from its edges
}

QRectF JWTextFieldCell::titleRectForBounds(const QRectF& frame) {
  return frame.adjusted(kHorizontalInset, 0, -kHorizontalInset, 0);
}

QRectF JWTextFieldCell::textRectForFrame(const QRectF& frame, const QFont& font) {
  QRectF r = titleRectForBounds(frame);
  const double h = QFontMetricsF(font).height();
  r.moveTop(r.top() + (r.height() - h));
  r.setHeight(h);
  return r;
}

void JWTextFieldCell::drawInteriorWithFrame(QPainter& painter, const QRectF& frame, const QString& text,
                                            const QFont& font, const QColor& color, Qt::Alignment horizontal) {
  painter.save();
  painter.setFont(font);
  painter.setPen(color);
  painter.drawText(textRectForFrame(frame, font), int(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine, text);
  painter.restore();
}
