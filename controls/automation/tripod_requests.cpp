#include "controls/automation/tripod_requests.h"

#include "platform/foundation/dispatch.h"

namespace tripod {

Requests::Requests() : queue_(std::make_shared<platform::OperationQueue>("com.vorlaxent.tripod")) {}

Requests::~Requests() {
  platform::globalQueue().async([queue = std::move(queue_)] { queue->waitUntilAllOperationsAreFinished(); });
}

void Requests::add(Kind kind, std::function<void()> request) {
  std::vector<std::weak_ptr<platform::Operation>>& sameKind = queued_[kind];
  // A cancel reaches only what has not started: the running request finishes.
  for (const std::weak_ptr<platform::Operation>& queued : sameKind)
    if (std::shared_ptr<platform::Operation> operation = queued.lock()) operation->cancel();
  sameKind.clear();
  sameKind.push_back(queue_->addOperation(std::move(request)));
}

}  // namespace tripod
