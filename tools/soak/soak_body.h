#pragma once
// The camera side of a soak: the stand-in device on a loopback port with its command set, one vendor's simulated
// body, shots taken on that body in bursts and faults on a seeded schedule. It also judges a save folder against
// its own list of pictures. Runs in the soak's body process (so that the host's memory, descriptors and threads
// are the host's alone), or in-process for benchmarks and tests.
#include <array>
#include <atomic>
#include <condition_variable>
#include <map>
#include <set>
#include <mutex>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "devicesim/body_shots.h"
#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "devicesim/fault_schedule.h"

namespace soak {

class FolderHashes;

struct BodyOptions {
    std::string vendor = "canon";  // canon, nikon, sony, fuji
    devicesim::ShotPlan shots;
    devicesim::FaultPlan faults;
    // The data-safety cases, at random (all off by default). Their schedule is drawn from shots.seed.
    int cardSwapEvery = 0;     // a card swapped after every so many pictures, between two sessions
    double deleteShare = 0;    // of the pictures, deleted on the body a few pictures after they were taken
    std::string customPrefix;  // the host may save under "<prefix>_<n>.<ext>" ("CustomFileName")
    bool cases() const { return cardSwapEvery > 0 || deleteShare > 0 || !customPrefix.empty(); }
};

struct BodyStats {
    size_t taken = 0;
    size_t stills = 0;  // of those, pictures (movies left out)
    bool shotsDone = false;
    uint64_t exchanges = 0;
    uint64_t faults = 0;
    std::array<uint64_t, devicesim::kFaultKinds> byKind{};
    uint64_t swaps = 0;      // cards swapped
    uint64_t deletions = 0;  // pictures deleted on the body
};

// What a save folder holds against the body's pictures. Movies are not downloaded by the program on its own: one
// that is there must be whole, one that is not is no loss.
struct FolderVerdict {
    size_t expected = 0;       // stills the body holds
    size_t whole = 0;          // of those, in the folder byte for byte under their own name
    std::vector<std::string> missing;
    std::vector<std::string> corrupt;     // under their own name, other bytes (cut short, another picture's, ...)
    std::vector<std::string> temporary;   // a temporary file left behind
    std::vector<std::string> duplicates;  // another copy of a body picture under a derived name ("_1")
    std::vector<std::string> unknown;     // a name the body never gave
    size_t moviesWhole = 0, moviesAbsent = 0;
    // With the data-safety cases: pictures deleted on the body, whole in the folder or (deleted before they landed)
    // absent; files in the folder at a card swap that did not stay as they were; pictures saved under a name the
    // program would not give them; pictures not landed when their card had to go.
    size_t deletedWhole = 0, deletedAbsent = 0;
    size_t customNamed = 0, freeNamed = 0;  // whole under "<prefix>_<n>" / under "<name>-<n>" (own name taken)
    std::vector<std::string> changed;
    std::vector<std::string> misnamed;
    std::vector<std::string> lostWithCard;
    bool ok() const {
        return missing.empty() && corrupt.empty() && temporary.empty() && duplicates.empty() && unknown.empty() &&
               changed.empty() && misnamed.empty() && lostWithCard.empty();
    }
    std::vector<std::string> lines() const;
};

class SoakBody {
public:
    explicit SoakBody(BodyOptions options);
    ~SoakBody();
    SoakBody(const SoakBody&) = delete;
    SoakBody& operator=(const SoakBody&) = delete;

    static bool isVendor(const std::string& name);

    bool start();  // the device listens on a free loopback port
    uint16_t port() const { return device_.port(); }
    void startShooting() { shooter_->start(); }
    // No more faults from now on (the run's end: what is still owed must now arrive).
    void calm();
    // Where the host saves: a card is swapped only once what it holds has landed there.
    void setSaveFolder(const std::string& folder);
    // Held: no shot is taken and no fault injected until let go (the program is about to be quit while idle).
    void hold(bool held);
    BodyStats stats() const;
    devicesim::BodyShooter& shooter() { return *shooter_; }
    devicesim::Device& device() { return device_; }

    FolderVerdict verify(const std::string& saveFolder) const;

private:
    struct Pending {
        size_t due;  // deleted before the shot that makes `due` pictures taken
        size_t index;
    };
    void beforeShot();
    void swapCard();
    FolderVerdict verifyCases(const std::string& saveFolder) const;

    BodyOptions options_;
    devicesim::Device device_;
    devicesim::DeviceCommandSet commands_;
    std::shared_ptr<devicesim::Camera> camera_;
    std::unique_ptr<devicesim::FaultSchedule> schedule_;
    std::unique_ptr<devicesim::BodyShooter> shooter_;

    // The cases' state: the shooting thread changes it, the control thread reads it once shooting is done.
    mutable std::mutex casesMutex_;
    std::string saveFolder_;
    uint64_t draw_ = 0;
    size_t decided_ = 0;
    size_t lastSwapAt_ = 0;
    bool calm_ = false;
    bool held_ = false, stopping_ = false;
    std::condition_variable casesCv_;
    std::vector<Pending> pending_;
    std::vector<size_t> deleted_;
    std::set<size_t> landedWhenDeleted_;
    std::unique_ptr<FolderHashes> hashes_;  // the save folder's, for the deletions
    std::vector<std::map<std::string, uint64_t>> atSwaps_;  // the folder's files (name, hash of bytes) at each swap
    std::vector<std::string> lostWithCard_;
    std::atomic<uint64_t> swaps_{0}, deletions_{0};
};

}  // namespace soak
