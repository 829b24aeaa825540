#pragma once
// Shared services as class operations (no instances): alerts that may be raised from any thread, the
// application-wide connection status, the live-view lock, the property code in a property-change notification's
// name, the names of automation types, the device battery report, the fitting of an image into a view and the
// mapping of points between view and image, the device firmware version, and a few constants.
//
// Alerts: every one is a JW_Alert, and every one may be called from any thread: off the main thread they keep
// their arguments, queue the same call on the main queue and return at once, so a worker never waits for the
// user. On the main thread the modal ones return when the user has closed the alert; the self-dismissing ones
// (showAndDismissErrorMessage, showInfoMessage with autoDismiss) return at once.
// Titles "Warning" and "Error" are fixed; message texts are looked up by the callers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"

class QLabel;
class QWidget;
namespace platform {
class ImageView;
}
struct DeviceBatteryStatus;
struct SdCardRefusedName;
struct PtpObjectInfoStruct;

// The connection state as the connection view moves through it. 0, 2, 3 and 5 are posted with
// "JWNotification_VorlaxentConnectionStatus"; 1 and 4 are states of the connection view alone.
enum ConnectionStatus : int32_t {
  kConnectionStatusUnknown = 0,  // also: the session failed to start
  kConnectionStatusConnecting = 1,
  kConnectionStatusLinkFailed = 2,  // the link could not be opened, or was lost
  kConnectionStatusDeviceConnected = 3,
  kConnectionStatusConnectingCamera = 4,
  kConnectionStatusCameraConnected = 5,
};

class Utilities {
 public:
  Utilities() = delete;

  // --- alerts ---
  // Style 0, titled "Warning". Modal.
  static void showWarningMessage(const std::string& message);
  // Style 1 with the given title; the same as the next with autoDismiss false.
  static void showInfoMessage(const std::string& message, const std::string& title);
  // With autoDismiss, not modal: the alert closes itself after 3 s (or when its button is pressed) and the call
  // returns at once; without, modal. The flag is carried through the hop to the main queue.
  static void showInfoMessage(const std::string& message, const std::string& title, bool autoDismiss);
  // Style 2, titled "Error"; no help text.
  static void showErrorMessage(const std::string& message);
  // With a help text behind the alert's help button (empty: none). Modal.
  static void showErrorMessage(const std::string& message, const std::string& helpMessage);
  // The message, a blank, and the code's text (PtpErrors::appendString), shown as an error; so the message and
  // the code's text stand two blanks apart.
  static void showErrorMessage(const std::string& message, uint16_t errorCode);
  // Non-modal; the alert closes itself after `delay` seconds. Meant for the main thread (from another thread
  // the call is handed to the main queue as well).
  static void showAndDismissErrorMessage(const std::string& message, double delay);

  // --- connection status (a ConnectionStatus number; 0 at start) ---
  static void setCurrentConnectionStatus(int32_t status);
  static int32_t currentConnectionStatus();
  // The number itself when it lies in 1 to 7, else 0.
  static int32_t connectionStatusForInteger(int64_t value);
  static std::string currentSsid() { return ""; }

  // --- live-view lock ---
  // A binary lock that is not tied to a thread: one thread may take it and another free it. lockLiveView waits
  // without a time limit. Freeing a lock that is free changes nothing (it never admits two holders).
  static void lockLiveView();
  static void unlockLiveView();
  // Takes the lock when it is free within `timeoutMs`; false otherwise.
  static bool tryLockLiveView(int64_t timeoutMs);

  // --- notification names ---
  // The decimal number after the first "_" of a property-change name ("JW_%d"); 0 when the piece after it does
  // not start with digits, or the name has no "_".
  static uint32_t propertyCodeFromNotification(const std::string& name);

  // --- automation types ---
  // "intervalometer" (bit 0), else "advanced bracketing" (bit 1), else "bulb ramping" (bit 2), else "".
  static std::string stringForDelayType(int32_t flags);

