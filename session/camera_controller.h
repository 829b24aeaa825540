#pragma once
// The one session controller of the application. The connection view, the camera and tether windows and the
// control panels ask it to open the link to the Vorlaxent device, to ask the device for its camera and to start
// the camera session; it installs the engine's callbacks, starts the engine's event thread and turns what the
// device and the camera report into notifications.
//
// Every piece of device work runs as a CommandBlock through the command runner: the work off the main thread,
// the return block on the main queue. The connection status is not kept here: each step posts it
// ("JWNotification_VorlaxentConnectionStatus") and the connection view drives the next step: 3 leads to
// connectToCamera, 5 to startSession; a started session posts "JWNotification_SessionStarted", after which the
// camera or tether window opens the event gate (startCameraEventDispatch).
//
// Class-wide values (the event gate, the focal-length shot flag, the pump's empty-drain counter, the live-view
// loop's kill and running flags and the focal length) are single process-wide atomics, shared by the main
// queue, the command runner's workers, the event thread and the live-view thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/link/link.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/response_code.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/graphics/geometry.h"
#include "session/automation_sequence.h"
#include "session/ptp_object_info_class.h"

struct SessionFileReadResult;
struct SessionFileContents;

class CameraController {
 public:
  // The one instance, created on first use. It lives for the rest of the process.
  static CameraController& instance();

  CameraController(const CameraController&) = delete;
  CameraController& operator=(const CameraController&) = delete;

  // --- connecting (any thread; both move to the main queue first) ---
  // Posts "JWNotification_ConnectingToVorlaxent", opens the link (CommsManager::connectToServer) and posts the
  // status 3 (device connected) or 2 (link failed).
  void connectToVorlaxent();
  // Asks the device whether a camera is attached and posts the status 5 (camera connected), 3 (no camera) or 2
  // (the device did not answer). `title` labels the progress overlay; none or empty shows "ConnectingCamera".
  void connectToCamera(const std::optional<std::string>& title);

  // --- the session ---
  // Starts the camera session (main thread; from another thread it moves there). Closes the event gate, installs
  // the device-message handler, then in the background: the device-sharing check, the engine's callbacks, the
  // vendor's session open, the firmware version, the Nikon property snapshot, the device clock, the cache folder
  // and the sharing state. A failed start shows "FailedStartSession" ("UnsupportedCamera" for a model the engine
  // does not know) and posts the status 0; a started one runs sessionStarted and posts
  // "JWNotification_SessionStarted".
  void startSession();
  // The steps after a successful start: focal length cleared, vendor settings, the SD auto-transfer setting sent,
  // the event thread started, and a warning when the camera's live-view selector is set to movie. Main thread.
  void sessionStarted();
  // The event thread's reaction to a failed poll (called on the event thread): the thread is told to stop, the
  // live-view loop to end, and the device is asked for the camera again (its status decides what follows).
  void connectionError();
  // The device-sharing check of session start, on a worker thread: true when the session may go on. A device
  // that shares with another client asks the user (a modal alert); keeping the sharing answers false, ending it
  // answers whether the device accepted that.
  bool autoShareCheck();

  // --- the device's SD-card auto-transfer ---
  // Sends the setting to the device through the command runner (the notification is unused; none is fine).
  // With the auto-transfer on and no usable card in the device, warns that the copy needs a card.
  void sdTransferChangedNotification(const platform::Notification* notification = nullptr);
  // The device command behind it, on a worker thread: 0xFF0E unless the camera is connected (status 5).
  static ResponseCode setSdTransfer();

  // --- focal length (millimetres) ---
  // Stores the value and posts "JWNotification_CanonFocalLengthUpdated".
  static void updateFocalLength(int32_t millimetres);
  // Reads the Fujifilm lens's focal length in the background; on success it becomes the focal length (no
  // notification).
  static void getFujiFocalLength();
  static int32_t focalLength();

  // --- live-view loop ---
  // Tells the live-view loop to end at its next check.
  static void killLiveViewLoop();

