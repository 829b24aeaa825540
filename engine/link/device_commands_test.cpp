#include "engine/link/device_commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <future>
#include <thread>

#include "engine/link/devicesim_link_fixture.h"
#include "engine/link/link_system_calls.h"

namespace {

using devicesim::Device;
using devicesim::Fault;
using namespace std::chrono_literals;

class DeviceCommandsTest : public DevicesimLinkTest {
protected:
    // A reply packet with this code and payload, for the device to send in place of its own answer.
    static Fault reply(uint16_t code, std::vector<uint8_t> payload) {
        return Fault::overrideReply(Device::responsePacket(code, payload));
    }
    std::vector<uint8_t> fileBytes(const std::string& name) { return *commands.card().file(name)->bytes; }
};

TEST_F(DeviceCommandsTest, DeviceStateCommands) {
    uint8_t byte = 0;
    ASSERT_EQ(linkCommand10(&byte), PTP_RC_OK);
    EXPECT_EQ(byte, 1);
    ASSERT_EQ(linkGetFirmwareVersion(&byte), PTP_RC_OK);
    EXPECT_EQ(byte, 42);
    EXPECT_FLOAT_EQ(linkGetHardwareVersion(), 2.5f);
    commands.setHardwareVersion(std::nullopt);  // a device that answers 0xFF15
    EXPECT_FLOAT_EQ(linkGetHardwareVersion(), 2.0f);
    device.scriptFault(reply(0x2001, {1, 2}));
    EXPECT_FLOAT_EQ(linkGetHardwareVersion(), 0.0f);

    commands.setFujiCallbackValue(0x2019);
    EXPECT_EQ(linkFujiCallback(), 0x2019);
    EXPECT_EQ(linkSendConnectionInfo(), std::optional<std::string>("PTP Camera"));
    uint32_t h = camera->addJpegObject(100 * 1024, 6);
    ASSERT_EQ(linkNewObjectNotice(h, &byte), PTP_RC_OK);
    EXPECT_EQ(byte, 6);
    EXPECT_EQ(commands.newObjectNotices(), std::vector<uint32_t>{h});
    EXPECT_EQ(linkCancelSequence(), PTP_RC_OK);
    EXPECT_EQ(commands.cancelCount(), 1);

    ASSERT_EQ(linkSetClock(), PTP_RC_OK);
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    ASSERT_TRUE(commands.clock());
    EXPECT_NEAR(double(*commands.clock()), double(now + local.tm_gmtoff), 2.0);

    // Fixed-size answers of another size are refused; missing outputs are refused before sending.
    device.scriptFault(reply(0x2001, {1, 2}));
    EXPECT_EQ(linkGetFirmwareVersion(&byte), ERROR_BAD_PACKET);
    device.scriptFault(reply(0x2001, {}));
    EXPECT_EQ(linkNewObjectNotice(h, &byte), ERROR_BAD_PACKET);
    EXPECT_EQ(linkGetFirmwareVersion(nullptr), ERROR_INVALID_INPUT);
    device.scriptFault(reply(0x2002, {}));
    EXPECT_EQ(linkGetAutoShare(&byte), 0x2002);

    device.setCamera(nullptr);
    ASSERT_EQ(linkCommand10(&byte), PTP_RC_OK);
    EXPECT_EQ(byte, 0);
    EXPECT_FALSE(linkSendConnectionInfo());
}

TEST_F(DeviceCommandsTest, BatteryStatus) {
    commands.setBatteryStatus(devicesim::DeviceCommandSet::batteryReply(7812, 64, -420, 95, 3012));
    DeviceBatteryStatus status;
    ASSERT_EQ(linkGetStatus(&status), PTP_RC_OK);
    EXPECT_EQ(status.voltage, 7812);
    EXPECT_EQ(status.remainingPercentage, 64);
    EXPECT_EQ(status.current, -420);
    EXPECT_EQ(status.remainingTime, 95);
    EXPECT_EQ(status.temperature, 3012);
    EXPECT_EQ(status.nominalCapacity, 2000);
    EXPECT_EQ(status.remainingCapacity, 1280);
    EXPECT_EQ(status.totalCapacity, 1950);

    // 40 bytes: the result 0 and the caller's record untouched.
    commands.setBatteryStatus(std::vector<uint8_t>(40, 0xEE));
    DeviceBatteryStatus untouched;
    untouched.voltage = 1234;
    EXPECT_EQ(linkGetStatus(&untouched), 0);
    EXPECT_EQ(untouched.voltage, 1234);
}

TEST_F(DeviceCommandsTest, SettingsReachTheDevice) {
    ASSERT_EQ(linkSendSharingFlag(1), PTP_RC_OK);
    EXPECT_EQ(commands.sharingFlag(), 1);
    ASSERT_EQ(linkSendClientRecordB("(c) Studio", 2, 3), PTP_RC_OK);
    auto w = commands.watermark();
    EXPECT_TRUE(w.show);
    EXPECT_EQ(w.text, "(c) Studio");
    EXPECT_EQ(w.size, 2);
    EXPECT_EQ(w.location, 3);
    ASSERT_EQ(linkSendClientRecordB(std::string(300, 'w'), 1, 1), PTP_RC_OK);
    EXPECT_EQ(commands.watermark().text, std::string(128, 'w'));  // cut to the record's 128 bytes
    ASSERT_EQ(linkSendClientRecordA("(c) Studio", 2, 3), PTP_RC_OK);
    EXPECT_FALSE(commands.watermark().show);

    ASSERT_EQ(linkSetSdTransfer(1, std::string(80, 'p'), ""), PTP_RC_OK);
    EXPECT_TRUE(commands.sdTransfer().autoCopy);
    EXPECT_EQ(commands.sdTransfer().prefix, std::string(63, 'p'));
    EXPECT_EQ(commands.sdTransfer().second, "");

    commands.setAutoShare(1);
    uint8_t sharing = 0;
    ASSERT_EQ(linkGetAutoShare(&sharing), PTP_RC_OK);
    EXPECT_EQ(sharing, 1);
    ASSERT_EQ(linkSetAutoShare(), PTP_RC_OK);
    ASSERT_EQ(linkGetAutoShare(&sharing), PTP_RC_OK);
    EXPECT_EQ(sharing, 0);
    ASSERT_EQ(linkSendSaveFujiRaws(1), PTP_RC_OK);
    EXPECT_EQ(commands.saveFujiRaws(), 1);

    // The whole file goes as the payload; a file that cannot be opened is refused before anything is sent.
    std::string path = ::testing::TempDir() + "/firmware.bin";
    std::vector<uint8_t> image(70000);
    for (size_t i = 0; i < image.size(); ++i) image[i] = uint8_t(i * 7);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()), long(image.size()));
    ASSERT_EQ(linkSendFile(path), PTP_RC_OK);
    ASSERT_EQ(commands.filesReceived().size(), 1u);
    EXPECT_EQ(commands.filesReceived()[0], image);
    size_t before = device.logSize();
    EXPECT_EQ(linkSendFile(path + ".missing"), ERROR_INVALID_INPUT);
    EXPECT_EQ(device.logSize(), before);
    std::remove(path.c_str());
}

