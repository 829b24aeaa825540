#include "engine/ptp/event_thread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/ptp/event_records.h"
#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_hooks.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"

namespace {
// The run mutex. A pause may be released by another thread than the one that took it (session open and a repeated
// thread start release a pause left behind), so it is a lock that permits that. A pause carries a ticket, so the
// taker's own release never frees a later holder.
class RunLock {
public:
    // A pause asked for by the event thread itself while it holds the lock for a poll (a property set with
    // confirmation from the event pump): the thread is not polling, so the pause holds already.
    static constexpr uint64_t kNestedTicket = ~0ull;

    // The event thread's own take: false, without the lock, when `stop` is set while it waits (a pause held by the
    // thread that stops it with join would otherwise never be released).
    bool lockUnlessStopped(const std::atomic<bool>& stop) {
        std::unique_lock<std::mutex> g(m_);
        cv_.wait(g, [&] { return !held_ || stop.load(); });
        if (stop.load()) return false;
        held_ = true;
        ticket_ = 0;
        owner_ = std::this_thread::get_id();
        return true;
    }
    // Wakes a take waiting in lockUnlessStopped so that it sees its stop flag.
    void wakeWaiters() {
        std::lock_guard<std::mutex> g(m_);
        cv_.notify_all();
    }
    uint64_t lockAsPause() { return take(true); }
    // The event thread's own release.
    bool unlock() {
        std::lock_guard<std::mutex> g(m_);
        if (!held_ || ticket_ != 0) return false;
        freeLocked();
        return true;
    }
    // Releases a pause: the one with this ticket, or (ticket 0) whichever pause holds the lock.
    bool releasePause(uint64_t ticket) {
        if (ticket == kNestedTicket) return true;
        std::lock_guard<std::mutex> g(m_);
        if (!held_ || ticket_ == 0 || (ticket != 0 && ticket != ticket_)) return false;
        freeLocked();
        return true;
    }
    bool paused() {
        std::lock_guard<std::mutex> g(m_);
        return held_ && ticket_ != 0;
    }

private:
    uint64_t take(bool asPause) {
        std::unique_lock<std::mutex> g(m_);
        if (asPause && held_ && ticket_ == 0 && owner_ == std::this_thread::get_id()) return kNestedTicket;
        cv_.wait(g, [&] { return !held_; });
        held_ = true;
        ticket_ = asPause ? nextTicket_++ : 0;
        owner_ = std::this_thread::get_id();
        return ticket_;
    }
    void freeLocked() {
        held_ = false;
        ticket_ = 0;
        owner_ = std::thread::id();
        cv_.notify_all();
    }

    std::mutex m_;
    std::condition_variable cv_;
    bool held_ = false;
    uint64_t ticket_ = 0;  // non-zero: held as a pause
    uint64_t nextTicket_ = 1;
    std::thread::id owner_;  // the thread that took it (a pause may be released by another)
};

struct EventThreadState {
    RunLock run;
    std::mutex pollMutex;  // the event-poll mutex
    std::atomic<EventPollFunction> poll{nullptr};

    std::mutex controlMutex;  // serialises start and stop; never taken by the thread itself
    std::thread thread;
    std::atomic<std::thread::id> threadId{};
    std::atomic<bool> stop{false};
    std::atomic<bool> running{false};
    std::atomic<uint64_t> cycles{0};

    std::mutex sleepMutex;  // the thread's sleep between polls, which a stop cuts short
    std::condition_variable sleepCv;

    std::mutex callbackMutex;
    PollErrorCallback onPollError;

    ~EventThreadState() {
        stop.store(true);
        sleepCv.notify_all();
        if (thread.joinable()) thread.join();
    }
};

EventThreadState& state() {
    static EventThreadState s;
    return s;
}

void wakeThread() {
    EventThreadState& s = state();
    {
        std::lock_guard<std::mutex> g(s.sleepMutex);
    }
    s.sleepCv.notify_all();
}

void threadBody() {
    EventThreadState& s = state();
    s.running.store(true);
    unsigned counter = 0;
    for (;;) {
        if (!s.run.lockUnlessStopped(s.stop)) break;
        if (camIsNikon()) {
            // The battery level is read again every 31st cycle.
            if (counter == 30) {
                camRefreshProperty(camVendorPropertyCodes().batteryLevel);
                counter = 0;
            } else {
                ++counter;
            }
        }
        ResponseCode rc = camPollEvents(false, false);
        s.run.unlock();
        s.cycles.fetch_add(1);
        if (s.stop.load()) break;
        if (rc != PTP_RC_OK && rc != ERROR_BUSY) {
            PollErrorCallback cb;
            {
                std::lock_guard<std::mutex> g(s.callbackMutex);
                cb = s.onPollError;
            }
            if (cb) cb(rc);
        }
        std::unique_lock<std::mutex> g(s.sleepMutex);
        if (s.sleepCv.wait_for(g, engineWait(engine_timing::kEventPollInterval), [&] { return s.stop.load(); })) break;
    }
    s.running.store(false);
}
}  // namespace

