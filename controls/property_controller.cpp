#include "controls/property_controller.h"

#include <algorithm>
#include <functional>

#include "controls/pickers/image_format_values_view_controller.h"
#include "controls/pickers/property_combo_box_view_controller.h"
#include "controls/pickers/up_down_view_controller.h"
#include "controls/property_set_texts.h"
#include "controls/visual.h"
#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/fujifilm/fuji_image_format.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "engine/vendors/sony/sony_image_format.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/font.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_controller.h"
#include "platform/ui/view_geometry.h"
#include "session/property_object.h"
#include "session/utilities.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"

using platform::Color;
using platform::Notification;
using platform::Rect;
using platform::Size;

namespace {

constexpr uint32_t kNikonAutoIsoEntry = 0xFFFF;
constexpr const char* kNagSetting = "NagSonyFujiRaw";

// Runs `f` with the controller on the main thread: at once when called there, else queued on the main queue;
// never when the controller is gone by then.
void onMainQueue(std::weak_ptr<PropertyController> weak, std::function<void(PropertyController&)> f) {
  if (platform::isMainThread()) {
    if (auto self = weak.lock()) f(*self);
    return;
  }
  platform::mainQueue().async([weak = std::move(weak), f = std::move(f)] {
    if (auto self = weak.lock()) f(*self);
  });
}

std::string propertyChangedName(uint32_t code) { return "JW_" + std::to_string(code); }

// The engine's automatic-ISO record on a Nikon body: its code and value, read under its lock.
bool nikonAutoIsoRecord(uint32_t* code, uint32_t* value) {
  PropertyStruct* record = nikonPropertyEnabled();
  if (!record) return false;
  propLock(record);
  *code = record->code.load();
  *value = record->value;
  propUnlock(record);
  return *code != 0;
}

// Width of a grid button per 35 points of height, by the property it shows.
double aspectRatioFor(uint32_t code) {
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  if (code == 0x5003 || code == roles.iso || code == roles.shutterSpeed ||
      (camIsNikon() && code >= 0xD1A8 && code <= 0xD1AA))
    return 2.2;
  if (code == roles.imageFormat || code == roles.exposureMode) return 3.5;
  return 1.5;
}

void showRawOnlyWarning() {
  auto alert = JW_Alert::jwAlertWithStyle(1);
  alert->setTitleText(QStringLiteral("Image Format Warning"));
  alert->setInformationText(QStringLiteral(
      "For Sony and Fuji cameras it is strongly recommended to shoot RAW+JPG and not RAW only. Previewing images "
      "will be much faster."));
  alert->setOkButtonText(QStringLiteral("Dismiss"), nullptr);
  alert->setCancelButtonText(QString::fromStdString(platform::localizedString("Don't remind me")), [](QObject*) {
    platform::UserDefaults::standardUserDefaults().setBool(false, kNagSetting);
  });
  alert->show();
}

}  // namespace

PropertyController::PropertyController(uint32_t code) : mPropertyCode(code) {}

PropertyController::~PropertyController() {
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  // The popover lets go of the picker's view before either goes.
  if (mPopover) {
    mPopover->setDelegate(nullptr);
    mPopover->setContentViewController(nullptr);
  }
}

std::shared_ptr<PropertyController> PropertyController::initWithPropertyCode(
    uint32_t code, SYFlatButton* withButton, platform::ViewController* withPropertiesParentController) {
  if (!propExists(code)) return nullptr;
  std::shared_ptr<PropertyController> controller(new PropertyController(code));
  controller->mPropertiesParentViewController = withPropertiesParentController;
  controller->mDisplayingOlcInfo = false;
  controller->mPreviousImageCheckDate.reset();
  controller->mPropertyName = propNameEntry(code);
  if (withButton) controller->setButton(withButton);
  controller->observe();
  return controller;
}

std::weak_ptr<PropertyController> PropertyController::weakSelf() {
  return std::static_pointer_cast<PropertyController>(shared_from_this());
}

