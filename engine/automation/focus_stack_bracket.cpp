#include "engine/automation/focus_stack_bracket.h"

#include <fcntl.h>
#include <sys/select.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

#include "engine/automation/automation_checks.h"
#include "engine/automation/focus_stack.h"
#include "engine/automation/focus_stack_stop.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/sony/sony_operations.h"

void focusBracketWake();

namespace {

constexpr int kSetTries = 50;   // busy answers to a bracket value before the run gives up
constexpr int kBusyTries = 40;  // busy answers to a shot or a bulb start

std::atomic<uint8_t> gRunning{0};

// The run's wake-up pipe: made anew for each run, written by the cancel, waited on by every wait of the run.
std::mutex gPipeMutex;
int gPipe[2] = {-1, -1};

void closePipe() {
    for (int& fd : gPipe) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

bool openPipe() {
    std::lock_guard<std::mutex> g(gPipeMutex);
    closePipe();
    if (pipe2(gPipe, O_CLOEXEC | O_NONBLOCK) == 0) return true;
    gPipe[0] = gPipe[1] = -1;
    return false;
}

// Waits up to `wait` on the wake-up pipe: true when woken (the run is to stop). The byte stays in the pipe, so every
// later wait of the same run returns at once.
bool waitWoken(std::chrono::milliseconds wait) {
    int fd;
    {
        std::lock_guard<std::mutex> g(gPipeMutex);
        fd = gPipe[0];
    }
    if (fd < 0) return false;
    const auto end = std::chrono::steady_clock::now() + wait;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::microseconds>(end - std::chrono::steady_clock::now());
        if (left.count() < 0) left = std::chrono::microseconds(0);
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval tv{static_cast<time_t>(left.count() / 1000000), static_cast<suseconds_t>(left.count() % 1000000)};
        int n = select(fd + 1, &set, nullptr, nullptr, &tv);
        if (n > 0) return true;
        if (n == 0) return false;
        if (errno != EINTR) return false;
    }
}

bool woken() { return waitWoken(std::chrono::milliseconds(0)); }

bool retryable(ResponseCode rc, ResponseCode other) { return rc == PTP_RC_DEVICE_BUSY || rc == other; }

// Clears the running mark on every way out of a run.
struct RunningMark {
    RunningMark() { gRunning.store(2); }
    ~RunningMark() { gRunning.store(0); }
};

ResponseCode runProperty(HdrBracketRecord* job, const std::vector<uint32_t>& values) {
    const bool sony = camIsSony();
    const auto delay = std::chrono::milliseconds(static_cast<long long>(std::lround(job->delay * 1000.0f)));
    for (size_t k = 0; k < values.size(); ++k) {
        if (sony && k > 0 && waitWoken(engineWait(engine_timing::kBracketSetRetry))) return ERROR_CANCELLED;
        ResponseCode rc = PTP_RC_OK;
        for (int attempt = 0; attempt < kSetTries; ++attempt) {
            if (attempt > 0 && waitWoken(engineWait(engine_timing::kBracketSetRetry))) return ERROR_CANCELLED;
            rc = propSet(job->property, values[k], false);
            if (!retryable(rc, 0xA002)) break;
        }
        if (rc != PTP_RC_OK) return rc;
        if (sony && waitWoken(engineWait(engine_timing::kBracketSonySettle))) return ERROR_CANCELLED;
        for (int attempt = 0; attempt < kBusyTries; ++attempt) {
            if (attempt > 0 && waitWoken(engineWait(engine_timing::kFocusStackBusyRetry))) return ERROR_CANCELLED;
            rc = focusStackStep();
            if (rc != PTP_RC_DEVICE_BUSY) break;
        }
        if (rc != PTP_RC_OK) return rc;
        job->shotsTaken = static_cast<uint16_t>(k + 1);
        if (k + 1 == values.size()) break;
        if (delay.count() > 0 && waitWoken(delay)) return ERROR_CANCELLED;
        if (woken()) return ERROR_CANCELLED;
    }
    return PTP_RC_OK;
}

ResponseCode runBulb(HdrBracketRecord* job, const std::vector<uint32_t>& times) {
    if (!camBulbAvailable()) return PTP_ERROR_UNSUPPORTED_COMMAND;
    const bool sony = camIsSony();
    const auto delay = std::chrono::milliseconds(static_cast<long long>(std::lround(job->delay * 1000.0f)));
    for (size_t k = 0; k < times.size(); ++k) {
        ResponseCode rc = PTP_RC_OK;
        for (int attempt = 0; attempt < kBusyTries; ++attempt) {
            if (attempt > 0 && waitWoken(engineWait(engine_timing::kFocusStackBusyRetry))) return ERROR_CANCELLED;
            rc = camBulbStart();
            if (!retryable(rc, 0xA102)) break;
        }
        if (rc != PTP_RC_OK) return rc;
        // The shutter is open: a cancel cuts the exposure short, but the shutter is always closed again.
        const bool stopped = waitWoken(std::chrono::milliseconds(times[k]));
        rc = camBulbStop();
        if (stopped) return ERROR_CANCELLED;
        if (rc != PTP_RC_OK) return rc;
        job->shotsTaken = static_cast<uint16_t>(k + 1);
        if (k + 1 == times.size()) break;
        if (sony) {
            if (waitWoken(engineWait(engine_timing::kBracketSonyAfterBulb))) return ERROR_CANCELLED;
            sonyWaitImageSaved();
        }
        if (delay.count() > 0 && waitWoken(delay)) return ERROR_CANCELLED;
        if (woken()) return ERROR_CANCELLED;
    }
    return PTP_RC_OK;
}

}  // namespace

