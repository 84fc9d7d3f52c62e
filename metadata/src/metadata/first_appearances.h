// When each tracked object was first emitted, so that its best shot can be stamped just after that moment.
#pragma once

#include <cstdint>
#include <optional>

#include "object_id_table.h"
#include "prune_schedule.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** Entries older than this are of no use to a best shot any more. */
inline constexpr int64_t kFirstAppearanceLifetimeNs = 5'000'000'000;

/**
 * Used by one pass at a time: pruned before the conversions start, then read and written by the object conversion
 * alone. Passes never overlap, so it needs no lock.
 */
class FirstAppearances
{
public:
    /** Keeps the first record of an object; later emissions do not move it. */
    void recordIfAbsent(int32_t objectId, int64_t timestampUs, int64_t nowNs);

    /** The timestamp of the object's first emission, removing the record. */
    std::optional<int64_t> take(int32_t objectId);

    /** From now on, the records made kFirstAppearanceLifetimeNs or longer before nowNs are gone. */
    void prune(int64_t nowNs);

    /** Brings the object's record, or the place for it, into the cache ahead of its use. */
    void prefetch(int32_t objectId) const { m_appearances.prefetch(objectId); }

    /** The records not pruned. */
    std::size_t size() const;

private:
    struct Appearance
    {
        int64_t timestampUs;
        int64_t recordedNs;
        uint64_t stamp; //< PruneSchedule::stamp() when it was recorded.
    };

    bool isPruned(const Appearance& appearance) const;

    ObjectIdTable<Appearance> m_appearances;
    PruneSchedule m_schedule;
};

} // namespace tesh::vms_server_plugins::analytics::qv
