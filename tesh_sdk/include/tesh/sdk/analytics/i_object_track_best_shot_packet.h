// The best shot of one object track: a box on a frame, or an image reference.
#pragma once

#include <cstdint>

#include <tesh/sdk/analytics/i_metadata_packet.h>
#include <tesh/sdk/analytics/rect.h>
#include <tesh/sdk/i_attribute.h>
#include <tesh/sdk/uuid.h>

namespace tesh::sdk::analytics {

class IObjectTrackBestShotPacket0: public Interface<IObjectTrackBestShotPacket0, IMetadataPacket>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IObjectTrackBestShotPacket"}; }

    /** Slot 5. */
    virtual void getTrackId(Uuid* outValue) const = 0;

    /** Slot 6. */
    virtual void getBoundingBox(Rect* outValue) const = 0;
};

class IObjectTrackBestShotPacket1: public Interface<IObjectTrackBestShotPacket1, IObjectTrackBestShotPacket0>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IObjectTrackBestShotPacket1"}; }

    /** Slot 7. */
    virtual const char* imageUrl() const = 0;

    /** Slot 8. @return The first image byte, or null when there are none. */
    virtual const char* imageData() const = 0;

    /** Slot 9. */
    virtual int imageDataSize() const = 0;

    /** Slot 10. */
    virtual const char* imageDataFormat() const = 0;
};

class IObjectTrackBestShotPacket: public Interface<IObjectTrackBestShotPacket, IObjectTrackBestShotPacket1>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IObjectTrackBestShotPacket2"}; }

    /** Slot 11. @return The index-th attribute with a new reference, or null when out of range. */
    virtual const IAttribute* attribute(int index) const = 0;

    /** Slot 12. */
    virtual int attributeCount() const = 0;

    /** Slot 13. */
    virtual int auxiliaryValue() const = 0;
};

} // namespace tesh::sdk::analytics
