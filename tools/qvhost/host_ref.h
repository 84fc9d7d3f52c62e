// Holding one reference to a library or host object, released when the holder goes.
#pragma once

#include <utility>

namespace qvhost {

/** Adopts the reference a returned pointer carries; never adds one of its own. */
template<class Object>
class HostRef
{
public:
    HostRef() = default;
    explicit HostRef(Object* object): m_object(object) {}
    HostRef(HostRef&& other) noexcept: m_object(std::exchange(other.m_object, nullptr)) {}
    HostRef& operator=(HostRef&& other) noexcept
    {
        if (this != &other)
        {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
        }
        return *this;
    }
    HostRef(const HostRef&) = delete;
    HostRef& operator=(const HostRef&) = delete;
    ~HostRef() { reset(); }

    void reset()
    {
        if (m_object)
            std::exchange(m_object, nullptr)->releaseRef();
    }

    Object* get() const { return m_object; }
    Object* operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    Object* m_object = nullptr;
};

/** The object as Interface with a reference of its own, or empty when it does not answer to the id. */
template<class Interface, class Object>
HostRef<Interface> queryAs(const Object* object)
{
    if (!object)
        return {};
    return HostRef<Interface>(static_cast<Interface*>(object->queryInterface(Interface::interfaceId().id)));
}

} // namespace qvhost
