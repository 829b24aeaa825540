#include "controls/camera_controls_view_controller.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <array>
#include <cstdio>
#include <map>
#include <optional>

#include "controls/automation/focus_stack_view_controller.h"
#include "controls/automation/hdr_view_controller.h"
#include "controls/automation/timer_view_controller.h"
#include "controls/automation/tripod_view_controller.h"
#include "controls/exposure_comp_image_view.h"
#include "controls/exposure_comp_view.h"
#include "controls/interface_actions.h"
#include "controls/property_controller.h"
#include "controls/property_set_texts.h"
#include "engine/automation/automation_checks.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_exposure.h"
#include "engine/vendors/canon/canon_operations.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/graphics/font.h"
#include "platform/graphics/named_images.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/command.h"
#include "session/notification_names.h"
#include "session/ptp_errors.h"
#include "session/utilities.h"
#include "ui_CameraControlsView.h"
#include "widgets/sfb_popover.h"
#include "widgets/toggle_button.h"

VX_INTERFACE_FILE("CameraControlsView", Ui::CameraControlsView);

using platform::Color;
using platform::Notification;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

// Nikon's codes the panel uses besides the roles.
constexpr uint32_t kNikonExposureIndicator = 0xD1B1;
constexpr uint32_t kNikonBracketingOn = 0xD0C0;
constexpr uint32_t kNikonBracketingProgram = 0xD0C2;
constexpr uint32_t kNikonMovieShutter = 0xD1A8, kNikonMovieAperture = 0xD1A9, kNikonMovieIso = 0xD1AA;
constexpr uint32_t kNikonMovieExposureComp = 0xD1AB;
constexpr uint32_t kNikonAutoIsoValue = 0xD0B5;
constexpr uint32_t kNikonAutoIsoOn = 0xD054, kNikonAutoIsoSensitivity = 0xD16A;
constexpr uint32_t kCanonMovieFocusMode = 0xD179;
constexpr int32_t kOlcOverflow = 99999;
// More shots than this around the centre are not marked (the marks would run into each other).
constexpr int kMostBracketMarks = 9;
// A Nikon body reports its exposure indicator and automatic ISO a moment after the session opens.
constexpr double kNikonStartDelay = 1.0;

// The program's own panel of a kind, handed the popover it shows in.
template <class Panel>
AutomationPanelFactory productPanel() {
  return [] {
    auto panel = std::make_unique<Panel>();
    Panel* raw = panel.get();
    return AutomationPanelController{std::move(panel), [raw](SFBPopover* popover) { raw->setPopover(popover); }};
  };
}

std::map<AutomationPanel, AutomationPanelFactory> productPanels() {
  return {{AutomationPanel::FocusStack, productPanel<FocusStackViewController>()},
          {AutomationPanel::Hdr, productPanel<HdrViewController>()},
          {AutomationPanel::Timer, productPanel<TimerViewController>()},
          {AutomationPanel::Tripod, productPanel<QY_TripodViewController>()}};
}

std::map<AutomationPanel, AutomationPanelFactory>& factories() {
  static std::map<AutomationPanel, AutomationPanelFactory> registry = productPanels();
  return registry;
}

std::string text(const char* key) { return platform::localizedString(key); }
std::string propertyName(uint32_t code) { return "JW_" + std::to_string(code); }

// 2 movie mode, 3 recording.
bool inMovieMode() {
  const uint64_t status = CameraController::instance().liveViewStatus();
  return status == 2 || status == 3;
}

// The value and enabled flag of a record, read under its lock; none without a record.
struct Reading {
  uint32_t value = 0;
  bool enabled = false;
};
std::optional<Reading> readRecord(uint32_t code) {
  if (code == 0) return std::nullopt;
  const PropertyCopy copy = propCopyValues(code);
  if (!copy) return std::nullopt;
  return Reading{copy->value, copy->enabled != 0};
}

// The centre of a view's bounds in its window's coordinates (y-up).
Point centreInWindow(const QWidget* view) {
  const Rect b = platform::boundsOf(view);
  return platform::convertPoint(Point{b.size.width / 2, b.size.height / 2}, view, nullptr);
}

bool isSpace(const QKeyEvent& event) { return event.text() == QStringLiteral(" "); }

// Runs `f` with the panel on the main thread while its token says it lives: at once there, else queued. Called
// from observers on any thread, it touches nothing of the panel before it is on the main thread.
template <class Panel, class F>
void toPanel(const std::shared_ptr<bool>& alive, Panel* self, F f) {
  if (platform::isMainThread()) {
    if (*alive) f(*self);
    return;
  }
  platform::mainQueue().async([alive, self, f = std::move(f)] {
    if (*alive) f(*self);
  });
}

}  // namespace

CameraControlsViewController::CameraControlsViewController() : ViewController("CameraControlsView") {}

CameraControlsViewController::~CameraControlsViewController() {
  *alive_ = false;
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  if (mKeyDownMonitor) platform::removeMonitor(mKeyDownMonitor);
  if (mKeyUpMonitor) platform::removeMonitor(mKeyUpMonitor);
  // A shutter the space bar still holds is let go with the panel.
  releaseSpaceShutter();
  // The popovers go before the controllers whose views they show.
  for (QPointer<SFBPopover>* slot : {&mFocusPopover, &mTabPopover, &mExposureCompPopover}) {
    if (*slot) retirePopover(slot->data(), nullptr);
    *slot = nullptr;
  }
  purgeRetiredPopovers(true);
  mExposureCompViewController.reset();
  for (const auto& c : mPropertiesArray) c->setButton(nullptr);
  mPropertiesArray.clear();
}

void CameraControlsViewController::setAutomationPanelFactory(AutomationPanel panel, AutomationPanelFactory factory) {
  if (factory)
    factories()[panel] = std::move(factory);
  else
    factories().erase(panel);
}

void CameraControlsViewController::resetAutomationPanelFactories() { factories() = productPanels(); }

void CameraControlsViewController::applyCommonPopoverStyle(SFBPopover* popover) {
  if (!popover) return;
  popover->setBorderColor(Color::clear());
  popover->setBorderWidth(0);
  popover->setDistance(12);
  popover->setBackgroundColor(Color::rgb(0, 0, 0, 0.2));
  popover->setAnimates(true);
}

// --- threads ---

void CameraControlsViewController::onMain(std::function<void(CameraControlsViewController&)> f) {
  if (platform::isMainThread()) {
    if (*alive_) f(*this);
    return;
  }
  platform::mainQueue().async([alive = alive_, self = this, f = std::move(f)] {
    if (*alive) f(*self);
  });
}

