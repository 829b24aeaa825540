// A device that answers late never holds the main loop: the settings pushes the settings window makes (and the
// setting written with them) go to the device from workers, so the loop keeps turning while every answer is
// still on its way. A push made on the main thread would hold the loop for a whole answer's delay.
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "guitest/gui_test.h"
#include "platform/foundation/user_defaults.h"
#include "session/camera_controller.h"
#include "session/utilities.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// Every answer of the device comes this late; a loop held by one request shows a gap at least this long.
constexpr auto kAnswerDelay = 600ms;

// The longest time the main loop went without running a 1 ms timer while it lives.
class LoopGapWatch {
 public:
  LoopGapWatch() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      const Clock::time_point now = Clock::now();
      longest_ = std::max(longest_, now - last_);
      last_ = now;
    });
    timer_.start(1);
  }
  Clock::duration longest() const { return longest_; }

 private:
  QTimer timer_;
  Clock::time_point last_ = Clock::now();
  Clock::duration longest_{};
};

class SlowDeviceMainLoopTest : public guitest::GuiTest {};

TEST_F(SlowDeviceMainLoopTest, SettingsPushesLeaveTheLoopTurningWhileTheDeviceAnswersLate) {
  ASSERT_TRUE(connect("canon"));
  platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
  rig().device().setReplyDelay(kAnswerDelay);
  const size_t before = rig().device().logSize();

  LoopGapWatch gaps;
  const Clock::time_point start = Clock::now();
  defaults.setBool(true, "VorlaxentShareEnabled");
  Utilities::sendSharingEnabledFlag();
  Utilities::refreshLiveViewSharing();
  Utilities::sendCanSaveToClients(true);
  Utilities::sendCurrentWatermarkToClients();
  CameraController::instance().sdTransferChangedNotification();
  const Clock::duration calls = Clock::now() - start;
  // Every push reached the device, and the last answer had time to come back.
  ASSERT_TRUE(waitUntil([&] { return rig().device().logSize() >= before + 5; }));
  waitUntil([] { return false; }, std::chrono::duration_cast<std::chrono::milliseconds>(kAnswerDelay * 2));
  rig().device().setReplyDelay(0ms);

  EXPECT_LT(calls, kAnswerDelay / 2) << "a push waited for the device on the main thread";
  EXPECT_LT(gaps.longest(), kAnswerDelay / 2) << "the main loop stood still for an answer";
  EXPECT_TRUE(waitForOverlays());
}

}  // namespace
