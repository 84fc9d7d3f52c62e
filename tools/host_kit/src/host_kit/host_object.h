// Reference counting for the objects a host lends to the plug-in, as the server counts its own.
#pragma once

#include <atomic>

#include <tesh/sdk/i_ref_countable.h>

namespace host_kit {

namespace detail {

void hostObjectBorn();
void hostObjectDied();

} // namespace detail

/** Host objects alive in this process; lets the host see that the plug-in let go of what it was lent. */
int liveHostObjectCount();

/**
 * Counts like the library's own objects (born with 1, deleted at 0, queries walk the interface's levels) but
 * never tells the library's registry: these objects belong to the host, and counting them there would hide the
 * library's own leaks.
 */
template<class Interface>
class HostObject: public Interface
{
public:
    HostObject(const HostObject&) = delete;
    HostObject& operator=(const HostObject&) = delete;

    tesh::sdk::IRefCountable* queryInterface(const char* id) const override
    {
        if (id == nullptr || !Interface::answersTo(id))
            return nullptr;
        addRef();
        return const_cast<HostObject*>(this);
    }

    // A new reference is taken through one already held, so the increment orders nothing.
    int addRef() const override { return m_refCount.fetch_add(1, std::memory_order_relaxed) + 1; }

    int releaseRef() const override
    {
        // Acquire-release, so that whoever deletes sees every write made under the other references.
        const int newCount = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (newCount == 0)
            delete this;
        return newCount;
    }

    int refCount() const { return m_refCount.load(); }

protected:
    HostObject() { detail::hostObjectBorn(); }
    ~HostObject() override { detail::hostObjectDied(); }

private:
    mutable std::atomic<int> m_refCount{1};
};

} // namespace host_kit
