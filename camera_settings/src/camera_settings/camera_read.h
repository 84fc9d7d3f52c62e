// One read of the camera's configuration: the answer it builds for the host and the values the agent then knows.
#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include <tesh/sdk/helpers/ptr.h>
#include <tesh/sdk/helpers/settings_response.h>

#include "camera_link.h"
#include "known_values.h"

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * A full read blocks the host's call until it ends: 30 s lets a camera that serves one connection at a time at 20 ms
 * an answer (about 7 s for the whole configuration) be read several times over, and still ends the call.
 */
constexpr std::chrono::milliseconds kFullReadDeadline{30000};

/**
 * Failures of one kind in a row, before the camera has answered any request of the read, that show it as a whole at
 * fault. One time-out is enough: it already means the camera answered nothing for the whole request time-out, while
 * every request under way waits for the same; so a camera that never answers costs the read one time-out (two at
 * most, where a worker sent its next request just before the verdict).
 */
constexpr int kCameraFaultEvidence = 3;

/** Tries of one parameter whose request failed on its own once the camera answered the read; back-off in between. */
constexpr int kParameterTries = 3;
constexpr int kParameterBackOffMs = 50;

/**
 * Shared by the read's workers. No request is sent under its lock, so a slow camera holds up only its own
 * requests. Until the camera has answered one request of the read, the same fault of the camera as a whole (login
 * refused, unreachable, no answer in time) met several times in a row ends the read: every further request would
 * wait for it, and the host waits for the whole read. Once the camera answered, a failure is the parameter's own.
 */
class CameraRead
{
public:
    using Clock = std::chrono::steady_clock;

    CameraRead(const CameraLink& camera, KnownValues* knownValues, Clock::time_point deadline);

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

    /** Ended early for a fault of the camera as a whole, or out of time: the configuration must be read again. */
    bool cutShort() const;

    sdk::Ptr<sdk::SettingsResponse> response() const;

private:
    CameraRequestOutcome request(const std::string& path);
    CameraRequestOutcome requestOnce(const std::string& path);
    void noteFailure(CameraRequestFailure failure);

private:
    const CameraLink& m_camera;
    KnownValues* const m_knownValues;
    const Clock::time_point m_deadline;
    std::atomic<int> m_stopFailure; //< A CameraRequestFailure.
    std::atomic<bool> m_answered{false};
    mutable std::mutex m_mutex;
    int m_failuresInARow = 0;
    CameraRequestFailure m_lastFailure = CameraRequestFailure::none;
    std::map<std::string, std::string> m_values;
    std::map<std::string, std::string> m_errors;
};

/** The answer of a camera that reports something other than "NAME=VALUE" lines. */
inline constexpr char kUnreadableAnswer[] = "the camera's answer could not be read";

/** An answer without a line for the parameter asked for. */
inline constexpr char kParameterMissing[] = "the camera's answer does not name this setting's parameter";

} // namespace tesh::vms_server_plugins::analytics::qv
