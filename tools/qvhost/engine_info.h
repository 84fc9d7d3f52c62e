// The server's name for the engine, which the engine puts in its log lines.
#pragma once

#include <tesh/sdk/analytics/i_engine_info.h>

#include "host_object.h"

namespace qvhost {

class EngineInfo: public HostObject<tesh::sdk::analytics::IEngineInfo>
{
public:
    const char* id() const override { return "qvhost-engine"; }
};

} // namespace qvhost
