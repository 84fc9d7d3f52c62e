// The host's handler of an engine: the engine only holds a reference to it.
#pragma once

#include <host_double/host_object.h>
#include <tesh/sdk/analytics/i_engine_handler.h>

namespace tesh::test {

class EngineHandler: public HostObject<sdk::analytics::IEngineHandler>
{};

} // namespace tesh::test
