// One read of the camera's configuration: the answer it builds for the host and the values the agent then knows.
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
    m_camera(camera),
    m_knownValues(knownValues),
    m_stopFailure(static_cast<int>(CameraRequestFailure::none))
{}

CameraRequestOutcome CameraRead::read(const std::string& setting, const std::string& cameraName)
{
    return send(setting, readPathOf(cameraName));
}

CameraRequestOutcome CameraRead::send(const std::string& setting, const std::string& path)
{
    CameraRequestOutcome outcome = request(path);
    if (!outcome.answered())
        fail(setting, reasonOf(outcome.failure));
    return outcome;
}

CameraRequestOutcome CameraRead::readPart(const std::string& cameraName)
{
    return request(readPathOf(cameraName));
}

CameraRequestOutcome CameraRead::request(const std::string& path)
{
    const auto stopFailure = static_cast<CameraRequestFailure>(m_stopFailure.load());
    if (stopFailure != CameraRequestFailure::none)
        return CameraRequestOutcome::failed(
            stopFailure, "not sent: an earlier request of this read found the camera at fault");
    CameraRequestOutcome outcome = m_camera.send(path);
    if (stopsTheRead(outcome.failure))
        m_stopFailure = static_cast<int>(outcome.failure);
    return outcome;
}

void CameraRead::write(const std::string& cameraName, const std::string& queryValue)
{
    // Discarded on purpose: a failed write changes nothing the read reports, and every later full read finds the
    // switch at odds again and writes it once more.
    static_cast<void>(m_camera.write(cameraName, queryValue));
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
