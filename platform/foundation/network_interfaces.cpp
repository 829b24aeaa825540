#include "platform/foundation/network_interfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace platform {

std::vector<NetworkInterfaceAddress> networkInterfaceAddresses() {
    std::vector<NetworkInterfaceAddress> list;
    ifaddrs* all = nullptr;
    if (::getifaddrs(&all) != 0) return list;
    for (const ifaddrs* i = all; i != nullptr; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* in = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
        if (::inet_ntop(AF_INET, &in->sin_addr, text, sizeof(text)) == nullptr) continue;
        NetworkInterfaceAddress entry;
        entry.interfaceName = i->ifa_name ? i->ifa_name : "";
        entry.address = text;
        entry.up = (i->ifa_flags & IFF_UP) && (i->ifa_flags & IFF_RUNNING);
        entry.loopback = (i->ifa_flags & IFF_LOOPBACK) != 0;
        entry.multicast = (i->ifa_flags & IFF_MULTICAST) != 0;
        list.push_back(std::move(entry));
    }
    ::freeifaddrs(all);
    return list;
}

}  // namespace platform
