#pragma once
// A queue of operations run one at a time, in the order added, on a serial dispatch queue of its own. Operations
// still waiting can be cancelled: they are then dropped without running. The one running when it is cancelled
// finishes; it can look at its own cancelled flag to stop early.
#include <atomic>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/foundation/dispatch.h"

namespace platform {

class Operation {
public:
    Operation() = default;
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // Marks the operation cancelled: one that has not started never runs. Any thread.
    void cancel() { cancelled_.store(true); }
    bool isCancelled() const { return cancelled_.load(); }
    // True once it has run, or was dropped after a cancel. One cancelled on its own (not through its queue) is
    // dropped when its turn comes.
    bool isFinished() const { return finished_.load(); }

private:
    friend class OperationQueue;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> started_{false};
    std::atomic<bool> finished_{false};
};

class OperationQueue {
public:
    explicit OperationQueue(std::string label);
    // Operations still waiting are dropped; the running one finishes on the queue's own thread.
    ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    // Queues the block and returns at once. The block is handed its own operation, to check for a cancel.
    std::shared_ptr<Operation> addOperation(std::function<void(const Operation&)> block);
    std::shared_ptr<Operation> addOperation(std::function<void()> block);
    // Cancels every operation added and not finished: the waiting ones are dropped, the running one is told.
    void cancelAllOperations();
    // Operations added and not finished, the running one included.
    std::size_t operationCount() const;
    // Returns when every operation added so far has finished or been dropped. Not from inside an operation of
    // this queue (it would wait for itself).
    void waitUntilAllOperationsAreFinished();
    const std::string& label() const { return serial_->label(); }

private:
    struct State {
        mutable std::mutex mutex;  // a leaf lock: never held while an operation runs
        std::deque<std::shared_ptr<Operation>> live;
    };
    static void finishLocked(State& state, const std::shared_ptr<Operation>& operation);
    std::shared_ptr<State> state_;
    std::shared_ptr<DispatchQueue> serial_;
};

}  // namespace platform
