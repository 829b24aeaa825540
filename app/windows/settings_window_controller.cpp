#include "app/windows/settings_window_controller.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "app/windows/app_notifications.h"
#include "app/windows/settings_file_prefix.h"
#include "app/windows/settings_window_values.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/object_cache.h"
#include "engine/vendors/dispatch.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/control_binding.h"
#include "platform/ui/formatter.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "ui_SettingsWindow.h"
#include "widgets/jw_alert.h"

VX_INTERFACE_FILE("SettingsWindow", Ui::SettingsWindow);

namespace {

// The auto-view choices, at the indexes of "AutoViewImages".
const char* const kAutoViewChoices[] = {"Thumbnails only", "Show each new picture", "Show pictures the camera changes",
                                        "Download in the background"};
constexpr int kAutoViewChoiceCount = 4;
// Canon's focus step sizes, at "FocusStackingIncrementSize" - 1.
const char* const kFocusStepChoices[] = {"Small", "Medium", "Large"};
constexpr int kFocusStepChoiceCount = 3;

// The settings whose controls are plain bindings ("value" of a check box or text field).
struct BoundControl {
  const char* outlet;
  const char* key;
};
constexpr BoundControl kBoundControls[] = {
    {"oIpAddressTextField", "ipAddress"},
    {"oAutoReconnectCheckBox", "AutoReconnect"},
    {"oConnectionModeCheckBox", "HostMode"},
    {"oQuickRawCheckBox", "QuickRawMode"},
    {"oLoadMissedImagesCheckBox", "LoadMissedImages"},
    {"oAutoReloadSessionCheckBox", "AutoReloadSession"},
    {"oFujiRawCheckButton", "SaveFujiRaws"},
    {"oPrependOriginalNameCheckBox", "PrependOriginalName"},
    {"oCacheSizeTextField", "CacheSizeGB"},
    {"oMirrorUpCheckBox", "MirrorUp"},
    {"oAutoSdTransferCheckBox", "SdCardAutoTransfer"},
    {"oShareEnabledCheckBox", "VorlaxentShareEnabled"},
    {"oShareLiveViewCheckBox", "ShareLiveView"},
    {"oShareClientsCanSaveCheckBox", "ShareClientsCanSave"},
    {"oAutoShareThumbnailsCheckBox", "AutoShareThumbnails"},
    {"oAutoShareImagesCheckBox", "AutoShareImages"},
    {"oShowWatermarkCheckBox", "ShowWatermark"},
    {"oWatermarkTextField", "WatermarkText"},
    {"oWatermarkSaveCheckBox", "WatermarkSave"},
};
// Controls that only mean something while another setting is on.
constexpr BoundControl kEnabledBy[] = {
    {"oShareLiveViewCheckBox", "VorlaxentShareEnabled"},  {"oShareClientsCanSaveCheckBox", "VorlaxentShareEnabled"},
    {"oAutoShareThumbnailsCheckBox", "VorlaxentShareEnabled"}, {"oAutoShareImagesCheckBox", "VorlaxentShareEnabled"},
    {"oWatermarkTextField", "ShowWatermark"},            {"oWatermarkSizeComboBox", "ShowWatermark"},
    {"oWatermarkLocationComboBox", "ShowWatermark"},     {"oWatermarkSaveCheckBox", "ShowWatermark"},
};

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

QPointer<SettingsWindowController>& theController() {
  static QPointer<SettingsWindowController> controller;
  return controller;
}

// Where the download naming is handed to the object cache: it may wait for the cache's lock and scan the save
// folder, neither of which belongs on the main thread; one at a time, so the last close wins.
platform::DispatchQueue& namingQueue() {
  static auto* const queue =
      new std::shared_ptr<platform::DispatchQueue>(platform::createSerialQueue("com.vorlaxent.settings.naming"));
  return **queue;
}

template <class T>
T* outletOf(QWidget* root, const char* name) {
  return root->findChild<T*>(QString::fromLatin1(name));
}

bool connected() {
  const int32_t status = Utilities::currentConnectionStatus();
  return status == kConnectionStatusCameraConnected || status == kConnectionStatusDeviceConnected;
}

// The selection for a setting that names an entry directly (0 to count - 1); anything else selects the first.
int entryAt(const platform::Value& value, int count) {
  const int64_t index = value.toInteger();
  return index >= 0 && index < count ? static_cast<int>(index) : 0;
}

// The entry nearest to a size (1 to count): below the list the first, above it the last.
int nearestEntry(const platform::Value& value, int count) {
  const double size = value.toDouble();
  if (!std::isfinite(size)) return 0;
  return static_cast<int>(std::clamp<double>(std::round(size), 1, count)) - 1;
}

}  // namespace

