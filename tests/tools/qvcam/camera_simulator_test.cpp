// The simulated camera over HTTP, with libcurl asking as the plug-in does. Each test listens on port 80
// of its own loopback address 127.0.0.N (N from 20 to 39 in this folder) so that tests can run in parallel.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <camera_parameters.h>

#include "camera_client.h"

namespace qvcam::test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

long elapsedMs(Clock::time_point since)
{
    return static_cast<long>(std::chrono::duration_cast<milliseconds>(Clock::now() - since).count());
}

template<typename Condition>
bool waitUntil(Condition condition, milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    while (!condition())
    {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return true;
}

size_t countFault(const CameraSimulator& camera, const std::string& fault)
{
    const std::vector<ServedRequest> served = camera.servedRequests();
    return static_cast<size_t>(std::count_if(
        served.begin(), served.end(), [&fault](const ServedRequest& request) { return request.fault == fault; }));
}

/** Four standard deviations of a binomial count: a sound seed stays inside, a broken share does not. */
double binomialTolerance(int count, double share)
{
    return 4 * std::sqrt(count * share * (1 - share));
}

std::string temporaryPath(const std::string& name)
{
    return ::testing::TempDir() + "qvcam_" + std::to_string(::getpid()) + "_" + name;
}

std::string fileContent(const std::string& path)
{
    std::ifstream file(path);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

TEST(CameraSimulator, digestReadAndWriteRoundTrip)
{
    CameraSimulator camera(optionsForTest(20));
    QVCAM_START_OR_SKIP(camera);
    const std::string address = loopbackAddressForTest(20);

    const HttpAnswer factory = httpGet(address, readPath("AIX_TAMPERING_SENSITIVITY"));
    ASSERT_EQ(factory.code, CURLE_OK) << curl_easy_strerror(factory.code);
    EXPECT_EQ(factory.status, 200);
    EXPECT_EQ(factory.body, "AIX_TAMPERING_SENSITIVITY=1\r\n");

    EXPECT_EQ(httpGet(address, writePath("AIX_TAMPERING_SENSITIVITY", "2")).body, "Ok\r\n");
    EXPECT_EQ(camera.parameter("AIX_TAMPERING_SENSITIVITY"), "2");
    EXPECT_EQ(extractedValue(httpGet(address, readPath("AIX_TAMPERING_SENSITIVITY")).body), "2");

    // Texts travel percent-encoded and are stored decoded.
    EXPECT_EQ(httpGet(address, writePath("AIX_LINE_COUNTOSD_STRING2", "%25L3%25%2c%20total")).body, "Ok\r\n");
    EXPECT_EQ(camera.parameter("AIX_LINE_COUNTOSD_STRING2"), "%L3%, total");
    EXPECT_EQ(
        httpGet(address, readPath("AIX_LINE_COUNTOSD_STRING2")).body, "AIX_LINE_COUNTOSD_STRING2=%L3%, total\r\n");

    camera.setParameter("AIX_LINE_DAILYRESET_HOUR", "23");
    EXPECT_EQ(extractedValue(httpGet(address, readPath("AIX_LINE_DAILYRESET_HOUR")).body), "23");
}

TEST(CameraSimulator, figureWriteChangesTheLiveShapeAndClearEmptiesIt)
{
    CameraSimulator camera(optionsForTest(21));
    QVCAM_START_OR_SKIP(camera);
    const std::string address = loopbackAddressForTest(21);

    EXPECT_EQ(httpGet(address, readPath("AIX_LINE_CURRENT_POSITION1")).body, "Ok\r\n");
    // Coordinate lists are sent without percent-encoding.
    EXPECT_EQ(httpGet(address, writePath("AIX_LINE_POSITION1", "100,200,300,400")).body, "Ok\r\n");
    EXPECT_EQ(extractedValue(httpGet(address, readPath("AIX_LINE_CURRENT_POSITION1")).body), "1;100,200,300,400");
    EXPECT_EQ(extractedValue(httpGet(address, readPath("AIX_LINE_POSITION1")).body), "100,200,300,400");

    EXPECT_EQ(httpGet(address, writePath("AIX_LINE_CLEAR1", "0")).body, "Ok\r\n");
    EXPECT_EQ(httpGet(address, readPath("AIX_LINE_CURRENT_POSITION1")).body, "Ok\r\n");
    EXPECT_EQ(extractedValue(httpGet(address, readPath("AIX_LINE_POSITION1")).body), "0");
}

TEST(CameraSimulator, wrongCredentialsOrARefusingCameraGetAnMd5DigestChallengeAndChangeNothing)
{
    CameraSimulator camera(optionsForTest(22));
    QVCAM_START_OR_SKIP(camera);
    const std::string address = loopbackAddressForTest(22);

    ClientOptions anonymous;
    anonymous.authenticate = false;
    const HttpAnswer challenge = httpGet(address, readPath("AIX_TAMPERING_ENABLE"), anonymous);
    ASSERT_EQ(challenge.code, CURLE_OK) << curl_easy_strerror(challenge.code);
    EXPECT_EQ(challenge.status, 401);
    EXPECT_NE(challenge.headers.find("WWW-Authenticate: Digest"), std::string::npos) << challenge.headers;
    EXPECT_NE(challenge.headers.find("qop=\"auth\""), std::string::npos) << challenge.headers;
    EXPECT_NE(challenge.headers.find("algorithm=MD5"), std::string::npos) << challenge.headers;
    EXPECT_EQ(challenge.body.find('='), std::string::npos) << "a refusal carries no value";

    ClientOptions wrongPassword;
    wrongPassword.password = "s3cret:pasS";
    ClientOptions wrongUser;
    wrongUser.user = "Operator";
    for (const ClientOptions& client: {wrongPassword, wrongUser})
    {
        const HttpAnswer refused = httpGet(address, writePath("AIX_TAMPERING_ENABLE", "0"), client);
        ASSERT_EQ(refused.code, CURLE_OK) << curl_easy_strerror(refused.code);
        EXPECT_EQ(refused.status, 401) << client.user << ":" << client.password;
    }
    EXPECT_EQ(camera.parameter("AIX_TAMPERING_ENABLE"), "1");
    for (const ServedRequest& request: camera.servedRequests())
        EXPECT_EQ(request.status, 401) << request.parameter;
    camera.stop();

    CameraSimulatorOptions refusing = optionsForTest(22);
    refusing.refuseLogin = true;
    CameraSimulator refusingCamera(refusing);
    QVCAM_START_OR_SKIP(refusingCamera);
    const HttpAnswer refused = httpGet(address, writePath("AIX_TAMPERING_ENABLE", "0"));
    ASSERT_EQ(refused.code, CURLE_OK) << curl_easy_strerror(refused.code);
    EXPECT_EQ(refused.status, 401) << "refuseLogin refuses even the right credentials";
    EXPECT_NE(refused.headers.find("WWW-Authenticate: Digest"), std::string::npos);
    EXPECT_EQ(refusingCamera.parameter("AIX_TAMPERING_ENABLE"), "1");
}

/** Which of the requests came back as garbage: 200 without "=". */
std::vector<bool> garbageSequence(int loopbackHost, unsigned seed, int requests)
{
    CameraSimulatorOptions options = optionsForTest(loopbackHost);
    options.garbageShare = 0.25;
    options.seed = seed;
    CameraSimulator camera(options);
    std::string error;
    if (startCamera(&camera, &error) != StartOutcome::started)
        return {};
    std::vector<bool> garbage;
    for (int i = 0; i < requests; ++i)
    {
        const HttpAnswer answer = httpGet(loopbackAddressForTest(loopbackHost), readPath("AIX_CAR_SENSITIVITY"));
        EXPECT_EQ(answer.code, CURLE_OK) << curl_easy_strerror(answer.code);
        EXPECT_EQ(answer.status, 200);
        garbage.push_back(answer.body.find('=') == std::string::npos);
    }
    EXPECT_EQ(countFault(camera, "garbage"), static_cast<size_t>(std::count(garbage.begin(), garbage.end(), true)));
    return garbage;
}

TEST(CameraSimulator, garbageShareIsHonouredAndRepeatsWithTheSeed)
{
    CameraSimulator probe(optionsForTest(24));
    QVCAM_START_OR_SKIP(probe);
    probe.stop();

    constexpr int kRequests = 200;
    const std::vector<bool> first = garbageSequence(24, 5, kRequests);
    const std::vector<bool> second = garbageSequence(24, 5, kRequests);
    ASSERT_EQ(first.size(), static_cast<size_t>(kRequests));
    const auto garbage = std::count(first.begin(), first.end(), true);
    EXPECT_NEAR(garbage, 0.25 * kRequests, binomialTolerance(kRequests, 0.25));
    EXPECT_EQ(first, second) << "the same seed and the same requests meet the same faults";
}

TEST(CameraSimulator, dropShareClosesConnectionsWithoutAnAnswerAndWithoutClientRetries)
{
    CameraSimulatorOptions options = optionsForTest(25);
    options.dropShare = 0.3;
    options.seed = 11;
    CameraSimulator camera(options);
    QVCAM_START_OR_SKIP(camera);

    // libcurl resends a request once, on a new connection, when a connection it reused for the digest's
    // second exchange closes without an answer; a connection per exchange leaves every drop to the client.
    ClientOptions unreused;
    unreused.connectionPerExchange = true;
    constexpr int kRequests = 200;
    int nothing = 0;
    for (int i = 0; i < kRequests; ++i)
    {
        const HttpAnswer answer = httpGet(loopbackAddressForTest(25), readPath("AIX_CAR_SENSITIVITY"), unreused);
        if (answer.code == CURLE_GOT_NOTHING)
        {
            ++nothing;
            continue;
        }
        ASSERT_EQ(answer.code, CURLE_OK) << curl_easy_strerror(answer.code);
        EXPECT_EQ(answer.body, "AIX_CAR_SENSITIVITY=0\r\n");
    }
    EXPECT_NEAR(nothing, 0.3 * kRequests, binomialTolerance(kRequests, 0.3));
    // A client that retried a dropped request would meet more drops than it reports failures.
    EXPECT_EQ(countFault(camera, "drop"), static_cast<size_t>(nothing));
}

TEST(CameraSimulator, neverAnswerHoldsClientsUntilTheirTimeOutOrStop)
{
    CameraSimulatorOptions options = optionsForTest(26);
    options.neverAnswer = true;
    CameraSimulator camera(options);
    QVCAM_START_OR_SKIP(camera);
    const std::string address = loopbackAddressForTest(26);

    ClientOptions impatient;
    impatient.timeoutMs = 300;
    const auto asked = Clock::now();
    EXPECT_EQ(httpGet(address, readPath("AIX_TAMPERING_ENABLE"), impatient).code, CURLE_OPERATION_TIMEDOUT);
    EXPECT_GE(elapsedMs(asked), 290);

    constexpr int kHeldClients = 4;
    ClientOptions patient;
    patient.timeoutMs = 20000;
    std::vector<CURLcode> codes(kHeldClients, CURLE_OK);
    std::vector<std::thread> clients;
    for (int i = 0; i < kHeldClients; ++i)
    {
        clients.emplace_back([&codes, &address, &patient, i]() {
            codes[i] = httpGet(address, readPath("AIX_TAMPERING_ENABLE"), patient).code;
        });
    }
    ASSERT_TRUE(waitUntil([&camera]() { return countFault(camera, "never") >= 1 + kHeldClients; }, milliseconds(5000)));

    const auto stopping = Clock::now();
    camera.stop();
    EXPECT_LT(elapsedMs(stopping), 1000) << "stop must not wait for held requests";
    for (std::thread& client: clients)
        client.join();
    EXPECT_LT(elapsedMs(stopping), 5000) << "the held clients learn of the stop";
    for (const CURLcode code: codes)
        EXPECT_NE(code, CURLE_OK);
}

TEST(CameraSimulator, answerDelayPrecedesEveryAnswerAndStopCutsItShort)
{
    CameraSimulatorOptions options = optionsForTest(27);
    options.answerDelayMs = 150;
    CameraSimulator camera(options);
    QVCAM_START_OR_SKIP(camera);
    const std::string address = loopbackAddressForTest(27);

    const auto asked = Clock::now();
    const HttpAnswer delayed = httpGet(address, readPath("AIX_TAMPERING_ENABLE"));
    EXPECT_EQ(delayed.body, "AIX_TAMPERING_ENABLE=1\r\n");
    EXPECT_GE(elapsedMs(asked), 2 * 150) << "the challenge and the answer are both delayed";
    camera.stop();

    options.answerDelayMs = 20000;
    CameraSimulator slow(options);
    QVCAM_START_OR_SKIP(slow);
    CURLcode code = CURLE_OK;
    std::thread client([&code, &address]() { code = httpGet(address, readPath("AIX_TAMPERING_ENABLE")).code; });
    std::this_thread::sleep_for(milliseconds(200));
    const auto stopping = Clock::now();
    slow.stop();
    client.join();
    EXPECT_LT(elapsedMs(stopping), 2000);
    EXPECT_NE(code, CURLE_OK);
    const std::vector<ServedRequest> served = slow.servedRequests();
    ASSERT_EQ(served.size(), 1U);
    EXPECT_EQ(served[0].status, 0) << "cut short: no answer was sent";
}

TEST(CameraSimulator, everyRequestIsLoggedAsAJsonLineInMemoryAndInTheFile)
{
    const std::string logPath = temporaryPath("requests.jsonl");
    std::remove(logPath.c_str());
    CameraSimulatorOptions options = optionsForTest(28);
    options.logFile = logPath;
    CameraSimulator camera(options);
    QVCAM_START_OR_SKIP(camera);
    const std::string address = loopbackAddressForTest(28);

    const int64_t before = currentTimeMs();
    httpGet(address, readPath("AIX_REGION_ENABLE3"));
    httpGet(address, writePath("AIX_LINE_COUNTOSD_STRING0", "%25L1%25%20in"));
    const int64_t after = currentTimeMs();
    camera.stop();

    const std::vector<ServedRequest> served = camera.servedRequests();
    ASSERT_EQ(served.size(), 4U) << "a challenge and an answer for each request";
    const int statuses[] = {401, 200, 401, 200};
    for (size_t i = 0; i < served.size(); ++i)
    {
        EXPECT_EQ(served[i].status, statuses[i]) << i;
        EXPECT_GE(served[i].timeMs, before);
        EXPECT_LE(served[i].timeMs, after);
    }
    EXPECT_EQ(served[1].path, "/httpapi/ReadParam");
    EXPECT_EQ(served[1].parameter, "AIX_REGION_ENABLE3");
    EXPECT_EQ(served[1].value, "");
    EXPECT_EQ(served[1].answer, "AIX_REGION_ENABLE3=0\r\n");
    EXPECT_EQ(served[3].path, "/httpapi/WriteParam");
    EXPECT_EQ(served[3].parameter, "AIX_LINE_COUNTOSD_STRING0");
    EXPECT_EQ(served[3].value, "%L1% in");
    EXPECT_EQ(served[3].answer, "Ok\r\n");
    EXPECT_EQ(served[0].connection, served[1].connection) << "the answer follows its challenge on one connection";
    EXPECT_NE(served[1].connection, served[2].connection) << "a new handle opens a new connection";

    const std::string lines = fileContent(logPath);
    EXPECT_EQ(lines, toJsonLines(served));
    std::istringstream stream(lines);
    std::string line;
    size_t index = 0;
    while (std::getline(stream, line))
    {
        const nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
        ASSERT_TRUE(parsed.is_object()) << line;
        ASSERT_LT(index, served.size());
        EXPECT_EQ(parsed.size(), 8U) << line;
        EXPECT_EQ(parsed.value("parameter", ""), served[index].parameter);
        EXPECT_EQ(parsed.value("value", ""), served[index].value);
        EXPECT_EQ(parsed.value("status", -1), served[index].status);
        EXPECT_EQ(parsed.value("timeMs", int64_t{0}), served[index].timeMs);
        EXPECT_EQ(parsed.value("connection", uint64_t{0}), served[index].connection);
        ++index;
    }
    EXPECT_EQ(index, served.size());
    std::remove(logPath.c_str());
}

TEST(CameraSimulator, sixteenThreadsReadAndWriteConcurrentlyWithoutCrossTalk)
{
    CameraSimulator camera(optionsForTest(29));
    QVCAM_START_OR_SKIP(camera);
    const std::string address = loopbackAddressForTest(29);

    constexpr int kThreads = 16;
    constexpr int kRounds = 15;
    std::atomic<int> ready{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < kThreads; ++thread)
    {
        threads.emplace_back([&, thread]() {
            // Each thread owns one parameter, so a value read back from another thread's shows up.
            const std::string name
                = std::string(thread < 8 ? "AIX_LINE_COUNTOSD_X" : "AIX_LINE_COUNTOSD_Y") + std::to_string(thread % 8);
            ++ready;
            while (ready < kThreads)
                std::this_thread::yield();
            for (int round = 0; round < kRounds; ++round)
            {
                const std::string value = std::to_string((thread * 61 + round * 7) % 1000);
                const HttpAnswer written = httpGet(address, writePath(name, value));
                const HttpAnswer read = httpGet(address, readPath(name));
                const bool good = written.code == CURLE_OK && written.status == 200 && written.body == "Ok\r\n"
                    && read.code == CURLE_OK && read.body == name + "=" + value + "\r\n";
                if (!good)
                {
                    ++failures;
                    ADD_FAILURE() << name << ": " << curl_easy_strerror(written.code) << " " << written.status << " "
                                  << written.body << " / " << curl_easy_strerror(read.code) << " " << read.body;
                }
            }
        });
    }
    for (std::thread& thread: threads)
        thread.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(camera.servedRequests().size(), static_cast<size_t>(kThreads * kRounds * 2 * 2));
}

TEST(CameraSimulator, burstOfOneRequestPerParameterIsAnsweredCompletely)
{
    CameraSimulator camera(optionsForTest(35));
    QVCAM_START_OR_SKIP(camera);

    // The plug-in reads its whole configuration this way: one thread and one fresh handshake per setting.
    const std::vector<ParameterDefinition>& parameters = cameraParameters();
    std::vector<HttpAnswer> answers(parameters.size());
    std::vector<std::thread> threads;
    for (size_t i = 0; i < parameters.size(); ++i)
    {
        threads.emplace_back([&answers, &parameters, i]() {
            answers[i] = httpGet(loopbackAddressForTest(35), readPath(parameters[i].name));
        });
    }
    for (std::thread& thread: threads)
        thread.join();
    for (size_t i = 0; i < parameters.size(); ++i)
    {
        EXPECT_EQ(answers[i].code, CURLE_OK) << parameters[i].name << ": " << curl_easy_strerror(answers[i].code);
        EXPECT_EQ(answers[i].body, parameters[i].name + "=" + camera.parameter(parameters[i].name) + "\r\n");
    }
}

TEST(CameraSimulator, answersAreNotHeldBackByNagleAndDelayedAcknowledgement)
{
    CameraSimulator camera(optionsForTest(30));
    QVCAM_START_OR_SKIP(camera);

    // A held-back answer costs about 40 ms; a prompt one a few, or about 21 under AddressSanitizer on a loaded
    // machine, so the bound sits between them.
    constexpr int kRequests = 40;
    constexpr long kMaximumAverageMs = 30;
    const auto started = Clock::now();
    for (int i = 0; i < kRequests; ++i)
        ASSERT_EQ(httpGet(loopbackAddressForTest(30), readPath("AIX_TAMPERING_ENABLE")).code, CURLE_OK);
    EXPECT_LT(elapsedMs(started), kRequests * kMaximumAverageMs);
}

TEST(CameraSimulator, parametersFileOverridesFactoryValuesAndMisspeltNamesStopTheStart)
{
    const std::string path = temporaryPath("parameters.json");
    const std::string pieces = "2;0,100,300,100,300,400,0,400;700,100,999,100,999,400,700,400";
    std::ofstream(path) << nlohmann::json{
        {"AIX_TAMPERING_SENSITIVITY", 2},
        {"AIX_TAMPERING_ENABLE", false},
        {"AIX_LINE_COUNTOSD_STRING0", "In: %L1%"},
        {"AIX_REGION_CURRENT_POSITION0", pieces},
    }.dump();
    CameraSimulatorOptions options = optionsForTest(31);
    options.parametersFile = path;
    CameraSimulator camera(options);
    QVCAM_START_OR_SKIP(camera);
    const std::string address = loopbackAddressForTest(31);
    EXPECT_EQ(extractedValue(httpGet(address, readPath("AIX_TAMPERING_SENSITIVITY")).body), "2");
    EXPECT_EQ(extractedValue(httpGet(address, readPath("AIX_TAMPERING_ENABLE")).body), "0");
    EXPECT_EQ(extractedValue(httpGet(address, readPath("AIX_LINE_COUNTOSD_STRING0")).body), "In: %L1%");
    EXPECT_EQ(extractedValue(httpGet(address, readPath("AIX_REGION_CURRENT_POSITION0")).body), pieces);
    camera.stop();

    for (const std::string& content: {std::string(R"({"AIX_TAMPERING_SENSITIVTY": 2})"), std::string("[1, 2]"),
             std::string(R"({"AIX_TAMPERING_ENABLE": [1]})"), std::string("{")})
    {
        std::ofstream(path) << content;
        CameraSimulator refused(options);
        std::string error;
        EXPECT_FALSE(refused.start(&error)) << content;
        EXPECT_NE(error.find(path), std::string::npos) << "the message names the file: " << error;
    }
    std::remove(path.c_str());
}

TEST(CameraSimulator, secondCameraOnABusyAddressIsRefusedUntilTheFirstStops)
{
    CameraSimulator first(optionsForTest(32));
    QVCAM_START_OR_SKIP(first);
    first.setParameter("AIX_CAR_SENSITIVITY", "3");

    CameraSimulator second(optionsForTest(32));
    std::string error;
    EXPECT_FALSE(second.start(&error));
    EXPECT_NE(error.find("127.0.0.32:80"), std::string::npos) << error;

    first.stop();
    EXPECT_TRUE(second.start(&error)) << error;
    second.stop();

    // A restarted camera keeps its configuration, as a rebooted one does.
    EXPECT_TRUE(first.start(&error)) << error;
    EXPECT_EQ(extractedValue(httpGet(loopbackAddressForTest(32), readPath("AIX_CAR_SENSITIVITY")).body), "3");
}

TEST(CameraSimulator, listensOnLoopbackOnly)
{
    for (const char* address: {"0.0.0.0", "192.0.2.1", "128.0.0.1", "localhost", "::1"})
    {
        CameraSimulatorOptions options;
        options.address = address;
        options.port = 0;
        CameraSimulator camera(options);
        std::string error;
        EXPECT_FALSE(camera.start(&error)) << address;
        EXPECT_NE(error.find(address), std::string::npos) << error;
    }
}

TEST(CameraSimulator, answerPaddingMakesTheValueLineOverLong)
{
    CameraSimulatorOptions options = optionsForTest(33);
    options.answerPadding = 30000;
    CameraSimulator camera(options);
    QVCAM_START_OR_SKIP(camera);

    const HttpAnswer answer = httpGet(loopbackAddressForTest(33), readPath("AIX_TAMPERING_DURATION"));
    ASSERT_EQ(answer.code, CURLE_OK) << curl_easy_strerror(answer.code);
    EXPECT_EQ(answer.body.size(), std::string("AIX_TAMPERING_DURATION=3\r\n").size() + 30000);
    EXPECT_EQ(answer.body.substr(answer.body.size() - 2), "\r\n");
    const std::string value = extractedValue(answer.body);
    EXPECT_EQ(value.size(), 30001U);
    EXPECT_EQ(value.front(), '3');
}

struct FaultCase
{
    std::string path;
    long status;
    std::string body; //< The whole answer, or for an HTML page a part of it.
    std::string fault; //< As recorded.
    std::string parameter;
    std::string valueAfter; //< What the camera holds afterwards.
    const char* reason;
};

TEST(CameraSimulator, faultsByParameterAnswerTheirStatusOrErrorKeepTheStoredValueAndCanBeLifted)
{
    CameraSimulatorOptions options = optionsForTest(38);
    options.parameterFaults.statuses = {{"AIX_CAR_SENSITIVITY", 404, false}, {"AIX_TAMPERING_ENABLE", 403, false},
        {"AIX_TAMPERING_SENSITIVITY", 500, true}};
    options.parameterFaults.refusedWrites = {"AIX_PERSON_SENSITIVITY"};
    CameraSimulator camera(options);
    QVCAM_START_OR_SKIP(camera);
    const std::string page = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">";
    const std::string overLong(65, 'x');
    const FaultCase cases[] = {
        {readPath("AIX_CAR_SENSITIVITY"), 404, page, "status", "AIX_CAR_SENSITIVITY", "0",
            "a parameter the firmware lacks: an HTML page with = in its meta tags"},
        {writePath("AIX_CAR_SENSITIVITY", "2"), 404, "<title>404 Not Found</title>", "status", "AIX_CAR_SENSITIVITY",
            "0", "its writes too"},
        {readPath("AIX_TAMPERING_ENABLE"), 403, "<title>403 Forbidden</title>", "status", "AIX_TAMPERING_ENABLE", "1",
            "a parameter this user may not see"},
        {writePath("AIX_TAMPERING_SENSITIVITY", "2"), 500, "<title>500 Internal Server Error</title>", "status",
            "AIX_TAMPERING_SENSITIVITY", "1", "a write the camera fails at"},
        {readPath("AIX_TAMPERING_SENSITIVITY"), 200, "AIX_TAMPERING_SENSITIVITY=1\r\n", "", "AIX_TAMPERING_SENSITIVITY",
            "1", "a status for writes leaves reads alone"},
        {writePath("AIX_PERSON_SENSITIVITY", "3"), 200, "Error\r\n", "refusal", "AIX_PERSON_SENSITIVITY", "0",
            "a refused write"},
        {writePath("AIX_BICYCLE_SENSITIVITY", "3"), 200, "Ok\r\n", "", "AIX_BICYCLE_SENSITIVITY", "3",
            "a parameter without a fault is written"},
        {writePath("AIX_LINE_COUNTOSD_STRING1", overLong), 200, "Error\r\n", "", "AIX_LINE_COUNTOSD_STRING1", "%L2%",
            "a text longer than the camera stores"},
        {writePath("AIX_REGION_POSITION1", ""), 200, "Error\r\n", "", "AIX_REGION_POSITION1", "0",
            "a figure without points"},
        {writePath("AIX_REGION_POSITION1", "100,100,1001,100,500,500"), 200, "Error\r\n", "", "AIX_REGION_POSITION1",
            "0", "a point outside the frame"},
    };
    CameraClient client(loopbackAddressForTest(38));
    for (const FaultCase& c: cases)
    {
        SCOPED_TRACE(c.reason);
        const HttpAnswer answer = client.get(c.path);
        ASSERT_EQ(answer.code, CURLE_OK) << curl_easy_strerror(answer.code);
        EXPECT_EQ(answer.status, c.status);
        if (c.status == 200)
            EXPECT_EQ(answer.body, c.body);
        else
            EXPECT_NE(answer.body.find(c.body), std::string::npos) << answer.body;
        const bool html = answer.headers.find("Content-Type: text/html") != std::string::npos;
        EXPECT_EQ(html, c.status != 200) << answer.headers;
        EXPECT_EQ(camera.servedRequests().back().fault, c.fault);
        EXPECT_EQ(camera.parameter(c.parameter), c.valueAfter);
    }

    std::string error;
    ParameterFaults misspelt;
    misspelt.refusedWrites = {"AIX_PERSON_SENSITIVTY"};
    EXPECT_FALSE(camera.setParameterFaults(misspelt, &error));
    EXPECT_NE(error.find("AIX_PERSON_SENSITIVTY"), std::string::npos) << error;
    EXPECT_EQ(client.get(writePath("AIX_PERSON_SENSITIVITY", "3")).body, "Error\r\n") << "a refused change keeps them";
    ASSERT_TRUE(camera.setParameterFaults({}, &error)) << error;
    EXPECT_EQ(client.get(writePath("AIX_PERSON_SENSITIVITY", "3")).body, "Ok\r\n") << "lifted, the write is taken";
    EXPECT_EQ(client.get(readPath("AIX_CAR_SENSITIVITY")).body, "AIX_CAR_SENSITIVITY=0\r\n");

    CameraSimulatorOptions misspeltAtStart = optionsForTest(38);
    misspeltAtStart.parameterFaults.statuses = {{"AIX_CAR_SENSITIVTY", 404, false}};
    EXPECT_FALSE(CameraSimulator(misspeltAtStart).start(&error));
    EXPECT_NE(error.find("AIX_CAR_SENSITIVTY"), std::string::npos) << error;
}

struct StyleCase
{
    size_t trailingBlanks;
    bool multiLine;
    std::string name;
    std::string answer;
    const char* reason;
};

TEST(CameraSimulator, answerStylesAddTrailingBlanksOrTheNeighbouringLines)
{
    const StyleCase cases[] = {
        {3, false, "AIX_TAMPERING_ENABLE", "AIX_TAMPERING_ENABLE=1  \t\r\n", "blanks after the value"},
        {0, true, "AIX_TAMPERING_ENABLE",
            "AIX_TAMPERING_DURATION=3\r\nAIX_TAMPERING_ENABLE=1\r\nAIX_TAMPERING_SENSITIVITY=1\r\n",
            "the line asked for between those named before and after it"},
        {1, true, "AIX_TAMPERING_SENSITIVITY", "AIX_TAMPERING_ENABLE=1 \r\nAIX_TAMPERING_SENSITIVITY=1 \r\n",
            "the last name has no line after it; blanks on every line"},
        {2, true, "AIX_LINE_CURRENT_POSITION0", "Ok\r\n", "an unset live shape still answers Ok alone"},
    };
    for (const StyleCase& c: cases)
    {
        SCOPED_TRACE(c.reason);
        CameraSimulatorOptions options = optionsForTest(39);
        options.trailingBlanks = c.trailingBlanks;
        options.multiLineAnswers = c.multiLine;
        CameraSimulator camera(options);
        QVCAM_START_OR_SKIP(camera);
        EXPECT_EQ(httpGet(loopbackAddressForTest(39), readPath(c.name)).body, c.answer);
        camera.stop();
    }
}

TEST(CameraSimulator, writeDelayHoldsWritesAndNotReads)
{
    constexpr long kWriteDelayMs = 300;
    CameraSimulatorOptions options = optionsForTest(23);
    options.writeDelayMs = kWriteDelayMs;
    CameraSimulator camera(options);
    QVCAM_START_OR_SKIP(camera);
    CameraClient client(loopbackAddressForTest(23));

    auto asked = Clock::now();
    EXPECT_EQ(client.get(readPath("AIX_TAMPERING_DURATION")).body, "AIX_TAMPERING_DURATION=3\r\n");
    EXPECT_LT(elapsedMs(asked), kWriteDelayMs);
    asked = Clock::now();
    EXPECT_EQ(client.get(writePath("AIX_TAMPERING_DURATION", "10")).body, "Ok\r\n");
    EXPECT_GE(elapsedMs(asked), kWriteDelayMs);
    EXPECT_EQ(camera.parameter("AIX_TAMPERING_DURATION"), "10");
}

} // namespace
} // namespace qvcam::test
