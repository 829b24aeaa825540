#pragma once
// Test fixture (header only, for *_test.cpp files): the stand-in device with its command set and a generic camera
// on a loopback port, the engine's link connected to it and the PTP transport installed, every wait scaled down.
#include <gtest/gtest.h>

#include <poll.h>

#include <chrono>
#include <memory>

#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "devicesim/generic_camera.h"
#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/ptp/container.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_hooks.h"
#include "engine/ptp/vendor_state.h"
#include "engine/timing.h"

class DevicesimLinkTest : public ::testing::Test {
protected:
    // Waits at 5 %: the busy retries are 5 ms and 50 ms.
    static constexpr double kScale = 0.05;
    static constexpr std::chrono::milliseconds kTestReadTimeout{100000};

    void SetUp() override {
        engine_timing::scale().store(kScale);
        resetEngine();
        camera = makeCamera();
        device.setCamera(camera);
        commands.install(device);
        ASSERT_TRUE(device.start(0));
        // The read time-out stays long (5 s here): a loaded test machine can hold a thread off the processor for
        // over a second, and a late answer must not read as a failed link. Tests of the time-out set their own.
        linkSetReadTimeout(kTestReadTimeout);
        linkFd = linkConnect("127.0.0.1", device.port());
        ASSERT_GE(linkFd, 0);
        ptpSetTransport(linkPtpSend, linkPtpReceive);
        ptpSetLinkHook(linkLockHook);
    }

    void TearDown() override {
        linkDisconnect();
        device.stop();
        resetEngine();
        engine_timing::scale().store(1.0);
    }

    // For the tests of the time-out itself: the product's read time-out, scaled like every other wait.
    static void useProductReadTimeout() { linkSetReadTimeout(engine_timing::kReadTimeout); }

    virtual std::shared_ptr<devicesim::GenericCamera> makeCamera() {
        return std::make_shared<devicesim::GenericCamera>();
    }

    static void resetEngine() {
        linkResetState();
        ptpResetContainerState();
        ptpResetTransactionState();
        vendorStateReset();
        ptpSetVendorHooks({});
        linkResetDeviceCommandState();
    }

    // GetDeviceInfo into the session record, then OpenSession.
    void openSession() {
        DeviceInfoRecord info;
        ASSERT_EQ(ptpGetDeviceInfo(&info), PTP_RC_OK);
        ASSERT_EQ(ptpTransaction(PTP_OC_OpenSession, {1}), PTP_RC_OK);
    }

    // The packets the device received that carried PTP operation `op`.
    std::vector<devicesim::LoggedPacket> ptpPackets(uint16_t op) const {
        std::vector<devicesim::LoggedPacket> out;
        for (auto& p : device.log())
            if (p.ptpOperation && *p.ptpOperation == op) out.push_back(p);
        return out;
    }
    // The device commands the device received with command byte `command`.
    std::vector<devicesim::LoggedPacket> commandPackets(uint8_t command) const {
        std::vector<devicesim::LoggedPacket> out;
        for (auto& p : device.log())
            if (p.command && *p.command == command) out.push_back(p);
        return out;
    }

    // Waits until bytes from the device are waiting on the link's socket (nothing is read): true when they are.
    bool waitForBytesFromDevice(std::chrono::milliseconds limit = std::chrono::seconds(5)) const {
        pollfd p{linkFd, POLLIN, 0};
        return ::poll(&p, 1, static_cast<int>(limit.count())) == 1 && (p.revents & POLLIN) != 0;
    }

    devicesim::Device device;
    devicesim::DeviceCommandSet commands;
    int linkFd = -1;
    std::shared_ptr<devicesim::GenericCamera> camera;
};
