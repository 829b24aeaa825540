#include "controls/automation/tripod_view_controller.h"

#include <QSlider>
#include <cstdlib>

#include "controls/automation/tripod_requests.h"
#include "controls/interface_actions.h"
#include "engine/automation/tripod.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/graphics/named_images.h"
#include "platform/ui/control_binding.h"
#include "platform/ui/image_view.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/view_geometry.h"
#include "session/utilities.h"
#include "ui_TripodView.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("TripodView", Ui::TripodView);

namespace {

// The head's one speed, for every panel of the program.
std::atomic<int> gSharedSpeed{0};

constexpr const char* kConnectionWarning =
    "The TK-540 motorized tripod head may not be connected. Please ensure the cable between the Slew Dock and TK-540 "
    "is firmly inserted on both ends.";

}  // namespace

QY_TripodViewController::QY_TripodViewController() : ViewController("TripodView") {
  mCheckBattery = false;
  mConnectionWarningShown = false;
}

QY_TripodViewController::~QY_TripodViewController() {
  mBatteryTimer.invalidate();
  mTripodSpeed.setSetter(nullptr);
  // A view still on the screen goes with its controller: a head left moving is stopped.
  stopHead();
}

int QY_TripodViewController::sharedSpeed() { return gSharedSpeed.load(); }
void QY_TripodViewController::resetSharedSpeed() { gSharedSpeed.store(0); }

size_t QY_TripodViewController::pendingRequests() const {
  return mTripodOperationQueue ? mTripodOperationQueue->pending() : 0;
}

void QY_TripodViewController::awakeFromNib() {
  oTripodMoveView->setDelegate(this);
  mTripodOperationQueue = std::make_unique<tripod::Requests>();
  mCurrentDirection->store(0);
  setTripodSpeed(kInitialSpeed);
}

void QY_TripodViewController::viewDidLoad() {
  oTripodMoveView = outlet<QY_TripodMoveView>("oTripodMoveView");
  oTripodSpeedSlider = outlet<QSlider>("oTripodSpeedSlider");
  oCloseButton = outlet<SYFlatButton>("oCloseButton");
  oTripodBatteryImageView = outlet<platform::ImageView>("oTripodBatteryImageView");
  controls::connectInterfaceActions(view());
  awakeFromNib();

  // The slider shows the speed and its moves go through setTripodSpeed.
  mTripodSpeed.setSetter([this](int speed) { setTripodSpeed(speed); });
  platform::bind(oTripodSpeedSlider, "value", {mProperties, "tripodSpeed"});

  const platform::Size close = platform::boundsOf(oCloseButton).size;
  oCloseButton->setImage(VorlaxentStyleKit::imageOfXMarkWithSize({close.width - 4, close.height - 4}));
  checkBattery();
  mBatteryTimer.start(kBatteryInterval, true, [this] { checkBattery(); });
}

void QY_TripodViewController::viewDidDisappear() { stopHead(); }

bool QY_TripodViewController::performAction(const platform::Action& action) {
  if (action.name != "dismiss:") return ViewController::performAction(action);
  dismiss();
  return true;
}

void QY_TripodViewController::setPopover(SFBPopover* popover) { mParentPopover = popover; }

void QY_TripodViewController::dismiss() {
  if (mParentPopover) mParentPopover->closePopover();
}

void QY_TripodViewController::hideCloseButton() {
  if (view() && oCloseButton) oCloseButton->hide();
}

void QY_TripodViewController::stopHead() {
  // The window that hosted the view may have deleted it already.
  if (isViewLoaded() && oTripodMoveView) oTripodMoveView->resetDirection();
  if (!mTripodOperationQueue || (mRequestedDirection == tripod::kStop && mCurrentDirection->load() == tripod::kStop))
    return;
  directionSelected(tripod::kStop);
}

