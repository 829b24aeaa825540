#pragma once
// The device side of on-device automation: it accepts a start request (0xD3), runs the sequence by itself on a
// thread of its own, reports each shot with a progress feedback packet (0xF7) and the end with a completed or
// cancelled one, answers a start while a sequence runs with 0xFF41, and stops at a cancel (0xE0).
//
// A test may pace the shots itself (setPaced): each shot then waits for a permit from releaseShots instead of the
// shot time, so that the test sees the host at every step of a run. The device also counts the live-view frame
// requests that reached it while a sequence ran (from the start request to the end feedback), of any vendor:
// Canon 0x9153, Nikon 0x9203 and 0x9428, Sony GetObject of 0xFFFFC002, and the device's own frame command 0x88.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "devicesim/device.h"

namespace devicesim {

// A start request as the device decoded it.
struct SequenceRequest {
    uint8_t sections = 0;
    uint8_t flag = 0;
    uint32_t length = 0;
    bool hasHdr = false;
    uint32_t hdrProperty = 0;
    uint32_t hdrStart = 0;
    uint32_t hdrStep = 0;
    uint16_t hdrShots = 0;
    uint8_t hdrOrder = 0;
    float hdrDelay = 0;
    uint8_t hdrManualFocus = 0;
    bool hasTimeLapse = false;
    uint16_t timeLapseShots = 0;
    float initialDelay = 0;
    float interval = 0;
    float bulbTime = 0;
    uint8_t timeLapseManualFocus = 0;
    std::vector<uint8_t> raw;
};

// Decodes a 0xD3 payload; none when it is malformed (unknown sections, a length that disagrees with them or with
// the bytes received).
std::optional<SequenceRequest> decodeSequenceRequest(const std::vector<uint8_t>& payload);

class AutomationDevice {
public:
    AutomationDevice() = default;
    ~AutomationDevice();
    AutomationDevice(const AutomationDevice&) = delete;
    AutomationDevice& operator=(const AutomationDevice&) = delete;

    // Registers the 0xD3 and 0xE0 handlers (replacing a plain cancel handler).
    void install(Device& device);
    // Time the device takes per shot.
    void setShotTime(std::chrono::milliseconds t);
    // The sequence then fails with that status after its first shot (0 = no failure).
    void setFailureStatus(uint16_t status);
    // Ends a running sequence's thread without a feedback (the device going away).
    void stop();
    // Paced: every shot waits for a permit (releaseShots) rather than the shot time. Each start begins with none:
    // release shots once the start has been received.
    void setPaced(bool paced);
    void releaseShots(int count = 1);
    // Progress feedbacks sent by the run in progress, or by the last one.
    int shotsTaken() const;
    // Live-view frame requests received while a sequence ran, over every run so far (the running one included).
    size_t liveViewRequestsDuringRuns() const;

    bool running() const;
    bool waitUntilIdle(std::chrono::milliseconds timeout);
    std::vector<SequenceRequest> requests() const;
    int cancels() const;
    int busyAnswers() const;

private:
    CommandReply start(Device& device, const CommandRequest& request);
    CommandReply cancel();
    void run(Device* device, SequenceRequest request);
    void joinWorker();
    // Frame requests in the device's log so far.
    size_t liveViewRequestsLogged() const;

    mutable std::mutex mu_;
    std::condition_variable cv_;
    std::mutex workerMu_;  // guards worker_ itself (started by the server thread, joined by stop)
    std::thread worker_;
    bool running_ = false;
    bool cancelRequested_ = false;
    bool stopRequested_ = false;
    std::chrono::milliseconds shotTime_{5};
    bool paced_ = false;
    int permits_ = 0;
    int shotsTaken_ = 0;
    Device* device_ = nullptr;          // set by install
    size_t frameRequestsAtStart_ = 0;   // of the running sequence
    size_t frameRequestsInRuns_ = 0;    // of the sequences that have ended
    bool countingFrames_ = false;       // from a start until its run has counted its frames
    uint16_t failureStatus_ = 0;
    std::vector<SequenceRequest> requests_;
    int cancels_ = 0;
    int busy_ = 0;
};

}  // namespace devicesim
