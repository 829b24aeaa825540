#pragma once
// Test fixture (header only, for *_test.cpp files): the stand-in device with a simulated Canon camera, the engine's
// link and transport installed, the Canon module registered, the event poll going to the device, and a pump that
// collects every camera event the engine tells it of. The session itself is opened by the test (openCanonSession).
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "devicesim/canon_camera.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/ptp/camera_events.h"
#include "engine/vendors/event_polling_test_support.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/session_open.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/canon/canon_store_fixture.h"
#include "engine/vendors/vendor_test_doubles.h"

class CanonDeviceTest : public DevicesimLinkTest {
protected:
    virtual devicesim::CanonCameraOptions cameraOptions() { return {}; }

    std::shared_ptr<devicesim::GenericCamera> makeCamera() override {
        canon = std::make_shared<devicesim::CanonCamera>(cameraOptions());
        return canon;
    }

    void SetUp() override {
        DevicesimLinkTest::SetUp();
        test_vendor::resetCoreState();
        canonResetModule();
        canonRegisterModule();
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
        canonUnregisterModule();
        canonResetModule();
        test_vendor::resetCoreState();
        DevicesimLinkTest::TearDown();
    }

    // OpenSession, then the engine's session open.
    ResponseCode openCanonSession() {
        openSession();
        return camStartSession(0);
    }

    // The events collected so far (and forgets them).
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

    // The parameters of each PTP operation `op` the device received, in order.
    std::vector<std::vector<uint32_t>> sent(uint16_t op) const {
        std::vector<std::vector<uint32_t>> out;
        for (const auto& p : ptpPackets(op)) out.push_back(p.ptpParams);
        return out;
    }

    static uint32_t storeValue(uint32_t code) { return canonStoreValue(code); }

    std::shared_ptr<devicesim::CanonCamera> canon;
    std::mutex eventMutex;
    std::condition_variable eventCv;
    std::vector<CameraEvent> events;
};
