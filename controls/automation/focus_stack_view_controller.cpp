#include "controls/automation/focus_stack_view_controller.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>
#include <cmath>

#include "controls/automation/focus_stack_state.h"
#include "controls/interface_actions.h"
#include "engine/automation/focus_stack.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/graphics/font.h"
#include "platform/graphics/named_images.h"
#include "platform/ui/control_binding.h"
#include "platform/ui/image_view.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "ui_FocusWindow.h"
#include "widgets/color_view.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("FocusWindow", Ui::FocusWindow);

namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

constexpr const char* kOverlayTextName = "oOverlayText";
// Overlays leave the title row (the top 35 points) usable; the stack overlay also leaves the nudges usable.
constexpr double kFullOverlayLessHigh = 35;
constexpr double kStackOverlayLessHigh = 125;
constexpr double kConfigurationShotHeight = 110;
// A message longer than this takes a second line.
constexpr size_t kOneLineLength = 29;

std::string propertyNotificationName(uint32_t code) { return "JW_" + std::to_string(code); }

}  // namespace

FocusStackViewController::FocusStackViewController()
    : ViewController("FocusWindow"), mState(std::make_shared<focus_stack::State>()) {
  setup();
}

FocusStackViewController::~FocusStackViewController() {
  auto& center = platform::NotificationCenter::defaultCenter();
  for (const platform::ObserverToken& token : mObservers) center.removeObserver(token);
  defaults().removeObserver(this);
}

// --- set-up and loading ---

void FocusStackViewController::setup() {
  mCanon = camIsCanon();
  if (!mCanon) defaults().setBool(false, "FocusStackingDoReset");
  mIsAdvancedShown = false;
  clearFocusStacking();
  mFocalLength = 0;

  auto& center = platform::NotificationCenter::defaultCenter();
  const QPointer<FocusStackViewController> self(this);
  auto observe = [&](const std::string& name, std::function<void(FocusStackViewController&, const std::string&)> handler) {
    mObservers.push_back(center.addObserverForName(name, nullptr, [self, handler](const platform::Notification& n) {
      // Posted on any thread: the panel reacts on the main queue, while it lives.
      focus_stack::onPanel(self, [handler, name = n.name](FocusStackViewController& panel) { handler(panel, name); });
    }));
  };
  observe(kLiveViewToggledNotification, [](FocusStackViewController& p, const std::string&) { p.checkEnabled(); });
  const VendorPropertyCodes codes = camVendorPropertyCodes();
  std::vector<uint32_t> watched{0x5008, codes.aperture, codes.exposureMode};
  if (camIsSony() || camIsFuji()) watched.push_back(codes.focusMode);
  std::sort(watched.begin(), watched.end());
  watched.erase(std::unique(watched.begin(), watched.end()), watched.end());
  for (uint32_t code : watched) {
    if (code == 0) continue;
    observe(propertyNotificationName(code),
            [](FocusStackViewController& p, const std::string& name) { p.propertyUpdatedNotification(name); });
  }
  observe(kCanonFocalLengthUpdatedNotification, [](FocusStackViewController& p, const std::string&) { p.checkFocalLength(); });
  observe(kFocusChangedNotification, [](FocusStackViewController& p, const std::string&) { p.clearFocusStacking(); });
  observe(kSessionStartedNotification, [](FocusStackViewController& p, const std::string&) { p.clearFocusStacking(); });
  observeSettings();
}

void FocusStackViewController::observeSettings() {
  const QPointer<FocusStackViewController> self(this);
  defaults().addObserver(this, "ClassicFocusStacking", [self](const std::string&, const platform::Value&) {
    focus_stack::onPanel(self, [](FocusStackViewController& p) { p.classicSettingChanged(); });
  });
  defaults().addObserver(this, "FocusStackCorrectionFactor", [self](const std::string&, const platform::Value&) {
    focus_stack::onPanel(self, [](FocusStackViewController& p) { p.updateAutoStackParameters(false); });
  });
  if (mCanon) {
    // Positions are shown from the near end while the lens is reset before each positioning.
    defaults().addObserver(this, "FocusStackingDoReset", [self](const std::string&, const platform::Value&) {
      focus_stack::onPanel(self, [](FocusStackViewController& p) { p.updateStepsGui(); });
    });
  }
}

