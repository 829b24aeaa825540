#include "controls/pickers/property_values_view_controller.h"

#include <QLabel>
#include <algorithm>

#include "controls/interface_actions.h"
#include "controls/pickers/grid_layout.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/localized_strings.h"
#include "platform/graphics/font.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/popover.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view_geometry.h"
#include "ui_PropertyValuesView.h"
#include "widgets/it_switch.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("PropertyValuesView", Ui::PropertyValuesView);

using platform::Color;
using platform::Rect;
using platform::Size;

namespace {

// The value Nikon's "Auto" entry carries: it stands for the automatic-ISO switch, not for an ISO value.
constexpr uint32_t kNikonAutoIsoEntry = 0xFFFF;

// One grid entry: its value and, in list mode, its face.
struct Entry {
  int64_t tag = 0;
  controls::Visual face;
};

// The icon kit's face of a value for a grid button: a square of 0.9 x the button's smaller side.
controls::Visual recordFace(const PropertyStruct* record, uint32_t value, Size button, bool highlighted) {
  const double side = 0.9 * std::min(button.width, button.height);
  return controls::visualOf(
      VorlaxentStyleKit::visualForProperty(record, value, Size{side, side}, highlighted, false));
}

QString textOf(const controls::Visual& face) {
  const QString* text = std::get_if<QString>(&face);
  return text ? *text : QString();
}

}  // namespace

PropertyValuesViewController::PropertyValuesViewController(const QString& nibName) : ViewController(nibName) {}

PropertyValuesViewController::~PropertyValuesViewController() = default;

std::unique_ptr<PropertyValuesViewController> PropertyValuesViewController::initWithProperty(
    uint32_t code, platform::Popover* parentPopover) {
  std::unique_ptr<PropertyValuesViewController> picker(new PropertyValuesViewController("PropertyValuesView"));
  picker->mPropertyCode = code;
  picker->mPopover = parentPopover;
  picker->mSelectedIndex = -1;
  return picker;
}

std::unique_ptr<PropertyValuesViewController> PropertyValuesViewController::initWithStringArray(
    std::vector<controls::Visual> faces, std::vector<int64_t> values, const std::string& title, int selectedIndex,
    platform::Popover* parentPopover) {
  std::unique_ptr<PropertyValuesViewController> picker(new PropertyValuesViewController("PropertyValuesView"));
  picker->mStringValues = std::move(faces);
  picker->mValues = std::move(values);
  picker->mPropertyName = QString::fromStdString(title);
  picker->mSelectedIndex = selectedIndex;
  picker->mPopover = parentPopover;
  return picker;
}

void PropertyValuesViewController::viewDidLoad() {
  oTitleLabel = outlet<QLabel>("oTitleLabel");
  oButtonsView = outlet<QWidget>("oButtonsView");
  oScrollView = outlet<platform::ScrollView>("oScrollView");
  oCloseButton = outlet<SYFlatButton>("oCloseButton");
  if (oScrollView && oButtonsView) {
    oScrollView->setDocumentView(oButtonsView);
    oScrollView->setHasVerticalScroller(true);
    oScrollView->setAutohidesScrollers(true);
  }
  if (oCloseButton) oCloseButton->setImage(VorlaxentStyleKit::imageOfXMarkWithSize(Size{35, 35}));
  if (oTitleLabel && !mPropertyName.isEmpty()) oTitleLabel->setText(mPropertyName);
  controls::connectInterfaceActions(view());
}

bool PropertyValuesViewController::performAction(const platform::Action& action) {
  if (action.name == "dismiss:") {
    dismiss();
    return true;
  }
  return ViewController::performAction(action);
}

SYFlatButton* PropertyValuesViewController::makeGridButton(QWidget* parent, const Rect& frame) {
  auto* button = new SYFlatButton(parent);
  platform::setFrame(button, frame);
  button->setBackgroundNormalColor(Color::white(0.5));
  button->setBackgroundHighlightColor(Color::white(0.8));
  button->setCornerRadius(4);
  button->setOnAnimateDuration(0.25);
  button->setOffAnimateDuration(0.25);
  button->setMomentary(true);
  button->setImagePosition(NSImageOverlaps);  // a face is an image or a title, never both
  button->setImageNormalColor(Color::whiteColor());
  button->setImageHighlightColor(Color::blackColor());
  button->setTitleNormalColor(Color::whiteColor());
  button->setTitleHighlightColor(Color::blackColor());
  button->show();
  return button;
}

