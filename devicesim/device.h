#pragma once
// The stand-in Vorlaxent device: a TCP server on 127.0.0.1 that speaks the device side of the link protocol to
// one client at a time. It parses the framing on its own (it shares no code with the engine), answers device
// commands through a table of handlers keyed by command byte, relays PTP containers to a Camera, sends
// asynchronous messages on demand, plays scripted faults, and keeps a decoded log of every packet it received.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/camera.h"

namespace devicesim {

// Packet types of the link, as the device knows them.
enum PacketType : uint8_t {
    kPtpRepeat = 0x05,
    kAccessory = 0x09,
    kPtpData = 0x0A,
    kCommand = 0x0C,
    kResponse = 0x0D,
    kDataWrapper = 0x0F,
    kAutomationFeedback = 0xF7,
    kSdCardStatus = 0xFD,
};

// A device command as received.
struct CommandRequest {
    uint8_t command = 0;
    std::vector<uint8_t> payload;
    std::optional<DataWrapper> wrapper;  // the data wrapper that carried the command, when there was one
};

// The answer to a device command, sent as a ResponsePacket.
struct CommandReply {
    uint16_t code = 0x2001;
    std::vector<uint8_t> payload;

    static CommandReply ok(std::vector<uint8_t> p = {}) { return {0x2001, std::move(p)}; }
    static CommandReply withCode(uint16_t c) { return {c, {}}; }
};

class Device;
using CommandHandler = std::function<CommandReply(Device& device, const CommandRequest& request)>;
// A handler for another packet type (0x05 repeat, 0x09 accessory): receives the packet body after the 5-byte header
// and returns the whole packets to send back (header included); empty for no answer.
using RawPacketHandler = std::function<std::vector<uint8_t>(Device& device, const std::vector<uint8_t>& body)>;

// One packet the device received, decoded.
struct LoggedPacket {
    uint8_t type = 0;
    uint32_t length = 0;             // the total length announced in the header
    std::vector<uint8_t> bytes;      // the whole packet as received, header included
    std::optional<uint8_t> command;  // device command byte (0x0C, and 0x0F wrapping one)
    std::optional<uint16_t> ptpOperation;
    std::optional<uint32_t> ptpTransactionId;
    std::vector<uint32_t> ptpParams;
    std::optional<DataWrapper> wrapper;
    bool wellFormed = true;  // false when the packet broke the framing rules (the text says how)
    std::string text;        // a one-line description
};

// A scripted fault, applied to the next answer the device sends (a device command's response, or a PTP
// operation's data and response packets). Faults queue up and are used one per answer, in order.
struct Fault {
    enum Kind {
        NoReply,          // read the request, answer nothing
        Delay,            // wait `delay`, then answer
        Pieces,           // answer in pieces of `pieceSize` bytes, `delay` apart
        BadHeaderLength,  // the first answer packet announces `headerLength` instead of its length
        CloseMidPacket,   // send the first `closeAfter` bytes of the answer (or that share of it, with
                          // `closeFraction` in 0..1), then close the connection
        AsyncBeforeReply, // send `asyncPacket` (a whole packet) first, then the answer
        Busy,             // answer with `busyCode` (a device command's response code, or the PTP response code)
        OverrideReply,    // send `rawReply` (whole packets) in place of the answer
    };
    Kind kind = NoReply;
    std::chrono::milliseconds delay{0};
    size_t pieceSize = 1;
    uint32_t headerLength = 3;
    size_t closeAfter = 0;
    double closeFraction = -1;  // negative: closeAfter counts
    std::vector<uint8_t> asyncPacket;
    uint16_t busyCode = 0x2019;
    std::vector<uint8_t> rawReply;

