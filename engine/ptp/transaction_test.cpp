#include "engine/ptp/transaction.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "engine/link/devicesim_link_fixture.h"

namespace {

constexpr uint16_t kEchoOperation = 0x9801;  // a vendor operation of the test camera: data out, data back

// The generic camera plus one vendor operation that returns the host's data reversed (none when the first parameter
// is 0) and its first parameter + 1.
class EchoCamera : public devicesim::GenericCamera {
protected:
    std::optional<devicesim::PtpResult> handleVendorOperation(const devicesim::PtpOperation& op) override {
        if (op.code != kEchoOperation) return std::nullopt;
        devicesim::PtpResult r;
        std::vector<uint8_t> data = op.dataOut.value_or(std::vector<uint8_t>{});
        std::reverse(data.begin(), data.end());
        if (!data.empty() && !op.params.empty() && op.params[0] != 0) r.dataIn = data;
        r.params = {op.params.empty() ? 0u : op.params[0] + 1};
        return r;
    }
};

class TransactionTest : public DevicesimLinkTest {
protected:
    std::shared_ptr<devicesim::GenericCamera> makeCamera() override {
        auto c = std::make_shared<EchoCamera>();
        auto ops = devicesim::GenericCameraConfig::defaultOperations();
        ops.push_back(kEchoOperation);
        c->setOperations(ops);
        return c;
    }
};

TEST_F(TransactionTest, DataInDataOutAndNone) {
    // Data in: GetDeviceInfo, before any DeviceInfo is known.
    DeviceInfoRecord info;
    ASSERT_EQ(ptpGetDeviceInfo(&info), PTP_RC_OK);
    EXPECT_STREQ(info.manufacturer, "Generic");
    EXPECT_TRUE(ptpSessionDeviceInfoRead());
    EXPECT_STREQ(ptpSessionDeviceInfo().model, "PTP Camera");
    // None: OpenSession.
    ASSERT_EQ(ptpTransaction(PTP_OC_OpenSession, {1}), PTP_RC_OK);
    EXPECT_TRUE(camera->sessionOpen());
    // Data out and back, with the response's first parameter.
    const uint8_t out[] = {1, 2, 3, 4, 5};
    const uint32_t param = 41;
    HeapBlock in;
    uint32_t response = 0;
    PtpRequest request;
    request.params = &param;
    request.paramCount = 1;
    request.dataOut = out;
    request.dataOutLength = sizeof out;
    request.dataIn = &in;
    request.responseParam = &response;
    ASSERT_EQ(ptpTransaction(kEchoOperation, request), PTP_RC_OK);
    EXPECT_EQ(in.toVector(), (std::vector<uint8_t>{5, 4, 3, 2, 1}));
    EXPECT_EQ(response, 42u);
    auto sent = ptpPackets(kEchoOperation);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes.size(), 5u + 16 + 12 + sizeof out);  // one packet: command and data containers
    // Data out only.
    const uint32_t zero = 0;
    request.params = &zero;
    request.dataIn = nullptr;
    ASSERT_EQ(ptpTransaction(kEchoOperation, request), PTP_RC_OK);
    EXPECT_EQ(response, 1u);
    // Data asked for where the camera sends none: success, no block.
    request.dataIn = &in;
    ASSERT_EQ(ptpTransaction(kEchoOperation, request), PTP_RC_OK);
    EXPECT_TRUE(in.empty());
}

