// One read of the camera's configuration: the answer it builds for the host and the values the agent then knows.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/settings_response.h>

#include "camera_link.h"
#include "known_values.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Shared by the read's workers. No request is sent under its lock, so a slow camera holds up only its own
 * requests. Once the camera refuses the login, cannot be reached or does not answer in time, the rest of the read
 * is not sent: every further request would wait for the same fault, and the host waits for the whole read.
 */
class CameraRead
{
public:
    CameraRead(const CameraLink& camera, KnownValues* knownValues);

    /** Reads one camera parameter for the setting; a failure is recorded as the setting's error. */
    CameraRequestOutcome read(const std::string& setting, const std::string& cameraName);

    /** Like read(), for a path of its own. */
    CameraRequestOutcome send(const std::string& setting, const std::string& path);

    /** A part of a setting that may be missing (a figure's switches): a failure is not the setting's error. */
    CameraRequestOutcome readPart(const std::string& cameraName);

    /** Writes a switch that the read found at odds with its setting, without looking at the answer. */
    void write(const std::string& cameraName, const std::string& queryValue);

    /** The value goes to the host and becomes the known one. */
    void store(const std::string& setting, const std::string& value);

    /** The value becomes the known one without going to the host. */
    void remember(const std::string& setting, const std::string& value);

    /** The setting stays out of the values; the host keeps its own and shows the reason. */
    void fail(const std::string& setting, const std::string& reason);

    sdk::Ptr<sdk::SettingsResponse> response() const;

private:
    CameraRequestOutcome request(const std::string& path);

private:
    const CameraLink& m_camera;
    KnownValues* const m_knownValues;
    std::atomic<int> m_stopFailure; //< A CameraRequestFailure.
    mutable std::mutex m_mutex;
    std::map<std::string, std::string> m_values;
    std::map<std::string, std::string> m_errors;
};

/** The answer of a camera that reports something other than "NAME=VALUE" lines. */
inline constexpr char kUnreadableAnswer[] = "the camera's answer could not be read";

} // namespace tesh::vms_server_plugins::analytics::qv
