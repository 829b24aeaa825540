#include "devicesim/tripod_head.h"

#include <thread>

#include "devicesim/wire.h"

namespace devicesim {

std::optional<TripodCommand> decodeTripodCommand(const std::vector<uint8_t>& body) {
    if (body.size() < 9 || wire::get32(body.data()) != body.size()) return std::nullopt;
    TripodCommand c;
    c.command = body[4];
    c.parameter = wire::get32(body.data() + 5);
    c.raw = body;
    switch (c.command) {
        case 4:
            if (body.size() != 10) return std::nullopt;
            c.direction = body[9];
            break;
        case 5:
            if (body.size() != 9) return std::nullopt;
            break;
        case 11:
            if (body.size() != 11) return std::nullopt;
            c.speed = wire::get16(body.data() + 9);
            break;
        default: return std::nullopt;
    }
    return c;
}

void TripodHead::install(Device& device) {
    device.setRawPacketHandler(kAccessory, [this](Device&, const std::vector<uint8_t>& body) { return handle(body); });
}

void TripodHead::setBatteryLevel(uint32_t level) {
    std::lock_guard<std::mutex> g(mu_);
    battery_ = level;
}

void TripodHead::setRefuse(bool refuse) {
    std::lock_guard<std::mutex> g(mu_);
    refuse_ = refuse;
}

void TripodHead::setAttached(bool attached) {
    std::lock_guard<std::mutex> g(mu_);
    attached_ = attached;
}

void TripodHead::queueBeforeReply(std::vector<uint8_t> packet) {
    std::lock_guard<std::mutex> g(mu_);
    wire::putBytes(before_, packet);
}

void TripodHead::setReplyDelay(std::chrono::milliseconds delay) {
    std::lock_guard<std::mutex> g(mu_);
    delay_ = delay;
}

void TripodHead::holdReplies() {
    std::lock_guard<std::mutex> g(mu_);
    held_ = true;
}

void TripodHead::releaseReplies() {
    {
        std::lock_guard<std::mutex> g(mu_);
        held_ = false;
    }
    changed_.notify_all();
}

bool TripodHead::waitForCommands(size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock<std::mutex> g(mu_);
    return changed_.wait_for(g, limit, [&] { return commands_.size() >= count; });
}

std::vector<TripodCommand> TripodHead::commands() const {
    std::lock_guard<std::mutex> g(mu_);
    return commands_;
}

uint8_t TripodHead::direction() const {
    std::lock_guard<std::mutex> g(mu_);
    return direction_;
}

uint16_t TripodHead::speed() const {
    std::lock_guard<std::mutex> g(mu_);
    return speed_;
}

std::vector<uint8_t> TripodHead::replyPacket(uint32_t result) {
    std::vector<uint8_t> body;
    wire::put32(body, result);
    return Device::packet(kAccessory, body);
}

std::vector<uint8_t> TripodHead::handle(const std::vector<uint8_t>& body) {
    std::optional<TripodCommand> c = decodeTripodCommand(body);
    std::chrono::milliseconds delay;
    {
        std::unique_lock<std::mutex> g(mu_);
        if (c) commands_.push_back(*c);
        changed_.notify_all();
        changed_.wait(g, [this] { return !held_; });
        delay = delay_;
    }
    if (delay.count() > 0) std::this_thread::sleep_for(delay);
    std::lock_guard<std::mutex> g(mu_);
    std::vector<uint8_t> out;
    out.swap(before_);
    if (!attached_) {
        const std::vector<uint8_t> none = Device::responsePacket(0x2002, {});
        out.insert(out.end(), none.begin(), none.end());
        return out;
    }
    uint32_t result = 0;
    if (c) {
        if (c->command == 5) {
            result = battery_;
        } else if (!refuse_ && c->command == 4) {
            direction_ = c->direction;
            result = 1;
        } else if (!refuse_ && c->command == 11 && c->speed <= 1023) {
            speed_ = c->speed;
            result = 1;
        }
    }
    wire::putBytes(out, replyPacket(result));
    return out;
}

}  // namespace devicesim