TEST_F(DeviceCommandsTest, EventPollAndPropertySnapshot) {
    HeapBlock events;
    ASSERT_EQ(linkPollEvents(&events, 1), PTP_RC_OK);
    EXPECT_EQ(commands.lastPollFlag(), 1);
    EXPECT_TRUE(events.empty());

    commands.setSnapshotProvider([](const std::vector<uint32_t>& codes) {
        std::vector<uint8_t> out;
        for (uint32_t c : codes) {
            uint32_t n = c & 3;
            for (int i = 0; i < 4; ++i) out.push_back(uint8_t(n >> (8 * i)));
            for (uint32_t i = 0; i < n; ++i) out.push_back(uint8_t(c));
        }
        return out;
    });
    uint32_t codes[kPropertySnapshotCodes];
    for (uint32_t i = 0; i < kPropertySnapshotCodes; ++i) codes[i] = 0x5000 + i;
    HeapBlock reply;
    ASSERT_EQ(linkLoadPropertySnapshot(codes, &reply), PTP_RC_OK);
    std::vector<PropertySnapshotEntry> entries;
    ASSERT_TRUE(linkSplitPropertySnapshot(reply.data(), reply.size(), &entries));
    ASSERT_EQ(entries.size(), kPropertySnapshotCodes);
    EXPECT_EQ(entries[3].length, 3u);
    EXPECT_EQ(entries[3].data[0], 0x03);
    EXPECT_FALSE(linkSplitPropertySnapshot(reply.data(), reply.size() - 1, &entries));
}

