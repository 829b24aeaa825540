#include "controls/automation/hdr_view_controller.h"

#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

#include "controls/automation/hdr_panel_support.h"
#include "controls/automation/hdr_settings.h"
#include "controls/interface_actions.h"
#include "engine/automation/automation_checks.h"
#include "engine/automation/automation_request.h"
#include "engine/link/device_commands.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/response_code.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/foundation/wait_clock.h"
#include "platform/graphics/font.h"
#include "platform/ui/alert.h"
#include "platform/ui/image_view.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "ui_HdrWindow.h"
#include "widgets/color_view.h"
#include "widgets/jw_alert.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("HdrWindow", Ui::HdrWindow);

using automation_panels::observeOnMainQueue;
using automation_panels::onMainQueue;
using platform::Rect;
using platform::Size;

namespace {

constexpr const char* kHdrValues = "HdrValues";
constexpr const char* kStartPointSetting = "HdrStartPoint";
constexpr const char* kPropertyCodeKey = "PropertyCode";
constexpr const char* kStepSizeKey = "StepSize";
constexpr const char* kNumberShotsKey = "NumberShots";
constexpr const char* kPropertyValueKey = "PropertyValue";

// The feedback's fields: total shots and shots taken, unsigned 16-bit little-endian.
constexpr size_t kFeedbackTotalAt = 12;
constexpr size_t kFeedbackTakenAt = 19;
constexpr size_t kFeedbackMinimum = 22;
// The progress bar's steps for the fraction 0..1.
constexpr int kProgressSteps = 1000;
// Bulb brackets start around a midpoint of one second.
constexpr int64_t kDefaultBulbMidpointMs = 1000;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

std::string changedName(uint32_t code) { return "JW_" + std::to_string(code); }

uint32_t savedValue(const char* key) {
  const platform::Value saved = defaults().objectForKey(kHdrValues);
  if (saved.isNull()) return 0;
  const platform::ValueDictionary& dictionary = saved.toDictionary();
  const auto it = dictionary.find(key);
  return it == dictionary.end() ? 0 : static_cast<uint32_t>(it->second.toInteger());
}

unsigned startPointSetting() {
  const int64_t value = defaults().integerForKey(kStartPointSetting);
  return value == hdr::kHi || value == hdr::kLow ? static_cast<unsigned>(value) : hdr::kMid;
}

void setLabel(QLabel* label, const std::string& text) {
  if (label) label->setText(QString::fromStdString(text));
}

}  // namespace

void HdrViewController::Run::releaseLiveViewLock() {
  if (hasLiveViewLock.exchange(false)) Utilities::unlockLiveView();
}

HdrViewController::HdrViewController() : ViewController("HdrWindow") { setup(); }

HdrViewController::~HdrViewController() {
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  cleanupPopover();
  // Nobody is left to hear the end of a running bracket: live view gets its lock back now.
  mRun->panelGone = true;
  mRun->releaseLiveViewLock();
}

void HdrViewController::setup() {
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  // The exposure mode decides whether the panel can be used (and, on Canon, whether the camera is in bulb);
  // elsewhere the shutter speed says whether the camera is in bulb.
  if (roles.exposureMode != 0) {
    observeOnMainQueue<HdrViewController>(this, changedName(roles.exposureMode),
                                          [](HdrViewController& c, const platform::Notification&) {
                                            c.autoExposureModeChanged();
                                            if (camIsCanon()) c.checkBulbChanged();
                                          });
  }
  if (!camIsCanon() && roles.shutterSpeed != 0)
    observeOnMainQueue<HdrViewController>(
        this, changedName(roles.shutterSpeed),
        [](HdrViewController& c, const platform::Notification&) { c.checkBulbChanged(); });
  observeOnMainQueue<HdrViewController>(
      this, kHdrFeedbackNotification,
      [](HdrViewController& c, const platform::Notification& n) { c.hdrFeedbackNotificationRecieved(n); });
  observeOnMainQueue<HdrViewController>(
      this, kAutomateRemoveFeedbackNotification,
      [](HdrViewController& c, const platform::Notification&) { c.hdrCompleteNotification(); });
  observeOnMainQueue<HdrViewController>(
      this, kMovieModeToggledNotification,
      [](HdrViewController& c, const platform::Notification& n) { c.movieModeNotificationRecieved(n); });
}

void HdrViewController::setPopover(SFBPopover* popover) { mParentPopover = popover; }

// --- loading, appearing, disappearing ---

