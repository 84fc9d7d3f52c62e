// One event reported by the camera, in the three versions the host knows.
#pragma once

#include <tesh/sdk/analytics/i_metadata.h>
#include <tesh/sdk/uuid.h>

namespace tesh::sdk::analytics {

class IEventMetadata0: public Interface<IEventMetadata0, IMetadata>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IEventMetadata"}; }

    /** Slot 8. */
    virtual const char* caption() const = 0;

    /** Slot 9. */
    virtual const char* description() const = 0;

    /** Slot 10. */
    virtual bool isActive() const = 0;
};

class IEventMetadata1: public Interface<IEventMetadata1, IEventMetadata0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IEventMetadata1"}; }

    /** Slot 11. */
    virtual void getTrackId(Uuid* outValue) const = 0;
};

class IEventMetadata: public Interface<IEventMetadata, IEventMetadata1>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IEventMetadata2"}; }

    /** Slot 12. */
    virtual const char* auxiliaryText() const = 0;
};

} // namespace tesh::sdk::analytics
