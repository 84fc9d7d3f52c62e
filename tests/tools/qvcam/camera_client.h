// A libcurl client for the simulated camera, the way the plug-in asks: GET with digest authentication.
#pragma once

#include <string>

#include <curl/curl.h>

#include <camera_simulator.h>

namespace qvcam::test {

/** Not the factory login, and with a colon, which the digest's A1 text also uses as separator. */
const std::string kTestUser = "operator";
const std::string kTestPassword = "s3cret:pass";

struct ClientOptions
{
    std::string user = kTestUser;
    std::string password = kTestPassword;
    long timeoutMs = 5000;
    bool authenticate = true; //< Off: a plain GET without credentials.
    /**
     * Closes the connection after every exchange, the digest challenge's included. libcurl resends a
     * request once, on a new connection, when a connection it reused closes without an answer.
     */
    bool connectionPerExchange = false;
};

struct HttpAnswer
{
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
    std::string headers;
};

/** One libcurl handle for many requests: it keeps its connection and its digest nonce, as the field facts say. */
class CameraClient
{
public:
    explicit CameraClient(std::string address, ClientOptions options = {});
    ~CameraClient();
    CameraClient(const CameraClient&) = delete;
    CameraClient& operator=(const CameraClient&) = delete;

    /** GET http://address/httpapi/ + path on port 80, the path sent unchanged. */
    HttpAnswer get(const std::string& path);

private:
    const std::string m_address;
    const ClientOptions m_options;
    CURL* m_handle = nullptr;
};

/** GET with a handle of its own, as a client that starts afresh for every request. */
HttpAnswer httpGet(const std::string& address, const std::string& path, const ClientOptions& options = {});

std::string readPath(const std::string& name);
std::string writePath(const std::string& name, const std::string& encodedValue);

/** The value the plug-in would extract: after the first "=" up to the line end, "0" without "=". */
std::string extractedValue(const std::string& body);

enum class StartOutcome
{
    started,
    notPermitted, //< Port 80 needs privileges or a private network namespace (tools/in-netns.sh).
    failed,
};

StartOutcome startCamera(CameraSimulator* camera, std::string* errorMessage);

CameraSimulatorOptions optionsForTest(int loopbackHost);

} // namespace qvcam::test

/** Skips the test where port 80 may not be bound; fails it on any other reason. */
#define QVCAM_START_OR_SKIP(camera)                                                                          \
    do                                                                                                       \
    {                                                                                                        \
        std::string startError;                                                                              \
        const ::qvcam::test::StartOutcome startOutcome = ::qvcam::test::startCamera(&(camera), &startError); \
        if (startOutcome == ::qvcam::test::StartOutcome::notPermitted)                                       \
            GTEST_SKIP() << "port 80 is not permitted here (run under tools/in-netns.sh): " << startError;   \
        ASSERT_EQ(startOutcome, ::qvcam::test::StartOutcome::started) << startError;                         \
    } while (false)
