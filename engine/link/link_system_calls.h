#pragma once
// The system calls through which the link reaches its socket, replaceable so that a test can make a connect fail
// with a chosen error or a send write only part of its bytes. The product never changes them.
#include <sys/socket.h>
#include <sys/types.h>

struct LinkSystemCalls {
    int (*connect)(int fd, const sockaddr* address, socklen_t length);
    ssize_t (*sendmsg)(int fd, const msghdr* message, int flags);
    ssize_t (*recv)(int fd, void* buffer, size_t length, int flags);
};

// The real calls.
const LinkSystemCalls& linkRealSystemCalls();
// Installs replacements (copied); nullptr restores the real calls.
void linkSetSystemCalls(const LinkSystemCalls* calls);

// Makes an already connected stream socket (a socket pair's end, say) the link, as a successful linkConnect would;
// the link owns it from then on. Returns the descriptor, or -1 for a negative one.
int linkAdoptConnectedSocket(int fd);