// --- the one window ---------------------------------------------------------------------------------------------

SettingsWindowController* SettingsWindowController::showSettings() {
  SettingsWindowController* controller = theController();
  if (!controller) {
    controller = new SettingsWindowController();
    theController() = controller;
  } else {
    controller->updateVendorControls();
  }
  controller->showWindow();
  return controller;
}

SettingsWindowController* SettingsWindowController::current() { return theController(); }

SettingsWindowController::SettingsWindowController() : platform::WindowController(QStringLiteral("SettingsWindow")) {}

SettingsWindowController::~SettingsWindowController() {
  stopObserving();
  if (mValues) mValues->detach();
  if (theController() == this) theController() = nullptr;
}

// --- set-up -----------------------------------------------------------------------------------------------------

void SettingsWindowController::windowDidLoad() {
  platform::Window* w = window();
  QWidget* root = w->contentView();
  w->setWindowTitle(QStringLiteral("Settings"));
  oButton = outletOf<QPushButton>(root, "oButton");
  oAutoViewComboBox = outletOf<QComboBox>(root, "oAutoViewComboBox");
  oFujiRawCheckButton = outletOf<QCheckBox>(root, "oFujiRawCheckButton");
  oSdImagePrefixTextField = outletOf<QLineEdit>(root, "oSdImagePrefixTextField");
  oPrefixTextField = outletOf<QLineEdit>(root, "oPrefixTextField");
  oMirrorUpCheckBox = outletOf<QCheckBox>(root, "oMirrorUpCheckBox");
  oConnectionModeCheckBox = outletOf<QCheckBox>(root, "oConnectionModeCheckBox");
  oAutoSdTransferCheckBox = outletOf<QCheckBox>(root, "oAutoSdTransferCheckBox");
  oCanonFocusStepSizeComboBox = outletOf<QComboBox>(root, "oCanonFocusStepSizeComboBox");

  // Window events: becoming key, and the close (which may be refused while a prefix is).
  connect(w, &platform::Window::didBecomeKey, this, [this] { windowDidBecomeKey(); });
  w->setCloseRequestHandler([this] { return windowShouldClose(); });
  // The settings the controls show and the user changes.
  bindControls();
  observeSettings();
  // What fits the connected camera.
  updateVendorControls();
  // The SD prefix as it is now, to tell at the close whether the user changed it.
  mSdCardFilePrefix = defaults().stringForKey("SdPrefix");
  if (oSdImagePrefixTextField) oSdImagePrefixTextField->setText(QString::fromStdString(mSdCardFilePrefix));
  if (oPrefixTextField) oPrefixTextField->setText(QString::fromStdString(defaults().stringForKey("CustomFileName")));

  if (QPushButton* b = outletOf<QPushButton>(root, "oClearSessionButton"))
    connect(b, &QPushButton::clicked, this, [this] { clearSession(); });
  if (QPushButton* b = outletOf<QPushButton>(root, "oClearCacheButton"))
    connect(b, &QPushButton::clicked, this, [this] { clearCache(); });
  if (QPushButton* b = outletOf<QPushButton>(root, "oBatteryStatsButton"))
    connect(b, &QPushButton::clicked, this, [this] { showBatteryStats(); });
  if (oButton) connect(oButton, &QPushButton::clicked, this, [this] { browseForDownloadFolder(); });

  root->adjustSize();
  w->setContentSize(platform::Size{double(root->width()), double(root->height())});
}

