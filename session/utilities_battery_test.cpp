// The device battery report and the firmware version, against the stand-in device.
#include <gtest/gtest.h>

#include "engine/link/devicesim_link_fixture.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/test_application.h"
#include "session/ptp_errors.h"
#include "session/utilities.h"
#include "session/utilities_alert_recorder.h"

namespace {

using namespace std::chrono_literals;

class BatteryReportTest : public DevicesimLinkTest {
 protected:
  void SetUp() override {
    platform::ensureTestApplication();
    DevicesimLinkTest::SetUp();
  }
  void TearDown() override {
    Utilities::setCurrentConnectionStatus(kConnectionStatusUnknown);
    DevicesimLinkTest::TearDown();
  }
  session_testing::ShownAlert reportOnce() {
    const size_t before = recorder_.count();
    Utilities::showBatteryInfo();
    EXPECT_TRUE(platform::runMainUntil([&] { return recorder_.count() > before; }, 10s));
    const auto shown = recorder_.shown();
    return shown.empty() ? session_testing::ShownAlert{} : shown.back();
  }
  session_testing::AlertRecorder recorder_;
  platform::ScopedPresenter scoped_{recorder_};
};

TEST_F(BatteryReportTest, WithACameraConnectedTheDevicesFiguresAreShown) {
  Utilities::setCurrentConnectionStatus(kConnectionStatusCameraConnected);
  commands.setBatteryStatus(devicesim::DeviceCommandSet::batteryReply(7400, 80, -350, 240, 2981));
  const auto a = reportOnce();
  EXPECT_EQ(a.style, 1u);
  EXPECT_EQ(a.title, platform::localizedString("BatteryInfoTitle"));
  EXPECT_EQ(a.message,
            "Voltage: 7400 mV\nNominal Total Capacity: 2000 mAh\nTotal Capacity: 1950 mAh\nRemaining Capacity: 1600 "
            "mAh\nCurrent: -350 mA\nRemaining Time: 240 mins\nRemaining Percentage: 80 %\nTemperature: 298 K");
  EXPECT_EQ(commandPackets(kCmdStatus).size(), 1u);
}

TEST_F(BatteryReportTest, WithoutACameraItWarnsAndAsksTheDeviceNothing) {
  Utilities::setCurrentConnectionStatus(kConnectionStatusDeviceConnected);
  const auto a = reportOnce();
  EXPECT_EQ(a.style, 0u);
  EXPECT_EQ(a.message, "Must be connected to get battery info.");
  EXPECT_TRUE(commandPackets(kCmdStatus).empty());
}

TEST_F(BatteryReportTest, ADeviceFailureShowsTheCodesText) {
  Utilities::setCurrentConnectionStatus(kConnectionStatusCameraConnected);
  device.scriptFault(devicesim::Fault::busy(0x2002));
  const auto a = reportOnce();
  EXPECT_EQ(a.style, 2u);
  EXPECT_EQ(a.message, platform::localizedString("BatteryInfoFail") + "  " + PtpErrors::stringForResponseCode(0x2002));
}

TEST_F(BatteryReportTest, FirmwareVersionIsReadAndKept) {
  commands.setFirmwareVersion(57);
  EXPECT_EQ(Utilities::refreshFirmwareVersion(), PTP_RC_OK);
  EXPECT_EQ(Utilities::firmwareVersion(), 57);
  // A failed read keeps what was known.
  device.scriptFault(devicesim::Fault::busy(0x2002));
  EXPECT_NE(Utilities::refreshFirmwareVersion(), PTP_RC_OK);
  EXPECT_EQ(Utilities::firmwareVersion(), 57);
}

}  // namespace
