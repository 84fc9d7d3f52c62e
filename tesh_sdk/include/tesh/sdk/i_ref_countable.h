// The root of every interface that crosses the host boundary, and the id scheme of its families.
#pragma once

#include <cstring>

namespace tesh::sdk {

/**
 * The ids that one level of an interface answers to. Ids are compared as whole texts, byte for byte.
 * Only the plug-in levels have a second id (the host knows them under two names).
 */
struct InterfaceId
{
    const char* id;
    const char* alternative = nullptr;

    bool matches(const char* candidate) const
    {
        return std::strcmp(id, candidate) == 0 || (alternative != nullptr && std::strcmp(alternative, candidate) == 0);
    }
};

/**
 * Slots: 0 destructor, 1 queryInterface, 2 addRef, 3 releaseRef.
 *
 * Slot 0 is an ordinary virtual destructor, so each compiler lays it out the way its platform's host
 * expects. The destructor is not public: objects die only through releaseRef.
 */
class IRefCountable
{
protected:
    // Declared before every other virtual member: the table follows declaration order.
    virtual ~IRefCountable() = default;

public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::IRefCountable"}; }

    /** The walk of queryInterface ends here; every level above answers first. */
    static bool answersTo(const char* id) { return interfaceId().matches(id); }

    /** @return This object with one new reference for the caller, or null when id is unknown. */
    virtual IRefCountable* queryInterface(const char* id) const = 0;

    /** @return The count after incrementing. */
    virtual int addRef() const = 0;

    /** @return The count after decrementing; 0 when this call deleted the object. */
    virtual int releaseRef() const = 0;

protected:
    /** Runs slot 0; for the reference-counting implementation, which alone decides when. */
    static void destroy(const IRefCountable* object) { delete object; }
};

/**
 * Binds an interface to its base and to the ids of its level. Every interface is declared as
 * `class IFoo: public Interface<IFoo, IBase>` and supplies `static constexpr InterfaceId interfaceId()`.
 */
template<class DerivedInterface, class BaseInterface = IRefCountable>
class Interface: public BaseInterface
{
public:
    using Base = BaseInterface;

    /** This level's ids first, then each base level down to the root. */
    static bool answersTo(const char* id)
    {
        return DerivedInterface::interfaceId().matches(id) || BaseInterface::answersTo(id);
    }

protected:
    ~Interface() override = default;
};

} // namespace tesh::sdk
