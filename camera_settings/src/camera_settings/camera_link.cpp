// The camera of one agent: where it is, how to log in, the connections kept to it, and the two kinds of request the
// settings send it.
#include "camera_link.h"

#include <chrono>
#include <thread>
#include <utility>

namespace tesh::vms_server_plugins::analytics::qv {

/** The gate and the idle handles; one lock for the handles, a handle in use belongs to its thread alone. */
struct CameraLink::Connections
{
    RequestGate gate{kMaxCameraRequestsInFlight};
    std::mutex mutex;
    std::vector<std::unique_ptr<CameraConnection>> idle; //< The most recently used last.
    int handles = 0; //< Idle and in use.
    std::atomic<bool> answeredOnce{false};

    std::unique_ptr<CameraConnection> take()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (!idle.empty())
            {
                // The most recently used one still has its connection most likely.
                std::unique_ptr<CameraConnection> connection = std::move(idle.back());
                idle.pop_back();
                return connection;
            }
        }
        auto connection = std::make_unique<CameraConnection>();
        const std::lock_guard<std::mutex> lock(mutex);
        ++handles;
        return connection;
    }

    /** A camera that serves few connections must not meet more idle ones of ours than it serves at once. */
    void giveBack(std::unique_ptr<CameraConnection> connection)
    {
        const int limit = gate.limit();
        const std::lock_guard<std::mutex> lock(mutex);
        if (handles > limit)
        {
            --handles;
            return; //< Closed as it goes.
        }
        idle.push_back(std::move(connection));
    }
};

CameraLink::CameraLink(std::string address, std::string login, std::string password, CameraRequestLimits limits):
    m_address(std::move(address)),
    m_login(std::move(login)),
    m_password(std::move(password)),
    m_limits(limits),
    m_connections(std::make_unique<Connections>())
{}

CameraLink::~CameraLink() = default;
CameraLink::CameraLink(CameraLink&&) noexcept = default;

CameraRequestOutcome CameraLink::read(const std::string& cameraName) const
{
    return send(readPathOf(cameraName));
}

CameraRequestOutcome CameraLink::write(const std::string& cameraName, const std::string& queryValue) const
{
    return send(writePathOf(cameraName, queryValue));
}

CameraRequestOutcome CameraLink::send(const std::string& path) const
{
    for (int attempt = 1;; ++attempt)
    {
        CameraRequestOutcome outcome = sendOnce(path);
        const bool turnedAway = outcome.failure == CameraRequestFailure::noAnswer
            || (outcome.failure == CameraRequestFailure::unreachable && m_connections->answeredOnce);
        if (!turnedAway || attempt >= kTurnedAwayTries)
            return outcome;
        std::this_thread::sleep_for(std::chrono::milliseconds(kTurnedAwayBackOffMs * attempt));
    }
}

int CameraLink::requestsAtOnce() const
{
    return m_connections->gate.limit();
}

CameraRequestOutcome CameraLink::sendOnce(const std::string& path) const
{
    Connections& connections = *m_connections;
    connections.gate.enter();
    std::unique_ptr<CameraConnection> connection;
    CameraRequestOutcome outcome;
    try
    {
        connection = connections.take();
        outcome = connection->send(path, m_login, m_password, m_address, m_limits);
    }
    catch (const std::bad_alloc&)
    {
        connections.gate.leave();
        return CameraRequestOutcome::failed(CameraRequestFailure::notSent, "out of memory");
    }
    const CameraRequestFailure failure = outcome.failure;
    if (failure == CameraRequestFailure::noAnswer
        || (failure == CameraRequestFailure::unreachable && connections.answeredOnce))
    {
        connections.gate.leaveTurnedAway();
    }
    else if (outcome.status != 0 && failure != CameraRequestFailure::loginRefused)
    {
        connections.answeredOnce = true;
        connections.gate.leaveAnswered();
    }
    else
    {
        connections.gate.leave();
    }
    connections.giveBack(std::move(connection));
    return outcome;
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
