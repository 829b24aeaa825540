// Arbitrary bytes from "the device" through the link's packet reader and, for PTP packets, the container reader.
// The bytes arrive on one end of a socket pair that the link reads as its connection; the first input byte picks
// the kind of exchange read each round.
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "engine/link/link.h"
#include "engine/link/link_system_calls.h"
#include "engine/ptp/container.h"

namespace {

void touchMessage(DeviceStatusMessage message) {
    volatile uint8_t sum = 0;
    for (uint8_t b : message) sum = sum + b;
}

ResponseCode noSend(const uint8_t*, uint32_t) { return PTP_RC_OK; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 100000) return 0;  // all of it must fit in the socket pair's buffer
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return 0;
    int big = 1 << 20;
    ::setsockopt(pair[1], SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
    const uint8_t mode = data[0];
    size_t written = 0;
    while (written + 1 < size) {
        ssize_t n = ::send(pair[1], data + 1 + written, size - 1 - written, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n <= 0) break;
        written += size_t(n);
    }
    ::shutdown(pair[1], SHUT_WR);  // the reader meets the end of the input, never a wait

    linkSetEventHandler(touchMessage);
    linkAdoptConnectedSocket(pair[0]);
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
    ::close(pair[1]);
    return 0;
}
