// The camera's HTTP parameter client against the simulated camera and bare sockets, all on loopback.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <camera_settings/camera_link.h>
#include <camera_settings/camera_request.h>
#include <camera_simulator.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using Clock = std::chrono::steady_clock;

/** The camera is always reached on port 80, so every test listens on port 80 of a loopback address of its own. */
constexpr int kCameraPort = 80;

/** Far below the default limits, and far above what a loopback exchange takes. */
constexpr auto kQuickFailure = std::chrono::milliseconds(1000);

/** A never answering camera or a full accept queue fails after this, not after the default seconds. */
constexpr CameraRequestLimits kShortLimits{200, 300, kMaxCameraAnswerBytes};

const std::string kUser = "operator";
const std::string kPassword = "pa:ss@word";
const std::string kSensitivity = "AIX_TAMPERING_SENSITIVITY";

std::string readPath(const std::string& name)
{
    return std::string(kReadParamPath) + name + "=&";
}

std::string writePath(const std::string& name, const std::string& encodedValue)
{
    return std::string(kWriteParamPath) + name + "=" + encodedValue + "&";
}

qvcam::CameraSimulatorOptions cameraOptions(int loopbackHost)
{
    qvcam::CameraSimulatorOptions options;
    options.address = qvcam::loopbackAddressForTest(loopbackHost);
    options.port = kCameraPort;
    options.user = kUser;
    options.password = kPassword;
    return options;
}

/** Port 80 needs root or a network namespace of one's own; as root a failure to listen is a fault. */
void startOrSkip(qvcam::CameraSimulator* camera)
{
    std::string error;
    if (camera->start(&error))
        return;
    if (geteuid() != 0)
        GTEST_SKIP() << "the simulated camera needs port 80, which this user may not bind: " << error;
    FAIL() << "the simulated camera cannot listen: " << error;
}

#define START_CAMERA(camera)              \
    startOrSkip(&(camera));               \
    if (HasFatalFailure() || IsSkipped()) \
    return

struct Outcome: CameraRequestOutcome
{
    Clock::duration elapsed{};
};

Outcome request(const std::string& address,
    const std::string& path,
    const CameraRequestLimits& limits = {},
    const std::string& password = kPassword)
{
    const auto start = Clock::now();
    Outcome outcome{sendCameraRequest(path, kUser, password, address, limits)};
    outcome.elapsed = Clock::now() - start;
    return outcome;
}

std::vector<int> statusesOf(const qvcam::CameraSimulator& camera)
{
    std::vector<int> statuses;
    for (const qvcam::ServedRequest& served: camera.servedRequests())
        statuses.push_back(served.status);
    return statuses;
}

TEST(CameraRequest, readsAndWritesWithDigestAuthentication)
{
    qvcam::CameraSimulator camera(cameraOptions(40));
    START_CAMERA(camera);
    const std::string address = qvcam::loopbackAddressForTest(40);

    const Outcome written = request(address, writePath(kSensitivity, "2"));
    ASSERT_TRUE(written.answered()) << written.reason;
    EXPECT_EQ(written.body, "Ok\r\n");
    EXPECT_EQ(written.status, 200);
    EXPECT_EQ(camera.parameter(kSensitivity), "2");

    const Outcome read = request(address, readPath(kSensitivity));
    ASSERT_TRUE(read.answered()) << read.reason;
    EXPECT_EQ(read.body, kSensitivity + "=2\r\n") << "the digest challenge's page must not reach the body";

    // Each request is answered only after the camera's challenge.
    EXPECT_EQ(statusesOf(camera), (std::vector<int>{401, 200, 401, 200}));
}

TEST(CameraRequest, sendsThePathWithoutEscapingIt)
{
    qvcam::CameraSimulator camera(cameraOptions(41));
    START_CAMERA(camera);
    const std::string address = qvcam::loopbackAddressForTest(41);
    const std::string osdText = "AIX_LINE_COUNTOSD_STRING0";

    // Already encoded by the caller: escaped once more, the camera would store "%25L9%25".
    const Outcome written = request(address, writePath(osdText, "%25L9%25"));
    ASSERT_TRUE(written.answered()) << written.reason;
    EXPECT_EQ(camera.parameter(osdText), "%L9%");
}

