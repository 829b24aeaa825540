#pragma once
// The HDR bracketing panel (interface file "HdrWindow"): the user picks the property to step (aperture, shutter
// speed or ISO; in the camera's bulb setting the bulb time around a typed midpoint), its start value, the step
// and the number of shots, and starts the bracket, which the device then runs on its own. The panel prepares the
// camera first (its own bracketing off, single-shot drive if the user agrees), frees live view, sends one automation
// request and follows the device's progress reports with a progress view.
//
// The capture panel makes it once and shows it in a widget-kit popover each time:
//   auto hdr = std::make_unique<HdrViewController>();
//   auto* popover = new SFBPopover(hdr.get());
//   hdr->setPopover(popover);                       // its close button closes that popover
//
// Live view: when live view runs at the start (and the setting "AutoViewImages" is off, not on Fujifilm), the
// panel takes the session's live-view lock before the request and holds it until the device reports the end of
// the sequence, so no frame is fetched while the device brackets; closing the popover mid-bracket keeps it, a
// failed start gives it back at once.
//
// The bracket's settings are kept in the setting "HdrValues", which the timer panel reads through the four class
// operations. Notifications arrive on other threads and are handled on the main queue, holding the panel weakly.
// Main thread only.
#include <QLabel>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/pickers/property_values_view_controller.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/value.h"
#include "platform/ui/popover.h"
#include "platform/ui/view_controller.h"

class QProgressBar;
class SFBPopover;
class SYFlatButton;
namespace platform {
class ImageView;
}

