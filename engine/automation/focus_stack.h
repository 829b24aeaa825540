#pragma once
// Focus stacking driven from the application: the lens-drive step table, the lens drive in focus steps, one
// focus-stack picture, the classic run that loops per vendor and reports each shot, the cancel, and the tests that the
// focus-stacking panel makes before it offers itself. The application-run brackets live in focus_stack_bracket.h.
#include <cstdint>
#include <functional>

#include "engine/ptp/response_code.h"

// Lens-drive steps of one focus step of class 1, 2 or 3 for the current vendor; other classes come back unchanged.
int focusStepForAperture(int stepClass);

// Moves the lens `count` steps of size `step` (negative: the other way). A count of 0 does nothing and succeeds.
ResponseCode focusDriveSteps(int step, uint32_t count);

// One focus-stack picture, its waits included. 0xFF00 for a Canon shot whose second press or ready write failed.
ResponseCode focusStackStep();

// Whether a capture takes two presses (Nikon drive 0x8012, Canon 0xD13A = 1).
bool camNeedsSecondPress();

// Called with 1, 2, ... as each picture of a classic run is taken.
using FocusStackProgress = std::function<void(uint32_t shot)>;

// The classic run: `shots` pictures, the lens moved by `step` between them, `delayMs` waited around each move.
// 0xFF16 when stopped by focusStackCancel; 0xFFFF without a vendor.
ResponseCode focusStackClassicRun(uint32_t shots, int step, uint32_t delayMs, const FocusStackProgress& progress);

// Stops a classic run at its next step and wakes an application-run bracket out of its waits. Any thread.
void focusStackCancel();

// Whether the camera can stack at all, and whether its exposure mode lets the panel work.
bool focusStackEnabled();
bool focusStackCheck();
