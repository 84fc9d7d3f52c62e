// The agent-wide bound on requests under way, adapted to what the camera serves.
#include "request_gate.h"

#include <algorithm>

namespace tesh::vms_server_plugins::analytics::qv {

RequestGate::RequestGate(int maxInFlight):
    m_maxInFlight(std::max(maxInFlight, 1)),
    m_limit(m_maxInFlight),
    m_ceiling(m_maxInFlight)
{}

void RequestGate::enter()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [this]() { return m_inFlight < m_limit; });
    ++m_inFlight;
}

void RequestGate::leaveAnswered()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    // Twice the limit in answers before one more at once: a camera that served 4 is not offered 8 at the next burst.
    m_servedAtOnce = std::max(m_servedAtOnce, m_inFlight);
    const int needed = m_limit < m_ceiling ? 2 * m_limit : kAnswersBeforeProbing;
    if (++m_answeredSinceChange >= needed && m_limit < m_maxInFlight)
    {
        ++m_limit;
        m_ceiling = std::max(m_ceiling, m_limit);
        m_answeredSinceChange = 0;
    }
    leaveLocked();
}

void RequestGate::leaveTurnedAway()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    leaveLocked();
    m_limit = std::max(1, std::min(m_limit - 1, m_inFlight));
    // A burst of refusals drives the limit below what the camera serves: the limit climbs back to what it answered
    // at once, quickly, and beyond only slowly.
    m_ceiling = std::max(m_limit, m_servedAtOnce);
    m_answeredSinceChange = 0;
}

void RequestGate::leave()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    leaveLocked();
}

int RequestGate::limit() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_limit;
}

int RequestGate::inFlight() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_inFlight;
}

void RequestGate::leaveLocked()
{
    --m_inFlight;
    m_room.notify_all();
}

} // namespace tesh::vms_server_plugins::analytics::qv