template <class R>
void CameraControlsViewController::inBackground(std::function<R()> work,
                                                std::function<void(CameraControlsViewController&, R)> then) {
  ++pending_;
  platform::globalQueue().async([alive = alive_, self = this, work = std::move(work), then = std::move(then)] {
    R result = work();
    platform::mainQueue().async([alive, self, then, result = std::move(result)] {
      if (!*alive) return;
      then(*self, result);
      --self->pending_;
    });
  });
}

// --- loading ---

void CameraControlsViewController::viewDidLoad() {
  oCaptureButton = outlet<SYFlatButton>("oCaptureButton");
  oHalfPressButton = outlet<SYFlatButton>("oHalfPressButton");
  oLiveViewToggleButton = outlet<ToggleButton>("oLiveViewToggleButton");
  oAfToggleButton = outlet<ToggleButton>("oAfToggleButton");
  oVideoToggleButton = outlet<ToggleButton>("oVideoToggleButton");
  oFlashToggleButton = outlet<ToggleButton>("oFlashToggleButton");
  oFocusIndicatorView = outlet<platform::View>("oFocusIndicatorView");
  oApertureButton = outlet<SYFlatButton>("oApertureButton");
  oShutterSpeedButton = outlet<SYFlatButton>("oShutterSpeedButton");
  oIsoButton = outlet<SYFlatButton>("oIsoButton");
  oFocusModeButton = outlet<SYFlatButton>("oFocusModeButton");
  oMeteringModeButton = outlet<SYFlatButton>("oMeteringModeButton");
  oImageFormatButton = outlet<SYFlatButton>("oImageFormatButton");
  oDriveModeButton = outlet<SYFlatButton>("oDriveModeButton");
  oWhiteBalanceButton = outlet<SYFlatButton>("oWhiteBalanceButton");
  oExposureModeButton = outlet<SYFlatButton>("oExposureModeButton");
  oExposureCompButton = outlet<SYFlatButton>("oExposureCompButton");
  oSonyExposureCompButton = outlet<SYFlatButton>("oSonyExposureCompButton");
  oSonyFocusAreaButton = outlet<SYFlatButton>("oSonyFocusAreaButton");
  oExposureCompensationView = outlet<ExposureCompView>("oExposureCompensationView");
  oFocusStackButton = outlet<SYFlatButton>("oFocusStackButton");
  oHdrButton = outlet<SYFlatButton>("oHdrButton");
  oTimerButton = outlet<SYFlatButton>("oTimerButton");
  oTripodButton = outlet<SYFlatButton>("oTripodButton");

  if (auto* root = dynamic_cast<platform::View*>(view())) root->layer().setBackgroundColor(Color::white(0.14));
  // 1. The shutter and half-press buttons report their presses to the panel.
  if (oCaptureButton) oCaptureButton->setDelegate(this);
  if (oHalfPressButton) oHalfPressButton->setDelegate(this);
  if (oCaptureButton) oCaptureButton->setTitle(QString::fromStdString(text("Capture")));
  // Faces the interface file cannot give: the fonts of the titles and the setting buttons.
  const platform::Font settingFont = platform::Font::named(QStringLiteral("AvenirNext-Regular"), 15);
  for (SYFlatButton* b : {oApertureButton, oShutterSpeedButton, oIsoButton, oFocusModeButton, oMeteringModeButton,
                          oImageFormatButton, oDriveModeButton, oWhiteBalanceButton, oExposureModeButton,
                          oSonyExposureCompButton, oSonyFocusAreaButton})
    if (b) b->setFont(settingFont);
  if (oCaptureButton) oCaptureButton->setFont(platform::Font::named(QStringLiteral("AvenirNext-DemiBold"), 17));
  if (oHalfPressButton) oHalfPressButton->setFont(platform::Font::named(QStringLiteral("AvenirNext-DemiBold"), 13));

  // 2. The focus dot: round and green.
  if (oFocusIndicatorView) {
    oFocusIndicatorView->layer().setCornerRadius(oFocusIndicatorView->width() / 2.0);
    oFocusIndicatorView->layer().setBackgroundColor(Color::rgb(0, 1, 0));
  }
  // 3. The AF/MF toggle's faces (and those of the live-view and movie toggles).
  if (oAfToggleButton) oAfToggleButton->setOnImage(platform::imageNamed("AFIcon"), platform::imageNamed("MFIcon"));
  if (oLiveViewToggleButton) {
    const Size s = platform::boundsOf(oLiveViewToggleButton).size;
    const Size icon{0.7 * s.width, 0.7 * s.height};
    oLiveViewToggleButton->setOnImage(VorlaxentStyleKit::imageOfLiveViewIconWithSize(icon, true),
                                      VorlaxentStyleKit::imageOfLiveViewIconWithSize(icon, false));
  }
  if (oVideoToggleButton) {
    const Size s = platform::boundsOf(oVideoToggleButton).size;
    const platform::Image movie =
        VorlaxentStyleKit::imageOfVideoTogglePushButtonWithSize(Size{s.width, s.height}, true, false, false);
    oVideoToggleButton->setOnImage(movie, movie);
  }
  if (oExposureCompButton) {
    const Size s = platform::boundsOf(oExposureCompButton).size;
    oExposureCompButton->setImage(VorlaxentStyleKit::imageOfAdjustExposureWithSize(Size{0.8 * s.width, 0.8 * s.height}));
  }
  // 4. Observers; 5. the property buttons; 6. the focus state.
  observe();
  loadProperties();
  focusUpdated();
  // 7. Focus stacking needs the device's host mode.
  if (oFocusStackButton && !camHostModeAvailable()) oFocusStackButton->hide();
  // 8. The automation buttons.
  checkTripodButton();
  const struct {
    SYFlatButton* button;
    double x;
  } row[] = {{oFocusStackButton, 11}, {oHdrButton, 53}, {oTimerButton, 95}};
  for (const auto& r : row)
    if (r.button) platform::setFrame(r.button, Rect{r.x, 469, 36, 36});
  // 9. The flash toggle.
  checkFlashStatus();
  // 10. The space bar.
  mKeyDownMonitor = platform::addLocalMonitorForEvents(
      platform::KeyDownMask, [alive = alive_, self = this](const QKeyEvent& e) {
        return *alive ? self->spaceDown(e) : platform::EventDisposition::Pass;
      });
  mKeyUpMonitor = platform::addLocalMonitorForEvents(
      platform::KeyUpMask, [alive = alive_, self = this](const QKeyEvent& e) {
        return *alive ? self->spaceUp(e) : platform::EventDisposition::Pass;
      });
  // The application losing the keyboard lets go of a shutter the space bar holds.
  connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
    if (state != Qt::ApplicationActive) releaseSpaceShutter();
  });
  controls::connectInterfaceActions(view());
}