void HdrViewController::viewDidLoad() {
  oPropertyImageView = outlet<platform::ImageView>("oPropertyImageView");
  oNumShotsImageView = outlet<platform::ImageView>("oNumShotsImageView");
  oStartValueImageView = outlet<platform::ImageView>("oStartValueImageView");
  oStepSizeImageView = outlet<platform::ImageView>("oStepSizeImageView");
  oArrowsImageView = outlet<platform::ImageView>("oArrowsImageView");
  oPropertyLabel = outlet<QLabel>("oPropertyLabel");
  oPropertyValueLabel = outlet<QLabel>("oPropertyValueLabel");
  oStepSizeLabel = outlet<QLabel>("oStepSizeLabel");
  oNumShotsLabel = outlet<QLabel>("oNumShotsLabel");
  oStartValueLabel = outlet<QLabel>("oStartValueLabel");
  oEndValueLabel = outlet<QLabel>("oEndValueLabel");
  oHdrDirectionLabel = outlet<QLabel>("oHdrDirectionLabel");
  oPropertyButton = outlet<SYFlatButton>("oPropertyButton");
  oStartValueButton = outlet<SYFlatButton>("oStartValueButton");
  oStepSizeButton = outlet<SYFlatButton>("oStepSizeButton");
  oNumShotsButton = outlet<SYFlatButton>("oNumShotsButton");
  oCameraCopyButton = outlet<SYFlatButton>("oCameraCopyButton");
  oStartButton = outlet<SYFlatButton>("oStartButton");
  oCloseButton = outlet<SYFlatButton>("oCloseButton");
  oFeedbackView = outlet<QWidget>("oFeedbackView");
  oShotsRemainingLabel = outlet<QLabel>("oShotsRemainingLabel");
  oProgressView = outlet<QProgressBar>("oProgressView");
  controls::connectInterfaceActions(view());

  // The setting labels sit on their buttons: a press on the text is a press of the button.
  for (QLabel* label : {oPropertyLabel, oPropertyValueLabel, oStepSizeLabel, oNumShotsLabel})
    if (label) label->setAttribute(Qt::WA_TransparentForMouseEvents);

  using automation_panels::setIcon;
  setIcon(oPropertyImageView, &VorlaxentStyleKit::imageOfHDRPropertyWithSize);
  setIcon(oNumShotsImageView, &VorlaxentStyleKit::imageOfNumberWithSize);
  setIcon(oStartValueImageView, &VorlaxentStyleKit::imageOfStartMiddleWithSize);
  setIcon(oStepSizeImageView, &VorlaxentStyleKit::imageOfStairsWithSize);
  automation_panels::setCloseImage(oCloseButton);
  automation_panels::setCloseImage(outlet<SYFlatButton>("oFeedbackCloseButton"));
  if (oFeedbackView) oFeedbackView->hide();
  if (oProgressView) oProgressView->setRange(0, kProgressSteps);

  mIgnoreDriveMode = false;
  mEnabledMovieMode = true;
  mSelectedPropertyCode = camVendorPropertyCodes().shutterSpeed;
  setSelectedPropertyValue();
  mSelectedStepSize = 1;
  mSelectedNumShotsIndex = 0;
  setLabel(oStepSizeLabel, "1/3");
  setLabel(oNumShotsLabel, "1");
  setLabel(oPropertyLabel, "Shutter Speed");
  mStartPoint = startPointSetting();
  mEnabled = true;
  mCurrentStepsInStop = 0;

  autoExposureModeChanged();
  const platform::Value saved = defaults().objectForKey(kHdrValues);
  loadStateDictionary(saved.isNull() ? nullptr : &saved.toDictionary());
}

void HdrViewController::viewWillAppear() {
  mStartPoint = startPointSetting();
  setLabel(oHdrDirectionLabel, hdr::startPointText(mStartPoint));
  refreshNumShots();
  checkBulbChanged();
}

void HdrViewController::viewDidDisappear() {
  // The live-view lock of a running bracket stays held: the device still brackets, and the end it reports gives
  // the lock back whether the popover shows or not.
  if (!isViewLoaded() || !oPropertyValueLabel) {
    defaults().removeObjectForKey(kHdrValues);
    return;
  }
  defaults().setDictionary(saveStateToDictionary(), kHdrValues);
}

void HdrViewController::viewDidLayout() {
  if (mArrowsDrawn || !oArrowsImageView) return;
  mArrowsDrawn = true;
  oArrowsImageView->setImage(
      VorlaxentStyleKit::imageOfArrowsPointingOutWithSize(platform::boundsOf(oArrowsImageView).size));
}