void PropertyController::observe() {
  platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
  const std::weak_ptr<PropertyController> weak = weakSelf();
  // The handlers run on the posting thread (the engine's event thread): they only hop, holding the controller
  // weakly.
  const auto changed = [weak](const Notification& n) {
    onMainQueue(weak, [n](PropertyController& c) { c.propertyUpdatedNotification(n); });
  };
  const uint32_t code = mPropertyCode;
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  center.addObserver(this, changed, propertyChangedName(code));

  std::vector<uint32_t> alsoShown;
  if (camIsNikon() && code == 0x5004) alsoShown = {0x5003, 0xD0B6};
  else if (camIsSony() && code == roles.imageFormat) alsoShown = {0xD203, 0xD252};
  else if (camIsFuji() && code == roles.imageFormat) alsoShown = {0x5003, 0xD022};
  for (uint32_t other : alsoShown) center.addObserver(this, changed, propertyChangedName(other));

  if (camIsCanon()) {
    int item = 0;
    if (code == roles.shutterSpeed) item = 2;
    else if (code == roles.aperture) item = 4;
    else if (code == roles.iso) item = 8;
    if (item != 0) {
      center.addObserver(
          this,
          [weak](const Notification& n) { onMainQueue(weak, [n](PropertyController& c) { c.olcUpdated(n); }); },
          "JW_Olc_" + std::to_string(item));
    }
  }

  if (roles.exposureMode != 0 && code != roles.exposureMode) {
    center.addObserver(
        this,
        [weak](const Notification& n) {
          onMainQueue(weak, [n](PropertyController& c) { c.autoExposureModeChanged(n.object); });
        },
        propertyChangedName(roles.exposureMode));
  }
}

void PropertyController::setButton(SYFlatButton* button) {
  if (!platform::isMainThread()) {
    QPointer<SYFlatButton> later(button);
    onMainQueue(weakSelf(), [later, wanted = button != nullptr](PropertyController& c) {
      if (wanted && !later) return;  // the button went meanwhile
      c.setButton(later);
    });
    return;
  }
  if (button) button->setAction(nullptr);
  if (mButton) mButton->setAction(nullptr);
  mButton = button;
  if (!mButton) return;
  const std::weak_ptr<PropertyController> weak = weakSelf();
  mButton->setAction([weak](SYFlatButton* sender) {
    if (auto self = weak.lock()) self->pressedButton(sender);
  });
  update();
}

void PropertyController::update() {
  if (mPropertyValuesViewController && mPropertyValuesViewController->isViewLoaded() &&
      mPropertyValuesViewController->view()->window()->isVisible())
    mPropertyValuesViewController->valueUpdated();
  if (mDisplayingOlcInfo || !mButton || mPropertyCode == 0x5003) return;

  const PropertyCopy record = propCopyValues(mPropertyCode);
  if (!record) return;
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  uint32_t value = record->value;
  bool faceDisabled = record->enabled == 0;

  const Size bounds = platform::boundsOf(mButton).size;
  Size size{0.9 * bounds.width, 0.9 * bounds.height};
  if (mPropertyCode == 0xD22C || mPropertyCode == roles.whiteBalance || mPropertyCode == roles.driveMode ||
      mPropertyCode == roles.metering) {
    const double side = std::min(size.width, size.height);
    size = Size{side, side};
  }
  // A Canon exposure setting the camera offers no values for (the mode sets it) is drawn as its disabled 0.
  if (camIsCanon() && (mPropertyCode == 0xD101 || mPropertyCode == 0xD102) && record->valueCount == 0) {
    value = 0;
    faceDisabled = true;
  }
  if (camIsFuji() && mPropertyCode == 0xD018) {
    uint32_t combined = 0;
    if (fujiImageFormatValue(&combined) == PTP_RC_OK) value = combined;
  }

  const icons::PropertyVisual visual =
      VorlaxentStyleKit::visualForProperty(record.get(), value, size, false, faceDisabled);
  if (visual.isImage()) {
    mButton->setTitle(QString());
    mButton->setImage(visual.image);
  } else {
    mButton->setImage(platform::Image());
    mButton->setFont(platform::Font::named("AvenirNext-Regular", mButton->font().pointSize()));
    mButton->setTitle(visual.text);
  }

  bool enabled = record->enabled != 0;
  if (mPropertyCode == 0xD0B5) enabled = true;
  if (mPropertyCode == 0xD108) enabled = false;
  mButton->setEnabled(enabled);
  mButton->setTitleNormalColor(enabled ? Color::whiteColor() : Color::white(0.7));
  mButton->setBackgroundNormalColor(enabled ? Color::white(0.38) : Color::white(0.28));

  if (mPropertyCode == roles.imageFormat) checkImageFormat();
}

void PropertyController::pressedButton(SYFlatButton*) { showPossibleValues(); }

