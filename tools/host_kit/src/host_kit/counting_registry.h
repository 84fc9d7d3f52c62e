// The registry a host gives the library context: it sees every ref-counted object the plug-in creates and destroys.
#pragma once

#include <mutex>
#include <set>
#include <vector>

#include <tesh/sdk/i_ref_countable_registry.h>

namespace host_kit {

/** Safe to notify from any of the plug-in's threads. Owned by the library context once installed. */
class CountingRegistry: public tesh::sdk::IRefCountableRegistry
{
public:
    void notifyCreated(const tesh::sdk::IRefCountable* object, int refCount) override;
    void notifyDestroyed(const tesh::sdk::IRefCountable* object, int refCount) override;

    int liveCount() const;
    int createdCount() const;
    int destroyedCount() const;
    bool isLive(const tesh::sdk::IRefCountable* object) const;

    /** Destructions of objects that were not alive: a double delete, or a creation never reported. */
    int unknownDestroyedCount() const;

    /** Objects created and not yet destroyed, in address order. */
    std::vector<const tesh::sdk::IRefCountable*> liveObjects() const;

private:
    mutable std::mutex m_mutex;
    std::multiset<const tesh::sdk::IRefCountable*> m_live;
    int m_createdCount = 0;
    int m_destroyedCount = 0;
    int m_unknownDestroyedCount = 0;
};

} // namespace host_kit
