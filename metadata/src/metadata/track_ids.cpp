// The host's track id for each camera object id.
#include "track_ids.h"

#include <tesh/sdk/helpers/uuid_helper.h>

namespace tesh::vms_server_plugins::analytics::qv {

sdk::Uuid TrackIds::trackIdForObject(int32_t objectId)
{
    if (const auto it = m_objectTrackIds.find(objectId); it != m_objectTrackIds.end())
        return it->second;

    const sdk::Uuid trackId = sdk::randomUuid();
    m_objectTrackIds.emplace(objectId, trackId);
    m_objectTrackOrder.push_back(objectId);
    if (m_objectTrackOrder.size() > kMaxTrackedObjects)
    {
        m_objectTrackIds.erase(m_objectTrackOrder.front());
        m_objectTrackOrder.pop_front();
    }
    return trackId;
}

} // namespace tesh::vms_server_plugins::analytics::qv
