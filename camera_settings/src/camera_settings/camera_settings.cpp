// Keeps the host's settings dialog and the camera's configuration in step: reads the camera when the dialog needs
// it, writes the user's changes back, and holds off re-reads while its own writes settle.
#include "camera_settings.h"

#include "plugin_side_settings.h"

#include "answer_parsing.h"
#include "bounded_parallel.h"
#include "camera_read.h"
#include "figure_reading.h"
#include "setting_reading.h"
#include "setting_writing.h"

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

constexpr char kObjectDetectionSetting[] = "AIX_OBJECT_DETECTION_ENABLE";
constexpr char kResetAllSetting[] = "AIX_LINE_COUNT_RESET_ALL";
constexpr char kResetSettingPrefix[] = "AIX_LINE_COUNT_RESET";
constexpr int kFigureCount = 8;
constexpr const char* kFigureBases[] = {"AIX_REGION_POSITION", "AIX_EXCLUDE_REGION_POSITION", "AIX_LINE_POSITION"};

/** The momentary switches, always shown unticked after a delivery. */
std::vector<std::string> resetSettings()
{
    std::vector<std::string> names = {kResetAllSetting};
    for (int k = 1; k <= kFigureCount; ++k)
        names.push_back(kResetSettingPrefix + std::to_string(k));
    return names;
}

} // namespace

CameraSettings::CameraSettings(CameraLink camera):
    m_camera(std::move(camera)),
    m_writes(
        kMaxCameraRequestsInFlight,
        [this](const WriteChannel::Job& job, const std::atomic<bool>& timeUp) { write(job, timeUp); },
        [this](const WriteChannel::Job& job, bool replaced) { writeDropped(job, replaced); })
{}

sdk::Ptr<sdk::SettingsResponse> CameraSettings::settingsReceived(const Settings& stored)
{
    if (!m_settingsReceivedOnce.exchange(true))
    {
        m_state.refreshPending = true;
        m_knownValues.replace(stored);
        return readAllSettingsFromCamera(stored);
    }
    auto response = sdk::makePtr<sdk::SettingsResponse>();
    Changes changes = takeChanges(stored, response.get());
    applyPluginSideChanges(&changes);
    const bool writing = postWrites(changes);
    // A read while our own writes settle would show them half done; the refresh waits for a quiet delivery.
    if (!writing && m_state.refreshPending && !m_state.writeHoldOff.isActive())
    {
        if (sdk::Ptr<sdk::SettingsResponse> read = readAllSettingsFromCamera(stored))
            response = std::move(read);
    }
    for (const std::string& name: resetSettings())
    {
        response->setValue(name, "false");
        m_knownValues.set(name, "false");
    }
    reportWriteErrors(response.get());
    return response;
}

sdk::Ptr<sdk::SettingsResponse> CameraSettings::pluginSideSettings(const Settings& stored)
{
    if (m_settingsReceivedOnce && m_state.refreshPending)
        return readAllSettingsFromCamera(stored);
    return readFiguresFromCamera();
}

sdk::Ptr<sdk::SettingsResponse> CameraSettings::readAllSettingsFromCamera(const Settings& stored)
{
    // Cleared only by a read that happens, so that a refresh asked for during a hold-off is still done after it.
    if (m_state.writeHoldOff.isActive())
        return {};
    m_state.refreshPending = false;
    CameraRead read(m_camera, &m_knownValues, CameraRead::Clock::now() + kFullReadDeadline);
    const std::vector<std::pair<std::string, std::string>> settings(stored.begin(), stored.end());
    runBounded(settings.size(), kMaxCameraRequestsInFlight, [&](std::size_t i) {
        const auto& [name, value] = settings[i];
        try
        {
            readSettingFromCamera(&read, &m_state, name, value);
        }
        catch (const std::exception&)
        {
            read.fail(name, "the plug-in ran out of resources while reading this setting");
        }
    });
    if (read.cutShort())
        m_state.refreshPending = true;
    return read.response();
}

sdk::Ptr<sdk::SettingsResponse> CameraSettings::readFiguresFromCamera()
{
    CameraRead read(m_camera, &m_knownValues, CameraRead::Clock::now() + kFullReadDeadline);
    constexpr std::size_t kBaseCount = std::size(kFigureBases);
    runBounded(kBaseCount * kFigureCount, kMaxCameraRequestsInFlight, [&](std::size_t i) {
        const char* const base = kFigureBases[i / kFigureCount];
        const int cameraIndex = static_cast<int>(i % kFigureCount);
        try
        {
            readFigureQuick(&read, base, cameraIndex);
        }
        catch (const std::exception&)
        {
            read.fail(
                base + std::to_string(cameraIndex + 1), "the plug-in ran out of resources while reading this setting");
        }
    });
    return read.response();
}

void CameraSettings::videoFrameReceived(int32_t width, int32_t height)
{
    // The figures on the camera are kept in thousandths of this size, so a new size means a new read.
    if (!isUsableFrameSize(width, height))
        return;
    if (width != m_state.frameSize.load().width)
    {
        m_state.frameSize.store({width, height});
        m_state.refreshPending = true;
    }
}