TEST(CameraRequest, refusesAnEmptyPathWithoutARequest)
{
    qvcam::CameraSimulator camera(cameraOptions(43));
    START_CAMERA(camera);

    const Outcome outcome = request(qvcam::loopbackAddressForTest(43), "");
    EXPECT_EQ(outcome.failure, CameraRequestFailure::notSent) << outcome.reason;
    EXPECT_TRUE(camera.servedRequests().empty());
}

struct FailureCase
{
    const char* reason;
    int loopbackHost;
    std::function<void(qvcam::CameraSimulatorOptions*)> configure;
    std::string password;
    CameraRequestLimits limits;
    CameraRequestFailure failure;
    std::string cause; //< A part of the cause given in the outcome's reason.
    long status; //< Of the answer, where one was read.
};

TEST(CameraRequest, failsQuicklyWhenTheCameraGivesNoUsableAnswer)
{
    const auto asIs = [](qvcam::CameraSimulatorOptions*) {};
    const FailureCase cases[] = {
        {"a wrong password is refused after the digest exchange", 44, asIs, "wrong", {},
            CameraRequestFailure::loginRefused, "HTTP status 401", 401},
        {"a camera that refuses every login", 45,
            [](qvcam::CameraSimulatorOptions* options) { options->refuseLogin = true; }, kPassword, {},
            CameraRequestFailure::loginRefused, "HTTP status 401", 401},
        {"a camera that never answers runs into the request time-out", 46,
            [](qvcam::CameraSimulatorOptions* options) { options->neverAnswer = true; }, kPassword, kShortLimits,
            CameraRequestFailure::timedOut, curl_easy_strerror(CURLE_OPERATION_TIMEDOUT), 0},
        {"an answer longer than the cap is cut off", 47,
            [](qvcam::CameraSimulatorOptions* options) { options->answerPadding = kMaxCameraAnswerBytes; }, kPassword,
            {}, CameraRequestFailure::answerTooLong, "answer longer than", 0},
        {"a connection closed without an answer", 48,
            [](qvcam::CameraSimulatorOptions* options) { options->dropShare = 1; }, kPassword, {},
            CameraRequestFailure::noAnswer, curl_easy_strerror(CURLE_GOT_NOTHING), 0},
    };
    for (const FailureCase& c: cases)
    {
        SCOPED_TRACE(c.reason);
        qvcam::CameraSimulatorOptions options = cameraOptions(c.loopbackHost);
        c.configure(&options);
        qvcam::CameraSimulator camera(options);
        START_CAMERA(camera);

        const Outcome outcome
            = request(qvcam::loopbackAddressForTest(c.loopbackHost), readPath(kSensitivity), c.limits, c.password);
        EXPECT_EQ(outcome.failure, c.failure);
        EXPECT_NE(outcome.reason.find(c.cause), std::string::npos) << outcome.reason;
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_LT(outcome.elapsed, kQuickFailure);
        EXPECT_FALSE(camera.servedRequests().empty()) << "the request must have reached the camera";
        camera.stop();
    }
}

TEST(CameraRequest, acceptsAnAnswerOfExactlyTheCapButNotOneByteMore)
{
    constexpr std::size_t kPadding = 1000;
    qvcam::CameraSimulatorOptions options = cameraOptions(54);
    options.answerPadding = kPadding;
    qvcam::CameraSimulator camera(options);
    START_CAMERA(camera);
    const std::string address = qvcam::loopbackAddressForTest(54);
    const std::string answer = kSensitivity + "=1" + std::string(kPadding, 'x') + "\r\n";

    const Outcome fits
        = request(address, readPath(kSensitivity), {kCameraConnectTimeoutMs, kCameraRequestTimeoutMs, answer.size()});
    ASSERT_TRUE(fits.answered()) << fits.reason;
    EXPECT_EQ(fits.body, answer);

    const Outcome tooLong = request(
        address, readPath(kSensitivity), {kCameraConnectTimeoutMs, kCameraRequestTimeoutMs, answer.size() - 1});
    EXPECT_EQ(tooLong.failure, CameraRequestFailure::answerTooLong);
    EXPECT_LE(tooLong.body.size(), answer.size() - 1) << "nothing beyond the cap is kept";
}

