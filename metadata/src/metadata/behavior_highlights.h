// Objects named by a recent behaviour event, which the object conversion draws in red.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * How often the expired entries are actually erased, while the lifetime stays the same: in between, an expired
 * entry is only taken for absent, and no pass walks the whole table.
 */
inline constexpr int64_t kBehaviorHighlightSweepIntervalNs = 1'000'000'000;

/** Has a lock of its own: in one pass the event conversion records while the object conversion looks up. */
class BehaviorHighlights
{
public:
    BehaviorHighlights();

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
        uint64_t pruneCount; //< The prunes before it was recorded: a later record is never pruned by an earlier one.
    };

    /** Called with the lock held. */
    bool isPruned(const Highlight& highlight) const;

    void sweep();

    mutable std::mutex m_mutex;
    std::unordered_map<int32_t, Highlight> m_highlights;
    uint64_t m_pruneCount = 0;
    int64_t m_prunedAtNs = 0; //< The time of the last prune.
    int32_t m_lifetimeSeconds = 0; //< That of the last prune.
    std::optional<int64_t> m_sweptAtNs; //< The time of the last erasing walk.
};

} // namespace tesh::vms_server_plugins::analytics::qv