TEST_F(DeviceCommandsTest, SdCardStatusListAndFiles) {
    auto& card = commands.card();
    ASSERT_TRUE(card.addJpeg("DSC_0001.JPG", 300 * 1024, 6, 1));
    ASSERT_TRUE(card.addJpeg("DSC_0002.JPG", 400 * 1024, 1, 2));
    uint64_t present = 0, freeBytes = 0;
    ASSERT_EQ(linkGetSdShotsAvailable(&present, &freeBytes), PTP_RC_OK);
    EXPECT_NE(present, 0u);
    EXPECT_EQ(freeBytes, card.freeSpace());
    EXPECT_EQ(linkGetSdShotsAvailable(nullptr, &freeBytes), 0);

    std::vector<std::string> names;
    ASSERT_EQ(linkListSdCardImages(&names), PTP_RC_OK);
    EXPECT_EQ(names, (std::vector<std::string>{"DSC_0001.JPG", "DSC_0002.JPG"}));

    HeapBlock thumb;
    uint8_t orientation = 0;
    ASSERT_EQ(linkGetThumbnail("DSC_0001.JPG", &thumb, &orientation, 0), PTP_RC_OK);
    EXPECT_EQ(orientation, 6);
    EXPECT_EQ(thumb.toVector(), card.file("DSC_0001.JPG")->thumbnail);
    EXPECT_EQ(linkGetThumbnail(std::string(256, 'n'), &thumb, &orientation, 0), ERROR_INVALID_INPUT);
    device.scriptFault(reply(0x2001, {}));
    EXPECT_EQ(linkGetThumbnail("DSC_0001.JPG", &thumb, &orientation, 0), ERROR_BAD_PACKET);
    // With a sub-code the by-name record goes ahead of the command.
    ASSERT_EQ(linkGetThumbnail("DSC_0001.JPG", &thumb, &orientation, kShareRelay), PTP_RC_OK);
    auto wrapped = commandPackets(kCmdGetThumbnail).back();
    ASSERT_TRUE(wrapped.wrapper);
    EXPECT_EQ(wrapped.wrapper->subCodeB, kWrapObjectRecord);
    ASSERT_EQ(wrapped.wrapper->data.size(), 608u);
    PtpObjectInfoStruct sentRecord;
    std::memcpy(&sentRecord, wrapped.wrapper->data.data(), 608);
    EXPECT_EQ(sentRecord.objectId, kObjectIdByName);
    EXPECT_STREQ(sentRecord.fileName, "DSC_0001.JPG");
    EXPECT_EQ(sentRecord.fileNameLength, 12);

    uint64_t size = 0;
    ASSERT_EQ(linkGetFileSize("DSC_0002.JPG", &size), PTP_RC_OK);
    EXPECT_EQ(size, fileBytes("DSC_0002.JPG").size());
    EXPECT_EQ(linkGetFileSize("NOPE.JPG", &size), 0x2009);

    HeapBlock jpeg;
    ASSERT_EQ(linkDownloadFilePart("DSC_0002.JPG", &jpeg, 0), PTP_RC_OK);
    EXPECT_EQ(jpeg.toVector(), fileBytes("DSC_0002.JPG"));

    // Names of 199 characters are taken by 0xFC and 0xF9, 200 are refused before anything is sent.
    const std::string longest(199, 'a');
    ASSERT_TRUE(card.addJpeg(longest, 200 * 1024));
    size_t before = device.logSize();
    EXPECT_EQ(linkDeleteObject(longest + "a"), ERROR_INVALID_INPUT);
    EXPECT_EQ(linkDownloadFilePart(longest + "a", &jpeg, 0), ERROR_INVALID_INPUT);
    EXPECT_EQ(device.logSize(), before);
    ASSERT_EQ(linkDeleteObject(longest), PTP_RC_OK);
    EXPECT_FALSE(card.hasFile(longest));

    // A camera object copied onto the card.
    uint32_t h = camera->addJpegObject(250 * 1024, 3, "CAM_0001.JPG");
    PtpObjectInfoStruct record{};
    openSession();
    ASSERT_EQ(camGetObjectInfo(h, &record), PTP_RC_OK);
    ASSERT_EQ(linkCommandFD(record), PTP_RC_OK);
    EXPECT_EQ(fileBytes("CAM_0001.JPG"), *camera->object(h)->bytes);

    card.setPresent(false);
    EXPECT_EQ(linkListSdCardImages(&names), ERROR_CANCELLED);
    ASSERT_EQ(linkGetSdShotsAvailable(&present, &freeBytes), PTP_RC_OK);
    EXPECT_EQ(present, 0u);
}

