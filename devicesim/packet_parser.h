#pragma once
// The device's reading of one whole packet from the host: framing checked against the link's tables, the device
// command or PTP containers picked out, a data wrapper opened around its nested packet.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "devicesim/camera.h"

namespace devicesim {

struct ParsedPacket {
    uint8_t type = 0;        // the outer packet's type
    uint32_t length = 0;     // as announced in the header
    bool valid = true;
    std::string error;       // why it is not valid
    uint8_t innerType = 0;   // the type acted on: the nested packet's for a wrapper, else the packet's own
    std::optional<uint8_t> command;
    std::vector<uint8_t> payload;          // device command payload
    std::optional<PtpOperation> ptp;       // PTP command (and data) containers
    std::optional<DataWrapper> wrapper;
    std::vector<uint8_t> body;             // everything after the 5-byte header (for other packet types)
};

ParsedPacket parsePacket(const std::vector<uint8_t>& whole);
std::string describePacket(const ParsedPacket& p);

}  // namespace devicesim
