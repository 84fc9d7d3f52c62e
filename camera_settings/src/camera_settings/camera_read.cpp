// One read of the camera's configuration: the answer it builds for the host and the values the agent then knows.
#include "camera_read.h"

#include <thread>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

/** The faults of the camera as a whole rather than of one parameter. */
bool isCameraWide(CameraRequestFailure failure)
{
    return failure == CameraRequestFailure::unreachable || failure == CameraRequestFailure::timedOut
        || failure == CameraRequestFailure::loginRefused;
}

/** What may go better at the next try: not a status the camera chose for this parameter, nor our own refusal. */
bool isWorthAnotherTry(const CameraRequestOutcome& outcome)
{
    if (outcome.failure == CameraRequestFailure::errorStatus)
        return outcome.status >= 500;
    return isCameraWide(outcome.failure) || outcome.failure == CameraRequestFailure::noAnswer;
}

} // namespace

CameraRead::CameraRead(const CameraLink& camera, KnownValues* knownValues, Clock::time_point deadline):
    m_camera(camera),
    m_knownValues(knownValues),
    m_deadline(deadline),
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
        fail(setting, dialogReasonOf(outcome));
    return outcome;
}

CameraRequestOutcome CameraRead::readPart(const std::string& cameraName)
{
    return request(readPathOf(cameraName));
}

CameraRequestOutcome CameraRead::request(const std::string& path)
{
    for (int attempt = 1;; ++attempt)
    {
        CameraRequestOutcome outcome = requestOnce(path);
        if (outcome.answered() || !m_answered || !isWorthAnotherTry(outcome) || attempt >= kParameterTries)
            return outcome;
        std::this_thread::sleep_for(std::chrono::milliseconds(kParameterBackOffMs * attempt));
    }
}

CameraRequestOutcome CameraRead::requestOnce(const std::string& path)
{
    const auto stopFailure = static_cast<CameraRequestFailure>(m_stopFailure.load());
    if (stopFailure != CameraRequestFailure::none)
        return CameraRequestOutcome::failed(
            stopFailure, "not sent: earlier requests of this read found the camera at fault");
    if (Clock::now() >= m_deadline)
    {
        m_stopFailure = static_cast<int>(CameraRequestFailure::outOfTime);
        return CameraRequestOutcome::failed(CameraRequestFailure::outOfTime, "not sent: the read ran out of time");
    }
    CameraRequestOutcome outcome = m_camera.send(path);
    // An error status is the camera's answer about one parameter; a refused login is no answer at all.
    if (outcome.status != 0 && outcome.failure != CameraRequestFailure::loginRefused)
        m_answered = true;
    else
        noteFailure(outcome.failure);
    return outcome;
}

void CameraRead::noteFailure(CameraRequestFailure failure)
{
    if (m_answered || !isCameraWide(failure))
        return;
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_failuresInARow = failure == m_lastFailure ? m_failuresInARow + 1 : 1;
    m_lastFailure = failure;
    const int evidence = failure == CameraRequestFailure::timedOut ? 1 : kCameraFaultEvidence;
    if (m_failuresInARow >= evidence && !m_answered)
        m_stopFailure = static_cast<int>(failure);
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

bool CameraRead::cutShort() const
{
    return m_stopFailure != static_cast<int>(CameraRequestFailure::none);
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