TEST_F(DeviceCommandsTest, WholeFileDownloadBySize) {
    auto& card = commands.card();
    struct Case {
        const char* name;
        uint32_t size;
        size_t requests;
    } cases[] = {
        {"A.JPG", 0x1FFFFF, 1},
        {"B.JPG", 0x200000, 1},
        {"C.JPG", 0x200001, 2},
        {"D.JPG", 5 * 1024 * 1024 + 17, 3},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(card.addJpeg(c.name, c.size));
        device.clearLog();
        HeapBlock data;
        uint64_t length = 0;
        ASSERT_EQ(linkDownloadFile(c.name, &data, &length, 0), PTP_RC_OK) << c.name;
        EXPECT_EQ(length, c.size);
        EXPECT_TRUE(data.toVector() == fileBytes(c.name)) << c.name;
        EXPECT_EQ(commandPackets(kCmdReadFilePart).size(), c.requests) << c.name;
        EXPECT_EQ(commandPackets(kCmdGetFileSize).size(), 1u);
    }

    // Shared with the device's clients only: no data and length 0; the wrappers carry by-name records.
    HeapBlock data;
    uint64_t length = 1;
    device.clearLog();
    ASSERT_EQ(linkDownloadFile("D.JPG", &data, &length, kShareOnly), PTP_RC_OK);
    EXPECT_EQ(length, 0u);
    EXPECT_FALSE(data);
    auto ranges = commandPackets(kCmdReadFilePart);
    ASSERT_EQ(ranges.size(), 3u);
    PtpObjectInfoStruct second;
    ASSERT_TRUE(ranges[1].wrapper);
    EXPECT_EQ(ranges[1].wrapper->subCodeA, kShareOnly);
    EXPECT_EQ(ranges[1].wrapper->subCodeB, kWrapRangeRecord);
    std::memcpy(&second, ranges[1].wrapper->data.data(), sizeof second);
    EXPECT_EQ(second.sequenceNumber, 0x200000u);
    EXPECT_EQ(second.objectCompressedSize, 5u * 1024 * 1024 + 17);
    EXPECT_EQ(second.fileNameLength, 6);

    // A small file with a record given: the record goes as it is.
    PtpObjectInfoStruct given = ptpObjectInfoForName("A.JPG", 6);
    given.objectCompressedSize = 0x1FFFFF;
    given.sequenceNumber = 77;
    device.clearLog();
    ASSERT_EQ(linkDownloadFile("A.JPG", &data, &length, kShareRelay, &given), PTP_RC_OK);
    EXPECT_EQ(length, 0x1FFFFFu);
    PtpObjectInfoStruct sent;
    std::memcpy(&sent, commandPackets(kCmdReadFilePart)[0].wrapper->data.data(), sizeof sent);
    EXPECT_EQ(sent.sequenceNumber, 77u);

    // A size the 32-bit fields cannot carry is refused before any range is asked for.
    card.setReportedSize("A.JPG", 5ull << 30);
    device.clearLog();
    EXPECT_EQ(linkDownloadFile("A.JPG", &data, &length, 0), ERROR_TOO_LARGE);
    EXPECT_TRUE(commandPackets(kCmdReadFilePart).empty());
    // A reply longer than the range, or an empty one, ends the download with an error.
    device.scriptFault(reply(0x2001, std::vector<uint8_t>(8, 0)));  // the size: 8 bytes = 0
    EXPECT_EQ(linkDownloadFile("B.JPG", &data, &length, 0), PTP_RC_OK);
    EXPECT_EQ(length, 0u);
    device.scriptFault(reply(0x2001, {0x01, 0, 0x20, 0, 0, 0, 0, 0}));  // size 0x200001
    device.scriptFault(reply(0x2001, std::vector<uint8_t>(0x200001, 1)));
    EXPECT_EQ(linkDownloadFile("C.JPG", &data, &length, 0), ERROR_BAD_PACKET);
    EXPECT_FALSE(data);
    device.scriptFault(reply(0x2001, {0x01, 0, 0x20, 0, 0, 0, 0, 0}));
    device.scriptFault(reply(0x2001, {}));
    EXPECT_EQ(linkDownloadFile("C.JPG", &data, &length, 0), ERROR_BAD_PACKET);
}

