// The device battery report.
#include <cstdio>
#include <memory>

#include "engine/link/device_commands.h"
#include "platform/foundation/localized_strings.h"
#include "session/command.h"
#include "session/utilities.h"

std::string Utilities::batteryInfoMessage(const DeviceBatteryStatus& status) {
  char text[512];
  std::snprintf(text, sizeof text,
                "Voltage: %d mV\nNominal Total Capacity: %d mAh\nTotal Capacity: %d mAh\nRemaining Capacity: %d "
                "mAh\nCurrent: %d mA\nRemaining Time: %d mins\nRemaining Percentage: %d %%\nTemperature: %d K",
                int{status.voltage}, int{status.nominalCapacity}, int{status.totalCapacity},
                int{status.remainingCapacity}, int{status.current}, int{status.remainingTime},
                int{status.remainingPercentage}, int{status.temperature} / 10);
  return text;
}

void Utilities::showBatteryInfo() {
  auto status = std::make_shared<DeviceBatteryStatus>();
  CommandBlock unit(
      [status]() -> int32_t {
        if (currentConnectionStatus() != kConnectionStatusCameraConnected) return ERROR_CANCELLED;
        return linkGetStatus(status.get());
      },
      platform::localizedString("BatteryInfo"));
  Command::runCommands({unit}, [status](int32_t result) {
    if (result == PTP_RC_OK) {
      showInfoMessage(batteryInfoMessage(*status), platform::localizedString("BatteryInfoTitle"));
    } else if (result == ERROR_CANCELLED) {
      showWarningMessage("Must be connected to get battery info.");
    } else {
      showErrorMessage(platform::localizedString("BatteryInfoFail"), static_cast<uint16_t>(result));
    }
  });
}
