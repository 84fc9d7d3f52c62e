// The write hold-off as a deadline on the steady clock.
#include "write_hold_off.h"

#include <tesh/kit/steady_clock.h>

namespace tesh::vms_server_plugins::analytics::qv {

bool WriteHoldOff::start(std::chrono::nanoseconds duration)
{
    const int64_t now = kit::steadyClockNs();
    int64_t end = m_endNs.load();
    if (now < end)
        return false;
    // Of two writers starting together only one starts the hold-off; the other sees it running.
    return m_endNs.compare_exchange_strong(end, now + duration.count());
}

bool WriteHoldOff::isActive() const
{
    return kit::steadyClockNs() < m_endNs.load();
}

} // namespace tesh::vms_server_plugins::analytics::qv
