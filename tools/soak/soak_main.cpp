// vorlaxent-soak: thousands of pictures through faults. The session controller as the application runs it
// (event thread, pump, thumbnail and image downloads into a temporary save folder, the session file, reconnects
// with checkSession and loadMissedImages), headless, against a stand-in device with one vendor's body that shoots
// in bursts and meets faults on a seeded schedule. The body runs in a process of its own (this program started
// again with --body), so that the memory, descriptors and threads read here are the program's alone.
//
// It prints one line per interval (pictures taken, on disk, faults injected, reconnects, resident memory, open
// descriptors, threads) and a verdict; exit status 0 when the verdict passes, 1 when it fails, 2 for bad options,
// 3 when the watchdog ended the run.
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <QApplication>

#include "engine/ptp/event_thread.h"
#include "engine/store/object_cache.h"
#include "session/camera_controller.h"
#include "platform/foundation/allocator_tuning.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/test_application.h"
#include "tools/soak/process_readings.h"
#include "tools/soak/soak_body.h"
#include "tools/soak/soak_host.h"
#include "tools/soak/watchdog.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr uint64_t kMemoryGrowthLimit = 16ull * 1024 * 1024;
#if defined(__SANITIZE_THREAD__)
constexpr bool kUnderThreadSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr bool kUnderThreadSanitizer = true;
#else
constexpr bool kUnderThreadSanitizer = false;
#endif
#else
constexpr bool kUnderThreadSanitizer = false;
#endif
// Readings at the session starts after the first may differ from the first by this much: the dispatch pool
// keeps a worker it added while all were blocked, a queued block may hold a descriptor for a moment.
constexpr int kDescriptorSlack = 2;
constexpr int kThreadSlack = 2;

struct Options {
    soak::BodyOptions body;
    double scale = 0.05;
    milliseconds readTimeout{1000};
    seconds durationLimit{3600};
    seconds lineEvery{60};
    seconds settle{0};  // 0: from the read time-out
    bool keep = false;
    bool bodyMode = false;
    int controlFd = -1;
    bool inProcess = false;
    bool downloadsFromMain = false;
    seconds hangAfter{120};
    int customNameRestarts = 0;
};

// The custom file name the restarted hosts save under.
constexpr const char* kCustomName = "Soak";

void usage() {
    std::fprintf(stderr,
                 "usage: vorlaxent-soak [--vendor canon|nikon|sony|fuji] [--pictures N] [--rate SHOTS_PER_S]\n"
                 "         [--burst MAX] [--raw-share F] [--movie-share F] [--fault-every EXCHANGES]\n"
                 "         [--faults kind,kind,...] [--seed N] [--duration-limit S] [--line-every S]\n"
                 "         [--scale F] [--read-timeout MS] [--settle S] [--hang-after S] [--in-process] [--keep]\n"
                 "         [--downloads-from-main] [--card-swap-every PICTURES] [--delete-share F]\n"
                 "         [--custom-name-restarts N]\n"
                 "fault kinds: cut-reply cut-object busy-storm late-reply malformed restart detach\n");
}

