// The camera of one agent: where it is, how to log in, the connections kept to it, and the two kinds of request the
// settings send it.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camera_request.h"
#include "request_gate.h"

namespace tesh::vms_server_plugins::analytics::qv {

/** Prefix of every camera read; the parameter names follow as "NAME=&". */
inline constexpr char kReadParamPath[] = "ReadParam?action=readparam&";

/** Prefix of every camera write; the parameters follow as "NAME=VALUE&". */
inline constexpr char kWriteParamPath[] = "WriteParam?action=writeparam&";

/**
 * Tries of one request whose connection the camera reset or closed unanswered: each lowers the requests at once by
 * one, so from the full bound even a camera that serves one connection has taken it by the last try.
 */
constexpr int kTurnedAwayTries = kMaxCameraRequestsInFlight + 2;

/** Waited before the n-th new try of a turned-away request: n times this, so the requests still served can end. */
constexpr int kTurnedAwayBackOffMs = 10;

/**
 * Safe to use from many threads at once. At most kMaxCameraRequestsInFlight requests are under way, fewer while the
 * camera turns connections away; each runs on a handle of its own, and idle handles are kept for the next requests.
 */
class CameraLink
{
public:
    CameraLink(std::string address, std::string login, std::string password, CameraRequestLimits limits = {});
    ~CameraLink();
    CameraLink(CameraLink&&) noexcept;
    CameraLink& operator=(CameraLink&&) = delete;
    CameraLink(const CameraLink&) = delete;
    CameraLink& operator=(const CameraLink&) = delete;

    /** ReadParam of one camera parameter. */
    CameraRequestOutcome read(const std::string& cameraName) const;

    /** WriteParam of one camera parameter, with the value already in its query form. */
    CameraRequestOutcome write(const std::string& cameraName, const std::string& queryValue) const;

    /**
     * Any path below "/httpapi/", sent as it is. A connection the camera turned away is tried again, up to
     * kTurnedAwayTries in all: one reset or closed without an answer, and one refused while the camera serves
     * other requests of ours or has answered this link before (a camera that is off refuses every one of them).
     */
    CameraRequestOutcome send(const std::string& path) const;

    const std::string& address() const { return m_address; }

    /** The requests allowed at once now. */
    int requestsAtOnce() const;

private:
    struct Connections;

    /** @param turnedAway Set where the camera turned the connection away. */
    CameraRequestOutcome sendOnce(const std::string& path, bool* turnedAway) const;

    const std::string m_address;
    const std::string m_login;
    const std::string m_password;
    const CameraRequestLimits m_limits;
    std::unique_ptr<Connections> m_connections;
};

/** "ReadParam?action=readparam&" + name + "=&". */
std::string readPathOf(const std::string& cameraName);

/** "WriteParam?action=writeparam&" + name + "=" + value + "&". */
std::string writePathOf(const std::string& cameraName, const std::string& queryValue);

} // namespace tesh::vms_server_plugins::analytics::qv
