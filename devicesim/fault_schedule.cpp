#include "devicesim/fault_schedule.h"

namespace devicesim {
namespace {

constexpr uint16_t kBusy = 0x2019;

const char* const kNames[kFaultKinds] = {"cut-reply", "cut-object", "busy-storm", "late-reply",
                                         "malformed", "restart",    "detach"};

// Where in an answer a cut falls: between a tenth and nine tenths of it.
double cutShare(uint64_t detail) { return 0.1 + 0.8 * double(detail % 1000) / 1000.0; }

}  // namespace

const char* faultKindName(FaultKind kind) { return kNames[size_t(kind)]; }

std::optional<FaultKind> faultKindNamed(const std::string& name) {
    for (size_t i = 0; i < kFaultKinds; ++i)
        if (name == kNames[i]) return FaultKind(i);
    return std::nullopt;
}

std::vector<FaultKind> allFaultKinds() {
    std::vector<FaultKind> all;
    for (size_t i = 0; i < kFaultKinds; ++i) all.push_back(FaultKind(i));
    return all;
}

uint64_t FaultSchedule::Draw::next() {  // splitmix64
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

PlannedFault FaultSchedule::plan(const FaultPlan& plan, Draw& draw, uint64_t after) {
    PlannedFault f;
    if (plan.everyExchanges == 0 || plan.kinds.empty()) {
        f.exchange = UINT64_MAX;
        return f;
    }
    const uint64_t span = 2ull * plan.everyExchanges - 1;
    f.exchange = after + 1 + draw.next() % span;
    f.kind = plan.kinds[draw.next() % plan.kinds.size()];
    f.detail = draw.next();
    return f;
}

FaultSchedule::FaultSchedule(FaultPlan plan) : plan_(std::move(plan)), draw_{plan_.seed} {
    next_ = FaultSchedule::plan(plan_, draw_, 0);
}

std::vector<PlannedFault> FaultSchedule::preview(const FaultPlan& p, size_t count) {
    Draw draw{p.seed};
    std::vector<PlannedFault> out;
    uint64_t at = 0;
    while (out.size() < count) {
        PlannedFault f = plan(p, draw, at);
        if (f.exchange == UINT64_MAX) break;
        out.push_back(f);
        at = f.exchange;
    }
    return out;
}

void FaultSchedule::install(Device& device) {
    Device* d = &device;
    device.setFaultSource([this, d](const Exchange& e) { return decide(d, e); });
}

void FaultSchedule::pause(bool paused) { paused_ = paused; }

void FaultSchedule::count(FaultKind kind) { injected_[size_t(kind)].fetch_add(1); }

std::array<uint64_t, kFaultKinds> FaultSchedule::injected() const {
    std::array<uint64_t, kFaultKinds> out{};
    for (size_t i = 0; i < kFaultKinds; ++i) out[i] = injected_[i].load();
    return out;
}

uint64_t FaultSchedule::injectedTotal() const {
    uint64_t n = 0;
    for (const auto& c : injected_) n += c.load();
    return n;
}

std::optional<Fault> FaultSchedule::decide(Device* device, const Exchange& exchange) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (exchange.answerBytes > 0) {  // asked again with the answer made: only an armed object cut applies
        if (!objectCut_ || exchange.answerBytes < plan_.objectBytes || paused_) return std::nullopt;
        const double share = cutShare(objectCut_->detail);
        objectCut_.reset();
        count(FaultKind::CutObject);
        return Fault::closeWithin(share);
    }
    // The schedule moves on even while paused, so that pausing does not shift the faults that follow.
    std::optional<PlannedFault> due;
    if (exchange.number >= next_.exchange) {
        due = next_;
        next_ = FaultSchedule::plan(plan_, draw_, exchange.number);
    }
    if (paused_) {
        busyLeft_ = 0;
        return std::nullopt;
    }
    if (busyLeft_ > 0) {
        --busyLeft_;
        return Fault::busy(kBusy);
    }
    if (!due) return std::nullopt;
    switch (due->kind) {
        case FaultKind::CutReply:
            count(due->kind);
            return Fault::closeWithin(cutShare(due->detail));
        case FaultKind::CutObject:
            objectCut_ = due;
            return std::nullopt;
        case FaultKind::BusyStorm:
            count(due->kind);
            busyLeft_ = 1 + int(due->detail % uint64_t(plan_.busyStormMax > 2 ? plan_.busyStormMax - 1 : 1));
            return Fault::busy(kBusy);
        case FaultKind::LateReply:
            count(due->kind);
            return Fault::delayed(plan_.lateBy);
        case FaultKind::Malformed:
            count(due->kind);
            return Fault::badHeaderLength(due->detail & 1 ? 3u : 0xFFFFFFF0u);
        case FaultKind::Restart:
            count(due->kind);
            lock.unlock();
            if (device) device->restart(plan_.restartDowntime);
            return Fault::noReply();
        case FaultKind::Detach:
            count(due->kind);
            lock.unlock();
            if (device) device->detachCameraFor(plan_.detachedFor);
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace devicesim
