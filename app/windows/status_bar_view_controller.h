#pragma once
// The strip across the camera and tether-only windows: the camera (name, battery, shots left on its card) and the
// Vorlaxent device (battery, SD card presence and free space). It reads the device's battery every 30 s, asks the
// device for its card when told that the card changed (coalescing a burst of such notices into one query), and
// follows the camera's battery and shots-available reports. It warns once about a camera card that is full or
// missing, about a missing device card (Sony and Fujifilm) and about a camera that draws power from the device.
//
// Every device query runs on a worker; what comes back touches the view on the main thread, and only while the
// controller lives. Notifications from other threads hop to the main queue.
#include <QColor>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/ui/time_source.h"
#include "platform/ui/view_controller.h"

class QLabel;
namespace platform {
class ImageView;
}

class StatusBarViewController : public platform::ViewController {
  Q_OBJECT

 public:
  StatusBarViewController();
  ~StatusBarViewController() override;

  // Handlers (the notifications' and the timers').
  void updateVorlaxentSdShotsAvailableNotification();
  void updateVorlaxentSdShotsAvailable();
  void availableShotsPropertyNotification();
  void cameraBatteryUpdateNotification(const platform::Notification& notification);
  void updateVorlaxentBattery();
  void sdCardNotification(const platform::Notification& notification);

  // The texts and colours the bar shows, as functions of what was read.
  static std::string sdSpaceText(uint64_t freeBytes);
  static QColor sdSpaceColour(uint64_t freeBytes);
  static std::string cleanedCameraName(std::string name);
  static const QColor& normalTextColour();
  static const QColor& warningTextColour();

  // State, for tests.
  bool sdCardInserted() const { return mSdCardInserted; }
  bool cameraSdCardWarningShown() const { return mCameraSdCardWarningShown; }
  bool isBatteryTimerRunning() const { return mVorlaxentBatteryTimer.isValid(); }
  // The last camera battery percentage drawn (after the "below 10 is 0" rule); -1 before any.
  int shownCameraBattery() const { return mShownCameraBattery; }
  int shownDeviceBattery() const { return mShownDeviceBattery; }

  // Outlets.
  platform::ImageView* oCameraIconImageView = nullptr;
  platform::ImageView* oCameraBatteryImageView = nullptr;
  QLabel* oCameraNameTextField = nullptr;
  QLabel* oCameraNumShotsTextField = nullptr;
  platform::ImageView* oVorlaxentIconImageView = nullptr;
  platform::ImageView* oVorlaxentBatteryImageView = nullptr;
  QLabel* oVorlaxentBatteryTextField = nullptr;
  platform::ImageView* oVorlaxentSdCardImageView = nullptr;
  QLabel* oVorlaxentSdCardNumShotsTextField = nullptr;

 protected:
  void viewDidLoad() override;
  void viewDidDisappear() override;

 private:
  // Runs `block` on the main queue while the controller lives.
  void onMain(std::function<void()> block);
  void showCardState(uint16_t result, bool present, uint64_t freeBytes);
  void showShots(int shots);

  bool mSdCardInserted = true;
  bool mCameraSdCardWarningShown = false;
  bool mSony = false;
  bool mSonyOrFuji = false;
  int mShownCameraBattery = -1;
  int mShownDeviceBattery = -1;
  platform::Timer mVorlaxentBatteryTimer;
  platform::Timer mCardRefreshTimer;
  std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
  std::vector<platform::ObserverToken> mObservers;
};
