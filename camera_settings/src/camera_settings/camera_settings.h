// Keeps the host's settings dialog and the camera's configuration in step: reads the camera when the dialog needs
// it, writes the user's changes back, and holds off re-reads while its own writes settle.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/settings_response.h>

#include "agent_settings_state.h"
#include "camera_link.h"
#include "frame_size.h"
#include "known_values.h"
#include "write_channel.h"

namespace tesh::vms_server_plugins::analytics::qv {

class CameraSettings
{
public:
    using Settings = std::map<std::string, std::string>;

    explicit CameraSettings(CameraLink camera);

    /**
     * Finishes the writes already accepted, each within the request time-out and all within kWriteFinishCap, so
     * that a change applied just before the camera is removed still reaches it; nothing is sent afterwards.
     */
    ~CameraSettings() = default;

    CameraSettings(const CameraSettings&) = delete;
    CameraSettings& operator=(const CameraSettings&) = delete;

    /**
     * The host delivered its settings (all of them, stored). The first delivery is answered with the camera's
     * configuration and writes nothing; a later one starts writing what changed and returns at once, with the
     * values that cannot be written and the writes that failed since the last delivery in its errors. A later
     * delivery that changes nothing while the configuration must be read again (the first read failed or was cut
     * short, the frame size or the camera's settings changed) is answered with the camera's configuration too.
     */
    sdk::Ptr<sdk::SettingsResponse> settingsReceived(const Settings& stored);

    /** The host opens the dialog: the figures, or everything once the camera's configuration may have changed. */
    sdk::Ptr<sdk::SettingsResponse> pluginSideSettings(const Settings& stored);

    /**
     * Every stored setting, at most kMaxCameraRequestsInFlight requests at once, within kFullReadDeadline; null
     * during a write hold-off. A read cut short leaves the configuration to be read again.
     */
    sdk::Ptr<sdk::SettingsResponse> readAllSettingsFromCamera(const Settings& stored);

    /** The 24 figures, quick variant. */
    sdk::Ptr<sdk::SettingsResponse> readFiguresFromCamera();

    /** A frame of a new width asks for a new read of the camera; a frame of an unusable size changes nothing. */
    void videoFrameReceived(int32_t width, int32_t height);

    /** The box delay follows the dialog's values, taken while the user turns its spin box. */
    void applyCalibration(const Settings& values);

    /**
     * The camera reported that its analytics settings changed, which it also does for our own writes: only a
     * report outside the write hold-off asks for a new read.
     */
    void cameraSettingsChanged();

    /** The fields the settings decide; the metadata passes read them, tests set them. */
    AgentSettingsState& state() { return m_state; }
    const AgentSettingsState& state() const { return m_state; }

    const std::string& cameraAddress() const { return m_camera.address(); }

private:
    using Changes = std::vector<std::pair<std::string, std::string>>;

    Changes takeChanges(const Settings& stored, sdk::SettingsResponse* response);
    void applyPluginSideChanges(Changes* changes);
    /**
     * Hands the changes to the camera's writes; a value that cannot be written goes to the errors of the delivery.
     * @return Whether anything was handed to the writes.
     */
    bool postWrites(const Changes& changes);
    void write(const WriteChannel::Job& job, const std::atomic<bool>& timeUp);
    void writeDropped(const WriteChannel::Job& job, bool replaced);
    void writeFailed(const std::string& name, const std::string& value, const std::string& reason);
    void reportWriteErrors(sdk::SettingsResponse* response);

private:
    const CameraLink m_camera;
    AgentSettingsState m_state;
    KnownValues m_knownValues;
    std::atomic<bool> m_settingsReceivedOnce{false};
    std::mutex m_writeErrorsMutex;
    /** Setting -> why its value was not written (refused, or its write failed), until a delivery reports it. */
    std::map<std::string, std::string> m_writeErrors;
    WriteChannel m_writes; //< Last: finished before anything its writes use goes.
};

} // namespace tesh::vms_server_plugins::analytics::qv
