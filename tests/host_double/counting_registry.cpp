// The registry through which tests see every library object created and destroyed.
#include "counting_registry.h"

#include <cstdio>
#include <cstdlib>

#include <tesh/sdk/helpers/lib_context.h>

namespace tesh::test {

void CountingRegistry::notifyCreated(const sdk::IRefCountable* object, int /*refCount*/)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_live.insert(object);
    ++m_createdCount;
}

void CountingRegistry::notifyDestroyed(const sdk::IRefCountable* object, int /*refCount*/)
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

bool CountingRegistry::isLive(const sdk::IRefCountable* object) const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_live.count(object) > 0;
}

int CountingRegistry::unknownDestroyedCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_unknownDestroyedCount;
}

namespace {

CountingRegistry* install()
{
    sdk::LibContext& context = sdk::libContext();
    auto* const registry = new CountingRegistry();
    context.setRefCountableRegistry(registry);
    if (context.refCountableRegistry() == registry)
        return registry;

    // Refused, so still ours; a registry that is not a CountingRegistry makes every count meaningless.
    delete registry;
    auto* const existing = dynamic_cast<CountingRegistry*>(context.refCountableRegistry());
    if (!existing)
    {
        std::fprintf(stderr, "installedRegistry(): the library context already has a foreign registry\n");
        std::abort();
    }
    return existing;
}

} // namespace

CountingRegistry& installedRegistry()
{
    static CountingRegistry* const registry = install();
    return *registry;
}

} // namespace tesh::test
