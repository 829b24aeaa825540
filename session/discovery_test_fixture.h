#pragma once
// For tests of device discovery and connection: stand-in device responders on loopback, a computer whose
// interface list the test gives, a dialler that records where it was asked to connect, and a way to run a
// blocking call off the main thread while the main queue runs. Nothing leaves the loopback interface: the
// query goes only to the responders here, the first of which never answers.
#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "devicesim/mdns_responder.h"
#include "engine/link/link.h"
#include "engine/timing.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/test_application.h"
#include "platform/foundation/user_defaults.h"
#include "session/comms_manager.h"

class DiscoveryTest : public ::testing::Test {
protected:
    // Browse wait 600 ms, stop wait 100 ms, answer window 100 ms, resolve wait 250 ms, resolution 200 ms.
    static constexpr double kScale = 0.1;
    using Dial = std::pair<std::string, uint16_t>;

    void SetUp() override {
        platform::ensureTestApplication();
        savedScale_ = engine_timing::scale().load();
        engine_timing::scale().store(kScale);
        defaults().removeObjectForKey("ipAddress");
        sink_ = std::make_unique<devicesim::MdnsResponder>();
        sink_->setSilent(true);
        ASSERT_TRUE(sink_->start());
        interfaces_ = {{"lo", "127.0.0.1", true, true, false}, {"eth0", "10.20.30.40", true, false, true}};
        applyEnvironment();
    }

    void TearDown() override {
        CommsManager::resetEnvironment();
        defaults().removeObjectForKey("ipAddress");
        engine_timing::scale().store(savedScale_);
        linkResetState();
    }

    static platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

    // A device announcing itself; it answers on loopback.
    devicesim::MdnsResponder& addDevice(const std::string& name, const std::string& address, uint16_t port,
                                        bool withAdditionalRecords = true) {
        devicesim::MdnsAnnouncement a;
        a.instanceName = name;
        a.hostName = "device-" + std::to_string(devices_.size() + 1);
        a.address = address;
        a.port = port;
        a.withAdditionalRecords = withAdditionalRecords;
        devices_.push_back(std::make_unique<devicesim::MdnsResponder>(a));
        EXPECT_TRUE(devices_.back()->start());
        applyEnvironment();
        return *devices_.back();
    }

    void applyEnvironment() {
        CommsEnvironment e;
        e.connect = [this](const char* host, uint16_t port) {
            std::lock_guard<std::mutex> lock(mutex_);
            dialled_.emplace_back(host, port);
            return realConnect_ ? linkConnect(host, port) : dialResult_;
        };
        e.interfaces = [this] {
            std::lock_guard<std::mutex> lock(mutex_);
            return interfaces_;
        };
        e.discoveryTargets = {{"127.0.0.1", sink_->port()}};
        for (const auto& d : devices_) e.discoveryTargets.push_back({"127.0.0.1", d->port()});
        e.discoveryBindAddress = "127.0.0.1";
        CommsManager::setEnvironment(e);
    }

    std::vector<Dial> dialled() {
        std::lock_guard<std::mutex> lock(mutex_);
        return dialled_;
    }

    // Runs a blocking call on a worker thread while the main queue runs on this one.
    template <class F>
    auto offMain(F f) -> decltype(f()) {
        std::packaged_task<decltype(f())()> task(std::move(f));
        auto result = task.get_future();
        std::thread worker(std::move(task));
        const bool done = platform::runMainUntil(
            [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
            std::chrono::seconds(30));
        worker.join();
        EXPECT_TRUE(done);
        return result.get();
    }

    // Runs the main queue until every block queued so far has run.
    void drainMainQueue() {
        bool done = false;
        platform::mainQueue().async([&] { done = true; });
        ASSERT_TRUE(platform::runMainUntil([&] { return done; }, std::chrono::seconds(10)));
    }

    std::unique_ptr<devicesim::MdnsResponder> sink_;  // receives every query, answers none
    std::vector<std::unique_ptr<devicesim::MdnsResponder>> devices_;
    std::mutex mutex_;
    std::vector<platform::NetworkInterfaceAddress> interfaces_;
    std::vector<Dial> dialled_;
    bool realConnect_ = false;
    int dialResult_ = 42;  // a pretend socket

private:
    double savedScale_ = 1.0;
};
