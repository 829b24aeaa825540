#include "devicesim/automation_device.h"

#include <algorithm>
#include <cstring>

#include "devicesim/wire.h"

namespace devicesim {
namespace {
float getFloat(const uint8_t* p) {
    uint32_t bits = wire::get32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}
void setFloat(std::vector<uint8_t>& out, size_t at, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    wire::set32(out, at, bits);
}
void set16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = uint8_t(v);
    out[at + 1] = uint8_t(v >> 8);
}
constexpr uint16_t kProgress = 0xFF40, kBusy = 0xFF41, kCancelled = 0xFF42, kCompleted = 0xFF43;

bool isLiveViewFrameRequest(const LoggedPacket& p) {
    if (p.command && *p.command == 0x88) return true;
    if (!p.ptpOperation) return false;
    switch (*p.ptpOperation) {
        case 0x9153:  // Canon
        case 0x9203:  // Nikon
        case 0x9428:  // Nikon mirrorless
            return true;
        case 0x1009:  // Sony: the live-view object
            return !p.ptpParams.empty() && p.ptpParams[0] == 0xFFFFC002;
        default: return false;
    }
}
}  // namespace

std::optional<SequenceRequest> decodeSequenceRequest(const std::vector<uint8_t>& payload) {
    if (payload.size() < 6) return std::nullopt;
    SequenceRequest r;
    r.sections = payload[0];
    r.flag = payload[1];
    r.length = wire::get32(payload.data() + 2);
    r.hasHdr = r.sections == 2 || r.sections == 3;
    r.hasTimeLapse = r.sections == 1 || r.sections == 3;
    const uint32_t expected = (r.hasHdr ? 22u : 0u) + (r.hasTimeLapse ? 17u : 0u);
    if (expected == 0 || r.length != expected || payload.size() != 6 + size_t(expected)) return std::nullopt;
    const uint8_t* p = payload.data() + 6;
    if (r.hasHdr) {
        r.hdrProperty = wire::get32(p);
        r.hdrStart = wire::get32(p + 4);
        r.hdrStep = wire::get32(p + 8);
        r.hdrShots = wire::get16(p + 12);
        r.hdrOrder = p[14];
        r.hdrDelay = getFloat(p + 15);
        r.hdrManualFocus = p[21];
        p += 22;
    }
    if (r.hasTimeLapse) {
        r.timeLapseShots = wire::get16(p);
        r.initialDelay = getFloat(p + 2);
        r.interval = getFloat(p + 6);
        r.bulbTime = getFloat(p + 10);
        r.timeLapseManualFocus = p[16];
    }
    r.raw = payload;
    return r;
}

AutomationDevice::~AutomationDevice() { stop(); }

void AutomationDevice::install(Device& device) {
    {
        std::lock_guard<std::mutex> g(mu_);
        device_ = &device;
    }
    device.setCommandHandler(0xD3, [this](Device& d, const CommandRequest& r) { return start(d, r); });
    device.setCommandHandler(0xE0, [this](Device&, const CommandRequest&) { return cancel(); });
}

void AutomationDevice::setShotTime(std::chrono::milliseconds t) {
    std::lock_guard<std::mutex> g(mu_);
    shotTime_ = t;
}

void AutomationDevice::setFailureStatus(uint16_t status) {
    std::lock_guard<std::mutex> g(mu_);
    failureStatus_ = status;
}

CommandReply AutomationDevice::start(Device& device, const CommandRequest& request) {
    std::optional<SequenceRequest> decoded = decodeSequenceRequest(request.payload);
    std::unique_lock<std::mutex> lock(mu_);
    if (running_) {
        ++busy_;
        return CommandReply::withCode(kBusy);
    }
    if (!decoded) return CommandReply::withCode(0x2006);
    requests_.push_back(*decoded);
    running_ = true;
    cancelRequested_ = false;
    stopRequested_ = false;
    shotsTaken_ = 0;
    permits_ = 0;
    lock.unlock();
    const size_t frames = liveViewRequestsLogged();
    lock.lock();
    frameRequestsAtStart_ = frames;
    countingFrames_ = true;
    lock.unlock();
    std::lock_guard<std::mutex> w(workerMu_);
    if (worker_.joinable()) worker_.join();  // the previous sequence's thread has ended by itself; collect it
    worker_ = std::thread(&AutomationDevice::run, this, &device, *decoded);
    return CommandReply::ok();
}

CommandReply AutomationDevice::cancel() {
    std::lock_guard<std::mutex> g(mu_);
    ++cancels_;
    cancelRequested_ = true;
    cv_.notify_all();
    return CommandReply::ok();
}

