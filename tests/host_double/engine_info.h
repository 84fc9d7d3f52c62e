// The host's description of the engine it created: the host kit's.
#pragma once

#include <host_kit/engine_info.h>

namespace tesh::test {

using host_kit::EngineInfo;

} // namespace tesh::test