bool parse(int argc, char** argv, Options& o, std::vector<std::string>& forward) {
    bool rawShareGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        const bool takes = a != "--body" && a != "--keep" && a != "--in-process" && a != "--downloads-from-main";
        if (takes && !value(v)) return false;
        if (takes && a != "--control-fd") {
            forward.push_back(a);
            forward.push_back(v);
        }
        try {
            if (a == "--vendor") {
                if (!soak::SoakBody::isVendor(v)) return false;
                o.body.vendor = v;
            } else if (a == "--pictures") o.body.shots.pictures = std::stoi(v);
            else if (a == "--rate") o.body.shots.perSecond = std::stod(v);
            else if (a == "--burst") o.body.shots.burstMax = std::stoi(v);
            else if (a == "--raw-share") {
                o.body.shots.rawShare = std::stod(v);
                rawShareGiven = true;
            }
            else if (a == "--movie-share") o.body.shots.movieShare = std::stod(v);
            else if (a == "--fault-every") o.body.faults.everyExchanges = uint32_t(std::stoul(v));
            else if (a == "--faults") {
                o.body.faults.kinds.clear();
                std::stringstream list(v);
                for (std::string k; std::getline(list, k, ',');) {
                    auto kind = devicesim::faultKindNamed(k);
                    if (!kind) return false;
                    o.body.faults.kinds.push_back(*kind);
                }
            } else if (a == "--seed") {
                o.body.faults.seed = std::stoull(v);
                o.body.shots.seed = o.body.faults.seed;
            } else if (a == "--duration-limit") o.durationLimit = seconds(std::stoll(v));
            else if (a == "--line-every") o.lineEvery = seconds(std::stoll(v));
            else if (a == "--scale") o.scale = std::stod(v);
            else if (a == "--read-timeout") o.readTimeout = milliseconds(std::stoll(v));
            else if (a == "--settle") o.settle = seconds(std::stoll(v));
            else if (a == "--control-fd") o.controlFd = std::stoi(v);
            else if (a == "--body") o.bodyMode = true;
            else if (a == "--keep") o.keep = true;
            else if (a == "--in-process") o.inProcess = true;
            else if (a == "--downloads-from-main") o.downloadsFromMain = true;
            else if (a == "--hang-after") o.hangAfter = seconds(std::stoll(v));
            else if (a == "--card-swap-every") o.body.cardSwapEvery = std::stoi(v);
            else if (a == "--delete-share") o.body.deleteShare = std::stod(v);
            else if (a == "--custom-name-restarts") o.customNameRestarts = std::stoi(v);
            else return false;
        } catch (...) {
            return false;
        }
    }
    if (o.body.shots.pictures <= 0 || o.scale <= 0 || o.readTimeout.count() <= 0) return false;
    if (o.body.cardSwapEvery < 0 || o.body.deleteShare < 0 || o.body.deleteShare > 1 || o.customNameRestarts < 0)
        return false;
    if (o.customNameRestarts > 0) o.body.customPrefix = kCustomName;
    // The Canon body records JPEG only, and under that setting the program shows no raw file by design: its shots
    // are JPEG unless told otherwise.
    if (o.body.vendor == "canon" && !rawShareGiven) o.body.shots.rawShare = 0;
    // Replies come late by more than the read time-out: the host must give up on them.
    o.body.faults.lateBy = o.readTimeout + o.readTimeout / 2;
    return true;
}

// --- the body's side of the control line ---

bool writeLine(int fd, const std::string& line) {
    const std::string text = line + "\n";
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return false;
        done += size_t(n);
    }
    return true;
}

class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}
    std::optional<std::string> next() {
        for (;;) {
            const size_t nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return line;
            }
            char chunk[4096];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n <= 0) return std::nullopt;
            buffer_.append(chunk, size_t(n));
        }
    }

private:
    int fd_;
    std::string buffer_;
};

std::string statsLine(const soak::BodyStats& s) {
    std::string line = "stats " + std::to_string(s.taken) + " " + std::to_string(s.stills) + " " +
                       std::to_string(s.shotsDone) + " " + std::to_string(s.exchanges) + " " + std::to_string(s.faults);
    for (uint64_t k : s.byKind) line += " " + std::to_string(k);
    line += " " + std::to_string(s.swaps) + " " + std::to_string(s.deletions);
    return line;
}

int runBody(const Options& o) {
    ::signal(SIGPIPE, SIG_IGN);
    soak::SoakBody body(o.body);
    if (!body.start()) return 1;
    const int fd = o.controlFd;
    writeLine(fd, "port " + std::to_string(body.port()));
    LineReader in(fd);
    while (auto line = in.next()) {
        if (*line == "start") {
            body.startShooting();
            writeLine(fd, "ok");
        } else if (*line == "stats") {
            writeLine(fd, statsLine(body.stats()));
        } else if (*line == "calm") {
            body.calm();
            writeLine(fd, "ok");
        } else if (*line == "hold" || *line == "go") {
            body.hold(*line == "hold");
            writeLine(fd, "ok");
        } else if (line->rfind("folder ", 0) == 0) {
            body.setSaveFolder(line->substr(7));
            writeLine(fd, "ok");
        } else if (line->rfind("verify ", 0) == 0) {
            const soak::FolderVerdict v = body.verify(line->substr(7));
            writeLine(fd, "verdict " + std::to_string(v.expected) + " " + std::to_string(v.whole) + " " +
                              std::to_string(v.moviesWhole) + " " + std::to_string(v.moviesAbsent) + " " +
                              std::to_string(v.deletedWhole) + " " + std::to_string(v.deletedAbsent) + " " +
                              std::to_string(v.customNamed) + " " + std::to_string(v.freeNamed));
            for (const auto& [what, list] : {std::pair{"missing", &v.missing}, {"corrupt", &v.corrupt},
                                             {"temporary", &v.temporary}, {"duplicate", &v.duplicates},
                                             {"unknown", &v.unknown}, {"changed", &v.changed},
                                             {"misnamed", &v.misnamed}, {"lost", &v.lostWithCard}})
                for (const auto& name : *list) writeLine(fd, std::string(what) + " " + name);
            writeLine(fd, "end");
        } else if (*line == "quit") {
            break;
        }
    }
    return 0;
}

