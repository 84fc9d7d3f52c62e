// The values the host holds for a camera before anybody changed them: the model's defaults, every repeated setting
// expanded to its numbered instances.
#pragma once

#include <map>
#include <string>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Name -> default value as the host delivers it: texts as they are, switches "true"/"false", numbers in decimal,
 * objects as JSON text, and an empty text for a setting without a default (the figures).
 */
std::map<std::string, std::string> settingsDefaults();

} // namespace tesh::vms_server_plugins::analytics::qv