void focusBracketWake() {
    std::lock_guard<std::mutex> g(gPipeMutex);
    if (gPipe[1] < 0) return;
    const char byte = 1;
    ssize_t n = write(gPipe[1], &byte, 1);
    (void)n;  // a full pipe already wakes every wait
}

uint8_t focusBracketRunning() { return gRunning.load(); }

ResponseCode focusBracketValues(const HdrBracketRecord& job, std::vector<uint32_t>* values) {
    values->clear();
    if (job.step == 0 || job.shots == 0 || job.shots > kBracketMaxValues) return ERROR_INVALID_INPUT;
    if (job.property == kHdrBulbProperty) {
        if (job.startValue == 0) return ERROR_INVALID_INPUT;
        *values = hdrEndPoints(job.startValue, job.shots, job.step / 3.0);
        return PTP_RC_OK;
    }
    PropertyStruct* r = propFind(job.property, true);
    if (!r) return ERROR_INVALID_INPUT;
    std::vector<uint32_t> list;
    if (r->form != kPropFormRange && r->values)
        for (uint16_t i = 0; i < r->valueCount; ++i) list.push_back(r->values[i].value);
    propUnlock(r);
    int64_t start = -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == job.startValue) {
            start = static_cast<int64_t>(i);
            break;
        }
    if (start < 0) return ERROR_INVALID_INPUT;
    // Lists that run from the long end to the short one are walked the other way.
    int64_t d = (camIsNikon() && job.property == 0x5007) ||
                        (camIsCanon() && (job.property == 0xD101 || job.property == 0xD102))
                    ? -1
                    : 1;
    const int64_t step = job.step;
    int64_t first = start;
    if (job.order == 0) first = start - d * step * (job.shots / 2);
    else if (job.order == 1) d = -d;
    for (int64_t k = 0; k < job.shots; ++k) {
        const int64_t index = first + k * d * step;
        if (index < 0 || index >= static_cast<int64_t>(list.size())) {
            values->clear();
            return ERROR_INVALID_INPUT;
        }
        values->push_back(list[static_cast<size_t>(index)]);
    }
    return PTP_RC_OK;
}

ResponseCode focusStackRun(HdrBracketRecord* job) {
    if (!job) return ERROR_INVALID_INPUT;
    std::vector<uint32_t> values;
    ResponseCode rc = focusBracketValues(*job, &values);
    if (rc != PTP_RC_OK) return rc;
    if (!openPipe()) return ERROR_GENERAL;
    // A stop left from an earlier run would cut this run's shots short (a Fujifilm shot waits on the stop flag).
    focusStackStopClear();
    RunningMark mark;
    job->shotsTaken = 0;
    return job->property == kHdrBulbProperty ? runBulb(job, values) : runProperty(job, values);
}