// --- the program's side: the body, in its process or in this one ---

class Body {
public:
    virtual ~Body() = default;
    virtual uint16_t port() const = 0;
    virtual void startShooting() = 0;
    virtual soak::BodyStats stats() = 0;
    virtual void calm() = 0;
    virtual void setSaveFolder(const std::string& folder) = 0;
    virtual void hold(bool held) = 0;
    virtual soak::FolderVerdict verify(const std::string& folder) = 0;
};

class LocalBody : public Body {
public:
    explicit LocalBody(const soak::BodyOptions& o) : body_(o) { started_ = body_.start(); }
    bool started() const { return started_; }
    uint16_t port() const override { return body_.port(); }
    void startShooting() override { body_.startShooting(); }
    soak::BodyStats stats() override { return body_.stats(); }
    void calm() override { body_.calm(); }
    void setSaveFolder(const std::string& folder) override { body_.setSaveFolder(folder); }
    void hold(bool held) override { body_.hold(held); }
    soak::FolderVerdict verify(const std::string& folder) override { return body_.verify(folder); }

private:
    soak::SoakBody body_;
    bool started_ = false;
};

class RemoteBody : public Body {
public:
    bool spawn(const std::vector<std::string>& forward) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;
        fd_ = pair[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pair[1], 3);  // dup2 clears close-on-exec
        std::vector<std::string> args = {"/proc/self/exe", "--body", "--control-fd", "3"};
        args.insert(args.end(), forward.begin(), forward.end());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, "/proc/self/exe", &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pair[1]);
        if (rc != 0) return false;
        reader_ = std::make_unique<LineReader>(fd_);
        const auto line = reader_->next();
        if (!line || line->rfind("port ", 0) != 0) return false;
        port_ = uint16_t(std::stoi(line->substr(5)));
        return true;
    }
    ~RemoteBody() override {
        if (fd_ >= 0) {
            writeLine(fd_, "quit");
            ::close(fd_);
        }
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    uint16_t port() const override { return port_; }
    void startShooting() override { ask("start"); }
    void calm() override { ask("calm"); }
    void setSaveFolder(const std::string& folder) override { ask("folder " + folder); }
    void hold(bool held) override { ask(held ? "hold" : "go"); }
    soak::BodyStats stats() override {
        soak::BodyStats s;
        std::istringstream in(ask("stats"));
        std::string word;
        int done = 0;
        in >> word >> s.taken >> s.stills >> done >> s.exchanges >> s.faults;
        s.shotsDone = done != 0;
        for (auto& k : s.byKind) in >> k;
        in >> s.swaps >> s.deletions;
        return s;
    }
    soak::FolderVerdict verify(const std::string& folder) override {
        soak::FolderVerdict v;
        std::istringstream head(ask("verify " + folder));
        std::string word;
        head >> word >> v.expected >> v.whole >> v.moviesWhole >> v.moviesAbsent >> v.deletedWhole >> v.deletedAbsent >>
            v.customNamed >> v.freeNamed;
        while (auto line = reader_->next()) {
            if (*line == "end") break;
            const size_t space = line->find(' ');
            const std::string what = line->substr(0, space), name = line->substr(space + 1);
            if (what == "missing") v.missing.push_back(name);
            else if (what == "corrupt") v.corrupt.push_back(name);
            else if (what == "temporary") v.temporary.push_back(name);
            else if (what == "duplicate") v.duplicates.push_back(name);
            else if (what == "changed") v.changed.push_back(name);
            else if (what == "misnamed") v.misnamed.push_back(name);
            else if (what == "lost") v.lostWithCard.push_back(name);
            else v.unknown.push_back(name);
        }
        return v;
    }

private:
    std::string ask(const std::string& what) {
        writeLine(fd_, what);
        auto line = reader_->next();
        return line ? *line : std::string();
    }
    int fd_ = -1;
    pid_t pid_ = -1;
    uint16_t port_ = 0;
    std::unique_ptr<LineReader> reader_;
};

