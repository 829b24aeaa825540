#pragma once
// One camera-setting button of the capture panel bound to one camera property, named by its PTP code. The button
// shows the property's current value as the icon kit draws it (an icon or a short text), opens a picker in a
// semi-transient popover below it when pressed (pressed again: closes it), sets the chosen value through the
// command runner and reports a refusal. It follows the session's change notifications so that the face is always
// what the camera reports, shows Canon's on-screen exposure values on the shutter-speed, aperture and ISO
// buttons while the camera computes them, and warns Sony and Fujifilm users who shoot RAW only.
//
// The controller keeps the code, never the engine's record: a slot of the store may hold another property after
// a store clear, so every read is a copy taken under the record's lock. Notifications arrive on the engine's
// event thread and hop to the main queue; work queued there (and the 0.2 s delay of an on-screen value) holds
// the controller weakly, so nothing reaches a controller that is gone.
//
// The capture panel makes one per button it shows:
//   auto iso = PropertyController::initWithPropertyCode(codes.iso, oIsoButton, this);   // null: no such property
//   iso->setButton(nullptr);               // the button goes to another controller (Nikon movie mode, auto ISO)
//   iso->propertyCode();
//   iso->autoExposureModeChanged();        // the exposure mode changed (clears an on-screen value)
// Keep the returned shared pointer for as long as the button shows it; destroy it on the main thread.
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "controls/pickers/property_values_view_controller.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/object.h"
#include "platform/ui/popover.h"

class PropertyComboBoxViewController;
class SYFlatButton;
class UpDownViewController;
struct PropertyNameStruct;

namespace platform {
class ViewController;
}

class PropertyController : public platform::Object,
                           public platform::PopoverDelegate,
                           public PropertyValuesViewDelegate {
 public:
  // None when the camera has no record of `code`. `button` may be null (bound later with setButton); `parent`
  // is the panel, whose view the popovers are anchored in (null: the button itself).
  static std::shared_ptr<PropertyController> initWithPropertyCode(uint32_t code, SYFlatButton* withButton,
                                                                  platform::ViewController* withPropertiesParentController);
  ~PropertyController() override;
  PropertyController(const PropertyController&) = delete;
  PropertyController& operator=(const PropertyController&) = delete;

  // Rebinds to another button, or to none. From another thread it is queued on the main queue.
  void setButton(SYFlatButton* button);
  SYFlatButton* button() const { return mButton; }
  uint32_t propertyCode() const { return mPropertyCode; }

  // Redraws the button (and refreshes an open picker).
  void update();
  // The button's action.
  void pressedButton(SYFlatButton* sender);
  // Opens the picker, or closes the open one. From another thread it is queued on the main queue.
  void showPossibleValues();
  // Fills the just-made grid or image-format picker.
  void checkPropertyLoad();
  // Sets the property in the background; a refusal is reported, success shows what the camera sends back.
  void updateProperty(uint32_t code, uint32_t value);

  // Picker delegate.
  void buttonSelected(int64_t value, PropertyValuesViewController* picker) override;
  void buttonToggled(uint32_t code, int64_t value) override;
  // Popover delegate.
  void popoverDidClose(platform::Popover* popover) override;
  // Clears the popover's and the picker's delegate and lets both go.
  void cleanupPopover();

  // Observers ("JW_%d" of the code and of the codes that change what the button shows; Canon "JW_Olc_%d").
  void propertyUpdatedNotification(const platform::Notification& notification);
  // The exposure mode changed: the button shows the property's own value again at its next redraw.
  void autoExposureModeChanged(const platform::Value& value = {});
  void olcUpdated(const platform::Notification& notification);
  // Shows a Canon on-screen value on the button (0 and 0xFFFF are ignored). From another thread: main queue.
  void showOlcInfo(uint32_t value);
  void removeOlcInfo();

  // The RAW-only warning (Fujifilm, and Sony where the engine asks for it), at most once in 300 s.
  void checkImageFormat();
  // Follow-ups of a successful set.
  void showWhiteBalanceTemperature();
  void showNikonNumShots();

  // The display name and the value text of the record (empty without one).
  std::string propertyName() const;
  std::string propertyValue() const;

  // For the panel and tests.
  bool isDisplayingOlcInfo() const { return mDisplayingOlcInfo; }
  platform::Popover* popover() const { return mPopover.get(); }
  PropertyValuesViewController* propertyValuesViewController() const { return mPropertyValuesViewController.get(); }
  UpDownViewController* upDownViewController() const { return mUpDownViewController.get(); }
  PropertyComboBoxViewController* comboBoxViewController() const { return mComboBoxViewController.get(); }

  // Seconds that must pass between two RAW-only warnings, and the delay of an on-screen value.
  static constexpr double kRawWarningInterval = 300;
  static constexpr double kOlcDelay = 0.2;

 protected:
  explicit PropertyController(uint32_t code);

 private:
  std::weak_ptr<PropertyController> weakSelf();
  // Runs `f` with this controller on the main queue now (on the main thread) or later (elsewhere), if it lives.
  template <class F>
  void onMain(F f);
  void observe();
  void showOlcInfoAfterDelay(uint32_t value);
  // Presents a picker's view in a new popover anchored at the button.
  void present(platform::ViewController* picker);
  platform::Rect buttonRectInParent(QWidget** inView) const;

  uint32_t mPropertyCode = 0;
  QPointer<SYFlatButton> mButton;
  QPointer<platform::ViewController> mPropertiesParentViewController;
  std::unique_ptr<platform::Popover> mPopover;
  const PropertyNameStruct* mPropertyName = nullptr;
  std::unique_ptr<PropertyValuesViewController> mPropertyValuesViewController;
  std::unique_ptr<UpDownViewController> mUpDownViewController;
  std::unique_ptr<PropertyComboBoxViewController> mComboBoxViewController;
  bool mDisplayingOlcInfo = false;
  // Time (of the current time source) of the last RAW-only check that passed every test; none yet: the first
  // such check warns.
  std::optional<double> mPreviousImageCheckDate;
};