TEST_F(TransactionTest, GateRefusesUnlistedOperationsWithoutTouchingTheWire) {
    openSession();
    device.clearLog();
    EXPECT_EQ(ptpTransaction(0x9999, {}), PTP_ERROR_UNSUPPORTED_COMMAND);
    HeapBlock data;
    EXPECT_EQ(ptpTransaction(0x1016, {0x5001}, &data), PTP_ERROR_UNSUPPORTED_COMMAND);
    EXPECT_EQ(device.logSize(), 0u);
    EXPECT_FALSE(ptpOperationSupported(0x9999));
    EXPECT_TRUE(ptpOperationSupported(kEchoOperation));

    // GetObject is sent even when the camera does not list it (the camera then refuses it itself).
    auto ops = devicesim::GenericCameraConfig::defaultOperations();
    ops.erase(std::find(ops.begin(), ops.end(), uint16_t{PTP_OC_GetObject}));
    camera->setOperations(ops);
    DeviceInfoRecord info;
    ASSERT_EQ(ptpGetDeviceInfo(&info), PTP_RC_OK);
    EXPECT_FALSE(info.operationsSupported.contains(PTP_OC_GetObject));
    EXPECT_TRUE(ptpOperationSupported(PTP_OC_GetObject));
    EXPECT_EQ(ptpGetObject(0x1234, &data), 0x2005);
    EXPECT_EQ(ptpPackets(PTP_OC_GetObject).size(), 1u);
}

TEST_F(TransactionTest, BusyIsRetriedOnceAndTheBlockIsEmptied) {
    openSession();
    uint32_t handle = camera->addJpegObject(200 * 1024);
    struct Case {
        int busy;
        uint16_t code;
        ResponseCode want;
        size_t attempts;
    } cases[] = {
        {1, 0x2019, PTP_RC_OK, 2},
        {1, 0xA102, PTP_RC_OK, 2},
        {2, 0x2019, 0x2019, 2},
        {2, 0xA102, 0xA102, 2},
    };
    for (const Case& c : cases) {
        device.clearLog();
        camera->answerBusy(c.busy, c.code);
        HeapBlock data;
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(ptpGetObject(handle, &data), c.want);
        EXPECT_GE(std::chrono::steady_clock::now() - start, engineWait(engine_timing::kBusyRetryDelay));
        EXPECT_EQ(ptpPackets(PTP_OC_GetObject).size(), c.attempts);
        if (c.want == PTP_RC_OK)
            EXPECT_EQ(data.size(), camera->object(handle)->bytes->size());
        else
            EXPECT_FALSE(data);
        camera->answerBusy(0);
    }
}

// A link hook that holds every transaction inside until released, to observe the transaction mutex.
std::atomic<int> gHookEntered{0};
std::atomic<bool> gHookRelease{false};
int blockingHook(int flag) {
    if (flag) {
        gHookEntered.fetch_add(1);
        while (!gHookRelease.load()) std::this_thread::yield();
    }
    return linkLockHook(flag);
}
int refusingHook(int) { return 0; }

TEST_F(TransactionTest, MutexTryLockAndHookRefusal) {
    openSession();
    gHookEntered = 0;
    gHookRelease = false;
    ptpSetLinkHook(blockingHook);
    std::thread holder([] { EXPECT_EQ(ptpTransaction(PTP_OC_GetNumObjects, {0xFFFFFFFF}), PTP_RC_OK); });
    while (gHookEntered.load() == 0) std::this_thread::yield();
    PtpRequest tryOnly;
    tryOnly.blocking = false;
    EXPECT_EQ(ptpTransaction(PTP_OC_GetNumObjects, tryOnly), ERROR_BUSY);
    gHookRelease = true;
    holder.join();

    ptpSetLinkHook(refusingHook);
    device.clearLog();
    EXPECT_EQ(ptpTransaction(PTP_OC_GetNumObjects, {0xFFFFFFFF}), ERROR_BUSY);
    EXPECT_EQ(device.logSize(), 0u);
    ptpSetLinkHook(linkLockHook);
    EXPECT_EQ(ptpTransaction(PTP_OC_GetNumObjects, {0xFFFFFFFF}), PTP_RC_OK);  // nothing was left locked
}

