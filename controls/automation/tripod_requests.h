#pragma once
// The tripod panel's requests to the head, one at a time in the order given, off the main thread. A new request
// drops the requests of its own kind that are still waiting (the head follows the latest move and the latest speed),
// but never one of another kind: a stop that waits behind a running move still goes out when the speed changes, and
// a speed change still goes out when the pad moves. A running request always finishes.
//
// Main thread only (the requests themselves run on the queue's own thread).
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/foundation/operation_queue.h"

namespace tripod {

class Requests {
 public:
  enum class Kind { Move, Speed, Battery };

  Requests();
  // Requests already queued still go out (a stop queued as the panel closed among them): the queue is left to a
  // global worker that waits for them before it lets the queue go.
  ~Requests();
  Requests(const Requests&) = delete;
  Requests& operator=(const Requests&) = delete;

  void add(Kind kind, std::function<void()> request);
  // Requests not yet finished, the running one included.
  size_t pending() const { return queue_->operationCount(); }
  // Tests: returns when every request added so far has run or been dropped.
  void waitUntilFinished() { queue_->waitUntilAllOperationsAreFinished(); }

 private:
  std::shared_ptr<platform::OperationQueue> queue_;
  std::map<Kind, std::vector<std::weak_ptr<platform::Operation>>> queued_;
};

}  // namespace tripod
