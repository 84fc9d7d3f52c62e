// Reference counting for the objects the host double hands to the library.
#pragma once

#include <atomic>

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::test {

namespace detail {

void hostObjectBorn();
void hostObjectDied();

} // namespace detail

/** Host objects alive in this process; lets a test see that the library let go of what it was lent. */
int liveHostObjectCount();

/**
 * Counts like the library's own objects (born with 1, deleted at 0, queries walk the interface's
 * levels) but never tells the library's registry: these objects belong to the host, and counting them
 * there would hide the library's own leaks.
 */
template<class Interface>
class HostObject: public Interface
{
public:
    HostObject(const HostObject&) = delete;
    HostObject& operator=(const HostObject&) = delete;

    sdk::IRefCountable* queryInterface(const char* id) const override
    {
        if (id == nullptr || !Interface::answersTo(id))
            return nullptr;
        addRef();
        return const_cast<HostObject*>(this);
    }

    int addRef() const override { return ++m_refCount; }

    int releaseRef() const override
    {
        const int newCount = --m_refCount;
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

} // namespace tesh::test