TEST(CameraRequest, takesAnErrorStatusAsAFailureWithTheStatusAndPage)
{
    qvcam::CameraSimulator camera(cameraOptions(53));
    START_CAMERA(camera);

    const Outcome outcome = request(qvcam::loopbackAddressForTest(53), "NoSuchPage?action=readparam&X=&");
    EXPECT_EQ(outcome.failure, CameraRequestFailure::errorStatus);
    EXPECT_EQ(outcome.body, "Error\r\n");
    EXPECT_EQ(outcome.status, 404) << "kept for the caller";
    EXPECT_EQ(dialogReasonOf(outcome), "the camera answered with an error status (HTTP 404)");
    EXPECT_EQ(statusesOf(camera).back(), 404);
}

TEST(CameraRequest, failsAtOnceWhenNothingListens)
{
    // No camera on this address at all: the connection is refused.
    const Outcome outcome = request(qvcam::loopbackAddressForTest(50), readPath(kSensitivity));
    EXPECT_EQ(outcome.failure, CameraRequestFailure::unreachable);
    EXPECT_NE(outcome.reason.find(curl_easy_strerror(CURLE_COULDNT_CONNECT)), std::string::npos) << outcome.reason;
    EXPECT_LT(outcome.elapsed, kQuickFailure);
}

/** A listening socket on port 80 of a loopback address, for what the simulated camera cannot do. */
class BareListener
{
public:
    ~BareListener()
    {
        for (const int socket: {m_client, m_listener})
        {
            if (socket >= 0)
                ::close(socket);
        }
    }

    bool listen(const std::string& address, int backlog, std::string* error)
    {
        sockaddr_in socketAddress{};
        socketAddress.sin_family = AF_INET;
        socketAddress.sin_port = htons(kCameraPort);
        ::inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr);
        m_address = socketAddress;
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        if (m_listener < 0 || ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)) != 0
            || ::bind(m_listener, reinterpret_cast<const sockaddr*>(&socketAddress), sizeof(socketAddress)) != 0
            || ::listen(m_listener, backlog) != 0)
        {
            *error = std::string("cannot listen on ") + address + ":80: " + std::strerror(errno);
            return false;
        }
        return true;
    }

    /** Takes the one place of a zero backlog, so that the kernel drops every further connection attempt. */
    bool fillAcceptQueue()
    {
        m_client = ::socket(AF_INET, SOCK_STREAM, 0);
        return m_client >= 0
            && ::connect(m_client, reinterpret_cast<const sockaddr*>(&m_address), sizeof(m_address)) == 0;
    }

    /** Accepts one connection, reads its request head and sends the answer as it is. */
    void answerOnce(const std::string& answer)
    {
        const int connection = ::accept(m_listener, nullptr, nullptr);
        if (connection < 0)
            return;
        std::string head;
        char buffer[1024];
        while (head.find("\r\n\r\n") == std::string::npos)
        {
            const ssize_t received = ::recv(connection, buffer, sizeof(buffer), 0);
            if (received <= 0)
                break;
            head.append(buffer, static_cast<std::size_t>(received));
        }
        ::send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
        ::close(connection);
    }

private:
    int m_listener = -1;
    int m_client = -1;
    sockaddr_in m_address{};
};

void listenOrSkip(BareListener* listener, const std::string& address, int backlog)
{
    std::string error;
    if (listener->listen(address, backlog, &error))
        return;
    if (geteuid() != 0)
        GTEST_SKIP() << "port 80 is out of reach for this user: " << error;
    FAIL() << error;
}