void CameraControlsViewController::checkTripodButton() {
  if (oTripodButton) oTripodButton->show();
}

bool CameraControlsViewController::performAction(const platform::Action& action) {
  const std::string& a = action.name;
  if (a == "focusStackAction:") focusStackAction(action.sender<SYFlatButton>());
  else if (a == "hdrAction:") hdrAction(action.sender<SYFlatButton>());
  else if (a == "timerAction:") timerAction(action.sender<SYFlatButton>());
  else if (a == "tripodAction:") tripodAction(action.sender<SYFlatButton>());
  else if (a == "showExposurePopup:") showExposurePopup(action.sender<SYFlatButton>());
  else if (a == "liveViewButtonAction:") liveViewButtonAction(action.sender<ToggleButton>());
  else if (a == "afButtonAction:") afButtonAction(action.sender<ToggleButton>());
  else if (a == "videoButtonAction:") videoButtonAction(action.sender<ToggleButton>());
  else if (a == "flashButtonAction:") flashButtonAction(action.sender<ToggleButton>());
  else return ViewController::performAction(action);
  return true;
}

void CameraControlsViewController::observeNamed(const std::string& name,
                                                void (CameraControlsViewController::*handler)(const Notification&)) {
  // Handlers are called on the posting thread (the event thread for camera changes): off the main thread they
  // only queue the handler, holding the panel's token, not the panel.
  platform::NotificationCenter::defaultCenter().addObserver(
      this,
      [alive = alive_, self = this, handler](const Notification& n) {
        if (platform::isMainThread()) {
          if (*alive) (self->*handler)(n);
          return;
        }
        platform::mainQueue().async([alive, self, handler, n] {
          if (*alive) (self->*handler)(n);
        });
      },
      name);
}

void CameraControlsViewController::observeProperty(uint32_t code,
                                                   void (CameraControlsViewController::*handler)(const Notification&)) {
  if (code != 0) observeNamed(propertyName(code), handler);
}

void CameraControlsViewController::observePropertyPlain(uint32_t code, void (CameraControlsViewController::*handler)()) {
  if (code == 0) return;
  platform::NotificationCenter::defaultCenter().addObserver(
      this,
      [alive = alive_, self = this, handler](const Notification&) {
        if (platform::isMainThread()) {
          if (*alive) (self->*handler)();
          return;
        }
        platform::mainQueue().async([alive, self, handler] {
          if (*alive) (self->*handler)();
        });
      },
      propertyName(code));
}

void CameraControlsViewController::observe() {
  using P = CameraControlsViewController;
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  observeNamed(kBulbCaptureToggledNotification, &P::bulbCaptureToggledNotification);
  observeNamed(kLiveViewToggledNotification, &P::liveViewToggledNotification);
  observeNamed(kMovieModeToggledNotification, &P::movieModeToggledNotification);
  observeNamed(kMovieRecordingToggledNotification, &P::movieRecordingToggledNotification);
  observePropertyPlain(0x500C, &P::checkFlashStatus);
  observePropertyPlain(0xD120, &P::checkFlashStatus);
  observePropertyPlain(roles.focusMode, &P::focusUpdated);
  // The vendor rows, tested in this order.
  if (camIsCanon()) {
    observeProperty(0xD1BF, &P::mirrorUpPropertyNotification);
    observeNamed("JW_Olc_64", &P::olcExposureInfoUpdated);
  } else if (camIsSony()) {
    observeProperty(0xD213, &P::hasFocusNotification);
    observeProperty(0xD22C, &P::propertyUpdatedNotification);
  } else if (camIsNikon()) {
    observeProperty(kNikonBracketingOn, &P::propertyUpdatedNotification);
    observePropertyPlain(kNikonBracketingOn, &P::checkFlashStatus);
    observeProperty(kNikonBracketingProgram, &P::propertyUpdatedNotification);
    observeProperty(kNikonExposureIndicator, &P::propertyUpdatedNotification);
    observePropertyPlain(0xD061, &P::focusUpdated);
    if (nikonPropertyVisible()) {
      observeProperty(kNikonAutoIsoOn, &P::propertyUpdatedNotification);
      observeProperty(kNikonAutoIsoSensitivity, &P::propertyUpdatedNotification);
    }
    if (propExists(kNikonMovieExposureComp)) observeProperty(kNikonMovieExposureComp, &P::propertyUpdatedNotification);
  } else if (camIsFuji()) {
    observeNamed(kHostModeUpdateNotification, &P::connectionHostModeChanged);
    observeProperty(0xD209, &P::hasFocusNotification);
  }
  observeProperty(roles.exposureCompensation, &P::propertyUpdatedNotification);
  observeProperty(roles.bracketing, &P::propertyUpdatedNotification);
  observeProperty(roles.exposureMode, &P::propertyUpdatedNotification);

  // The session's end ends the controllers of its properties; the next session makes them again.
  platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
  center.addObserver(
      this, [self = this, alive = alive_](const Notification&) { toPanel(alive, self, [](P& p) { p.endSession(); }); },
      kVorlaxentConnectionStatusNotification);
  center.addObserver(
      this,
      [self = this, alive = alive_](const Notification&) {
        toPanel(alive, self, [](P& p) {
          if (!p.sessionEnded_) return;
          p.sessionEnded_ = false;
          p.loadProperties();
          p.focusUpdated();
        });
      },
      kSessionStartedNotification);
}

// --- property buttons ---

void CameraControlsViewController::addController(uint32_t code, SYFlatButton* button) {
  if (code == 0) return;
  if (auto controller = PropertyController::initWithPropertyCode(code, button, this))
    mPropertiesArray.push_back(std::move(controller));
}

