// Reference counting and interface queries for every object the plug-in creates.
#pragma once

#include <utility>

#include <tesh/sdk/helpers/ref_count_holder.h>
#include <tesh/sdk/i_ref_countable_registry.h>

namespace tesh::sdk {

namespace detail {

/** Tells the library's registry, if one is set, of a new object. @return The registry told, or null. */
IRefCountableRegistry* notifyCreated(const IRefCountable* object, int refCount);

/** Tells the registry of the object's end, only if it is still the one told of its creation. */
void notifyDestroyed(IRefCountableRegistry* registryOfCreation, const IRefCountable* object, int refCount);

} // namespace detail

/**
 * Implements slots 1 to 3 of Interface and of every older interface it derives from: an object
 * answers to the ids of all levels of its interface, most derived first, and to IRefCountable.
 * Born with a count of 1, owned by its creator.
 */
template<class Interface>
class RefCountable: public Interface
{
public:
    RefCountable(const RefCountable&) = delete;
    RefCountable& operator=(const RefCountable&) = delete;

    IRefCountable* queryInterface(const char* id) const override
    {
        if (id == nullptr || !Interface::answersTo(id))
            return nullptr;
        addRef();
        return const_cast<RefCountable*>(this);
    }

    int addRef() const override { return m_refCountHolder.addRef(); }

    int releaseRef() const override
    {
        const auto [newCount, ownerToDelete] = m_refCountHolder.releaseRef();
        if (ownerToDelete)
            IRefCountable::destroy(ownerToDelete);
        return newCount;
    }

    int refCount() const { return m_refCountHolder.refCount(); }

    RefCountHolder& refCountHolder() { return m_refCountHolder; }
    const RefCountHolder& refCountHolder() const { return m_refCountHolder; }

protected:
    RefCountable(): m_registryOfCreation(detail::notifyCreated(this, m_refCountHolder.refCount())) {}

    ~RefCountable() override { detail::notifyDestroyed(m_registryOfCreation, this, m_refCountHolder.refCount()); }

private:
    RefCountHolder m_refCountHolder{this};
    IRefCountableRegistry* const m_registryOfCreation;
};

} // namespace tesh::sdk
