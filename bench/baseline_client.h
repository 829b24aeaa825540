#pragma once
// The plain client that the engine's download paths are measured against: a blocking loopback socket, send() and a
// recv() loop, the bytes of a request written by hand. Shared by the benchmarks so that every ratio divides by the
// same baseline; it deliberately uses nothing of the engine.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace baseline {

// A connected loopback socket with Nagle off (as the link has it), or -1.
inline int connectLoopback(uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

inline void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

// Receives exactly n bytes; false when the peer closes or fails first.
inline bool recvAll(int fd, uint8_t* into, size_t n) {
    size_t got = 0;
    while (got < n) {
        ssize_t k = ::recv(fd, into + got, n - got, 0);
        if (k <= 0) return false;
        got += size_t(k);
    }
    return true;
}

inline bool sendAll(int fd, const uint8_t* bytes, size_t n) {
    return ::send(fd, bytes, n, MSG_NOSIGNAL) == ssize_t(n);
}

// A 0x0A packet (5 bytes) holding one GetObject command container (16 bytes) for the handle.
inline std::array<uint8_t, 21> getObjectRequest(uint32_t handle, uint32_t transactionId) {
    std::array<uint8_t, 21> r{21, 0, 0, 0, 0x0A, 16, 0, 0, 0, 1, 0, 0x09, 0x10};
    put32(r.data() + 13, transactionId);
    put32(r.data() + 17, handle);
    return r;
}

// The bytes that answer one GetObject of `size` bytes: a 0x0A packet with the data container, then one with the
// response container.
constexpr size_t getObjectAnswerSize(size_t size) { return (5 + 12 + size) + (5 + 12); }

// Seconds one run takes, or -1 when it fails.
template <typename F>
double seconds(F run) {
    const auto start = std::chrono::steady_clock::now();
    if (!run()) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace baseline