void CameraSettings::applyCalibration(const Settings& values)
{
    const auto calibration = values.find(kCalibrationSetting);
    if (calibration == values.end())
        return;
    if (const std::optional<int32_t> calibrationUs = calibrationUsOf(calibration->second))
        m_state.timestampCalibration = *calibrationUs;
}

void CameraSettings::cameraSettingsChanged()
{
    if (!m_state.writeHoldOff.isActive())
        m_state.refreshPending = true;
}

/** Records the delivered values; stops after switching object detection on, as the camera restarts its analytics. */
CameraSettings::Changes CameraSettings::takeChanges(const Settings& stored, sdk::SettingsResponse* response)
{
    Changes changes;
    if (m_knownValues.empty())
        return changes;
    for (const auto& [name, value]: stored)
    {
        if (!m_knownValues.change(name, value))
            continue;
        changes.emplace_back(name, value);
        if (name == kObjectDetectionSetting && value == "true")
        {
            response->setValue(name, "false");
            m_knownValues.set(name, "false");
            break;
        }
    }
    return changes;
}

/**
 * The box delay and the highlight time never reach the camera: they take effect here, before the call returns,
 * rather than on a writer. A value outside the dialog's range keeps the field as it is.
 */
void CameraSettings::applyPluginSideChanges(Changes* changes)
{
    for (auto change = changes->begin(); change != changes->end();)
    {
        const auto& [name, value] = *change;
        if (name == kCalibrationSetting)
        {
            if (const std::optional<int32_t> calibrationUs = calibrationUsOf(value))
                m_state.timestampCalibration = *calibrationUs;
        }
        else if (name == kHighlightSetting)
        {
            if (const std::optional<int32_t> seconds = highlightSecondsOf(value))
                m_state.highlightSeconds = *seconds;
        }
        else
        {
            ++change;
            continue;
        }
        change = changes->erase(change);
    }
}

bool CameraSettings::postWrites(const Changes& changes)
{
    bool posted = false;
    for (const auto& [name, value]: changes)
    {
        WritePlan plan = writePlanFor(&m_state, name, value);
        if (!plan.refusal.empty())
        {
            // Not known as written: the same value delivered again is refused again, so the dialog keeps saying why.
            m_knownValues.forget(name, value);
            const std::lock_guard<std::mutex> lock(m_writeErrorsMutex);
            m_writeErrors[name] = plan.refusal;
            continue;
        }
        if (plan.paths.empty())
            continue;
        m_state.writeHoldOff.writeStarted();
        m_writes.post({name, value, std::move(plan.paths)});
        posted = true;
    }
    return posted;
}

/** A write counts only where every request of it was answered with the camera's "Ok". */
void CameraSettings::write(const WriteChannel::Job& job, const std::atomic<bool>& timeUp)
{
    std::string failure;
    bool changedTheCamera = false;
    try
    {
        for (const std::string& path: job.paths)
        {
            if (timeUp)
            {
                failure = "not written: the agent was released first";
                break;
            }
            const CameraRequestOutcome outcome = m_camera.send(path);
            if (!outcome.answered())
                failure = dialogReasonOf(outcome);
            else if (!isWriteAccepted(outcome.body))
                failure = "the camera refused the value";
            else
                changedTheCamera = true;
        }
    }
    catch (const std::exception&)
    {
        failure = "the plug-in ran out of resources while writing this setting";
    }
    if (failure.empty())
    {
        const std::lock_guard<std::mutex> lock(m_writeErrorsMutex);
        m_writeErrors.erase(job.name);
    }
    else
    {
        writeFailed(job.name, job.value, failure);
    }
    // A camera that took none of it changed nothing it could report.
    m_state.writeHoldOff.writeFinished(changedTheCamera ? WriteHoldOff::kDuration : std::chrono::nanoseconds(0));
}

/** A value replaced by a newer one is not a failure: the newer one is written in its place. */
void CameraSettings::writeDropped(const WriteChannel::Job& job, bool replaced)
{
    if (!replaced)
        writeFailed(job.name, job.value, "not written: the agent was released first");
    m_state.writeHoldOff.writeFinished(std::chrono::nanoseconds(0));
}

/**
 * Tried again at the next delivery, which also reports why, and the camera's configuration is read again so the
 * dialog shows what the camera really holds.
 */
void CameraSettings::writeFailed(const std::string& name, const std::string& value, const std::string& reason)
{
    m_knownValues.forget(name, value);
    {
        const std::lock_guard<std::mutex> lock(m_writeErrorsMutex);
        m_writeErrors[name] = reason;
    }
    m_state.refreshPending = true;
}

void CameraSettings::reportWriteErrors(sdk::SettingsResponse* response)
{
    std::map<std::string, std::string> errors;
    {
        const std::lock_guard<std::mutex> lock(m_writeErrorsMutex);
        errors.swap(m_writeErrors);
    }
    for (const auto& [name, reason]: errors)
        response->setError(name, reason);
}

} // namespace tesh::vms_server_plugins::analytics::qv
