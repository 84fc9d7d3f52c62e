// The simulator's sockets: the listening one, opened by hand so that a refused bind reports its real
// reason, and the options its connections are served with.
#pragma once

#include <string>

namespace qvcam {

/**
 * A listening IPv4 TCP socket on a loopback address, or -1 with a reason such as "Permission denied"
 * for port 80 or "not a loopback address".
 */
int openListenSocket(const std::string& address, int port, std::string* errorMessage);

/**
 * With `on`, closing the socket resets the connection (RST) instead of ending it in order (FIN). Sockets
 * accepted from a listening socket inherit the setting.
 */
bool setResetOnClose(int socket, bool on);

/** Sends every write at once: without it, Nagle's algorithm and the client's delayed ACK hold a split answer back. */
void setNoDelay(int socket);

/** The port the socket is bound to (the one the system chose for port 0), or -1. */
int boundPort(int socket);

} // namespace qvcam
