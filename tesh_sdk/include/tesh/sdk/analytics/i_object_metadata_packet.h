// A packet of detected objects.
#pragma once

#include <tesh/sdk/analytics/i_compound_metadata_packet.h>

namespace tesh::sdk::analytics {

class IObjectMetadataPacket0: public Interface<IObjectMetadataPacket0, ICompoundMetadataPacket>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IObjectMetadataPacket"}; }
};

class IObjectMetadataPacket: public Interface<IObjectMetadataPacket, IObjectMetadataPacket0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IObjectMetadataPacket1"}; }

    /** Slot 8. */
    virtual int auxiliaryValue() const = 0;
};

} // namespace tesh::sdk::analytics
