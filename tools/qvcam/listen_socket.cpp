// Opening the listening socket, and the options of the connections.
#include "listen_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace qvcam {

namespace {

/** 127.0.0.0/8: the simulator serves only this machine, never a network. */
constexpr uint32_t kLoopbackNetwork = 0x7f000000;
constexpr uint32_t kLoopbackMask = 0xff000000;

/** A full read of the plug-in's settings opens 337 connections at once; the kernel caps this further. */
constexpr int kListenBacklog = 1024;

/** Closes the socket and gives -1, the reason carrying errno's text. */
int fail(const std::string& reason, int socket, std::string* errorMessage)
{
    if (errorMessage != nullptr)
        *errorMessage = reason + ": " + std::strerror(errno);
    if (socket >= 0)
        ::close(socket);
    return -1;
}

} // namespace

int openListenSocket(const std::string& address, int port, std::string* errorMessage)
{
    const std::string where = address + ":" + std::to_string(port);
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    socketAddress.sin_port = htons(static_cast<uint16_t>(port));
    if (port < 0 || port > 65535 || inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr) != 1)
    {
        if (errorMessage != nullptr)
            *errorMessage = "not an IPv4 address and port: " + where;
        return -1;
    }
    if ((ntohl(socketAddress.sin_addr.s_addr) & kLoopbackMask) != kLoopbackNetwork)
    {
        if (errorMessage != nullptr)
            *errorMessage = "not a loopback address (127.0.0.0/8): " + address;
        return -1;
    }
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener < 0)
        return fail("cannot create a socket", listener, errorMessage);
    // A simulator restarted within a test must not wait for the previous run's connections to time out.
    const int on = 1;
    if (::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)) != 0)
        return fail("cannot set SO_REUSEADDR on " + where, listener, errorMessage);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&socketAddress), sizeof(socketAddress)) != 0)
        return fail("cannot bind " + where, listener, errorMessage);
    if (::listen(listener, kListenBacklog) != 0)
        return fail("cannot listen on " + where, listener, errorMessage);
    return listener;
}

bool setResetOnClose(int socket, bool on)
{
    // A zero linger time makes close() drop what is unsent and answer with a reset.
    const linger resetOnClose{on ? 1 : 0, 0};
    return ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof(resetOnClose)) == 0;
}

void setNoDelay(int socket)
{
    const int on = 1;
    ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
}

int boundPort(int socket)
{
    sockaddr_in socketAddress{};
    socklen_t size = sizeof(socketAddress);
    if (::getsockname(socket, reinterpret_cast<sockaddr*>(&socketAddress), &size) != 0)
        return -1;
    return ntohs(socketAddress.sin_port);
}

} // namespace qvcam