bool HdrViewController::performAction(const platform::Action& action) {
  const std::string& name = action.name;
  if (name == "propertyButtonPressed:")
    propertyButtonPressed();
  else if (name == "propertyValueButtonPressed:")
    propertyValueButtonPressed();
  else if (name == "stepSizeButtonPressed:")
    stepSizeButtonPressed();
  else if (name == "numShotsButtonPressed:")
    numShotsButtonPressed();
  else if (name == "copyFromCamera:")
    copyFromCamera();
  else if (name == "startHdr:")
    startHdr();
  else if (name == "cancelHdr:")
    cancelHdr();
  else if (name == "dismiss:")
    dismiss();
  else
    return ViewController::performAction(action);
  return true;
}

void HdrViewController::dismiss() {
  if (mParentPopover) mParentPopover->closePopover();
}

// --- the saved bracket ---

uint32_t HdrViewController::propertyCode() { return savedValue(kPropertyCodeKey); }
uint32_t HdrViewController::stepSize() { return savedValue(kStepSizeKey); }
uint32_t HdrViewController::numberShots() { return savedValue(kNumberShotsKey); }
uint32_t HdrViewController::initialPropertyValue() { return savedValue(kPropertyValueKey); }

platform::ValueDictionary HdrViewController::saveStateToDictionary() const {
  return {{kPropertyCodeKey, platform::Value(int64_t{mSelectedPropertyCode})},
          {kStepSizeKey, platform::Value(int64_t{mSelectedStepSize})},
          {kNumberShotsKey, platform::Value(int64_t{hdr::shotCount(mSelectedNumShotsIndex, mStartPoint)})},
          {kPropertyValueKey, platform::Value(int64_t{static_cast<int32_t>(mSelectedPropertyValue)})}};
}

void HdrViewController::loadStateDictionary(const platform::ValueDictionary* dictionary) {
  if (!dictionary) return;
  const auto number = [dictionary](const char* key) -> int64_t {
    const auto it = dictionary->find(key);
    return it == dictionary->end() ? 0 : static_cast<int32_t>(it->second.toInteger());
  };
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  uint32_t code = static_cast<uint32_t>(number(kPropertyCodeKey));
  if (!propExists(code)) code = roles.shutterSpeed;
  const int64_t step = number(kStepSizeKey);
  const int64_t shots = std::max<int64_t>(1, number(kNumberShotsKey));
  const int64_t value = number(kPropertyValueKey);

  if (code == roles.aperture) {
    setLabel(oPropertyLabel, platform::localizedString("Aperture"));
  } else if (code == roles.iso) {
    setLabel(oPropertyLabel, "ISO");
  } else {
    code = roles.shutterSpeed;
    setLabel(oPropertyLabel, "Shutter Speed");
  }
  mSelectedPropertyCode = code;

  const std::optional<std::string> text =
      value != 0 ? propFormatValue(code, static_cast<uint32_t>(value)) : std::nullopt;
  if (text) {
    mSelectedPropertyValue = static_cast<uint32_t>(value);
    setLabel(oPropertyValueLabel, *text);
  } else {
    setSelectedPropertyValue();
  }

  // A step size the list does not have (a damaged setting) leaves the step as it was.
  const std::vector<std::string> steps = hdr::stepList(hdrStepSize(code));
  if (step >= 1 && step <= static_cast<int64_t>(steps.size())) {
    mSelectedStepSize = static_cast<unsigned>(step);
    setLabel(oStepSizeLabel, steps[static_cast<size_t>(step - 1)]);
  }

  mSelectedNumShotsIndex = hdr::shotIndex(shots, mStartPoint);
  setLabel(oNumShotsLabel, std::to_string(shots));
  refreshNumShots();
  checkBulbChanged();
}

// --- the settings ---

void HdrViewController::setSelectedPropertyValue() {
  if (mBulbMode) return;
  PropertyCopy record = propCopyValues(mSelectedPropertyCode);
  if (!record) return;
  mSelectedPropertyValue = record->value;
  setLabel(oPropertyValueLabel, record->valueText);
}

int HdrViewController::maxShots() const {
  if (mBulbMode)
    return hdrNumShots(static_cast<double>(mSelectedPropertyValue), static_cast<int>(startPointSetting()),
                       mSelectedStepSize / 3.0);
  if (mSelectedPropertyValue < 0) return 0;
  return hdrStepCount(mSelectedPropertyCode, static_cast<uint32_t>(mSelectedPropertyValue), mSelectedStepSize,
                      static_cast<int>(mStartPoint));
}

void HdrViewController::refreshNumShots() {
  const int max = maxShots();
  if (max > 0) mSelectedNumShotsIndex = std::min(mSelectedNumShotsIndex, hdr::largestShotIndex(max, mStartPoint));
  const unsigned shots = hdr::shotCount(mSelectedNumShotsIndex, mStartPoint);
  setLabel(oNumShotsLabel, std::to_string(shots));
  calculateEndPoints(shots);
}

