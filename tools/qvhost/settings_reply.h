// What the plug-in answered to one delivery of settings, copied out of its settings response.
#pragma once

#include <map>
#include <string>

namespace qvhost {

using SettingValues = std::map<std::string, std::string>;

struct SettingsReply
{
    SettingValues values; //< The camera's values as the plug-in reports them; empty without a response.
    SettingValues errors; //< Name -> reason for every setting the plug-in could not take or read.
    std::string error; //< The call's own error, empty on success.
};

} // namespace qvhost
