// Arbitrary bytes as what the device answers to its own commands: the battery and SD-card status, the camera's name,
// the event poll, the property snapshot, live-view frames, thumbnails, file sizes, whole files and object ranges
// fetched piece by piece, the tripod head's battery. The bytes after the first four arrive on one end of a socket
// pair that the link reads as its connection; the first four bytes pick the commands asked, one per byte, in turn
// until the link breaks. Every command reads only its own reply and keeps what it returns inside it.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/automation/tripod.h"
#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/link/link_system_calls.h"
#include "engine/ptp/container.h"
#include "fuzz/device_stream.h"
#include "engine/ptp/datasets.h"
#include "engine/timing.h"

namespace {

constexpr unsigned kCommands = 22;

void ignoreMessage(DeviceStatusMessage) {}

// The objects asked for: one by handle, its size from the input (small, so that a ranged download stays cheap
// however many ranges the device claims), and one known by name.
PtpObjectInfoStruct objectByHandle(uint8_t pick) {
    PtpObjectInfoStruct o{};
    o.objectId = 0x90000001u + pick;
    o.objectCompressedSize = (pick & 0x80) ? kLargeObjectSize : 64u * pick;
    return o;
}

void ask(unsigned command, uint8_t pick) {
    const uint8_t share = (pick & 0x40) ? kShareOnly : (pick & 0x20) ? kShareRelay : kShareNone;
    const std::string name = (pick & 1) ? "DSC_0042.ARW" : "IMG_0001.JPG";
    HeapBlock data;
    uint8_t byte = 0;
    uint64_t a = 0, b = 0;
    switch (command) {
        case 0: linkCommand10(&byte); break;
        case 1: linkGetFirmwareVersion(&byte); break;
        case 2: linkGetHardwareVersion(); break;
        case 3: {
            DeviceBatteryStatus status{};
            linkGetStatus(&status);
            break;
        }
        case 4: linkFujiCallback(); break;
        case 5:
            if (auto model = linkSendConnectionInfo(); model && model->size() > 255) __builtin_trap();
            break;
        case 6: linkNewObjectNotice(0x90000001u, &byte); break;
        case 7: linkPollEvents(&data, pick & 1); break;
        case 8: {
            uint32_t codes[kPropertySnapshotCodes] = {};
            for (size_t i = 0; i < kPropertySnapshotCodes; ++i) codes[i] = 0x5001 + static_cast<uint32_t>(i);
            if (linkLoadPropertySnapshot(codes, &data) == PTP_RC_OK) {
                std::vector<PropertySnapshotEntry> entries;
                linkSplitPropertySnapshot(data.data(), data.size(), &entries);
            }
            break;
        }
        case 9: linkGetAutoShare(&byte); break;
        case 10: linkGetLiveViewFrame(&data, share); break;
        case 11: linkGetSdShotsAvailable(&a, &b); break;
        case 12: {
            std::vector<std::string> names;
            linkListSdCardImages(&names);
            break;
        }
        case 13: linkGetThumbnail(name, &data, &byte, share); break;
        case 14: linkGetFileSize(name, &a); break;
        case 15: linkDownloadFilePart(name, &data, share); break;
        case 16: {
            const PtpObjectInfoStruct record = ptpObjectInfoForName(name, static_cast<uint16_t>(name.size() + 1));
            if (linkDownloadFile(name, &data, &a, share, (pick & 2) ? &record : nullptr) == PTP_RC_OK &&
                share != kShareOnly && data.size() != a)
                __builtin_trap();
            break;
        }
        case 17: {
            const uint32_t count = 1u + pick;
            if (linkReadObjectPart(objectByHandle(pick), 0, count, &data, share) == PTP_RC_OK && data.size() > count)
                __builtin_trap();
            break;
        }
        case 18: {
            const PtpObjectInfoStruct record = ptpObjectInfoForName(name, static_cast<uint16_t>(name.size() + 1));
            if (linkReadObjectPart(record, 16, 100, &data, share) == PTP_RC_OK && data.size() > 100) __builtin_trap();
            break;
        }
        case 19: linkTransferObject(objectByHandle(pick), &data, share); break;
        case 20: {
            const PtpObjectInfoStruct object = objectByHandle(pick);
            uint64_t length = 0;
            if (linkDownloadObject(object, &data, &length, share) == PTP_RC_OK && share != kShareOnly &&
                length > data.size())
                __builtin_trap();
            break;
        }
        default: {
            uint32_t level = 0;
            tripodReadBattery(&level);
            break;
        }
    }
}

}  // namespace

// A file the device declares may be up to 4 GiB, and its download reserves the whole size before the first range
// arrives (only the pages written are ever touched): the malloc limit is set above that, the RSS limit stays.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static std::vector<char*> args;
    static char limit[] = "-malloc_limit_mb=4200";
    args.assign(*argv, *argv + *argc);
    args.insert(args.begin() + 1, limit);
    args.push_back(nullptr);
    *argc += 1;
    *argv = args.data();
    engine_timing::scale().store(0);  // a busy answer is retried at once
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4 || size > 100000) return 0;  // all of it must fit in the socket pair's buffer
    engine_timing::scale().store(0);
    int device = -1;
    const int link = fuzz_device::streamOf(data + 4, size - 4, &device);
    if (link < 0) return 0;

    linkSetEventHandler(ignoreMessage);
    linkAdoptConnectedSocket(link);
    ptpSetTransport(linkPtpSend, linkPtpReceive);
    for (int round = 0; round < 16 && !linkIsBroken(); ++round) {
        const uint8_t pick = data[round % 4];
        ask(pick % kCommands, static_cast<uint8_t>(pick * 37 + round));
    }
    ptpResetContainerState();
    linkResetState();
    ::close(device);
    return 0;
}
