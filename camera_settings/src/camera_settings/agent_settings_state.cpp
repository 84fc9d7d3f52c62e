// Which display flag of the camera's fields a display setting names.
#include "agent_settings_state.h"

namespace tesh::vms_server_plugins::analytics::qv {

std::atomic<int32_t>* displayTypeFlagOf(AgentSettingsState* state, std::string_view name)
{
    if (name.find("DISPLAY_TYPE") == std::string_view::npos)
        return nullptr;
    if (name.find("PERSON") != std::string_view::npos)
        return &state->personDisplayType;
    if (name.find("BICYCLE") != std::string_view::npos)
        return &state->bicycleDisplayType;
    if (name.find("CAR") != std::string_view::npos)
        return &state->carDisplayType;
    return nullptr;
}

} // namespace tesh::vms_server_plugins::analytics::qv