void PropertyController::showPossibleValues() {
  if (!platform::isMainThread()) {
    onMainQueue(weakSelf(), [](PropertyController& c) { c.showPossibleValues(); });
    return;
  }
  // Pressed again while the picker is open: it closes, nothing opens.
  if (mPopover) {
    mPopover->close();
    return;
  }
  if (!mButton) return;
  const PropertyCopy record = propCopyValues(mPropertyCode);
  if (!record) return;

  mPopover = std::make_unique<platform::Popover>();
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  // A range the camera does not list (any value between its bounds) is stepped rather than listed.
  const bool range = record->form == kPropFormRange && record->valueCount == 0;
  platform::ViewController* picker = nullptr;
  if (range || (mPropertyCode == 0x5010 && camModelIndex() != 183)) {
    mUpDownViewController = UpDownViewController::initWithPropertyCode(mPropertyCode);
    picker = mUpDownViewController.get();
  } else if (mPropertyCode == roles.imageFormat) {
    // That picker sets the format itself: the controller is not its delegate.
    mPropertyValuesViewController = ImageFormatValuesViewController::initWithProperty(mPropertyCode, mPopover.get());
    picker = mPropertyValuesViewController.get();
  } else {
    mPropertyValuesViewController = PropertyValuesViewController::initWithProperty(mPropertyCode, mPopover.get());
    mPropertyValuesViewController->setDelegate(this);
    picker = mPropertyValuesViewController.get();
  }
  // Filled before it shows, so that the popover opens on the finished grid.
  checkPropertyLoad();
  present(picker);
}

Rect PropertyController::buttonRectInParent(QWidget** inView) const {
  QWidget* parentView =
      mPropertiesParentViewController && mPropertiesParentViewController->isViewLoaded()
          ? mPropertiesParentViewController->view()
          : nullptr;
  if (parentView && parentView->isAncestorOf(mButton)) {
    *inView = parentView;
    const platform::Point origin = platform::convertPoint({0, 0}, mButton, parentView);
    return Rect{origin, platform::boundsOf(mButton).size};
  }
  *inView = mButton;
  return platform::boundsOf(mButton);
}

void PropertyController::present(platform::ViewController* picker) {
  if (!mPopover || !picker || !mButton) return;
  mPopover->setContentViewController(picker);
  mPopover->setContentSize(platform::boundsOf(picker->view()).size);
  mPopover->setAnimates(true);
  mPopover->setBehavior(platform::PopoverBehavior::SemiTransient);
  mPopover->setDelegate(this);
  QWidget* anchorView = nullptr;
  const Rect anchor = buttonRectInParent(&anchorView);
  mPopover->showRelativeToRect(anchor, anchorView, platform::RectEdge::MinY);
}

void PropertyController::checkPropertyLoad() {
  PropertyValuesViewController* picker = mPropertyValuesViewController.get();
  if (!picker) return;
  if (camIsNikon() && mPropertyCode == 0xD0B5 && camIsAutoIso()) {
    uint32_t autoIsoCode = 0, value = 0;
    if (nikonAutoIsoRecord(&autoIsoCode, &value) && value != 0) picker->loadToggleSwitchWithProperty(autoIsoCode);
    return;
  }
  picker->loadButtonsWithAspectRatio(aspectRatioFor(mPropertyCode));
}

void PropertyController::buttonSelected(int64_t value, PropertyValuesViewController*) {
  if (mPopover) mPopover->close();
  if (camIsNikon() && mPropertyCode == camVendorPropertyCodes().iso && value == kNikonAutoIsoEntry) {
    uint32_t autoIsoCode = 0, current = 0;
    if (!nikonAutoIsoRecord(&autoIsoCode, &current)) {
      Utilities::showErrorMessage(controls::propertySetErrorText("Auto ISO"));
      return;
    }
    updateProperty(autoIsoCode, 1);
    return;
  }
  updateProperty(mPropertyCode, static_cast<uint32_t>(value));
}

void PropertyController::buttonToggled(uint32_t code, int64_t value) {
  updateProperty(code, static_cast<uint32_t>(value));
  if (mPopover) mPopover->close();
}

void PropertyController::updateProperty(uint32_t code, uint32_t value) {
  const std::string name = controls::propertyDisplayName(code);
  const std::weak_ptr<PropertyController> weak = weakSelf();
  controls::runPropertyCommand(
      name, [code, value] { return int32_t{propSet(code, value, true)}; },
      [weak, code, value, name](uint16_t result) {
        // A refusal is reported even when the button has gone meanwhile; the face follows the camera's event.
        if (!controls::propertySetSucceeded(result)) {
          controls::showPropertySetError(name, result);
          return;
        }
        auto self = weak.lock();
        if (!self) return;
        uint32_t wbCode = 0, wbValue = 0;
        if (camWhiteBalanceValue(&wbCode, &wbValue) && code == wbCode && value == wbValue) {
          self->cleanupPopover();
          self->showWhiteBalanceTemperature();
        } else if (camIsNikon() && (code == 0xD1A1 || code == 0x5013) && camStillCaptureMode(code, value)) {
          self->cleanupPopover();
          self->showNikonNumShots();
        }
      });
}

void PropertyController::popoverDidClose(platform::Popover*) { cleanupPopover(); }