TEST_F(DeviceCommandsTest, FormatTakesLongerThanTheReadTimeout) {
    useProductReadTimeout();
    ASSERT_TRUE(commands.card().addJpeg("X.JPG", 200 * 1024));
    // Longer than the normal read time-out, shorter than the format's.
    commands.card().setFormatDuration(engineWait(engine_timing::kReadTimeout) +
                                      engineWait(engine_timing::kReadTimeout) / 2);
    ASSERT_EQ(linkFormatSdCard(), PTP_RC_OK);
    EXPECT_EQ(commands.formatCount(), 1);
    EXPECT_TRUE(commands.card().names().empty());
    EXPECT_EQ(linkReadTimeout(), engine_timing::kReadTimeout);
    uint8_t attached = 0;
    EXPECT_EQ(linkCommand10(&attached), PTP_RC_OK);
}

// The camera-attached query of one thread drains a late answer while another thread starts a format: each exchange
// waits with its own time-out (the drain's short quiet time, the format's long wait), and the link's own time-out
// is the same after both.
struct DrainWatch {
    std::atomic<std::thread::id> query{};
    std::atomic<bool> seen{false};
    std::promise<void> draining;
};
DrainWatch* gDrainWatch = nullptr;

// The query thread's first receive is its drain reading the late answer: the format starts there, and the drain
// goes on once the format has had the time to reach the link (an old build showed it by changing the link's
// time-out; this one never does, so the wait runs out).
ssize_t drainHoldingRecv(int fd, void* b, size_t n, int f) {
    if (gDrainWatch && std::this_thread::get_id() == gDrainWatch->query.load() && !gDrainWatch->seen.exchange(true)) {
        gDrainWatch->draining.set_value();
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        while (linkReadTimeout() == engine_timing::kReadTimeout && std::chrono::steady_clock::now() < until)
            std::this_thread::yield();
    }
    return ::recv(fd, b, n, f);
}

TEST_F(DeviceCommandsTest, FormatAndCameraQueryKeepTheirTimeOutsToThemselves) {
    useProductReadTimeout();
    ASSERT_TRUE(commands.card().addJpeg("X.JPG", 1024));
    commands.card().setFormatDuration(engineWait(engine_timing::kReadTimeout) +
                                      engineWait(engine_timing::kReadTimeout) / 2);
    device.scriptFault(Fault::delayed(engineWait(engine_timing::kReadTimeout) + std::chrono::milliseconds(50)));
    uint8_t version = 0;
    ASSERT_EQ(linkGetFirmwareVersion(&version), ERROR_CONNECTION_FAILURE);
    ASSERT_TRUE(waitForBytesFromDevice());  // the late answer is in

    DrainWatch watch;
    gDrainWatch = &watch;
    LinkSystemCalls calls = linkRealSystemCalls();
    calls.recv = drainHoldingRecv;
    linkSetSystemCalls(&calls);
    auto draining = watch.draining.get_future();
    std::promise<ResponseCode> queried;
    uint8_t attached = 0;
    std::thread query([&] {
        watch.query.store(std::this_thread::get_id());
        queried.set_value(linkCommand10(&attached));
    });
    ASSERT_EQ(draining.wait_for(5s), std::future_status::ready);
    const ResponseCode formatted = linkFormatSdCard();
    query.join();
    linkSetSystemCalls(nullptr);
    gDrainWatch = nullptr;

    EXPECT_EQ(queried.get_future().get(), PTP_RC_OK);
    EXPECT_EQ(attached, 1);
    EXPECT_EQ(formatted, PTP_RC_OK);  // longer than the link's time-out: it waited with its own
    EXPECT_EQ(commands.formatCount(), 1);
    EXPECT_EQ(linkReadTimeout(), engine_timing::kReadTimeout);
    ASSERT_EQ(linkGetFirmwareVersion(&version), PTP_RC_OK);  // the late answer was drained, not taken for this one
    EXPECT_EQ(version, 42);
}

