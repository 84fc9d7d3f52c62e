// The camera of one agent: where it is, how to log in, the connections kept to it, and the two kinds of request the
// settings send it.
#include "camera_link.h"

#include <chrono>
#include <thread>
#include <utility>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * The gate and the idle handles; one lock for the handles, a handle in use belongs to its thread alone. A handle is
 * given back before its request leaves the gate, so there are never more handles than requests were under way at
 * once, and a request the gate lets in finds the connection of the one that left rather than opening another.
 */
struct CameraLink::Connections
{
    RequestGate gate{kMaxCameraRequestsInFlight};
    std::mutex mutex;
    std::vector<std::unique_ptr<CameraConnection>> idle; //< The most recently used last.
    std::atomic<bool> answeredOnce{false};

    std::unique_ptr<CameraConnection> take()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (!idle.empty())
            {
                // The most recently used one has its connection most likely.
                std::unique_ptr<CameraConnection> connection = std::move(idle.back());
                idle.pop_back();
                return connection;
            }
        }
        return std::make_unique<CameraConnection>();
    }

    /**
     * A handle keeps its digest nonce whether or not its connection lives. One whose connection the camera turned
     * away has none left and would open a new one, which a camera at its cap turns away again: it goes to the
     * bottom, so that the handles whose connections the camera serves are taken first.
     */
    void giveBack(std::unique_ptr<CameraConnection> connection, bool turnedAway)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        idle.insert(turnedAway ? idle.begin() : idle.end(), std::move(connection));
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
        bool turnedAway = false;
        CameraRequestOutcome outcome = sendOnce(path, &turnedAway);
        if (!turnedAway || attempt >= kTurnedAwayTries)
            return outcome;
        std::this_thread::sleep_for(std::chrono::milliseconds(kTurnedAwayBackOffMs * attempt));
    }
}

int CameraLink::requestsAtOnce() const
{
    return m_connections->gate.limit();
}

CameraRequestOutcome CameraLink::sendOnce(const std::string& path, bool* turnedAway) const
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
    // A reset at once after the connection was accepted shows as a refused connection too.
    *turnedAway = failure == CameraRequestFailure::noAnswer
        || (failure == CameraRequestFailure::unreachable
            && (connections.answeredOnce || connections.gate.inFlight() > 1));
    // Back before the gate lets the next request in, so that it finds the connection rather than opening one more.
    connections.giveBack(std::move(connection), *turnedAway);
    if (*turnedAway)
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
