#include "tools/soak/soak_host.h"

#include <QTimer>
#include <stdlib.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "engine/ptp/event_thread.h"
#include "engine/store/object_cache.h"
#include "engine/timing.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/window.h"
#include "session/camera_event_pump.h"
#include "session/command.h"
#include "session/session_file.h"
#include "widgets/jw_alert.h"

namespace soak {
namespace {

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

const char* const kSettings[] = {"ipAddress", "WatermarkText", "ShowWatermark", "JWSetting_HRHOME",
                                 "SdCardAutoTransfer", "SdPrefix", "HostMode", "ClassicFocusStacking",
                                 "LastSessionCameraId", "LastSessionTime", "AutoReloadSession", "LoadMissedImages",
                                 "AutoViewImages", "QuickRawMode", "VorlaxentShareEnabled", "AutoShareThumbnails",
                                 "SaveFujiRaws", "CustomFileName", "PrependOriginalName"};

// Before the link is tried again after a failure: the user's next click, in a hurry.
constexpr std::chrono::milliseconds kConnectAgainAfter{100};

std::string nameOf(const PtpObjectInfoStruct& record) {
    return std::string(record.fileName, strnlen(record.fileName, sizeof record.fileName));
}

std::shared_ptr<const PtpObjectInfoClass> objectOf(const platform::Value& v) {
    auto object = v.object<PtpObjectInfoClass>();
    if (!object) object = v["objectInfo"].object<PtpObjectInfoClass>();
    return object;
}

bool isTemporary(const std::string& name) { return name.rfind(".", 0) == 0; }

// An alert's text with the file names in it (words with a dot and a letter after it) taken out.
std::string withoutNames(std::string text) {
    std::string out, word;
    auto flush = [&] {
        const size_t dot = word.rfind('.');
        const bool name = dot != std::string::npos && dot + 1 < word.size() &&
                          std::isalpha(static_cast<unsigned char>(word[dot + 1]));
        out += name ? "<file>" : word;
        word.clear();
    };
    for (char c : text) {
        if (c == ' ') {
            flush();
            out += c;
        } else {
            word += c;
        }
    }
    flush();
    return out;
}

}  // namespace

// --- the user at the alerts ---

void SoakPresenter::note(platform::Window& window) {
    std::string text = "(window)";
    if (auto* alert = qobject_cast<JW_Alert*>(window.windowController())) {
        const std::string title = alert->oTitleTextField ? alert->oTitleTextField->text().toStdString() : "";
        const std::string message =
            alert->oInformationTextField ? alert->oInformationTextField->text().toStdString() : "";
        text = title + ": " + withoutNames(message);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    ++texts_[text];
    ++count_;
}

int SoakPresenter::runModal(platform::Window& window) {
    note(window);
    QTimer::singleShot(0, [&window] {
        if (auto* alert = qobject_cast<JW_Alert*>(window.windowController())) alert->okAction(alert->oOkButton);
    });
    return Presenter::runModal(window);
}

void SoakPresenter::present(platform::Window& window, bool makeKey) {
    note(window);
    Presenter::present(window, makeKey);
    QPointer<platform::Window> shown(&window);
    QTimer::singleShot(0, [shown] {
        if (!shown) return;
        if (auto* alert = qobject_cast<JW_Alert*>(shown->windowController())) alert->okAction(alert->oOkButton);
    });
}

std::vector<std::pair<std::string, uint64_t>> SoakPresenter::texts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::pair<std::string, uint64_t>> out(texts_.begin(), texts_.end());
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    return out;
}

// --- the host ---

SoakHost::SoakHost(HostOptions options) : options_(options) {
    engine_timing::scale().store(options_.scale);
    session_testing::resetEngineState();
    linkSetReadTimeout(std::chrono::milliseconds(int64_t(double(options_.readTimeout.count()) / options_.scale)));

    const bool restart = !options_.root.empty();
    if (!restart)
        for (const char* key : kSettings) defaults().removeObjectForKey(key);
    defaults().setString("127.0.0.1", "ipAddress");
    defaults().setInteger(3, "AutoViewImages");  // each picture downloaded in the background
    defaults().setBool(true, "AutoReloadSession");
    defaults().setBool(true, "LoadMissedImages");
    const uint16_t port = options_.port;
    session_testing::dialStandIn([port] { return port; });
    CameraController::resetClassWideState();
    Utilities::setCurrentConnectionStatus(kConnectionStatusUnknown);

    char folder[] = "/tmp/vx_soak_XXXXXX";
    root_ = restart ? options_.root : ::mkdtemp(folder) ? folder : "/tmp";
    cache_ = root_ + "/Cache";
    save_ = root_ + "/Save";
    std::filesystem::create_directories(cache_);
    std::filesystem::create_directories(save_);
    objCacheReset();
    objCacheOpen(cache_, save_);
    if (!options_.customFileName.empty()) {
        // As the program's start sets the cache up from the settings.
        defaults().setString(options_.customFileName, "CustomFileName");
        defaults().setBool(false, "PrependOriginalName");
        objCacheSetSaveFolder(save_);
        objCacheSetFileNamePrefix(options_.customFileName, false);
    }
    std::error_code ec;
    if (!restart) std::filesystem::remove(sessionFilePath(), ec);

    scoped_ = std::make_unique<platform::ScopedPresenter>(presenter_);
    window_ = std::make_unique<session_testing::CameraWindowStandIn>();
    downloads_ = platform::createSerialQueue("soak.tether.downloads");
    auto& center = platform::NotificationCenter::defaultCenter();
    tokens_.push_back(center.addObserverForName(kVorlaxentConnectionStatusNotification, nullptr,
                                                [this](const platform::Notification& n) {
                                                    onStatus(static_cast<int32_t>(n.object.toInteger()));
                                                }));
    tokens_.push_back(center.addObserverForName(kSessionStartedNotification, nullptr,
                                                [this](const platform::Notification&) { onSessionStarted(); }));
    tokens_.push_back(center.addObserverForName(kDownloadImageInBackgroundNotification, nullptr,
                                                [this](const platform::Notification& n) { onDownloadAsked(n); }));
    tokens_.push_back(center.addObserverForName(kNewObjectNotification, nullptr, [this](const platform::Notification& n) {
        if (auto o = objectOf(n.object)) mark(nameOf(*o->origObjectInfo()), kAnnounced);
    }));
    tokens_.push_back(center.addObserverForName(kThumbnailDownloadedNotification, nullptr,
                                                [this](const platform::Notification& n) {
                                                    if (auto o = objectOf(n.object))
                                                        mark(nameOf(*o->origObjectInfo()), kThumbnail);
                                                }));
}

SoakHost::~SoakHost() {
    end();
    for (const auto& token : tokens_) platform::NotificationCenter::defaultCenter().removeObserver(token);
    window_.reset();
    scoped_.reset();
    objCacheReset();
    if (!leaveSettings_)
        for (const char* key : kSettings) defaults().removeObjectForKey(key);
    CommsManager::resetEnvironment();
    if (!options_.keepFolders) {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
}

void SoakHost::stepBegin(const char* what) {
    if (!options_.watchdog || reconnectStep_) return;
    // A reconnect waits through a restart or a detached camera and a few read time-outs at most.
    reconnectStep_ = options_.watchdog->begin(what, 6 * options_.readTimeout + std::chrono::seconds(60));
}

void SoakHost::stepEnd() {
    if (options_.watchdog && reconnectStep_) options_.watchdog->end(*reconnectStep_);
    reconnectStep_.reset();
}

void SoakHost::begin() {
    stepBegin("first connection");
    CameraController::instance().connectToVorlaxent();
}

void SoakHost::end() {
    if (ended_.exchange(true)) return;
    stepEnd();
    camStopEventThread(true);
    linkSetEventHandler(nullptr);
    linkDisconnect();
    // The downloads and thumbnails still queued end quickly on a closed link; their return blocks on the main queue.
    platform::runMainUntil([this] { return inFlight_.load() == 0; }, std::chrono::seconds(60));
    bool drained = false;
    platform::mainQueue().async([&drained] { drained = true; });
    platform::runMainUntil([&drained] { return drained; }, std::chrono::seconds(60));
}

void SoakHost::connectAgainLater() {
    if (reconnectPending_.exchange(true)) return;  // one round at a time
    platform::dispatchAfter(kConnectAgainAfter, [this] {
        reconnectPending_ = false;
        if (ended_) return;
        askedForCamera_ = false;
        CameraController::instance().connectToVorlaxent();
    });
}

void SoakHost::onStatus(int32_t status) {
    Utilities::setCurrentConnectionStatus(status);
    if (ended_) return;
    switch (status) {
        case kConnectionStatusDeviceConnected:
            if (!askedForCamera_.exchange(true)) {
                CameraController::instance().connectToCamera(std::nullopt);
            } else {  // no camera on the device yet: ask again in a moment
                platform::dispatchAfter(kConnectAgainAfter, [this] {
                    if (!ended_) CameraController::instance().connectToCamera(std::nullopt);
                });
            }
            break;
        case kConnectionStatusCameraConnected:
            CameraController::instance().startSession();
            break;
        case kConnectionStatusLinkFailed:
        case kConnectionStatusUnknown:  // the link failed, or the session did not start: connect again
            stepBegin("reconnect");
            ++reconnects_;
            connectAgainLater();
            break;
        default:
            break;
    }
}

void SoakHost::onSessionStarted() {
    if (ended_) return;
    ++sessions_;
    stepEnd();
    // Read before the windows start their work, so that the reload's files are not counted.
    const ProcessReadings r = readProcess();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        levels_.push_back(r);
    }
    // What the windows do once the session is there: the camera window checks the session and opens the gate,
    // the tether window picks up the pictures taken while away.
    CameraController::instance().checkSession();
    startCameraEventDispatch();
    CameraController::instance().loadMissedImages();
}

void SoakHost::onDownloadAsked(const platform::Notification& n) {
    auto object = objectOf(n.object);
    if (!object || ended_) return;
    const PtpObjectInfoClass copy(*object->origObjectInfo());
    const std::string name = nameOf(*copy.origObjectInfo());
    mark(name, kDownloadAsked);
    // As the camera window does: a picture whose download is queued is not queued again.
    const std::string queued = std::to_string(copy.origObjectInfo()->objectId) + "/" + name + "/" +
                               std::to_string(copy.origObjectInfo()->objectCompressedSize);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!queued_.insert(queued).second) return;
    }
    ++inFlight_;
    if (options_.downloadsFromMain && !platform::isMainThread()) {
        platform::mainQueue().async([this, copy, name, queued] { startDownload(copy, name, queued); });
        return;
    }
    startDownload(copy, name, queued);
}

