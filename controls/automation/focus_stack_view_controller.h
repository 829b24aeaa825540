#pragma once
// The focus-stacking panel that the capture control panel shows in a popover (interface file "FocusWindow", 346
// points wide, 260 high or 398 with its advanced section).
//
// The user nudges the lens with six buttons (their tags: sign the direction, positive toward the near end,
// magnitude 1 to 3 the size), marks a start (near) and an end (far) point and starts a run that drives the lens
// from one to the other, one picture per focus position; or, with "ClassicFocusStacking", gives a shot count and a
// step size to the engine's classic run. Overlays explain why the panel cannot be used (live view off, autofocus,
// an unsupported camera or exposure mode), and a Canon panel without a focal length asks for a configuration shot.
//
// Threads: the panel lives on the main thread. Lens drives run through the command runner and runs on the global
// queue; both work on the panel's position state (focus_stack_state.h, shared and atomic) rather than on the panel,
// and reach the panel only through the main queue and a guarded pointer, so a panel closed and released while its
// run goes on is never touched. Runs hold the live-view lock from start to end.
//
// The file holds the panel's shell; focus_stack_positioning.cpp the end points, nudges and positioning, and
// focus_stack_runs.cpp the runs, cancelling and the progress display.
#include <QPointer>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/ptp/response_code.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/view_controller.h"
#include "widgets/sfb_popover.h"

class ColorView;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class SYFlatButton;
namespace platform {
class ImageView;
class View;
}  // namespace platform
namespace focus_stack {
struct State;
}

class FocusStackViewController : public platform::ViewController {
  Q_OBJECT

 public:
  static constexpr double kWidth = 346;
  static constexpr double kCollapsedHeight = 260;
  static constexpr double kExpandedHeight = 398;

  FocusStackViewController();
  ~FocusStackViewController() override;

  // --- shell ---
  // The popover that shows the panel (not owned; the panel keeps a guarded reference).
  void setPopover(SFBPopover* popover);
  SFBPopover* popover() const { return mParentPopover; }
  // Interface actions.
  void dismiss();
  void toggleAdvanced();
  void configurationShotAction();

  void checkEnabled();
  void checkFocalLength();
  void showConfigurationShotButton();
  void removeConfigurationShotButton();
  void addDisabledView(const std::string& text);
  void addStackDisabledView(const std::string& text);
  void showInstructions();

  // Notification handlers (any thread: they continue on the main queue).
  void liveViewToggledNotification();
  void propertyUpdatedNotification(const std::string& name);
  void canonFocalLengthUpdated();

  // --- end points, nudges and positioning ---
  void driveLens(int64_t tag);
  void setStartPoint();
  void setEndPoint();
  void moveToPointOne();
  void moveToPointTwo();
  // `sender`: the set button whose press caused the update, or null.
  void checkFocusStackStartEnabled(QObject* sender);
  void clearFocusStacking();
  bool bothEndPointsSet() const;
  void updateStepsGui();
  void updateAutoStackParameters(bool report);
  // Lens steps between shots for the current vendor; 0 when they cannot be worked out (see focus_stack_math.h).
  int stepsBetweenShotsForAperture(float aperture, float focalLength) const;
  int focalLength();
  void classicDriveLens(int64_t tag);
  // On the calling thread (a worker): drives the lens to the start (1) or end (2) point.
  ResponseCode moveToPosition(int point);
  ResponseCode moveToStartOfFocalRange();

  // --- runs ---
  void startFocusStack();
  void startClassicFocusStack();
  void cancelFocusStack();
  ResponseCode toggleFocusForStack();
  // On the calling thread (a worker), with the live-view lock held by the caller.
  ResponseCode doFocusStackInBackgroundWithStepSize(int64_t step, bool hdr);
  ResponseCode doClassicFocusStackInBackgroundWithNumShots(int64_t shots, int64_t stepSize);
  // Main thread (other threads continue there).
  void displayFocusStackFeedback(int64_t total);
  void updateFocusStackFeedback(uint32_t shotsTaken);
  void dismissFocusStackFeedback();