TEST_F(TransactionTest, WrapperGoesWithItsTransactionOnly) {
    openSession();
    uint32_t handle = camera->addJpegObject(100 * 1024);
    PtpObjectInfoStruct record{};
    record.objectId = handle;
    PtpDataWrapper wrapper{0xA1, 0xB0, &record, sizeof record};
    // A live-view style entry for another key stays untouched; one for the same key is put back afterwards.
    DataWrapperHeader standing;
    standing.length = 10;
    standing.subCodeA = 0xA1;
    ASSERT_EQ(linkSetPendingObject(PTP_OC_GetThumb, nullptr, standing), 1);
    HeapBlock data;
    ASSERT_EQ(ptpGetObject(handle, &data, &wrapper), PTP_RC_OK);
    ASSERT_EQ(ptpGetObject(handle, &data), PTP_RC_OK);
    auto sent = ptpPackets(PTP_OC_GetObject);
    ASSERT_EQ(sent.size(), 2u);
    ASSERT_TRUE(sent[0].wrapper);
    EXPECT_EQ(sent[0].wrapper->subCodeA, 0xA1);
    EXPECT_EQ(sent[0].wrapper->subCodeB, 0xB0);
    EXPECT_EQ(sent[0].wrapper->data.size(), 608u);
    EXPECT_FALSE(sent[1].wrapper);
    EXPECT_FALSE(linkGetPendingObject(PTP_OC_GetObject));
    EXPECT_TRUE(linkGetPendingObject(PTP_OC_GetThumb));

    // Two threads: one shares its downloads, the other's plain GetObjects never go out wrapped.
    uint32_t other = camera->addJpegObject(90 * 1024);
    device.clearLog();
    std::thread sharer([&] {
        for (int i = 0; i < 20; ++i) {
            HeapBlock d;
            EXPECT_EQ(ptpGetObject(handle, &d, &wrapper), PTP_RC_OK);
        }
    });
    for (int i = 0; i < 20; ++i) {
        HeapBlock d;
        EXPECT_EQ(ptpGetObject(other, &d), PTP_RC_OK);
    }
    sharer.join();
    for (auto& p : ptpPackets(PTP_OC_GetObject)) {
        ASSERT_EQ(p.ptpParams.size(), 1u);
        EXPECT_EQ(bool(p.wrapper), p.ptpParams[0] == handle);
    }
}

// A transaction times out; the camera-attached query resynchronises the link before its answer arrives; the late
// answer then reaches the next transaction, which drops it and reads its own.
TEST_F(TransactionTest, ALateAnswerAfterTheResyncIsNotTakenForTheNextTransaction) {
    useProductReadTimeout();
    openSession();
    const uint32_t handle = camera->addJpegObject(50 * 1024);
    device.scriptFault(devicesim::Fault::noReply());
    uint32_t count = 0;
    EXPECT_EQ(ptpTransaction(PTP_OC_GetNumObjects, {0xFFFFFFFF}, nullptr, &count), ERROR_CONNECTION_FAILURE);
    const uint32_t timedOut = ptpNextTransactionId() - 1;
    uint8_t attached = 0;
    ASSERT_EQ(linkCommand10(&attached), PTP_RC_OK);  // drained: the link was quiet
    EXPECT_EQ(attached, 1);
    // The camera's answer to the transaction that timed out comes in only now.
    ASSERT_TRUE(device.sendPacket(devicesim::Device::packet(
        devicesim::kPtpData, devicesim::Device::ptpContainer(3, 0x2001, timedOut, {0xBAD}))));
    ASSERT_TRUE(waitForBytesFromDevice());

    HeapBlock data;
    ASSERT_EQ(ptpGetObject(handle, &data), PTP_RC_OK);
    EXPECT_EQ(data.toVector(), *camera->object(handle)->bytes);
    // The link stays in step: the next transaction gets its own answer too.
    ASSERT_EQ(ptpTransaction(PTP_OC_GetNumObjects, {0xFFFFFFFF}, nullptr, &count), PTP_RC_OK);
    EXPECT_EQ(count, 1u);
}

