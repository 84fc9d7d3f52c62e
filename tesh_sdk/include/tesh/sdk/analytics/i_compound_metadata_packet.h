// A metadata packet holding a list of items with one time span.
#pragma once

#include <cstdint>

#include <tesh/sdk/analytics/i_metadata.h>
#include <tesh/sdk/analytics/i_metadata_packet.h>

namespace tesh::sdk::analytics {

class ICompoundMetadataPacket: public Interface<ICompoundMetadataPacket, IMetadataPacket>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::ICompoundMetadataPacket"}; }

    /** Slot 5: microseconds. */
    virtual int64_t durationUs() const = 0;

    /** Slot 6. */
    virtual int count() const = 0;

    /** Slot 7. @return The index-th item with a new reference, or null when out of range. */
    virtual const IMetadata* at(int index) const = 0;
};

} // namespace tesh::sdk::analytics