  // --- state, for the windows that show it and for tests ---
  int64_t currentSteps() const;
  int64_t nearStep() const;
  int64_t farStep() const;
  bool nearPointSet() const { return mNearPointSet; }
  bool farPointSet() const { return mFarPointSet; }
  bool isAdvancedShown() const { return mIsAdvancedShown; }
  bool isRunning() const;
  QWidget* disabledView() const { return mDisabledView; }
  QWidget* stackDisabledView() const { return mStackDisabledView; }
  QWidget* configurationShotView() const { return mConfigurationShotView; }
  // The text an overlay shows (empty without one).
  static std::string overlayText(const QWidget* overlay);

  // Outlets.
  SYFlatButton* oSmallCloserChangeButton = nullptr;
  SYFlatButton* oMediumCloserChangeButton = nullptr;
  SYFlatButton* oLargeCloserChangeButton = nullptr;
  SYFlatButton* oSmallFartherChangeButton = nullptr;
  SYFlatButton* oMediumFartherChangeButton = nullptr;
  SYFlatButton* oLargeFartherChangeButton = nullptr;
  SYFlatButton* oSetStartButton = nullptr;
  SYFlatButton* oSetEndButton = nullptr;
  SYFlatButton* oStartButton = nullptr;
  platform::ImageView* oStartImageView = nullptr;
  platform::ImageView* oEndImageView = nullptr;
  SYFlatButton* oGotoOneButton = nullptr;
  SYFlatButton* oGotoTwoButton = nullptr;
  SYFlatButton* oCloseButton = nullptr;
  QLabel* oFocusStackingLabel = nullptr;
  QLabel* oStepsLabel = nullptr;
  SYFlatButton* oShowAdvancedButton = nullptr;
  QLineEdit* oFocalLengthTextField = nullptr;
  QLineEdit* oAdjustmentFactorTextField = nullptr;
  QLineEdit* oNumShotsTextField = nullptr;
  QLineEdit* oStepSizeTextField = nullptr;
  ColorView* oClassicStackView = nullptr;
  QLineEdit* oClassicNumShotsTextField = nullptr;
  QComboBox* oClassicStepSizeComboBox = nullptr;
  ColorView* oFeedbackView = nullptr;
  QLabel* oFeedbackTextField = nullptr;
  QProgressBar* oFeedbackProgressIndicator = nullptr;

 protected:
  void viewDidLoad() override;
  void viewWillLayout() override;
  void viewDidAppear() override;
  bool performAction(const platform::Action& action) override;

 private:
  void setup();
  void observeSettings();
  void classicSettingChanged();
  // Runs `work` on the main queue now when this is the main thread, else later there while the panel lives.
  void onMain(void (FocusStackViewController::*work)());
  // An overlay: a view over the panel from its bottom edge, `lessHigh` points short of its height, with a dark veil
  // and the message.
  QWidget* makeOverlay(const std::string& text, double lessHigh, double growWhenLong);
  void setPanelHeight(double height);
  void collapseAdvanced();
  void showPointState(bool set, platform::ImageView* image, SYFlatButton* setButton, SYFlatButton* gotoButton);
  void runInBackground(int64_t step, bool classic, int64_t shots);

  std::shared_ptr<focus_stack::State> mState;
  bool mIsAdvancedShown = false;
  QPointer<SFBPopover> mParentPopover;
  QPointer<QWidget> mDisabledView;
  QPointer<QWidget> mStackDisabledView;
  QPointer<QWidget> mConfigurationShotView;
  bool mNearPointSet = false;
  bool mFarPointSet = false;
  int32_t mFocalLength = 0;
  int64_t mClassicStepSize = 2;
  bool mCanon = false;  // the vendor at set-up (the observed keys depend on it)
  std::vector<platform::ObserverToken> mObservers;
};
