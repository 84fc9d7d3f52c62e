// The host's information on the track an action was started on; only passed along.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk::analytics {

class IObjectTrackInfo: public Interface<IObjectTrackInfo>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IObjectTrackInfo"}; }
};

} // namespace tesh::sdk::analytics
