#pragma once
// A sliding on/off switch made of layers: a rounded track that fills with the tint colour when on, and a round
// white knob with a soft shadow that slides from one end to the other (overshooting a little after a click).
// Clicked, dragged or driven from the keyboard (arrows, space), it sends its action when the user changes it
// and pushes its value into its "checked" binding. Setting the value from the program moves the knob but sends
// nothing.

#include <functional>
#include <memory>

#include "platform/graphics/color.h"
#include "platform/ui/binding.h"
#include "platform/ui/layer.h"

class ITSwitch : public platform::LayerHostWidget {
  Q_OBJECT
  Q_PROPERTY(bool checked READ checked WRITE setChecked)

 public:
  static constexpr double kAnimationDuration = 0.4;
  static constexpr double kBorderLineWidth = 1.0;
  static constexpr float kGoldenRatio = 1.618034f;
  static constexpr double kDecreasedGoldenRatio = 1.38;
  static constexpr double kEnabledOpacity = 1.0;
  static constexpr double kDisabledOpacity = 0.5;

  explicit ITSwitch(QWidget* parent = nullptr);
  ~ITSwitch() override;

  // The target-action pair: called with the switch when the user changes its value.
  void setAction(std::function<void(ITSwitch*)> action) { action_ = std::move(action); }
  bool hasAction() const { return bool(action_); }

  bool checked() const { return checked_; }
  bool isOn() const { return checked_; }
  void setChecked(bool checked);

  bool isActive() const { return active_; }
  bool hasDragged() const { return dragged_; }
  bool isDraggingTowardsOn() const { return draggingTowardsOn_; }

  // Unset colours answer the defaults: green (0.27, 0.86, 0.36) and black at 0.2.
  platform::Color tintColor() const;
  void setTintColor(const platform::Color& color);
  platform::Color disabledBorderColor() const;
  void setDisabledBorderColor(const platform::Color& color);

  // rootLayer() is the host's root layer.
  platform::Layer& backgroundLayer() { return *backgroundLayer_; }
  platform::Layer& knobLayer() { return *knobLayer_; }
  platform::Layer& knobInsideLayer() { return *knobInsideLayer_; }

  // The knob's frame for the present state (in the track's y-up coordinates).
  platform::Rect rectForKnob() const;
  static double knobHeightForSize(platform::Size size) { return size.height - 2; }

  // Bindings: "checked" is shown from the bound value and written back when the user changes the switch.
  void bind(const std::string& binding, platform::BindingInfo info);
  void unbind(const std::string& binding) { bindings_.unbind(binding); }
  std::optional<platform::BindingInfo> infoForBinding(const std::string& binding) const {
    return bindings_.infoForBinding(binding);
  }

  // Keyboard actions.
  void moveLeft();
  void moveRight();
  // The space bar toggles while the switch has the keyboard focus; answers whether the key was used.
  bool performKeyEquivalent(QKeyEvent* event);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void setUpLayers();
  void reloadLayerSize();
  void reloadLayer();
  void invokeTargetAction();
  void propagateValue(bool value, const std::string& binding);

  std::function<void(ITSwitch*)> action_;
  bool checked_ = false;
  bool active_ = false;
  bool dragged_ = false;
  bool draggingTowardsOn_ = false;
  std::optional<platform::Color> tintColor_;
  std::optional<platform::Color> disabledBorderColor_;
  std::shared_ptr<platform::Layer> backgroundLayer_;
  std::shared_ptr<platform::Layer> knobLayer_;
  std::shared_ptr<platform::Layer> knobInsideLayer_;
  platform::Bindings bindings_;
};
