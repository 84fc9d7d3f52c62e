// A data packet that carries metadata toward the host.
#pragma once

#include <tesh/sdk/analytics/i_data_packet.h>

namespace tesh::sdk::analytics {

/** No slots of its own. */
class IMetadataPacket: public Interface<IMetadataPacket, IDataPacket>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IMetadataPacket"}; }
};

} // namespace tesh::sdk::analytics
