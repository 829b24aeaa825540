#pragma once
// A one-line text field that makes its font smaller, a point at a time and not below a minimum, until its text
// fits its width (centring the text once it has shrunk); its text sits against the bottom of the field. A
// shorter text later does not make the font larger again.

#include <QLabel>

class AdjustableFontSizeTextField : public QLabel {
  Q_OBJECT

 public:
  explicit AdjustableFontSizeTextField(QWidget* parent = nullptr);

  double minimumFontSize() const { return minimumFontSize_; }
  // Both ask for a new layout.
  void setMinimumFontSize(double points);
  void setAdjustsFontSizeToFit(bool adjusts);
  // Stores only.
  void setAdjustsFontSize(bool adjusts) { adjustsFontSize_ = adjusts; }
  bool adjustsFontSize() const { return adjustsFontSize_; }

  // Sets the text and asks for a new layout.
  void setStringValue(const QString& text);
  // The fitting, when on; runs on every layout the field gets.
  void layout();

 protected:
  bool event(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void setNeedsLayout();
  bool adjustsFontSize_ = false;
  double minimumFontSize_ = 1.0;
};
