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

/** The requests that put one value on the camera, or why none can. */
struct WritePlan
{
    std::vector<std::string> paths; //< In sending order.
    std::string refusal; //< Not empty where the value cannot go to the camera: for the host's dialog.

    bool operator==(const WritePlan& other) const { return paths == other.paths && refusal == other.refusal; }
};

/** A value with a line end, NUL or other control character: the camera could never give it back. */
inline constexpr char kControlCharacterRefusal[] = "the camera cannot keep a value with control characters";

/** A figure that is not one: too few points, or points that are not two numbers each. */
inline constexpr char kFigureRefusal[]
    = "the figure cannot be sent: a region needs at least 3 points and a line 2, each of two numbers";

/**
 * Every request the value needs, in sending order: nothing for a name the camera does not have or that could carry
 * request parameters of its own, and nothing for an object-size value that cannot be taken apart; a refusal for a
 * value the camera cannot keep and for a figure that cannot be drawn. Also applies the display type to the agent's
 * flags.
 */
WritePlan writePlanFor(AgentSettingsState* state, const std::string& name, std::string value);

} // namespace tesh::vms_server_plugins::analytics::qv