void CameraControlsViewController::loadProperties() {
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  const auto made = [this](uint32_t code) { return propertyControllerForPropertyCode(code) != nullptr; };
  addController(roles.aperture, oApertureButton);
  addController(roles.shutterSpeed, oShutterSpeedButton);
  addController(roles.iso, oIsoButton);
  addController(roles.focusMode, oFocusModeButton);
  addController(roles.metering, oMeteringModeButton);
  if (oMeteringModeButton && made(roles.metering)) oMeteringModeButton->show();
  if (camIsFuji()) {
    if (oDriveModeButton) oDriveModeButton->hide();
  } else {
    if (oDriveModeButton) oDriveModeButton->show();
    addController(roles.driveMode, oDriveModeButton);
  }
  addController(roles.imageFormat, oImageFormatButton);
  addController(roles.whiteBalance, oWhiteBalanceButton);
  addController(roles.exposureMode, oExposureModeButton);
  if (camIsSony()) {
    for (QWidget* w : std::initializer_list<QWidget*>{oSonyExposureCompButton, oSonyFocusAreaButton})
      if (w) w->show();
    for (QWidget* w : std::initializer_list<QWidget*>{oExposureCompensationView, oExposureCompButton})
      if (w) w->hide();
    addController(roles.exposureCompensation, oSonyExposureCompButton);
    addController(0xD22C, oSonyFocusAreaButton);
    if (oSonyFocusAreaButton && !made(0xD22C)) oSonyFocusAreaButton->hide();
  } else {
    for (QWidget* w : std::initializer_list<QWidget*>{oSonyExposureCompButton, oSonyFocusAreaButton})
      if (w) w->hide();
    for (QWidget* w : std::initializer_list<QWidget*>{oExposureCompensationView, oExposureCompButton})
      if (w) w->show();
  }
  // Controllers without a button: they take one in movie mode or while ISO is automatic.
  if (camIsNikon()) {
    for (uint32_t code : {kNikonMovieShutter, kNikonMovieAperture, kNikonMovieIso})
      if (propExists(code)) addController(code, nullptr);
    if (propExists(0xD061) && !camModelFeatureTest()) addController(0xD061, nullptr);
    if (propExists(0xD1A1)) addController(0xD1A1, nullptr);
    if (nikonPropertyVisible()) addController(kNikonAutoIsoValue, nullptr);
  } else if (camIsCanon() && canonHasPropertyD179()) {
    addController(kCanonMovieFocusMode, nullptr);
  }
  // The scale starts empty and is filled from the camera's current values.
  if (oExposureCompensationView) {
    oExposureCompensationView->initialize();
    oExposureCompensationView->setMaxExposureComp(0);
    oExposureCompensationView->setMinExposureComp(0);
    oExposureCompensationView->setMinExposureBracket(0);
    oExposureCompensationView->setMaxExposureBracket(0);
    oExposureCompensationView->setExposureOffset(0);
  }
  propertyUpdated(roles.exposureMode);
  propertyUpdated(roles.exposureCompensation);
  propertyUpdated(roles.bracketing);
  if (camIsNikon()) {
    mNikonStartTimer.start(kNikonStartDelay, false, [this] {
      propertyUpdated(kNikonExposureIndicator);
      if (!nikonPropertyVisible()) return;
      uint32_t code = 0;
      if (PropertyStruct* record = nikonPropertyEnabled()) {
        propLock(record);
        code = record->code.load();
        propUnlock(record);
      }
      if (code != 0) propertyUpdated(code);
    });
  }
}

void CameraControlsViewController::endSession() {
  if (sessionEnded_ || !isViewLoaded()) return;
  sessionEnded_ = true;
  mNikonStartTimer.invalidate();
  mOlcClearTimer.invalidate();
  if (mExposureCompPopover) closeExposureCompView(mExposureCompViewController.get());
  for (const auto& c : mPropertiesArray) c->setButton(nullptr);
  mPropertiesArray.clear();
}

PropertyController* CameraControlsViewController::propertyControllerForPropertyCode(uint32_t propertyCode) const {
  for (const auto& c : mPropertiesArray)
    if (c->propertyCode() == propertyCode) return c.get();
  return nullptr;
}

bool CameraControlsViewController::setPropertyButton(SYFlatButton* button, uint32_t propertyCode) {
  PropertyController* controller = propertyControllerForPropertyCode(propertyCode);
  if (!controller) return false;
  // One controller per button: one that still holds it (another code took it meanwhile) lets it go, so that two
  // controllers never draw on one button.
  if (button)
    for (const auto& other : mPropertiesArray)
      if (other.get() != controller && other->button() == button) other->setButton(nullptr);
  controller->setButton(button);
  return true;
}

// --- layout ---

void CameraControlsViewController::viewDidLayout() {
  if (oHalfPressButton && !camSupportsRemoteRelease()) oHalfPressButton->hide();
  const struct {
    SYFlatButton* button;
    platform::Image (*icon)(const Size&, bool);
  } icons[] = {{oFocusStackButton, &VorlaxentStyleKit::imageOfFocusStackWithSize},
               {oHdrButton, &VorlaxentStyleKit::imageOfHDRWithSize},
               {oTimerButton, &VorlaxentStyleKit::imageOfTimerWithSize},
               {oTripodButton, &VorlaxentStyleKit::imageOfTripodWithSize}};
  for (const auto& i : icons) {
    if (!i.button || !i.button->image().isNull()) continue;
    const Size b = platform::boundsOf(i.button).size;
    if (b.width > 0 && b.height > 0) i.button->setImage(i.icon(Size{32, 32}, false));
  }
}

// --- shutter, half press and the space bar ---

void CameraControlsViewController::buttonDown(SYFlatButton* button) {
  if (button == nullptr) return;
  if (button == oCaptureButton) CameraController::instance().shutterPress();
  else if (button == oHalfPressButton) CameraController::instance().initiateHalfPress();
}

void CameraControlsViewController::buttonUp(SYFlatButton* button) {
  if (button == nullptr) return;
  if (button == oCaptureButton) CameraController::instance().shutterRelease();
  else if (button == oHalfPressButton) CameraController::instance().halfPressRelease();
}

bool CameraControlsViewController::panelWindowIsKey() const {
  if (!isViewLoaded()) return false;
  QWidget* window = const_cast<CameraControlsViewController*>(this)->view()->window();
  if (auto* ours = qobject_cast<platform::Window*>(window)) return ours->isKeyWindow();
  return window && window->isActiveWindow();
}

