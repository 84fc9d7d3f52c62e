// `qvhost settings`: one settings cycle as the server's dialog drives it, against a real or a simulated camera.
#pragma once

#include <string>
#include <vector>

#include "device_description.h"
#include "host_command.h"

namespace qvhost {

struct SettingsOptions
{
    /** Without a URL, qvhost's own simulated camera, with the simulator's user and password. */
    DeviceDescription device{"qvhost-camera-1", "Quorvane", "RMTL-5200", "", "admin", "admin"};
    std::string cameraAddress = "127.0.0.2";
    std::string cameraParameters;
    std::string valuesFile;
    std::vector<std::string> assignments;
    std::string changesFile;
    bool json = false;
    bool differencesOnly = false;
};

/** @return The exit status: 0, or kLeaked when the plug-in left objects behind. Throws HostError on bad use. */
int runSettings(const CommonOptions& common, const SettingsOptions& options);

} // namespace qvhost
