// Starting the simulator for a settings cycle and reading back what the plug-in wrote to it.
#include "simulated_camera.h"

#include "host_error.h"

namespace qvhost {
namespace {

constexpr char kWritePath[] = "/httpapi/WriteParam";
constexpr int kHttpOk = 200;

/** Binding port 80 is what an ordinary user most often cannot do; say how to get it. */
std::string startFailure(const std::string& reason)
{
    const bool bindRefused = reason.rfind("cannot bind", 0) == 0;
    return "the simulated camera cannot start: " + reason
        + (bindRefused ? " (port 80 needs root or tools/in-netns.sh)" : "");
}

} // namespace

SimulatedCamera::SimulatedCamera(const qvcam::CameraSimulatorOptions& options):
    m_address(options.address),
    m_simulator(options)
{
    std::string reason;
    if (!m_simulator.start(&reason))
        throw HostError(kBadUse, startFailure(reason));
}

size_t SimulatedCamera::requestCount() const
{
    return m_simulator.servedRequests().size();
}

std::vector<WrittenParameter> SimulatedCamera::writesSince(size_t mark) const
{
    const std::vector<qvcam::ServedRequest> requests = m_simulator.servedRequests();
    std::vector<WrittenParameter> writes;
    for (size_t i = mark; i < requests.size(); ++i)
    {
        const qvcam::ServedRequest& request = requests[i];
        if (request.path == kWritePath && request.status == kHttpOk)
            writes.push_back({request.parameter, request.value, request.answer.find("Ok") == std::string::npos});
    }
    return writes;
}

} // namespace qvhost
