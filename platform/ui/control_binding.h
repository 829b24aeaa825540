#pragma once
// The "value" binding of the platform's plain controls, as interface files set them up: a check box (or any
// checkable button) shows the bound value as its tick, a text field as its text. The control shows the bound
// value (through the binding's value transformer) at once and after every change, wherever the change was made;
// what the user does goes back into the bound object (reverse-transformed): a click of the button, the end of
// an edit of the field that changed its text. Showing a value never writes it back.
//
// The binding belongs to the control and ends with it, or with unbindValue.
#include <optional>

#include "platform/ui/binding.h"

class QAbstractButton;
class QLineEdit;
class QWidget;

namespace platform {

void bindValue(QAbstractButton* button, BindingInfo info);
void bindValue(QLineEdit* field, BindingInfo info);
void unbindValue(QWidget* control);
std::optional<BindingInfo> valueBindingInfo(const QWidget* control);

}  // namespace platform