void SettingsWindowController::bindControls() {
  QWidget* root = window()->contentView();
  mValues = std::make_shared<SettingsWindowValues>(
      defaults(), [this](const std::string& key, const platform::Value& value) { userChangedSetting(key, value); });
  auto settings = [this](const std::string& key) { return platform::BindingInfo{mValues, "values." + key}; };

  if (auto* cacheSize = outletOf<QLineEdit>(root, "oCacheSizeTextField")) {
    auto gigabytes = std::make_shared<platform::NumberFormatter>();
    gigabytes->setAllowsFloats(false);
    gigabytes->setMinimum(1);
    gigabytes->setMaximum(1000);
    platform::setFormatter(cacheSize, gigabytes);
  }
  for (const BoundControl& c : kBoundControls)
    if (QWidget* control = outletOf<QWidget>(root, c.outlet))
      platform::bind(control, "value", settings(c.key));
  for (const BoundControl& c : kEnabledBy)
    if (QWidget* control = outletOf<QWidget>(root, c.outlet))
      platform::bind(control, "enabled", settings(c.key));
  for (auto [outlet, key] : {std::pair{"oWatermarkSizeComboBox", "WatermarkSize"},
                             std::pair{"oWatermarkLocationComboBox", "WatermarkLocation"}})
    if (QWidget* combo = outletOf<QComboBox>(root, outlet))
      platform::bind(combo, "selectedIndex", settings(key));
  if (QLabel* folder = outletOf<QLabel>(root, "oSaveFolderLabel"))
    platform::bind(folder, "value", settings("SaveFolderPath"));

  // The two combo boxes that stand for numbers: their selections are the controller's own, set from the
  // settings and written back through the two actions.
  platform::ValueArray choices;
  for (const char* choice : kAutoViewChoices) choices.emplace_back(choice);
  setAutoViewValues(choices);
  mAutoViewIndex.setSetter([this](int index) { autoViewComboBoxAction(index); });
  mFocusStepIndex.setSetter([this](int index) { focusStackIncrementComboBoxAction(index); });
  if (oAutoViewComboBox) {
    platform::bind(oAutoViewComboBox, "content", {mProperties, "autoViewValues"});
    platform::bind(oAutoViewComboBox, "selectedIndex", {mProperties, "autoViewIndex"});
  }
  if (oCanonFocusStepSizeComboBox) {
    for (const char* choice : kFocusStepChoices) oCanonFocusStepSizeComboBox->addItem(QString::fromLatin1(choice));
    platform::bind(oCanonFocusStepSizeComboBox, "selectedIndex", {mProperties, "focusStepIndex"});
  }
}

void SettingsWindowController::observeSettings() {
  mObservingSettings = true;
  platform::UserDefaults& settings = defaults();
  settings.addObserver(this, "AutoViewImages", [this](const std::string&, const platform::Value& v) { showAutoViewSetting(v); });
  settings.addObserver(this, "FocusStackingIncrementSize",
                       [this](const std::string&, const platform::Value& v) { showFocusStepSetting(v); });
  showAutoViewSetting(settings.objectForKey("AutoViewImages"));
  showFocusStepSetting(settings.objectForKey("FocusStackingIncrementSize"));

  platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
  platform::Window* own = window();
  // Its own window's close.
  mObservers.push_back(center.addObserverForName(
      platform::NSWindowWillCloseNotification, nullptr, [this, own](const platform::Notification& n) {
        if (n.object.object<QWidget>().get() == own) windowWillClose();
      }));
  // A session that starts while the window is open brings its camera's controls.
  QPointer<SettingsWindowController> self(this);
  mObservers.push_back(center.addObserverForName(kSessionStartedNotification, nullptr, [self](const platform::Notification&) {
    platform::runOnMainThread([self] {
      if (self) self->updateVendorControls();
    });
  }));
}

void SettingsWindowController::stopObserving() {
  if (mObservingSettings) defaults().removeObserver(this);
  mObservingSettings = false;
  for (const platform::ObserverToken& token : mObservers) platform::NotificationCenter::defaultCenter().removeObserver(token);
  mObservers.clear();
}

