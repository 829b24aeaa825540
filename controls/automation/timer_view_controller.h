#pragma once
// The timer and time-lapse panel (interface file "TimerWindow"). A time-lapse: a number of shots after an initial
// delay, an interval apart, each optionally the HDR bracket set up in the HDR panel, and in the camera's bulb
// setting each a bulb exposure of the bulb duration. A bulb timer: one bulb exposure after a delay of its own.
// The panel checks the settings, asks the user what needs asking (autofocus, card space, continuous drive, the
// plan itself), and sends the whole sequence to the device as one request; the device runs it and reports each
// shot, which the panel shows with a countdown of the time left. Before a start it shows the estimated length of
// the shooting and of the movie the shots make at 24 frames per second.
//
// The capture panel makes it once and shows it in a widget-kit popover each time:
//   auto timer = std::make_unique<TimerViewController>();
//   auto* popover = new SFBPopover(timer.get());
//   timer->setPopover(popover);
//
// The fields, labels, switch and progress bar of the interface file are bound to the panel's properties (below);
// the minute and second fields show and read their numbers through QY_TimeFormatter. The fields are kept in the
// setting "TimerValues" when the panel goes off screen. Confirmations run on a global queue and wait on each
// alert; the countdown runs on the current time source. Main thread only.
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/notification_center.h"
#include "platform/foundation/value.h"
#include "platform/ui/observable_properties.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_controller.h"

class ITSwitch;
class QLabel;
class SFBPopover;
class SYFlatButton;
namespace platform {
class ImageView;
}

class TimerViewController : public platform::ViewController {
  Q_OBJECT

 public:
  TimerViewController();
  ~TimerViewController() override;

  void setPopover(SFBPopover* popover);

  // --- properties, bound to the interface file's controls (any thread may read them) ---
  int numberShots() const { return numberShots_.get(); }
  void setNumberShots(int v) { numberShots_.set(v); }
  int initialDelayMinutes() const { return initialDelayMinutes_.get(); }
  void setInitialDelayMinutes(int v) { initialDelayMinutes_.set(v); }
  int initialDelaySeconds() const { return initialDelaySeconds_.get(); }
  void setInitialDelaySeconds(int v) { initialDelaySeconds_.set(v); }
  int shotDelayMinutes() const { return shotDelayMinutes_.get(); }
  void setShotDelayMinutes(int v) { shotDelayMinutes_.set(v); }
  int shotDelaySeconds() const { return shotDelaySeconds_.get(); }
  void setShotDelaySeconds(int v) { shotDelaySeconds_.set(v); }
  int bulbInitialDelayMinutes() const { return bulbInitialDelayMinutes_.get(); }
  void setBulbInitialDelayMinutes(int v) { bulbInitialDelayMinutes_.set(v); }
  int bulbInitialDelaySeconds() const { return bulbInitialDelaySeconds_.get(); }
  void setBulbInitialDelaySeconds(int v) { bulbInitialDelaySeconds_.set(v); }
  std::string bulbDurationString() const { return bulbDurationString_.get(); }
  std::string bulbDisabledString() const { return bulbDisabledString_.get(); }
  std::string durationStatusInfo() const { return durationStatusInfo_.get(); }
  std::string feedbackTimeRemainingString() const { return feedbackTimeRemainingString_.get(); }
  std::string feedbackShotsRemainingString() const { return feedbackShotsRemainingString_.get(); }
  float feedbackPercent() const { return feedbackPercent_.get(); }
  bool isTimeLapseEnabled() const { return isTimeLapseEnabled_.get(); }
  bool isBulbEnabled() const { return isBulbEnabled_.get(); }
  bool isDisabledBulbViewHidden() const { return isDisabledBulbViewHidden_.get(); }
  float bulbDurationSeconds() const { return mBulbDurationSeconds; }

  // --- actions ---
  void startIntervalometer();
  void startBulb();
  void cancel();
  void bulbDurationButtonPressed();
  void dismiss();
  // A field's edit ended.
  void controlTextDidEndEditing();

  // --- operations, named as the panel names them ---
  // The fields as "TimerValues" keeps them; empty before the view is loaded.
  std::optional<platform::ValueDictionary> saveStateToDictionary() const;
  void loadStateDictionary(const platform::ValueDictionary* dictionary);
  void refresh();
  void checkBulbControls();
  void checkHdrEnabled();
  void doTimeLapse();
  void updateTimeLapseActiveViewWithShotsTaken(int taken, int total, int interval);
  void setTimeLapseActiveViewSecondsRemaining(int seconds);
  void decrementIntervalomterTimer();
  void timeLapseNotificationRecieved(const platform::Notification& notification);
  void timeLapseCompleteNotification();
  void liveViewToggledNotification();

