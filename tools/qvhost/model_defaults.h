// The values the host holds for a camera before anybody changed them, read off the engine manifest's settings model.
#pragma once

#include <string>

#include "settings_reply.h"

namespace qvhost {

/**
 * Every setting of the manifest's "deviceAgentSettingsModel" with its "defaultValue" in the host's text form (empty
 * when there is none); "#" in the names of a repeater's template stands for the instances 1 to the repeater's "count".
 * Throws HostError when the manifest carries no model.
 */
SettingValues modelDefaults(const std::string& engineManifest);

} // namespace qvhost
