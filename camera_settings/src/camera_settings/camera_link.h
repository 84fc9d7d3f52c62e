// The camera of one agent: where it is, how to log in, and the two kinds of request the settings send it.
#pragma once

#include <string>

#include "camera_request.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** Prefix of every camera read; the parameter names follow as "NAME=&". */
inline constexpr char kReadParamPath[] = "ReadParam?action=readparam&";

/** Prefix of every camera write; the parameters follow as "NAME=VALUE&". */
inline constexpr char kWriteParamPath[] = "WriteParam?action=writeparam&";

class CameraLink
{
public:
    CameraLink(std::string address, std::string login, std::string password, CameraRequestLimits limits = {});

    /** ReadParam of one camera parameter. */
    CameraRequestOutcome read(const std::string& cameraName) const;

    /** WriteParam of one camera parameter, with the value already in its query form. */
    CameraRequestOutcome write(const std::string& cameraName, const std::string& queryValue) const;

    /** Any path below "/httpapi/", sent as it is. */
    CameraRequestOutcome send(const std::string& path) const;

    const std::string& address() const { return m_address; }

private:
    const std::string m_address;
    const std::string m_login;
    const std::string m_password;
    const CameraRequestLimits m_limits;
};

/** "ReadParam?action=readparam&" + name + "=&". */
std::string readPathOf(const std::string& cameraName);

/** "WriteParam?action=writeparam&" + name + "=" + value + "&". */
std::string writePathOf(const std::string& cameraName, const std::string& queryValue);

} // namespace tesh::vms_server_plugins::analytics::qv
