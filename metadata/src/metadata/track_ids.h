// The host's track id for each camera object id, for the most recently seen objects.
#pragma once

#include <cstdint>
#include <list>
#include <unordered_map>

#include <tesh/sdk/uuid.h>

namespace tesh::vms_server_plugins::analytics::qv {

/** Bounds the memory a camera can make us hold; a camera tracks far fewer objects at once. */
inline constexpr std::size_t kMaxTrackedObjects = 256;

/**
 * Forgets the object seen least recently, so that one that stays in view keeps its track however many others come
 * and go. Used by the object conversion only, one pass at a time.
 */
class TrackIds
{
public:
    TrackIds();

    /** The object's track id; a new random one for an object not (or no longer) among the last 256 seen. */
    sdk::Uuid trackIdForObject(int32_t objectId);

    std::size_t size() const { return m_objectTrackIds.size(); }

private:
    struct Track
    {
        sdk::Uuid trackId;
        std::list<int32_t>::iterator recency; //< Its place in m_recency.
    };

    std::unordered_map<int32_t, Track> m_objectTrackIds;
    std::list<int32_t> m_recency; //< The ids of m_objectTrackIds, the most recently seen last.
};

} // namespace tesh::vms_server_plugins::analytics::qv
