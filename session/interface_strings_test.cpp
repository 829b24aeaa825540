// Every text that the windows and panels, and the session operations they start, look up by key has an English
// text in the string table, with a %@ for each value the code fills in and no other placeholder (a stray "%d"
// would show as it stands).
#include <gtest/gtest.h>

#include <string>

#include "platform/foundation/localized_strings.h"

namespace {

struct Key {
  const char* key;
  int values;  // the %@ places the code fills
};

// By the window or panel that looks them up.
constexpr Key kKeys[] = {
    // capture control panel
    {"Capture", 0}, {"RecordingStart", 0}, {"RecordingStop", 0}, {"MirrorUp", 0}, {"SetFocusMode", 0},
    {"FocusModeFailure", 0}, {"Setting", 1}, {"PropertySetError", 1},
    // property buttons and pickers
    {"Don't remind me", 0}, {"ON", 0}, {"OFF", 0},
    // HDR panel
    {"Low-Point", 0}, {"Hi-Point", 0}, {"Mid-Point", 0}, {"Aperture", 0}, {"ManualModeRequired", 0},
    {"MovieModeOffRequired", 0}, {"BulbNotAvailable", 0}, {"BracketingDisableFailed", 0},
    {"SonyHdrDriveModeBracketed", 0}, {"InvalidValue", 0}, {"InvalidStartValue", 0}, {"InvalidStepSize", 0},
    {"InvalidIsoAuto", 0}, {"ContinuousShootingTitle", 0}, {"ContinuousShootingMsg", 0},
    {"ContinuousShootingNikonMsg", 0}, {"Yes", 0}, {"No", 0}, {"Cancel", 0}, {"HDRPreparing", 0},
    {"HDRStarting", 0}, {"HDRBusy", 0}, {"HDRError", 0}, {"HDRCancelling", 0}, {"HdrCanceledFailed", 0},
    {"HdrShotsCompleted", 2},  // taken, total
    // focus-stacking panel
    {"LiveViewOnRequired", 0}, {"FocusChangeMustBeManualFocus", 0}, {"FocusStackingUnsupported", 0},
    {"ExposureModeNotAperture", 0}, {"FocusStacking", 0}, {"FocusStackingInstructions", 0}, {"Clear", 0},
    {"Set", 0}, {"FocusAdjusting", 0}, {"FocusDriveBeyondBounds", 0}, {"FocusDriveFailure", 0}, {"SetAfFocus", 0},
    {"FocusStackNoStartPoint", 0}, {"FocusStackNoEndPoint", 0}, {"SonyFocusStackingMode", 0},
    {"FocusStackingCancelled", 0}, {"FocusStackingComplete", 0}, {"FocusStackingFailed", 0},
    {"CancellingFocusStack", 0}, {"CaptureFailed", 0},
    {"FocusStackInvalidShots", 0}, {"FocusStackInvalidStep", 0},
    {"FocusStackProgress", 2},  // shots taken, total
    // timer and time-lapse panel (a typed bulb time out of range: also the HDR panel's midpoint)
    {"BulbSecondsOutOfRange", 0}, {"BulbNotInBulbMode", 0}, {"BulbNotLiveView", 0},
    {"DurationInfo", 5},  // hours, minutes, seconds; the movie's minutes and seconds
    {"InvalidShotNumber", 0}, {"InvalidShotDelay", 0}, {"InvalidTimeLapseHdr", 0}, {"InvalidShotDuration", 0},
    {"TimeLapseFocusTitle", 0}, {"TimeLapseFocusMessage", 0}, {"MemoryCardSpaceTitle", 0},
    {"MemoryCardSpacesMessage", 0}, {"Continue", 0}, {"Start", 0}, {"TimeLapseConfirmationTitle", 0},
    {"TimeLapseMessage", 3},      // initial delay, shots, interval
    {"TimeLapseMessageHdr", 7},   // initial delay, shots, interval, HDR shots, property, start value, step size
    {"TimeLapseMessageBulb", 4},  // initial delay, shots, bulb duration, interval
    {"TimeLapseStart", 0}, {"TimeLapseInitiatedBusy", 0}, {"TimeLapseInitiatedFailed", 0},
    {"BulbSequenceStart", 0}, {"BulbInitiated", 0}, {"BulbError", 0}, {"TimeLapseCancel", 0},
    {"TimeLapseCancelFailed", 0},
    {"TimeLapseShotsCompleted", 2},  // shots taken, total
    {"TimeLapseTimeRemaining", 3},   // hours, minutes, seconds
    // tripod-head panel
    {"TripodMotionFailed", 0}, {"TripodSpeedFailed", 0},
    // connection and settings windows
    {"ShowTripodOnlyTitle", 0}, {"ShowTripodOnlyMessage", 0}, {"Delete", 0}, {"DeletePromptTitle", 0},
    {"MirrorModeTLiveView", 0}, {"PrefixPathCharacter", 0}, {"PrefixDotName", 0}, {"SdPrefixTooLong", 0},
    {"WatermarkTextTooLong", 0},
    // card-contents browser
    {"DownloadingThumbnails", 0}, {"ThumbnailHandleError", 0}, {"ThumbnailDownloadFail", 0},
    {"ThumbnailDisplayFail", 0}, {"DeletingImages", 0}, {"DeleteMultiplePromptMsg", 0},
    {"DeleteMultipleSdPromptMsg", 0}, {"DeleteImageError", 0},
    // the session's operations that those windows start
    {"ConnectingVorlaxent", 0}, {"ConnectingCamera", 0}, {"ShutterHalfPress", 0}, {"ShutterHalfPressRelease", 0},
    {"ShutterHalfPressFailed", 0}, {"ShutterHalfPressReleaseFailed", 0}, {"CaptureImage", 0},
    {"Cannot_capture_when_zoomed", 0}, {"ClientCanSaveSendFail", 0}, {"FailedStartSession", 0},
    {"UnsupportedCamera", 0}, {"DownloadThumbnail", 0}, {"FocusError", 0}, {"ImageDownloadFail", 0},
    {"ImageSaveSd", 0}, {"LiveViewPositionAdjust", 0}, {"LiveViewPositionError", 0}, {"LiveViewZoomNotSupported", 0},
    {"LoadSessionFailure", 0}, {"LoadingSession", 0}, {"SdCardSaveInitiatedFailure", 0},
    {"SdCardSaveInitiatedSuccess", 0}, {"SetFocus", 0}, {"SetZoom", 0}, {"SonyInvalidTouchFocusArea", 0},
    {"SonyTouchFocusNotSupported", 0}, {"SonyZoomFocusMode", 0}, {"StartLiveView", 0}, {"StartLiveViewError", 0},
    {"StartMovieError", 0}, {"StartMovieMode", 0}, {"StopFocusError", 0}, {"StopLiveView", 0},
    {"StopLiveViewError", 0}, {"StopMovieError", 0}, {"StopMovieMode", 0}, {"TouchFocusNotSupport", 0},
    {"WatermarkCreateError", 0}, {"ZoomLevelError", 0},
};

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

TEST(InterfaceStringsTest, EveryKeyTheWindowsLookUpHasATextWithItsPlaces) {
  const platform::StringTable& table = platform::StringTable::mainTable();
  ASSERT_GT(table.size(), 0u) << "the string table is compiled in";
  const std::string missing = "\x01 missing";
  for (const Key& k : kKeys) {
    SCOPED_TRACE(k.key);
    const std::string text = table.lookup(k.key, missing);
    ASSERT_NE(text, missing) << "no text";
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(count(text, "%@"), k.values) << text;
    EXPECT_EQ(count(text, "%"), count(text, "%@")) << "a placeholder the code would not fill: " << text;
  }
}

TEST(InterfaceStringsTest, TextsThatStandAsTheyAreReadSo) {
  // A button text the dialog shows as its own words, and the single-word titles of the controls.
  const struct {
    const char* key;
    const char* text;
  } cases[] = {{"Don't remind me", "Don't remind me"}, {"Capture", "Capture"}, {"Yes", "Yes"}, {"No", "No"},
               {"Cancel", "Cancel"}, {"Delete", "Delete"}, {"ON", "ON"}, {"OFF", "OFF"}};
  for (const auto& c : cases) EXPECT_EQ(platform::localizedString(c.key), c.text) << c.key;
}

}  // namespace
