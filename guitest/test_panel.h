#pragma once
// The harness's own panel (interface file "HarnessTestPanel"), for its tests and the window-shots example: the
// button "oButton" asks the camera for its DeviceInfo through the command runner, as a panel's buttons send their
// work, and "oAnswer" then shows the model, or the error when there is no camera. "oSwatch" is painted in
// kSwatchColour for pixel checks; "oField" takes text.
#include <QColor>
#include <QWidget>

class QLabel;
class QPushButton;

namespace guitest {

class TestPanel : public QWidget {
  Q_OBJECT

 public:
  static inline const QColor kSwatchColour{0x3A, 0x7B, 0xD5};

  explicit TestPanel(QWidget* parent = nullptr);

  QPushButton* oButton = nullptr;
  QLabel* oAnswer = nullptr;
  int presses() const { return presses_; }

 signals:
  // The camera's answer is on show.
  void answered();

 private:
  void askCamera();

  int presses_ = 0;
};

}  // namespace guitest
