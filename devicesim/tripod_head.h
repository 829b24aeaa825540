#pragma once
// A motorised pan/tilt head attached to the device: answers accessory packets (0x09) carrying move, battery and
// speed requests with an accessory packet holding one 32-bit result.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "devicesim/device.h"

namespace devicesim {

struct TripodCommand {
    uint8_t command = 0;
    uint32_t parameter = 0;
    uint8_t direction = 0;  // move
    uint16_t speed = 0;     // speed
    std::vector<uint8_t> raw;  // the request as received, without the packet header
};

// Decodes a request (the accessory packet's body); none when its length field disagrees with the bytes or with the
// command's size.
std::optional<TripodCommand> decodeTripodCommand(const std::vector<uint8_t>& body);

class TripodHead {
public:
    void install(Device& device);

    void setBatteryLevel(uint32_t level);
    // A head that refuses moves and speed changes answers 0.
    void setRefuse(bool refuse);
    // Without a head (attached false) the device answers every head request with a response of 0x2002.
    void setAttached(bool attached);
    // Packets sent in front of each reply (e.g. an asynchronous device message), used once.
    void queueBeforeReply(std::vector<uint8_t> packet);
    // A slow head: each reply goes out this long after its request arrived (the request is noted at once).
    void setReplyDelay(std::chrono::milliseconds delay);
    // Holds every reply from now on until releaseReplies, so that the host's next requests queue behind the one
    // the head is answering. Keep a hold shorter than the host's read time-out.
    void holdReplies();
    void releaseReplies();
    // Waits until at least `count` requests have arrived; false when `limit` passed first.
    bool waitForCommands(size_t count, std::chrono::milliseconds limit) const;

    std::vector<TripodCommand> commands() const;
    uint8_t direction() const;
    uint16_t speed() const;

    static std::vector<uint8_t> replyPacket(uint32_t result);

private:
    std::vector<uint8_t> handle(const std::vector<uint8_t>& body);

    mutable std::mutex mu_;
    mutable std::condition_variable changed_;
    uint32_t battery_ = 77;
    bool refuse_ = false;
    bool attached_ = true;
    uint8_t direction_ = 0;
    uint16_t speed_ = 0;
    std::vector<TripodCommand> commands_;
    std::vector<uint8_t> before_;
    std::chrono::milliseconds delay_{0};
    bool held_ = false;
};

}  // namespace devicesim