  // --- device battery ---
  // Asks the device for its battery status through the command runner and shows it (an info alert), a warning
  // when no camera is connected, or an error alert with the code's text.
  static void showBatteryInfo();
  // The text of the battery report.
  static std::string batteryInfoMessage(const DeviceBatteryStatus& status);

  // --- geometry (y-up, points) ---
  // The largest rectangle of the image's aspect ratio inside the bounds, centred, relative to the bounds (their
  // origin is not added); the zero rectangle when the image or the bounds have no width.
  static platform::Rect rectThatFitsImageSize(platform::Size imageSize, const platform::Rect& bounds);
  // Fitted into the view's bounds and moved by the origin of the view's frame (the superview's coordinates);
  // zero rectangle without a view.
  static platform::Rect rectThatFitsImageSize(platform::Size imageSize, const QWidget* view);
  // The rectangle the image of an image view occupies, in the coordinates of the view's superview: the image
  // size fitted into the frame's size, offset by the frame's origin.
  static platform::Rect calculateClientRectOfImageInImageView(const QLabel* imageView);
  // The same for the platform's image view, from where it draws its image (ImageView::imageRect, which follows
  // its scaling rule), moved by the origin of the view's frame; the zero rectangle without a view or an image.
  static platform::Rect calculateClientRectOfImageInImageView(const platform::ImageView* imageView);
  static platform::Rect calculateClientRectOfImage(platform::Size imageSize, const platform::Rect& viewFrame);
  // A point (in the superview's coordinates) as a fraction of the image (0 to 1 across it), or (-1, -1) when it
  // lies outside the image.
  static platform::Point convertPoint(platform::Point point, const QLabel* toImageCoordinatesInImageView);
  static platform::Point convertPoint(platform::Point point, const platform::ImageView* toImageCoordinatesInImageView);
  static platform::Point convertPointToImageCoordinates(platform::Point point, const platform::Rect& imageRect);
  // Scales the point by the ratio of the rectangles' sizes; the origins play no part. An axis on which the
  // source has no extent maps to 0.
  static platform::Point convertPoint(platform::Point point, const platform::Rect& fromRect,
                                      const platform::Rect& toRect);

  // --- firmware version and constants ---
  // Asks the device for its firmware version and keeps it; returns the device's result.
  static uint16_t refreshFirmwareVersion();
  // The version last read; 0 until then.
  static uint8_t firmwareVersion();
  // --- image data ---
  // The image with its EXIF orientation set: the JPEG at the start of the data with the entry rewritten by a
  // metadata edit (the compressed picture is copied, never re-encoded), followed by the last exifHeaderLength()
  // bytes of the data when it holds at least that many (the raw file's head that a quick-raw image carries behind
  // its JPEG). None when the data holds no JPEG or the edit fails.
  static std::optional<std::vector<uint8_t>> setOrientation(uint8_t orientation, const std::vector<uint8_t>& toImageData);

  // --- image transfer (worker thread, inside a command batch; see image_transfer.h) ---
  // The out data is none unless the result is 0x2001.
  static uint16_t getObjectInfo(PtpObjectInfoStruct* record);
  static uint16_t downloadThumbnail(PtpObjectInfoStruct* record, std::optional<std::vector<uint8_t>>* toData, uint8_t relayFlag);
  // Reads "QuickRawMode"; a quick-raw image of a raw file gets the record's orientation written into it.
  static uint16_t downloadImage(PtpObjectInfoStruct* record, std::optional<std::vector<uint8_t>>* toData, uint8_t relayFlag);
  static uint16_t directDownloadImage(PtpObjectInfoStruct* record, std::optional<std::vector<uint8_t>>* toData);
  static bool isObjectRaw(const PtpObjectInfoStruct* record);
  // With the prompt, asks "Delete?" on the main thread while the calling worker waits; Cancel gives 0xFF16.
  static uint16_t deleteObject(const PtpObjectInfoStruct* record, bool showPrompt);
  // Asks the device to copy the camera object to its SD card, through the command runner.
  static void transferImageToSdCard(const PtpObjectInfoStruct* record, bool showDownloadMessage, bool showSuccessMessage);
  // The path of the file that stands for the image when it is shared; none when there is none.
  static std::optional<std::string> getImagePathForSharing(const PtpObjectInfoStruct* record, bool* wasCreated,
                                                           bool forceUseExtractedJpg, bool forceUseRaw);
  // Saves a movie into the save folder in the background, under a progress bar with Cancel (see movie_download.h).
  static void downloadVideoToLibrary(PtpObjectInfoStruct record);

