// A reference-counted ordered map of texts: settings values, action parameters.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk {

class IStringMap: public Interface<IStringMap>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::IStringMap"}; }

    /** Slot 4. */
    virtual int count() const = 0;

    /** Slot 5. @return The key of the index-th pair in key order, or null when out of range. */
    virtual const char* key(int index) const = 0;

    // Microsoft's ABI puts overloads in reverse order of declaration, so the host's slot 6 is declared last. Linux
    // (Itanium) follows declaration order: value(int) comes before value(const char*) there.

    /** Slot 7. @return The value of the index-th pair in key order, or null when out of range. */
    virtual const char* value(int index) const = 0;

    /** Slot 6. @return The value stored under key, or null when key is null or absent. */
    virtual const char* value(const char* key) const = 0;
};

} // namespace tesh::sdk
