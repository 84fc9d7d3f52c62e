// A camera's HTTP parameter interface on loopback, with digest authentication (MD5, qop "auth") and
// faults on request: the device that the settings tests and the demo talk to.
//
// Connections are kept open for further requests (HTTP keep-alive), as a camera keeps them: a client
// that reuses its connection is challenged once and then answered at the first try.
//
// Every request is recorded, digest challenges (status 401) included, with the number of its
// connection: a client with a fresh handle leaves two records per request. Faults (garbage, drop, by
// parameter) apply only to requests that passed the authentication, so that a share is a share of the
// client's requests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "camera_simulator_options.h"
#include "connection_policy.h"
#include "request_log.h"

namespace qvcam {

class CameraSimulator
{
public:
    explicit CameraSimulator(CameraSimulatorOptions options);
    ~CameraSimulator();
    CameraSimulator(const CameraSimulator&) = delete;
    CameraSimulator& operator=(const CameraSimulator&) = delete;

    /**
     * Loads the parameters file (on the first start only) and listens. False with a reason when an
     * option is out of its range (validateOptions), the file is unusable or the address cannot be bound
     * (e.g. port 80 without privileges).
     */
    bool start(std::string* errorMessage);

    /** Returns promptly: requests held by neverAnswer or a delay are closed without an answer. */
    void stop();

    /** The port listened on, once started. */
    int port() const;

    /** The newest requests, oldest first. */
    std::vector<ServedRequest> servedRequests() const;

    /** The connections accepted so far, the surplus ones beyond the cap, the most served at once. */
    ConnectionCounts connectionCounts() const;

    /** The current value, as the last accepted write left it; a live shape's piecewise text; empty text for an unknown
     * name. */
    std::string parameter(const std::string& name) const;

    /** Stores without checks: any name, any value (see ParameterTable::set). */
    void setParameter(const std::string& name, const std::string& value);

    /**
     * In place of the faults by name given so far, for the requests from now on; false with a reason
     * (and nothing changed) for a name the camera does not know or a status it does not offer.
     */
    bool setParameterFaults(ParameterFaults faults, std::string* errorMessage);

private:
    class Server;
    std::unique_ptr<Server> m_server;
};

/** "127.0.0." + n: each test binds its own loopback address so that tests can run in parallel. */
std::string loopbackAddressForTest(int n);

} // namespace qvcam
