#pragma once
// The soak's watchdog: every step that can hang (a download, a reconnect, the main queue turning over) is
// registered with its time-out; when one outlives it, the watchdog prints which step, the stacks of every thread
// of the process (through gdb) and ends the run with exit status 3.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace soak {

class Watchdog {
public:
    Watchdog();
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // A step begins; its number, to end it with.
    uint64_t begin(std::string what, std::chrono::milliseconds timeout);
    void end(uint64_t step);
    // Steps running now.
    size_t running() const;

    // A step for the lifetime of a scope.
    class Step {
    public:
        Step(Watchdog& dog, std::string what, std::chrono::milliseconds timeout)
            : dog_(dog), id_(dog.begin(std::move(what), timeout)) {}
        ~Step() { dog_.end(id_); }
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        Watchdog& dog_;
        uint64_t id_;
    };

    // Prints every thread's stack to stderr (also used at the end of a failed run).
    static void printStacks();

private:
    void run();

    struct Entry {
        std::string what;
        std::chrono::steady_clock::time_point deadline;
    };
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::map<uint64_t, Entry> steps_;
    uint64_t next_ = 1;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace soak
