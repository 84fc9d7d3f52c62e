// When the entries of a table pruned before every pass count as gone, and when a walk erases them.
#pragma once

#include <cstdint>
#include <optional>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * How often the expired entries are actually erased: a walk of the whole table each pass cost more than the rest of
 * the bookkeeping; in between, an expired entry is only taken for absent.
 */
inline constexpr int64_t kPruneSweepIntervalNs = 1'000'000'000;

/**
 * Records each prune of a table instead of walking it: an entry recorded before a prune and old enough at the time
 * of that prune counts as gone from then on, and the walk that erases such entries runs at most once per
 * kPruneSweepIntervalNs. With a clock that only moves forwards, an entry once pruned stays pruned at every later
 * prune. Not thread-safe: used under the table's own lock, if it has one.
 */
class PruneSchedule
{
public:
    /** To be kept with an entry when it is recorded: a later record is never pruned by an earlier prune. */
    uint64_t stamp() const { return m_pruneCount; }

    /** Records a prune at nowNs. @return Whether the table is to be walked now and what is pruned erased. */
    bool prune(int64_t nowNs)
    {
        ++m_pruneCount;
        m_prunedAtNs = nowNs;
        if (m_sweptAtNs && nowNs - *m_sweptAtNs < kPruneSweepIntervalNs)
            return false;
        m_sweptAtNs = nowNs;
        return true;
    }

    /** The age at the last prune of an entry recorded at recordedNs with this stamp; none if no prune came since. */
    std::optional<int64_t> ageAtLastPruneNs(uint64_t stamp, int64_t recordedNs) const
    {
        if (stamp >= m_pruneCount)
            return std::nullopt;
        return m_prunedAtNs - recordedNs;
    }

private:
    uint64_t m_pruneCount = 0;
    int64_t m_prunedAtNs = 0;
    std::optional<int64_t> m_sweptAtNs;
};

} // namespace tesh::vms_server_plugins::analytics::qv
