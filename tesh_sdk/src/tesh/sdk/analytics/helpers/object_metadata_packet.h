// A packet of detected objects, stamped with a time and a duration.
#pragma once

#include <tesh/sdk/analytics/helpers/compound_metadata_packet.h>
#include <tesh/sdk/analytics/i_object_metadata.h>
#include <tesh/sdk/analytics/i_object_metadata_packet.h>

namespace tesh::sdk::analytics {

class ObjectMetadataPacket: public CompoundMetadataPacket<IObjectMetadataPacket, IObjectMetadata>
{
public:
    ObjectMetadataPacket() = default;

    /** Adds a reference of its own; a null item is reported and not added. */
    void addItem(const IObjectMetadata* objectMetadata);

protected:
    ~ObjectMetadataPacket() override = default;
};

} // namespace tesh::sdk::analytics
