// A named value attached to an object, best shot or event.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk {

class IAttribute: public Interface<IAttribute>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::IAttribute"}; }

    /** Slot 4: the host's attribute type enumeration. */
    virtual int type() const = 0;

    /** Slot 5. */
    virtual const char* name() const = 0;

    /** Slot 6. */
    virtual const char* value() const = 0;

    /** Slot 7. */
    virtual float confidence() const = 0;
};

} // namespace tesh::sdk
