// Arbitrary bytes from "the device" through the link's packet reader and, for PTP packets, the container reader.
// The bytes arrive on one end of a socket pair that the link reads as its connection; the first input byte picks
// the kind of exchange read each round.
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "engine/link/link.h"
#include "engine/link/link_system_calls.h"
#include "engine/ptp/container.h"
#include "fuzz/device_stream.h"

namespace {

void touchMessage(DeviceStatusMessage message) {
    volatile uint8_t sum = 0;
    for (uint8_t b : message) sum = sum + b;
}

ResponseCode noSend(const uint8_t*, uint32_t) { return PTP_RC_OK; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 100000) return 0;  // all of it must fit in the socket pair's buffer
    const uint8_t mode = data[0];
    int device = -1;
    const int link = fuzz_device::streamOf(data + 1, size - 1, &device);
    if (link < 0) return 0;

    linkSetEventHandler(touchMessage);
    linkAdoptConnectedSocket(link);
    ptpSetTransport(noSend, linkPtpReceive);
    for (int round = 0; round < 64 && !linkIsBroken(); ++round) {
        switch ((mode >> (2 * (round % 4))) & 3) {
            case 0: {
                HeapBlock payload;
                uint32_t length = 0;
                linkReadResponse(&payload, &length);
                break;
            }
            case 1: {
                HeapBlock block;
                uint32_t length = 0;
                uint32_t param = 0;
                ptpReadDataAndResponse(&block, &length, &param);
                break;
            }
            case 2: {
                uint32_t param = 0;
                ptpReadResponse(&param);
                break;
            }
            default: {
                uint32_t result = 0;
                linkReadAccessoryReply(&result);
                break;
            }
        }
    }
    ptpResetContainerState();
    linkResetState();
    ::close(device);
    return 0;
}
