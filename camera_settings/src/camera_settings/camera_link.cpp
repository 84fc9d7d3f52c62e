// The camera of one agent: where it is, how to log in, and the two kinds of request the settings send it.
#include "camera_link.h"

#include <utility>

namespace tesh::vms_server_plugins::analytics::qv {

CameraLink::CameraLink(std::string address, std::string login, std::string password, CameraRequestLimits limits):
    m_address(std::move(address)),
    m_login(std::move(login)),
    m_password(std::move(password)),
    m_limits(limits)
{}

CameraRequestOutcome CameraLink::read(const std::string& cameraName) const
{
    return send(readPathOf(cameraName));
}

CameraRequestOutcome CameraLink::write(const std::string& cameraName, const std::string& queryValue) const
{
    return send(writePathOf(cameraName, queryValue));
}

CameraRequestOutcome CameraLink::send(const std::string& path) const
{
    return sendCameraRequest(path, m_login, m_password, m_address, m_limits);
}

std::string readPathOf(const std::string& cameraName)
{
    return std::string(kReadParamPath) + cameraName + "=&";
}

std::string writePathOf(const std::string& cameraName, const std::string& queryValue)
{
    return std::string(kWriteParamPath) + cameraName + "=" + queryValue + "&";
}

} // namespace tesh::vms_server_plugins::analytics::qv