TEST_F(DeviceCommandsTest, CameraAttachedQueryResynchronisesAfterTimeout) {
    useProductReadTimeout();
    // The firmware answer comes after the read time-out: the link breaks, then the late answer (one byte, 42)
    // arrives. The camera-attached query must read its own answer (1), not that one.
    device.scriptFault(Fault::delayed(engineWait(engine_timing::kReadTimeout) + std::chrono::milliseconds(100)));
    uint8_t version = 0;
    EXPECT_EQ(linkGetFirmwareVersion(&version), ERROR_CONNECTION_FAILURE);
    EXPECT_TRUE(linkIsBroken());
    ASSERT_TRUE(waitForBytesFromDevice());  // the late answer is in
    uint8_t attached = 0;
    ASSERT_EQ(linkCommand10(&attached), PTP_RC_OK);
    EXPECT_EQ(attached, 1);
    ASSERT_EQ(linkGetFirmwareVersion(&version), PTP_RC_OK);
    EXPECT_EQ(version, 42);
}

TEST_F(DeviceCommandsTest, AnAnswerLaterThanTheQuietMomentIsNotTakenForTheNextOne) {
    useProductReadTimeout();
    // Two files of one size: a range of one cannot be told from a range of the other by its length.
    ASSERT_TRUE(commands.card().addJpeg("A.JPG", 40 * 1024, 1, 1));
    ASSERT_TRUE(commands.card().addJpeg("B.JPG", 40 * 1024, 1, 2));
    ASSERT_NE(fileBytes("A.JPG"), fileBytes("B.JPG"));
    const auto byName = [](const char* name) {
        return ptpObjectInfoForName(name, static_cast<uint16_t>(std::strlen(name) + 1));
    };
    // A's range comes half a read time-out after the time-out: well after the query's short quiet moment.
    device.scriptFault(Fault::delayed(engineWait(engine_timing::kReadTimeout) * 3 / 2));
    HeapBlock a;
    EXPECT_EQ(linkReadObjectPart(byName("A.JPG"), 0, 40 * 1024, &a, 0), ERROR_CONNECTION_FAILURE);
    uint8_t attached = 0;
    ASSERT_EQ(linkCommand10(&attached), PTP_RC_OK);
    EXPECT_EQ(attached, 1);
    HeapBlock b;
    ASSERT_EQ(linkReadObjectPart(byName("B.JPG"), 0, 40 * 1024, &b, 0), PTP_RC_OK);
    EXPECT_EQ(std::vector<uint8_t>(b.begin(), b.end()), fileBytes("B.JPG"));

    // An answer that never comes: the query gives the socket up rather than read whatever follows on it.
    device.scriptFault(Fault::noReply());
    EXPECT_EQ(linkReadObjectPart(byName("A.JPG"), 0, 40 * 1024, &a, 0), ERROR_CONNECTION_FAILURE);
    EXPECT_EQ(linkCommand10(&attached), ERROR_CONNECTION_FAILURE);
    EXPECT_FALSE(linkIsConnected());
}

TEST_F(DeviceCommandsTest, LiveViewFrameAndSharing) {
    HeapBlock frame;
    EXPECT_EQ(linkGetLiveViewFrame(&frame, 0), 0xA102);
    commands.setLiveViewFrame({0xFF, 0xD8, 0xFF, 0xD9});
    ASSERT_EQ(linkGetLiveViewFrame(&frame, 0), PTP_RC_OK);
    EXPECT_EQ(frame.size(), 4u);
    ASSERT_EQ(linkGetLiveViewFrame(&frame, kShareRelay), PTP_RC_OK);
    auto sent = commandPackets(kCmdLiveViewFrame).back();
    ASSERT_TRUE(sent.wrapper);
    EXPECT_EQ(sent.wrapper->subCodeB, kWrapNoData);
    EXPECT_TRUE(sent.wrapper->data.empty());

    // Sharing live view installs a standing wrapper for the vendor's live-view operation (Canon and Nikon only).
    EXPECT_EQ(linkRefreshLiveViewSharing(true), PTP_RC_OK);
    EXPECT_EQ(linkPendingObjectCount(), 0u);
    camSetVendor(VENDOR_CANON);
    ASSERT_EQ(linkRefreshLiveViewSharing(true), PTP_RC_OK);
    auto entry = linkGetPendingObject(kCanonLiveViewOperation);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->header.subCodeA, kShareRelay);
    EXPECT_EQ(entry->header.subCodeB, kWrapNoData);
    ASSERT_EQ(linkRefreshLiveViewSharing(false), PTP_RC_OK);
    EXPECT_EQ(linkPendingObjectCount(), 0u);
}

