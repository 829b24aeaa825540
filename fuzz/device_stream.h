#pragma once
// The device's side of a link made of a socket pair: what the device sends is written into one end at once, then
// that end is shut for writing, so that the link reading the other end meets the end of the input and never waits.
// What the link sends piles up unread in the device's end.
#include <sys/socket.h>

#include <cstddef>
#include <cstdint>

namespace fuzz_device {

// Returns the end for the link (or -1), and the device's end in *device, to be closed after the input.
inline int streamOf(const uint8_t* bytes, size_t n, int* device) {
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return -1;
    int big = 1 << 20;
    ::setsockopt(pair[1], SOL_SOCKET, SO_SNDBUF, &big, sizeof big);
    ::setsockopt(pair[1], SOL_SOCKET, SO_RCVBUF, &big, sizeof big);
    size_t written = 0;
    while (written < n) {
        const ssize_t k = ::send(pair[1], bytes + written, n - written, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (k <= 0) break;
        written += static_cast<size_t>(k);
    }
    ::shutdown(pair[1], SHUT_WR);
    *device = pair[1];
    return pair[0];
}

}  // namespace fuzz_device
