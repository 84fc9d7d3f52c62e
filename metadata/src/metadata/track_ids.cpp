// The host's track id for each camera object id.
#include "track_ids.h"

#include <algorithm>

#include <tesh/sdk/helpers/uuid_helper.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

using Entry = std::pair<int32_t, uint16_t>;

bool idBelow(const Entry& entry, int32_t objectId)
{
    return entry.first < objectId;
}

} // namespace

sdk::Uuid TrackIds::trackIdForObject(int32_t objectId)
{
    auto found = std::lower_bound(m_byObjectId.begin(), m_byObjectId.end(), objectId, idBelow);
    if (found != m_byObjectId.end() && found->first == objectId)
    {
        unlink(found->second);
        linkAsNewest(found->second);
        return m_slots[found->second].trackId;
    }

    const SlotIndex index = takeSlot();
    Slot& slot = m_slots[index];
    slot.trackId = sdk::randomUuid();
    slot.objectId = objectId;
    linkAsNewest(index);
    // Found again: taking the slot of the oldest object may have moved the entries.
    found = std::lower_bound(m_byObjectId.begin(), m_byObjectId.end(), objectId, idBelow);
    m_byObjectId.insert(found, {objectId, index});
    return slot.trackId;
}

/** A new slot while there is room, else that of the object seen least recently, which is forgotten. */
TrackIds::SlotIndex TrackIds::takeSlot()
{
    if (m_slots.size() < kMaxTrackedObjects)
    {
        m_slots.emplace_back();
        return static_cast<SlotIndex>(m_slots.size() - 1);
    }
    const SlotIndex oldest = m_oldest;
    const int32_t oldestId = m_slots[oldest].objectId;
    m_byObjectId.erase(std::lower_bound(m_byObjectId.begin(), m_byObjectId.end(), oldestId, idBelow));
    unlink(oldest);
    return oldest;
}

void TrackIds::unlink(SlotIndex index)
{
    Slot& slot = m_slots[index];
    (slot.older == kNone ? m_oldest : m_slots[slot.older].newer) = slot.newer;
    (slot.newer == kNone ? m_newest : m_slots[slot.newer].older) = slot.older;
    slot.older = kNone;
    slot.newer = kNone;
}

void TrackIds::linkAsNewest(SlotIndex index)
{
    Slot& slot = m_slots[index];
    slot.older = m_newest;
    slot.newer = kNone;
    (m_newest == kNone ? m_oldest : m_slots[m_newest].newer) = index;
    m_newest = index;
}

} // namespace tesh::vms_server_plugins::analytics::qv
