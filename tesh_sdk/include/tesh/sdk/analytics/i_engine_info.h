// The host's description of the engine it created.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk::analytics {

class IEngineInfo: public Interface<IEngineInfo>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IEngineInfo"}; }

    /** Slot 4: the host's id of the engine, used in log prefixes. */
    virtual const char* id() const = 0;
};

} // namespace tesh::sdk::analytics