TEST_F(TransactionTest, ObjectOperations) {
    openSession();
    uint32_t a = camera->addJpegObject(300 * 1024, 6);
    devicesim::SimObject fuji;
    fuji.name = "DSCF0001.JPG";
    fuji.associationType = 0x0601;
    fuji.bytes = std::make_shared<std::vector<uint8_t>>(1000, 0xAB);
    uint32_t b = camera->addObject(fuji);

    std::vector<uint32_t> handles;
    ASSERT_EQ(camLoadObjectHandles(&handles), PTP_RC_OK);
    EXPECT_EQ(handles, (std::vector<uint32_t>{a, b}));
    PtpObjectInfoStruct info{};
    ASSERT_EQ(camGetObjectInfo(a, &info), PTP_RC_OK);
    EXPECT_EQ(info.objectId, a);
    EXPECT_EQ(info.objectCompressedSize, camera->object(a)->bytes->size());
    EXPECT_EQ(info.thumbCompressedSize, camera->object(a)->thumbnail.size());
    EXPECT_EQ(info.orientation, 0);
    EXPECT_STREQ(info.fileName, camera->object(a)->name.c_str());
    EXPECT_EQ(info.captureDate, ptpParseDateTime("20240517T101112"));
    EXPECT_EQ(camGetObjectInfo(a, nullptr), ERROR_INVALID_INPUT);
    EXPECT_EQ(camGetObjectInfo(0x7777, &info), 0x2009);

    HeapBlock thumb;
    ASSERT_EQ(ptpGetThumb(a, &thumb), PTP_RC_OK);
    EXPECT_EQ(thumb.toVector(), camera->object(a)->thumbnail);
    std::vector<uint32_t> storages;
    ASSERT_EQ(ptpGetStorageIds(&storages), PTP_RC_OK);
    EXPECT_EQ(storages, (std::vector<uint32_t>{0x00010001}));

    // Fujifilm: orientation from the association type, delete with the handle alone.
    camSetVendor(VENDOR_FUJI);
    ASSERT_EQ(camGetObjectInfo(b, &info), PTP_RC_OK);
    EXPECT_EQ(info.orientation, 8);
    ASSERT_EQ(camGetNewObjectHandles(&handles), PTP_RC_OK);
    EXPECT_EQ(handles.size(), 2u);
    ASSERT_EQ(camDeleteObject(b, 0x00010001), PTP_RC_OK);
    EXPECT_EQ(ptpPackets(PTP_OC_DeleteObject).back().ptpParams, (std::vector<uint32_t>{b}));
    EXPECT_FALSE(camera->object(b));

    // Nikon: handle and storage; the removal reaches the event queue's hook.
    camSetVendor(VENDOR_NIKON);
    std::vector<uint32_t> removed;
    PtpVendorHooks hooks;
    hooks.objectRemoved = [&](uint32_t h) { removed.push_back(h); };
    ptpSetVendorHooks(hooks);
    EXPECT_EQ(camGetNewObjectHandles(&handles), ERROR_CAMERA_NOT_SUPPORTED);
    ASSERT_EQ(camDeleteObject(a, 0x00010001), PTP_RC_OK);
    EXPECT_EQ(ptpPackets(PTP_OC_DeleteObject).back().ptpParams, (std::vector<uint32_t>{a, 0x00010001}));
    EXPECT_EQ(removed, (std::vector<uint32_t>{a}));
    EXPECT_EQ(camDeleteObject(a, 0x00010001), 0x2009);
    EXPECT_EQ(removed.size(), 1u);

    // Sony: no handles and no transaction; no thumbnails, no delete.
    camSetVendor(VENDOR_SONY);
    device.clearLog();
    ASSERT_EQ(camGetObjectHandles(0xFFFFFFFF, 0, 0, &handles), PTP_RC_OK);
    EXPECT_TRUE(handles.empty());
    EXPECT_EQ(ptpGetThumb(a, &thumb), ERROR_CAMERA_NOT_SUPPORTED);
    EXPECT_EQ(camDeleteObject(a, 0), ERROR_CAMERA_NOT_SUPPORTED);
    EXPECT_EQ(device.logSize(), 0u);
}

