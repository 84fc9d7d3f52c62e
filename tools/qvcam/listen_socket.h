// The simulator's listening socket, opened by hand so that a refused bind reports its real reason.
#pragma once

#include <string>

namespace qvcam {

/**
 * A listening IPv4 TCP socket on a loopback address, or -1 with a reason such as "Permission denied"
 * for port 80 or "not a loopback address".
 */
int openListenSocket(const std::string& address, int port, std::string* errorMessage);

/** The port the socket is bound to (the one the system chose for port 0), or -1. */
int boundPort(int socket);

} // namespace qvcam