void HdrViewController::calculateEndPoints(unsigned shots) {
  if (shots == 1) {
    setLabel(oStartValueLabel, "");
    setLabel(oEndValueLabel, "");
    return;
  }
  if (mBulbMode) {
    const std::vector<uint32_t> times = hdrEndPoints(
        static_cast<uint32_t>(std::max<int64_t>(0, mSelectedPropertyValue)), shots, mSelectedStepSize / 3.0);
    if (times.empty()) return;
    setLabel(oStartValueLabel, hdr::bulbTimeText(times.front()));
    setLabel(oEndValueLabel, hdr::bulbTimeText(times.back()));
    return;
  }
  const auto end = [&](int direction) {
    if (mSelectedPropertyValue < 0) return std::string();
    return hdrCalculateEndPoints(mSelectedPropertyCode, static_cast<uint32_t>(mSelectedPropertyValue),
                                 mSelectedStepSize, shots, static_cast<int>(mStartPoint), direction)
        .value_or(std::string());
  };
  setLabel(oStartValueLabel, end(2));
  setLabel(oEndValueLabel, end(1));
}

void HdrViewController::checkStepSizeField() {
  const int steps = hdrStepSize(mSelectedPropertyCode);
  if (steps == mCurrentStepsInStop) return;
  mSelectedStepSize = 1;
  setLabel(oStepSizeLabel, hdr::stepList(steps).front());
  mCurrentStepsInStop = steps;
}

void HdrViewController::checkBulbChanged() {
  if (!platform::isMainThread()) {
    onMainQueue<HdrViewController>(this, [](HdrViewController& c) { c.checkBulbChanged(); });
    return;
  }
  const bool bulb = camIsBulbMode();
  if (bulb && !mBulbMode) {
    mBulbMode = true;
    mSelectedPropertyCode = camVendorPropertyCodes().shutterSpeed;
    if (oPropertyButton) oPropertyButton->setEnabled(false);
    mSelectedPropertyValue = kDefaultBulbMidpointMs;
    mEnabledAutoExposureMode = true;
    defaults().removeObjectForKey(kHdrValues);
    refreshNumShots();
    setLabel(oPropertyLabel, "Shutter Speed");
    setLabel(oPropertyValueLabel, "00:01");
  } else if (!bulb && mBulbMode) {
    mBulbMode = false;
    if (oPropertyButton) oPropertyButton->setEnabled(true);
    mSelectedPropertyValue = -1;
    setSelectedPropertyValue();
    defaults().removeObjectForKey(kHdrValues);
  }
  if (oCameraCopyButton) oCameraCopyButton->setEnabled(!bulb);
  if (!bulb) checkStepSizeField();
  updateEnabled();
}

void HdrViewController::autoExposureModeChanged() {
  if (!platform::isMainThread()) {
    onMainQueue<HdrViewController>(this, [](HdrViewController& c) { c.autoExposureModeChanged(); });
    return;
  }
  const uint32_t modeCode = camVendorPropertyCodes().exposureMode;
  PropertyCopy mode = propCopyValues(modeCode);
  // Nikon's scene-like programs change the exposure settings behind the store: they are read again first, off the
  // main thread, and the change is taken up once they are in.
  if (camIsNikon() && mode && mode->value >= 0x8050 && mode->value <= 0x8052) {
    QPointer<HdrViewController> self(this);
    platform::globalQueue().async([self] {
      const VendorPropertyCodes roles = camVendorPropertyCodes();
      camRefreshProperty(roles.shutterSpeed);
      camRefreshProperty(roles.aperture);
      platform::mainQueue().async([self] {
        if (self) self->finishAutoExposureModeChanged();
      });
    });
    return;
  }
  finishAutoExposureModeChanged();
}

void HdrViewController::finishAutoExposureModeChanged() {
  mEnabledAutoExposureMode = true;
  PropertyCopy mode = propCopyValues(camVendorPropertyCodes().exposureMode);
  const bool manual = mode && camIsManualExposure(mode->value);
  if (!manual && !camIsBulbMode()) mEnabledAutoExposureMode = false;
  if (manual && !camIsCanon()) checkBulbChanged();
  if (!camIsBulbMode()) checkStepSizeField();
  if (camIsCanon()) checkBulbChanged();
  updateEnabled();
}

void HdrViewController::movieModeNotificationRecieved(const platform::Notification& notification) {
  mEnabledMovieMode = !notification.object.toBool();
  updateEnabled();
}

void HdrViewController::copyFromCamera() {
  setSelectedPropertyValue();
  refreshNumShots();
}

// --- the overlay ---