  // --- class-wide values ---
  // The event gate: while closed the camera-event pump leaves queued events where they are.
  static bool eventGate();
  static void setEventGate(bool open);
  static bool focalLengthShotFlag();
  static void setFocalLengthShotFlag(bool on);
  static std::atomic<int32_t>& emptyDrainCounter();
  static bool liveViewKillFlag();
  static void setLiveViewKillFlag(bool on);
  static bool liveViewRunning();
  static void setLiveViewRunning(bool running);
  // Every class-wide value, and what the controller remembers of the camera's objects, back to a fresh process's
  // (tests).
  static void resetClassWideState();

  // --- instance state ---
  // 0 off, 1 live view, 2 movie mode, 3 movie recording.
  uint64_t liveViewStatus() const { return mLiveViewStatus.load(); }
  bool isFocusing() const { return mIsFocusing.load(); }

  // --- session file, event pump and downloads: the objects seen with this camera, new objects, changes ---
  // The session is kept in "handles.dat" in the documents folder (see session_file.h). checkSession (main
  // queue; from another thread it moves there) reloads it, offers to, or forgets it; loadPreviousSession and
  // loadMissedImages run through the command runner and take the session monitor only for the arrays and the
  // file, never across their exchanges with the camera. Pictures newer than the session as an earlier connection
  // left it count as missed, whatever joined since this session started.
  void checkSession();
  void loadPreviousSession();
  void clearSession();
  void loadMissedImages();
  // A reload or pick-up that failed while the link stayed up (a busy camera, a late reply) is tried again a few
  // times in the same connection: the pictures it did not reach would otherwise wait for a reconnect that may not
  // come. What it announced and left unshown is fetched again first.
  void retryMissedImages(uint64_t connection, int attempt);
  void loadMissedImages(int attempt);
  // Any thread; a null record does nothing / is no member.
  void addObjectToSession(const PtpObjectInfoStruct* record);
  bool doesSessionContainObject(const PtpObjectInfoStruct* record);
  // Copies of the arrays as they are now (none while absent).
  std::optional<std::vector<uint32_t>> sessionHandles();
  std::optional<std::vector<std::string>> sessionFileNames();

  // --- objects from their announcement until they are where the settings want them ---
  // Each object is announced once ("JWNotification_NewObject" from the pump or the pick-up, or shown as missed by
  // the reload), whichever comes first, and is then remembered until its thumbnail was shown and, when the settings
  // have images fetched on arrival ("AutoViewImages" 1 or 3), until its image is in the save folder. A link that
  // drops in between leaves it remembered: when the gate opens after the next session start, each such object
  // still on the camera (for Sony and Fujifilm: on the device's card) is announced again, or its download asked
  // for again ("JWNotification_DownloadImageInBackground"). A deleted object is forgotten.
  void forgetPendingObject(const PtpObjectInfoStruct* record);
  // The objects remembered so, in no particular order (tests).
  std::vector<PtpObjectInfoStruct> pendingObjects();
  // Called by startCameraEventDispatch once the gate is open: fetches again what an earlier session left pending,
  // through the command runner.
  void eventGateOpened();
  // The objects remembered from earlier sessions asked for again; `attempt` 1 (the gate's opening) tries the
  // pick-up again after a failure while the link stays up.
  void fetchPendingObjects(int attempt);
  // Reloads, pick-ups and fetches of pending objects begun and not yet returned (their return blocks run on the
  // main queue).
  static int sessionWorkInFlight();
  // Thumbnail downloads asked for and not yet returned (their return blocks run on the main queue).
  int thumbnailDownloadsInFlight() const { return mThumbnailDownloadsInFlight.load(); }

  // What the pump does with each event (event thread).
  void receivedNewObject(PtpObjectInfoStruct record);
  bool shouldDownloadThumbnail(const PtpObjectInfoStruct* record, const std::string& fileName,
                               const std::string& lastFileName);
  void receivedNewSdCardObject(PtpObjectInfoStruct record);
  void getLensLength(const PtpObjectInfoStruct* record);
  void cameraObjectChanged(uint32_t handle);
  void olcInfoUpdated(OlcInfoStruct info);
  void propertyUpdatedInitial(const PropertyStruct* record, uint32_t propertyCode);
  void checkBattery();
  std::string lastFileName();

