#pragma once
// Test fixture (header only, for *_test.cpp files): the stand-in device with a simulated Sony camera whose pictures
// go onto the device's SD card, the engine's link and transport installed, the Sony module registered, the event
// poll going to the device, and a pump that collects every camera event. The session is opened by the test.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

#include "devicesim/sony_camera.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/ptp/camera_events.h"
#include "engine/vendors/event_polling_test_support.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/session_open.h"
#include "engine/vendors/sony/sony_module.h"
#include "engine/vendors/vendor_test_doubles.h"

class SonyDeviceTest : public DevicesimLinkTest {
protected:
    virtual devicesim::SonyCameraOptions cameraOptions() { return {}; }

    std::shared_ptr<devicesim::GenericCamera> makeCamera() override {
        devicesim::SonyCameraOptions o = cameraOptions();
        o.card = commands.cardPointer();
        sony = std::make_shared<devicesim::SonyCamera>(o);
        return sony;
    }

    void SetUp() override {
        DevicesimLinkTest::SetUp();
        test_vendor::resetCoreState();
        sonyResetModule();
        sonyRegisterModule();
        ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, [this] {
            std::vector<CameraEvent> batch;
            for (CameraEvent e; camPopEvent(&e)->code != 0;) batch.push_back(e);
            std::lock_guard<std::mutex> lock(eventMutex);
            events.insert(events.end(), batch.begin(), batch.end());
        });
        ptpSetEventPollFunction(linkPollEvents);
    }

    void TearDown() override {
        sonyResetModule();
        sonyUnregisterModule();
        test_vendor::resetCoreState();
        DevicesimLinkTest::TearDown();
    }

    ResponseCode openSonySession() {
        openSession();
        return camStartSession(0);
    }

    std::vector<CameraEvent> takeEvents() {
        std::lock_guard<std::mutex> lock(eventMutex);
        std::vector<CameraEvent> out;
        out.swap(events);
        return out;
    }

    // Polls until an event with that code has arrived (or the time is up): the events collected.
    std::vector<CameraEvent> pollUntil(uint32_t code, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return pollEventsUntil(code, limit, [this] { return takeEvents(); });
    }

    // The 0x9207 writes the camera received, as (code, value).
    std::vector<std::pair<uint16_t, int32_t>> writes() const {
        std::vector<std::pair<uint16_t, int32_t>> out;
        for (const auto& w : sony->controlWrites()) out.emplace_back(w.code, w.value);
        return out;
    }

    static uint32_t storeValue(uint32_t code) {
        PropertyStruct* r = propFind(code, true);
        uint32_t v = r ? r->value : 0xDEADBEEF;
        propUnlock(r);
        return v;
    }

    std::shared_ptr<devicesim::SonyCamera> sony;
    std::mutex eventMutex;
    std::vector<CameraEvent> events;
};
