#include "camera_link.h"

#include <utility>


namespace tesh::vms_server_plugins::analytics::qv {

CameraLink::CameraLink(std::string address, std::string login, std::string password, CameraRequestLimits limits):
    m_address(std::move(address)),
    m_login(std::move(login)),
    m_password(std::move(password)),
    m_limits(limits)
{}

bool CameraLink::read(const std::string& cameraName, std::string* body, CameraRequestFailure* failure) const
{
    return send(readPathOf(cameraName), body, failure);
}

bool CameraLink::write(const std::string& cameraName, const std::string& queryValue, std::string* body) const
{
    return send(writePathOf(cameraName, queryValue), body);
}

bool CameraLink::send(const std::string& path, std::string* body, CameraRequestFailure* failure) const
{
    return sendCameraRequest(path, m_login, m_password, m_address, body, m_limits, nullptr, failure);
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
