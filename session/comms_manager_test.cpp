#include "session/comms_manager.h"

#include <gtest/gtest.h>

#include <chrono>

#include "devicesim/device.h"
#include "session/discovery_test_fixture.h"

namespace {

using namespace std::chrono_literals;
using Dials = std::vector<std::pair<std::string, uint16_t>>;

class CommsManagerTest : public DiscoveryTest {
protected:
    bool connect() { return offMain([] { return CommsManager::connectToServer(); }); }
};

TEST_F(CommsManagerTest, TheAddressSettingIsDialledOnTheDevicePortWithoutDiscovery) {
    addDevice("Ignored", "10.20.30.41", 9001);
    for (const char* setting : {"192.168.1.20", " 192.168.1.21 "}) {
        defaults().setString(setting, "ipAddress");
        EXPECT_TRUE(connect());
    }
    EXPECT_EQ(dialled(), (Dials{{"192.168.1.20", 8382}, {"192.168.1.21", 8382}}));
    EXPECT_TRUE(sink_->queries().empty());
}

TEST_F(CommsManagerTest, AnEmptySettingLeadsToDiscoveryAsAMissingOneDoes) {
    addDevice("Far", "172.16.0.9", 8382);
    addDevice("Near", "10.20.30.41", 9001).setReplyDelay(10ms);
    for (const char* setting : {"", "   ", "(missing)"}) {
        if (std::string(setting) == "(missing)")
            defaults().removeObjectForKey("ipAddress");
        else
            defaults().setString(setting, "ipAddress");
        EXPECT_TRUE(connect()) << setting;
    }
    // The device on the computer's own network, on the port it announced.
    EXPECT_EQ(dialled(), (Dials(3, {"10.20.30.41", 9001})));
}

TEST_F(CommsManagerTest, ADiscoveredDeviceIsDialledOnTheAnnouncedPort) {
    devicesim::Device device;
    ASSERT_TRUE(device.start(0));
    addDevice("Stand-in", "127.0.0.1", device.port());
    realConnect_ = true;
    EXPECT_TRUE(connect());
    EXPECT_TRUE(device.waitForClient(5s));
    EXPECT_TRUE(linkIsConnected());
    EXPECT_EQ(dialled(), (Dials{{"127.0.0.1", device.port()}}));
    linkDisconnect();
}

TEST_F(CommsManagerTest, WithoutAnAnswerTheDefaultAddressIsDialledAfterTheWaits) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_TRUE(connect());
    EXPECT_GE(std::chrono::steady_clock::now() - started, engineWait(engine_timing::kDiscoveryBrowseWait));
    EXPECT_EQ(dialled(), (Dials{{kVorlaxentDefaultAddress, 8382}}));
}

TEST_F(CommsManagerTest, AFailedConnectionIsReportedWhateverTheAddressCameFrom) {
    dialResult_ = -1;
    defaults().setString("10.1.1.1", "ipAddress");
    EXPECT_FALSE(connect());  // the setting
    defaults().removeObjectForKey("ipAddress");
    EXPECT_FALSE(connect());  // the default address
    addDevice("Unreachable", "10.20.30.41", 9001);
    EXPECT_FALSE(connect());  // a discovered device: the default address is not tried after it
    EXPECT_EQ(dialled(), (Dials{{"10.1.1.1", 8382}, {kVorlaxentDefaultAddress, 8382}, {"10.20.30.41", 9001}}));
}

TEST_F(CommsManagerTest, TheOwnAddressSkipsLoopbackAndDownInterfacesAndPrefersTheDeviceNetwork) {
    using I = platform::NetworkInterfaceAddress;
    const I lo{"lo", "127.0.0.1", true, true, false};
    struct Case {
        const char* what;
        std::vector<I> interfaces;
        std::string expected;
    };
    const Case cases[] = {
        {"nothing but the loopback", {lo}, ""},
        {"no interfaces", {}, ""},
        {"the first usable one", {lo, {"eth0", "10.0.0.7", true, false, true}, {"eth1", "10.0.1.7", true, false, true}},
         "10.0.0.7"},
        {"an interface that is down is skipped, even on the device's network",
         {lo, {"wlan0", "192.168.73.5", false, false, true}, {"eth0", "10.0.0.7", true, false, true}}, "10.0.0.7"},
        {"the device's access point network first",
         {{"eth0", "10.0.0.7", true, false, true}, {"wlan0", "192.168.73.20", true, false, true}}, "192.168.73.20"},
        {"a cable straight to the device",
         {{"eth0", "10.0.0.7", true, false, true}, {"usb0", "169.254.3.3", true, false, true}}, "169.254.3.3"},
        {"a device prefix in the middle of an address does not count",
         {{"eth0", "10.0.0.8", true, false, true}, {"eth1", "10.169.254.3", true, false, true}}, "10.0.0.8"},
    };
    for (const Case& c : cases) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            interfaces_ = c.interfaces;
        }
        EXPECT_EQ(CommsManager::getIpAddress(true), c.expected) << c.what;
    }
}

}  // namespace
