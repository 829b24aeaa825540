#pragma once
// The capture control panel: the column of controls beside the image in the camera window. The shutter and
// half-press buttons (and the space bar as the shutter), toggles for live view, movie mode and AF/MF (the flash
// toggle stays hidden), one button per camera setting each driven by a PropertyController, the exposure scale with
// its picker, a green focus dot, and the buttons that open the focus-stacking, HDR, timer and tripod panels in
// popovers of one common style.
//
// It turns the session's notifications (posted on the engine's event thread) into button states, titles and scale
// marks on the main thread, and the user's clicks into calls on the session controller, the command runner and
// the engine. Engine records are read as copies under their locks; the controllers keep codes. Work that waits
// (the global queue's reads, the on-screen reading's 3.5 s clear, the focus dot's 3 s hide) never reaches a panel
// that is gone. The panel's property controllers end with their session (a new connection status) and are made
// again when the next one starts.
//
// The four automation panels (focus stacking, HDR, timer, tripod head) are made by factories, the program's own
// unless a test puts others in place (setAutomationPanelFactory).
//
//   auto panel = std::make_unique<CameraControlsViewController>();   // from "CameraControlsView"
//   cameraWindowColumn->addWidget(panel->view());                  // loads it: buttons, observers, key monitors
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "controls/adjust_exposure_comp_view_controller.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/value.h"
#include "platform/ui/event_monitor.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_controller.h"
#include "session/property_change_callback.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

class ExposureCompView;
class PropertyController;
class SFBPopover;
class ToggleButton;
namespace platform {
class View;
}

// The automation panels the panel opens, and how the application makes each: the panel's controller and the
// hand-over of the popover that shows it (the panel keeps it for its own closing).
enum class AutomationPanel { FocusStack, Hdr, Timer, Tripod };
struct AutomationPanelController {
  std::unique_ptr<platform::ViewController> controller;
  std::function<void(SFBPopover*)> setPopover;  // may be empty
};
using AutomationPanelFactory = std::function<AutomationPanelController()>;

