// Objects named by a recent behaviour event, which the object conversion draws in red.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace tesh::vms_server_plugins::analytics::qv {

/** Has a lock of its own: in one pass the event conversion records while the object conversion looks up. */
class BehaviorHighlights
{
public:
    BehaviorHighlights();

    /** Inserts the object, or renews its time. */
    void record(int32_t objectId, int64_t nowNs);

    bool contains(int32_t objectId) const;

    /** Removes every entry whose age in whole seconds has reached lifetimeSeconds (all of them for 0). */
    void prune(int32_t lifetimeSeconds, int64_t nowNs);

    std::size_t size() const;

private:
    struct Highlight
    {
        int32_t objectId;
        int64_t timeNs;
    };

    mutable std::mutex m_mutex;
    std::unordered_map<int32_t, Highlight> m_highlights;
};

} // namespace tesh::vms_server_plugins::analytics::qv
