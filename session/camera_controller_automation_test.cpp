// End to end: sequences that the stand-in device runs by itself, started, followed through its automation
// feedback (0xF7) and cancelled through the session controller.
#include <gtest/gtest.h>

#include <chrono>

#include "devicesim/automation_device.h"
#include "platform/foundation/localized_strings.h"
#include "session/camera_controller.h"
#include "session/camera_controller_test_fixture.h"
#include "session/ptp_errors.h"

namespace {

using session_testing::NotificationLog;

class AutomationSessionTest : public SessionDeviceTest {
 protected:
  void SetUp() override {
    SessionDeviceTest::SetUp();
    // The main queue's first use comes from this thread, not from a worker of the runner (see ShootingTest).
    drainMainQueue();
    automation.install(device);
    automation.setShotTime(std::chrono::milliseconds(5));
  }
  void TearDown() override {
    automation.stop();
    SessionDeviceTest::TearDown();
  }

  void startSession() {
    NotificationLog started({kSessionStartedNotification});
    CameraController::instance().connectToVorlaxent();
    ASSERT_TRUE(waitFor([&] { return started.count(kSessionStartedNotification) == 1; }));
    ASSERT_TRUE(waitFor([&] { return receivedCount("cmd 0x82") > 0; }));
  }

  static AutomationSequence hdrOfShutterSpeed(uint16_t shots) {
    AutomationSequence s;
    s.hdrProperty = 0xD102;  // the Canon shutter speed
    s.hdrStartValue = 0x68;
    s.hdrStep = 3;
    s.hdrShots = shots;
    s.hdrDelay = 0.5f;
    return s;
  }

  static AutomationSequenceProgress progress() { return CameraController::instance().automationProgress(); }

  devicesim::AutomationDevice automation;
};

TEST_F(AutomationSessionTest, AnHdrSequenceIsFollowedToItsCompletionWithoutAnAlert) {
  startSession();
  NotificationLog log({kHdrFeedbackNotification, kIntervalometerFeedbackNotification,
                       kAutomateRemoveFeedbackNotification});
  CameraController::instance().startAutomationSequence(hdrOfShutterSpeed(5));
  ASSERT_TRUE(waitFor([&] { return log.count(kAutomateRemoveFeedbackNotification) == 1; }));

  const AutomationSequenceProgress p = progress();
  EXPECT_EQ(p.state, AutomationSequenceState::Completed);
  EXPECT_EQ(p.status, 0xFF43);
  EXPECT_EQ(p.flags, 0x02);
  EXPECT_EQ(p.hdrTotal, 5);
  EXPECT_EQ(p.hdrTaken, 5);
  EXPECT_EQ(log.count(kHdrFeedbackNotification), 5u);  // one per shot
  EXPECT_EQ(log.count(kIntervalometerFeedbackNotification), 0u);

  // What the device was asked for: the HDR section alone, the delay as given.
  const std::vector<devicesim::SequenceRequest> requests = automation.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].raw.size(), 28u);
  EXPECT_EQ(requests[0].flag, 1);
  EXPECT_EQ(requests[0].hdrProperty, 0xD102u);
  EXPECT_EQ(requests[0].hdrStart, 0x68u);
  EXPECT_EQ(requests[0].hdrStep, 3u);
  EXPECT_EQ(requests[0].hdrShots, 5);
  EXPECT_FLOAT_EQ(requests[0].hdrDelay, 0.5f);
  drainMainQueue();
  EXPECT_EQ(presenter.count(), 0u);  // an HDR completion is silent
}

TEST_F(AutomationSessionTest, ACancelledTimeLapseEndsCancelledWithTheDevicesWarning) {
  startSession();
  automation.setShotTime(std::chrono::milliseconds(40));
  NotificationLog log({kIntervalometerFeedbackNotification, kAutomateRemoveFeedbackNotification});
  AutomationSequence s;
  s.timeLapseShots = 200;
  s.interval = 12.75f;
  CameraController::instance().startAutomationSequence(s);
  ASSERT_TRUE(waitFor([&] { return log.count(kIntervalometerFeedbackNotification) >= 2; }));
  AutomationSequenceProgress running = progress();
  EXPECT_EQ(running.state, AutomationSequenceState::Running);
  EXPECT_EQ(running.timeLapseTotal, 200);
  EXPECT_GE(running.timeLapseTaken, 2);
  EXPECT_EQ(running.intervalSeconds, 12u);  // whole seconds

  CameraController::instance().cancelAutomationSequence();
  ASSERT_TRUE(waitFor([&] { return log.count(kAutomateRemoveFeedbackNotification) == 1; }));
  const AutomationSequenceProgress p = progress();
  EXPECT_EQ(p.state, AutomationSequenceState::Cancelled);
  EXPECT_TRUE(p.cancelRequested);
  EXPECT_LT(p.timeLapseTaken, 200);
  EXPECT_EQ(automation.cancels(), 1);
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message, "Automation Cancelled.");
}

