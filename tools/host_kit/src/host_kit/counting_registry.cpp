// The registry a host gives the library context: it sees every ref-counted object the plug-in creates and destroys.
#include "counting_registry.h"

#include <algorithm>
#include <cstdint>

namespace host_kit {

CountingRegistry::Shard& CountingRegistry::shardOf(const tesh::sdk::IRefCountable* object) const
{
    // The low bits of an address repeat with the allocator's alignment; the bits above them vary.
    const auto address = reinterpret_cast<std::uintptr_t>(object);
    return m_shards[(address >> 6) % kShardCount];
}

void CountingRegistry::notifyCreated(const tesh::sdk::IRefCountable* object, int /*refCount*/)
{
    ++m_createdCount;
    if (m_detail == RegistryDetail::counts)
        return;
    Shard& shard = shardOf(object);
    const std::lock_guard<std::mutex> lock(shard.mutex);
    shard.live.insert(object);
}

void CountingRegistry::notifyDestroyed(const tesh::sdk::IRefCountable* object, int /*refCount*/)
{
    ++m_destroyedCount;
    if (m_detail == RegistryDetail::counts)
        return;
    Shard& shard = shardOf(object);
    const std::lock_guard<std::mutex> lock(shard.mutex);
    const auto found = shard.live.find(object);
    if (found == shard.live.end())
    {
        ++m_unknownDestroyedCount;
        return;
    }
    shard.live.erase(found);
}

int CountingRegistry::liveCount() const
{
    if (m_detail == RegistryDetail::counts)
        return m_createdCount - m_destroyedCount;
    std::size_t count = 0;
    for (const Shard& shard: m_shards)
    {
        const std::lock_guard<std::mutex> lock(shard.mutex);
        count += shard.live.size();
    }
    return static_cast<int>(count);
}

bool CountingRegistry::isLive(const tesh::sdk::IRefCountable* object) const
{
    const Shard& shard = shardOf(object);
    const std::lock_guard<std::mutex> lock(shard.mutex);
    return shard.live.count(object) > 0;
}

std::vector<const tesh::sdk::IRefCountable*> CountingRegistry::liveObjects() const
{
    std::vector<const tesh::sdk::IRefCountable*> objects;
    for (const Shard& shard: m_shards)
    {
        const std::lock_guard<std::mutex> lock(shard.mutex);
        objects.insert(objects.end(), shard.live.begin(), shard.live.end());
    }
    std::sort(objects.begin(), objects.end());
    return objects;
}

} // namespace host_kit