  // The windows' downloads. The thumbnail goes through the serial thumbnail queue and its result to the main
  // queue; the image download blocks the calling thread and returns the image, or none on failure (at once on the
  // main thread when live view would have to be switched off first).
  void downloadThumbnail(PtpObjectInfoStruct record, bool forceAutoView);
  std::optional<std::vector<uint8_t>> doDownloadImage(const PtpObjectInfoClass& object, bool toggleOffLiveView,
                                                      bool shouldRelay, bool showError);

  // --- shooting and automation: shutter, bulb, flash, mirror-up, client mode, property sets, device sequences ---
  // The shutter button down and up (main thread). A press records a movie in movie mode (stops it while it
  // records), stops a running bulb, captures when the exposure is not bulb or the mirror still has to go up, and
  // otherwise starts a bulb; a release ends a capture unless the press did something else.
  void shutterPress();
  void shutterRelease();
  // Half press and its release, and the capture and its release, on the serial shutter queue in the order asked.
  void initiateHalfPress();
  void halfPressRelease();
  void initiateCapture();
  void initiateCaptureRelease();
  // Blocks until the shutter-queue batches asked for so far have run (their return blocks still go to the main
  // queue). Not on the main thread (tests, before the device goes).
  void waitForShutterQueue();
  // Bulb exposure start and stop (global queue); "JWNotification_BulbCaptureToggled" tells the outcome.
  void startBulb();
  void stopBulb();
  void toggleFlash(bool on);
  // Canon mirror-up mode; the setting "MirrorUp" follows the camera.
  void toggleCanonMirrorUpMode(bool on);
  // Client mode; live view or movie mode is switched off first. The setting "HostMode" follows.
  void toggleHostMode(bool on);
  // Writes a property with confirmation; failures other than a cancel are shown with the property's name.
  static void setProperty(uint32_t code, uint32_t value);
  bool isBulbActive() const { return mIsBulbActive.load(); }
  bool ignoresShutterRelease() const { return mIgnoreShutterRelease.load(); }
  // The shutter button's way to movie recording (toggleMovieRecording, with the live-view state).
  void shutterPressMovie(bool start);
  // Starts a sequence that the device runs by itself (HDR bracket, time-lapse, timed bulb), follows it through
  // the device's feedback and cancels it. Failures to start or cancel are shown as alerts.
  void startAutomationSequence(const AutomationSequence& sequence);
  void cancelAutomationSequence();
  // What the device last reported of the sequence started here.
  AutomationSequenceProgress automationProgress() const;

  // --- live view and movie state; zoom, touch focus and focal length ---
  // With `any`, whether live view, movie mode or recording is on (status 1, 2 or 3); without, live view only.
  bool isLiveViewOn(bool any) const;
  // Switches live view through the command runner. On leaves movie mode first. The return block posts
  // "JWNotification_LiveViewToggled" with the state that holds afterwards, alerts on failure and, when a
  // semaphore is given, stores the result (lastToggleLiveViewStatus) and signals it on every path.
  void toggleLiveView(bool on, std::shared_ptr<platform::Semaphore> signalSemaphore);
  // The switch itself, on a worker thread under the live-view lock; starts the loop when live view came on.
  int32_t toggleLiveView(bool on);
  // The same pair for movie mode ("JWNotification_MovieModeToggled"); on leaves live view first.
  void toggleMovieMode(bool on, std::shared_ptr<platform::Semaphore> signalSemaphore);
  int32_t toggleMovieMode(bool on);
  // Starts or stops a movie recording through the command runner.
  void toggleMovieRecording(bool start);
  // Ends the frame stream and switches live view or movie mode off. Without waiting: true. With waiting (worker
  // threads only; on the main thread false at once): whether the switch-off succeeded.
  bool stopLiveViewStream(bool wait);
  // The low 8 bits of the stored results of the last waited-for switches (0x2001 reads 1).
  uint8_t lastToggleLiveViewStatus() const { return static_cast<uint8_t>(mLastLiveViewCmdStatus.load() & 0xFF); }
  uint8_t lastToggleMovieStatus() const { return static_cast<uint8_t>(mLastMovieCmdStatus.load() & 0xFF); }
  // Starts the frame loop on a thread of its own unless one runs that has not been told to stop.
  static void startLiveViewLoop();
  // The property-change observer of the camera's recording state (property 0xD21D); any thread.
  void propertyUpdatedNotification(const platform::Notification& notification);
  // The watermark settings' observer: sends the watermark to the device's sharing clients.
  void observeValueForKeyPath(const std::string& keyPath);
  // Gives the device housekeeping this controller's live-view switch (done at creation; again after a test has
  // replaced it).
  void installLiveViewSwitch();

