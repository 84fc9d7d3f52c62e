// The host's track id for each camera object id, for the most recently seen objects.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <tesh/sdk/uuid.h>

namespace tesh::vms_server_plugins::analytics::qv {

/** Bounds the memory a camera can make us hold; a camera tracks far fewer objects at once. */
inline constexpr std::size_t kMaxTrackedObjects = 256;

/**
 * Forgets the object seen least recently, so that one that stays in view keeps its track however many others come
 * and go. Used by the object conversion only, one pass at a time.
 *
 * Held in two arrays rather than in nodes: each object of each document is looked up, and with many cameras the
 * nodes of a tree or list were rarely in the cache. They grow with use: an idle camera costs nothing.
 */
class TrackIds
{
public:
    /** The object's track id; a new random one for an object not (or no longer) among the last 256 seen. */
    sdk::Uuid trackIdForObject(int32_t objectId);

    std::size_t size() const { return m_slots.size(); }

private:
    using SlotIndex = uint16_t;

    struct Slot
    {
        sdk::Uuid trackId;
        int32_t objectId = 0;
        SlotIndex older = kNone; //< Towards m_oldest.
        SlotIndex newer = kNone; //< Towards m_newest.
    };

    static constexpr SlotIndex kNone = UINT16_MAX;
    static_assert(kMaxTrackedObjects < kNone);

    SlotIndex takeSlot();
    void unlink(SlotIndex index);
    void linkAsNewest(SlotIndex index);

    std::vector<Slot> m_slots;
    std::vector<std::pair<int32_t, SlotIndex>> m_byObjectId; //< Sorted by object id.
    SlotIndex m_oldest = kNone;
    SlotIndex m_newest = kNone;
};

} // namespace tesh::vms_server_plugins::analytics::qv
