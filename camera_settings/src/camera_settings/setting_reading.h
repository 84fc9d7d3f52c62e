// Reading one setting from the camera into the host's form of its value.
#pragma once

#include <optional>
#include <string>

#include "agent_settings_state.h"
#include "camera_read.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * The host's value of a plain setting from the camera's value, or nothing where the host keeps its own. A
 * "..._DISPLAY_TYPE" answer also sets the class's display flag.
 */
std::optional<std::string> hostValueOf(
    const std::string& name, const std::string& cameraValue, AgentSettingsState* state);

/**
 * Reads the setting into the read's response and the known values. The box delay and the highlight time act in
 * the plug-in and are taken from the stored value; names the camera does not have, or that could carry request
 * parameters of their own, are not read.
 */
void readSettingFromCamera(
    CameraRead* read, AgentSettingsState* state, const std::string& name, const std::string& value);

} // namespace tesh::vms_server_plugins::analytics::qv
