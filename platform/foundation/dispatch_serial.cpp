// Labelled serial queues: one worker thread each, blocks one at a time in the order queued.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/dispatch_internal.h"

namespace platform {
namespace {

// What the worker needs; shared by the queue handle, the worker and delayed blocks, so that it outlives the
// handle while blocks remain.
struct SerialState {
    std::string label;
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<DispatchBlock> queue;
    bool workerRunning = false;
    bool handleGone = false;
};

thread_local const SerialState* tlsCurrentSerial = nullptr;

void runWorker(std::shared_ptr<SerialState> state) {
    tlsCurrentSerial = state.get();
    std::unique_lock lock(state->mutex);
    for (;;) {
        state->cv.wait(lock, [&] { return !state->queue.empty() || state->handleGone; });
        if (state->queue.empty()) {
            state->workerRunning = false;
            return;
        }
        DispatchBlock block = std::move(state->queue.front());
        state->queue.pop_front();
        lock.unlock();
        block();
        block = nullptr;
        lock.lock();
    }
}

void enqueue(const std::shared_ptr<SerialState>& state, DispatchBlock block) {
    std::lock_guard lock(state->mutex);
    state->queue.push_back(std::move(block));
    if (!state->workerRunning) {
        state->workerRunning = true;
        std::thread(runWorker, state).detach();
    } else {
        state->cv.notify_one();
    }
}

class SerialQueue final : public DispatchQueue {
public:
    explicit SerialQueue(std::string label) : state_(std::make_shared<SerialState>()) {
        state_->label = std::move(label);
    }

    ~SerialQueue() override {
        std::lock_guard lock(state_->mutex);
        state_->handleGone = true;
        state_->cv.notify_one();
    }

    void async(DispatchBlock block) override { enqueue(state_, std::move(block)); }

    void sync(const DispatchBlock& block) override {
        // On its own worker a wait would never end: the block runs inline.
        if (tlsCurrentSerial == state_.get()) {
            block();
            return;
        }
        Semaphore done;
        enqueue(state_, [&] {
            block();
            done.signal();
        });
        done.wait();
    }

    const std::string& label() const override { return state_->label; }

    const std::shared_ptr<SerialState>& state() const { return state_; }

private:
    std::shared_ptr<SerialState> state_;
};

}  // namespace

std::shared_ptr<DispatchQueue> createSerialQueue(std::string label) {
    return std::make_shared<SerialQueue>(std::move(label));
}

namespace dispatch_detail {

AsyncTarget retainedAsyncTarget(DispatchQueue& queue) {
    if (auto* serial = dynamic_cast<SerialQueue*>(&queue)) {
        return [state = serial->state()](DispatchBlock block) { enqueue(state, std::move(block)); };
    }
    // The main and global queues live for the whole process.
    return [&queue](DispatchBlock block) { queue.async(std::move(block)); };
}

}  // namespace dispatch_detail
}  // namespace platform