void SettingsWindowController::showAutoViewSetting(const platform::Value& value) {
  const int index = entryAt(value, kAutoViewChoiceCount);
  mAutoViewIndex.set(index);
  mAutoViewValue.set(kAutoViewChoices[index]);
}

void SettingsWindowController::showFocusStepSetting(const platform::Value& value) {
  mFocusStepIndex.set(nearestEntry(value, kFocusStepChoiceCount));
}

void SettingsWindowController::updateVendorControls() {
  if (!isWindowLoaded()) return;
  const bool canon = camIsCanon(), nikon = camIsNikon(), fuji = camIsFuji(), sony = camIsSony();
  if (oFujiRawCheckButton) oFujiRawCheckButton->setVisible(fuji);
  if (oCanonFocusStepSizeComboBox) oCanonFocusStepSizeComboBox->setEnabled(canon);
  if (oMirrorUpCheckBox) oMirrorUpCheckBox->setVisible(canon && camHasMirrorUp());
  if (oConnectionModeCheckBox) oConnectionModeCheckBox->setVisible(nikon || fuji);
  if (oAutoSdTransferCheckBox) oAutoSdTransferCheckBox->setVisible(!fuji && !sony);
}

// --- the user's changes -----------------------------------------------------------------------------------------

void SettingsWindowController::userChangedSetting(const std::string& key, const platform::Value& value) {
  if (key == "MirrorUp") {
    mirrorUpToggled(value.toBool());
    return;
  }
  if (key == "WatermarkText") {
    const SettingsTextProblem problem = checkWatermarkText(value.toString());
    if (problem != SettingsTextProblem::None) {
      warn(settingsTextProblemMessage(problem, false));
      return;
    }
  }
  const platform::Value before = defaults().objectForKey(key);
  if (!defaults().setObject(value, key) || defaults().objectForKey(key) == before) return;
  observeValueForKeyPath(key);
}

void SettingsWindowController::observeValueForKeyPath(const std::string& key) {
  platform::UserDefaults& settings = defaults();
  if (key == "HostMode") {
    if (Utilities::currentConnectionStatus() == kConnectionStatusCameraConnected && (camIsNikon() || camIsFuji()))
      CameraController::instance().toggleHostMode(settings.boolForKey("HostMode"));
  } else if (key == "SaveFujiRaws") {
    Utilities::sendSaveFujiRaws(settings.boolForKey("SaveFujiRaws"));
  } else if (key == "VorlaxentShareEnabled") {
    if (connected()) Utilities::sendSharingEnabledFlag();
  } else if (key == "ShareLiveView") {
    if (connected()) Utilities::refreshLiveViewSharing();
  } else if (key == "ShareClientsCanSave") {
    if (connected()) Utilities::sendCanSaveToClients(settings.boolForKey("ShareClientsCanSave"));
  } else if (key == "SdCardAutoTransfer") {
    if (connected()) platform::NotificationCenter::defaultCenter().postNotificationName(kUpdateSdTransferNotification);
  }
}

void SettingsWindowController::autoViewComboBoxAction(int index) {
  defaults().setInteger(index, "AutoViewImages");
}

void SettingsWindowController::focusStackIncrementComboBoxAction(int index) {
  defaults().setInteger(index + 1, "FocusStackingIncrementSize");
}

void SettingsWindowController::mirrorUpToggled(bool on) {
  if (CameraController::instance().liveViewStatus() != 0) {
    // The box goes back to the setting once this returns (the binding shows what "MirrorUp" holds).
    warn(platform::localizedString("MirrorModeTLiveView"));
    return;
  }
  defaults().setBool(on, "MirrorUp");
  CameraController::instance().toggleCanonMirrorUpMode(on);
}

// --- maintenance ------------------------------------------------------------------------------------------------

void SettingsWindowController::browseForDownloadFolder() { Utilities::selectSaveDataDirectory(); }

void SettingsWindowController::clearSession() { CameraController::instance().clearSession(); }