  // Double tap: the next zoom step at the point; single tap: touch focus at the point. The point runs 0..1 in
  // the view, y upward; `orientation` is the picture's EXIF orientation. Main thread.
  void liveViewDoubleTap(platform::Point point, uint8_t orientation);
  void liveViewSingleTap(platform::Point point, uint8_t orientation);
  // Stops a running touch-focus drive.
  void stopFocus();
  // Moves the zoomed area: tag 0 up, 1 down, 2 left, 3 right.
  void nudgeLiveView(int tag);
  // Canon: a shot in manual focus whose picture is read for the lens's focal length and then deleted.
  void takeImageForFocalLength();
  // The view's point as a point of the picture, 0,0 at its top left, turned by the orientation (3, 6, 8).
  static platform::Point liveViewTapPoint(platform::Point point, uint8_t orientation);
  // A point of the zoomed picture as a point of the whole frame, from the vendor's last live-view header.
  // 0xFF15 when the header holds a zero size or divisor; 0 for a Canon camera without a header.
  static ResponseCode zoomedPointToFramePoint(platform::Point* point);

 private:
  CameraController();
  ~CameraController();

  // Start-up steps of the session's work block that have a step of their own.
  static int32_t startSessionWork();
  static void prepareCacheFolder();
  static void refreshSharingCapabilities();
  static bool loadNikonPropertySnapshot();
  static bool liveViewSelectorIsMovie();
  static void sessionStartReturned(int32_t result);

  // Session file (object handles, and names of objects known only by name) and its monitor. The arrays are
  // absent until a clear, a reload or a pick-up creates them; the monitor is re-entered by the reload's adds.
  std::optional<std::vector<uint32_t>> mSessionHandles;
  std::optional<std::vector<std::string>> mSessionFileNames;
  std::recursive_mutex mSessionHandlesLock;
  std::string mLastFileNameString;
  std::atomic<int32_t> mLastLiveViewCmdStatus{0};
  std::atomic<int32_t> mLastMovieCmdStatus{0};
  std::atomic<uint64_t> mLiveViewStatus{0};
  // Serial queues of captures and thumbnail downloads, created on first use.
  std::shared_ptr<platform::DispatchQueue> mShutterQueue;
  std::shared_ptr<platform::DispatchQueue> mDownloadThumbnailQueue;
  std::atomic<int> mThumbnailDownloadsInFlight{0};
  // The objects whose thumbnail is queued and not yet answered (a leaf lock): an object asked for again meanwhile
  // is answered by the one queued.
  std::mutex mThumbnailsQueuedLock;
  std::set<std::string> mThumbnailsQueued;
  std::atomic<bool> mIsBulbActive{false};
  std::atomic<bool> mIgnoreShutterRelease{false};
  std::atomic<bool> mIsFocusing{false};

  // --- session file, event pump and downloads ---
  // The monitor is held only for the arrays, the file and the objects below, never across an exchange with the
  // device: the main queue and the event thread take it.
  void writeSessionFileLocked();
  // One entry added to the file: appended to its journal, the whole file written again once the journal is long.
  void keepSessionEntryLocked(const SessionFileContents& added);
  size_t mSessionJournalLines = 0;  // lines appended since the file was last written whole
  void addObjectToSessionLocked(const PtpObjectInfoStruct& record);
  // Membership by handle or name; an object of the same handle or name that the object cache knows as another
  // picture (another size or capture date: a card swapped, a numbering begun again) is no member.
  bool containsLocked(const PtpObjectInfoStruct& record, const PtpObjectInfoStruct* cached);
  // The session as stored, read back into the arrays, with what joined since this session started added to it (and
  // to the file); the monitor is held. `stored` gets the file's entries that did not join since this start: the
  // session as an earlier connection left it.
  SessionFileReadResult reloadSessionArraysLocked(SessionFileContents* stored);
  std::mutex mLastFileNameLock;  // a leaf: guards mLastFileNameString and mLastFileSize
  uint32_t mLastFileSize = 0;    // the size of the last object announced, 0 when not known

