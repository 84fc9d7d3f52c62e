// The registry a host gives the library context: it sees every ref-counted object the plug-in creates and destroys.
#include "counting_registry.h"

namespace host_kit {

void CountingRegistry::notifyCreated(const tesh::sdk::IRefCountable* object, int /*refCount*/)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_live.insert(object);
    ++m_createdCount;
}

void CountingRegistry::notifyDestroyed(const tesh::sdk::IRefCountable* object, int /*refCount*/)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    ++m_destroyedCount;
    const auto found = m_live.find(object);
    if (found == m_live.end())
    {
        ++m_unknownDestroyedCount;
        return;
    }
    m_live.erase(found);
}

int CountingRegistry::liveCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_live.size());
}

int CountingRegistry::createdCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_createdCount;
}

int CountingRegistry::destroyedCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_destroyedCount;
}

bool CountingRegistry::isLive(const tesh::sdk::IRefCountable* object) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_live.count(object) > 0;
}

int CountingRegistry::unknownDestroyedCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_unknownDestroyedCount;
}

std::vector<const tesh::sdk::IRefCountable*> CountingRegistry::liveObjects() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return {m_live.begin(), m_live.end()};
}

} // namespace host_kit
