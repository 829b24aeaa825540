#pragma once
// Test fixture (header only, for *_test.cpp files): the stand-in device with a simulated Fujifilm camera that hands
// its pictures to the device's card, the engine's link and transport installed, the Fujifilm module registered with
// the device's end-open-capture request as its live-view stop, the event poll going to the device, and a pump that
// collects every camera event the engine tells it of. The session itself is opened by the test (openFujiSession).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "devicesim/fuji_camera.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/ptp/camera_events.h"
#include "engine/vendors/event_polling_test_support.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/session_open.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_module.h"
#include "engine/vendors/fujifilm/fuji_state.h"
#include "engine/vendors/vendor_test_doubles.h"

class FujiDeviceTest : public DevicesimLinkTest {
protected:
    virtual devicesim::FujiCameraOptions cameraOptions() { return {}; }

    std::shared_ptr<devicesim::GenericCamera> makeCamera() override {
        fuji = std::make_shared<devicesim::FujiCamera>(cameraOptions());
        return fuji;
    }

    void SetUp() override {
        DevicesimLinkTest::SetUp();
        // The command set was installed after the camera: the camera takes its commands back, and its card.
        fuji->attach(device);
        fuji->useCard(commands.cardPointer());
        test_vendor::resetCoreState();
        fujiResetModule();
        fujiRegisterModule();
        camSetLiveViewStopHandler(linkFujiCallback);
        ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, [this] {
            std::vector<CameraEvent> batch;
            for (CameraEvent e; camPopEvent(&e)->code != 0;) batch.push_back(e);
            std::lock_guard<std::mutex> lock(eventMutex);
            events.insert(events.end(), batch.begin(), batch.end());
            eventCv.notify_all();
        });
        ptpSetEventPollFunction(linkPollEvents);
    }

    void TearDown() override {
        camSetLiveViewStopHandler(nullptr);
        fujiUnregisterModule();
        fujiResetModule();
        test_vendor::resetCoreState();
        DevicesimLinkTest::TearDown();
    }

    // OpenSession, then the engine's session open; with priority, the camera then put into PC priority.
    ResponseCode openFujiSession(bool priority = false) {
        openSession();
        ResponseCode rc = camStartSession(0);
        if (rc != PTP_RC_OK || !priority) return rc;
        return camSetHostMode(1, 0);
    }

    std::vector<CameraEvent> takeEvents() {
        std::lock_guard<std::mutex> lock(eventMutex);
        std::vector<CameraEvent> out;
        out.swap(events);
        return out;
    }

    // Polls the camera until an event with that code has arrived (or the time is up): the events collected.
    std::vector<CameraEvent> pollUntil(uint32_t code, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return pollEventsUntil(code, limit, [this] { return takeEvents(); });
    }

    // The value of a record in the store (0 when missing).
    static uint32_t storeValue(uint32_t code) {
        uint32_t v = 0;
        fujiPropertyValue(code, &v);
        return v;
    }

    // The data phases of the SetDevicePropValue operations of one property that reached the device, in order.
    std::vector<std::vector<uint8_t>> setsOf(uint32_t code) const {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& p : device.log()) {
            if (!p.ptpOperation || *p.ptpOperation != 0x1016 || p.ptpParams.empty() || p.ptpParams[0] != code)
                continue;
            // One packet: the 5-byte header, the command container, then the data container (12-byte header).
            std::vector<uint8_t> data;
            if (p.bytes.size() >= 9) {
                size_t command = p.bytes[5] | (p.bytes[6] << 8) | (p.bytes[7] << 16) | (size_t(p.bytes[8]) << 24);
                if (5 + command + 12 <= p.bytes.size()) data.assign(p.bytes.begin() + 5 + command + 12, p.bytes.end());
            }
            out.push_back(data);
        }
        return out;
    }

    std::shared_ptr<devicesim::FujiCamera> fuji;
    std::mutex eventMutex;
    std::condition_variable eventCv;
    std::vector<CameraEvent> events;
};
