// The host's packet of camera metadata: here one XML document of the camera's metadata stream.
#pragma once

#include <tesh/sdk/analytics/i_data_packet.h>

namespace tesh::sdk::analytics {

class ICustomMetadataPacket: public Interface<ICustomMetadataPacket, IDataPacket>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::ICustomMetadataPacket"}; }

    /** Slot 5: the host's name of the metadata format; not used by this plug-in. */
    virtual const char* codec() const = 0;

    /** Slot 6: the bytes of the document, readable during the call. */
    virtual const char* data() const = 0;

    /** Slot 7. */
    virtual int dataSize() const = 0;
};

} // namespace tesh::sdk::analytics
