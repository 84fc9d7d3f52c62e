// The registry qvhost gives the library context: it sees every ref-counted object the plug-in makes and destroys.
#pragma once

#include <set>
#include <mutex>
#include <vector>

#include <tesh/sdk/i_ref_countable_registry.h>

namespace qvhost {

/** Notified from any of the plug-in's threads. Owned by the library context once installed. */
class CountingRegistry: public tesh::sdk::IRefCountableRegistry
{
public:
    void notifyCreated(const tesh::sdk::IRefCountable* object, int refCount) override;
    void notifyDestroyed(const tesh::sdk::IRefCountable* object, int refCount) override;

    int createdCount() const;

    /** Objects created and not yet destroyed. */
    std::vector<const tesh::sdk::IRefCountable*> liveObjects() const;

private:
    mutable std::mutex m_mutex;
    std::multiset<const tesh::sdk::IRefCountable*> m_live;
    int m_createdCount = 0;
};

} // namespace qvhost
