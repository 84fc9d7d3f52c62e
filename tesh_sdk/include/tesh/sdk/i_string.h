// A reference-counted text handed across the boundary.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk {

class IString: public Interface<IString>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::IString"}; }

    /** Slot 4. @return NUL-terminated text, valid while the object lives. */
    virtual const char* str() const = 0;
};

} // namespace tesh::sdk
