#include "session/network_service_manager.h"

#include <sys/socket.h>

#include "engine/timing.h"
#include "session/comms_manager.h"

namespace {
constexpr const char* kServiceType = "_vorlaxent._tcp";
constexpr const char* kServiceDomain = "local";
}  // namespace

std::shared_ptr<NetworkServiceManager> NetworkServiceManager::create() {
    return std::make_shared<NetworkServiceManager>(Passkey{});
}

int NetworkServiceManager::count() const {
    std::lock_guard<std::mutex> lock(mMutex);
    return mCount;
}

std::vector<VorlaxentAddress> NetworkServiceManager::blockForVorlaxentAddress(bool sameNetworkOnly) {
    // The search runs on the main queue; waiting for it there would wait for ever.
    if (platform::isMainThread()) return {};

    auto stopSemaphore = std::make_shared<platform::Semaphore>(0);
    auto resolveSemaphore = std::make_shared<platform::Semaphore>(0);
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mResults.clear();
        mServices.clear();
        mCount = 0;
        mBrowser.reset();
        mFinished = false;
        mStopSemaphore = stopSemaphore;
        mResolveSemaphore = resolveSemaphore;
    }

    const CommsEnvironment env = CommsManager::environment();
    platform::NetServiceOptions options;
    options.queryTargets = env.discoveryTargets;
    options.bindAddress = env.discoveryBindAddress;
    options.answerWindow = engineWait(engine_timing::kDiscoveryAnswerWindow);
    platform::mainQueue().async([weak = weak_from_this(), options] {
        const std::shared_ptr<NetworkServiceManager> self = weak.lock();
        if (!self) return;
        auto browser = platform::NetServiceBrowser::create(options);
        browser->setDelegate(weak);
        {
            std::lock_guard<std::mutex> lock(self->mMutex);
            if (self->mFinished) return;
            self->mBrowser = browser;
        }
        browser->searchForServicesOfType(kServiceType, kServiceDomain);
    });

    if (!stopSemaphore->waitFor(engineWait(engine_timing::kDiscoveryBrowseWait))) {
        std::shared_ptr<platform::NetServiceBrowser> browser;
        {
            std::lock_guard<std::mutex> lock(mMutex);
            browser = mBrowser;
        }
        if (browser) browser->stop();
        stopSemaphore->waitFor(engineWait(engine_timing::kDiscoveryStopWait));
    }
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mStopSemaphore.reset();
    }

    for (int i = 0; i < count(); ++i) resolveSemaphore->waitFor(engineWait(engine_timing::kDiscoveryResolveWait));

    std::vector<std::shared_ptr<platform::NetService>> services;
    std::shared_ptr<platform::NetServiceBrowser> browser;
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mResolveSemaphore.reset();
        mFinished = true;
        services = std::move(mServices);
        mServices.clear();
        browser = std::move(mBrowser);
        mBrowser.reset();
    }

    // The computer's own network: its address up to and including the last dot.
    std::string ownPrefix = CommsManager::getIpAddress(true);
    const auto lastDot = ownPrefix.rfind('.');
    ownPrefix = lastDot == std::string::npos ? std::string() : ownPrefix.substr(0, lastDot + 1);

    std::vector<VorlaxentAddress> results;
    for (const auto& service : services) {
        if (service->hostName().empty()) continue;
        for (const platform::NetServiceAddress& a : service->addresses()) {
            if (a.family != AF_INET || a.address.empty() || a.port == 0) continue;
            // A prefix match: "10.0.0." is the network of "10.0.0.5", not of "110.0.0.5".
            const bool sameNetwork = !ownPrefix.empty() && a.address.starts_with(ownPrefix);
            VorlaxentAddress result{a.address, a.port};
            if (sameNetwork)
                results.insert(results.begin(), result);
            else if (!sameNetworkOnly)
                results.push_back(result);
        }
    }

    for (const auto& service : services) service->stop();
    if (browser) browser->stop();
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mResults = results;
    }
    return results;
}

void NetworkServiceManager::netServiceBrowser(platform::NetServiceBrowser& browser,
                                              const std::shared_ptr<platform::NetService>& service, bool moreComing) {
    {
        std::lock_guard<std::mutex> lock(mMutex);
        if (mFinished) return;
        ++mCount;
        mServices.push_back(service);
    }
    service->setDelegate(weak_from_this());
    service->resolveWithTimeout(engineWait(engine_timing::kDiscoveryResolveTimeout));
    if (!moreComing) browser.stop();
}

void NetworkServiceManager::netServiceBrowser(platform::NetServiceBrowser& browser, platform::NetServiceError) {
    browser.stop();
}

void NetworkServiceManager::netServiceBrowserDidStopSearch(platform::NetServiceBrowser&) {
    std::lock_guard<std::mutex> lock(mMutex);
    if (mStopSemaphore) mStopSemaphore->signal();
}

void NetworkServiceManager::netServiceDidResolveAddress(platform::NetService&) {
    std::lock_guard<std::mutex> lock(mMutex);
    if (mResolveSemaphore) mResolveSemaphore->signal();
}

void NetworkServiceManager::netService(platform::NetService&, platform::NetServiceError) {
    std::lock_guard<std::mutex> lock(mMutex);
    if (mResolveSemaphore) mResolveSemaphore->signal();
}
