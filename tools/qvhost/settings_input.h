// Setting values an integrator gives qvhost: JSON files of NAME -> VALUE and NAME=VALUE assignments.
#pragma once

#include <string>
#include <vector>

#include "settings_reply.h"

namespace qvhost {

/** A JSON object's values in the host's text form. Throws HostError (bad use) when the file is unusable. */
SettingValues readSettingsFile(const std::string& path);

/** "NAME=VALUE" pairs, the value taken as it is (it may hold "="). Throws HostError on a text without a name. */
SettingValues parseAssignments(const std::vector<std::string>& assignments);

/** Throws HostError naming the first setting the model does not have; source says where it came from. */
void requireKnownNames(const SettingValues& values, const SettingValues& model, const std::string& source);

/** Base with every pair of overrides put over it. */
SettingValues overridden(SettingValues base, const SettingValues& overrides);

} // namespace qvhost
