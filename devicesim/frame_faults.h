#pragma once
// Faults that a stand-in camera's live-view frames carry on demand: per camera (any object that stands for it), a
// fault and the number of frames still to carry it. The frame makers take one frame's fault at a time. Any thread.
#include <map>
#include <mutex>
#include <optional>

namespace devicesim {

template <class Fault>
class FrameFaults {
public:
    void ask(const void* camera, Fault fault, int frames) {
        std::lock_guard<std::mutex> g(mutex_);
        if (frames > 0)
            pending_[camera] = {fault, frames};
        else
            pending_.erase(camera);
    }
    // The fault of the camera's next frame, if one is due.
    std::optional<Fault> take(const void* camera) {
        std::lock_guard<std::mutex> g(mutex_);
        auto it = pending_.find(camera);
        if (it == pending_.end()) return std::nullopt;
        const Fault fault = it->second.first;
        if (--it->second.second <= 0) pending_.erase(it);
        return fault;
    }

private:
    std::mutex mutex_;
    std::map<const void*, std::pair<Fault, int>> pending_;
};

}  // namespace devicesim
