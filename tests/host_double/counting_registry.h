// The registry through which tests see every library object created and destroyed.
#pragma once

#include <mutex>
#include <set>

#include <tesh/sdk/i_ref_countable_registry.h>

namespace tesh::test {

/** Safe to notify from any thread. */
class CountingRegistry: public sdk::IRefCountableRegistry
{
public:
    void notifyCreated(const sdk::IRefCountable* object, int refCount) override;
    void notifyDestroyed(const sdk::IRefCountable* object, int refCount) override;

    int liveCount() const;
    int createdCount() const;
    int destroyedCount() const;
    bool isLive(const sdk::IRefCountable* object) const;

    /** Destructions of objects that were not alive: a double delete, or a creation never reported. */
    int unknownDestroyedCount() const;

private:
    mutable std::mutex m_mutex;
    std::multiset<const sdk::IRefCountable*> m_live;
    int m_createdCount = 0;
    int m_destroyedCount = 0;
    int m_unknownDestroyedCount = 0;
};

/**
 * The process's one CountingRegistry, given to the library context on the first call. The context owns
 * it from then on and accepts no other, so every test reaches it through here.
 */
CountingRegistry& installedRegistry();

} // namespace tesh::test
