// The simulated camera's connections over HTTP with libcurl: kept open for a reused handle, ended after
// a number of answers or an idle time, and capped, the surplus ones reset or closed. Each test listens on
// port 80 of its own loopback address (36 and 37 here).
#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "camera_client.h"

namespace qvcam::test {
namespace {

using std::chrono::milliseconds;

const std::string kName = "AIX_TAMPERING_DURATION";
const std::string kAnswer = kName + "=3\r\n";

std::vector<int> statusesOf(const std::vector<ServedRequest>& served)
{
    std::vector<int> statuses;
    for (const ServedRequest& request: served)
        statuses.push_back(request.status);
    return statuses;
}

size_t connectionsOf(const std::vector<ServedRequest>& served)
{
    std::set<uint64_t> connections;
    for (const ServedRequest& request: served)
        connections.insert(request.connection);
    return connections.size();
}

struct ReuseCase
{
    const char* reason;
    std::function<void(CameraSimulatorOptions*)> configure;
    int requests;
    milliseconds pause; //< Between two requests.
    std::vector<int> statuses; //< Of every exchange the camera recorded.
    size_t connections;
    const char* lastHeaders; //< A part of the headers of the last request's exchanges.
};

TEST(ConnectionPolicy, reusedHandleIsAnsweredAtOnceAndRecoversFromClosedConnectionsAndStaleNonces)
{
    const auto asIs = [](CameraSimulatorOptions*) {};
    const ReuseCase cases[] = {
        {"a camera keeps the connection: one challenge, then one exchange per request", asIs, 3, milliseconds(0),
            {401, 200, 200, 200}, 1, "200 OK"},
        {"after two answers the camera closes; the next connection needs no new challenge",
            [](CameraSimulatorOptions* options) { options->keepAliveRequests = 2; }, 3, milliseconds(0),
            {401, 200, 200, 200}, 2, "Connection: close"},
        {"an idle connection is closed; the next request opens another without an error",
            [](CameraSimulatorOptions* options) { options->keepAliveIdleS = 1; }, 2, milliseconds(1500),
            {401, 200, 200}, 2, "200 OK"},
        {"a stale nonce is challenged again with stale=true and the request still succeeds",
            [](CameraSimulatorOptions* options) { options->nonceLifetimeS = 1; }, 2, milliseconds(1500),
            {401, 200, 401, 200}, 1, "stale=true"},
    };
    for (const ReuseCase& c: cases)
    {
        SCOPED_TRACE(c.reason);
        CameraSimulatorOptions options = optionsForTest(36);
        c.configure(&options);
        CameraSimulator camera(options);
        QVCAM_START_OR_SKIP(camera);
        CameraClient client(loopbackAddressForTest(36));
        HttpAnswer answer;
        for (int i = 0; i < c.requests; ++i)
        {
            if (i > 0)
                std::this_thread::sleep_for(c.pause);
            answer = client.get(readPath(kName));
            ASSERT_EQ(answer.code, CURLE_OK) << curl_easy_strerror(answer.code);
            EXPECT_EQ(answer.status, 200);
            EXPECT_EQ(answer.body, kAnswer);
        }
        EXPECT_NE(answer.headers.find(c.lastHeaders), std::string::npos) << answer.headers;
        const std::vector<ServedRequest> served = camera.servedRequests();
        EXPECT_EQ(statusesOf(served), c.statuses);
        EXPECT_EQ(connectionsOf(served), c.connections);
        camera.stop();
    }
}

/** What a bare socket meets when it sends a request: a reset, an orderly close, or an answer. */
enum class Ending
{
    reset,
    closed,
    answered,
};

/** A reset reported at the send, or at the receive when it came after the request. */
Ending endingOf(ssize_t sent, ssize_t received, int error)
{
    if (sent >= 0 && received > 0)
        return Ending::answered;
    if (sent >= 0 && received == 0)
        return Ending::closed;
    EXPECT_TRUE(error == ECONNRESET || error == EPIPE) << std::strerror(error);
    return Ending::reset;
}

Ending sendBareRequest(const std::string& address)
{
    const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(80);
    inet_pton(AF_INET, address.c_str(), &target.sin_addr);
    const timeval timeout{5, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof(target)) != 0)
    {
        ::close(socket);
        return Ending::reset;
    }
    const std::string request = "GET /httpapi/" + readPath(kName) + " HTTP/1.1\r\nHost: " + address + "\r\n\r\n";
    const ssize_t sent = ::send(socket, request.data(), request.size(), MSG_NOSIGNAL);
    char byte = 0;
    const ssize_t received = sent < 0 ? -1 : ::recv(socket, &byte, 1, 0);
    const int error = errno;
    ::close(socket);
    return endingOf(sent, received, error);
}

struct CapCase
{
    const char* reason;
    SurplusConnections surplus;
    std::set<CURLcode> clientCodes; //< What libcurl may report, depending on when the reset arrives.
    Ending bareEnding;
    size_t surplusRecords; //< Requests read and recorded before the close.
};

TEST(ConnectionPolicy, connectionsBeyondTheCapAreResetOrClosedWithoutAnAnswer)
{
    constexpr int kCap = 2;
    const CapCase cases[] = {
        {"reset as soon as accepted: the request is never read", SurplusConnections::reset,
            {CURLE_COULDNT_CONNECT, CURLE_SEND_ERROR, CURLE_RECV_ERROR}, Ending::reset, 0},
        {"closed once the request is read, without an answer", SurplusConnections::close, {CURLE_GOT_NOTHING},
            Ending::closed, 2},
    };
    const std::string address = loopbackAddressForTest(37);
    for (const CapCase& c: cases)
    {
        SCOPED_TRACE(c.reason);
        CameraSimulatorOptions options = optionsForTest(37);
        options.maxConnections = kCap;
        options.surplusConnections = c.surplus;
        CameraSimulator camera(options);
        QVCAM_START_OR_SKIP(camera);

        // Handles keep their connections open after a request, as a client with a pool of them does.
        std::vector<std::unique_ptr<CameraClient>> held;
        for (int i = 0; i < kCap; ++i)
        {
            held.push_back(std::make_unique<CameraClient>(address));
            ASSERT_EQ(held.back()->get(readPath(kName)).body, kAnswer);
        }
        const HttpAnswer surplus = httpGet(address, readPath(kName));
        EXPECT_EQ(c.clientCodes.count(surplus.code), 1U) << curl_easy_strerror(surplus.code);
        EXPECT_EQ(sendBareRequest(address), c.bareEnding);
        size_t surplusRecords = 0;
        for (const ServedRequest& request: camera.servedRequests())
            surplusRecords += request.fault == "surplus";
        EXPECT_EQ(surplusRecords, c.surplusRecords);

        held.pop_back();
        const auto freed = std::chrono::steady_clock::now() + milliseconds(5000);
        while (camera.connectionCounts().served == kCap && std::chrono::steady_clock::now() < freed)
            std::this_thread::sleep_for(milliseconds(5));
        EXPECT_EQ(httpGet(address, readPath(kName)).body, kAnswer) << "a freed place is served";
        const ConnectionCounts counts = camera.connectionCounts();
        EXPECT_EQ(counts.surplus, 2U);
        EXPECT_EQ(counts.peakServed, kCap);
        camera.stop();
    }
}

} // namespace
} // namespace qvcam::test
