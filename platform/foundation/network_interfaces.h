#pragma once
// The computer's IPv4 interface addresses, in the order the system lists them.
#include <string>
#include <vector>

namespace platform {

struct NetworkInterfaceAddress {
    std::string interfaceName;  // "eth0", "wlan0", ...
    std::string address;        // dotted IPv4 text
    bool up = false;            // the interface is up and running
    bool loopback = false;
    bool multicast = false;     // the interface can send multicast
};

// Every IPv4 address of every interface (up or down), from getifaddrs(); empty when the list cannot be read.
std::vector<NetworkInterfaceAddress> networkInterfaceAddresses();

}  // namespace platform
