// The part shared by every metadata item: type, confidence and attributes.
#pragma once

#include <tesh/sdk/i_attribute.h>

namespace tesh::sdk::analytics {

class IMetadata: public Interface<IMetadata>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IMetadata"}; }

    /** Slot 4. */
    virtual const char* typeId() const = 0;

    /** Slot 5. */
    virtual float confidence() const = 0;

    /** Slot 6. @return The index-th attribute with a new reference, or null when out of range. */
    virtual const IAttribute* attribute(int index) const = 0;

    /** Slot 7. */
    virtual int attributeCount() const = 0;
};

} // namespace tesh::sdk::analytics
