#pragma once
// A sequence that the Vorlaxent device runs by itself: an HDR bracket, a time-lapse (optionally of bulb
// exposures, optionally with an HDR bracket at each position) or one timed bulb exposure; and what the device has
// reported of it so far. The session controller starts and cancels it (camera_controller_automation.cpp); the
// device-message handler hands every automation feedback packet to automationFollowFeedback.
#include <cstdint>

struct AutomationSequence {
  uint16_t timeLapseShots = 0;  // 0: no time-lapse section
  uint32_t hdrProperty = 0;     // the bracketed property (shutter speed, aperture or ISO)
  uint32_t hdrStartValue = 0;
  uint32_t hdrStep = 0;     // entries of the property's allowed-value list
  uint16_t hdrShots = 0;    // 0: no HDR section
  uint8_t hdrOrder = 0;     // 0 from the middle outward, 1 or 2 one-sided
  float initialDelay = 0;   // seconds
  float interval = 0;       // seconds between time-lapse positions
  float bulbTime = 0;       // seconds of each bulb exposure; 0 = no bulb
  float hdrDelay = 0.01f;   // seconds between a bracket's shots
  uint8_t flag = 1;         // 1 from the HDR and time-lapse panels, 0 for a timed bulb exposure alone

  // One bulb exposure of `seconds`, timed by the device.
  static AutomationSequence timedBulb(float seconds) {
    AutomationSequence s;
    s.timeLapseShots = 1;
    s.bulbTime = seconds;
    s.flag = 0;
    return s;
  }
};

enum class AutomationSequenceState : uint8_t {
  Idle,       // nothing started here yet
  Starting,   // the start request is on its way
  Running,    // the device took it; progress may follow
  Completed,  // the device reported the end (0xFF43)
  Cancelled,  // the device reported a cancel (0xFF42)
  Failed,     // the device refused the start, or reported another status
};

struct AutomationSequenceProgress {
  AutomationSequenceState state = AutomationSequenceState::Idle;
  uint8_t flags = 0;        // bit 0 time-lapse, bit 1 HDR (of the request, then of the feedback)
  uint16_t status = 0;      // the last status reported (or the start's answer when it failed)
  uint16_t hdrTotal = 0;    // shots of the bracket, as the device reports them
  uint16_t hdrTaken = 0;
  uint16_t timeLapseTotal = 0;
  uint16_t timeLapseTaken = 0;
  uint32_t intervalSeconds = 0;  // whole seconds
  bool cancelRequested = false;
};

// One automation feedback (flags, status, payload) as the device sent it: progress updates the counts of the
// sequence; completed, cancelled and any other status end it. Payloads too short for a part leave its counts.
// Any thread.
void automationFollowFeedback(uint8_t flags, uint16_t status, const uint8_t* payload, uint32_t payloadLength);
