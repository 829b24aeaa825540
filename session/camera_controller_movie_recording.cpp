// Movie recording start and stop, as the shutter button and the movie controls ask for it. The camera work runs
// under the live-view lock, so that it never overlaps a live-view frame fetch.
#include "engine/vendors/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "session/camera_controller.h"
#include "session/single_command.h"
#include "session/notification_names.h"
#include "session/utilities.h"

void CameraController::toggleMovieRecording(bool start) {
  CommandBlockArray commands;
  commands.emplace_back(
      [start] {
        Utilities::lockLiveView();
        const ResponseCode result = start ? camMovieRecordStart() : camMovieRecordStop();
        Utilities::unlockLiveView();
        return int32_t{result};
      },
      platform::localizedString(start ? "StartMovieRecording" : "StopMovieRecording"));
  Command::runCommands(std::move(commands), [this, start](int32_t result) {
    if (result == PTP_RC_OK) {
      mLiveViewStatus = start ? 3 : 2;
      platform::NotificationCenter::defaultCenter().postNotificationName(kMovieRecordingToggledNotification,
                                                                         platform::Value(start));
      return;
    }
    showCodeError(platform::localizedString(start ? "StartMovieRecordingError" : "StopMovieRecordingError"),
                                static_cast<uint16_t>(result));
  });
}
