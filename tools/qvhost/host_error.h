// A failure qvhost reports in one line and ends on with its exit status.
#pragma once

#include <stdexcept>
#include <string>

namespace qvhost {

/** Exit statuses: 1 a manifest check failed, 2 bad use (library, camera, input), 3 the plug-in leaked. */
enum ExitStatus
{
    kChecksFailed = 1,
    kBadUse = 2,
    kLeaked = 3,
};

class HostError: public std::runtime_error
{
public:
    HostError(int status, const std::string& message): std::runtime_error(message), m_status(status) {}

    int status() const { return m_status; }

private:
    int m_status;
};

} // namespace qvhost
