#pragma once
// Names of the application's notifications. Each is posted on the default notification centre with its payload
// as the notification's object (none where a comment says so).

// A connection to the device is being opened (no object).
inline constexpr const char* kConnectingToVorlaxentNotification = "JWNotification_ConnectingToVorlaxent";
// The connection status as a number: 0 session failed, 2 link failed or lost, 3 device connected, 5 camera
// connected.
inline constexpr const char* kVorlaxentConnectionStatusNotification = "JWNotification_VorlaxentConnectionStatus";
// The camera session has started and the event thread runs (no object).
inline constexpr const char* kSessionStartedNotification = "JWNotification_SessionStarted";
// The SD-card auto-transfer settings changed and are to be sent to the device (no object).
inline constexpr const char* kUpdateSdTransferNotification = "JWNotification_UpdateSdTransfer";
// Progress of the device's time-lapse sequence, and of its HDR sequence: the feedback payload as data.
inline constexpr const char* kIntervalometerFeedbackNotification = "JWNotification_IntervalometerFeedback";
inline constexpr const char* kHdrFeedbackNotification = "JWNotification_HdrFeedback";
// The device's automation sequence has ended (no object).
inline constexpr const char* kAutomateRemoveFeedbackNotification = "JWNotification_AutomateRemoveFeedback";
// The device's SD card is usable (true) or not (false).
inline constexpr const char* kSdCardStatusNotification = "JWNotification_SdCardStatus";
// The lens focal length known to the session changed (no object).
inline constexpr const char* kCanonFocalLengthUpdatedNotification = "JWNotification_CanonFocalLengthUpdated";
// An object was deleted: a PtpObjectInfoClass of its record.
inline constexpr const char* kObjectDeletedNotification = "JWNotification_ObjectDeleted";
// A new object of the camera or the device's SD card to show: a PtpObjectInfoClass of its record.
inline constexpr const char* kNewObjectNotification = "JWNotification_NewObject";
// An object's thumbnail has arrived: a dictionary {"thumbnailData": data, "objectInfo": PtpObjectInfoClass}.
inline constexpr const char* kThumbnailDownloadedNotification = "JWNotification_ThumbnailDownloaded";
// The object to show as the main image, and the object to download in the background: a PtpObjectInfoClass.
inline constexpr const char* kSelectMainThumbnailNotification = "JWNotification_SelectMainThumbnail";
inline constexpr const char* kDownloadImageInBackgroundNotification = "JWNotification_DownloadImageInBackground";
// The device's SD card has a new file, so its free space changed (no object).
inline constexpr const char* kUpdateSdCardSpaceNotification = "JWNotification_UpdateSdCardSpace";
// The camera's battery level in percent (a number 0 to 255).
inline constexpr const char* kCameraBatteryPercentageNotification = "JWNotification_CameraBatteryPercentage";
// The camera's focus may have changed (a capture in autofocus; no object).
inline constexpr const char* kFocusChangedNotification = "JWNotification_FocusChanged";
// A bulb exposure started (true) or ended or failed to start (false).
inline constexpr const char* kBulbCaptureToggledNotification = "JWNotification_BulbCaptureToggled";
// A flash switch was tried; the flash may have changed (no object).
inline constexpr const char* kFlashStatusChangedNotification = "JWNotification_FlashStatusChanged";
// Client mode as asked for: the flag as a boolean.
inline constexpr const char* kHostModeUpdateNotification = "JWNotification_HostModeUpdate";
// Movie recording started (true) or stopped (false).
inline constexpr const char* kMovieRecordingToggledNotification = "JWNotification_MovieRecordingToggled";

// --- live view and movie state; zoom and touch focus ---
// One live-view frame as data (the vendor's frame buffer, its header included), posted on the main queue.
inline constexpr const char* kLiveViewImageNotification = "JWNotification_LiveViewImage";
// Whether live view is on after a switch, or off after the frame loop met a failure (a number, 0 or 1).
inline constexpr const char* kLiveViewToggledNotification = "JWNotification_LiveViewToggled";
// Whether movie mode is on after a switch (a number, 0 or 1).
inline constexpr const char* kMovieModeToggledNotification = "JWNotification_MovieModeToggled";
