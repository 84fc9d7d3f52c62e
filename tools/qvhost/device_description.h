// The server's description of the camera under test, as the user names it on the command line.
#pragma once

#include <string>

namespace qvhost {

struct DeviceDescription
{
    std::string id = "qvhost-camera-1";
    std::string vendor;
    std::string model;
    std::string url;
    std::string login;
    std::string password;
};

} // namespace qvhost
