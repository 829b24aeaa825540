#pragma once
// For tests, window shots and benchmarks (header only): a plain panel of camera-setting buttons in a window of its
// own, standing where the capture panel stands for its property buttons: the parent controller whose view the
// pickers' popovers are anchored in, with flat buttons styled as the panel's ("oIsoButton", "oShutterSpeedButton",
// "oApertureButton", "oImageFormatButton", "oDriveModeButton", "oExposureCompButton", "oWhiteBalanceButton").
#include <QString>
#include <map>
#include <memory>

#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "platform/graphics/font.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/camera_event_pump.h"
#include "widgets/sy_flat_button.h"

namespace controls_testing {

// What the camera window and the connection view do once a session stands, before the panel's buttons are used:
// the event gate opened (camera events reach the buttons) and, on Fujifilm, host mode on (the camera takes
// settings from the computer only then). Main thread.
inline void openSessionForSettings() {
  startCameraEventDispatch();
  if (camIsFuji()) CameraController::instance().toggleHostMode(true);
}
// True once the camera takes settings (its ISO record is enabled).
inline bool settingsTaken() {
  PropertyCopy iso = propCopyValues(camVendorPropertyCodes().iso);
  return iso && iso->enabled;
}

class PropertyButtonHost : public platform::ViewController {
 public:
  static constexpr int kWidth = 220;
  static constexpr int kHeight = 300;

  PropertyButtonHost() {
    window_ = std::make_unique<platform::Window>();
    window_->setFrame({80, 300, double(kWidth), double(kHeight)});
    window_->setWindowTitle(QStringLiteral("Property buttons"));
    QWidget* root = view();
    root->setParent(window_->contentView());
    root->setGeometry(0, 0, kWidth, kHeight);
    root->show();
  }
  ~PropertyButtonHost() override {
    if (isViewLoaded()) view()->setParent(nullptr);
  }

  platform::Window* window() const { return window_.get(); }
  SYFlatButton* button(const QString& name) const {
    auto it = buttons_.find(name);
    return it == buttons_.end() ? nullptr : it->second;
  }

 protected:
  void loadView() override {
    auto* root = new QWidget();
    root->resize(kWidth, kHeight);
    root->setAutoFillBackground(true);
    QPalette palette = root->palette();
    palette.setColor(QPalette::Window, QColor(48, 48, 48));
    root->setPalette(palette);
    const char* names[] = {"oApertureButton",  "oShutterSpeedButton", "oIsoButton",         "oExposureCompButton",
                           "oImageFormatButton", "oDriveModeButton",  "oWhiteBalanceButton"};
    int i = 0;
    for (const char* name : names) {
      auto* b = new SYFlatButton(root);
      b->setObjectName(QString::fromLatin1(name));
      b->setGeometry(10 + (i % 2) * 105, 10 + (i / 2) * 50, 95, 40);
      b->setMomentary(true);
      b->setCornerRadius(4);
      b->setBackgroundHighlightColor(platform::Color::white(0.6));
      b->setTitleHighlightColor(platform::Color::whiteColor());
      b->setImageNormalColor(platform::Color::whiteColor());
      b->setImageHighlightColor(platform::Color::whiteColor());
      b->setImagePosition(NSImageOverlaps);
      b->setFont(platform::Font::named(QStringLiteral("AvenirNext-Regular"), 15));
      buttons_[QString::fromLatin1(name)] = b;
      ++i;
    }
    setView(root);
  }

 private:
  std::unique_ptr<platform::Window> window_;
  std::map<QString, SYFlatButton*> buttons_;
};

}  // namespace controls_testing
