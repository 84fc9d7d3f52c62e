// The host's track id for each camera object id, for the most recently first-seen objects.
#pragma once

#include <cstdint>
#include <deque>
#include <map>

#include <tesh/sdk/uuid.h>

namespace tesh::vms_server_plugins::analytics::qv {

/** Bounds the memory a camera can make us hold; a camera tracks far fewer objects at once. */
inline constexpr std::size_t kMaxTrackedObjects = 256;

/** Used by the object conversion only, one pass at a time. */
class TrackIds
{
public:
    /** The object's track id; a new random one for an object not (or no longer) among the last 256 first seen. */
    sdk::Uuid trackIdForObject(int32_t objectId);

    std::size_t size() const { return m_objectTrackIds.size(); }

private:
    std::map<int32_t, sdk::Uuid> m_objectTrackIds;
    std::deque<int32_t> m_objectTrackOrder; //< Insertion order of m_objectTrackIds.
};

} // namespace tesh::vms_server_plugins::analytics::qv
