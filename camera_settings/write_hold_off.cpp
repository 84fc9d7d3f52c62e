#include "write_hold_off.h"

#include <metadata/steady_clock.h>

namespace tesh::vms_server_plugins::analytics::qv {

bool WriteHoldOff::start(std::chrono::nanoseconds duration)
{
    const int64_t now = steadyClockNs();
    int64_t end = m_endNs.load();
    if (now < end)
        return false;
    // Of two writers starting together only one starts the hold-off; the other sees it running.
    return m_endNs.compare_exchange_strong(end, now + duration.count());
}

bool WriteHoldOff::isActive() const
{
    return steadyClockNs() < m_endNs.load();
}

} // namespace tesh::vms_server_plugins::analytics::qv
