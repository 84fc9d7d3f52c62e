// A camera's HTTP parameter interface on loopback, with digest authentication (MD5, qop "auth") and
// faults on request: the device that the settings tests and the demo talk to.
//
// Every request is recorded, digest challenges (status 401) included: a client with a fresh handle
// leaves two records per request. Faults (garbage, drop) are drawn only for requests that passed the
// authentication, so that a share is a share of the client's requests.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "request_log.h"

namespace qvcam {

struct CameraSimulatorOptions
{
    std::string address = "127.0.0.1"; //< A loopback address (127.0.0.0/8); others are refused.
    int port = 80; //< 0 picks a free port; see CameraSimulator::port().
    std::string user = "admin";
    std::string password = "admin";
    std::string parametersFile; //< Optional JSON object NAME -> VALUE overriding the factory values.
    std::string logFile; //< Optional: JSON lines of served requests are also appended here.
    /** Before every answer, digest challenges included: a fresh digest request waits twice. */
    int answerDelayMs = 0;
    /** Share 0..1 of authenticated requests answered with garbage (status 200, no "="). */
    double garbageShare = 0;
    /** Share 0..1 of authenticated requests whose connection is closed without an answer. */
    double dropShare = 0;
    bool neverAnswer = false; //< Accept every request, then never answer it (until stop()).
    bool refuseLogin = false; //< Every request gets 401 with a digest challenge, whatever the credentials.
    /** Extra bytes ("x") lengthening the last line of every answer body: an over-long value. */
    size_t answerPadding = 0;
    unsigned seed = 1; //< For the fault shares, so that runs repeat.
};

class CameraSimulator
{
public:
    explicit CameraSimulator(CameraSimulatorOptions options);
    ~CameraSimulator();
    CameraSimulator(const CameraSimulator&) = delete;
    CameraSimulator& operator=(const CameraSimulator&) = delete;

    /**
     * Loads the parameters file (on the first start only) and listens. False with a reason when the
     * file is unusable or the address cannot be bound (e.g. port 80 without privileges).
     */
    bool start(std::string* errorMessage);

    /** Returns promptly: requests held by neverAnswer or a delay are closed without an answer. */
    void stop();

    /** The port listened on, once started. */
    int port() const;

    /** The newest requests, oldest first. */
    std::vector<ServedRequest> servedRequests() const;

    /** The current value; a live shape's piecewise text; empty text for an unknown name. */
    std::string parameter(const std::string& name) const;

    /** Stores without checks: any name, any value (see ParameterTable::set). */
    void setParameter(const std::string& name, const std::string& value);

private:
    class Server;
    std::unique_ptr<Server> m_server;
};

/** "127.0.0." + n: each test binds its own loopback address so that tests can run in parallel. */
std::string loopbackAddressForTest(int n);

} // namespace qvcam
