#pragma once
// The program's side of a soak: the session controller as the application runs it, headless. The connection view
// is stood in for (3: ask for the camera, 5: start the session, a failed link or start: connect again after a
// pause, as the user's next click would), so is the camera window (every new object's thumbnail fetched, the
// session checked and the event gate opened at each session start), the tether window (missed images picked up at
// each session start, each picture downloaded in the background as "AutoViewImages" 3 asks) and the user at the
// alerts (each one answered or closed with its OK button). Downloads go into a temporary save folder through the
// object cache; the session file lives in the temporary documents folder. Main thread only, unless said otherwise.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/presenter.h"
#include "session/session_harness.h"
#include "tools/soak/process_readings.h"
#include "tools/soak/watchdog.h"

namespace soak {

struct HostOptions {
    uint16_t port = 0;                      // the stand-in device's loopback port
    double scale = 0.1;                     // every engine wait scaled by this
    std::chrono::milliseconds readTimeout;  // the link's read time-out, real time (after the scale)
    Watchdog* watchdog = nullptr;           // steps are registered with it when given
    bool keepFolders = false;               // leave the temporary folders behind
    // The camera window's background download starts from the main queue rather than on the posting thread (the
    // window as written calls the command runner where the notification arrives, which waits for the main queue:
    // posted by the session reload under its lock, that meets the main thread waiting for the same lock).
    bool downloadsFromMain = false;
    // A restart of the program: the folders of an earlier host (its save folder, object cache and session file)
    // and the settings it left are used again rather than made anew.
    std::string root;
    // Saves under "<name>_<n>.<ext>" ("CustomFileName" set, "PrependOriginalName" off), as the settings do.
    std::string customFileName;
};

// What became of one picture on the program's side, by its file name.
enum PictureTrace : uint8_t {
    kAnnounced = 1,       // "JWNotification_NewObject"
    kThumbnail = 2,       // "JWNotification_ThumbnailDownloaded"
    kDownloadAsked = 4,   // "JWNotification_DownloadImageInBackground"
    kDownloaded = 8,      // doDownloadImage answered the image
    kDownloadFailed = 16, // doDownloadImage answered none
};

// Closes every alert with its OK button, as a user would; counts them by text.
class SoakPresenter : public platform::Presenter {
public:
    int runModal(platform::Window& window) override;
    void present(platform::Window& window, bool makeKey) override;
    uint64_t count() const { return count_.load(); }
    // The texts seen most often, with their counts (file names taken out so that one text counts once).
    std::vector<std::pair<std::string, uint64_t>> texts() const;

private:
    void note(platform::Window& window);
    mutable std::mutex mutex_;
    std::map<std::string, uint64_t> texts_;
    std::atomic<uint64_t> count_{0};
};

class SoakHost {
public:
    explicit SoakHost(HostOptions options);
    ~SoakHost();
    SoakHost(const SoakHost&) = delete;
    SoakHost& operator=(const SoakHost&) = delete;

    // The first connection round.
    void begin();
    // Ends the session: event thread stopped, link closed, queued work drained.
    void end();

    const std::string& saveFolder() const { return save_; }
    const std::string& root() const { return root_; }
    // The program is about to start again: its settings stay when this host goes.
    void leaveSettings() { leaveSettings_ = true; }
    // Files in the save folder (temporary files left out).
    size_t onDisk() const;
    uint64_t reconnects() const { return reconnects_.load(); }
    uint64_t sessions() const { return sessions_.load(); }
    uint64_t downloadsFailed() const { return failed_.load(); }
    // Background downloads that answered the image (a cheap count to wait on; onDisk() lists the folder).
    uint64_t downloadsDone() const { return done_.load(); }
    uint64_t downloadsInFlight() const { return inFlight_.load(); }
    bool sessionLive() const;
    const SoakPresenter& presenter() const { return presenter_; }
    // Readings taken at each session start (once its start-up work is over).
    std::vector<ProcessReadings> levels() const;
    // The traces of the names given (0 for a name never seen).
    uint8_t trace(const std::string& name) const;
    // Whether the session file reads back, and how many entries it holds.
    bool sessionFileReadsBack(size_t* entries) const;

private:
    void onStatus(int32_t status);
    void onSessionStarted();
    void onDownloadAsked(const platform::Notification& n);
    void startDownload(const PtpObjectInfoClass& object, const std::string& name, const std::string& queued);
    void connectAgainLater();
    void mark(const std::string& name, uint8_t flag);
    void stepBegin(const char* what);
    void stepEnd();

    HostOptions options_;
    std::string root_, cache_, save_;
    SoakPresenter presenter_;
    std::unique_ptr<platform::ScopedPresenter> scoped_;
    std::unique_ptr<session_testing::CameraWindowStandIn> window_;
    std::vector<platform::ObserverToken> tokens_;
    std::shared_ptr<platform::DispatchQueue> downloads_;
    std::atomic<bool> askedForCamera_{false};
    std::atomic<uint64_t> reconnects_{0}, sessions_{0}, failed_{0}, done_{0}, inFlight_{0};
    std::atomic<bool> ended_{false};
    bool leaveSettings_ = false;
    std::atomic<bool> reconnectPending_{false};
    std::optional<uint64_t> reconnectStep_;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, uint8_t> traces_;
    std::unordered_set<std::string> queued_;  // downloads queued and not yet returned, as the camera window keeps them
    std::vector<ProcessReadings> levels_;
};

}  // namespace soak
