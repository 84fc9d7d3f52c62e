// Admission of connections under the cap, and the end of keep-alive connections.
#include "connection_policy.h"

namespace qvcam {

ConnectionPolicy::ConnectionPolicy(int maxConnections, SurplusConnections surplusMode, int keepAliveRequests):
    m_maxConnections(maxConnections),
    m_surplusMode(surplusMode),
    m_keepAliveRequests(keepAliveRequests)
{}

bool ConnectionPolicy::admitsAnother()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_surplusMode != SurplusConnections::reset || hasRoomLocked())
        return true;
    ++m_counts.surplus;
    return false;
}

std::unique_ptr<ServedConnection> ConnectionPolicy::opened()
{
    auto connection = std::make_unique<ServedConnection>();
    const std::lock_guard<std::mutex> lock(m_mutex);
    connection->id = ++m_counts.accepted;
    connection->surplus = !hasRoomLocked();
    if (connection->surplus)
    {
        ++m_counts.surplus;
        return connection;
    }
    ++m_counts.served;
    if (m_counts.served > m_counts.peakServed)
        m_counts.peakServed = m_counts.served;
    return connection;
}

void ConnectionPolicy::closed(std::unique_ptr<ServedConnection> connection)
{
    if (!connection || connection->surplus)
        return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    --m_counts.served;
}

bool ConnectionPolicy::countAnswer(ServedConnection* connection) const
{
    ++connection->answers;
    return m_keepAliveRequests > 0 && connection->answers >= m_keepAliveRequests;
}

ConnectionCounts ConnectionPolicy::counts() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_counts;
}

bool ConnectionPolicy::hasRoomLocked() const
{
    return m_maxConnections <= 0 || m_counts.served < m_maxConnections;
}

} // namespace qvcam
