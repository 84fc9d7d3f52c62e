// Anything the host pushes to a device agent, and every metadata packet handed back.
#pragma once

#include <cstdint>

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk::analytics {

class IDataPacket: public Interface<IDataPacket>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IDataPacket"}; }

    /** Slot 4: microseconds. */
    virtual int64_t timestampUs() const = 0;
};

} // namespace tesh::sdk::analytics
