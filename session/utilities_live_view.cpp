// The live-view lock: whoever holds it owns the link for a live-view frame, a live-view or movie toggle, or a
// step of an automated sequence. It is a binary lock, not a mutex: the toggles take it on one thread and free it
// on another.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/foundation/dispatch.h"
#include "session/utilities.h"

namespace {

class BinaryLock {
 public:
  void lock() {
    platform::BlockingScope waiting;  // lets the global queue add a worker while this one waits
    std::unique_lock<std::mutex> guard(mutex_);
    cv_.wait(guard, [this] { return !held_; });
    held_ = true;
  }

  bool tryLock(std::chrono::milliseconds timeout) {
    platform::BlockingScope waiting;
    std::unique_lock<std::mutex> guard(mutex_);
    if (!cv_.wait_for(guard, timeout, [this] { return !held_; })) return false;
    held_ = true;
    return true;
  }

  void unlock() {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      held_ = false;
    }
    cv_.notify_one();
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool held_ = false;
};

// Made on first use; safe when two threads get here first at the same time.
BinaryLock& liveViewLock() {
  static BinaryLock lock;
  return lock;
}

}  // namespace

void Utilities::lockLiveView() { liveViewLock().lock(); }

void Utilities::unlockLiveView() { liveViewLock().unlock(); }

bool Utilities::tryLockLiveView(int64_t timeoutMs) {
  return liveViewLock().tryLock(std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs));
}