  // The number of bytes from the start of an image file that are read for its metadata.
  static constexpr uint32_t exifHeaderLength() { return 256000; }
  static constexpr bool isHdrAvailable() { return true; }

  // --- save folder and cache folder (main thread) ---
  // Reopens the save folder kept in "SandboxBookmark" (the folder's path, usable when it is still a writable
  // folder); without one, or when it no longer is, asks for a folder. Then configures the cache.
  static void checkFolderAccess();
  // Asks the user for the save folder (an alert, then the folder chooser); a confirmed folder is kept in
  // "SandboxBookmark" and "SaveFolderPath" and the cache is configured again. Declining changes nothing.
  static void selectSaveDataDirectory();
  // Ages the cache folder when it exists (creates it otherwise), then opens the object cache with it and the save
  // folder on the global queue, and hands it the file-naming settings.
  static void configureCache();
  // "<documents folder>/Cache"; empty when there is no documents folder.
  static std::string cacheFolderPath();

  // --- device housekeeping ---
  // Empties the cache folder through the command runner (the save folder is never touched).
  static void clearCache();
  // Ages the cache folder by "CacheSizeGB"; YES.
  static bool checkCacheSize();
  // Removes the folder's entries older than three days, then the oldest until `bytes` hold them (no size limit
  // for 0 or less); the save folder and anything behind a link are never touched. YES.
  static bool checkCacheSize(int64_t bytes, const std::string& atUrl);
  // The usable file names on the device's SD card; nullopt on a failure or an empty reply. Names that cannot
  // safely be used as file names are left out, noted in `refused` (with the reason's code) and in the log.
  // Worker thread.
  static std::optional<std::vector<std::string>> arrayOfSdCardImages(std::vector<SdCardRefusedName>* refused = nullptr);
  // Turns live view or movie mode off and waits for it; YES when the camera is free afterwards. NO at once while a
  // movie records, and NO at once on the main thread unless live view is already off.
  static bool blockForLiveViewOff();
  // The device shows the user's sharing settings to its other clients: switch, watermark, clients' save
  // permission and live-view sharing. None of them talks to the device on the main thread: called there, they
  // move to a worker and return at once (a device that is slow to answer never freezes the windows).
  static void refreshSharingCapabilties();
  // Live-view sharing on when "VorlaxentShareEnabled" and "ShareLiveView" are both on.
  static void refreshLiveViewSharing();
  // Sends "VorlaxentShareEnabled" (device command 0x70); true when the device took it. A refused "on" turns the
  // setting off (silently); a refused "off" leaves it off without writing it again, so that a window that pushes
  // on every change of the setting is not set off into pushing for ever. From the main thread: false, as the
  // outcome is not known there.
  static bool sendSharingEnabledFlag();
  static void sendCanSaveToClients(bool canSave);
  static void sendCurrentWatermarkToClients();
  // Tells the device whether to keep Fujifilm raw files (device command 0xD5; the byte sent is the inverse of the
  // flag: 0 keeps them) and gives its answer; a refusal is also noted in the system log. From the main thread:
  // none, as the exchange then runs on a worker.
  static std::optional<uint16_t> sendSaveFujiRaws(bool save);
  // The three pushes above that move off the main thread run there one at a time, in the order asked, so that
  // quick changes of a setting reach the device in the order the user made them.
  // Covers the device's restart after a firmware update with the progress overlay, then asks the user to rejoin.
  static void showFirmwareWaiting();
};
