// Counting the plug-in's objects as they are created and destroyed.
#include "counting_registry.h"

namespace qvhost {

void CountingRegistry::notifyCreated(const tesh::sdk::IRefCountable* object, int /*refCount*/)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_live.insert(object);
    ++m_createdCount;
}

void CountingRegistry::notifyDestroyed(const tesh::sdk::IRefCountable* object, int /*refCount*/)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto found = m_live.find(object);
    if (found != m_live.end())
        m_live.erase(found);
}

int CountingRegistry::createdCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_createdCount;
}

std::vector<const tesh::sdk::IRefCountable*> CountingRegistry::liveObjects() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return {m_live.begin(), m_live.end()};
}

} // namespace qvhost