platform::EventDisposition CameraControlsViewController::spaceDown(const QKeyEvent& event) {
  if (!isSpace(event)) return platform::EventDisposition::Pass;
  // A held key repeats (on X11 as release-press pairs): the repeats of the key that holds the shutter are not
  // presses; those of a space the panel did not take go on to where they were typed.
  if (event.isAutoRepeat()) return spaceHeld_ ? platform::EventDisposition::Swallow : platform::EventDisposition::Pass;
  if (!oCaptureButton || !oCaptureButton->isEnabled() || !panelWindowIsKey()) return platform::EventDisposition::Pass;
  if (mSpacebarLock.try_lock()) {
    spaceHeld_ = true;
    // Losing the keyboard with the space bar down lets the shutter go: a key-up would go elsewhere.
    watchedWindow_ = view()->window();
    if (watchedWindow_) watchedWindow_->installEventFilter(this);
    if (auto* ours = qobject_cast<platform::Window*>(watchedWindow_.data()))
      connect(ours, &platform::Window::didResignKey, this, &CameraControlsViewController::releaseSpaceShutter,
              Qt::UniqueConnection);
    buttonDown(oCaptureButton);
  }
  return platform::EventDisposition::Swallow;
}

platform::EventDisposition CameraControlsViewController::spaceUp(const QKeyEvent& event) {
  if (!isSpace(event) && event.key() != Qt::Key_Space) return platform::EventDisposition::Pass;
  if (event.isAutoRepeat()) return spaceHeld_ ? platform::EventDisposition::Swallow : platform::EventDisposition::Pass;
  // What the key-down pressed is released, whatever the window or the button's state is now.
  if (spaceHeld_) {
    releaseSpaceShutter();
    return platform::EventDisposition::Swallow;
  }
  const bool ours = oCaptureButton && oCaptureButton->isEnabled() && panelWindowIsKey();
  return ours ? platform::EventDisposition::Swallow : platform::EventDisposition::Pass;
}

void CameraControlsViewController::releaseSpaceShutter() {
  if (!spaceHeld_) return;
  spaceHeld_ = false;
  if (watchedWindow_) {
    watchedWindow_->removeEventFilter(this);
    if (auto* ours = qobject_cast<platform::Window*>(watchedWindow_.data()))
      disconnect(ours, &platform::Window::didResignKey, this, &CameraControlsViewController::releaseSpaceShutter);
  }
  watchedWindow_ = nullptr;
  if (oCaptureButton) buttonUp(oCaptureButton);
  else CameraController::instance().shutterRelease();
  mSpacebarLock.unlock();
}

bool CameraControlsViewController::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watchedWindow_.data() && (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Hide))
    releaseSpaceShutter();
  return ViewController::eventFilter(watched, event);
}

// --- bulb clock and capture title ---

void CameraControlsViewController::setCaptureTitle(const char* key) {
  if (oCaptureButton) oCaptureButton->setTitle(QString::fromStdString(text(key)));
}

void CameraControlsViewController::bulbCaptureToggledNotification(const Notification& notification) {
  const bool on = notification.object.toBool();
  if (on) {
    if (oCaptureButton) oCaptureButton->setTitle(QStringLiteral("00:00"));
    mBulbSeconds = 0;
    mBulbTimer.start(1.0, true, [this] { bulbCount(); });
  } else {
    setCaptureTitle("Capture");
    mBulbTimer.invalidate();
  }
  if (oHalfPressButton) oHalfPressButton->setEnabled(!on);
}

void CameraControlsViewController::bulbCount() {
  ++mBulbSeconds;
  char clock[32];
  std::snprintf(clock, sizeof clock, "%02d:%02d", static_cast<int>(mBulbSeconds / 60), static_cast<int>(mBulbSeconds % 60));
  if (oCaptureButton) oCaptureButton->setTitle(QString::fromLatin1(clock));
}

void CameraControlsViewController::mirrorUpPropertyNotification(const Notification&) {
  setCaptureTitle(camMirrorUp() ? "MirrorUp" : "Capture");
}

// --- focus ---

void CameraControlsViewController::focusUpdated() {
  if (!oAfToggleButton) return;
  if (camIsAutoFocus()) {
    oAfToggleButton->setState(camIsCanon() && camIsManualFocus() ? 0 : 1);
    if (camIsFuji() && oHalfPressButton) oHalfPressButton->show();
  } else {
    oAfToggleButton->setState(0);
    if (camIsFuji() && oHalfPressButton) oHalfPressButton->hide();
  }
  oAfToggleButton->setEnabled(camFocusUpdated());
}

void CameraControlsViewController::setAfToggleButtonState(int state) {
  if (!oAfToggleButton) return;
  oAfToggleButton->setTitle(state == 1 ? QStringLiteral("AF") : QStringLiteral("MF"));
  oAfToggleButton->setState(state);
}

void CameraControlsViewController::afButtonAction(ToggleButton* sender) {
  ToggleButton* toggle = sender ? sender : oAfToggleButton;
  if (!toggle) return;
  const uint32_t manual = toggle->state() == 0 && toggle->isEnabled() ? 1 : 0;
  CommandBlockArray commands;
  commands.push_back(CommandBlock::initWithBlock([manual] { return int32_t{camSetManualFocus(manual, true)}; },
                                                 text("SetFocusMode")));
  Command::runCommands(std::move(commands), [alive = alive_, self = this](int32_t result) {
    const auto code = static_cast<uint16_t>(result);
    if (code != PTP_RC_OK) {
      Utilities::showErrorMessage(PtpErrors::appendString(text("FocusModeFailure"), code));
      return;
    }
    if (*alive && self->oAfToggleButton) self->oAfToggleButton->setState(camIsManualFocus() ? 0 : 1);
  });
}

void CameraControlsViewController::hasFocusNotification(const Notification&) {
  if (!oFocusIndicatorView) return;
  const bool focused = camHasFocus();
  oFocusIndicatorView->setVisible(focused);
  mFocusDotTimer.invalidate();
  if (focused && camIsFuji()) mFocusDotTimer.start(kFocusDotDelay, false, [this] { hideFocusDot(); });
}

void CameraControlsViewController::hideFocusDot() {
  if (oFocusIndicatorView) oFocusIndicatorView->hide();
}

// --- live view, movie mode, recording, flash ---

void CameraControlsViewController::liveViewButtonAction(ToggleButton* sender) {
  ToggleButton* toggle = sender ? sender : oLiveViewToggleButton;
  if (toggle) CameraController::instance().toggleLiveView(toggle->state() == 1, nullptr);
}

void CameraControlsViewController::videoButtonAction(ToggleButton* sender) {
  ToggleButton* toggle = sender ? sender : oVideoToggleButton;
  if (!toggle) return;
  const bool on = toggle->state() == 1;
  toggle->setState(on ? 1 : 0);
  CameraController::instance().toggleMovieMode(on, nullptr);
}

void CameraControlsViewController::flashButtonAction(ToggleButton* sender) {
  ToggleButton* toggle = sender ? sender : oFlashToggleButton;
  if (!toggle) return;
  const bool on = toggle->state() == 1;
  toggle->setState(on ? 1 : 0);
  CameraController::instance().toggleFlash(on);
}