TEST_F(DeviceCommandsTest, ObjectRangesAndTransfer) {
    uint32_t h = camera->addJpegObject(600 * 1024);
    const std::vector<uint8_t>& bytes = *camera->object(h)->bytes;
    PtpObjectInfoStruct record{};
    record.objectId = h;
    record.objectCompressedSize = uint32_t(bytes.size());
    HeapBlock part;
    ASSERT_EQ(linkReadObjectPart(record, 1000, 256000, &part, 0), PTP_RC_OK);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), bytes.begin() + 1000));
    EXPECT_EQ(part.size(), 256000u);

    // With a sub-code the record goes ahead with the range's offset.
    ASSERT_EQ(linkReadObjectPart(record, 4096, 100, &part, kShareRelay), PTP_RC_OK);
    auto sent = commandPackets(kCmdReadObjectPart).back();
    ASSERT_TRUE(sent.wrapper);
    EXPECT_EQ(sent.wrapper->subCodeB, kWrapRangeRecord);
    PtpObjectInfoStruct wrapped;
    std::memcpy(&wrapped, sent.wrapper->data.data(), sizeof wrapped);
    EXPECT_EQ(wrapped.sequenceNumber, 4096u);
    EXPECT_EQ(wrapped.objectId, h);

    // A reply longer than asked, or an empty one, is refused.
    device.scriptFault(reply(0x2001, std::vector<uint8_t>(101, 0)));
    EXPECT_EQ(linkReadObjectPart(record, 0, 100, &part, 0), ERROR_BAD_PACKET);
    EXPECT_FALSE(part);
    device.scriptFault(reply(0x2001, {}));
    EXPECT_EQ(linkReadObjectPart(record, 0, 100, &part, 0), ERROR_BAD_PACKET);

    // An object known by name is read from the card with 0xF8, the wrapper carrying its name.
    ASSERT_TRUE(commands.card().addJpeg("SD_0001.JPG", 300 * 1024));
    PtpObjectInfoStruct byName = ptpObjectInfoForName("SD_0001.JPG", 12);
    ASSERT_EQ(linkReadObjectPart(byName, 0, 256000, &part, kShareRelay), PTP_RC_OK);
    EXPECT_TRUE(std::equal(part.begin(), part.end(), fileBytes("SD_0001.JPG").begin()));
    sent = commandPackets(kCmdReadFilePart).back();
    ASSERT_TRUE(sent.wrapper);
    EXPECT_EQ(sent.wrapper->subCodeB, kWrapFileName);
    EXPECT_EQ(std::string(sent.wrapper->data.begin(), sent.wrapper->data.end()), std::string("SD_0001.JPG", 12));

    HeapBlock jpeg;
    ASSERT_EQ(linkTransferObject(record, &jpeg, 0), PTP_RC_OK);
    EXPECT_EQ(jpeg.toVector(), bytes);
    ASSERT_EQ(linkTransferObject(record, &jpeg, kShareOnly), PTP_RC_OK);
    EXPECT_TRUE(jpeg.empty());
    sent = commandPackets(kCmdTransferObject).back();
    ASSERT_TRUE(sent.wrapper);
    EXPECT_EQ(sent.wrapper->subCodeB, kWrapObjectRecord);
    EXPECT_EQ(sent.wrapper->data.size(), 608u);
}

class ObjectDownloadTest : public DeviceCommandsTest {
protected:
    PtpObjectInfoStruct recordOf(uint32_t handle) {
        PtpObjectInfoStruct r{};
        EXPECT_EQ(camGetObjectInfo(handle, &r), PTP_RC_OK);
        return r;
    }
};