void ptpInstallTransport(PtpSendFunction send, PtpReceiveFunction receive, PtpLinkHook linkHook,
                         EventsDoneCallback eventsDone) {
    propStoreClear();
    camClearEvents();
    camSetManualFocusFlag(0);
    camSetEventsDoneCallback(std::move(eventsDone));
    ptpSetTransport(send, receive);
    ptpSetLinkHook(linkHook);
    // A Nikon delete reports the removed object through the queue.
    PtpVendorHooks hooks = ptpVendorHooks();
    hooks.objectRemoved = [](uint32_t handle) {
        CameraEvent e = camMakeEvent(PTP_EC_ObjectRemovedEvent);
        e.objectHandle = handle;
        camPushEvent(e, true);
    };
    ptpSetVendorHooks(hooks);
}

void ptpSetEventPollFunction(EventPollFunction poll) { state().poll.store(poll); }

void camLockEventPoll() { state().pollMutex.lock(); }
bool camTryLockEventPoll() { return state().pollMutex.try_lock(); }
void camUnlockEventPoll() { state().pollMutex.unlock(); }

ResponseCode camPollEvents(bool blocking, bool held) {
    EventThreadState& s = state();
    bool took = false;
    if (!held) {
        if (blocking) {
            s.pollMutex.lock();
        } else if (!s.pollMutex.try_lock()) {
            return ERROR_BUSY;
        }
        took = true;
    }
    EventPollFunction poll = s.poll.load();
    ResponseCode rc = ERROR_GENERAL;
    HeapBlock block;
    if (poll) rc = poll(&block, blocking ? 1 : 0);
    if (took) s.pollMutex.unlock();
    if (rc != PTP_RC_OK) return rc;
    if (!block.empty()) camProcessEvents(block.data(), block.size());
    return PTP_RC_OK;
}

void camStartEventThread(PollErrorCallback onPollError) {
    EventThreadState& s = state();
    std::lock_guard<std::mutex> control(s.controlMutex);
    if (s.thread.joinable()) {
        if (!s.stop.load()) {
            // Already polling: a pause left behind is released, which resumes it.
            s.run.releasePause(0);
            return;
        }
        // Told to stop without join and not yet gone: wait for it, so that two threads never poll at once.
        if (s.thread.get_id() == std::this_thread::get_id()) return;
        s.thread.join();
    }
    {
        std::lock_guard<std::mutex> g(s.callbackMutex);
        s.onPollError = std::move(onPollError);
    }
    s.stop.store(false);
    s.running.store(true);  // until the body sets it itself, so a caller sees the thread as running at once
    s.thread = std::thread(threadBody);
    s.threadId.store(s.thread.get_id());
}

bool camStopEventThread(bool join) {
    EventThreadState& s = state();
    s.stop.store(true);
    s.running.store(false);
    wakeThread();
    s.run.wakeWaiters();
    if (!join || s.threadId.load() == std::this_thread::get_id()) return true;
    std::lock_guard<std::mutex> control(s.controlMutex);
    if (s.thread.joinable()) s.thread.join();
    return true;
}

bool camEventThreadRunning() { return state().running.load(); }

bool camPauseEvents() {
    state().run.lockAsPause();
    return true;
}

bool camResumeEvents() { return state().run.releasePause(0); }

bool camEventsPaused() { return state().run.paused(); }

uint64_t camPauseEventsTicket() { return state().run.lockAsPause(); }

bool camResumeEventsTicket(uint64_t ticket) { return ticket != 0 && state().run.releasePause(ticket); }

uint64_t camEventThreadCycles() { return state().cycles.load(); }

void camEventThreadReset() {
    camStopEventThread(true);
    camResumeEvents();
    ptpSetEventPollFunction(nullptr);
    EventThreadState& s = state();
    {
        std::lock_guard<std::mutex> g(s.callbackMutex);
        s.onPollError = nullptr;
    }
    s.cycles.store(0);
    s.stop.store(false);
}
