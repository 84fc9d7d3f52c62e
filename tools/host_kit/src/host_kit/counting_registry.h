// The registry a host gives the library context: it sees every ref-counted object the plug-in creates and destroys.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <unordered_set>
#include <vector>

#include <tesh/sdk/i_ref_countable_registry.h>

namespace host_kit {

/** What a registry keeps: each live object (for leak reports and double deletes), or only the counts. */
enum class RegistryDetail
{
    objects,
    counts,
};

/**
 * Safe to notify from any of the plug-in's threads. Owned by the library context once installed.
 *
 * A server with hundreds of cameras has every worker of the plug-in creating and destroying objects at once: the
 * live objects are kept in shards chosen by address, each a set with a lock of its own, so that notifications of
 * different threads seldom wait for each other.
 */
class CountingRegistry: public tesh::sdk::IRefCountableRegistry
{
public:
    explicit CountingRegistry(RegistryDetail detail = RegistryDetail::objects): m_detail(detail) {}

    void notifyCreated(const tesh::sdk::IRefCountable* object, int refCount) override;
    void notifyDestroyed(const tesh::sdk::IRefCountable* object, int refCount) override;

    int liveCount() const;
    int createdCount() const { return m_createdCount; }
    int destroyedCount() const { return m_destroyedCount; }
    /** Always false when only counts are kept. */
    bool isLive(const tesh::sdk::IRefCountable* object) const;

    /** Destructions of objects not alive (a double delete, or a creation never reported); 0 with counts only. */
    int unknownDestroyedCount() const { return m_unknownDestroyedCount; }

    /** Objects created and not yet destroyed, in address order; none when only counts are kept. */
    std::vector<const tesh::sdk::IRefCountable*> liveObjects() const;

private:
    struct Shard
    {
        mutable std::mutex mutex;
        std::unordered_multiset<const tesh::sdk::IRefCountable*> live;
    };

    static constexpr std::size_t kShardCount = 16;

    Shard& shardOf(const tesh::sdk::IRefCountable* object) const;

private:
    const RegistryDetail m_detail;
    mutable std::array<Shard, kShardCount> m_shards;
    std::atomic<int> m_createdCount{0};
    std::atomic<int> m_destroyedCount{0};
    std::atomic<int> m_unknownDestroyedCount{0};
};

} // namespace host_kit
