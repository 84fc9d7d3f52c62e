// The host's compressed video frame; the plug-in reads only its size.
#pragma once

#include <tesh/sdk/analytics/i_data_packet.h>

namespace tesh::sdk::analytics {

/** Slots 5 to 9 belong to the host and are not used by this plug-in. */
class ICompressedVideoPacket0: public Interface<ICompressedVideoPacket0, IDataPacket>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::ICompressedVideoPacket"}; }

    /** Slot 5. */
    virtual const char* codec() const = 0;

    /** Slot 6. */
    virtual const char* data() const = 0;

    /** Slot 7. */
    virtual int dataSize() const = 0;

    /** Slot 8. */
    virtual const IRefCountable* context() const = 0;

    /** Slot 9. */
    virtual int flags() const = 0;
};

class ICompressedVideoPacket: public Interface<ICompressedVideoPacket, ICompressedVideoPacket0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::ICompressedVideoPacket1"}; }

    /** Slot 10: pixels. */
    virtual int width() const = 0;

    /** Slot 11: pixels. */
    virtual int height() const = 0;
};

} // namespace tesh::sdk::analytics