void HdrViewController::updateEnabled() {
  if (mEnabledAutoExposureMode && mEnabledMovieMode) {
    if (!mEnabled && mDisabledView) {
      mDisabledView->hide();
      mDisabledView->deleteLater();
      mDisabledView = nullptr;
      mDisabledTextView = nullptr;
    }
    mEnabled = true;
    return;
  }
  const QString message = QString::fromStdString(
      platform::localizedString(!mEnabledAutoExposureMode ? "ManualModeRequired" : "MovieModeOffRequired"));
  if (mEnabled || !mDisabledView)
    buildDisabledView(message);
  else if (mDisabledTextView)
    mDisabledTextView->setText(message);
  mEnabled = false;
}

void HdrViewController::buildDisabledView(const QString& message) {
  QWidget* root = view();
  if (!root) return;
  if (mDisabledView) mDisabledView->deleteLater();
  // Over the panel but for its top 35 points, where the close button stays usable.
  const int width = root->width(), height = std::max(0, root->height() - 35);
  auto* overlay = new QWidget(root);
  overlay->setObjectName("oDisabledView");
  overlay->setGeometry(0, 35, width, height);
  auto* veil = new ColorView(overlay);
  veil->setGeometry(0, 0, width, height);
  veil->setBackgroundColor(platform::Color::blackColor());
  veil->layer().setOpacity(0.65);
  auto* text = new QLabel(overlay);
  text->setObjectName("oDisabledTextView");
  const int textWidth = std::min(width, 250);
  // y-up (x, h / 2 - 25) for a field 80 high.
  text->setGeometry((width - textWidth) / 2, height - (height / 2 - 25) - 80, textWidth, 80);
  text->setAlignment(Qt::AlignCenter);
  text->setWordWrap(true);
  text->setTextInteractionFlags(Qt::NoTextInteraction);
  text->setFont(platform::Font::named("AvenirNext-Medium", 18).qfont());
  text->setStyleSheet("color: white; background: transparent; border-radius: 4px;");
  text->setText(message);
  overlay->show();
  overlay->raise();
  mDisabledView = overlay;
  mDisabledTextView = text;
}

// --- pickers ---

std::vector<std::string> HdrViewController::propertyNames() const {
  if (camIsSony()) return {"Shutter Speed", "ISO"};
  return {platform::localizedString("Aperture"), "Shutter Speed", "ISO"};
}

void HdrViewController::cleanupPopover() {
  if (mValuesViewController) mValuesViewController->setDelegate(nullptr);
  if (mPopover) {
    mPopover->setDelegate(nullptr);
    mPopover->close();
    mPopover->setContentViewController(nullptr);
    // It may be telling us from inside its own close.
    mPopover.release()->deleteLater();
  }
  if (mValuesViewController) mValuesViewController.release()->deleteLater();
  mPicker = Picker::None;
}

void HdrViewController::popoverDidClose(platform::Popover* popover) {
  if (popover == mPopover.get()) cleanupPopover();
}

namespace {

// A short list leaves most of the grid empty: the picker is made only as high as its buttons need.
void fitPickerHeight(PropertyValuesViewController* picker) {
  QWidget* root = picker->view();
  if (!root || !picker->oScrollView || picker->buttons().empty()) return;
  int grid = 0;
  for (const SYFlatButton* button : picker->buttons()) grid = std::max(grid, button->geometry().bottom() + 1);
  grid += 10;
  if (grid >= picker->oScrollView->height()) return;
  const int shrink = picker->oScrollView->height() - grid;
  if (picker->oButtonsView) picker->oButtonsView->resize(picker->oButtonsView->width(), grid);
  picker->oScrollView->resize(picker->oScrollView->width(), grid);
  picker->oScrollView->contentView()->scrollToPoint({0, 0});
  root->resize(root->width(), root->height() - shrink);
}

std::vector<controls::Visual> faces(const std::vector<std::string>& texts) {
  std::vector<controls::Visual> out;
  for (const std::string& t : texts) out.emplace_back(QString::fromStdString(t));
  return out;
}

std::vector<int64_t> positions(size_t count) {
  std::vector<int64_t> out;
  for (size_t i = 0; i < count; ++i) out.push_back(static_cast<int64_t>(i));
  return out;
}

}  // namespace

void HdrViewController::openPicker(Picker kind, SYFlatButton* anchor,
                                   std::unique_ptr<PropertyValuesViewController> picker, double aspectRatio,
                                   int64_t selected) {
  if (!anchor || !picker) return;
  mValuesViewController = std::move(picker);
  mValuesViewController->setDelegate(this);
  if (kind == Picker::Value)
    mValuesViewController->loadButtonsWithAspectRatio(aspectRatio);
  else
    mValuesViewController->loadButtonsWithAspectRatio(aspectRatio, selected);
  mPicker = kind;
  fitPickerHeight(mValuesViewController.get());
  mPopover->setContentViewController(mValuesViewController.get());
  mPopover->setContentSize(platform::boundsOf(mValuesViewController->view()).size);
  mPopover->setAnimates(true);
  mPopover->setBehavior(platform::PopoverBehavior::SemiTransient);
  mPopover->setDelegate(this);
  mPopover->showRelativeToRect(platform::boundsOf(anchor), anchor, platform::RectEdge::MinY);
}

