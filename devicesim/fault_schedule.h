#pragma once
// Faults on a seeded schedule, for long runs through a link that drops, a camera that answers busy and a device
// that restarts. Installed as a Device's fault source, it picks, from its seed alone, which exchanges go wrong and
// how: the same seed gives the same list of (exchange number, kind) whatever the timing of the run. The gap between
// two faults is drawn evenly from 1 to 2 * everyExchanges - 1 (so one fault per everyExchanges on average).
//
// The kinds:
//   CutReply   - the link closes part-way through the answer of that exchange
//   CutObject  - the link closes part-way through the next answer that carries an object (objectBytes or more)
//   BusyStorm  - that exchange and the next few (2 to busyStormMax) are answered busy, the camera untouched
//   LateReply  - the answer comes `lateBy` late (more than the host's read time-out)
//   Malformed  - the answer's first packet announces a length no packet can have (below the header's 5 bytes, or
//                beyond any packet): the host can only break the link
//   Restart    - the device restarts (client dropped, connections refused for restartDowntime); the camera and
//                its card keep their objects
//   Detach     - the camera is unplugged for detachedFor, then plugged in again
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/device.h"

namespace devicesim {

enum class FaultKind { CutReply, CutObject, BusyStorm, LateReply, Malformed, Restart, Detach };
inline constexpr size_t kFaultKinds = 7;
const char* faultKindName(FaultKind kind);
std::optional<FaultKind> faultKindNamed(const std::string& name);
std::vector<FaultKind> allFaultKinds();

struct FaultPlan {
    uint64_t seed = 1;
    uint32_t everyExchanges = 50;  // 0: no faults
    std::vector<FaultKind> kinds = allFaultKinds();
    std::chrono::milliseconds lateBy{2500};
    std::chrono::milliseconds restartDowntime{300};
    std::chrono::milliseconds detachedFor{300};
    int busyStormMax = 12;
    size_t objectBytes = 16 * 1024;
};

// One planned fault: where it falls and what it is (a CutObject falls on the first object answer from there on).
struct PlannedFault {
    uint64_t exchange = 0;
    FaultKind kind = FaultKind::CutReply;
    uint64_t detail = 0;  // drawn with it: where a cut falls, how long a storm lasts, which length is malformed
    bool operator==(const PlannedFault&) const = default;
};

class FaultSchedule {
public:
    explicit FaultSchedule(FaultPlan plan);

    // The first `count` faults the plan makes, without a device (what a run with this seed will meet).
    static std::vector<PlannedFault> preview(const FaultPlan& plan, size_t count);

    // Makes this schedule the device's fault source; restarts and detaches act on that device. The schedule must
    // outlive the device's use of it (or be removed with device.setFaultSource(nullptr)).
    void install(Device& device);
    // Stops injecting (the device answers plainly from then on); counts stay.
    void pause(bool paused);

    // Faults injected so far, by kind, and in all.
    std::array<uint64_t, kFaultKinds> injected() const;
    uint64_t injectedTotal() const;

    // The device's fault source (public for tests that drive it by hand).
    std::optional<Fault> decide(Device* device, const Exchange& exchange);

private:
    struct Draw {
        uint64_t state;
        uint64_t next();
    };
    static PlannedFault plan(const FaultPlan& plan, Draw& draw, uint64_t after);
    void count(FaultKind kind);

    FaultPlan plan_;
    mutable std::mutex mutex_;
    Draw draw_;
    PlannedFault next_;
    int busyLeft_ = 0;
    std::optional<PlannedFault> objectCut_;  // armed until an answer carries an object
    std::atomic<bool> paused_{false};
    std::array<std::atomic<uint64_t>, kFaultKinds> injected_{};
};

}  // namespace devicesim
