// The smart reference through which the plug-in holds host and plug-in objects.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace tesh::sdk {

/**
 * Owns exactly one reference. Constructing from a raw pointer adopts the reference the pointer
 * carries; copying adds one. Use adopt() for an object you were handed with a reference (a new
 * object, a slot that returns "with a new reference") and share() for one that is only borrowed:
 *
 *     auto text = adopt(new String("x"));         // right: the new object's one reference moves in
 *     auto text = share(new String("x"));         // wrong: count 2, one reference leaks
 *     auto handler = share(borrowedHandler);      // right: the caller keeps its own reference
 */
template<class RefCountableType>
class Ptr
{
public:
    Ptr() = default;
    Ptr(std::nullptr_t) {}

    explicit Ptr(RefCountableType* ptr): m_ptr(ptr) {}

    Ptr(const Ptr& other): m_ptr(other.m_ptr) { addRef(); }

    template<class Other>
    Ptr(const Ptr<Other>& other): m_ptr(other.get())
    {
        addRef();
    }

    Ptr(Ptr&& other) noexcept: m_ptr(other.releasePtr()) {}

    template<class Other>
    Ptr(Ptr<Other>&& other) noexcept: m_ptr(other.releasePtr())
    {}

    ~Ptr() { releaseRef(); }

    /** Takes the new reference before letting go of the old one, so self-assignment is safe. */
    Ptr& operator=(const Ptr& other)
    {
        Ptr copy(other);
        swap(copy);
        return *this;
    }

    Ptr& operator=(Ptr&& other) noexcept
    {
        Ptr moved(std::move(other));
        swap(moved);
        return *this;
    }

    Ptr& operator=(std::nullptr_t)
    {
        reset();
        return *this;
    }

    void reset()
    {
        releaseRef();
        m_ptr = nullptr;
    }

    /** Gives the reference up to the caller, e.g. to hand the object to the host; dropping it leaks the object. */
    [[nodiscard]] RefCountableType* releasePtr()
    {
        RefCountableType* const ptr = m_ptr;
        m_ptr = nullptr;
        return ptr;
    }

    void swap(Ptr& other) noexcept { std::swap(m_ptr, other.m_ptr); }

    RefCountableType* get() const { return m_ptr; }
    RefCountableType* operator->() const { return m_ptr; }
    RefCountableType& operator*() const { return *m_ptr; }
    explicit operator bool() const { return m_ptr != nullptr; }

    template<class Other>
    bool operator==(const Ptr<Other>& other) const
    {
        return m_ptr == other.get();
    }

    template<class Other>
    bool operator!=(const Ptr<Other>& other) const
    {
        return m_ptr != other.get();
    }

private:
    void addRef() const
    {
        if (m_ptr)
            m_ptr->addRef();
    }

    void releaseRef() const
    {
        if (m_ptr)
            m_ptr->releaseRef();
    }

private:
    RefCountableType* m_ptr = nullptr;
};

/** Takes over the reference that ptr carries. */
template<class RefCountableType>
Ptr<RefCountableType> adopt(RefCountableType* ptr)
{
    return Ptr<RefCountableType>(ptr);
}

/** Adds a reference of its own to a borrowed object. */
template<class RefCountableType>
Ptr<RefCountableType> share(RefCountableType* ptr)
{
    if (ptr)
        ptr->addRef();
    return Ptr<RefCountableType>(ptr);
}

/** The index-th object of a list with a new reference for the caller, or null when index is out of range. */
template<class RefCountableType>
RefCountableType* shareAt(const std::vector<Ptr<RefCountableType>>& list, int index)
{
    if (index < 0 || static_cast<size_t>(index) >= list.size())
        return nullptr;
    return share(list[static_cast<size_t>(index)].get()).releasePtr();
}

template<class RefCountableType, typename... Args>
Ptr<RefCountableType> makePtr(Args&&... args)
{
    return Ptr<RefCountableType>(new RefCountableType(std::forward<Args>(args)...));
}

/** The object as Interface with a new reference, or null when it does not answer to the interface's id. */
template<class Interface, class Object>
Ptr<Interface> queryInterface(const Object* object)
{
    if (!object)
        return nullptr;
    return adopt(static_cast<Interface*>(object->queryInterface(Interface::interfaceId().id)));
}

template<class Interface, class Object>
Ptr<Interface> queryInterface(const Ptr<Object>& object)
{
    return queryInterface<Interface>(object.get());
}

} // namespace tesh::sdk
