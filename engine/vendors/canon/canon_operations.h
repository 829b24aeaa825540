#pragma once
// The Canon camera operations: session open, the property setter and its confirmation, shutter press and release,
// bulb, half press, autofocus, lens drive (one step, and many through the device's repeat packet), mirror-up, the
// ready probe, the classic focus-stack loop, movie mode and recording, and the small requests around them.
//
// Every PTP operation goes through ptpTransaction. A full press pauses the event thread from the press to its
// release; only that press's release (or the press itself, when it fails) resumes it.
#include <cstdint>
#include <functional>

#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"

// Operation codes.
enum : uint16_t {
    kCanonOpRemoteMode = 0x9114,
    kCanonOpEventMode = 0x9115,
    kCanonOpOlcRequest = 0x913D,
    kCanonOpRelease = 0x910F,
    kCanonOpPress = 0x9128,
    kCanonOpPressRelease = 0x9129,
    kCanonOpBulbStart = 0x9125,
    kCanonOpBulbEnd = 0x9126,
    kCanonOpSetProperty = 0x9110,
    kCanonOpRequestProperty = 0x9127,
    kCanonOpAutoFocus = 0x9154,
    kCanonOpAutoFocusCancel = 0x9160,
    kCanonOpDriveLens = 0x9155,
    kCanonOpMovieModeOn = 0x9133,
    kCanonOpMovieModeOff = 0x9134,
};

// Bounds of the busy loops.
inline constexpr int kCanonConfirmAttempts = 5;
inline constexpr int kCanonReadyProbeAttempts = 40;  // 10 s of 250 ms
inline constexpr uint32_t kCanonRepeatMaxSteps = 300;

ResponseCode canonOpenSession();
// SetDevicePropValueEx (0x9110) with the value in the camera's form.
ResponseCode canonSetProperty(uint32_t code, uint32_t value);
// Up to 5 rounds of a blocking event poll and a look at the property; true once it holds the value.
bool canonWaitPropertyValue(uint32_t code, uint32_t value);

// The capture. With releaseAfter the shutter is released before returning; without it a press path leaves the
// shutter held (canonReleaseShutter ends it).
ResponseCode canonRemoteRelease(bool releaseAfter);
ResponseCode canonReleaseShutter();
bool canonShutterPressed();
ResponseCode canonBulbStart();
ResponseCode canonBulbStop();
ResponseCode canonHalfPress();
ResponseCode canonHalfPressRelease();
ResponseCode canonDoAf();
ResponseCode canonAfCancel();

bool canonHasPropertyD179();
bool canonHasMirrorUp();
bool canonMirrorUpOn();
ResponseCode canonSetMirrorUp(bool on, bool confirm);

// One lens step (0x9155): step as given (0x8000 + n for n toward near). On success the focus is manual from now on
// and movie servo AF is switched off.
ResponseCode canonDriveLens(uint32_t step);
// The lens moved `count` steps of `step` (negative: the other way) through the device's repeat packet, at most 300
// repetitions per packet.
ResponseCode canonDriveLensSteps(int step, uint32_t count);
// The repeat packet of one drive (31 bytes), for tests: repetitions, the step parameter, the transaction id.
void canonBuildRepeatPacket(uint16_t repetitions, uint32_t stepParameter, uint32_t transactionId, uint8_t out[31]);

// The ready probe: writes colour space (or capture destination) with its own value until the camera stops
// answering busy; true when it takes the write. At most kCanonReadyProbeAttempts writes.
bool canonWaitReady();

// The classic focus stack: ERROR_CANCELLED (0xFF16) when cancelled (canonCancelFocusStack, canon_state.h).
using CanonFocusStackProgress = std::function<void(uint32_t shotsTaken)>;
ResponseCode canonFocusStackRun(uint32_t shots, uint32_t step, uint32_t delayMs, const CanonFocusStackProgress& progress);

bool canonHasMovieOps();
bool canonNeedsMovieSwitch();
ResponseCode canonMovieModeOn();
ResponseCode canonMovieModeOff();
ResponseCode canonMovieRecordStart();
ResponseCode canonMovieRecordStop();
ResponseCode canonDisableBracketing();

// 0x9127: the value arrives as a later property event.
ResponseCode canonRequestProperty(uint32_t code);
// A property's value read from the camera (requested, then one poll), in the form the store's raw update takes.
ResponseCode canonReadPropertyValue(uint32_t code, HeapBlock* data);
ResponseCode canonSetRemoteMode(uint32_t mode);
// Event mode set again and the whole event list read, under the event-poll mutex.
ResponseCode canonRefreshEvents();
