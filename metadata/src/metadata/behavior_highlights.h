// Objects named by a recent behaviour event, which the object conversion draws in red.
#pragma once

#include <cstdint>
#include <mutex>

#include "object_id_table.h"
#include "prune_schedule.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** Has a lock of its own: in one pass the event conversion records while the object conversion looks up. */
class BehaviorHighlights
{
public:
    /** Inserts the object, or renews its time. */
    void record(int32_t objectId, int64_t nowNs);

    bool contains(int32_t objectId) const;

    /**
     * From now on, every entry recorded before this call whose age in whole seconds at nowNs has reached
     * lifetimeSeconds (all of them for 0) is gone.
     */
    void prune(int32_t lifetimeSeconds, int64_t nowNs);

    /** The entries not pruned. */
    std::size_t size() const;

private:
    struct Highlight
    {
        int64_t timeNs;
        uint64_t stamp; //< PruneSchedule::stamp() when it was recorded.
    };

    /** Called with the lock held. */
    bool isPruned(const Highlight& highlight) const;

    void sweep();

    mutable std::mutex m_mutex;
    ObjectIdTable<Highlight> m_highlights;
    PruneSchedule m_schedule;
    int32_t m_lifetimeSeconds = 0; //< That of the last prune.
};

} // namespace tesh::vms_server_plugins::analytics::qv
