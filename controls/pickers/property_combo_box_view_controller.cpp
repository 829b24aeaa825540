#include "controls/pickers/property_combo_box_view_controller.h"

#include <QComboBox>
#include <QLabel>

#include "controls/interface_actions.h"
#include "controls/property_set_texts.h"
#include "engine/ptp/property_access.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/popover.h"
#include "session/property_object.h"
#include "ui_PropertyComboBoxView.h"

VX_INTERFACE_FILE("PropertyComboBoxView", Ui::PropertyComboBoxView);

PropertyComboBoxViewController::PropertyComboBoxViewController() : ViewController("PropertyComboBoxView") {}

std::unique_ptr<PropertyComboBoxViewController> PropertyComboBoxViewController::initWithProperty(
    const PropertyObject* snapshot, platform::Popover* parentPopover) {
  const PropertyStruct* record = snapshot ? snapshot->getProperty() : nullptr;
  return initWithProperty(snapshot, record ? record->valueCount : 0, parentPopover);
}

std::unique_ptr<PropertyComboBoxViewController> PropertyComboBoxViewController::initWithProperty(
    const PropertyObject* snapshot, uint32_t entries, platform::Popover* parentPopover) {
  std::unique_ptr<PropertyComboBoxViewController> picker(new PropertyComboBoxViewController());
  picker->mParentPopover = parentPopover;
  if (const PropertyStruct* record = snapshot ? snapshot->getProperty() : nullptr) {
    picker->mPropertyCode = record->code.load();
    picker->mMaxShots = entries;
    picker->mCurrentValue = record->value;
    picker->mTitle = record->name ? record->name : "";
  }
  return picker;
}

void PropertyComboBoxViewController::viewDidLoad() {
  oComboBox = outlet<QComboBox>("oComboBox");
  oTitleTextField = outlet<QLabel>("oTitleTextField");
  if (oTitleTextField) oTitleTextField->setText(QString::fromStdString(mTitle));
  if (oComboBox) {
    oComboBox->clear();
    for (uint32_t i = 1; i <= mMaxShots; ++i) oComboBox->addItem(QString::number(i));
    // A current value outside 1 to N selects nothing.
    const int64_t position = int64_t{mCurrentValue} - 1;
    oComboBox->setCurrentIndex(position >= 0 && position < int64_t{mMaxShots} ? static_cast<int>(position) : -1);
  }
  controls::connectInterfaceActions(view());
}

bool PropertyComboBoxViewController::performAction(const platform::Action& action) {
  if (action.name == "setAction:") {
    setAction();
    return true;
  }
  return ViewController::performAction(action);
}

void PropertyComboBoxViewController::setAction() {
  if (!oComboBox || oComboBox->currentIndex() < 0 || mPropertyCode == 0) return;
  const uint32_t code = mPropertyCode;
  const uint32_t value = static_cast<uint32_t>(oComboBox->currentIndex()) + 1;
  const std::string name = mTitle;
  QPointer<platform::Popover> popover = mParentPopover;
  controls::runPropertyCommand(
      name, [code, value] { return int32_t{propSet(code, value, true)}; },
      [name, popover](uint16_t result) {
        if (!controls::propertySetSucceeded(result)) {
          controls::showPropertySetError(name, result);
          return;
        }
        if (popover) popover->close();
      });
}
