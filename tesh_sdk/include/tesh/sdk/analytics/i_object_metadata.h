// One detected object in one frame.
#pragma once

#include <tesh/sdk/analytics/i_metadata.h>
#include <tesh/sdk/analytics/rect.h>
#include <tesh/sdk/uuid.h>

namespace tesh::sdk::analytics {

class IObjectMetadata: public Interface<IObjectMetadata, IMetadata>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IObjectMetadata"}; }

    /** Slot 8. */
    virtual void getTrackId(Uuid* outValue) const = 0;

    /** Slot 9. */
    virtual const char* auxiliaryText() const = 0;

    /** Slot 10. */
    virtual void getBoundingBox(Rect* outValue) const = 0;
};

} // namespace tesh::sdk::analytics
