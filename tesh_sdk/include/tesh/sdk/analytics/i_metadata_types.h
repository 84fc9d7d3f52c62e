// The host's list of metadata types it wants from an agent; this plug-in ignores it.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk::analytics {

class IMetadataTypes: public Interface<IMetadataTypes>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IMetadataTypes"}; }
};

} // namespace tesh::sdk::analytics
