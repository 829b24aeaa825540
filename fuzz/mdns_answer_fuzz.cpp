// Arbitrary bytes as a reply to the discovery query: an mDNS answer from anyone on the network.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/foundation/mdns_message.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto answer = platform::mdnsParseAnswer(data, size);
    if (!answer) return 0;
    // The names handed on are whole names that the follow-up queries can ask for, and already canonical.
    auto askable = [](const std::string& name) {
        if (name.empty() || name.back() != '.' || platform::mdnsCanonicalName(name) != name) __builtin_trap();
        if (platform::mdnsBuildQuery(1, {{name, platform::kDnsTypeSrv}}).empty()) __builtin_trap();
    };
    for (const auto& p : answer->pointers) {
        askable(p.owner);
        askable(p.target);
        if (p.instanceName.size() > 63) __builtin_trap();  // one label at most
    }
    for (const auto& s : answer->services) {
        askable(s.owner);
        askable(s.host);
    }
    for (const auto& a : answer->addresses) {
        askable(a.owner);
        if (a.address.empty()) __builtin_trap();
    }
    return 0;
}
