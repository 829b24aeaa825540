#pragma once
// Finding the Vorlaxent device and opening the device link to it. The address comes from the "ipAddress"
// setting when it holds one; else from discovery of "_vorlaxent._tcp" in "local" (the device on the computer's
// own network first); else the device's default address. The link port is 8382, or the port that discovery
// reported for a discovered device.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/foundation/mdns_exchange.h"
#include "platform/foundation/network_interfaces.h"

// The address the device has on the network it opens itself, where it is found when nothing else answers.
inline constexpr const char* kVorlaxentDefaultAddress = "192.168.73.1";

// How the device is reached. The application uses the defaults; tests replace parts so that nothing leaves
// the loopback interface.
struct CommsEnvironment {
    // Opens the link; returns the socket or -1. Default: linkConnect.
    std::function<int(const char* hostName, uint16_t port)> connect;
    // The computer's interface addresses. Default: the system's list.
    std::function<std::vector<platform::NetworkInterfaceAddress>()> interfaces;
    // Where discovery sends its query, and the local address of its socket.
    std::vector<platform::MdnsEndpoint> discoveryTargets;
    std::string discoveryBindAddress;

    static CommsEnvironment defaults();
};

class CommsManager {
public:
    CommsManager() = delete;

    // Opens the link to the device (see the top of this file); true when a socket was opened. Blocks during
    // discovery (up to about 7 s plus 2.5 s per device found): call it from a background queue. An open link is
    // not closed first; connecting replaces it.
    static bool connectToServer();
    // The computer's own IPv4 address: the first, in the system's order, of an interface that is up and not the
    // loopback and that lies on one of the device's networks; failing that, the first of such interfaces at all;
    // empty when there is none. The flag has no effect.
    static std::string getIpAddress(bool flag);
    // The address prefixes of the device's own networks ("192.168.73.", "169.254.").
    static const std::vector<std::string>& deviceNetworkPrefixes();

    static CommsEnvironment environment();
    static void setEnvironment(CommsEnvironment environment);
    static void resetEnvironment();
};