void CameraControlsViewController::checkFlashStatus() {
  // The flash cannot be switched from the computer: its toggle never shows.
  if (oFlashToggleButton) oFlashToggleButton->hide();
}

void CameraControlsViewController::liveViewToggledNotification(const Notification& notification) {
  const bool on = notification.object.toBool();
  onMain([on](CameraControlsViewController& p) { p.liveViewToggled(on); });
}

void CameraControlsViewController::liveViewToggled(bool on) {
  if (oLiveViewToggleButton && camMovieToggleAvailable()) oLiveViewToggleButton->setState(on ? 1 : 0);
}

void CameraControlsViewController::movieModeToggledNotification(const Notification& notification) {
  const bool movie = notification.object.toBool();
  if (oVideoToggleButton) oVideoToggleButton->setState(movie ? 1 : 0);
  if (oHalfPressButton) oHalfPressButton->setEnabled(!movie);
  setCaptureTitle(movie ? "RecordingStart" : "Capture");
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  if (movie) {
    if (camIsNikon()) {
      if (const std::optional<Reading> mode = readRecord(roles.exposureMode)) setNikonMovieProperties(true, mode->value);
    } else if (camIsCanon()) {
      setCanonMovieProperties();
    }
  } else {
    if (camIsNikon()) {
      setNikonMovieProperties(false, 0);
    } else if (camIsCanon()) {
      setPropertyButton(nullptr, kCanonMovieFocusMode);
      setPropertyButton(oFocusModeButton, roles.focusMode);
    }
  }
}

void CameraControlsViewController::movieRecordingToggledNotification(const Notification& notification) {
  const bool recording = notification.object.toBool();
  if (oLiveViewToggleButton) oLiveViewToggleButton->setEnabled(!recording);
  if (oVideoToggleButton) oVideoToggleButton->setEnabled(!recording);
  setCaptureTitle(recording ? "RecordingStop" : "RecordingStart");
}

void CameraControlsViewController::setCanonMovieProperties() {
  setPropertyButton(nullptr, camVendorPropertyCodes().focusMode);
  setPropertyButton(oFocusModeButton, kCanonMovieFocusMode);
}

void CameraControlsViewController::setNikonMovieProperties(bool movieMode, uint32_t) {
  const VendorPropertyCodes roles = camVendorPropertyCodes();
  const struct {
    uint32_t movieCode, roleCode;
    SYFlatButton* button;
  } pairs[] = {{kNikonMovieIso, roles.iso, oIsoButton},
               {kNikonMovieAperture, roles.aperture, oApertureButton},
               {kNikonMovieShutter, roles.shutterSpeed, oShutterSpeedButton}};
  for (const auto& pair : pairs) {
    if (!propExists(pair.movieCode)) continue;
    setPropertyButton(nullptr, movieMode ? pair.roleCode : pair.movieCode);
    setPropertyButton(pair.button, movieMode ? pair.movieCode : pair.roleCode);
  }
  if (movieMode) {
    if (const std::optional<Reading> comp = readRecord(kNikonMovieExposureComp)) {
      exposureAdjusted(camExposureCompGet(comp->value));
      if (oExposureCompButton) oExposureCompButton->setEnabled(comp->enabled);
      if (oExposureCompensationView) oExposureCompensationView->setEnabled(comp->enabled);
    }
  } else if (propExists(kNikonMovieExposureComp)) {
    if (const std::optional<Reading> comp = readRecord(0x5010)) exposureAdjusted(camExposureCompGet(comp->value));
  }
}

// --- camera changes ---

void CameraControlsViewController::propertyUpdatedNotification(const Notification& notification) {
  propertyUpdated(Utilities::propertyCodeFromNotification(notification.name));
}

void CameraControlsViewController::propertyUpdated(uint32_t propertyCode) {
  if (propertyCode == 0) return;
  using Step = std::function<void(CameraControlsViewController&)>;
  // Read on the global queue from copies of the records; what is to change on the main thread comes back as a step.
  std::function<Step()> work = [propertyCode]() -> Step {
    const std::optional<Reading> record = readRecord(propertyCode);
    if (!record) return {};
    const VendorPropertyCodes roles = camVendorPropertyCodes();
    const bool movie = inMovieMode();
    const uint32_t value = record->value;
    if (propertyCode == roles.exposureMode) {
      const bool nikonMovie = camIsNikon() && movie;
      return [value, nikonMovie](CameraControlsViewController& p) {
        for (const auto& c : p.mPropertiesArray) c->autoExposureModeChanged(platform::Value(value));
        if (nikonMovie) p.setNikonMovieProperties(true, value);
      };
    }
    if (propertyCode == kNikonExposureIndicator) {
      if (movie) return {};
      const std::optional<Reading> mode = readRecord(roles.exposureMode);
      if (!mode || !camIsManualExposure(mode->value)) return {};
      // Signed sixths of a stop in the value's low byte.
      const float stops = static_cast<float>(static_cast<int8_t>(value & 0xFF)) / 6.0f;
      return [stops](CameraControlsViewController& p) { p.exposureAdjusted(stops); };
    }
    if (propertyCode == kNikonMovieExposureComp || propertyCode == roles.exposureCompensation) {
      if (movie && propertyCode == roles.exposureCompensation) return {};
      if (!movie && propertyCode == kNikonMovieExposureComp) return {};
      const float stops = camExposureCompGet(value);
      const bool enabled = record->enabled || camPropertyUpdated();
      return [stops, enabled](CameraControlsViewController& p) {
        p.mOrigExposureAdjustmentStop = stops;
        p.exposureAdjusted(stops);
        if (p.oExposureCompButton) p.oExposureCompButton->setEnabled(enabled);
        if (p.oExposureCompensationView) p.oExposureCompensationView->setEnabled(enabled);
      };
    }
    if ((roles.bracketing != 0 && propertyCode == roles.bracketing) || propertyCode == kNikonBracketingOn) {
      const std::optional<Reading> bracket =
          propertyCode == roles.bracketing ? record : readRecord(roles.bracketing);
      if (!bracket) return {};
      const float stops = camExposureCompCode(bracket->value);
      return [stops](CameraControlsViewController& p) {
        p.mOrigExposureBracketingStop = stops;
        p.bracketAdjusted(stops);
      };
    }
    if (propertyCode == kNikonBracketingProgram)
      return [](CameraControlsViewController& p) { p.bracketAdjusted(p.mOrigExposureBracketingStop); };
    if (propertyCode == 0x500C || propertyCode == 0xD120)
      return [](CameraControlsViewController& p) { p.checkFlashStatus(); };
    if (propertyCode == kNikonAutoIsoOn || propertyCode == kNikonAutoIsoSensitivity) {
      const bool automatic = value != 0;
      const uint32_t iso = roles.iso;
      return [automatic, iso](CameraControlsViewController& p) {
        p.setPropertyButton(nullptr, automatic ? iso : kNikonAutoIsoValue);
        p.setPropertyButton(p.oIsoButton, automatic ? kNikonAutoIsoValue : iso);
      };
    }
    return {};
  };
  const auto apply = [](CameraControlsViewController& p, Step step) {
    if (step) step(p);
  };
  // Called from another thread the panel is reached through the main thread first.
  onMain([work = std::move(work), apply](CameraControlsViewController& p) {
    p.inBackground<Step>(work, apply);
  });
}