void HdrViewController::propertyButtonPressed() {
  cleanupPopover();
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  int selected = 0;
  if (camIsSony())
    selected = mSelectedPropertyCode == roles.iso ? 1 : 0;
  else if (mSelectedPropertyCode == roles.shutterSpeed)
    selected = 1;
  else if (mSelectedPropertyCode == roles.iso)
    selected = 2;
  const std::vector<std::string> names = propertyNames();
  mPopover = std::make_unique<platform::Popover>();
  openPicker(Picker::Property, oPropertyButton,
             PropertyValuesViewController::initWithStringArray(faces(names), positions(names.size()),
                                                               "Property to Adjust", selected, mPopover.get()),
             4.0, selected);
}

void HdrViewController::propertyValueButtonPressed() {
  // A press while another picker is open only closes that one.
  if (mPopover) {
    cleanupPopover();
    return;
  }
  if (mBulbMode) {
    askForBulbMidpoint();
    return;
  }
  if (!propExists(mSelectedPropertyCode)) return;
  mPopover = std::make_unique<platform::Popover>();
  const double ratio = mSelectedPropertyCode == camVendorPropertyCodes().iso ? 3.0 : 1.5;
  openPicker(Picker::Value, oStartValueButton,
             PropertyValuesViewController::initWithProperty(mSelectedPropertyCode, mPopover.get()), ratio, 0);
}

void HdrViewController::stepSizeButtonPressed() {
  cleanupPopover();
  const std::vector<std::string> steps = hdr::stepList(hdrStepSize(mSelectedPropertyCode));
  const int selected = static_cast<int>(mSelectedStepSize) - 1;
  mPopover = std::make_unique<platform::Popover>();
  openPicker(Picker::StepSize, oStepSizeButton,
             PropertyValuesViewController::initWithStringArray(faces(steps), positions(steps.size()), "Step Size",
                                                               selected, mPopover.get()),
             1.6, selected);
}

void HdrViewController::numShotsButtonPressed() {
  cleanupPopover();
  const int max = maxShots();
  if (max <= 0) {
    Utilities::showErrorMessage("Failed to calculate max HDR shots.");
    return;
  }
  const std::vector<int64_t> counts = hdr::shotChoices(max, mStartPoint);
  std::vector<std::string> texts;
  for (int64_t n : counts) texts.push_back(std::to_string(n));
  const int selected = static_cast<int>(std::min(mSelectedNumShotsIndex, hdr::largestShotIndex(max, mStartPoint)));
  mPopover = std::make_unique<platform::Popover>();
  openPicker(Picker::Shots, oNumShotsButton,
             PropertyValuesViewController::initWithStringArray(faces(texts), counts, "Number of Shots", selected,
                                                               mPopover.get()),
             1.1, selected);
}

void HdrViewController::buttonSelected(int64_t value, PropertyValuesViewController* picker) {
  if (!picker || picker != mValuesViewController.get()) return;
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  QLabel* label = nullptr;
  int position = 0;
  switch (mPicker) {
    case Picker::Property:
      if (camIsSony())
        mSelectedPropertyCode = value == 1 ? roles.iso : roles.shutterSpeed;
      else
        mSelectedPropertyCode = value == 0 ? roles.aperture : value == 2 ? roles.iso : roles.shutterSpeed;
      setSelectedPropertyValue();
      label = oPropertyLabel;
      position = static_cast<int>(value);
      break;
    case Picker::Value:
      mSelectedPropertyValue = static_cast<uint32_t>(value);
      label = oPropertyValueLabel;
      position = static_cast<int>(picker->buttonIndexForTag(value));
      break;
    case Picker::StepSize:
      mSelectedStepSize = static_cast<unsigned>(std::max<int64_t>(0, value)) + 1;
      label = oStepSizeLabel;
      position = static_cast<int>(value);
      break;
    case Picker::Shots:
      mSelectedNumShotsIndex = hdr::shotIndex(value, mStartPoint);
      label = oNumShotsLabel;
      position = static_cast<int>(mSelectedNumShotsIndex);
      break;
    case Picker::None:
      return;
  }
  picker->buttonSelected(value);
  if (label) label->setText(picker->stringAtIndex(position));
  refreshNumShots();
}

