#pragma once
// Every wait of the engine lives here as a named constant, read through engineWait(), so that a test can scale
// them all down at once (a 22 s read time-out then runs in milliseconds). Add new waits to this list.
#include <atomic>
#include <chrono>

namespace engine_timing {
using std::chrono::milliseconds;

inline constexpr milliseconds kReadTimeout{22000};        // link read time-out
inline constexpr milliseconds kFormatReadTimeout{66000};  // read time-out while the device formats its SD card
inline constexpr milliseconds kConnectTimeout{11000};     // TCP connect
inline constexpr milliseconds kConnectRetryDelay{1000};   // between connect attempts on an unreachable host
inline constexpr milliseconds kBusyRetryDelay{100};       // before the one retry of a busy PTP transaction
inline constexpr milliseconds kEventPollInterval{500};    // event thread

// Scale applied to every wait; 1.0 in the product. Tests set it small.
inline std::atomic<double>& scale() {
    static std::atomic<double> s{1.0};
    return s;
}
}  // namespace engine_timing

// The wait to use for a named constant, after the test scale.
inline std::chrono::milliseconds engineWait(std::chrono::milliseconds nominal) {
    double ms = static_cast<double>(nominal.count()) * engine_timing::scale().load(std::memory_order_relaxed);
    return std::chrono::milliseconds(ms < 1.0 && nominal.count() > 0 ? 1 : static_cast<long long>(ms));
}

namespace engine_timing {
inline constexpr milliseconds kDownloadBusyRetryDelay{1000};  // between attempts of a busy object download or range
inline constexpr milliseconds kLinkResyncQuiet{200};          // quiet time that ends the drain of stale answers
}  // namespace engine_timing

namespace engine_timing {
inline constexpr milliseconds kNikonShotRetryDelay{500};  // between the further presses of a busy Nikon shot
}  // namespace engine_timing

namespace engine_timing {
inline constexpr milliseconds kCanonEventSettle{100};          // after the event mode is set, before the first poll
inline constexpr milliseconds kCanonConfirmInterval{100};      // between the polls of a Canon set's confirmation
inline constexpr milliseconds kCanonLiveViewBusyRetry{1000};   // before the live-view switch tries a busy camera again
inline constexpr milliseconds kCanonReadyProbeInterval{250};   // between the writes of the Canon ready probe
inline constexpr milliseconds kCanonStackShotSettle{1500};     // after a focus-stack shot, before the lens moves
inline constexpr milliseconds kCanonStackDriveSettle{2000};    // after the lens moved, before the next shot
inline constexpr milliseconds kCanonMovieRecordRetry{2000};    // before a busy movie start is checked again
}  // namespace engine_timing

namespace engine_timing {
inline constexpr milliseconds kDiscoveryBrowseWait{6000};      // for the device search to end by itself
inline constexpr milliseconds kDiscoveryStopWait{1000};        // for the device search to end once told to
inline constexpr milliseconds kDiscoveryResolveWait{2500};     // per device found, for its address
inline constexpr milliseconds kDiscoveryResolveTimeout{2000};  // given to each found device's resolution
inline constexpr milliseconds kDiscoveryAnswerWindow{1000};    // replies to one discovery query gathered together
}  // namespace engine_timing

namespace engine_timing {
inline constexpr milliseconds kFirmwareUpdateWait{120000};  // the device's restart after a firmware update
inline constexpr milliseconds kFujiConfirmInterval{100};      // between the reads of a Fujifilm set's confirmation
inline constexpr milliseconds kFujiBusyRetryInterval{500};    // between the writes of the not-busy probe
inline constexpr milliseconds kFujiAfPollInterval{100};       // between the reads of the AF status
inline constexpr milliseconds kFujiPressStep{100};            // between the steps of a bulb press
inline constexpr milliseconds kFujiReleaseDelay{250};         // between a capture's press and its release
inline constexpr milliseconds kFujiLiveViewRetry{250};        // before live view is asked again to come back
inline constexpr milliseconds kFujiDrainInterval{100};        // between the listings while the camera hands over pictures
inline constexpr milliseconds kFujiFocusSettle{5000};         // before the focus position is read again after a 0
inline constexpr milliseconds kFujiStackPoll{500};            // between the looks at a focus-stack shot's shutter speed
inline constexpr milliseconds kFujiStackSettle{150};          // added to a focus-stack shot's exposure
inline constexpr milliseconds kFujiTapSettle{250};            // between the steps of a live-view tap
inline constexpr milliseconds kSonyStepInterval{250};        // after each one-notch write of a stepped set
inline constexpr milliseconds kSonyStepNotch{50};            // per notch of a shutter jump written at once
inline constexpr milliseconds kSonyStepRecheck{500};         // before a stepped set's second confirmation
inline constexpr milliseconds kSonyConfirmInterval{250};     // between the reads of a Sony confirmation
inline constexpr milliseconds kSonyFocusToggleSettle{250};   // between the two focus-toggle writes of some models
inline constexpr milliseconds kSonyShotSettle{100};          // after a focus-stack shot's press
inline constexpr milliseconds kSonyShotSettleSlow{250};      // the same on the slower bodies
inline constexpr milliseconds kSonyBracketSettle{250};       // after a continuous bracket's exposures
inline constexpr milliseconds kSonyStackShotSettle{500};     // after a focus-stack shot's exposure
inline constexpr milliseconds kSonyStackSaveSettle{1750};    // after the camera saved a focus-stack picture
inline constexpr milliseconds kSonyStackStepSettle{1000};    // around each lens step of a focus-stack run
inline constexpr milliseconds kSonyZoomPressGap{100};        // between two zoom-button presses
inline constexpr milliseconds kSonyWaitChangeInterval{250};  // between the looks of a Sony change wait
}  // namespace engine_timing

namespace engine_timing {
inline constexpr milliseconds kFocusStackBusyRetry{250};    // between the tries of a busy focus-stack shot or bulb start
inline constexpr milliseconds kFocusStackSecondPress{500};  // before the second press of a two-press capture
inline constexpr milliseconds kBracketSetRetry{300};        // between the tries of a busy bracket value, and Sony's pause
inline constexpr milliseconds kBracketSonySettle{750};      // after a Sony bracket value is set, before its shot
inline constexpr milliseconds kBracketSonyAfterBulb{1000};  // after a Sony bulb exposure, before its picture is awaited
}  // namespace engine_timing

namespace engine_timing {
inline constexpr milliseconds kLiveViewFramePause{20};     // after each live-view frame handed on
inline constexpr milliseconds kLiveViewBusyPause{100};     // after a busy answer to a frame fetch
inline constexpr milliseconds kTouchFocusStopDelay{3000};  // a touch-focus drive runs this long, then is stopped
inline constexpr milliseconds kSonyZoomPollInterval{250};  // between the looks at a Sony zoom after a zoom step
inline constexpr int kSonyZoomPollCount = 12;
}  // namespace engine_timing