void QY_TripodViewController::directionSelected(int direction) {
  mRequestedDirection = direction;
  const QPointer<QY_TripodViewController> self(this);
  const std::shared_ptr<std::atomic<int>> current = mCurrentDirection;
  mTripodOperationQueue->add(tripod::Requests::Kind::Move, [self, current, direction] {
    const ResponseCode rc = tripodMove(static_cast<uint8_t>(direction));
    if (rc == PTP_RC_OK) current->store(direction);
    platform::mainQueue().async([self, direction, rc] {
      if (rc != PTP_RC_OK) Utilities::showErrorMessage(platform::localizedString("TripodMotionFailed"), rc);
      QY_TripodViewController* panel = self.data();
      if (!panel || rc != PTP_RC_OK || direction != tripod::kStop || !panel->mCheckBattery) return;
      // The battery read that waited for the head to stop.
      panel->mCheckBattery = false;
      panel->checkBattery();
    });
  });
}

int QY_TripodViewController::tripodSpeed() const { return mTripodSpeed.get(); }

void QY_TripodViewController::setTripodSpeed(int speed) {
  const int previous = gSharedSpeed.load();
  if (std::abs(speed - previous) < kSpeedResolution) {
    // Too small a change to send: the slider goes back to the speed in force.
    mTripodSpeed.set(previous);
    return;
  }
  gSharedSpeed.store(speed);
  mTripodSpeed.set(speed);
  if (!mTripodOperationQueue) return;
  const QPointer<QY_TripodViewController> self(this);
  mTripodOperationQueue->add(tripod::Requests::Kind::Speed, [self, speed, previous] {
    const ResponseCode rc = tripodSetSpeed(static_cast<unsigned>(std::max(speed, 0)));
    platform::mainQueue().async([self, speed, previous, rc] {
      if (rc != PTP_RC_OK) {
        Utilities::showErrorMessage(platform::localizedString("TripodSpeedFailed"), rc);
        // The head keeps the speed it had; unless a later change took over, that one is shown again.
        int expected = speed;
        gSharedSpeed.compare_exchange_strong(expected, previous);
      }
      if (self) self->mTripodSpeed.set(gSharedSpeed.load());
    });
  });
}

void QY_TripodViewController::checkBattery() {
  if (mCheckBattery || !mTripodOperationQueue) return;
  const QPointer<QY_TripodViewController> self(this);
  const std::shared_ptr<std::atomic<int>> current = mCurrentDirection;
  mTripodOperationQueue->add(tripod::Requests::Kind::Battery, [self, current] {
    if (current->load() != tripod::kStop) {
      // The head draws its power while moving: the level is read once it stops.
      platform::mainQueue().async([self] {
        if (self) self->mCheckBattery = true;
      });
      return;
    }
    uint32_t level = 0;
    const ResponseCode rc = tripodReadBattery(&level);
    platform::mainQueue().async([self, rc, level] {
      QY_TripodViewController* panel = self.data();
      if (!panel) return;
      if (rc == PTP_RC_OK) {
        const int shown = static_cast<int>(std::min<uint32_t>(level, INT32_MAX));
        panel->setBatteryIcon(shown);
        if (shown < kConnectedLevel && !panel->mConnectionWarningShown) {
          panel->mConnectionWarningShown = true;
          Utilities::showWarningMessage(kConnectionWarning);
        }
      }
      panel->mCheckBattery = false;
    });
  });
}

std::string QY_TripodViewController::batteryImageName(int level) {
  if (level <= 0) return "BatteryIndicator_NoConnection";
  if (level >= 5000) return "BatteryIndicator_100";
  if (level >= 4600) return "BatteryIndicator_50";
  if (level >= 4300) return "BatteryIndicator_25";
  return "BatteryIndicator_0";
}

void QY_TripodViewController::setBatteryIcon(int level) {
  mBatteryImage = batteryImageName(level);
  if (isViewLoaded() && oTripodBatteryImageView) oTripodBatteryImageView->setImage(platform::imageNamed(mBatteryImage));
}
