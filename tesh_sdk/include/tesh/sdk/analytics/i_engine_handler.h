// The host's handler of an engine; the engine only keeps a reference to it.
#pragma once

#include <tesh/sdk/i_ref_countable.h>

namespace tesh::sdk::analytics {

class IEngineHandler: public Interface<IEngineHandler>
{
public:
    static constexpr InterfaceId interfaceId() { return {"tesh::sdk::analytics::IEngine::IHandler"}; }
};

} // namespace tesh::sdk::analytics
