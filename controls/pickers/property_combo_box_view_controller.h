#pragma once
// The burst-count picker: a combo box of the numbers 1 to N under the property's name; choosing one sets the
// property to it on the camera and, once the camera took it, closes the popover. Loaded from
// "PropertyComboBoxView". Main thread only.
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/ui/popover.h"
#include "platform/ui/view_controller.h"

class PropertyObject;
class QComboBox;
class QLabel;

namespace platform {
class Popover;
}

class PropertyComboBoxViewController : public platform::ViewController {
  Q_OBJECT

 public:
  // From a snapshot: its code, its allowed-value count as the number of entries, its current value and its
  // display name. Without a snapshot the code and the count stay 0.
  static std::unique_ptr<PropertyComboBoxViewController> initWithProperty(const PropertyObject* snapshot,
                                                                          platform::Popover* parentPopover);
  // The same with the number of entries given (the burst limit, which is not the record's own count).
  static std::unique_ptr<PropertyComboBoxViewController> initWithProperty(const PropertyObject* snapshot,
                                                                          uint32_t entries,
                                                                          platform::Popover* parentPopover);

  // The combo box's action: sets the chosen number.
  void setAction();

  uint32_t propertyCode() const { return mPropertyCode; }
  uint32_t maxShots() const { return mMaxShots; }

  QComboBox* oComboBox = nullptr;
  QLabel* oTitleTextField = nullptr;

 protected:
  PropertyComboBoxViewController();
  void viewDidLoad() override;
  bool performAction(const platform::Action& action) override;

 private:
  uint32_t mPropertyCode = 0;
  uint32_t mMaxShots = 0;
  std::string mTitle;
  QPointer<platform::Popover> mParentPopover;
  uint32_t mCurrentValue = 0;
};