void PropertyController::cleanupPopover() {
  if (mPropertyValuesViewController) mPropertyValuesViewController->setDelegate(nullptr);
  if (mPopover) {
    mPopover->setDelegate(nullptr);
    mPopover->setContentViewController(nullptr);
    // It may be telling us from inside its own close.
    mPopover.release()->deleteLater();
  }
  mPropertyValuesViewController.reset();
  mComboBoxViewController.reset();
}

void PropertyController::propertyUpdatedNotification(const Notification& notification) {
  if (!platform::isMainThread()) {
    onMainQueue(weakSelf(), [notification](PropertyController& c) { c.propertyUpdatedNotification(notification); });
    return;
  }
  mDisplayingOlcInfo = false;
  update();
}

void PropertyController::autoExposureModeChanged(const platform::Value&) { mDisplayingOlcInfo = false; }

void PropertyController::olcUpdated(const Notification& notification) {
  if (!platform::isMainThread()) {
    onMainQueue(weakSelf(), [notification](PropertyController& c) { c.olcUpdated(notification); });
    return;
  }
  const uint32_t value = static_cast<uint32_t>(notification.object.toInteger());
  if (camModelIndex() == 234 && mPropertyCode == 0xD102) {
    showOlcInfoAfterDelay(value);
    return;
  }
  const PropertyCopy record = propCopyValues(mPropertyCode);
  if (!record || record->enabled == 0) {
    showOlcInfo(value);
    return;
  }
  // While the camera sets ISO itself (Auto), the ISO button shows what it chose.
  if (mPropertyCode == 0xD103 && record->value == 0) showOlcInfoAfterDelay(value);
}

void PropertyController::showOlcInfoAfterDelay(uint32_t value) {
  const std::weak_ptr<PropertyController> weak = weakSelf();
  platform::currentTimeSource()->schedule(kOlcDelay, [weak, value] {
    if (auto self = weak.lock()) self->showOlcInfo(value);
  });
}

void PropertyController::showOlcInfo(uint32_t value) {
  if (!platform::isMainThread()) {
    onMainQueue(weakSelf(), [value](PropertyController& c) { c.showOlcInfo(value); });
    return;
  }
  if (value == 0 || value == 0xFFFF || !mButton) return;
  const PropertyCopy record = propCopyValues(mPropertyCode);
  if (!record) return;
  const icons::PropertyVisual visual = VorlaxentStyleKit::visualForProperty(
      record.get(), value, platform::boundsOf(mButton).size, false, record->enabled == 0);
  mButton->setFont(platform::Font::named("AvenirNext-Italic", mButton->font().pointSize()));
  controls::applyFace(mButton, controls::visualOf(visual));
  mDisplayingOlcInfo = true;
}

void PropertyController::removeOlcInfo() {
  mDisplayingOlcInfo = false;
  update();
}

void PropertyController::checkImageFormat() {
  if (!(camIsFuji() || (camIsSony() && sonyImageFormatCheck()))) return;
  if (!platform::UserDefaults::standardUserDefaults().boolForKey(kNagSetting)) return;
  if (!camFormatIsRawOnly()) return;
  const double now = platform::currentTimeSource()->now();
  const bool due = !mPreviousImageCheckDate || now - *mPreviousImageCheckDate > kRawWarningInterval;
  mPreviousImageCheckDate = now;
  if (due) platform::mainQueue().async(showRawOnlyWarning);
}

void PropertyController::showWhiteBalanceTemperature() {
  // The colour temperature is read again so that the panel has it; nothing is shown.
  const std::shared_ptr<PropertyObject> snapshot =
      PropertyObject::initWithPropertyCode(camVendorPropertyCodes().colourTemperature);
  (void)snapshot;
}

void PropertyController::showNikonNumShots() {
  const std::shared_ptr<PropertyObject> snapshot = PropertyObject::initWithPropertyCode(0x5018);
  if (!snapshot || !snapshot->getProperty()) return;
  const uint8_t count = nikonNumShots();
  if (count == 0) Utilities::showErrorMessage("Camera cannot take any continuous shots");
  if (!mButton) return;
  cleanupPopover();
  mPopover = std::make_unique<platform::Popover>();
  mComboBoxViewController = PropertyComboBoxViewController::initWithProperty(snapshot.get(), count, mPopover.get());
  present(mComboBoxViewController.get());
}

std::string PropertyController::propertyName() const {
  const PropertyCopy record = propCopyValues(mPropertyCode);
  return record && record->name ? record->name : "";
}

std::string PropertyController::propertyValue() const {
  const PropertyCopy record = propCopyValues(mPropertyCode);
  return record ? record->valueText : "";
}
