#pragma once
// Test support (header only): collects the asynchronous device messages that the link hands to its handler, so a
// test can wait for automation feedback without sleeping.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "engine/link/device_commands.h"
#include "engine/link/link.h"

class DeviceMessageCollector {
public:
    static DeviceMessageCollector& instance() {
        static DeviceMessageCollector c;
        return c;
    }
    static void handler(DeviceStatusMessage message) { instance().add(std::move(message)); }

    void install() {
        clear();
        linkSetEventHandler(&DeviceMessageCollector::handler);
    }
    void clear() {
        std::lock_guard<std::mutex> g(mu_);
        messages_.clear();
    }
    // Waits until at least `count` messages arrived; returns copies of all of them.
    std::vector<std::vector<uint8_t>> waitFor(size_t count, std::chrono::milliseconds timeout) {
        std::unique_lock<std::mutex> lock(mu_);
        cv_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
        return messages_;
    }

    // The link reads asynchronous messages only while it reads a reply (the event thread's polls do that in the
    // application): like the poller, ask the device something small until the messages are in.
    std::vector<std::vector<uint8_t>> pumpFor(size_t count, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mu_);
                if (cv_.wait_for(lock, std::chrono::milliseconds(5), [&] { return messages_.size() >= count; }) ||
                    std::chrono::steady_clock::now() >= deadline)
                    return messages_;
            }
            uint8_t version = 0;
            linkGetFirmwareVersion(&version);
        }
    }

private:
    void add(DeviceStatusMessage message) {
        std::lock_guard<std::mutex> g(mu_);
        messages_.emplace_back(message.data(), message.data() + message.size());
        cv_.notify_all();
    }
    std::mutex mu_;
    std::condition_variable cv_;
    std::vector<std::vector<uint8_t>> messages_;
};