std::string clockText(Clock::duration d) {
    const long s = long(std::chrono::duration_cast<seconds>(d).count());
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

int runHost(const Options& o, const std::vector<std::string>& forward) {
    ::signal(SIGPIPE, SIG_IGN);
    platform::keepLargeAllocationsInProcess();  // as the application's start does
    std::unique_ptr<Body> body;
    if (o.inProcess) {
        auto local = std::make_unique<LocalBody>(o.body);
        if (!local->started()) return 1;
        body = std::move(local);
    } else {
        auto remote = std::make_unique<RemoteBody>();
        if (!remote->spawn(forward)) {
            std::fprintf(stderr, "vorlaxent-soak: the body process did not start\n");
            return 1;
        }
        body = std::move(remote);
    }
    platform::ensureTestApplication();
    soak::Watchdog watchdog;
    soak::HostOptions h;
    h.port = body->port();
    h.scale = o.scale;
    h.readTimeout = o.readTimeout;
    h.watchdog = &watchdog;
    h.keepFolders = o.keep;
    h.downloadsFromMain = o.downloadsFromMain;
    // With restarts each host leaves its folders to the next; the last one's are removed here, after it has gone.
    h.keepFolders = o.keep || o.customNameRestarts > 0;
    struct RemoveRoot {
        std::string root;
        ~RemoveRoot() {
            std::error_code ec;
            if (!root.empty()) std::filesystem::remove_all(root, ec);
        }
    } removeRoot;
    auto host = std::make_unique<soak::SoakHost>(h);
    if (o.customNameRestarts > 0 && !o.keep) removeRoot.root = host->root();
    const bool cases = o.body.cases() || o.customNameRestarts > 0;
    if (cases) body->setSaveFolder(host->saveFolder());
    // Where the restarts fall, in pictures taken: spread evenly over the run, each moved by up to a quarter of the
    // spacing, from the seed.
    std::vector<size_t> restartAt;
    {
        uint64_t draw = o.body.shots.seed ^ 0x2E57A27ull;
        const size_t spacing = size_t(o.body.shots.pictures) / size_t(o.customNameRestarts + 1);
        for (int k = 1; k <= o.customNameRestarts; ++k) {
            draw += 0x9E3779B97F4A7C15ull;
            uint64_t z = (draw ^ (draw >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            z ^= z >> 31;
            const size_t quarter = std::max<size_t>(1, spacing / 4);
            restartAt.push_back(std::max<size_t>(1, spacing * size_t(k) + size_t(z % (2 * quarter + 1)) - quarter));
        }
    }
    size_t restarts = 0;
    std::vector<soak::ProcessReadings> earlierLevels;

    std::printf("soak: %s, %d pictures at %.1f/s in bursts of up to %d, a fault per %u exchanges, seed %llu\n",
                o.body.vendor.c_str(), o.body.shots.pictures, o.body.shots.perSecond, o.body.shots.burstMax,
                o.body.faults.everyExchanges, static_cast<unsigned long long>(o.body.faults.seed));
    std::fflush(stdout);
    const auto start = Clock::now();
    host->begin();
    const auto mainTurn = [&](milliseconds slice, const std::function<bool()>& until) {
        soak::Watchdog::Step step(watchdog, "main queue", o.hangAfter);
        return platform::runMainUntil(until, slice);
    };
    if (!mainTurn(seconds(120), [&] { return host->sessions() > 0; })) {
        std::printf("verdict: FAIL (no session started)\n");
        return 1;
    }
    body->startShooting();

    const size_t warmUpPictures = size_t(std::max(50, o.body.shots.pictures / 10));
    std::optional<uint64_t> warmRss;
    uint64_t maxRss = 0;
    soak::BodyStats stats;
    auto nextLine = start + o.lineEvery;
    const milliseconds settle = o.settle.count() > 0 ? milliseconds(o.settle) : std::max(milliseconds(4000), 4 * o.readTimeout);
    bool calm = false, limited = false;
    size_t lastOnDisk = 0;
    auto lastChange = Clock::now();
    // The event thread polls every few tens of milliseconds while the session lives; a poll that has not come
    // back within several read time-outs waits on something it will not get.
    const milliseconds pollStall = std::max(milliseconds(15000), 10 * o.readTimeout);
    uint64_t lastCycles = camEventThreadCycles();
    auto lastCycle = Clock::now();
    const auto printLine = [&](const char* tag) {
        const soak::ProcessReadings r = soak::readProcess();
        std::printf("[%s]%s pictures %zu, on disk %zu, faults %llu, reconnects %llu, resident %s, descriptors %d, "
                    "threads %d (and %d pool workers)\n",
                    clockText(Clock::now() - start).c_str(), tag, stats.taken, host->onDisk(),
                    static_cast<unsigned long long>(stats.faults), static_cast<unsigned long long>(host->reconnects()),
                    soak::mebibytes(r.residentBytes).c_str(), r.descriptors, r.threads, r.poolWorkers);
        if (cases)
            std::printf("[%s]%s cards swapped %llu, pictures deleted %llu, restarts %zu\n",
                        clockText(Clock::now() - start).c_str(), tag, static_cast<unsigned long long>(stats.swaps),
                        static_cast<unsigned long long>(stats.deletions), restarts);
        std::fflush(stdout);
    };
    for (;;) {
        mainTurn(milliseconds(250), [] { return false; });
        stats = body->stats();
        const auto now = Clock::now();
        const soak::ProcessReadings r = soak::readProcess();
        if (!warmRss && stats.taken >= warmUpPictures) warmRss = r.residentBytes;
        if (warmRss) maxRss = std::max(maxRss, r.residentBytes);
        if (now >= nextLine) {
            printLine("");
            nextLine += o.lineEvery;
        }
        const uint64_t cycles = camEventThreadCycles();
        if (cycles != lastCycles || !host->sessionLive()) {
            lastCycles = cycles;
            lastCycle = now;
        } else if (now - lastCycle > pollStall) {
            std::fprintf(stderr, "soak: the event thread's poll has not come back for %lld ms; stacks follow\n",
                         static_cast<long long>(std::chrono::duration_cast<milliseconds>(now - lastCycle).count()));
            soak::Watchdog::printStacks();
            printLine(" end:");
            std::printf("verdict: FAIL (hung: the event thread's poll)\n");
            std::fflush(stdout);
            std::_Exit(3);
        }
        if (now - start >= o.durationLimit) {
            limited = true;
            break;
        }
        if (restarts < restartAt.size() && stats.taken >= restartAt[restarts] && !stats.shotsDone) {
            // The program ends and starts again on the same folders and settings, now saving under a custom name.
            // The user quits it once it is idle: the body holds its shots and faults until the downloads asked
            // for have returned and the folder has stayed still a while. (What was shown and not yet downloaded
            // when the program quits is not fetched by the next start on its own.)
            body->hold(true);
            {
                const auto quietFrom = Clock::now() + seconds(60);
                size_t disk = host->onDisk();
                auto still = Clock::now();
                mainTurn(seconds(60), [&] {
                    const size_t d = host->onDisk();
                    if (d != disk) {
                        disk = d;
                        still = Clock::now();
                    }
                    return Clock::now() > quietFrom ||
                           (host->sessionLive() && host->downloadsInFlight() == 0 && Clock::now() - still >= settle);
                });
            }
            std::printf("[%s] restart %zu at %zu pictures, %zu files on disk\n", clockText(Clock::now() - start).c_str(),
                        restarts + 1, stats.taken, host->onDisk());
            std::fflush(stdout);
            const std::vector<soak::ProcessReadings> levels = host->levels();
            earlierLevels.insert(earlierLevels.end(), levels.begin(), levels.end());
            h.root = host->root();
            h.customFileName = kCustomName;
            host->leaveSettings();
            host.reset();
            host = std::make_unique<soak::SoakHost>(h);
            ++restarts;
            host->begin();
            body->hold(false);
            lastChange = Clock::now();
            continue;
        }
        if (!calm && stats.shotsDone) {
            body->calm();  // what is owed must now arrive
            calm = true;
            lastChange = now;
        }
        const size_t disk = host->onDisk();
        if (disk != lastOnDisk) {
            lastOnDisk = disk;
            lastChange = now;
        }
        if (calm && host->sessionLive() && host->downloadsInFlight() == 0 && now - lastChange >= settle) break;
    }
    printLine(" end:");
    const auto finalRss = soak::readProcess().residentBytes;
    host->end();

    // --- the verdict ---
    std::vector<std::string> failures;
    const soak::FolderVerdict v = body->verify(host->saveFolder());
    std::printf("faults injected %llu:", static_cast<unsigned long long>(stats.faults));
    for (size_t k = 0; k < devicesim::kFaultKinds; ++k)
        std::printf(" %s %llu", devicesim::faultKindName(devicesim::FaultKind(k)),
                    static_cast<unsigned long long>(stats.byKind[k]));
    std::printf("; exchanges %llu; reconnects %llu, sessions %llu; background downloads failed %llu\n",
                static_cast<unsigned long long>(stats.exchanges), static_cast<unsigned long long>(host->reconnects()),
                static_cast<unsigned long long>(host->sessions()),
                static_cast<unsigned long long>(host->downloadsFailed()));
    if (cases)
        std::printf("cases: cards swapped %llu, pictures deleted on the body %llu, restarts with a custom name %zu\n",
                    static_cast<unsigned long long>(stats.swaps), static_cast<unsigned long long>(stats.deletions),
                    restarts);
    for (const std::string& line : v.lines()) std::printf("%s\n", line.c_str());
    if (!v.ok()) failures.push_back("save folder");
    if (!v.missing.empty()) {
        // Where each missing picture was lost, as far as the program's notifications tell.
        std::map<std::string, std::vector<std::string>> causes;
        for (const std::string& name : v.missing) {
            // (A name in the list may carry a note after it.)
            const uint8_t t = host->trace(name.substr(0, name.find(" (")));
            const char* cause = !(t & soak::kAnnounced) && !(t & soak::kThumbnail) ? "never announced"
                                : !(t & soak::kThumbnail)                          ? "announced, thumbnail never shown"
                                : !(t & soak::kDownloadAsked)                      ? "thumbnail shown, image never asked for"
                                : (t & soak::kDownloaded)                          ? "downloaded, not in the folder"
                                                                                   : "image download failed";
            causes[cause].push_back(name);
        }
        for (const auto& [cause, names] : causes) {
            std::printf("  lost, %s: %zu (", cause.c_str(), names.size());
            for (size_t i = 0; i < names.size() && i < 6; ++i) std::printf("%s%s", i ? " " : "", names[i].c_str());
            std::printf("%s)\n", names.size() > 6 ? " ..." : "");
        }
    }
    size_t entries = 0;
    const bool readsBack = host->sessionFileReadsBack(&entries);
    std::printf("session file: %s (%zu entries)\n", readsBack ? "reads back" : "DOES NOT read back", entries);
    if (!readsBack) failures.push_back("session file");
    if (warmRss) {
        const uint64_t peak = std::max(maxRss, finalRss);
        const uint64_t growth = peak > *warmRss ? peak - *warmRss : 0;
        std::printf("resident memory: %s after warm-up (%zu pictures), %s at most after, growth %s (limit %s)\n",
                    soak::mebibytes(*warmRss).c_str(), warmUpPictures, soak::mebibytes(peak).c_str(),
                    soak::mebibytes(growth).c_str(), soak::mebibytes(kMemoryGrowthLimit).c_str());
        // The thread sanitizer's shadow memory and access history grow with the work done: under it the figure
        // says nothing of the program's own memory and is shown without judging it.
        if (growth > kMemoryGrowthLimit && !kUnderThreadSanitizer) failures.push_back("memory growth");
#if defined(__GLIBC__)
        // What of it is free memory the allocator keeps (the application keeps freed large blocks on purpose)
        // rather than memory in use: handed back, the rest is what the program holds.
        // In use against held: a figure that grows in use is something kept; one that grows only in what the
        // allocator holds is freed memory it keeps for reuse.
        const struct mallinfo2 heap = mallinfo2();
        std::printf("heap: %s in use, %s held by the allocator\n",
                    soak::mebibytes(uint64_t(heap.uordblks + heap.hblkhd)).c_str(),
                    soak::mebibytes(uint64_t(heap.arena + heap.hblkhd)).c_str());
        malloc_trim(0);
        std::printf("resident memory once the allocator has handed back its free pages: %s\n",
                    soak::mebibytes(soak::readProcess().residentBytes).c_str());
#endif
    }
    std::vector<soak::ProcessReadings> levels = earlierLevels;
    {
        const std::vector<soak::ProcessReadings> last = host->levels();
        levels.insert(levels.end(), last.begin(), last.end());
    }
    if (levels.size() > 1) {
        // At a session start some work of the last session may still hold a descriptor or a thread for a moment
        // (a file being written, the old link's socket until its last reader has left): a leak shows as a level
        // that climbs from reconnect to reconnect, so the usual level of the first reconnects is held against that
        // of the last ones.
        const auto typical = [&](size_t from, size_t to, int soak::ProcessReadings::*field) {
            std::vector<int> v;
            for (size_t i = from; i < to; ++i) v.push_back(levels[i].*field);
            std::nth_element(v.begin(), v.begin() + long(v.size() / 2), v.end());
            return v[v.size() / 2];
        };
        const size_t n = levels.size() - 1, third = std::max<size_t>(1, n / 3);
        int fdMin = levels[1].descriptors, fdMax = fdMin, thMin = levels[1].threads, thMax = thMin;
        for (size_t i = 1; i < levels.size(); ++i) {
            fdMin = std::min(fdMin, levels[i].descriptors);
            fdMax = std::max(fdMax, levels[i].descriptors);
            thMin = std::min(thMin, levels[i].threads);
            thMax = std::max(thMax, levels[i].threads);
        }
        const int fdEarly = typical(1, 1 + third, &soak::ProcessReadings::descriptors);
        const int fdLate = typical(levels.size() - third, levels.size(), &soak::ProcessReadings::descriptors);
        const int thEarly = typical(1, 1 + third, &soak::ProcessReadings::threads);
        const int thLate = typical(levels.size() - third, levels.size(), &soak::ProcessReadings::threads);
        std::printf("at the %zu session starts after reconnects: descriptors %d..%d, usually %d at the first ones and %d "
                    "at the last ones (first start %d); threads %d..%d, usually %d and %d (first start %d)\n",
                    n, fdMin, fdMax, fdEarly, fdLate, levels[0].descriptors, thMin, thMax, thEarly, thLate,
                    levels[0].threads);
        // Against the highest of the first ones: a queue's thread and its wake-up descriptor are made on first use,
        // which may fall after several quick reconnects; a leak climbs past every early level.
        const auto highest = [&](size_t from, size_t to, int soak::ProcessReadings::*field) {
            int m = levels[from].*field;
            for (size_t i = from; i < to; ++i) m = std::max(m, levels[i].*field);
            return m;
        };
        if (fdLate - highest(1, 1 + third, &soak::ProcessReadings::descriptors) > kDescriptorSlack)
            failures.push_back("descriptors");
        if (thLate - highest(1, 1 + third, &soak::ProcessReadings::threads) > kThreadSlack)
            failures.push_back("threads");
    }
    {
        // What the program still holds per picture, to tell what grows with the count.
        size_t entries = 0, letGo = 0, names = 0;
        {
            std::lock_guard<std::mutex> lock(objCacheMutex());
            entries = objCacheState().count;
            letGo = objCacheState().letGo.size();
            names = objCacheState().downloads.size();
        }
        std::printf("held: object cache %zu entries, %zu names with downloads, %zu let go; %zu objects pending; "
                    "session %zu handles, %zu names\n",
                    entries, names, letGo, CameraController::instance().pendingObjects().size(),
                    CameraController::instance().sessionHandles().value_or(std::vector<uint32_t>{}).size(),
                    CameraController::instance().sessionFileNames().value_or(std::vector<std::string>{}).size());
    }
    // Every alert was answered: none of their windows should be left.
    std::printf("top-level windows left: %lld\n", static_cast<long long>(QApplication::topLevelWidgets().size()));
    const auto alerts = host->presenter().texts();
    std::printf("alerts %llu", static_cast<unsigned long long>(host->presenter().count()));
    for (size_t i = 0; i < alerts.size() && i < 5; ++i)
        std::printf("%s %llu x \"%s\"", i ? ";" : ":", static_cast<unsigned long long>(alerts[i].second),
                    alerts[i].first.c_str());
    std::printf("\n");
    if (limited) failures.push_back("duration limit reached before the pictures were taken and settled");
    if (failures.empty()) {
        std::printf("verdict: PASS\n");
    } else {
        std::string text;
        for (const auto& f : failures) text += (text.empty() ? "" : ", ") + f;
        std::printf("verdict: FAIL (%s)\n", text.c_str());
    }
    std::fflush(stdout);
    return failures.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::vector<std::string> forward;
    if (!parse(argc, argv, o, forward)) {
        usage();
        return 2;
    }
    if (o.bodyMode) return runBody(o);
    return runHost(o, forward);
}
