// Objects named by a recent behaviour event.
#include "behavior_highlights.h"

#include <optional>

#include <tesh/kit/steady_clock.h>

namespace tesh::vms_server_plugins::analytics::qv {

void BehaviorHighlights::record(int32_t objectId, int64_t nowNs)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const Highlight highlight{nowNs, m_schedule.stamp()};
    *m_highlights.tryEmplace(objectId, highlight).first = highlight;
}

bool BehaviorHighlights::contains(int32_t objectId) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const Highlight* const highlight = m_highlights.find(objectId);
    return highlight && !isPruned(*highlight);
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
    return m_highlights.countIf([this](const Highlight& highlight) { return !isPruned(highlight); });
}

/** Within one lifetime; a change of lifetime sweeps first, so what the old one pruned stays gone. */
bool BehaviorHighlights::isPruned(const Highlight& highlight) const
{
    const std::optional<int64_t> ageNs = m_schedule.ageAtLastPruneNs(highlight.stamp, highlight.timeNs);
    return ageNs && *ageNs / kit::kNsPerSecond >= m_lifetimeSeconds;
}

void BehaviorHighlights::sweep()
{
    m_highlights.eraseIf([this](const Highlight& highlight) { return isPruned(highlight); });
}

} // namespace tesh::vms_server_plugins::analytics::qv
