#pragma once
// The settings window (interface file "SettingsWindow"). Its controls are bound to their settings; the
// controller adds what bindings cannot do: it shows only the controls that fit the connected camera's vendor,
// maps the two combo boxes to numeric settings, passes the user's changes on to the device or the camera at once
// while connected, applies the file-name prefixes when the window closes, and offers the maintenance actions
// (save folder, clear the session, clear the cache, the device's battery, mirror-up).
//
// There is one settings window: the menu item and the gear buttons of the connection and tether-only windows all
// open it with showSettings(), which brings an open window to the front. (Two windows would each store their
// own stale prefixes on close and pass every change on twice.)
//
// Passing changes on: a change the user makes here is sent once it is stored; a setting that the session puts
// back (the device refused it) is shown, but not sent again. No exchange with the device runs on the main thread:
// the session's operations called here move their device work to workers, and their outcome comes back to the
// window through the settings the controls are bound to.
//
// Main thread only. The controller deletes itself once its window has closed.
#include <QPointer>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/foundation/value.h"
#include "platform/ui/observable_properties.h"
#include "platform/ui/window_controller.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class SettingsWindowValues;

class SettingsWindowController : public platform::WindowController {
  Q_OBJECT

 public:
  // The one settings window: the open one brought to the front (its vendor's controls brought up to date), else
  // a new one made from "SettingsWindow", shown key and in front. Returns its controller.
  static SettingsWindowController* showSettings();
  // The window controllers' common name for the same operation.
  static SettingsWindowController* createAndShowWindow() { return showSettings(); }
  // The controller of the open settings window, or null.
  static SettingsWindowController* current();

  ~SettingsWindowController() override;

  // --- what the window does ---
  // Shows the controls that fit the connected camera: Fujifilm's raw switch, Canon's focus step (enabled) and
  // mirror-up (when the body has it), host mode for Nikon and Fujifilm, the SD copy except for Sony and Fujifilm.
  void updateVendorControls();
  // Passes a change the user made to `key` on to the device or the camera, when the connection allows it.
  void observeValueForKeyPath(const std::string& key);
  // "AutoViewImages" = index; "FocusStackingIncrementSize" = index + 1.
  void autoViewComboBoxAction(int index);
  void focusStackIncrementComboBoxAction(int index);
  void browseForDownloadFolder();
  void clearSession();
  // Asks first; clears the cache folder when the user chooses Delete.
  void clearCache();
  void showBatteryStats();
  // Refused with a warning while live view, movie mode or a recording runs; otherwise "MirrorUp" = on and the
  // camera is told.
  void mirrorUpToggled(bool on);
  void windowDidBecomeKey();
  // Posts "JWNotification_RefreshMenu": sender this controller, no object selected.
  void refreshMenu();
  // Whether the prefixes typed in the window may be stored: the window refuses to close, with a message, while
  // one of them is refused (the text stays for the user to mend).
  bool windowShouldClose();
  // Stores and applies the prefixes (the window is closing).
  void windowWillClose();

  // --- what the auto-view combo box shows ---
  platform::ValueArray autoViewValues() const;
  void setAutoViewValues(const platform::ValueArray& values);
  std::string autoViewValue() const;
  void setAutoViewValue(const std::string& value);

  // "SdPrefix" as it was when the window opened.
  const std::string& sdCardFilePrefixAtOpen() const { return mSdCardFilePrefix; }

  // --- outlets ---
  QPushButton* oButton = nullptr;  // chooses the save folder
  QComboBox* oAutoViewComboBox = nullptr;
  QCheckBox* oFujiRawCheckButton = nullptr;
  QLineEdit* oSdImagePrefixTextField = nullptr;
  QLineEdit* oPrefixTextField = nullptr;
  QCheckBox* oMirrorUpCheckBox = nullptr;
  QCheckBox* oConnectionModeCheckBox = nullptr;
  QCheckBox* oAutoSdTransferCheckBox = nullptr;
  QComboBox* oCanonFocusStepSizeComboBox = nullptr;

 protected:
  void windowDidLoad() override;

 private:
  SettingsWindowController();

  // A value the user gave a bound control: checked, stored and passed on.
  void userChangedSetting(const std::string& key, const platform::Value& value);
  void bindControls();
  void observeSettings();
  void stopObserving();
  // The combo boxes' selections from their settings (any thread).
  void showAutoViewSetting(const platform::Value& value);
  void showFocusStepSetting(const platform::Value& value);
  void warn(const std::string& message);

  std::string mSdCardFilePrefix;
  std::shared_ptr<SettingsWindowValues> mValues;
  std::shared_ptr<platform::ObservableProperties> mProperties = platform::ObservableProperties::make();
  platform::ObservableProperty<platform::Value> mAutoViewValues{mProperties, "autoViewValues"};  // an array of texts
  platform::ObservableProperty<std::string> mAutoViewValue{mProperties, "autoViewValue"};
  platform::ObservableProperty<int> mAutoViewIndex{mProperties, "autoViewIndex", 0};
  platform::ObservableProperty<int> mFocusStepIndex{mProperties, "focusStepIndex", 0};
  std::vector<platform::ObserverToken> mObservers;
  bool mObservingSettings = false;
  bool mClosed = false;
};