void FocusStackViewController::viewDidLoad() {
  oSmallCloserChangeButton = outlet<SYFlatButton>("oSmallCloserChangeButton");
  oMediumCloserChangeButton = outlet<SYFlatButton>("oMediumCloserChangeButton");
  oLargeCloserChangeButton = outlet<SYFlatButton>("oLargeCloserChangeButton");
  oSmallFartherChangeButton = outlet<SYFlatButton>("oSmallFartherChangeButton");
  oMediumFartherChangeButton = outlet<SYFlatButton>("oMediumFartherChangeButton");
  oLargeFartherChangeButton = outlet<SYFlatButton>("oLargeFartherChangeButton");
  oSetStartButton = outlet<SYFlatButton>("oSetStartButton");
  oSetEndButton = outlet<SYFlatButton>("oSetEndButton");
  oStartButton = outlet<SYFlatButton>("oStartButton");
  oStartImageView = outlet<platform::ImageView>("oStartImageView");
  oEndImageView = outlet<platform::ImageView>("oEndImageView");
  oGotoOneButton = outlet<SYFlatButton>("oGotoOneButton");
  oGotoTwoButton = outlet<SYFlatButton>("oGotoTwoButton");
  oCloseButton = outlet<SYFlatButton>("oCloseButton");
  oFocusStackingLabel = outlet<QLabel>("oFocusStackingLabel");
  oStepsLabel = outlet<QLabel>("oStepsLabel");
  oShowAdvancedButton = outlet<SYFlatButton>("oShowAdvancedButton");
  oFocalLengthTextField = outlet<QLineEdit>("oFocalLengthTextField");
  oAdjustmentFactorTextField = outlet<QLineEdit>("oAdjustmentFactorTextField");
  oNumShotsTextField = outlet<QLineEdit>("oNumShotsTextField");
  oStepSizeTextField = outlet<QLineEdit>("oStepSizeTextField");
  oClassicStackView = outlet<ColorView>("oClassicStackView");
  oClassicNumShotsTextField = outlet<QLineEdit>("oClassicNumShotsTextField");
  oClassicStepSizeComboBox = outlet<QComboBox>("oClassicStepSizeComboBox");
  oFeedbackView = outlet<ColorView>("oFeedbackView");
  oFeedbackTextField = outlet<QLabel>("oFeedbackTextField");
  oFeedbackProgressIndicator = outlet<QProgressBar>("oFeedbackProgressIndicator");
  controls::connectInterfaceActions(view());

  checkFocusStackStartEnabled(nullptr);
  oShowAdvancedButton->setImage(VorlaxentStyleKit::imageOfPlusWithSize(platform::boundsOf(oShowAdvancedButton).size));
  // The correction factor is the setting itself.
  platform::bindValue(oAdjustmentFactorTextField,
                      {platform::UserDefaultsController::sharedUserDefaultsController(), "values.FocusStackCorrectionFactor"});
  // The classic controls lie over the end-point controls, at the panel's bottom edge.
  const platform::Rect classicFrame = platform::frameOf(oClassicStackView);
  platform::setFrame(oClassicStackView, {{0, 0}, classicFrame.size});
  oClassicStackView->raise();
  oClassicStackView->setVisible(defaults().boolForKey("ClassicFocusStacking"));
  oClassicNumShotsTextField->setText("5");
  oClassicStepSizeComboBox->setCurrentIndex(1);
  mClassicStepSize = 2;
  oFeedbackView->hide();
}

void FocusStackViewController::viewWillLayout() {
  if (oSmallCloserChangeButton && oSmallCloserChangeButton->image().isNull()) {
    const auto arrow = [](SYFlatButton* button, double scale, bool closer) {
      const platform::Size full = platform::boundsOf(button).size;
      const platform::Size size{full.width * scale, full.height * scale};
      button->setImage(closer ? VorlaxentStyleKit::imageOfFocusArrowDownWithSize(size, false, true)
                              : VorlaxentStyleKit::imageOfFocusArrowUpWithSize(size, false, true));
    };
    arrow(oSmallCloserChangeButton, 0.5, true);
    arrow(oMediumCloserChangeButton, 0.75, true);
    arrow(oLargeCloserChangeButton, 1.0, true);
    arrow(oSmallFartherChangeButton, 0.5, false);
    arrow(oMediumFartherChangeButton, 0.75, false);
    arrow(oLargeFartherChangeButton, 1.0, false);
    const platform::Size close = platform::boundsOf(oCloseButton).size;
    oCloseButton->setImage(VorlaxentStyleKit::imageOfXMarkWithSize({close.width - 4, close.height - 4}));
  }
  checkEnabled();
}

void FocusStackViewController::viewDidAppear() { checkFocalLength(); }

bool FocusStackViewController::performAction(const platform::Action& action) {
  const std::string& a = action.name;
  if (a == "driveLens:") {
    if (auto* button = action.sender<SYFlatButton>()) driveLens(button->tag());
  } else if (a == "dismiss:") {
    dismiss();
  } else if (a == "toggleAdvanced:") {
    toggleAdvanced();
  } else if (a == "configurationShotAction:") {
    configurationShotAction();
  } else if (a == "setStartPoint:") {
    setStartPoint();
  } else if (a == "setEndPoint:") {
    setEndPoint();
  } else if (a == "moveToPointOne:") {
    moveToPointOne();
  } else if (a == "moveToPointTwo:") {
    moveToPointTwo();
  } else if (a == "startFocusStack:") {
    startFocusStack();
  } else if (a == "cancelFocusStack:") {
    cancelFocusStack();
  } else {
    return ViewController::performAction(action);
  }
  return true;
}

