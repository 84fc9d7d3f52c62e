// A packet of events.
#pragma once

#include <tesh/sdk/analytics/i_compound_metadata_packet.h>

namespace tesh::sdk::analytics {

class IEventMetadataPacket0: public Interface<IEventMetadataPacket0, ICompoundMetadataPacket>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IEventMetadataPacket"}; }
};

class IEventMetadataPacket: public Interface<IEventMetadataPacket, IEventMetadataPacket0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IEventMetadataPacket1"}; }

    /** Slot 8. */
    virtual int auxiliaryValue() const = 0;
};

} // namespace tesh::sdk::analytics