TEST_F(ObjectDownloadTest, OneGetObjectBelowTheLimitRangesFromIt) {
    openSession();
    struct Case {
        uint32_t size;
        bool cr3;
        size_t getObjects;
        size_t ranges;
    } cases[] = {
        {5119999, false, 1, 0},
        {5120000, false, 0, 3},
        {5120000, true, 0, 5},
    };
    for (const Case& c : cases) {
        PtpVendorHooks hooks;
        if (c.cr3) {
            camSetVendor(VENDOR_CANON);
            hooks.canonWritesCr3 = [] { return true; };
        } else {
            camSetVendor(VENDOR_NONE);
        }
        ptpSetVendorHooks(hooks);
        uint32_t h = camera->addJpegObject(c.size);
        PtpObjectInfoStruct r = recordOf(h);
        device.clearLog();
        HeapBlock data;
        uint64_t length = 0;
        ASSERT_EQ(linkDownloadObject(r, &data, &length, 0), PTP_RC_OK);
        EXPECT_EQ(length, c.size);
        EXPECT_TRUE(data.toVector() == *camera->object(h)->bytes);
        EXPECT_EQ(ptpPackets(PTP_OC_GetObject).size(), c.getObjects);
        auto ranges = commandPackets(kCmdReadObjectPart);
        EXPECT_EQ(ranges.size(), c.ranges);
        if (!ranges.empty()) {
            const uint8_t* first = ranges[0].bytes.data() + 10;
            EXPECT_EQ(readLe32(first + 8), c.cr3 ? kCr3ObjectRange : kObjectRange);
        }
    }
    // Canon model 251 is always read in ranges.
    camSetVendor(VENDOR_CANON);
    camSetModelIndex(kCanonModelAlwaysRanged);
    uint32_t small = camera->addJpegObject(300 * 1024);
    device.clearLog();
    HeapBlock data;
    uint64_t length = 0;
    ASSERT_EQ(linkDownloadObject(recordOf(small), &data, &length, 0), PTP_RC_OK);
    EXPECT_EQ(commandPackets(kCmdReadObjectPart).size(), 1u);
    EXPECT_TRUE(data.toVector() == *camera->object(small)->bytes);
}

TEST_F(ObjectDownloadTest, BusyRangesAreAskedAgainUpToFiveTimes) {
    openSession();
    uint32_t h = camera->addJpegObject(5200000);
    PtpObjectInfoStruct r = recordOf(h);
    HeapBlock data;
    uint64_t length = 0;
    for (int i = 0; i < 4; ++i) device.scriptFault(Fault::busy());
    ASSERT_EQ(linkDownloadObject(r, &data, &length, 0), PTP_RC_OK);
    EXPECT_TRUE(data.toVector() == *camera->object(h)->bytes);
    for (int i = 0; i < 5; ++i) device.scriptFault(Fault::busy());
    EXPECT_EQ(linkDownloadObject(r, &data, &length, 0), PTP_RC_DEVICE_BUSY);
    EXPECT_FALSE(data);
    device.clearFaults();

    // GetObject below the limit: busy answers retried the same way (each attempt has its own quick retry).
    uint32_t small = camera->addJpegObject(400 * 1024);
    PtpObjectInfoStruct smallRecord = recordOf(small);
    camera->answerBusy(8);
    ASSERT_EQ(linkDownloadObject(smallRecord, &data, &length, 0), PTP_RC_OK);
    EXPECT_EQ(length, camera->object(small)->bytes->size());
}

TEST_F(ObjectDownloadTest, SharedDownloads) {
    openSession();
    uint32_t big = camera->addJpegObject(5200000);
    uint32_t small = camera->addJpegObject(300 * 1024);
    HeapBlock data;
    uint64_t length = 0;
    // 0xA0: nothing comes back, the length is the object's size.
    ASSERT_EQ(linkDownloadObject(recordOf(big), &data, &length, kShareOnly), PTP_RC_OK);
    EXPECT_FALSE(data);
    EXPECT_EQ(length, 5200000u);
    device.clearLog();
    ASSERT_EQ(linkDownloadObject(recordOf(small), &data, &length, kShareOnly), PTP_RC_OK);
    EXPECT_FALSE(data);
    EXPECT_EQ(length, camera->object(small)->bytes->size());
    auto gets = ptpPackets(PTP_OC_GetObject);
    ASSERT_EQ(gets.size(), 1u);
    ASSERT_TRUE(gets[0].wrapper);
    EXPECT_EQ(gets[0].wrapper->subCodeA, kShareOnly);
    // 0xA1: shared and returned; the wrapper is gone afterwards.
    ASSERT_EQ(linkDownloadObject(recordOf(small), &data, &length, kShareRelay), PTP_RC_OK);
    EXPECT_TRUE(data.toVector() == *camera->object(small)->bytes);
    EXPECT_FALSE(linkGetPendingObject(PTP_OC_GetObject));
}

}  // namespace
