#include "tools/soak/watchdog.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace soak {

Watchdog::Watchdog() : thread_([this] { run(); }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

uint64_t Watchdog::begin(std::string what, std::chrono::milliseconds timeout) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint64_t id = next_++;
    steps_[id] = {std::move(what), std::chrono::steady_clock::now() + timeout};
    return id;
}

void Watchdog::end(uint64_t step) {
    std::lock_guard<std::mutex> lock(mutex_);
    steps_.erase(step);
}

size_t Watchdog::running() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return steps_.size();
}

void Watchdog::printStacks() {
    std::fflush(stdout);
    const std::string command = "gdb -p " + std::to_string(::getpid()) +
                                " -batch -nx -ex 'set pagination off' -ex 'thread apply all bt' 1>&2 2>/dev/null";
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "watchdog: could not print the stacks (gdb)\n");
}

void Watchdog::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        cv_.wait_for(lock, std::chrono::milliseconds(250));
        const auto now = std::chrono::steady_clock::now();
        for (const auto& [id, entry] : steps_) {
            if (entry.deadline > now) continue;
            const std::string what = entry.what;
            lock.unlock();
            std::fprintf(stderr, "watchdog: step \"%s\" outlived its time-out; stacks follow\n", what.c_str());
            printStacks();
            std::printf("verdict: FAIL (hung: %s)\n", what.c_str());
            std::fflush(stdout);
            std::_Exit(3);
        }
    }
}

}  // namespace soak
