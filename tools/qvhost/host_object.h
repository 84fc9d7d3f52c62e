// Reference counting for the objects qvhost lends to the plug-in, as the server counts its own.
#pragma once

#include <atomic>

#include <tesh/sdk/i_ref_countable.h>

namespace qvhost {

/** Born with one reference, deleted at zero; answers every id of its interface's levels. */
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

    int addRef() const override { return m_refCount.fetch_add(1, std::memory_order_relaxed) + 1; }

    int releaseRef() const override
    {
        // Acquire-release, so that whoever deletes sees every write made under the other references.
        const int newCount = m_refCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (newCount == 0)
            delete this;
        return newCount;
    }

protected:
    HostObject() = default;
    ~HostObject() override = default;

private:
    mutable std::atomic<int> m_refCount{1};
};

} // namespace qvhost
