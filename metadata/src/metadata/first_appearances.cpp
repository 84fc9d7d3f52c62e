// When each tracked object was first emitted.
#include "first_appearances.h"

namespace tesh::vms_server_plugins::analytics::qv {

FirstAppearances::FirstAppearances()
{
    m_appearances.max_load_factor(1.0F);
    m_appearances.rehash(8);
}

void FirstAppearances::recordIfAbsent(int32_t objectId, int64_t timestampUs, int64_t nowNs)
{
    m_appearances.try_emplace(objectId, Appearance{objectId, timestampUs, nowNs});
}

std::optional<int64_t> FirstAppearances::take(int32_t objectId)
{
    const auto it = m_appearances.find(objectId);
    if (it == m_appearances.end())
        return std::nullopt;
    const int64_t timestampUs = it->second.timestampUs;
    m_appearances.erase(it);
    return timestampUs;
}

void FirstAppearances::prune(int64_t nowNs)
{
    for (auto it = m_appearances.begin(); it != m_appearances.end();)
        it = nowNs - it->second.recordedNs >= kFirstAppearanceLifetimeNs ? m_appearances.erase(it) : std::next(it);
}

} // namespace tesh::vms_server_plugins::analytics::qv
