#include "widgets/adjustable_font_size_text_field.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

#include "widgets/jw_text_field_cell.h"

AdjustableFontSizeTextField::AdjustableFontSizeTextField(QWidget* parent) : QLabel(parent) {}

void AdjustableFontSizeTextField::setMinimumFontSize(double points) {
  minimumFontSize_ = points;
  setNeedsLayout();
}

void AdjustableFontSizeTextField::setAdjustsFontSizeToFit(bool adjusts) {
  adjustsFontSize_ = adjusts;
  setNeedsLayout();
}

void AdjustableFontSizeTextField::setStringValue(const QString& text) {
  setText(text);
  setNeedsLayout();
}

void AdjustableFontSizeTextField::setNeedsLayout() {
  QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
}

bool AdjustableFontSizeTextField::event(QEvent* event) {
  if (event->type() == QEvent::LayoutRequest) layout();
  return QLabel::event(event);
}

void AdjustableFontSizeTextField::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  layout();
}

void AdjustableFontSizeTextField::layout() {
  if (!adjustsFontSize_) return;
  const double available = JWTextFieldCell::titleRectForBounds(QRectF(rect())).width();
  QFont f = font();
  if (f.pointSizeF() <= 0) return;  // sized in pixels: no points to step down
  bool shrunk = false;
  while (QFontMetricsF(f).horizontalAdvance(text()) > available && f.pointSizeF() > minimumFontSize_) {
    f.setPointSizeF(std::max(f.pointSizeF() - 1.0, minimumFontSize_));
    shrunk = true;
  }
  if (shrunk) {
    setFont(f);
    setAlignment((alignment() & ~Qt::AlignHorizontal_Mask) | Qt::AlignHCenter);
  }
}

void AdjustableFontSizeTextField::paintEvent(QPaintEvent*) {
  QPainter p(this);
  JWTextFieldCell::drawInteriorWithFrame(p, QRectF(contentsRect()), text(), font(),
                                         palette().color(foregroundRole()), alignment() & Qt::AlignHorizontal_Mask);
}
