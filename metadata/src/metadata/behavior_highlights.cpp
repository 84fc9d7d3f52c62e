// Objects named by a recent behaviour event.
#include "behavior_highlights.h"

#include <algorithm>
#include <optional>

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
    m_highlights.insert_or_assign(objectId, Highlight{nowNs, m_schedule.stamp()});
}

bool BehaviorHighlights::contains(int32_t objectId) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_highlights.find(objectId);
    return it != m_highlights.end() && !isPruned(it->second);
}

void BehaviorHighlights::prune(int32_t lifetimeSeconds, int64_t nowNs)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    // An entry pruned under the old lifetime must not come back under a longer one: erase it now.
    if (lifetimeSeconds != m_lifetimeSeconds)
        sweep();
    const bool sweepNow = m_schedule.prune(nowNs);
    m_lifetimeSeconds = lifetimeSeconds;
    if (sweepNow)
        sweep();
}

std::size_t BehaviorHighlights::size() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<std::size_t>(std::count_if(
        m_highlights.begin(), m_highlights.end(), [this](const auto& entry) { return !isPruned(entry.second); }));
}

/** Within one lifetime; a change of lifetime sweeps first, so what the old one pruned stays gone. */
bool BehaviorHighlights::isPruned(const Highlight& highlight) const
{
    const std::optional<int64_t> ageNs = m_schedule.ageAtLastPruneNs(highlight.stamp, highlight.timeNs);
    return ageNs && *ageNs / kit::kNsPerSecond >= m_lifetimeSeconds;
}

void BehaviorHighlights::sweep()
{
    for (auto it = m_highlights.begin(); it != m_highlights.end();)
        it = isPruned(it->second) ? m_highlights.erase(it) : std::next(it);
}

} // namespace tesh::vms_server_plugins::analytics::qv