void FocusStackViewController::onMain(void (FocusStackViewController::*work)()) {
  if (platform::isMainThread()) {
    (this->*work)();
    return;
  }
  focus_stack::onPanel(focus_stack::PanelRef(this), [work](FocusStackViewController& p) { (p.*work)(); });
}

// --- popover and advanced section ---

void FocusStackViewController::setPopover(SFBPopover* popover) { mParentPopover = popover; }

void FocusStackViewController::dismiss() {
  if (mParentPopover) mParentPopover->closePopover();
}

void FocusStackViewController::setPanelHeight(double height) {
  const platform::Rect frame = platform::frameOf(view());
  const platform::Rect resized{frame.origin, {kWidth, height}};
  platform::setFrame(view(), resized);
  setPreferredContentSize({kWidth, height});
  if (SFBPopover* popover = mParentPopover.data()) {
    popover->popoverWindow()->setContentSize({kWidth, height});
    // The popover's frame keeps its content view where it was placed: it is placed again at its new size.
    popover->popoverWindow()->popoverWindowFrame()->placeContentView(view(), resized);
  }
}

void FocusStackViewController::toggleAdvanced() {
  setPanelHeight(mIsAdvancedShown ? kCollapsedHeight : kExpandedHeight);
  mIsAdvancedShown = !mIsAdvancedShown;
  if (mIsAdvancedShown)
    oShowAdvancedButton->setImage(platform::imageNamed("ArrowUp"));
  else
    oShowAdvancedButton->setImage(VorlaxentStyleKit::imageOfPlusWithSize(platform::boundsOf(oShowAdvancedButton).size));
}

void FocusStackViewController::collapseAdvanced() {
  if (mIsAdvancedShown) toggleAdvanced();
}

// --- availability and overlays ---

void FocusStackViewController::checkEnabled() {
  if (!platform::isMainThread()) return onMain(&FocusStackViewController::checkEnabled);
  if (!isViewLoaded()) return;
  if (!camIsFuji() && CameraController::instance().liveViewStatus() == 0) {
    addDisabledView(platform::localizedString("LiveViewOnRequired"));
    return;
  }
  if ((camIsFuji() || camIsSony()) && camIsAutoFocus()) {
    addDisabledView(platform::localizedString("FocusChangeMustBeManualFocus"));
    return;
  }
  if (mDisabledView) {
    mDisabledView->deleteLater();
    mDisabledView = nullptr;
  }
  if (!focusStackEnabled()) {
    addStackDisabledView(platform::localizedString("FocusStackingUnsupported"));
  } else if (focusStackCheck()) {
    if (mStackDisabledView) {
      mStackDisabledView->deleteLater();
      mStackDisabledView = nullptr;
    }
    checkFocalLength();
  } else if (!mStackDisabledView) {
    // Folded first, so that the overlay is made for the panel's folded size.
    collapseAdvanced();
    addStackDisabledView(platform::localizedString("ExposureModeNotAperture"));
  } else {
    checkFocalLength();
  }
}

QWidget* FocusStackViewController::makeOverlay(const std::string& text, double lessHigh, double growWhenLong) {
  const platform::Rect panel = platform::boundsOf(view());
  auto* overlay = new platform::View(view());
  platform::setFrame(overlay, {{0, 0}, {panel.size.width, panel.size.height - lessHigh}});
  const platform::Rect bounds = platform::boundsOf(overlay);

  auto* veil = new ColorView(overlay);
  veil->setBackgroundColor(platform::Color::blackColor());
  veil->layer().setOpacity(0.65);
  platform::setFrame(veil, bounds);

  auto* field = new QLabel(QString::fromStdString(text), overlay);
  field->setObjectName(kOverlayTextName);
  field->setAlignment(Qt::AlignCenter);
  field->setWordWrap(true);
  field->setFont(platform::Font::named("AvenirNext-Medium", 18).qfont());
  field->setStyleSheet("color: white; background-color: rgba(255, 59, 48, 255); border-radius: 4px;");
  const double width = std::floor(std::min(bounds.size.width, 250.0));
  double y = bounds.size.height / 2 - 25;
  double height = 45;
  if (text.size() > kOneLineLength) {
    y -= 8;
    height += growWhenLong;
  }
  platform::setFrame(field, {{std::floor((bounds.size.width - width) / 2), y}, {width, height}});
  overlay->show();
  overlay->raise();
  return overlay;
}

