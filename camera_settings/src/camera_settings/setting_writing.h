// The requests that put one of the host's setting values on the camera.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "agent_settings_state.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Sets the class's display flag from a "..._DISPLAY_TYPE" value, and makes any value other than "0" a "1". Other
 * names are left alone.
 */
void applyClassDisplayType(AgentSettingsState* state, const std::string& name, std::string* value);

/** The eight line counters are reset one by one. */
std::vector<std::string> resetAllLineCountsPaths();

/**
 * Every request the value needs, in sending order: nothing for a name the camera does not have or that could carry
 * request parameters of its own, and nothing for a figure or object-size value that cannot be taken apart. Also
 * applies the display type to the agent's flags.
 */
std::vector<std::string> writePathsFor(AgentSettingsState* state, const std::string& name, std::string value);

} // namespace tesh::vms_server_plugins::analytics::qv
