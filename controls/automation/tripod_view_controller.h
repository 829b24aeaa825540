#pragma once
// The tripod-head panel (interface file "TripodView"): the direction pad, the speed slider and the head's battery.
// The capture control panel shows it in a popover; the tripod window hosts its view in a window of its own and
// hides its close button (hideCloseButton).
//
// Every action becomes one request to the head through the device, sent one at a time off the main thread
// (tripod_requests.h): a move, a speed change, a battery read. Failed moves and speed changes are reported; a
// failed speed change puts the previous speed back. The battery is read at loading and every 30 s, and not while
// the head moves (the read waits for the stop).
//
// The head stops when the panel goes off the screen (its popover or window closed) or is released while a move
// is in force, as a double click on the pad leaves the head moving after the release.
//
// The speed is one for the whole program (the head has one), shared by every panel: 0 until the first panel sets
// it to 512. Main thread only.
#include <QPointer>
#include <atomic>
#include <memory>
#include <string>

#include "controls/automation/tripod_move_view.h"
#include "platform/ui/observable_properties.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_controller.h"
#include "widgets/sfb_popover.h"

class QSlider;
class SYFlatButton;
namespace platform {
class ImageView;
}
namespace tripod {
class Requests;
}

class QY_TripodViewController : public platform::ViewController, public TripodMovelViewDelegate {
  Q_OBJECT

 public:
  // A battery level below this says the head is most likely not connected.
  static constexpr int kConnectedLevel = 500;
  static constexpr double kBatteryInterval = 30;
  // Speed changes smaller than this are not sent.
  static constexpr int kSpeedResolution = 20;
  static constexpr int kInitialSpeed = 512;

  QY_TripodViewController();
  ~QY_TripodViewController() override;

  void setPopover(SFBPopover* popover);
  SFBPopover* popover() const { return mParentPopover; }
  // Interface action: closes the popover.
  void dismiss();
  void directionSelected(int direction) override;
  void setTripodSpeed(int speed);
  int tripodSpeed() const;
  void checkBattery();
  void setBatteryIcon(int level);
  void hideCloseButton();
  // Sends a stop when a move is in force (the pad released, the panel closing) and draws the pad stopped.
  void stopHead();

  // The head's shared speed (see above), and its start value again (tests: a fresh process's).
  static int sharedSpeed();
  static void resetSharedSpeed();
  // The bundle image for a battery level.
  static std::string batteryImageName(int level);

  // State, for tests and the windows that show it.
  int currentDirection() const { return mCurrentDirection->load(); }
  bool batteryReadWaiting() const { return mCheckBattery; }
  const std::string& batteryImage() const { return mBatteryImage; }
  // Requests not yet answered by the head.
  size_t pendingRequests() const;

  QY_TripodMoveView* oTripodMoveView = nullptr;
  QSlider* oTripodSpeedSlider = nullptr;
  SYFlatButton* oCloseButton = nullptr;
  platform::ImageView* oTripodBatteryImageView = nullptr;

 protected:
  void viewDidLoad() override;
  void viewDidDisappear() override;
  bool performAction(const platform::Action& action) override;

 private:
  void awakeFromNib();

  std::unique_ptr<tripod::Requests> mTripodOperationQueue;
  // Read by the battery request off the main thread, hence shared and atomic.
  std::shared_ptr<std::atomic<int>> mCurrentDirection = std::make_shared<std::atomic<int>>(0);
  // The direction last asked of the head (it may still be on its way).
  int mRequestedDirection = 0;
  QPointer<SFBPopover> mParentPopover;
  platform::Timer mBatteryTimer;
  bool mCheckBattery = false;
  bool mConnectionWarningShown = false;
  std::string mBatteryImage;
  std::shared_ptr<platform::ObservableProperties> mProperties = platform::ObservableProperties::make();
  platform::ObservableProperty<int> mTripodSpeed{mProperties, "tripodSpeed", 0};
};
