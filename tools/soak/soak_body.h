#pragma once
// The camera side of a soak: the stand-in device on a loopback port with its command set, one vendor's simulated
// body, shots taken on that body in bursts and faults on a seeded schedule. It also judges a save folder against
// its own list of pictures. Runs in the soak's body process (so that the host's memory, descriptors and threads
// are the host's alone), or in-process for benchmarks and tests.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "devicesim/body_shots.h"
#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "devicesim/fault_schedule.h"

namespace soak {

struct BodyOptions {
    std::string vendor = "canon";  // canon, nikon, sony, fuji
    devicesim::ShotPlan shots;
    devicesim::FaultPlan faults;
};

struct BodyStats {
    size_t taken = 0;
    size_t stills = 0;  // of those, pictures (movies left out)
    bool shotsDone = false;
    uint64_t exchanges = 0;
    uint64_t faults = 0;
    std::array<uint64_t, devicesim::kFaultKinds> byKind{};
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
    bool ok() const {
        return missing.empty() && corrupt.empty() && temporary.empty() && duplicates.empty() && unknown.empty();
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
    void calm() { schedule_->pause(true); }
    BodyStats stats() const;
    devicesim::BodyShooter& shooter() { return *shooter_; }
    devicesim::Device& device() { return device_; }

    FolderVerdict verify(const std::string& saveFolder) const;

private:
    BodyOptions options_;
    devicesim::Device device_;
    devicesim::DeviceCommandSet commands_;
    std::shared_ptr<devicesim::Camera> camera_;
    std::unique_ptr<devicesim::FaultSchedule> schedule_;
    std::unique_ptr<devicesim::BodyShooter> shooter_;
};

}  // namespace soak