bool PropertyValuesViewController::currentValue(uint32_t code, uint32_t* value) {
  PropertyStruct* record = propFind(code, true);
  if (!record) return false;
  *value = record->value;
  propUnlock(record);
  return true;
}

void PropertyValuesViewController::scrollTo(platform::ScrollView* scrollView, const Rect* selectedFrame) {
  if (!scrollView) return;
  platform::Point point{0, 0};
  if (selectedFrame) point = {selectedFrame->x(), selectedFrame->y() - scrollView->height() / 2.0};
  scrollView->contentView()->scrollToPoint(point);
}

void PropertyValuesViewController::clearButtons() {
  for (SYFlatButton* button : mButtonArray) delete button;
  mButtonArray.clear();
}

void PropertyValuesViewController::loadButtonsWithAspectRatio(double ratio) {
  if (mPropertyCode == 0) {
    loadButtons(ratio, mSelectedIndex, nullptr);
    return;
  }
  // The values are copied under the record's lock: the camera may change the record meanwhile.
  PropertyCopy copy = propCopyValues(mPropertyCode);
  loadButtons(ratio, copy ? copy->value : 0, copy.get());
}

void PropertyValuesViewController::loadButtonsWithAspectRatio(double ratio, int64_t selectedValue) {
  PropertyCopy copy = mPropertyCode ? propCopyValues(mPropertyCode) : nullptr;
  loadButtons(ratio, selectedValue, copy.get());
}

void PropertyValuesViewController::loadButtons(double ratio, int64_t selectedValue, const PropertyStruct* copy) {
  view();
  clearButtons();
  if (!oButtonsView) return;
  const bool recordMode = mPropertyCode != 0;
  if (recordMode && copy && copy->name) mPropertyName = QString::fromUtf8(copy->name);
  if (oTitleLabel) oTitleLabel->setText(mPropertyName);

  std::vector<Entry> entries;
  if (recordMode) {
    if (!copy) return;
    for (uint16_t i = 0; i < copy->valueCount && copy->values; ++i) entries.push_back({copy->values[i].value, {}});
    // Nikon bodies with an automatic-ISO switch get one more entry that turns it on.
    if (camIsNikon() && mPropertyCode == camVendorPropertyCodes().iso && nikonPropertyVisible())
      entries.push_back({kNikonAutoIsoEntry, QStringLiteral("Auto")});
  } else {
    for (const controls::Visual& face : mStringValues) {
      const size_t i = entries.size();
      entries.push_back({i < mValues.size() ? mValues[i] : 0, face});
    }
  }
  if (entries.empty()) return;

  const double buttonWidth = controls::kGridButtonHeight * ratio;
  const double width = oButtonsView->width();
  double height = oButtonsView->height();
  const controls::GridLayout grid = controls::gridLayout(entries.size(), width, buttonWidth, height, &height);
  if (height != oButtonsView->height()) platform::setFrame(oButtonsView, Rect{0, 0, width, height});

  std::optional<Rect> selectedFrame;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& entry = entries[i];
    SYFlatButton* button = makeGridButton(oButtonsView, grid.frames[i]);
    const bool current = recordMode && static_cast<uint32_t>(entry.tag) == static_cast<uint32_t>(selectedValue);
    controls::applyFace(button, recordMode ? recordFace(copy, static_cast<uint32_t>(entry.tag),
                                                        grid.frames[i].size, current)
                                           : entry.face);
    const bool selected = current || (!recordMode && static_cast<int64_t>(i) == selectedValue);
    button->setState(selected ? 1 : 0);
    if (selected && !selectedFrame) selectedFrame = grid.frames[i];
    button->setTag(entry.tag);
    button->setAction([this](SYFlatButton* sender) { buttonPushed(sender); });
    mButtonArray.push_back(button);
  }
  scrollTo(oScrollView, selectedFrame ? &*selectedFrame : nullptr);
}

