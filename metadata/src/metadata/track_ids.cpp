// The host's track id for each camera object id.
#include "track_ids.h"

#include <iterator>

#include <tesh/sdk/helpers/uuid_helper.h>

namespace tesh::vms_server_plugins::analytics::qv {

TrackIds::TrackIds()
{
    // One more than the bound: the newest id is in before the oldest goes, and the table never grows in a pass.
    m_objectTrackIds.reserve(kMaxTrackedObjects + 1);
}

sdk::Uuid TrackIds::trackIdForObject(int32_t objectId)
{
    if (const auto it = m_objectTrackIds.find(objectId); it != m_objectTrackIds.end())
    {
        m_recency.splice(m_recency.end(), m_recency, it->second.recency);
        return it->second.trackId;
    }

    const sdk::Uuid trackId = sdk::randomUuid();
    m_recency.push_back(objectId);
    m_objectTrackIds.emplace(objectId, Track{trackId, std::prev(m_recency.end())});
    if (m_recency.size() > kMaxTrackedObjects)
    {
        m_objectTrackIds.erase(m_recency.front());
        m_recency.pop_front();
    }
    return trackId;
}

} // namespace tesh::vms_server_plugins::analytics::qv
