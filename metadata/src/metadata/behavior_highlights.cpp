// Objects named by a recent behaviour event.
#include "behavior_highlights.h"

#include <tesh/kit/steady_clock.h>

namespace tesh::vms_server_plugins::analytics::qv {

BehaviorHighlights::BehaviorHighlights()
{
    m_highlights.max_load_factor(1.0F);
    m_highlights.rehash(8);
}

void BehaviorHighlights::record(int32_t objectId, int64_t nowNs)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_highlights.insert_or_assign(objectId, Highlight{objectId, nowNs});
}

bool BehaviorHighlights::contains(int32_t objectId) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_highlights.count(objectId) != 0;
}

void BehaviorHighlights::prune(int32_t lifetimeSeconds, int64_t nowNs)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_highlights.begin(); it != m_highlights.end();)
    {
        const int64_t ageSeconds = (nowNs - it->second.timeNs) / kit::kNsPerSecond;
        it = ageSeconds >= lifetimeSeconds ? m_highlights.erase(it) : std::next(it);
    }
}

std::size_t BehaviorHighlights::size() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_highlights.size();
}

} // namespace tesh::vms_server_plugins::analytics::qv