TEST_F(TransactionTest, CanonFormsOfObjectInfoAndStorageIds) {
    auto ops = devicesim::GenericCameraConfig::defaultOperations();
    ops.push_back(PTP_OC_CANON_GetObjectInfoEx);
    ops.push_back(PTP_OC_CANON_RemoteModeListed);
    camera->setOperations(ops);
    openSession();
    camSetVendor(VENDOR_CANON);
    uint32_t a = camera->addJpegObject(150 * 1024);
    PtpObjectInfoStruct info{};
    ASSERT_EQ(camGetObjectInfo(a, &info), PTP_RC_OK);
    EXPECT_EQ(ptpPackets(PTP_OC_CANON_GetObjectInfoEx).size(), 1u);
    EXPECT_EQ(info.objectCompressedSize, camera->object(a)->bytes->size());
    EXPECT_EQ(info.thumbPixWidth, uint32_t(camera->object(a)->thumbWidth));
    EXPECT_STREQ(info.fileName, camera->object(a)->name.c_str());
    // Without the Canon object-tree module, the handles come from GetObjectHandles.
    std::vector<uint32_t> handles;
    ASSERT_EQ(camLoadObjectHandles(&handles), PTP_RC_OK);
    EXPECT_EQ(handles, std::vector<uint32_t>{a});
}

TEST_F(TransactionTest, ModelNameSerialNumberAndSessionCheck) {
    ASSERT_EQ(ptpTransaction(PTP_OC_OpenSession, {1}), PTP_RC_OK);
    EXPECT_FALSE(ptpSessionDeviceInfoRead());
    auto model = camModelName();  // reads the DeviceInfo first
    ASSERT_TRUE(model);
    EXPECT_EQ(*model, "PTP Camera");
    EXPECT_EQ(ptpPackets(PTP_OC_GetDeviceInfo).size(), 1u);
    EXPECT_EQ(camSerialNumber(), "000000000001");
    camSetModelName(std::string(400, 'M'));
    EXPECT_EQ(camModelName()->size(), 319u);
    EXPECT_EQ(ptpPackets(PTP_OC_GetDeviceInfo).size(), 1u);

    device.clearLog();
    ASSERT_EQ(camCheckSession(), PTP_RC_OK);
    auto checks = ptpPackets(PTP_OC_GetNumObjects);
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0].ptpParams, std::vector<uint32_t>{0xFFFFFFFF});
    camSetVendor(VENDOR_NIKON);
    ASSERT_EQ(camCheckSession(), PTP_RC_OK);
    EXPECT_EQ(ptpPackets(PTP_OC_GetDeviceInfo).size(), 1u);
    EXPECT_EQ(*camModelName(), "PTP Camera");  // refreshed
    camSetVendor(VENDOR_FUJI);
    device.clearLog();
    EXPECT_EQ(camCheckSession(), PTP_RC_OK);
    EXPECT_EQ(device.logSize(), 0u);

    // A DeviceInfo that does not parse is an error code, not 0, and the session's record stays as it was.
    ASSERT_EQ(ptpGetDeviceInfo(nullptr), ERROR_INVALID_INPUT);
    const uint32_t tid = ptpNextTransactionId();
    std::vector<uint8_t> answer = devicesim::Device::packet(
        0x0A, devicesim::Device::ptpDataContainer(PTP_OC_GetDeviceInfo, tid, {100, 0, 6}));
    std::vector<uint8_t> response =
        devicesim::Device::packet(0x0A, devicesim::Device::ptpContainer(3, 0x2001, tid, {}));
    answer.insert(answer.end(), response.begin(), response.end());
    device.scriptFault(devicesim::Fault::overrideReply(answer));
    DeviceInfoRecord broken;
    std::strcpy(broken.model, "left over");
    EXPECT_EQ(ptpGetDeviceInfo(&broken), ERROR_PARSE);
    EXPECT_STREQ(broken.model, "");
    EXPECT_EQ(camSerialNumber(), "000000000001");
}

TEST_F(TransactionTest, ModelNameFailsWithoutCamera) {
    device.setCamera(nullptr);
    EXPECT_FALSE(camModelName());
}

}  // namespace
