// The SD-card auto-transfer setting as the device receives it.
#include <gtest/gtest.h>

#include "engine/ptp/vendor_state.h"
#include "platform/foundation/localized_strings.h"
#include "session/camera_controller_test_fixture.h"
#include "session/command.h"
#include "session/ptp_errors.h"

namespace {

using session_testing::NotificationLog;

class SdTransferTest : public SessionDeviceTest {
 protected:
  void SetUp() override {
    SessionDeviceTest::SetUp();
    driveConnection = false;
    ASSERT_GE(linkConnect("127.0.0.1", device.port()), 0);
    Utilities::setCurrentConnectionStatus(kConnectionStatusCameraConnected);
    CameraController::instance();  // observes the settings-changed notification from its creation on
  }

  // Lets return blocks that show nothing run; for checks that something did not happen.
  static void settle() { platform::runMainUntil([] { return false; }, std::chrono::milliseconds(300)); }

  static const std::string& cardAlert() {
    static const std::string text = "Auto copy to Vorlaxent SD card requires an SD card in the Vorlaxent.";
    return text;
  }
};

TEST_F(SdTransferTest, TheFlagFollowsTheSettingExceptForSonyAndFujifilm) {
  struct Case {
    VendorType vendor;
    bool autoCopy;
    const char* prefix;
    bool sent;
  };
  const Case cases[] = {
      {VENDOR_CANON, true, "Trip", true}, {VENDOR_NIKON, true, "", true},  {VENDOR_SONY, true, "S", false},
      {VENDOR_FUJI, true, "F", false},    {VENDOR_CANON, false, "C", false},
  };
  size_t sent = 0, cardQueries = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vendor * 10 + c.autoCopy);
    camSetVendor(c.vendor);
    defaults().setBool(c.autoCopy, "SdCardAutoTransfer");
    defaults().setString(c.prefix, "SdPrefix");
    platform::NotificationCenter::defaultCenter().postNotificationName(kUpdateSdTransferNotification);
    // The device logs a command before it has applied it: wait for the state it sets, not for the log alone.
    ASSERT_TRUE(waitFor([&] {
      return receivedCount("cmd 0xB2") == sent + 1 && commands.sdTransfer().prefix == c.prefix &&
             commands.sdTransfer().autoCopy == c.sent;
    }));
    ++sent;
    // With the setting on, the device's card is looked at (it has one here, with room).
    if (c.autoCopy) {
      ASSERT_TRUE(waitFor([&] { return receivedCount("cmd 0xF5") == cardQueries + 1; }));
    }
    cardQueries += c.autoCopy;
    EXPECT_EQ(commands.sdTransfer().autoCopy, c.sent);
    EXPECT_EQ(commands.sdTransfer().prefix, c.prefix);
    EXPECT_EQ(commands.sdTransfer().second, "");
  }
  settle();
  EXPECT_EQ(presenter.count(), 0u);
}

TEST_F(SdTransferTest, WithoutACardTheUserIsWarnedButTheSettingStillCounts) {
  camSetVendor(VENDOR_CANON);
  commands.card().setPresent(false);
  defaults().setBool(true, "SdCardAutoTransfer");

  CameraController::instance().sdTransferChangedNotification();

  ASSERT_TRUE(waitFor([&] { return presenter.sawMessage(cardAlert()); }));
  EXPECT_TRUE(commands.sdTransfer().autoCopy);
  settle();
  ASSERT_EQ(presenter.count(), 1u);  // the device took the setting: no failure is reported
  EXPECT_EQ(presenter.shown()[0].style, 2u);
}

TEST_F(SdTransferTest, WithoutACameraNothingIsSentAndTheFailureIsReported) {
  NotificationLog log({kConnectionFailureNotification});
  Utilities::setCurrentConnectionStatus(kConnectionStatusDeviceConnected);
  defaults().setBool(true, "SdCardAutoTransfer");

  CameraController::instance().sdTransferChangedNotification();

  ASSERT_TRUE(waitFor([&] { return presenter.count() == 1; }));
  EXPECT_EQ(presenter.shown()[0].message,
            PtpErrors::appendString(platform::localizedString("SdTransferUpdateFailed") + " ", 0xFF0E));
  EXPECT_EQ(log.count(kConnectionFailureNotification), 1u);
  EXPECT_EQ(receivedCount("cmd 0xB2"), 0u);
  EXPECT_EQ(receivedCount("cmd 0xF5"), 0u);
}

}  // namespace
