// The manifest the engine gives the host: which stream the agents want, and the per-camera settings model.
#pragma once

#include <string>

namespace tesh::vms_server_plugins::analytics::qv {

/** The manifest as JSON text ending in one line break. */
std::string engineManifest();

} // namespace tesh::vms_server_plugins::analytics::qv
