// Sequences that the device runs by itself (HDR bracket, time-lapse, timed bulb): the start and cancel requests
// through the command runner, and what the device's feedback says of the sequence. The device-message handler
// shows the feedback's alerts and posts its notifications; here the counts and the end state are kept for the
// panels to read.
#include <mutex>

#include "engine/automation/automation_feedback.h"
#include "engine/automation/automation_request.h"
#include "engine/link/device_commands.h"
#include "session/camera_controller.h"
#include "session/single_command.h"

namespace {

struct FollowedSequence {
  std::mutex mutex;
  AutomationSequenceProgress progress;
};

FollowedSequence& followed() {
  static FollowedSequence s;
  return s;
}

uint8_t requestFlags(const AutomationSequence& s) {
  return static_cast<uint8_t>((s.timeLapseShots > 0 ? kFeedbackTimeLapse : 0) | (s.hdrShots > 0 ? kFeedbackHdr : 0));
}

}  // namespace

void CameraController::startAutomationSequence(const AutomationSequence& sequence) {
  runSingleCommand(
      platform::localizedString("AutomationStart"),
      [sequence] {
        FollowedSequence& f = followed();
        AutomationSequenceProgress before;
        {
          std::lock_guard<std::mutex> lock(f.mutex);
          before = f.progress;
          f.progress = AutomationSequenceProgress{};
          f.progress.state = AutomationSequenceState::Starting;
          f.progress.flags = requestFlags(sequence);
          f.progress.hdrTotal = sequence.hdrShots;
          f.progress.timeLapseTotal = sequence.timeLapseShots;
        }
        const ResponseCode result = linkStartSequence(
            sequence.timeLapseShots, sequence.hdrProperty, sequence.hdrStartValue, sequence.hdrStep,
            sequence.hdrShots, sequence.hdrOrder, sequence.initialDelay, sequence.interval, sequence.bulbTime,
            sequence.hdrDelay, sequence.flag);
        std::lock_guard<std::mutex> lock(f.mutex);
        if (result == PTP_RC_OK) {
          // Feedback may already have moved the sequence on (or even ended it).
          if (f.progress.state == AutomationSequenceState::Starting) f.progress.state = AutomationSequenceState::Running;
        } else if (result == AUTOMATION_BUSY) {
          f.progress = before;  // the device still runs the sequence it had: keep following that one
        } else {
          f.progress.state = AutomationSequenceState::Failed;
          f.progress.status = result;
        }
        return int32_t{result};
      },
      [](uint16_t result) { showFailureUnlessOk(result, "AutomationStartFailed"); });
}

void CameraController::cancelAutomationSequence() {
  runSingleCommand(
      platform::localizedString("AutomationCancel"),
      [] {
        {
          std::lock_guard<std::mutex> lock(followed().mutex);
          followed().progress.cancelRequested = true;
        }
        return int32_t{linkCancelSequence()};
      },
      [](uint16_t result) { showFailureUnlessOk(result, "AutomationCancelFailed"); });
}

AutomationSequenceProgress CameraController::automationProgress() const {
  std::lock_guard<std::mutex> lock(followed().mutex);
  return followed().progress;
}

void automationFollowFeedback(uint8_t flags, uint16_t status, const uint8_t* payload, uint32_t payloadLength) {
  AutomationProgress parsed;
  automationParseProgress(flags, payload, payloadLength, &parsed);
  std::lock_guard<std::mutex> lock(followed().mutex);
  AutomationSequenceProgress& p = followed().progress;
  p.flags = flags;
  p.status = status;
  switch (automationStateOf(status)) {
    case AutomationState::Progress:
      p.state = AutomationSequenceState::Running;
      if (parsed.hasHdr) {
        p.hdrTotal = parsed.hdrTotal;
        p.hdrTaken = parsed.hdrTaken;
      }
      if (parsed.hasTimeLapse) {
        p.timeLapseTotal = parsed.timeLapseTotal;
        p.timeLapseTaken = parsed.timeLapseTaken;
        p.intervalSeconds = automationIntervalSeconds(parsed.interval);
      }
      break;
    case AutomationState::Completed: p.state = AutomationSequenceState::Completed; break;
    case AutomationState::Cancelled: p.state = AutomationSequenceState::Cancelled; break;
    case AutomationState::Failed: p.state = AutomationSequenceState::Failed; break;
  }
}