void FocusStackViewController::addDisabledView(const std::string& text) {
  if (!isViewLoaded()) return;
  if (mDisabledView) mDisabledView->deleteLater();
  mDisabledView = makeOverlay(text, kFullOverlayLessHigh, 16);
  mDisabledView->setObjectName("oDisabledView");
  if (mStackDisabledView) {
    mStackDisabledView->deleteLater();
    mStackDisabledView = nullptr;
  }
}

void FocusStackViewController::addStackDisabledView(const std::string& text) {
  if (!isViewLoaded() || mStackDisabledView) return;
  mStackDisabledView = makeOverlay(text, kStackOverlayLessHigh, 30);
  mStackDisabledView->setObjectName("oStackDisabledView");
}

std::string FocusStackViewController::overlayText(const QWidget* overlay) {
  if (!overlay) return {};
  const auto* field = overlay->findChild<QLabel*>(kOverlayTextName);
  return field ? field->text().toStdString() : std::string();
}

void FocusStackViewController::showInstructions() {
  Utilities::showInfoMessage(platform::localizedString("FocusStackingInstructions"),
                             platform::localizedString("FocusStacking"));
}

// --- focal length and the configuration shot ---

void FocusStackViewController::checkFocalLength() {
  if (!platform::isMainThread()) return onMain(&FocusStackViewController::checkFocalLength);
  if (!camIsCanon() && !camIsNikon() && !camIsFuji()) return;
  mFocalLength = CameraController::focalLength();
  if (camIsCanon() && mFocalLength == 0 && !defaults().boolForKey("ClassicFocusStacking")) {
    showConfigurationShotButton();
    return;
  }
  if (isViewLoaded()) oFocalLengthTextField->setText(QString("%1mm").arg(mFocalLength));
  removeConfigurationShotButton();
}

void FocusStackViewController::showConfigurationShotButton() {
  if (!isViewLoaded() || mDisabledView || mConfigurationShotView) return;
  collapseAdvanced();
  const double width = platform::boundsOf(view()).size.width;
  auto* overlay = new platform::View(view());
  overlay->setObjectName("oConfigurationShotView");
  platform::setFrame(overlay, {{0, 0}, {width, kConfigurationShotHeight}});
  auto* veil = new ColorView(overlay);
  veil->setBackgroundColor(platform::Color::blackColor());
  veil->layer().setOpacity(0.75);
  platform::setFrame(veil, platform::boundsOf(overlay));
  auto* button = new SYFlatButton(overlay);
  button->setObjectName("oConfigurationShotButton");
  button->setTitle("Take Configuration Shot");
  button->setMomentary(true);
  button->setCornerRadius(6);
  button->setBackgroundNormalColor(platform::Color::rgb(0.55, 0.25, 0.75));
  button->setBackgroundHighlightColor(platform::Color::rgb(0.65, 0.35, 0.85));
  button->setTitleNormalColor(platform::Color::whiteColor());
  button->setTitleHighlightColor(platform::Color::whiteColor());
  button->setProperty("action", "configurationShotAction:");
  platform::setFrame(button, {{(width - 220) / 2, 45}, {220, 40}});
  controls::connectInterfaceActions(overlay);
  overlay->show();
  overlay->raise();
  mConfigurationShotView = overlay;
}

void FocusStackViewController::removeConfigurationShotButton() {
  if (!mConfigurationShotView) return;
  mConfigurationShotView->deleteLater();
  mConfigurationShotView = nullptr;
}

void FocusStackViewController::configurationShotAction() { CameraController::instance().takeImageForFocalLength(); }

// --- property and setting changes ---

void FocusStackViewController::liveViewToggledNotification() { checkEnabled(); }

void FocusStackViewController::canonFocalLengthUpdated() { checkFocalLength(); }

void FocusStackViewController::propertyUpdatedNotification(const std::string& name) {
  if (!platform::isMainThread()) {
    focus_stack::onPanel(focus_stack::PanelRef(this),
                         [name](FocusStackViewController& p) { p.propertyUpdatedNotification(name); });
    return;
  }
  const uint32_t code = Utilities::propertyCodeFromNotification(name);
  if (code == 0 || !propExists(code)) return;
  const VendorPropertyCodes codes = camVendorPropertyCodes();
  if (code == 0x5008) checkFocalLength();
  if (code == codes.aperture) updateAutoStackParameters(false);
  if (code == codes.exposureMode) {
    updateAutoStackParameters(false);
    checkEnabled();
  }
  if (code == codes.focusMode && (camIsSony() || camIsFuji())) checkEnabled();
}

void FocusStackViewController::classicSettingChanged() {
  if (isViewLoaded()) oClassicStackView->setVisible(defaults().boolForKey("ClassicFocusStacking"));
  // The configuration shot serves the end-point way only.
  checkFocalLength();
}
