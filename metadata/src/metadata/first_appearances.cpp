// When each tracked object was first emitted.
#include "first_appearances.h"

#include <algorithm>
#include <optional>

namespace tesh::vms_server_plugins::analytics::qv {

FirstAppearances::FirstAppearances()
{
    m_appearances.max_load_factor(1.0F);
    m_appearances.rehash(8);
}

void FirstAppearances::recordIfAbsent(int32_t objectId, int64_t timestampUs, int64_t nowNs)
{
    const Appearance appearance{timestampUs, nowNs, m_schedule.stamp()};
    const auto [it, inserted] = m_appearances.try_emplace(objectId, appearance);
    if (!inserted && isPruned(it->second))
        it->second = appearance;
}

std::optional<int64_t> FirstAppearances::take(int32_t objectId)
{
    const auto it = m_appearances.find(objectId);
    if (it == m_appearances.end())
        return std::nullopt;
    const bool pruned = isPruned(it->second);
    const int64_t timestampUs = it->second.timestampUs;
    m_appearances.erase(it);
    if (pruned)
        return std::nullopt;
    return timestampUs;
}

void FirstAppearances::prune(int64_t nowNs)
{
    if (!m_schedule.prune(nowNs))
        return;
    for (auto it = m_appearances.begin(); it != m_appearances.end();)
        it = isPruned(it->second) ? m_appearances.erase(it) : std::next(it);
}

std::size_t FirstAppearances::size() const
{
    return static_cast<std::size_t>(std::count_if(
        m_appearances.begin(), m_appearances.end(), [this](const auto& entry) { return !isPruned(entry.second); }));
}

bool FirstAppearances::isPruned(const Appearance& appearance) const
{
    const std::optional<int64_t> ageNs = m_schedule.ageAtLastPruneNs(appearance.stamp, appearance.recordedNs);
    return ageNs && *ageNs >= kFirstAppearanceLifetimeNs;
}

} // namespace tesh::vms_server_plugins::analytics::qv
