// The write hold-off as a count of writes under way and a deadline on the steady clock.
#include "write_hold_off.h"

#include <tesh/kit/steady_clock.h>

namespace tesh::vms_server_plugins::analytics::qv {

void WriteHoldOff::writeStarted()
{
    ++m_writes;
}

void WriteHoldOff::writeFinished(std::chrono::nanoseconds duration)
{
    // The deadline first, so that no reader sees neither a write under way nor a deadline ahead; a write that
    // finishes with a shorter hold-off never cuts short the one of another.
    const int64_t end = kit::steadyClockNs() + duration.count();
    int64_t known = m_endNs.load();
    while (known < end && !m_endNs.compare_exchange_weak(known, end))
    {}
    --m_writes;
}

bool WriteHoldOff::isActive() const
{
    return m_writes > 0 || kit::steadyClockNs() < m_endNs.load();
}

} // namespace tesh::vms_server_plugins::analytics::qv
