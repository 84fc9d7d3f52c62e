// The host's decoded video frame; the plug-in accepts it and reads nothing but its time.
#pragma once

#include <tesh/sdk/analytics/i_data_packet.h>

namespace tesh::sdk::analytics {

class IUncompressedVideoFrame0: public Interface<IUncompressedVideoFrame0, IDataPacket>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IUncompressedVideoFrame"}; }
};

class IUncompressedVideoFrame: public Interface<IUncompressedVideoFrame, IUncompressedVideoFrame0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IUncompressedVideoFrame1"}; }
};

} // namespace tesh::sdk::analytics