void SettingsWindowController::clearCache() {
  auto alert = JW_Alert::jwAlertWithStyle(0);
  alert->setTitleText(QString::fromStdString(platform::localizedString("DeletePromptTitle")));
  alert->setInformationText(
      QStringLiteral("Deleting the cache will delete all downloaded images. Would you like to continue?"));
  alert->setOkButtonText(QString::fromStdString(platform::localizedString("Delete")),
                         [](QObject*) { Utilities::clearCache(); });
  alert->setCancelButtonText(QString::fromStdString(platform::localizedString("Cancel")), nullptr);
  alert->show();
}

void SettingsWindowController::showBatteryStats() { Utilities::showBatteryInfo(); }

// --- window events ----------------------------------------------------------------------------------------------

void SettingsWindowController::windowDidBecomeKey() { refreshMenu(); }

void SettingsWindowController::refreshMenu() {
  postRefreshMenu(this, false);
}

bool SettingsWindowController::windowShouldClose() {
  struct Field {
    QLineEdit* field;
    SettingsTextProblem problem;
    bool sdCard;
  };
  const Field fields[] = {
      {oPrefixTextField, oPrefixTextField ? checkDownloadPrefix(oPrefixTextField->text().toStdString()) : SettingsTextProblem::None, false},
      {oSdImagePrefixTextField,
       oSdImagePrefixTextField ? checkSdCardPrefix(oSdImagePrefixTextField->text().toStdString()) : SettingsTextProblem::None,
       true},
  };
  for (const Field& f : fields) {
    if (f.problem == SettingsTextProblem::None) continue;
    f.field->setFocus();
    f.field->selectAll();
    warn(settingsTextProblemMessage(f.problem, f.sdCard));
    return false;
  }
  return true;
}

void SettingsWindowController::windowWillClose() {
  if (mClosed) return;
  mClosed = true;
  platform::UserDefaults& settings = defaults();
  const std::string sdPrefix = oSdImagePrefixTextField ? oSdImagePrefixTextField->text().toStdString() : mSdCardFilePrefix;
  const std::string fileName = oPrefixTextField ? oPrefixTextField->text().toStdString() : settings.stringForKey("CustomFileName");
  // A refused prefix (a close the window could not stop) keeps the stored one.
  const bool sdPrefixUsable = checkSdCardPrefix(sdPrefix) == SettingsTextProblem::None;
  // The SD card's prefix.
  if (sdPrefixUsable) settings.setString(sdPrefix, "SdPrefix");
  // The download prefix, and the object cache's naming with it.
  if (checkDownloadPrefix(fileName) == SettingsTextProblem::None) {
    settings.setString(fileName, "CustomFileName");
    const bool prepend = settings.boolForKey("PrependOriginalName");
    namingQueue().async([fileName, prepend] { objCacheSetFileNamePrefix(fileName, prepend); });
  }
  // A changed SD prefix goes to the device.
  if (sdPrefixUsable && sdPrefix != mSdCardFilePrefix && connected())
    platform::NotificationCenter::defaultCenter().postNotificationName(kUpdateSdTransferNotification);
  // Nothing more is observed, and the next showSettings makes a new window.
  stopObserving();
  if (mValues) mValues->detach();
  if (theController() == this) theController() = nullptr;
  deleteLater();
}

// --- the auto-view combo box's texts ----------------------------------------------------------------------------

platform::ValueArray SettingsWindowController::autoViewValues() const { return mAutoViewValues.get().toArray(); }
void SettingsWindowController::setAutoViewValues(const platform::ValueArray& values) { mAutoViewValues.set(platform::Value(values)); }
std::string SettingsWindowController::autoViewValue() const { return mAutoViewValue.get(); }
void SettingsWindowController::setAutoViewValue(const std::string& value) { mAutoViewValue.set(value); }

// --- messages ---------------------------------------------------------------------------------------------------

void SettingsWindowController::warn(const std::string& message) {
  // Shown once the control's event has been handled: a modal alert inside a close request or a binding's write
  // would run its loop in the middle of them.
  platform::mainQueue().async([message] { Utilities::showWarningMessage(message); });
}
