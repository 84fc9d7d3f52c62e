// The host's receiver of the metadata packets an agent produces.
#pragma once

#include <tesh/sdk/analytics/i_metadata_packet.h>

namespace tesh::sdk::analytics {

class IDeviceAgentHandler: public Interface<IDeviceAgentHandler>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IDeviceAgent::IHandler"}; }

    /**
     * Slot 4. Called from the agent's worker threads, one call at a time; takes its own reference
     * when it keeps the packet, and must not call back into the agent.
     */
    virtual void handleMetadata(IMetadataPacket* metadataPacket) = 0;
};

} // namespace tesh::sdk::analytics
