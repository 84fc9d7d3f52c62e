// A packet of events, stamped with a time and a duration.
#pragma once

#include <tesh/sdk/analytics/helpers/compound_metadata_packet.h>
#include <tesh/sdk/analytics/i_event_metadata.h>
#include <tesh/sdk/analytics/i_event_metadata_packet.h>

namespace tesh::sdk::analytics {

class EventMetadataPacket: public CompoundMetadataPacket<IEventMetadataPacket, IEventMetadata>
{
public:
    EventMetadataPacket() = default;

    /** Adds a reference of its own; a null item is reported and not added. */
    void addItem(const IEventMetadata* eventMetadata);

protected:
    ~EventMetadataPacket() override = default;
};

} // namespace tesh::sdk::analytics