void HdrViewController::askForBulbMidpoint() {
  const double seconds = static_cast<double>(mSelectedPropertyValue) / 1000.0;
  const std::optional<QString> typed = platform::runTextInputAlert(
      QStringLiteral("Please enter the bulb duration midpoint, in seconds."), QString::asprintf("%.1f", seconds));
  if (!typed) return;
  // Anything but a finite time from 0.1 s to 24 h is refused, and the midpoint stays as it was.
  const std::optional<double> accepted = hdr::bulbSecondsFromText(*typed);
  if (!accepted) {
    Utilities::showErrorMessage(platform::localizedString("BulbSecondsOutOfRange"));
    return;
  }
  mSelectedPropertyValue = std::llround(*accepted * 1000.0);
  setLabel(oPropertyValueLabel, QString::asprintf("%.1f", *accepted).toStdString());
  refreshNumShots();
}

// --- starting and following a bracket ---

void HdrViewController::startHdr() {
  if (!platform::isMainThread()) {
    onMainQueue<HdrViewController>(this, [](HdrViewController& c) { c.startHdr(); });
    return;
  }
  if (mBulbMode && !camBulbAvailable()) {
    Utilities::showErrorMessage(platform::localizedString("BulbNotAvailable"));
    return;
  }
  if (camHdrPrepare()) {
    // Switched off once already for this start and still on: the camera keeps it, and asking again would only
    // go round in circles.
    if (mBracketingDisableTried) {
      mBracketingDisableTried = false;
      Utilities::showErrorMessage(platform::localizedString("BracketingDisableFailed"));
      return;
    }
    disableInCameraBracketing();
    return;
  }
  mBracketingDisableTried = false;
  if (camIsSony() && sonyIsBracketDrive()) {
    Utilities::showErrorMessage(platform::localizedString("SonyHdrDriveModeBracketed"));
    return;
  }
  const char* invalid = nullptr;
  if (mSelectedPropertyValue < 0)
    invalid = "InvalidStartValue";
  else if (mSelectedStepSize == 0)
    invalid = "InvalidStepSize";
  else if (camIsAutoIso())
    invalid = "InvalidIsoAuto";
  if (invalid) {
    Utilities::showErrorMessage(
        hdr::withValues("%@: %@", {platform::localizedString("InvalidValue"), platform::localizedString(invalid)}));
    return;
  }
  if (hdrPrepareCapture() && !mIgnoreDriveMode) {
    askForSingleDrive();
    return;
  }
  mIgnoreDriveMode = false;
  // A delay below 10 ms (or none that reads as a number) is sent as 10 ms.
  float delay = defaults().floatForKey("SequenceDelay");
  if (!(delay >= 0.01f)) delay = 0.01f;
  sendStart(hdr::shotCount(mSelectedNumShotsIndex, mStartPoint), delay);
}

void HdrViewController::disableInCameraBracketing() {
  mBracketingDisableTried = true;
  CommandBlockArray commands;
  commands.push_back(CommandBlock::initWithBlock(
      [] {
        const ResponseCode result = camDisableBracketing();
        // The camera reports the switch-off a moment later (the next event poll): the start goes on once the
        // store shows it, or finds it still on after the wait.
        for (double waited = 0; result == PTP_RC_OK && camHdrPrepare() && waited < kBracketingOffWait; waited += 0.1)
          platform::waitFor(0.1);
        return int32_t{result};
      },
      platform::localizedString("HDRPreparing")));
  QPointer<HdrViewController> self(this);
  Command::runCommands(std::move(commands), [self](int32_t result) {
    if (static_cast<uint16_t>(result) != PTP_RC_OK) {
      Utilities::showErrorMessage(platform::localizedString("BracketingDisableFailed"), static_cast<uint16_t>(result));
      if (self) self->mBracketingDisableTried = false;
      return;
    }
    if (self) self->startHdr();
  });
}

void HdrViewController::askForSingleDrive() {
  QPointer<HdrViewController> self(this);
  platform::globalQueue(platform::QueuePriority::Background).async([self] {
    std::shared_ptr<JW_Alert> alert;
    platform::mainQueue().sync([&alert] {
      alert = JW_Alert::jwAlertWithStyle(1);
      alert->setOkButtonText(QString::fromStdString(platform::localizedString("Yes")), nullptr);
      alert->setCancelButtonText(QString::fromStdString(platform::localizedString("No")), nullptr);
      alert->setThirdButtonText(QString::fromStdString(platform::localizedString("Cancel")), nullptr);
      alert->setTitleText(QString::fromStdString(platform::localizedString("ContinuousShootingTitle")));
      alert->setInformationText(QString::fromStdString(
          platform::localizedString(camIsNikon() ? "ContinuousShootingNikonMsg" : "ContinuousShootingMsg")));
    });
    const int64_t answer = alert->blockingShow();
    alert.reset();
    if (answer == JW_Alert::kThirdResponse) return;
    // Yes switches the camera to single shots; No (or a switch that fails) starts with the drive as it is.
    if (answer == JW_Alert::kOkResponse) (void)camDriveModeSingle();
    // The drive is asked about once per start: the next pass goes on whatever the camera reports now.
    platform::mainQueue().async([self] {
      if (!self) return;
      self->mIgnoreDriveMode = true;
      self->startHdr();
    });
  });
}