  enum class PendingStage { Announced, ImageWanted };
  struct PendingObject {
    PtpObjectInfoStruct record{};
    PendingStage stage = PendingStage::Announced;
    uint64_t connection = 0;  // the session start it was last asked for in
    int busyRefusals = 0;     // its thumbnail answered busy, each asked again in the same connection
  };
  static std::string objectKey(const PtpObjectInfoStruct& record);
  // Takes the object for announcing: false when it is in the session or already announced.
  bool claimObject(const PtpObjectInfoStruct& record);
  // Whether an object of this handle was announced and is still remembered (the gate's opening fetches it again).
  bool handlePending(uint32_t handle);
  // Its thumbnail was shown: it joins the session, and stays remembered only while its image is wanted and not yet
  // in the save folder.
  void objectShown(const PtpObjectInfoStruct& record, bool imageWanted);
  // Its image is in the save folder.
  void imageLanded(const PtpObjectInfoStruct& record);
  // Objects claimed by a reload that ended before showing them are left for the next session's fetch.
  void leaveForNextSession(const std::vector<PtpObjectInfoStruct>& records);
  // Runs one block through the command runner without an overlay, its failure unsaid.
  static void runQuietly(std::function<int32_t()> work);
  std::map<std::string, PendingObject> mPending;
  // What joined the session since this session started (also while the arrays are absent: a reload adds it).
  std::vector<uint32_t> mJoinedHandles;
  std::vector<std::string> mJoinedFileNames;
  uint64_t mConnection = 1;
  // The session starts whose dropped link was last said by a failed thumbnail, and by a failed image download.
  uint64_t mThumbnailLinkLossSaid = 0;
  uint64_t mImageLinkLossSaid = 0;
  // True the first time in this session start that a transfer of the kind failed on the dropped link: every
  // transfer queued behind it fails the same way, and their objects stay remembered for the reconnect's fetch.
  bool firstLinkLossOfSession(uint64_t CameraController::*said);
  // An announced picture whose thumbnail the camera refused as busy: asked for again in this connection, a few
  // times at most (a camera busy for good leaves it for the next connection).
  void askAgainForPending(const PtpObjectInfoStruct& record);
  // The camera's handles when a session with nothing stored was first looked at for missed pictures: those were
  // there before it, anything newer that it lacks was missed (its announcement lost before any picture joined).
  struct SessionFloor {
    std::string camera;
    std::optional<uint32_t> highest;  // none: the camera had no objects
  };
  std::optional<SessionFloor> mSessionFloor;

  // --- live view and movie state; zoom, touch focus and focal length ---
  // The observers of the recording property and the watermark settings, and the housekeeping's live-view switch.
  void installLiveViewObservers();
  static void liveViewLoop(uint64_t generation);
  // Both background switches: live view, or movie mode (`movie`), on or off.
  void runSwitch(bool movie, bool on, std::shared_ptr<platform::Semaphore> signalSemaphore);
  static ResponseCode fetchLiveViewFrame(HeapBlock* frame);
  // The touch-focus work under the live-view lock: a running drive stopped, the point placed, the drive started.
  int32_t touchFocusAt(platform::Point at);
  void setLiveViewStatus(uint64_t status) { mLiveViewStatus = status; }
};

// The handler of asynchronous device messages, installed into the link at session start. Called on a thread of
// the link with one whole packet, which it owns: automation feedback (0xF7) and SD-card status (0xFD). Packets
// that are too short, inconsistent or of another type are dropped silently.
void handleDeviceStatusMessage(DeviceStatusMessage message);
// The event thread's poll-error callback: every failure but a busy camera leads to connectionError.
void handlePollError(ResponseCode result);