void AutomationDevice::run(Device* device, SequenceRequest request) {
    const uint8_t flags = uint8_t((request.hasTimeLapse ? 1 : 0) | (request.hasHdr ? 2 : 0));
    const uint16_t positions = request.hasTimeLapse ? request.timeLapseShots : 1;
    const uint16_t perPosition = request.hasHdr ? request.hdrShots : 1;
    std::vector<uint8_t> payload(request.hasHdr ? 22 : 17, 0);
    if (request.hasTimeLapse) {
        set16(payload, 0, request.timeLapseShots);
        setFloat(payload, 6, request.interval);
    }
    if (request.hasHdr) set16(payload, 12, request.hdrShots);

    uint16_t status = kCompleted;
    bool stopped = false;
    for (uint16_t position = 0; position < positions && status == kCompleted && !stopped; ++position) {
        for (uint16_t shot = 0; shot < perPosition; ++shot) {
            std::unique_lock<std::mutex> lock(mu_);
            if (paced_)
                cv_.wait(lock, [&] { return cancelRequested_ || stopRequested_ || permits_ > 0; });
            else
                cv_.wait_for(lock, shotTime_, [&] { return cancelRequested_ || stopRequested_; });
            if (stopRequested_) {
                stopped = true;
                break;
            }
            if (cancelRequested_) {
                status = kCancelled;
                break;
            }
            if (paced_) --permits_;
            ++shotsTaken_;
            const uint16_t failure = failureStatus_;
            lock.unlock();
            if (request.hasTimeLapse) set16(payload, 14, uint16_t(position + (shot + 1 == perPosition ? 1 : 0)));
            if (request.hasHdr) set16(payload, 19, uint16_t(shot + 1));
            device->sendAutomationFeedback(flags, kProgress, payload);
            if (failure != 0) {
                status = failure;
                break;
            }
        }
    }
    // Stopped: the device is going away, and nothing of it is touched any more (its log may be gone).
    if (stopped) {
        std::lock_guard<std::mutex> g(mu_);
        countingFrames_ = false;
        running_ = false;
        cv_.notify_all();
        return;
    }
    // Counted before the end is reported: a frame request the host sends once it has heard of the end is not the
    // run's.
    const size_t frames = liveViewRequestsLogged();
    {
        std::lock_guard<std::mutex> g(mu_);
        frameRequestsInRuns_ += frames - std::min(frames, frameRequestsAtStart_);
        countingFrames_ = false;
    }
    device->sendAutomationFeedback(flags, status, {});
    std::lock_guard<std::mutex> g(mu_);
    running_ = false;
    cv_.notify_all();
}

void AutomationDevice::joinWorker() {
    std::lock_guard<std::mutex> w(workerMu_);
    if (worker_.joinable()) worker_.join();
}

void AutomationDevice::stop() {
    {
        std::lock_guard<std::mutex> g(mu_);
        stopRequested_ = true;
        cv_.notify_all();
    }
    joinWorker();
}

void AutomationDevice::setPaced(bool paced) {
    std::lock_guard<std::mutex> g(mu_);
    paced_ = paced;
    cv_.notify_all();
}

void AutomationDevice::releaseShots(int count) {
    std::lock_guard<std::mutex> g(mu_);
    permits_ += count;
    cv_.notify_all();
}

int AutomationDevice::shotsTaken() const {
    std::lock_guard<std::mutex> g(mu_);
    return shotsTaken_;
}

size_t AutomationDevice::liveViewRequestsLogged() const {
    Device* device = nullptr;
    {
        std::lock_guard<std::mutex> g(mu_);
        device = device_;
    }
    if (!device) return 0;
    size_t n = 0;
    for (const LoggedPacket& p : device->log())
        if (isLiveViewFrameRequest(p)) ++n;
    return n;
}

size_t AutomationDevice::liveViewRequestsDuringRuns() const {
    const size_t now = liveViewRequestsLogged();
    std::lock_guard<std::mutex> g(mu_);
    return frameRequestsInRuns_ + (countingFrames_ ? now - std::min(now, frameRequestsAtStart_) : 0);
}

bool AutomationDevice::running() const {
    std::lock_guard<std::mutex> g(mu_);
    return running_;
}

bool AutomationDevice::waitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mu_);
    return cv_.wait_for(lock, timeout, [&] { return !running_; });
}

std::vector<SequenceRequest> AutomationDevice::requests() const {
    std::lock_guard<std::mutex> g(mu_);
    return requests_;
}

int AutomationDevice::cancels() const {
    std::lock_guard<std::mutex> g(mu_);
    return cancels_;
}

int AutomationDevice::busyAnswers() const {
    std::lock_guard<std::mutex> g(mu_);
    return busy_;
}

}  // namespace devicesim