TEST(CameraRequest, givesUpConnectingAfterTheConnectTimeOut)
{
    const std::string address = qvcam::loopbackAddressForTest(51);
    BareListener listener;
    listenOrSkip(&listener, address, 0);
    if (HasFatalFailure() || IsSkipped())
        return;
    ASSERT_TRUE(listener.fillAcceptQueue());

    // The whole request may take long; only the connection time-out can end it this early.
    const Outcome outcome = request(address, readPath(kSensitivity), {200, 30000, kMaxCameraAnswerBytes});
    EXPECT_EQ(outcome.failure, CameraRequestFailure::timedOut);
    EXPECT_NE(outcome.reason.find(curl_easy_strerror(CURLE_OPERATION_TIMEDOUT)), std::string::npos) << outcome.reason;
    EXPECT_LT(outcome.elapsed, kQuickFailure);
}

TEST(CameraRequest, countsForbiddenAsAnErrorStatusNotARefusedLogin)
{
    const std::string address = qvcam::loopbackAddressForTest(52);
    BareListener listener;
    listenOrSkip(&listener, address, 1);
    if (HasFatalFailure() || IsSkipped())
        return;
    std::thread server([&listener] {
        listener.answerOnce("HTTP/1.1 403 Forbidden\r\nContent-Length: 11\r\nConnection: close\r\n\r\nForbidden\r\n");
    });

    const Outcome outcome = request(address, readPath(kSensitivity));
    server.join();
    EXPECT_EQ(outcome.failure, CameraRequestFailure::errorStatus) << "one parameter's refusal";
    EXPECT_NE(outcome.reason.find("HTTP status 403"), std::string::npos) << outcome.reason;
    EXPECT_EQ(outcome.status, 403);
}

TEST(CameraRequest, reachesTheCameraDirectlyWhateverProxyTheEnvironmentNames)
{
    qvcam::CameraSimulator camera(cameraOptions(56));
    START_CAMERA(camera);

    // Nothing listens there: a request sent through it would fail.
    const std::string deadProxy = "http://" + qvcam::loopbackAddressForTest(57) + ":9";
    const char* const proxyVariables[] = {"http_proxy", "ALL_PROXY"};
    for (const char* variable: proxyVariables)
        ::setenv(variable, deadProxy.c_str(), /*overwrite*/ 1);
    const Outcome outcome = request(qvcam::loopbackAddressForTest(56), readPath(kSensitivity));
    for (const char* variable: proxyVariables)
        ::unsetenv(variable);
    EXPECT_TRUE(outcome.answered()) << outcome.reason;
    EXPECT_EQ(outcome.body, kSensitivity + "=1\r\n");
}

TEST(CameraRequest, servesManyThreadsAtOnce)
{
    constexpr int kThreads = 32;
    constexpr int kRequestsPerThread = 10;
    qvcam::CameraSimulator camera(cameraOptions(55));
    START_CAMERA(camera);
    const std::string address = qvcam::loopbackAddressForTest(55);

    // Every thread starts its first request at the same moment, so the library's first use is contended too.
    std::atomic<bool> go{false};
    std::atomic<int> correct{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            const int index = t % 8;
            const std::string name = "AIX_LINE_COUNTOSD_STRING" + std::to_string(index);
            const std::string expected = name + "=%L" + std::to_string(index + 1) + "%\r\n";
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < kRequestsPerThread; ++i)
            {
                const CameraRequestOutcome outcome = sendCameraRequest(readPath(name), kUser, kPassword, address);
                if (outcome.answered() && outcome.body == expected)
                    ++correct;
            }
        });
    }
    go = true;
    for (std::thread& thread: threads)
        thread.join();

    EXPECT_EQ(correct, kThreads * kRequestsPerThread);
    int answered = 0;
    for (const int status: statusesOf(camera))
        answered += status == 200 ? 1 : 0;
    EXPECT_EQ(answered, kThreads * kRequestsPerThread);
}

TEST(CameraRequest, linksALibcurlWhoseGlobalInitialisationIsThreadSafe)
{
    // Other code in the host process may initialise libcurl while our first request does.
    const curl_version_info_data* const info = curl_version_info(CURLVERSION_NOW);
    ASSERT_NE(info, nullptr);
    EXPECT_NE(info->features & CURL_VERSION_THREADSAFE, 0) << info->version;
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