// --- the scale ---

void CameraControlsViewController::exposureAdjusted(float stops) {
  struct Range {
    float max = 0, min = 0, bracket = 0;
    int32_t spacing = 0;
  };
  onMain([stops](CameraControlsViewController& p) {
    const uint64_t generation = ++p.scaleGeneration_;
    const bool movie = inMovieMode();
    p.inBackground<Range>(
        [movie] {
          return Range{camExposureCompMax(movie), camExposureCompMin(movie), camBracketMax(), camExposureCompCount()};
        },
        [stops, generation](CameraControlsViewController& q, Range r) {
          // A newer request, or the camera's own reading on the scale meanwhile: this one is dropped.
          if (generation != q.scaleGeneration_.load() || q.mDisplayingOlcInfo.load()) return;
          ExposureCompView* scale = q.oExposureCompensationView;
          if (!scale) return;
          scale->setExposureOffset(stops);
          scale->setMaxExposureComp(r.max);
          scale->setMinExposureComp(r.min);
          scale->setMaxExposureBracket(r.bracket);
          scale->setMinExposureBracket(-r.bracket);
          scale->setSpacing(r.spacing);
        });
  });
}

void CameraControlsViewController::bracketAdjusted(float stops) {
  onMain([stops](CameraControlsViewController& p) {
    const uint64_t generation = ++p.bracketGeneration_;
    if (p.oExposureCompensationView) p.oExposureCompensationView->clearBrackets(true);
    if (stops == 0) return;
    p.inBackground<std::vector<float>>(
        [stops] {
          // The engine writes one value per shot; the buffer holds more than any camera brackets.
          std::array<float, 512> buffer{};
          const int count = camBracketValues(buffer.data(), false, stops);
          if (count < 1 || count > kMostBracketMarks) return std::vector<float>{};
          return std::vector<float>(buffer.begin(), buffer.begin() + count);
        },
        [generation](CameraControlsViewController& q, std::vector<float> values) {
          if (generation != q.bracketGeneration_.load() || values.empty() || !q.oExposureCompensationView) return;
          q.oExposureCompensationView->replaceBrackets(std::move(values));
        });
  });
}

// --- Canon's own exposure reading ---

void CameraControlsViewController::olcExposureInfoUpdated(const Notification& notification) {
  const auto value = static_cast<uint32_t>(notification.object.toInteger());
  onMain([value](CameraControlsViewController& p) {
    p.inBackground<bool>([] { return camExposureCompMax(0) == 0.0f; },
                         [value](CameraControlsViewController& q, bool shown) {
                           if (shown) q.showOlcReading(value);
                         });
  });
}

void CameraControlsViewController::showOlcReading(uint32_t value) {
  ExposureCompView* scale = oExposureCompensationView;
  const auto reading = static_cast<int32_t>(value);
  if (reading == kOlcOverflow || reading == -kOlcOverflow) {
    mDisplayingOlcInfo = true;
    if (!scale) return;
    scale->setExposureOffset(0);
    scale->setMaxExposureComp(12);
    scale->setMinExposureComp(-12);
    if (reading > 0) scale->setRightOverflow(true);
    else scale->setLeftOverflow(true);
    return;
  }
  const float stops = canonEvCodeToFloat(value);
  const uint8_t model = camModelIndex();
  const bool latest = model == 229 || model == 251;
  if (latest && value == 0) {
    removeOlcExposureInfo();
    return;
  }
  mDisplayingOlcInfo = true;
  if (scale) {
    scale->setExposureOffset(stops);
    scale->setMaxExposureComp(12);
    scale->setMinExposureComp(-12);
  }
  if (latest) {
    if (scale) scale->setLeftOverflow(false);  // both arrows off
  } else {
    // Cleared 3.5 s after the last reading.
    mOlcClearTimer.invalidate();
    mOlcClearTimer.start(kOlcClearDelay, false, [this] { removeOlcExposureInfo(); });
  }
}

void CameraControlsViewController::removeOlcExposureInfo() {
  mOlcClearTimer.invalidate();
  mDisplayingOlcInfo = false;
  if (oExposureCompensationView) oExposureCompensationView->setLeftOverflow(false);
  exposureAdjusted(0);
}

// --- the exposure picker ---

uint32_t CameraControlsViewController::exposureCompCode() const {
  if (camIsNikon() && inMovieMode() && propExists(kNikonMovieExposureComp)) return kNikonMovieExposureComp;
  return camVendorPropertyCodes().exposureCompensation;
}

void CameraControlsViewController::showExposurePopup(SYFlatButton*) {
  const uint32_t code = exposureCompCode();
  const uint32_t bracketing = code == kNikonMovieExposureComp ? 0 : camVendorPropertyCodes().bracketing;
  if (code == 0 || !propExists(code)) return;
  if (mExposureCompPopover) {
    closeExposureCompView(mExposureCompViewController.get());
    return;
  }
  std::unique_ptr<AdjustExposureCompViewController> picker =
      AdjustExposureCompViewController::initWithExposureCompensation(code, propExists(bracketing) ? bracketing : 0);
  if (!picker) return;  // nothing to pick (no steps per stop)
  picker->setDelegate(this);
  auto* popover = new SFBPopover(picker.get());
  popover->setParent(this);
  applyCommonPopoverStyle(popover);
  popover->setPosition(SFBPopoverPositionBottom);
  mExposureCompViewController = std::move(picker);
  mExposureCompPopover = popover;
  QWidget* anchor = oExposureCompensationView ? static_cast<QWidget*>(oExposureCompensationView) : view();
  popover->displayPopoverInWindow(view()->window(), centreInWindow(anchor));
}