class CameraControlsViewController : public platform::ViewController,
                                     public SYFlatButtonDelegate,
                                     public PropertyChangeCallbackDelegate,
                                     public AdjustExposureCompViewDelegate {
  Q_OBJECT

 public:
  CameraControlsViewController();
  ~CameraControlsViewController() override;

  // --- the automation panels' seam ---
  // The four panels are the program's own (focus stacking, HDR, timer, tripod head). A test may put another
  // factory in place for every control panel (none: the button opens nothing) and puts the program's back with
  // resetAutomationPanelFactories. Main thread.
  static void setAutomationPanelFactory(AutomationPanel panel, AutomationPanelFactory factory);
  static void resetAutomationPanelFactories();
  // The style every popover of the panel shows with (clear border, no border width, distance 12, background
  // RGBA (0, 0, 0, 0.2), animated).
  static void applyCommonPopoverStyle(SFBPopover* popover);

  // --- actions of the interface file ---
  void focusStackAction(SYFlatButton* sender);
  void hdrAction(SYFlatButton* sender);
  void timerAction(SYFlatButton* sender);
  void tripodAction(SYFlatButton* sender);
  void showExposurePopup(SYFlatButton* sender);
  void liveViewButtonAction(ToggleButton* sender);
  void afButtonAction(ToggleButton* sender);
  void videoButtonAction(ToggleButton* sender);
  void flashButtonAction(ToggleButton* sender);

  // --- SYFlatButtonDelegate: the shutter and half-press buttons ---
  void buttonDown(SYFlatButton* button) override;
  void buttonUp(SYFlatButton* button) override;

  // --- AdjustExposureCompViewDelegate ---
  void exposureCompValueSet(AdjustExposureCompViewController* picker) override;
  void exposureBracketingValueSet(AdjustExposureCompViewController* picker) override;
  void closeExposureCompView(AdjustExposureCompViewController* picker) override;

  // --- notification handlers (any thread: each hops to the main thread) ---
  void bulbCaptureToggledNotification(const platform::Notification& notification);
  void liveViewToggledNotification(const platform::Notification& notification);
  void movieModeToggledNotification(const platform::Notification& notification);
  void movieRecordingToggledNotification(const platform::Notification& notification);
  void mirrorUpPropertyNotification(const platform::Notification& notification);
  void connectionHostModeChanged(const platform::Notification& notification);
  void hasFocusNotification(const platform::Notification& notification);
  void olcExposureInfoUpdated(const platform::Notification& notification);
  void propertyUpdatedNotification(const platform::Notification& notification);
  void checkFlashStatus();
  void focusUpdated();

  // --- steps ---
  // A camera change of a property: read on the global queue, shown on the main thread.
  void propertyUpdated(uint32_t propertyCode) override;
  // The scale centred on a compensation, with the camera's range and steps (ignored while the camera's own
  // reading shows), and the bracket marks for a bracket (stops).
  void exposureAdjusted(float stops);
  void bracketAdjusted(float stops);
  void liveViewToggled(bool on);
  void bulbCount();
  void removeOlcExposureInfo();
  void setCanonMovieProperties();
  void setNikonMovieProperties(bool movieMode, uint32_t autoExposureValue);
  // Gives the button to the first controller of the code (null detaches it); false when there is none.
  bool setPropertyButton(SYFlatButton* button, uint32_t propertyCode);
  PropertyController* propertyControllerForPropertyCode(uint32_t propertyCode) const;
  void setAfToggleButtonState(int state);

  // --- for the camera window and tests ---
  const std::vector<std::shared_ptr<PropertyController>>& propertyControllers() const { return mPropertiesArray; }
  int32_t bulbSeconds() const { return mBulbSeconds; }
  bool isBulbClockRunning() const { return mBulbTimer.isValid(); }
  bool isDisplayingOlcInfo() const { return mDisplayingOlcInfo.load(); }
  bool isOlcClearPending() const { return mOlcClearTimer.isValid(); }
  bool isSpaceShutterHeld() const { return spaceHeld_; }
  SFBPopover* exposureCompPopover() const { return mExposureCompPopover; }
  AdjustExposureCompViewController* exposureCompPicker() const { return mExposureCompViewController.get(); }
  SFBPopover* focusPopover() const { return mFocusPopover; }
  SFBPopover* tabPopover() const { return mTabPopover; }
  platform::ViewController* automationPanelController(AutomationPanel panel) const;
  // Runs the work queued so far on the global queue (reads of the camera's records) and its main-queue steps.
  // For tests: they wait for this to turn true.
  bool isIdle() const { return pending_.load() == 0; }

  // Delays (seconds) of the on-screen reading's clear and of the focus dot's hide.
  static constexpr double kOlcClearDelay = 3.5;
  static constexpr double kFocusDotDelay = 3.0;

  // Outlets.
  SYFlatButton* oCaptureButton = nullptr;
  SYFlatButton* oHalfPressButton = nullptr;
  ToggleButton* oLiveViewToggleButton = nullptr;
  ToggleButton* oAfToggleButton = nullptr;
  ToggleButton* oVideoToggleButton = nullptr;
  ToggleButton* oFlashToggleButton = nullptr;
  platform::View* oFocusIndicatorView = nullptr;
  SYFlatButton* oApertureButton = nullptr;
  SYFlatButton* oShutterSpeedButton = nullptr;
  SYFlatButton* oIsoButton = nullptr;
  SYFlatButton* oFocusModeButton = nullptr;
  SYFlatButton* oMeteringModeButton = nullptr;
  SYFlatButton* oImageFormatButton = nullptr;
  SYFlatButton* oDriveModeButton = nullptr;
  SYFlatButton* oWhiteBalanceButton = nullptr;
  SYFlatButton* oExposureModeButton = nullptr;
  SYFlatButton* oExposureCompButton = nullptr;
  SYFlatButton* oSonyExposureCompButton = nullptr;
  SYFlatButton* oSonyFocusAreaButton = nullptr;
  ExposureCompView* oExposureCompensationView = nullptr;
  SYFlatButton* oFocusStackButton = nullptr;
  SYFlatButton* oHdrButton = nullptr;
  SYFlatButton* oTimerButton = nullptr;
  SYFlatButton* oTripodButton = nullptr;

 protected:
  void viewDidLoad() override;
  void viewDidLayout() override;
  bool performAction(const platform::Action& action) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void observe();
  void loadProperties();
  void checkTripodButton();
  void endSession();
  void addController(uint32_t code, SYFlatButton* button);
  // Runs `f` with the panel on the main thread: at once there, else queued (dropped once the panel is gone).
  void onMain(std::function<void(CameraControlsViewController&)> f);
  // Runs `work` on the global queue (it must not touch the panel), then `then` with its result on the main
  // thread while the panel lives.
  template <class R>
  void inBackground(std::function<R()> work, std::function<void(CameraControlsViewController&, R)> then);
  void observeNamed(const std::string& name, void (CameraControlsViewController::*handler)(const platform::Notification&));
  void observeProperty(uint32_t code, void (CameraControlsViewController::*handler)(const platform::Notification&));
  void observePropertyPlain(uint32_t code, void (CameraControlsViewController::*handler)());
  void setCaptureTitle(const char* key);
  // The space bar.
  platform::EventDisposition spaceDown(const QKeyEvent& event);
  platform::EventDisposition spaceUp(const QKeyEvent& event);
  // Releases the shutter that the space bar pressed (the key went up, or the window lost the keyboard).
  void releaseSpaceShutter();
  bool panelWindowIsKey() const;
  void openAutomationPanel(AutomationPanel panel, SYFlatButton* sender);
  void hideFocusDot();
  // Keeps a closed popover (and the picker it shows) until its fade has ended, then lets both go: deleting it
  // mid-fade would end the fade from inside its own destruction.
  void retirePopover(SFBPopover* popover, std::unique_ptr<platform::ViewController> content);
  void purgeRetiredPopovers(bool force);
  uint32_t exposureCompCode() const;
  void showOlcReading(uint32_t value);

  std::vector<std::shared_ptr<PropertyController>> mPropertiesArray;
  int32_t mBulbSeconds = 0;
  platform::Timer mBulbTimer;
  std::atomic<bool> mDisplayingOlcInfo{false};
  platform::Timer mOlcClearTimer;
  platform::Timer mFocusDotTimer;
  platform::Timer mNikonStartTimer;
  std::atomic<float> mOrigExposureAdjustmentStop{0};
  std::atomic<float> mOrigExposureBracketingStop{0};
  std::unique_ptr<platform::ViewController> mFocusStackViewController, mHdrViewController, mTimerViewController,
      mTripodViewController;
  std::map<AutomationPanel, std::function<void(SFBPopover*)>> mPopoverHandOver;
  QPointer<SFBPopover> mFocusPopover, mTabPopover, mExposureCompPopover;
  std::unique_ptr<AdjustExposureCompViewController> mExposureCompViewController;
  struct RetiredPopover {
    QPointer<SFBPopover> popover;
    std::unique_ptr<platform::ViewController> content;
  };
  std::vector<RetiredPopover> retired_;
  platform::Timer retireTimer_;
  platform::EventMonitorId mKeyDownMonitor = 0, mKeyUpMonitor = 0;
  // Held while the space bar holds the shutter: taken without waiting by the key-down, released by the key-up or
  // by the window losing the keyboard (main thread only).
  std::mutex mSpacebarLock;
  bool spaceHeld_ = false;
  QPointer<QWidget> watchedWindow_;
  bool sessionEnded_ = false;
  // Newest request of the scale and of its bracket marks: an older answer from the global queue is dropped.
  std::atomic<uint64_t> scaleGeneration_{0}, bracketGeneration_{0};
  std::atomic<int> pending_{0};
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
