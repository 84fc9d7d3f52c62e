// Keeps the host's settings dialog and the camera's configuration in step: reads the camera when the dialog needs
// it, writes the user's changes back, and holds off re-reads while its own writes settle.
#include "camera_settings.h"

#include "plugin_side_settings.h"

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

CameraSettings::CameraSettings(CameraLink camera): m_camera(std::move(camera)) {}

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
    for (const std::string& name: resetSettings())
    {
        response->setValue(name, "false");
        m_knownValues.set(name, "false");
    }
    applyPluginSideChanges(&changes);
    if (!changes.empty())
        startWriters(std::move(changes));
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
    CameraRead read(m_camera, &m_knownValues);
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
    return read.response();
}

sdk::Ptr<sdk::SettingsResponse> CameraSettings::readFiguresFromCamera()
{
    CameraRead read(m_camera, &m_knownValues);
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

void CameraSettings::startWriters(Changes changes)
{
    const bool started = m_writers.start([this, changes](const std::atomic<bool>& stopping) {
        runBounded(changes.size(), kMaxCameraRequestsInFlight,
            [&](std::size_t i) { applySettingToCamera(changes[i].first, changes[i].second, stopping); });
    });
    if (!started)
    {
        for (const auto& [name, value]: changes)
            writeFailed(name, value);
    }
}

void CameraSettings::applySettingToCamera(
    const std::string& name, const std::string& value, const std::atomic<bool>& stopping)
{
    try
    {
        startWriteHoldOff();
        bool written = true;
        for (const std::string& path: writePathsFor(&m_state, name, value))
        {
            if (stopping)
                return;
            // Only whether it arrived counts: the camera's answer to a write says nothing we act on.
            written = m_camera.send(path).answered() && written;
        }
        if (!written)
            writeFailed(name, value);
    }
    catch (const std::exception&)
    {
        writeFailed(name, value);
    }
}

/** Tried again at the next delivery, and the dialog reads the camera again to show what it really holds. */
void CameraSettings::writeFailed(const std::string& name, const std::string& value)
{
    m_knownValues.forget(name, value);
    m_state.refreshPending = true;
}

/** Only a hold-off that starts clears a refresh: a write failing during it asks for one that must stand. */
void CameraSettings::startWriteHoldOff()
{
    if (m_state.writeHoldOff.start())
        m_state.refreshPending = false;
}

} // namespace tesh::vms_server_plugins::analytics::qv
