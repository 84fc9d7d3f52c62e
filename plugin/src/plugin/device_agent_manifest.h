// The manifest every device agent gives the host: the types it produces and the type library that describes them.
#pragma once

#include <string>

namespace tesh::vms_server_plugins::analytics::qv {

/** The manifest as JSON text ending in one line break; built on the first call, the same object on every call. */
const std::string& deviceAgentManifest();

} // namespace tesh::vms_server_plugins::analytics::qv