    static Fault noReply() { return Fault{}; }
    static Fault delayed(std::chrono::milliseconds d) {
        Fault f;
        f.kind = Delay;
        f.delay = d;
        return f;
    }
    static Fault inPieces(size_t size, std::chrono::milliseconds gap = std::chrono::milliseconds(0)) {
        Fault f;
        f.kind = Pieces;
        f.pieceSize = size ? size : 1;
        f.delay = gap;
        return f;
    }
    static Fault badHeaderLength(uint32_t length) {
        Fault f;
        f.kind = BadHeaderLength;
        f.headerLength = length;
        return f;
    }
    static Fault closeMidPacket(size_t after) {
        Fault f;
        f.kind = CloseMidPacket;
        f.closeAfter = after;
        return f;
    }
    // Cut inside the answer: at `fraction` of its bytes, at least one byte in and one byte short of its end.
    static Fault closeWithin(double fraction) {
        Fault f;
        f.kind = CloseMidPacket;
        f.closeFraction = fraction;
        return f;
    }
    static Fault asyncBeforeReply(std::vector<uint8_t> packet) {
        Fault f;
        f.kind = AsyncBeforeReply;
        f.asyncPacket = std::move(packet);
        return f;
    }
    static Fault busy(uint16_t code = 0x2019) {
        Fault f;
        f.kind = Busy;
        f.busyCode = code;
        return f;
    }
    static Fault overrideReply(std::vector<uint8_t> packets) {
        Fault f;
        f.kind = OverrideReply;
        f.rawReply = std::move(packets);
        return f;
    }
};

// One exchange (a request that gets an answer), as the device tells a fault source about it.
struct Exchange {
    uint64_t number = 0;  // exchanges since the device started, from 1
    uint8_t type = 0;     // the request's packet type (inside a data wrapper: the wrapped one)
    std::optional<uint8_t> command;
    std::optional<uint16_t> ptpOperation;
    // 0 when asked before the answer is made; the answer's whole size when asked again after (only when the first
    // ask gave no fault). A Busy fault only counts when given before: the camera has then not acted.
    size_t answerBytes = 0;
};
// Decides a fault for an exchange that no scripted fault claims (see Device::setFaultSource).
using FaultSource = std::function<std::optional<Fault>(const Exchange& exchange)>;

class Device {
public:
    Device();
    ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    // Listens on 127.0.0.1:port (0 picks a free port) and serves clients one at a time on a thread of its own.
    bool start(uint16_t port = 0);
    // Closes the client and the listener and joins the server thread.
    void stop();
    uint16_t port() const { return port_; }
    bool clientConnected() const;
    // Waits until a client is connected (true) or the time is up (false).
    bool waitForClient(std::chrono::milliseconds timeout);
    // Waits until no client is connected (true) or the time is up (false).
    bool waitForNoClient(std::chrono::milliseconds timeout);
    // Closes the current client's connection (the device drops the link); the next client is then accepted.
    void dropClient();

    // The camera behind the device; none by default (PTP packets are then answered with a ResponsePacket of
    // code 0x2002 and the camera-attached query says 0).
    void setCamera(std::shared_ptr<Camera> camera);
    std::shared_ptr<Camera> camera() const;

    // Device command handlers, by command byte; a command without a handler is answered 0x2005.
    void setCommandHandler(uint8_t command, CommandHandler handler);
    void removeCommandHandler(uint8_t command);
    bool hasCommandHandler(uint8_t command) const;
    void setRawPacketHandler(uint8_t type, RawPacketHandler handler);

    // Asynchronous messages, sent at once to the connected client (false when none is connected).
    bool sendPacket(const std::vector<uint8_t>& wholePacket);
    bool sendAsync(uint8_t type, const std::vector<uint8_t>& body);
    bool sendAutomationFeedback(uint8_t flags, uint16_t status, const std::vector<uint8_t>& payload);
    bool sendSdCardStatus(uint16_t status);

    // Scripted faults (see Fault).
    void scriptFault(Fault fault);
    void clearFaults();
    // A source of faults for every exchange the scripted ones leave (a seeded schedule); none removes it. Called on
    // the server thread, twice per exchange (before and after the answer is made), without the device's locks.
    void setFaultSource(FaultSource source);
    // Exchanges answered since start.
    uint64_t exchanges() const;

    // The device restarts: the client's connection is closed and every connection in the next `downtime` is
    // closed as soon as it is accepted. What the camera holds stays.
    void restart(std::chrono::milliseconds downtime);
    // The camera is unplugged for `duration`: the device reports none attached and answers PTP as without a
    // camera, then it is plugged in again as it was.
    void detachCameraFor(std::chrono::milliseconds duration);
    bool cameraDetached() const;

    // A device that is slow to answer: every answer goes out `delay` after its request was read (0: at once), and
    // a device command's answer a further `delay` of its own for that command. Both hold until changed.
    void setReplyDelay(std::chrono::milliseconds delay);
    void setCommandDelay(uint8_t command, std::chrono::milliseconds delay);
    // The next `times` requests of a device command are answered with `code` instead of running (a poll that fails
    // once, a card read that fails).
    void failCommand(uint8_t command, uint16_t code, int times = 1);

    // Every packet received, decoded, in order (across clients); with a limit, only the latest that many (a long
    // run keeps the device's memory flat).
    std::vector<LoggedPacket> log() const;
    void setLogLimit(size_t packets);
    size_t logSize() const;
    void clearLog();
    // Waits until at least `count` packets have been logged.
    bool waitForLog(size_t count, std::chrono::milliseconds timeout) const;

    // Packet builders, for handlers and tests.
    static std::vector<uint8_t> packet(uint8_t type, const std::vector<uint8_t>& body);
    static std::vector<uint8_t> responsePacket(uint16_t code, const std::vector<uint8_t>& payload);
    static std::vector<uint8_t> automationFeedbackPacket(uint8_t flags, uint16_t status,
                                                         const std::vector<uint8_t>& payload);
    static std::vector<uint8_t> sdCardStatusPacket(uint16_t status);
    // One PTP container (type, code, transaction id, then params as uint32 or data bytes).
    static std::vector<uint8_t> ptpContainer(uint16_t type, uint16_t code, uint32_t transactionId,
                                             const std::vector<uint32_t>& params);
    static std::vector<uint8_t> ptpDataContainer(uint16_t code, uint32_t transactionId,
                                                 const std::vector<uint8_t>& data);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    uint16_t port_ = 0;
};

}  // namespace devicesim