class HdrViewController : public platform::ViewController,
                          public PropertyValuesViewDelegate,
                          public platform::PopoverDelegate {
  Q_OBJECT

 public:
  HdrViewController();
  ~HdrViewController() override;

  // The widget-kit popover the panel sits in (not owned); its close button closes it.
  void setPopover(SFBPopover* popover);

  // --- actions ---
  void propertyButtonPressed();
  void propertyValueButtonPressed();
  void stepSizeButtonPressed();
  void numShotsButtonPressed();
  void copyFromCamera();
  void startHdr();
  void cancelHdr();
  void dismiss();

  // --- picker and popover delegate ---
  void buttonSelected(int64_t value, PropertyValuesViewController* picker) override;
  void popoverDidClose(platform::Popover* popover) override;

  // --- the saved bracket ("HdrValues"), for the timer panel: 0 when there is none ---
  static uint32_t propertyCode();
  static uint32_t stepSize();
  static uint32_t numberShots();
  static uint32_t initialPropertyValue();

  // --- internal operations, named as the panel names them ---
  void setSelectedPropertyValue();
  void refreshNumShots();
  void calculateEndPoints(unsigned shots);
  void checkBulbChanged();
  void autoExposureModeChanged();
  void checkStepSizeField();
  void updateEnabled();
  void disableInCameraBracketing();
  void updateHdrActiveViewWithShotsTaken(int taken, int total);
  void hdrFeedbackNotificationRecieved(const platform::Notification& notification);
  void hdrCompleteNotification();
  void movieModeNotificationRecieved(const platform::Notification& notification);
  platform::ValueDictionary saveStateToDictionary() const;
  void loadStateDictionary(const platform::ValueDictionary* dictionary);

  // --- state, for the capture panel and tests ---
  uint32_t selectedPropertyCode() const { return mSelectedPropertyCode; }
  int64_t selectedPropertyValue() const { return mSelectedPropertyValue; }
  unsigned selectedStepSize() const { return mSelectedStepSize; }
  unsigned selectedNumShotsIndex() const { return mSelectedNumShotsIndex; }
  unsigned startPoint() const { return mStartPoint; }
  bool isEnabled() const { return mEnabled; }
  bool isBulbMode() const { return mBulbMode; }
  bool hasLiveViewLock() const { return mRun->hasLiveViewLock.load(); }
  // The progress view is on show (a bracket runs).
  bool isFeedbackShown() const;
  // The overlay that says why the panel cannot be used, or null.
  QWidget* disabledView() const { return mDisabledView; }
  QLabel* disabledTextView() const { return mDisabledTextView; }
  PropertyValuesViewController* valuesViewController() const { return mValuesViewController.get(); }
  platform::Popover* pickerPopover() const { return mPopover.get(); }

  // Outlets.
  platform::ImageView* oPropertyImageView = nullptr;
  platform::ImageView* oNumShotsImageView = nullptr;
  platform::ImageView* oStartValueImageView = nullptr;
  platform::ImageView* oStepSizeImageView = nullptr;
  platform::ImageView* oArrowsImageView = nullptr;
  QLabel* oPropertyLabel = nullptr;
  QLabel* oPropertyValueLabel = nullptr;
  QLabel* oStepSizeLabel = nullptr;
  QLabel* oNumShotsLabel = nullptr;
  QLabel* oStartValueLabel = nullptr;
  QLabel* oEndValueLabel = nullptr;
  QLabel* oHdrDirectionLabel = nullptr;
  SYFlatButton* oPropertyButton = nullptr;
  SYFlatButton* oStartValueButton = nullptr;
  SYFlatButton* oStepSizeButton = nullptr;
  SYFlatButton* oNumShotsButton = nullptr;
  SYFlatButton* oCameraCopyButton = nullptr;
  SYFlatButton* oStartButton = nullptr;
  SYFlatButton* oCloseButton = nullptr;
  QWidget* oFeedbackView = nullptr;
  QLabel* oShotsRemainingLabel = nullptr;
  QProgressBar* oProgressView = nullptr;

  // How long a successful switch-off of the camera's own bracketing may take to show in the camera's report.
  static constexpr double kBracketingOffWait = 3.0;

 protected:
  void viewDidLoad() override;
  void viewWillAppear() override;
  void viewDidDisappear() override;
  void viewDidLayout() override;
  bool performAction(const platform::Action& action) override;

 private:
  enum class Picker { None, Property, Value, StepSize, Shots };

  // What the command runner's blocks share with the panel: they may outlive it.
  struct Run {
    std::atomic<bool> hasLiveViewLock{false};
    std::atomic<bool> panelGone{false};
    // Gives the live-view lock back when it is held; any thread.
    void releaseLiveViewLock();
  };

  void setup();
  void finishAutoExposureModeChanged();
  void askForSingleDrive();
  void sendStart(unsigned shots, float delay);
  void openPicker(Picker kind, SYFlatButton* anchor, std::unique_ptr<PropertyValuesViewController> picker,
                  double aspectRatio, int64_t selected);
  void askForBulbMidpoint();
  void cleanupPopover();
  // The largest shot count the property's list (or the bulb range) allows now.
  int maxShots() const;
  std::vector<std::string> propertyNames() const;
  void buildDisabledView(const QString& message);

  uint32_t mSelectedPropertyCode = 0;
  int64_t mSelectedPropertyValue = -1;
  unsigned mSelectedStepSize = 1;
  unsigned mSelectedNumShotsIndex = 0;
  unsigned mStartPoint = 0;
  int64_t mCurrentStepsInStop = 0;
  bool mIgnoreDriveMode = false;
  bool mEnabledMovieMode = true;
  bool mEnabledAutoExposureMode = true;
  bool mEnabled = true;
  bool mBulbMode = false;
  bool mBracketingDisableTried = false;  // the last start switched the camera's bracketing off
  bool mRunEnded = false;                // the device reported an end since the last start was sent
  bool mArrowsDrawn = false;
  std::shared_ptr<Run> mRun = std::make_shared<Run>();
  QPointer<SFBPopover> mParentPopover;
  QPointer<QWidget> mDisabledView;
  QPointer<QLabel> mDisabledTextView;
  Picker mPicker = Picker::None;
  std::unique_ptr<platform::Popover> mPopover;
  std::unique_ptr<PropertyValuesViewController> mValuesViewController;
};
