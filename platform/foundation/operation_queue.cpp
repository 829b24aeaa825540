#include "platform/foundation/operation_queue.h"

#include <algorithm>

namespace platform {

void OperationQueue::finishLocked(State& state, const std::shared_ptr<Operation>& operation) {
    operation->finished_.store(true);
    state.live.erase(std::remove(state.live.begin(), state.live.end(), operation), state.live.end());
}

OperationQueue::OperationQueue(std::string label)
    : state_(std::make_shared<State>()), serial_(createSerialQueue(std::move(label))) {}

OperationQueue::~OperationQueue() { cancelAllOperations(); }

std::shared_ptr<Operation> OperationQueue::addOperation(std::function<void(const Operation&)> block) {
    auto operation = std::make_shared<Operation>();
    {
        std::lock_guard lock(state_->mutex);
        state_->live.push_back(operation);
    }
    // The block holds the state, not the queue object: a queue destroyed meanwhile leaves it consistent.
    serial_->async([state = state_, operation, block = std::move(block)] {
        {
            std::lock_guard lock(state->mutex);
            if (operation->isCancelled()) {
                finishLocked(*state, operation);
                return;
            }
            operation->started_.store(true);
        }
        block(*operation);
        std::lock_guard lock(state->mutex);
        finishLocked(*state, operation);
    });
    return operation;
}

std::shared_ptr<Operation> OperationQueue::addOperation(std::function<void()> block) {
    return addOperation([block = std::move(block)](const Operation&) { block(); });
}

void OperationQueue::cancelAllOperations() {
    std::lock_guard lock(state_->mutex);
    // Those not started leave the count at once; their blocks on the serial queue then do nothing.
    auto live = state_->live;
    for (const auto& operation : live) {
        operation->cancel();
        if (!operation->started_.load()) finishLocked(*state_, operation);
    }
}

std::size_t OperationQueue::operationCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->live.size();
}

void OperationQueue::waitUntilAllOperationsAreFinished() {
    // The serial queue runs in order: an empty block queued now runs after everything queued before it.
    serial_->sync([] {});
}

}  // namespace platform