void CameraControlsViewController::closeExposureCompView(AdjustExposureCompViewController*) {
  SFBPopover* popover = mExposureCompPopover;
  mExposureCompPopover = nullptr;
  std::unique_ptr<platform::ViewController> picker = std::move(mExposureCompViewController);
  if (picker) static_cast<AdjustExposureCompViewController*>(picker.get())->setDelegate(nullptr);
  if (popover) popover->closePopover();
  // Not from inside the picker's own action: the picker goes once the popover's fade has ended.
  retirePopover(popover, std::move(picker));
}

void CameraControlsViewController::retirePopover(SFBPopover* popover, std::unique_ptr<platform::ViewController> content) {
  retired_.push_back({popover, std::move(content)});
  retireTimer_.invalidate();
  retireTimer_.start(0.5, false, [this] { purgeRetiredPopovers(false); });
}

void CameraControlsViewController::purgeRetiredPopovers(bool force) {
  for (auto it = retired_.begin(); it != retired_.end();) {
    SFBPopover* popover = it->popover.data();
    const bool fading = popover && popover->isVisible();
    if (fading && !force) {
      ++it;
      continue;
    }
    // A fade still running is ended first (the window jumps to its end), so that nothing of it outlives the
    // popover.
    if (fading) popover->popoverWindow()->setAlphaValue(0);
    delete popover;
    it = retired_.erase(it);  // the content after the popover that showed it
  }
  if (!retired_.empty() && !force) retireTimer_.start(0.5, false, [this] { purgeRetiredPopovers(false); });
}

void CameraControlsViewController::exposureCompValueSet(AdjustExposureCompViewController* picker) {
  if (!picker) return;
  CameraController::setProperty(exposureCompCode(), picker->selectedValue());
}

void CameraControlsViewController::exposureBracketingValueSet(AdjustExposureCompViewController* picker) {
  if (!picker) return;
  const std::string name = controls::propertyDisplayName(camVendorPropertyCodes().bracketing);
  const uint32_t value = camExposureCompStep(picker->selectedBracketing());
  controls::runPropertyCommand(
      name, [value] { return int32_t{camSetBracketing(value)}; },
      [name](uint16_t result) {
        if (!controls::propertySetSucceeded(result))
          Utilities::showErrorMessage(controls::propertySetErrorText(name), result);
      });
}

// --- automation panels ---

platform::ViewController* CameraControlsViewController::automationPanelController(AutomationPanel panel) const {
  switch (panel) {
    case AutomationPanel::FocusStack: return mFocusStackViewController.get();
    case AutomationPanel::Hdr: return mHdrViewController.get();
    case AutomationPanel::Timer: return mTimerViewController.get();
    case AutomationPanel::Tripod: return mTripodViewController.get();
  }
  return nullptr;
}

void CameraControlsViewController::openAutomationPanel(AutomationPanel panel, SYFlatButton* sender) {
  QPointer<SFBPopover>& slot = panel == AutomationPanel::FocusStack ? mFocusPopover : mTabPopover;
  // One panel per slot at a time; a slot whose popover has closed is emptied.
  if (slot && slot->isVisible()) return;
  if (slot) {
    retirePopover(slot.data(), nullptr);
    slot = nullptr;
  }
  std::unique_ptr<platform::ViewController>* controller = nullptr;
  switch (panel) {
    case AutomationPanel::FocusStack: controller = &mFocusStackViewController; break;
    case AutomationPanel::Hdr: controller = &mHdrViewController; break;
    case AutomationPanel::Timer: controller = &mTimerViewController; break;
    case AutomationPanel::Tripod: controller = &mTripodViewController; break;
  }
  if (!*controller) {
    // Made once, by the panel's factory (the program's own unless a test put another in place); a kind with no
    // factory opens nothing.
    auto factory = factories().find(panel);
    if (factory == factories().end() || !factory->second) return;
    AutomationPanelController made = factory->second();
    *controller = std::move(made.controller);
    mPopoverHandOver[panel] = std::move(made.setPopover);
  }
  if (!*controller) return;
  auto* popover = new SFBPopover(controller->get());
  popover->setParent(this);
  slot = popover;
  if (const auto& handOver = mPopoverHandOver[panel]) handOver(popover);
  applyCommonPopoverStyle(popover);
  popover->setPosition(SFBPopoverPositionBottomLeft);
  QWidget* anchor = sender ? static_cast<QWidget*>(sender) : view();
  popover->displayPopoverInWindow(view()->window(), centreInWindow(anchor));
}

void CameraControlsViewController::focusStackAction(SYFlatButton* sender) {
  openAutomationPanel(AutomationPanel::FocusStack, sender);
}
void CameraControlsViewController::hdrAction(SYFlatButton* sender) { openAutomationPanel(AutomationPanel::Hdr, sender); }
void CameraControlsViewController::timerAction(SYFlatButton* sender) {
  openAutomationPanel(AutomationPanel::Timer, sender);
}
void CameraControlsViewController::tripodAction(SYFlatButton* sender) {
  openAutomationPanel(AutomationPanel::Tripod, sender);
}

// --- host mode (Fujifilm) ---

void CameraControlsViewController::connectionHostModeChanged(const Notification& notification) {
  const bool host = notification.object.toBool();
  const auto enable = [](QWidget* w, bool on) {
    if (w) w->setEnabled(on);
  };
  if (host) {
    enable(oCaptureButton, true);
    if (oCaptureButton) oCaptureButton->setBackgroundNormalColor(Color::rgb(1.0, 0.23, 0.19, 1.0));
    enable(oHalfPressButton, true);
    if (oHalfPressButton) oHalfPressButton->setBackgroundNormalColor(Color::rgb(1.0, 0.8, 0.0, 1.0));
    enable(oFocusStackButton, camHostModeAvailable());
    enable(oTimerButton, true);
    enable(oHdrButton, Utilities::isHdrAvailable());
    enable(oVideoToggleButton, camMovieRecordingSupported());
    enable(oLiveViewToggleButton, camMovieToggleAvailable());
    focusUpdated();
  } else {
    for (SYFlatButton* b : {oCaptureButton, oHalfPressButton}) {
      enable(b, false);
      if (b) b->setBackgroundNormalColor(Color::rgb(0.6, 0.6, 0.6, 1.0));
    }
    for (QWidget* w : std::initializer_list<QWidget*>{oLiveViewToggleButton, oVideoToggleButton, oAfToggleButton,
                                                      oFocusStackButton, oTimerButton, oHdrButton})
      enable(w, false);
  }
}