void PropertyValuesViewController::loadToggleSwitchWithProperty(uint32_t toggleCode) {
  uint32_t value = 0;
  if (toggleCode == 0 || !currentValue(toggleCode, &value)) return;
  QWidget* root = view();
  mTogglePropertyCode = toggleCode;
  if (PropertyCopy own = propCopyValues(mPropertyCode); own && own->name) mPropertyName = QString::fromUtf8(own->name);
  if (oTitleLabel) oTitleLabel->setText(mPropertyName);

  const double width = root->width();
  mToggleLabel = new QLabel(root);
  platform::setFrame(mToggleLabel, Rect{0, 46, width, 30});
  mToggleLabel->setFont(platform::Font::named("AvenirNext-Regular", 18).qfont());
  mToggleLabel->setAlignment(Qt::AlignCenter);
  mToggleLabel->setTextInteractionFlags(Qt::NoTextInteraction);
  mToggleLabel->setAttribute(Qt::WA_TranslucentBackground);
  QPalette palette = mToggleLabel->palette();
  palette.setColor(QPalette::WindowText, Color::white(0.8).toQColor());
  mToggleLabel->setPalette(palette);
  mToggleLabel->setText(QString::fromStdString(platform::localizedString(value != 0 ? "ON" : "OFF")));
  mToggleLabel->show();

  mToggleSwitch = new ITSwitch(root);
  platform::setFrame(mToggleSwitch, Rect{(width - 48.54) / 2, 84, 48.54, 30});
  mToggleSwitch->setChecked(value != 0);
  mToggleSwitch->setAction([this](ITSwitch* sender) { buttonToggled(sender); });
  mToggleSwitch->show();
}

void PropertyValuesViewController::buttonToggled(ITSwitch* toggle) {
  if (!delegate_ || mTogglePropertyCode == 0 || !toggle) return;
  const bool on = toggle->checked();
  if (mToggleLabel) mToggleLabel->setText(QString::fromStdString(platform::localizedString(on ? "ON" : "OFF")));
  delegate_->buttonToggled(mTogglePropertyCode, on ? 1 : 0);
}

void PropertyValuesViewController::valueUpdated() {
  if (mTogglePropertyCode != 0) {
    uint32_t value = 0;
    if (!currentValue(mTogglePropertyCode, &value)) return;
    if (mToggleLabel)
      mToggleLabel->setText(QString::fromStdString(platform::localizedString(value != 0 ? "ON" : "OFF")));
    if (mToggleSwitch) mToggleSwitch->setChecked((value & 0xFF) != 0);
    return;
  }
  if (mPropertyCode == 0) return;
  PropertyCopy copy = propCopyValues(mPropertyCode);
  if (!copy) return;
  for (SYFlatButton* button : mButtonArray) {
    const bool current = static_cast<uint32_t>(button->tag()) == copy->value;
    const Size size = platform::boundsOf(button).size;
    controls::applyFace(button, recordFace(copy.get(), static_cast<uint32_t>(button->tag()), size, current));
    button->setState(current ? 1 : 0);
  }
}

void PropertyValuesViewController::buttonPushed(SYFlatButton* button) {
  if (delegate_ && button) delegate_->buttonSelected(button->tag(), this);
}

void PropertyValuesViewController::dismiss() {
  if (mPopover) mPopover->close();
}

void PropertyValuesViewController::buttonSelected(int64_t tag) {
  for (SYFlatButton* button : mButtonArray) button->setState(button->tag() == tag ? 1 : 0);
}

QString PropertyValuesViewController::stringAtIndex(int index) {
  if (mPropertyCode == 0) {
    if (index < 0 || static_cast<size_t>(index) >= mStringValues.size()) return QString();
    return textOf(mStringValues[static_cast<size_t>(index)]);
  }
  QString title;
  for (size_t i = 0; i < mButtonArray.size(); ++i) {
    const bool at = static_cast<int>(i) == index;
    mButtonArray[i]->setState(at ? 1 : 0);
    if (at) title = mButtonArray[i]->title();
  }
  return title;
}

int64_t PropertyValuesViewController::buttonIndexForTag(int64_t tag) const {
  for (size_t i = 0; i < mButtonArray.size(); ++i)
    if (mButtonArray[i]->tag() == tag) return static_cast<int64_t>(i);
  return 0;
}

QString PropertyValuesViewController::stringFromTag(int64_t tag) const {
  for (SYFlatButton* button : mButtonArray)
    if (button->tag() == tag) return button->title();
  return QString();
}
