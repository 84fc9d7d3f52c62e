// When each tracked object was first emitted.
#include "first_appearances.h"

#include <optional>

namespace tesh::vms_server_plugins::analytics::qv {

void FirstAppearances::recordIfAbsent(int32_t objectId, int64_t timestampUs, int64_t nowNs)
{
    const Appearance appearance{timestampUs, nowNs, m_schedule.stamp()};
    const auto [entry, made] = m_appearances.tryEmplace(objectId, appearance);
    if (!made && isPruned(*entry))
        *entry = appearance;
}

std::optional<int64_t> FirstAppearances::take(int32_t objectId)
{
    const Appearance* const entry = m_appearances.find(objectId);
    if (!entry)
        return std::nullopt;
    const std::optional<int64_t> timestampUs
        = isPruned(*entry) ? std::nullopt : std::optional<int64_t>(entry->timestampUs);
    m_appearances.erase(objectId);
    return timestampUs;
}

void FirstAppearances::prune(int64_t nowNs)
{
    if (m_schedule.prune(nowNs))
        m_appearances.eraseIf([this](const Appearance& appearance) { return isPruned(appearance); });
}

std::size_t FirstAppearances::size() const
{
    return m_appearances.countIf([this](const Appearance& appearance) { return !isPruned(appearance); });
}

bool FirstAppearances::isPruned(const Appearance& appearance) const
{
    const std::optional<int64_t> ageNs = m_schedule.ageAtLastPruneNs(appearance.stamp, appearance.recordedNs);
    return ageNs && *ageNs >= kFirstAppearanceLifetimeNs;
}

} // namespace tesh::vms_server_plugins::analytics::qv
