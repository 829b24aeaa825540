#pragma once
// A simulated camera behind the stand-in device. The device relays every PTP operation that the host sends to the
// camera's handleOperation and turns the result into the link packets the host expects; device commands that ask
// the camera for something (the event poll, the model name) reach it through the other operations.
//
// Implementations are called from the device's server thread and, for event queues, from test threads: they
// guard their own state.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devicesim {

// The data wrapper that preceded a packet (sub-code A 0xA0/0xA1, B 0xB0/0xB1/0xB2/0, and its data).
struct DataWrapper {
    uint32_t innerLength = 0;
    uint8_t subCodeA = 0;
    uint8_t subCodeB = 0;
    std::vector<uint8_t> data;
};

// One PTP operation as the host sent it.
struct PtpOperation {
    uint16_t code = 0;
    uint32_t transactionId = 0;
    std::vector<uint32_t> params;
    std::optional<std::vector<uint8_t>> dataOut;  // the host's data phase, when it sent one
    std::optional<DataWrapper> wrapper;           // the data wrapper ahead of it, when there was one
};

// The camera's answer.
struct PtpResult {
    uint16_t code = 0x2001;
    std::vector<uint32_t> params;
    std::optional<std::vector<uint8_t>> dataIn;  // the camera's data phase, when it has one
    // The device answers for the camera with a ResponsePacket of code 0 instead of PTP containers (as it does when
    // data goes to its sharing clients only).
    bool deviceAnswersAlone = false;

    static PtpResult ok() { return {}; }
    static PtpResult withCode(uint16_t c) {
        PtpResult r;
        r.code = c;
        return r;
    }
    static PtpResult withData(std::vector<uint8_t> d) {
        PtpResult r;
        r.dataIn = std::move(d);
        return r;
    }
};

class Device;

class Camera {
public:
    virtual ~Camera() = default;
    // Called when the camera is plugged into a device, for cameras that answer packets other than PTP (the repeat
    // packet of a lens drive). The default needs nothing.
    virtual void attach(Device& device) { (void)device; }
    // One PTP operation; called on the device's server thread, one at a time.
    virtual PtpResult handleOperation(const PtpOperation& op) = 0;
    // The events collected since the last poll, as the reply payload of the device's event-poll command (in the
    // vendor's format). The default has none.
    virtual std::vector<uint8_t> pollEvents(uint8_t pollFlag) {
        (void)pollFlag;
        return {};
    }
    // The model name the device reports for the attached camera.
    virtual std::string modelName() const { return {}; }
};

}  // namespace devicesim
