#pragma once
// Bindings of the platform's plain controls to a key path of a bindable object (the settings through
// UserDefaultsController, a controller's own ObservableProperties), as interface files set them up:
//
//   "value"          check box or checkable button: its tick      text field: its text, through its formatter
//                    slider: its position (a whole number)         combo box: the item with that text (an
//                    label: its text (read only)                       editable one: its text)
//                    progress bar: its position (a whole number of its range; with the bar's dynamic
//                        properties "minValue" and "maxValue" set, the bound number runs from minValue to
//                        maxValue over the bar's range: a fraction 0..1 with maxValue 1)
//   "selectedIndex"  combo box: the selected item's index (-1: none)
//   "content"        combo box: its items, from an array of texts (the selection is shown again afterwards)
//   "enabled"        any widget: enabled when the value is true
//   "hidden"         any widget: hidden when the value is true
//
//   platform::bind(oTripodSpeedSlider, "value", {properties, "tripodSpeed"});
//   platform::bind(oStartBulbButton, "enabled", {properties, "isBulbEnabled"});
//   platform::bind(oAutoViewComboBox, "selectedIndex",
//                  {platform::UserDefaultsController::sharedUserDefaultsController(), "values.AutoViewImages"});
//
// The control shows the bound value (through the binding's value transformer) at once and after every change,
// on the main thread whatever thread made the change; what the user does with the control goes back into the
// bound object (reverse-transformed): a click of the button, a move of the slider, a choice in the combo box,
// the end of an edit of the field that changed its text (and that its formatter accepts). Showing a value
// never writes it back. A binding belongs to the control and ends with it, or with unbind. Main thread.
#include <optional>
#include <string>

#include "platform/ui/binding.h"

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace platform {

// False (and a line in the system log) for a binding the control does not have.
bool bind(QWidget* control, const std::string& binding, BindingInfo info);
void unbind(QWidget* control, const std::string& binding);
std::optional<BindingInfo> bindingInfo(const QWidget* control, const std::string& binding);

// The "value" binding, for the two controls that settings windows bind most.
void bindValue(QAbstractButton* button, BindingInfo info);
void bindValue(QLineEdit* field, BindingInfo info);
void unbindValue(QWidget* control);
std::optional<BindingInfo> valueBindingInfo(const QWidget* control);

}  // namespace platform
