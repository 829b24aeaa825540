#include "session/comms_manager.h"

#include <mutex>

#include "engine/link/link.h"
#include "platform/foundation/user_defaults.h"
#include "session/network_service_manager.h"

namespace {

struct EnvironmentState {
    std::mutex mutex;
    CommsEnvironment environment = CommsEnvironment::defaults();
};

EnvironmentState& state() {
    static EnvironmentState s;
    return s;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

CommsEnvironment CommsEnvironment::defaults() {
    CommsEnvironment e;
    e.connect = [](const char* hostName, uint16_t port) { return linkConnect(hostName, port); };
    e.interfaces = platform::networkInterfaceAddresses;
    e.discoveryTargets = {{platform::kMdnsGroupAddress, platform::kMdnsPort}};
    e.discoveryBindAddress = "0.0.0.0";
    return e;
}

CommsEnvironment CommsManager::environment() {
    std::lock_guard<std::mutex> lock(state().mutex);
    return state().environment;
}

void CommsManager::setEnvironment(CommsEnvironment environment) {
    const CommsEnvironment d = CommsEnvironment::defaults();
    if (!environment.connect) environment.connect = d.connect;
    if (!environment.interfaces) environment.interfaces = d.interfaces;
    if (environment.discoveryTargets.empty()) environment.discoveryTargets = d.discoveryTargets;
    if (environment.discoveryBindAddress.empty()) environment.discoveryBindAddress = d.discoveryBindAddress;
    std::lock_guard<std::mutex> lock(state().mutex);
    state().environment = std::move(environment);
}

void CommsManager::resetEnvironment() { setEnvironment({}); }

const std::vector<std::string>& CommsManager::deviceNetworkPrefixes() {
    // The network of the device's own access point, and link-local addresses (a cable straight to the device).
    static const std::vector<std::string> prefixes{"192.168.73.", "169.254."};
    return prefixes;
}

std::string CommsManager::getIpAddress(bool flag) {
    (void)flag;
    std::string first;
    for (const platform::NetworkInterfaceAddress& i : environment().interfaces()) {
        // The loopback and interfaces that are down say nothing about the network the device is on.
        if (!i.up || i.loopback || i.address.empty()) continue;
        for (const std::string& prefix : deviceNetworkPrefixes())
            if (i.address.starts_with(prefix)) return i.address;
        if (first.empty()) first = i.address;
    }
    return first;
}

bool CommsManager::connectToServer() {
    const CommsEnvironment env = environment();
    const std::string setting = trimmed(platform::UserDefaults::standardUserDefaults().stringForKey("ipAddress"));
    if (!setting.empty()) return env.connect(setting.c_str(), kLinkDefaultPort) >= 0;

    const std::vector<VorlaxentAddress> found = NetworkServiceManager::create()->blockForVorlaxentAddress(false);
    for (const VorlaxentAddress& device : found)
        if (!device.ipAddress.empty() && device.port != 0) return env.connect(device.ipAddress.c_str(), device.port) >= 0;

    return env.connect(kVorlaxentDefaultAddress, kLinkDefaultPort) >= 0;
}
