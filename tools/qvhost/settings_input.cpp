// Reading and checking the setting values given on the command line.
#include "settings_input.h"

#include <fstream>

#include "host_error.h"
#include "setting_text.h"

namespace qvhost {

SettingValues readSettingsFile(const std::string& path)
{
    std::ifstream file(path);
    if (!file)
        throw HostError(kBadUse, "cannot read '" + path + "'");
    const OrderedJson json = OrderedJson::parse(file, nullptr, false);
    if (json.is_discarded() || !json.is_object())
        throw HostError(kBadUse, "'" + path + "' holds no JSON object of setting names and values");
    SettingValues values;
    for (const auto& [name, value]: json.items())
        values[name] = settingText(value);
    return values;
}

SettingValues parseAssignments(const std::vector<std::string>& assignments)
{
    SettingValues values;
    for (const std::string& assignment: assignments)
    {
        const auto equals = assignment.find('=');
        if (equals == std::string::npos || equals == 0)
            throw HostError(kBadUse, "--set needs NAME=VALUE, not '" + assignment + "'");
        values[assignment.substr(0, equals)] = assignment.substr(equals + 1);
    }
    return values;
}

void requireKnownNames(const SettingValues& values, const SettingValues& model, const std::string& source)
{
    for (const auto& pair: values)
    {
        if (model.count(pair.first) == 0)
            throw HostError(kBadUse, source + ": the settings model has no setting '" + pair.first + "'");
    }
}

SettingValues overridden(SettingValues base, const SettingValues& overrides)
{
    for (const auto& [name, value]: overrides)
        base[name] = value;
    return base;
}

} // namespace qvhost
