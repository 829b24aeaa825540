#pragma once
// Discovery of Vorlaxent devices that announce themselves as "_vorlaxent._tcp" in "local". One manager serves
// one discovery and is released after it.
//
// The browser and the resolutions run on the main queue; the discovering thread only waits on semaphores. Late
// reports (after the waits have given up) find the manager finished, or gone, and change nothing.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/net_service_browser.h"

// One discovered device: its IPv4 address as dotted text and its link port.
struct VorlaxentAddress {
    std::string ipAddress;
    uint16_t port = 0;

    bool operator==(const VorlaxentAddress&) const = default;
};

class NetworkServiceManager : public platform::NetServiceBrowserDelegate,
                              public platform::NetServiceDelegate,
                              public std::enable_shared_from_this<NetworkServiceManager> {
    struct Passkey {};

public:
    static std::shared_ptr<NetworkServiceManager> create();
    explicit NetworkServiceManager(Passkey) {}

    // Searches for devices and returns their addresses, those on the computer's own network first; with
    // sameNetworkOnly, only those. Empty when none was found. Blocks for up to about 7 s plus 2.5 s per device
    // found; never call it on the main thread (it returns nothing there at once).
    std::vector<VorlaxentAddress> blockForVorlaxentAddress(bool sameNetworkOnly);

    // Browser: a device was found (count it, keep it, resolve it; stop the search after the last of a batch).
    void netServiceBrowser(platform::NetServiceBrowser& browser, const std::shared_ptr<platform::NetService>& service,
                           bool moreComing) override;
    // Browser: the search did not start (stop it, which reports that it stopped).
    void netServiceBrowser(platform::NetServiceBrowser& browser, platform::NetServiceError didNotSearch) override;
    void netServiceBrowserDidStopSearch(platform::NetServiceBrowser& browser) override;
    void netServiceDidResolveAddress(platform::NetService& sender) override;
    // A found device did not resolve.
    void netService(platform::NetService& sender, platform::NetServiceError didNotResolve) override;

private:
    int count() const;

    mutable std::mutex mMutex;  // every member below; delegates run on the main queue, the waits elsewhere
    std::shared_ptr<platform::Semaphore> mResolveSemaphore;  // null outside the resolve waits
    std::shared_ptr<platform::Semaphore> mStopSemaphore;     // null outside the stop waits
    std::vector<VorlaxentAddress> mResults;
    std::vector<std::shared_ptr<platform::NetService>> mServices;
    int mCount = 0;
    std::shared_ptr<platform::NetServiceBrowser> mBrowser;
    bool mFinished = false;  // the discovery has returned: further reports are ignored
};