void SoakHost::startDownload(const PtpObjectInfoClass& copy, const std::string& name, const std::string& queued) {
    // As the camera window does: one untitled batch on its download queue, the error shown on failure.
    auto ok = std::make_shared<std::atomic<bool>>(false);
    CommandBlockArray commands;
    commands.emplace_back(
        [this, copy, name, ok]() -> int32_t {
            std::optional<uint64_t> step;
            // A download may meet a busy storm and a late reply or two before it fails or succeeds.
            if (options_.watchdog)
                step = options_.watchdog->begin("download " + name, 8 * options_.readTimeout + std::chrono::seconds(60));
            *ok = !ended_ && CameraController::instance().doDownloadImage(copy, false, false, true).has_value();
            if (step) options_.watchdog->end(*step);
            return 1;
        },
        std::nullopt);
    Command::runCommandsWithQueue(
        std::move(commands),
        [this, name, ok, queued](int32_t) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                queued_.erase(queued);
            }
            mark(name, *ok ? kDownloaded : kDownloadFailed);
            if (!*ok) ++failed_;
            else ++done_;
            --inFlight_;
        },
        downloads_.get());
}

void SoakHost::mark(const std::string& name, uint8_t flag) {
    std::lock_guard<std::mutex> lock(mutex_);
    traces_[name] |= flag;
}

uint8_t SoakHost::trace(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = traces_.find(name);
    return it == traces_.end() ? 0 : it->second;
}

std::vector<ProcessReadings> SoakHost::levels() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return levels_;
}

size_t SoakHost::onDisk() const {
    size_t n = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(save_, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec))
        n += !isTemporary(it->path().filename().string());
    return n;
}

bool SoakHost::sessionLive() const {
    return !ended_ && camEventThreadRunning() && CameraController::eventGate() && !reconnectStep_;
}

bool SoakHost::sessionFileReadsBack(size_t* entries) const {
    const SessionFileReadResult r = readSessionFile(sessionFilePath());
    if (entries) *entries = r.contents.handles.size() + r.contents.fileNames.size();
    return r.status == SessionFileReadResult::Ok;
}

}  // namespace soak
