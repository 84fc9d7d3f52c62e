#include "camera_read.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

/** A fault of the camera as a whole rather than of one parameter. */
bool stopsTheRead(CameraRequestFailure failure)
{
    return failure == CameraRequestFailure::unreachable || failure == CameraRequestFailure::timedOut
        || failure == CameraRequestFailure::loginRefused;
}

} // namespace

CameraRead::CameraRead(const CameraLink& camera, KnownValues* knownValues):
    m_camera(camera), m_knownValues(knownValues), m_stopFailure(static_cast<int>(CameraRequestFailure::none))
{}

bool CameraRead::read(const std::string& setting, const std::string& cameraName, std::string* body)
{
    return send(setting, readPathOf(cameraName), body);
}

bool CameraRead::send(const std::string& setting, const std::string& path, std::string* body)
{
    const CameraRequestFailure failure = request(path, body);
    if (failure == CameraRequestFailure::none)
        return true;
    fail(setting, reasonOf(failure));
    return false;
}

bool CameraRead::readPart(const std::string& cameraName, std::string* body)
{
    return request(readPathOf(cameraName), body) == CameraRequestFailure::none;
}

CameraRequestFailure CameraRead::request(const std::string& path, std::string* body)
{
    const auto stopFailure = static_cast<CameraRequestFailure>(m_stopFailure.load());
    if (stopFailure != CameraRequestFailure::none)
        return stopFailure;
    CameraRequestFailure failure = CameraRequestFailure::none;
    if (!m_camera.send(path, body, &failure) && stopsTheRead(failure))
        m_stopFailure = static_cast<int>(failure);
    return failure;
}

void CameraRead::write(const std::string& cameraName, const std::string& queryValue)
{
    std::string answer;
    m_camera.write(cameraName, queryValue, &answer);
}

void CameraRead::store(const std::string& setting, const std::string& value)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_values[setting] = value;
        m_errors.erase(setting);
    }
    m_knownValues->set(setting, value);
}

void CameraRead::remember(const std::string& setting, const std::string& value)
{
    m_knownValues->set(setting, value);
}

void CameraRead::fail(const std::string& setting, const std::string& reason)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_values.count(setting) == 0)
        m_errors.emplace(setting, reason);
}

sdk::Ptr<sdk::SettingsResponse> CameraRead::response() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    auto response = sdk::makePtr<sdk::SettingsResponse>();
    for (const auto& [name, value]: m_values)
        response->setValue(name, value);
    for (const auto& [name, reason]: m_errors)
        response->setError(name, reason);
    return response;
}

} // namespace tesh::vms_server_plugins::analytics::qv
