#pragma once
// Test fixtures (header only, for *_test.cpp files). NikonStoreTest: the engine as a Nikon session leaves it,
// without a device (vendor Nikon, module registered, table in force, a model identified). NikonDeviceTest: the
// stand-in device with a simulated Nikon body, the link and transport installed, the module registered, the event
// poll going to the device and a pump that collects every camera event.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "devicesim/nikon_camera.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/ptp/camera_events.h"
#include "engine/vendors/event_polling_test_support.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_models.h"
#include "engine/vendors/nikon/nikon_module.h"
#include "engine/vendors/nikon/nikon_property_table.h"
#include "engine/vendors/vendor_test_doubles.h"

// The current value of a property in the store (0xDEADBEEF when it has none).
inline uint32_t nikonStoreValue(uint32_t code) {
    PropertyStruct* r = propFind(code, true);
    uint32_t v = r ? r->value : 0xDEADBEEF;
    propUnlock(r);
    return v;
}

class NikonStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        test_vendor::resetCoreState();
        nikonResetModule();
        nikonRegisterModule();
        camSetVendor(VENDOR_NIKON);
        propSetNameTable(nikonPropertyNames(), kNikonPropertySentinel);
        nikonIdentifyModelText("D850");
    }
    void TearDown() override {
        nikonUnregisterModule();
        nikonResetModule();
        test_vendor::resetCoreState();
    }
};

class NikonDeviceTest : public DevicesimLinkTest {
protected:
    virtual devicesim::NikonCameraOptions cameraOptions() { return {}; }

    std::shared_ptr<devicesim::GenericCamera> makeCamera() override {
        nikon = std::make_shared<devicesim::NikonCamera>(cameraOptions());
        return nikon;
    }

    void SetUp() override {
        DevicesimLinkTest::SetUp();
        test_vendor::resetCoreState();
        nikonResetModule();
        nikonRegisterModule();
        // The command set was installed after the camera: route the snapshot to the camera again.
        std::weak_ptr<devicesim::NikonCamera> weak = nikon;
        commands.setSnapshotProvider([weak](const std::vector<uint32_t>& codes) {
            auto camera = weak.lock();
            return camera ? camera->snapshot(codes) : std::vector<uint8_t>{};
        });
        ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, [this] {
            std::vector<CameraEvent> batch;
            for (CameraEvent e; camPopEvent(&e)->code != 0;) batch.push_back(e);
            std::lock_guard<std::mutex> lock(eventMutex);
            events.insert(events.end(), batch.begin(), batch.end());
        });
        ptpSetEventPollFunction(linkPollEvents);
    }

    void TearDown() override {
        nikonUnregisterModule();
        nikonResetModule();
        test_vendor::resetCoreState();
        DevicesimLinkTest::TearDown();
    }

    // OpenSession, the engine's session open with host mode, then the property snapshot.
    ResponseCode openNikonSession() {
        openSession();
        ResponseCode rc = camStartSession(1);
        if (rc != PTP_RC_OK) return rc;
        return vendorNikon()->loadPropertySnapshot();
    }

    // The events collected so far, and the queue's own (forgets them).
    std::vector<CameraEvent> takeEvents() {
        std::vector<CameraEvent> out;
        for (CameraEvent e; camPopEvent(&e)->code != 0;) out.push_back(e);
        std::lock_guard<std::mutex> lock(eventMutex);
        out.insert(out.begin(), events.begin(), events.end());
        events.clear();
        return out;
    }

    // Polls the camera until an event with that code has arrived (or the time is up): the events collected.
    std::vector<CameraEvent> pollUntil(uint32_t code, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        return pollEventsUntil(code, limit, [this] { return takeEvents(); });
    }

    std::vector<std::vector<uint32_t>> sent(uint16_t op) const {
        std::vector<std::vector<uint32_t>> out;
        for (const auto& p : ptpPackets(op)) out.push_back(p.ptpParams);
        return out;
    }

    std::shared_ptr<devicesim::NikonCamera> nikon;
    std::mutex eventMutex;
    std::vector<CameraEvent> events;
};