void HdrViewController::sendStart(unsigned shots, float delay) {
  const bool bulb = mBulbMode;
  const uint32_t code = bulb ? kHdrBulbProperty : mSelectedPropertyCode;
  const uint32_t start = static_cast<uint32_t>(mSelectedPropertyValue);
  const uint32_t step = mSelectedStepSize;
  const uint8_t order = static_cast<uint8_t>(mStartPoint);
  const std::shared_ptr<Run> run = mRun;
  mRunEnded = false;
  CommandBlockArray commands;
  commands.push_back(CommandBlock::initWithBlock(
      [run, code, start, step, shots, order, delay] {
        if (CameraController::instance().isLiveViewOn(false)) {
          if (camIsFuji() || defaults().boolForKey("AutoViewImages")) {
            Utilities::blockForLiveViewOff();
          } else {
            // Held until the device reports the end: no frame is fetched while the device brackets.
            Utilities::lockLiveView();
            run->hasLiveViewLock = true;
          }
        }
        const ResponseCode result =
            linkStartSequence(0, code, start, step, static_cast<uint16_t>(shots), order, 0, 0, 0, delay, 1);
        if (result != PTP_RC_OK || run->panelGone) run->releaseLiveViewLock();
        return int32_t{result};
      },
      platform::localizedString("HDRStarting")));
  QPointer<HdrViewController> self(this);
  Command::runCommands(std::move(commands), [self, shots](int32_t rc) {
    const uint16_t result = static_cast<uint16_t>(rc);
    if (result == PTP_RC_OK) {
      // The device may have reported the end before this answer came round.
      if (self && !self->mRunEnded) self->updateHdrActiveViewWithShotsTaken(0, static_cast<int>(shots));
    } else if (result == AUTOMATION_BUSY) {
      Utilities::showErrorMessage(platform::localizedString("HDRBusy"));
    } else {
      Utilities::showErrorMessage(platform::localizedString("HDRError"), result);
    }
  });
}

void HdrViewController::cancelHdr() {
  CommandBlockArray commands;
  commands.push_back(CommandBlock::initWithBlock([] { return int32_t{linkCancelSequence()}; },
                                                 platform::localizedString("HDRCancelling")));
  Command::runCommands(std::move(commands), [](int32_t rc) {
    const uint16_t result = static_cast<uint16_t>(rc);
    if (result != PTP_RC_OK) Utilities::showErrorMessage(platform::localizedString("HdrCanceledFailed"), result);
  });
}

void HdrViewController::hdrFeedbackNotificationRecieved(const platform::Notification& notification) {
  const platform::Data data = notification.object.toData();
  if (data.size() < kFeedbackMinimum) return;
  updateHdrActiveViewWithShotsTaken(automation_panels::readLe16(data, kFeedbackTakenAt),
                                    automation_panels::readLe16(data, kFeedbackTotalAt));
}

void HdrViewController::updateHdrActiveViewWithShotsTaken(int taken, int total) {
  if (!platform::isMainThread()) {
    onMainQueue<HdrViewController>(
        this, [taken, total](HdrViewController& c) { c.updateHdrActiveViewWithShotsTaken(taken, total); });
    return;
  }
  if (taken >= total) {
    hdrCompleteNotification();
    return;
  }
  automation_panels::showCovering(oFeedbackView, view());
  setLabel(oShotsRemainingLabel,
           hdr::localizedWithValues("HdrShotsCompleted", {std::to_string(taken), std::to_string(total)}));
  if (oProgressView) oProgressView->setValue(static_cast<int>(std::lround(double(taken) / total * kProgressSteps)));
}

void HdrViewController::hdrCompleteNotification() {
  if (!platform::isMainThread()) {
    onMainQueue<HdrViewController>(this, [](HdrViewController& c) { c.hdrCompleteNotification(); });
    return;
  }
  mRunEnded = true;
  mRun->releaseLiveViewLock();
  automation_panels::hideCovering(oFeedbackView);
}

bool HdrViewController::isFeedbackShown() const { return automation_panels::isCovering(oFeedbackView); }
