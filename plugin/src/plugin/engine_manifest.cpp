// The engine manifest: the stream the agents consume and the settings model.
#include "engine_manifest.h"

#include <camera_settings/settings_model.h>

namespace tesh::vms_server_plugins::analytics::qv {

/** Indent of the serialised text: for people reading it, the host ignores whitespace. */
constexpr int kIndent = 4;

std::string engineManifest()
{
    const nlohmann::ordered_json manifest = {
        // The agents read the camera's metadata stream, which the host delivers as custom metadata packets.
        {"streamTypeFilter", "metadata"},
        {"preferredStream", "secondary"},
        {"deviceAgentSettingsModel", settingsModel()},
    };
    return manifest.dump(kIndent) + "\n";
}

} // namespace tesh::vms_server_plugins::analytics::qv