TEST_F(AutomationSessionTest, AStartWhileASequenceRunsIsRefusedAndTheRunningOneIsStillFollowed) {
  startSession();
  automation.setShotTime(std::chrono::milliseconds(40));
  NotificationLog log({kHdrFeedbackNotification, kAutomateRemoveFeedbackNotification});
  CameraController::instance().startAutomationSequence(hdrOfShutterSpeed(30));
  ASSERT_TRUE(waitFor([&] { return log.count(kHdrFeedbackNotification) >= 1; }));

  CameraController::instance().startAutomationSequence(hdrOfShutterSpeed(3));
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message,
            PtpErrors::appendString(platform::localizedString("AutomationStartFailed"), 0xFF41));
  EXPECT_EQ(automation.busyAnswers(), 1);
  const AutomationSequenceProgress p = progress();
  EXPECT_EQ(p.state, AutomationSequenceState::Running);
  EXPECT_EQ(p.hdrTotal, 30);  // still the first sequence's

  CameraController::instance().cancelAutomationSequence();
  ASSERT_TRUE(waitFor([&] { return log.count(kAutomateRemoveFeedbackNotification) == 1; }));
  EXPECT_EQ(progress().state, AutomationSequenceState::Cancelled);
}

TEST_F(AutomationSessionTest, ASequenceTheDeviceCannotFinishEndsFailedWithItsCode) {
  startSession();
  automation.setFailureStatus(0x2019);
  NotificationLog log({kAutomateRemoveFeedbackNotification});
  AutomationSequence s;
  s.timeLapseShots = 10;
  s.interval = 2;
  s.hdrProperty = 0xD102;
  s.hdrStartValue = 0x68;
  s.hdrStep = 3;
  s.hdrShots = 3;
  CameraController::instance().startAutomationSequence(s);
  ASSERT_TRUE(waitFor([&] { return log.count(kAutomateRemoveFeedbackNotification) == 1; }));
  const AutomationSequenceProgress p = progress();
  EXPECT_EQ(p.state, AutomationSequenceState::Failed);
  EXPECT_EQ(p.status, 0x2019);
  EXPECT_EQ(p.flags, 0x03);
  EXPECT_EQ(p.hdrTaken, 1);  // the device failed after its first shot
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].style, 2u);
  ASSERT_EQ(automation.requests().size(), 1u);
  EXPECT_EQ(automation.requests()[0].raw.size(), 45u);  // both sections
}

TEST_F(AutomationSessionTest, ATimedBulbGoesOutAsOneBulbShotWithFlagZero) {
  startSession();
  NotificationLog log({kAutomateRemoveFeedbackNotification});
  CameraController::instance().startAutomationSequence(AutomationSequence::timedBulb(30));
  ASSERT_TRUE(waitFor([&] { return log.count(kAutomateRemoveFeedbackNotification) == 1; }));
  EXPECT_EQ(progress().state, AutomationSequenceState::Completed);
  const std::vector<devicesim::SequenceRequest> requests = automation.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].raw.size(), 23u);
  EXPECT_EQ(requests[0].flag, 0);
  EXPECT_EQ(requests[0].timeLapseShots, 1);
  EXPECT_FLOAT_EQ(requests[0].bulbTime, 30.0f);
  // A time-lapse completion is announced.
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].style, 1u);
}

TEST_F(AutomationSessionTest, ASequenceWithoutShotsIsRefusedWithoutReachingTheDevice) {
  startSession();
  CameraController::instance().startAutomationSequence(AutomationSequence{});
  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message,
            PtpErrors::appendString(platform::localizedString("AutomationStartFailed"), 0xFF15));
  EXPECT_EQ(progress().state, AutomationSequenceState::Failed);
  EXPECT_EQ(receivedCount("cmd 0xD3"), 0u);
}

}  // namespace
