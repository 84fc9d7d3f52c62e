// When each tracked object was first emitted, so that its best shot can be stamped just after that moment.
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

namespace tesh::vms_server_plugins::analytics::qv {

/** Entries older than this are of no use to a best shot any more. */
inline constexpr int64_t kFirstAppearanceLifetimeNs = 5'000'000'000;

/**
 * How often the expired entries are actually erased: a walk of the whole table each pass cost more than the rest of
 * the bookkeeping; in between, an expired entry is only taken for absent.
 */
inline constexpr int64_t kFirstAppearanceSweepIntervalNs = 1'000'000'000;

/**
 * Used by one pass at a time: pruned before the conversions start, then read and written by the object conversion
 * alone. Passes never overlap, so it needs no lock.
 */
class FirstAppearances
{
public:
    FirstAppearances();

    /** Keeps the first record of an object; later emissions do not move it. */
    void recordIfAbsent(int32_t objectId, int64_t timestampUs, int64_t nowNs);

    /** The timestamp of the object's first emission, removing the record. */
    std::optional<int64_t> take(int32_t objectId);

    /** From now on, the records made kFirstAppearanceLifetimeNs or longer before nowNs are gone. */
    void prune(int64_t nowNs);

    /** The records not pruned. */
    std::size_t size() const;

private:
    struct Appearance
    {
        int64_t timestampUs;
        int64_t recordedNs;
        uint64_t pruneCount; //< The prunes before it was recorded: a later record is never pruned by an earlier one.
    };

    bool isPruned(const Appearance& appearance) const;

    std::unordered_map<int32_t, Appearance> m_appearances;
    uint64_t m_pruneCount = 0;
    int64_t m_prunedAtNs = 0; //< The time of the last prune.
    std::optional<int64_t> m_sweptAtNs; //< The time of the last erasing walk.
};

} // namespace tesh::vms_server_plugins::analytics::qv