  // --- for the capture panel and tests ---
  bool isFeedbackShown() const;
  bool isCountingDown() const { return mIntervalometerTimer.isValid(); }
  int totalSeconds() const { return mTotalSeconds; }
  const std::shared_ptr<platform::ObservableProperties>& properties() const { return properties_; }

  // Outlets.
  platform::ImageView* oInitialDelayImageView = nullptr;
  platform::ImageView* oIntervalImageView = nullptr;
  platform::ImageView* oNumShotsImageView = nullptr;
  platform::ImageView* oHdrImageView = nullptr;
  SYFlatButton* oStartButton = nullptr;
  ITSwitch* oHdrSwitch = nullptr;
  platform::ImageView* oBulbInitialDelayImageView = nullptr;
  platform::ImageView* oBulbDurationImageView = nullptr;
  QLabel* oBulbInitialDelayLabel = nullptr;
  QLabel* oBulbDurationLabel = nullptr;
  SYFlatButton* oBulbDurationButton = nullptr;
  SYFlatButton* oStartBulbButton = nullptr;
  QLabel* oBulbDisabledLabel = nullptr;
  SYFlatButton* oCloseButton = nullptr;
  QWidget* oFeedbackView = nullptr;

 protected:
  void viewDidLoad() override;
  void viewWillAppear() override;
  void viewDidDisappear() override;
  bool performAction(const platform::Action& action) override;

 private:
  // What the confirmation thread shares with the panel: it may outlive it.
  struct Questions {
    std::atomic<bool> ignoreDriveMode{false};
    std::atomic<bool> ignoreAutoFocus{false};
  };
  // One time-lapse as checked on the main thread, for the confirmations and the request.
  struct Plan {
    int shots = 0;
    int initialDelay = 0;  // seconds
    int interval = 0;
    bool hdr = false;
    uint32_t hdrCode = 0, hdrStart = 0, hdrStep = 0, hdrShots = 0;
    bool bulb = false;
    float bulbSeconds = 0;
    std::string initialDelayText, intervalText, bulbText;
  };

  void bindControls();
  void confirmAndStart(const Plan& plan);
  void sendTimeLapse(const Plan& plan);
  bool hdrSwitchOn() const;
  // Shows why when the bulb duration is too long to send.
  bool bulbDurationInRange() const;

  std::shared_ptr<platform::ObservableProperties> properties_ = platform::ObservableProperties::make();
  platform::ObservableProperty<int> numberShots_{properties_, "numberShots", 0};
  platform::ObservableProperty<int> initialDelayMinutes_{properties_, "initialDelayMinutes", 0};
  platform::ObservableProperty<int> initialDelaySeconds_{properties_, "initialDelaySeconds", 0};
  platform::ObservableProperty<int> shotDelayMinutes_{properties_, "shotDelayMinutes", 0};
  platform::ObservableProperty<int> shotDelaySeconds_{properties_, "shotDelaySeconds", 0};
  platform::ObservableProperty<int> bulbInitialDelayMinutes_{properties_, "bulbInitialDelayMinutes", 0};
  platform::ObservableProperty<int> bulbInitialDelaySeconds_{properties_, "bulbInitialDelaySeconds", 0};
  platform::ObservableProperty<std::string> bulbDurationString_{properties_, "bulbDurationString", ""};
  platform::ObservableProperty<std::string> bulbDisabledString_{properties_, "bulbDisabledString", ""};
  platform::ObservableProperty<std::string> durationStatusInfo_{properties_, "durationStatusInfo", ""};
  platform::ObservableProperty<std::string> feedbackTimeRemainingString_{properties_, "feedbackTimeRemainingString",
                                                                         ""};
  platform::ObservableProperty<std::string> feedbackShotsRemainingString_{properties_, "feedbackShotsRemainingString",
                                                                          ""};
  platform::ObservableProperty<float> feedbackPercent_{properties_, "feedbackPercent", 0.0f};
  platform::ObservableProperty<bool> isTimeLapseEnabled_{properties_, "isTimeLapseEnabled", false};
  platform::ObservableProperty<bool> isBulbEnabled_{properties_, "isBulbEnabled", false};
  platform::ObservableProperty<bool> isDisabledBulbViewHidden_{properties_, "isDisabledBulbViewHidden", false};

  std::shared_ptr<Questions> mQuestions = std::make_shared<Questions>();
  int mTotalSeconds = 0;
  bool mRunEnded = false;  // the device reported an end since the last start was sent
  platform::Timer mIntervalometerTimer;
  QPointer<SFBPopover> mParentPopover;
  float mBulbDurationSeconds = 0.1f;
};
