#pragma once
// The grid picker: a scrolling grid of flat buttons, one per allowed value of a camera property (record mode) or
// one per entry of a caller's list (list mode), under a title with a close button; for Nikon's automatic-ISO
// button an ON/OFF switch instead. The choice goes to the delegate; the picker changes nothing on the camera.
//
// The picker keeps the property's code, never the engine's record: the record is read under its lock (a copy
// of its values, or a snapshot) each time the grid is built or refreshed, so a store that is cleared and filled
// again under it costs nothing worse than a refresh. Loaded from "PropertyValuesView". Main thread only.
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/visual.h"
#include "platform/ui/popover.h"
#include "platform/ui/view_controller.h"

class ITSwitch;
class QLabel;
class SYFlatButton;
struct PropertyStruct;

namespace platform {
class Popover;
class ScrollView;
}  // namespace platform

class PropertyValuesViewController;

// How a picker reports to its owner (both optional).
class PropertyValuesViewDelegate {
 public:
  virtual ~PropertyValuesViewDelegate() = default;
  // A grid button was pressed: its value (the allowed value, or the number of the caller's list).
  virtual void buttonSelected(int64_t value, PropertyValuesViewController* picker) {
    (void)value;
    (void)picker;
  }
  // The ON/OFF switch was flipped: the switch's property and 1 or 0.
  virtual void buttonToggled(uint32_t code, int64_t value) {
    (void)code;
    (void)value;
  }
};

class PropertyValuesViewController : public platform::ViewController {
  Q_OBJECT

 public:
  // Record mode: the allowed values of the property `code`; nothing selected by index.
  static std::unique_ptr<PropertyValuesViewController> initWithProperty(uint32_t code,
                                                                        platform::Popover* parentPopover);
  // List mode: one button per face, tagged with the number at the same position of `values` (0 past its end).
  static std::unique_ptr<PropertyValuesViewController> initWithStringArray(std::vector<controls::Visual> faces,
                                                                           std::vector<int64_t> values,
                                                                           const std::string& title,
                                                                           int selectedIndex,
                                                                           platform::Popover* parentPopover);
  ~PropertyValuesViewController() override;

  // Builds the grid with buttons `ratio` x 35 points wide (record mode: the record's current value is selected).
  virtual void loadButtonsWithAspectRatio(double ratio);
  // The same with the value to select (record mode) or the position to select (list mode).
  void loadButtonsWithAspectRatio(double ratio, int64_t selectedValue);
  // The ON/OFF form for the property `toggleCode` instead of a grid; nothing without a record of it.
  void loadToggleSwitchWithProperty(uint32_t toggleCode);
  // Faces and selection again from the record (the form: label and switch from the toggle's record).
  virtual void valueUpdated();

  // Actions.
  virtual void buttonPushed(SYFlatButton* button);
  void buttonToggled(ITSwitch* toggle);
  void dismiss();

  // Marks the buttons with the tag selected and every other one not.
  void buttonSelected(int64_t tag);
  // Record mode: selects the button at `index` and returns its title; list mode: the list's text there. "" outside.
  QString stringAtIndex(int index);
  // The position of the first button with the tag; 0 when none has it.
  int64_t buttonIndexForTag(int64_t tag) const;
  // The title of the first button with the tag; "" when none has it.
  QString stringFromTag(int64_t tag) const;

  PropertyValuesViewDelegate* delegate() const { return delegate_; }
  void setDelegate(PropertyValuesViewDelegate* delegate) { delegate_ = delegate; }

  // For the owner and tests.
  uint32_t propertyCode() const { return mPropertyCode; }
  uint32_t togglePropertyCode() const { return mTogglePropertyCode; }
  const std::vector<SYFlatButton*>& buttons() const { return mButtonArray; }
  const QString& propertyName() const { return mPropertyName; }
  ITSwitch* toggleSwitch() const { return mToggleSwitch; }
  QLabel* toggleLabel() const { return mToggleLabel; }

  // Outlets.
  QLabel* oTitleLabel = nullptr;
  QWidget* oButtonsView = nullptr;
  platform::ScrollView* oScrollView = nullptr;
  SYFlatButton* oCloseButton = nullptr;

 protected:
  explicit PropertyValuesViewController(const QString& nibName);
  void viewDidLoad() override;
  bool performAction(const platform::Action& action) override;

  // A grid button with the grid's colours, corner and animation.
  static SYFlatButton* makeGridButton(QWidget* parent, const platform::Rect& frame);
  // The record's current value and whether it could be read (under the record's lock).
  static bool currentValue(uint32_t code, uint32_t* value);
  // Scrolls the grid so that a button's frame shows (its y half a scroll view lower), or to (0, 0) without one.
  static void scrollTo(platform::ScrollView* scrollView, const platform::Rect* selectedFrame);

  QPointer<platform::Popover> mPopover;
  uint32_t mPropertyCode = 0;  // 0: list mode
  QString mPropertyName;
  std::vector<SYFlatButton*> mButtonArray;

 private:
  // Builds the grid from a copy of the record (record mode) or the list.
  void loadButtons(double ratio, int64_t selectedValue, const PropertyStruct* copy);
  void clearButtons();

  uint32_t mTogglePropertyCode = 0;
  QLabel* mToggleLabel = nullptr;
  ITSwitch* mToggleSwitch = nullptr;
  std::vector<controls::Visual> mStringValues;
  std::vector<int64_t> mValues;
  int mSelectedIndex = -1;
  PropertyValuesViewDelegate* delegate_ = nullptr;
};
