// qvhost run as an integrator runs it: its exit status, the JSON lines of the packets, its messages.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include <camera_simulator.h>
#include <nlohmann/json.hpp>

#include "qvhost_run.h"

namespace {

using qvhost_test::Json;
using qvhost_test::QvhostRun;
using qvhost_test::runDirectory;
using qvhost_test::runQvhost;

const std::string kDataDir = QV_TEST_DATA_DIR;

/** The number after a label of the summary, or -1. */
long summaryFigure(const std::string& messages, const std::string& label)
{
    const size_t at = messages.find(label);
    return at == std::string::npos ? -1 : std::strtol(messages.c_str() + at + label.size(), nullptr, 10);
}

std::vector<Json> packetsOfKind(const QvhostRun& run, const std::string& kind)
{
    std::vector<Json> found;
    for (const Json& packet: run.packets)
    {
        if (packet.value("kind", "") == kind)
            found.push_back(packet);
    }
    return found;
}

std::string attribute(const Json& item, const std::string& name)
{
    for (const Json& pair: item["attributes"])
    {
        if (pair["name"] == name)
            return pair["value"];
    }
    return "<absent>";
}

/** The printed JSON lines, one value per line. */
std::vector<Json> jsonLines(const std::string& text)
{
    std::vector<Json> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(Json::parse(line, nullptr, false));
    return lines;
}

std::string writeTestFile(const std::string& name, const std::string& text)
{
    const std::string path = runDirectory() + name;
    std::ofstream(path) << text;
    return path;
}

/** Holds port 80 of a loopback address while it lives; not held where the port cannot be bound. */
class Port80Holder
{
public:
    explicit Port80Holder(const std::string& address): m_socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0))
    {
        sockaddr_in socketAddress{};
        socketAddress.sin_family = AF_INET;
        socketAddress.sin_port = htons(80);
        inet_pton(AF_INET, address.c_str(), &socketAddress.sin_addr);
        const auto* const generic = reinterpret_cast<const sockaddr*>(&socketAddress);
        if (m_socket >= 0 && (::bind(m_socket, generic, sizeof(socketAddress)) != 0 || ::listen(m_socket, 1) != 0))
        {
            ::close(m_socket);
            m_socket = -1;
        }
    }
    ~Port80Holder()
    {
        if (m_socket >= 0)
            ::close(m_socket);
    }
    bool held() const { return m_socket >= 0; }

private:
    int m_socket;
};

bool port80Available(const std::string& address)
{
    return Port80Holder(address).held();
}

const char kNoPort80[] = "port 80 cannot be bound: run under tools/in-netns.sh";

using Writes = std::vector<std::pair<std::string, std::string>>;

Writes writesOf(const Json& step)
{
    Writes writes;
    for (const Json& write: step.value("written", Json::array()))
        writes.emplace_back(write["parameter"], write["value"]);
    return writes;
}

TEST(Qvhost, replayWritesEveryPacketAsAJsonLineAtTheCalibratedDocumentTime)
{
    const QvhostRun run = runQvhost("replay --rate 10 --start-us 5000000 --step-us 200000 --calibration -2 " + kDataDir
        + "/scene_people_and_vehicles.xml " + kDataDir + "/events_all_topics.xml");

    ASSERT_EQ(run.status, 0) << run.messages;
    EXPECT_EQ(run.messages.find("never destroyed"), std::string::npos) << run.messages;
    const auto objects = packetsOfKind(run, "objects");
    const auto events = packetsOfKind(run, "events");
    const auto bestShots = packetsOfKind(run, "bestShot");
    ASSERT_EQ(objects.size(), 1U);
    ASSERT_EQ(events.size(), 1U);
    EXPECT_EQ(bestShots.size() + objects.size() + events.size(), run.packets.size()) << "every line is a packet";
    EXPECT_EQ(objects[0]["timestampUs"], 5'000'000 - 100'000) << "two levels of 50 ms earlier";
    EXPECT_EQ(events[0]["timestampUs"], 5'200'000 - 100'000);

    std::vector<std::string> types;
    for (const Json& object: objects[0]["objects"])
        types.push_back(object["typeId"]);
    EXPECT_EQ(types,
        (std::vector<std::string>{"tesh.qv.Human", "tesh.qv.Human", "tesh.qv.Head", "tesh.qv.Car", "tesh.qv.Truck",
            "tesh.qv.Bus", "tesh.qv.Bicycle", "tesh.qv.Motorcycle", "tesh.qv.Car", "tesh.qv.Human", "tesh.qv.Car"}));
    // Object 102: a person at (2480, 520)-(2611, 902) of the 3840x2160 frame, drawn in the person's colour.
    const Json& walker = objects[0]["objects"][1];
    EXPECT_NEAR(walker["box"]["x"].get<double>(), 2480.0 / 3840, 1e-5);
    EXPECT_NEAR(walker["box"]["y"].get<double>(), 520.0 / 2160, 1e-5);
    EXPECT_NEAR(walker["box"]["width"].get<double>(), 131.0 / 3840, 1e-5);
    EXPECT_NEAR(walker["box"]["height"].get<double>(), 382.0 / 2160, 1e-5);
    EXPECT_EQ(attribute(walker, "tesh.sys.color"), "Green");

    // The best shot of object 101 belongs to the track of the object that carries its attributes.
    std::map<std::string, std::string> trackByImage;
    for (const Json& bestShot: bestShots)
        trackByImage[bestShot["imageUrl"]] = bestShot["trackId"];
    const Json& portrait = objects[0]["objects"][0];
    EXPECT_EQ(attribute(portrait, "Object ID"), "101");
    EXPECT_EQ(trackByImage["http://127.0.0.1/snapshot/object_101.jpg"], portrait["trackId"]);

    ASSERT_GE(events[0]["events"].size(), 2U);
    EXPECT_EQ(events[0]["events"][0]["caption"], "Line Counting");
    EXPECT_EQ(events[0]["events"][0]["description"], "Event Line : [1], Count : [17]");
    EXPECT_EQ(events[0]["events"][1]["typeId"], "tesh.qv.Tampering");

    EXPECT_EQ(summaryFigure(run.messages, "documents pushed"), 2) << run.messages;
    EXPECT_EQ(summaryFigure(run.messages, "converted"), 2);
    EXPECT_EQ(summaryFigure(run.messages, "dropped while busy"), 0);
    EXPECT_EQ(summaryFigure(run.messages, "tesh.qv.LineCounting"), 1);
    EXPECT_GT(summaryFigure(run.messages, "push to delivery (us)    median"), 0);
}

TEST(Qvhost, sameCameraObjectKeepsItsTrackFromDocumentToDocument)
{
    const std::string document = kDataDir + "/objects_only.xml";
    const QvhostRun run = runQvhost("replay --rate 10 " + document + " " + document);

    ASSERT_EQ(run.status, 0) << run.messages;
    const auto objects = packetsOfKind(run, "objects");
    ASSERT_EQ(objects.size(), 2U);
    ASSERT_EQ(objects[0]["objects"].size(), objects[1]["objects"].size());
    ASSERT_FALSE(objects[0]["objects"].empty());
    for (size_t i = 0; i < objects[0]["objects"].size(); ++i)
        EXPECT_EQ(objects[0]["objects"][i]["trackId"], objects[1]["objects"][i]["trackId"]);
    EXPECT_EQ(objects[1]["timestampUs"].get<int64_t>() - objects[0]["timestampUs"].get<int64_t>(), 100'000);
}

TEST(Qvhost, replayWritesEveryPacketEvenWhenItsTextIsNotUtf8)
{
    std::string scene = qvhost_test::readText(kDataDir + "/scene_people_and_vehicles.xml");
    const std::string url = "snapshot/object_101.jpg";
    ASSERT_NE(scene.find(url), std::string::npos);
    const std::string strayByte = "\xFF";
    scene.replace(scene.find(url), url.size(), "snapshot/object_" + strayByte + "101.jpg");
    const QvhostRun run = runQvhost("replay --rate 10 " + writeTestFile("not_utf8.xml", scene));

    ASSERT_EQ(run.status, 0) << run.messages;
    const auto bestShots = packetsOfKind(run, "bestShot");
    EXPECT_EQ(static_cast<long>(bestShots.size()), summaryFigure(run.messages, "bestShot")) << "no line lost";
    std::vector<std::string> urls;
    for (const Json& bestShot: bestShots)
        urls.push_back(bestShot["imageUrl"]);
    const std::string replacement = "\xEF\xBF\xBD";
    const std::string expected = "http://127.0.0.1/snapshot/object_" + replacement + "101.jpg";
    EXPECT_NE(std::find(urls.begin(), urls.end(), expected), urls.end()) << "the stray byte as U+FFFD";
}

TEST(Qvhost, manifestPrintsAndChecksTheThreeManifests)
{
    const QvhostRun run = runQvhost("manifest");
    const std::string& printed = run.printed;

    EXPECT_EQ(run.status, 0) << run.messages;
    for (const char* heading: {"Plug-in manifest\n{", "Engine manifest\n{", "Device agent manifest\n{"})
        EXPECT_NE(printed.find(heading), std::string::npos) << heading;
    EXPECT_NE(printed.find("\"version\": \"1.0.2\""), std::string::npos);
}

TEST(Qvhost, refusedQueuedAndDroppedDocumentsAreCountedApart)
{
    const std::string events = qvhost_test::readText(kDataDir + "/events_only.xml");
    std::string recording;
    for (int i = 0; i < 20; ++i)
        recording += events + "\n";
    recording += "<?xml version=\"1.0\"?><tt:MetaDataStream><tt:Event><wsnt:NotificationMessage>\n"; //< Unclosed.
    recording += "<?xml version=\"1.0\"?><tt:OtherStream><tt:Event/></tt:OtherStream>\n";
    const QvhostRun run = runQvhost("replay --rate 0 " + writeTestFile("refused_and_queued.xml", recording));

    ASSERT_EQ(run.status, 0) << run.messages;
    EXPECT_EQ(summaryFigure(run.messages, "documents pushed"), 22) << run.messages;
    EXPECT_EQ(summaryFigure(run.messages, "refused"), 2) << "the plug-in reads neither";
    EXPECT_EQ(summaryFigure(run.messages, "dropped while busy"), 0) << "documents with events wait";
    EXPECT_EQ(summaryFigure(run.messages, "converted") + summaryFigure(run.messages, "queued"), 20);
}

TEST(Qvhost, badUseEndsInOneLineAndStatus2)
{
    const std::string document = kDataDir + "/objects_only.xml";
    const struct
    {
        std::string arguments;
        std::string message;
    } rows[] = {
        {"replay --library /nonexistent/libqv.so " + document, "qvhost: cannot load the plug-in library: "},
        {"replay --vendor Other " + document, "qvhost: the engine does not accept vendor 'Other' model 'RMTL-5200'\n"},
        {"replay /nonexistent.xml", "qvhost: cannot read '/nonexistent.xml': no such file or directory\n"},
        {"replay --report /nonexistent/report.html " + document, "qvhost: cannot write '/nonexistent/report.html'\n"},
        {"settings --camera-address 127.0.0.84 --set NOPE=1",
            "qvhost: --set: the settings model has no setting 'NOPE'\n"},
        {"settings --camera-address 127.0.0.84 --set AIX_LINE_ENABLE2",
            "qvhost: --set needs NAME=VALUE, not 'AIX_LINE_ENABLE2'\n"},
        {"settings --camera-address 127.0.0.84 --changes /nonexistent.json",
            "qvhost: cannot read '/nonexistent.json'\n"},
        {"settings --camera-address 10.0.0.1", "qvhost: the simulated camera cannot start: not a loopback address"},
        {"settings --url http://camera.local/onvif --set AIX_LINE_ENABLE2=true",
            "qvhost: --url 'http://camera.local/onvif' names no camera: its host must be an IPv4 address\n"},
    };
    for (const auto& row: rows)
    {
        const QvhostRun run = runQvhost(row.arguments);
        EXPECT_EQ(run.status, 2) << row.arguments;
        EXPECT_EQ(run.messages.rfind(row.message, 0), 0U) << run.messages;
        EXPECT_EQ(run.messages.find('\n'), run.messages.size() - 1) << "one line: " << run.messages;
    }
}

TEST(QvhostSettings, reportsTheCamerasConfigurationForEverySettingTheAgentReads)
{
    if (!port80Available("127.0.0.81"))
        GTEST_SKIP() << kNoPort80;
    const std::string prepared = writeTestFile("camera.json",
        R"({"AIX_PERSON_SENSITIVITY": "2", "AIX_REGION_POSITION2": "100,200,300,200,300,400,100,400",
            "AIX_REGION_ENABLE2": 1, "AIX_REGION_DISPLAY_ENABLE2": 1})");
    const QvhostRun run = runQvhost("settings --json --camera-address 127.0.0.81 --camera-parameters " + prepared);

    ASSERT_EQ(run.status, 0) << run.messages;
    const std::vector<Json> steps = jsonLines(run.printed);
    ASSERT_EQ(steps.size(), 1U) << run.printed;
    const Json& values = steps[0]["values"];
    EXPECT_EQ(steps[0]["errors"], Json::object());
    // Of the 337 settings, the host's own two never reach the camera, and a class display type the camera shows
    // (1, as the agent assumes at the start) gives no value.
    EXPECT_EQ(values.size(), 337U - 2 - 3);
    for (const char* absent: {"TS_CALIBRATION", "HL_DURATION", "AIX_PERSON_DISPLAY_TYPE"})
        EXPECT_FALSE(values.contains(absent)) << absent;
    EXPECT_EQ(values.value("AIX_PERSON_SENSITIVITY", ""), "2");
    EXPECT_EQ(values.value("AIX_REGION_ENABLE3", ""), "true") << "camera index 2 is the host's region 3";
    const Json region = Json::parse(values.value("AIX_REGION_POSITION3", ""), nullptr, false);
    EXPECT_EQ(region.value("showOnCamera", false), true) << region;
    const std::vector<std::vector<double>> points = region["figure"].value("points", Json::array());
    const std::vector<std::vector<double>> expected = {{0.1, 0.2}, {0.3, 0.2}, {0.3, 0.4}, {0.1, 0.4}};
    ASSERT_EQ(points.size(), expected.size()) << region;
    for (size_t i = 0; i < points.size(); ++i)
    {
        EXPECT_NEAR(points[i][0], expected[i][0], 1e-6);
        EXPECT_NEAR(points[i][1], expected[i][1], 1e-6);
    }
    EXPECT_EQ(writesOf(steps[0]), Writes()) << "an enabled figure is read without a write";
}

TEST(QvhostSettings, withARealCamerasUrlReleasesTheAgentOnlyOnceItsWritesReachedTheCamera)
{
    qvcam::CameraSimulatorOptions options;
    options.address = "127.0.0.123";
    options.password = "secret";
    options.writeDelayMs = 200; //< Saved to flash: ten writes take longer than the process needs to end.
    qvcam::CameraSimulator camera(options);
    std::string error;
    if (!camera.start(&error))
        GTEST_SKIP() << kNoPort80 << ": " << error;
    std::string arguments
        = "settings --url http://127.0.0.123/onvif/device_service --login admin --password secret"
          " --set AIX_TAMPERING_ENABLE=false --set AIX_TAMPERING_SENSITIVITY=2";
    for (int i = 1; i <= 8; ++i)
        arguments += " --set AIX_LINE_COUNTOSD_STRING" + std::to_string(i) + "=line" + std::to_string(i);

    const QvhostRun run = runQvhost(arguments);

    ASSERT_EQ(run.status, 0) << run.messages;
    const auto served = camera.servedRequests();
    const auto written = std::count_if(served.begin(), served.end(),
        [](const qvcam::ServedRequest& r) { return r.path == "/httpapi/WriteParam" && r.status == 200; });
    EXPECT_EQ(written, 10);
}

TEST(QvhostSettings, listsTheCameraParametersEachChangeWroteInItsOrder)
{
    if (!port80Available("127.0.0.82"))
        GTEST_SKIP() << kNoPort80;
    const struct
    {
        std::string assignment;
        Writes writes;
        const char* reason;
    } rows[] = {
        {"AIX_LINE_ENABLE2=true", {{"AIX_LINE_COUNT_ENABLE1", "1"}, {"AIX_LINE_ENABLE1", "1"}},
            "enabling a line enables its counting first; the camera counts from 0"},
        {R"(AIX_REGION_POSITION3={"figure":{"points":[[0.1,0.1],[0.1,0.5],[0.5,0.5],[0.5,0.1]]},"showOnCamera":true})",
            {{"AIX_REGION_DISPLAY_ENABLE2", "1"}, {"AIX_REGION_POSITION2", "100,100,500,100,500,500,100,500"}},
            "a counter-clockwise outline reaches the camera clockwise, after its display switch"},
        {R"(AIX_LINE_POSITION1={"figure":{"points":[[0.2,0.7],[0.8,0.7]],"direction":"left"},"showOnCamera":false})",
            {{"AIX_LINE_DIRECTION0", "1"}, {"AIX_LINE_DISPLAY_ENABLE0", "0"},
                {"AIX_LINE_POSITION0", "200,700,800,700"}},
            "a line's direction goes first"},
        {"AIX_EXCLUDE_REGION_TYPE4=Spot", {{"AIX_EXCLUDE_REGION_TYPE3", "1"}}, "the type's choice as the camera's 0/1"},
    };
    std::string arguments = "settings --json --camera-address 127.0.0.82";
    size_t writeCount = 0;
    for (const auto& row: rows)
    {
        arguments += " --set '" + row.assignment + "'";
        writeCount += row.writes.size();
    }
    const QvhostRun run = runQvhost(arguments);

    ASSERT_EQ(run.status, 0) << run.messages;
    const std::vector<Json> steps = jsonLines(run.printed);
    ASSERT_EQ(steps.size(), 2U) << run.printed;
    EXPECT_EQ(steps[1]["errors"], Json::object());
    EXPECT_EQ(steps[1]["values"].value("AIX_LINE_COUNT_RESET_ALL", ""), "false");
    const Writes written = writesOf(steps[1]);
    EXPECT_EQ(written.size(), writeCount) << "only the changes are written: " << steps[1]["written"];
    for (const auto& row: rows)
    {
        Writes ofRow;
        for (const auto& write: written)
        {
            for (const auto& expected: row.writes)
            {
                if (write.first == expected.first)
                    ofRow.push_back(write);
            }
        }
        EXPECT_EQ(ofRow, row.writes) << row.reason;
    }
}

TEST(QvhostSettings, simulatedCameraOnATakenPortIsBadUse)
{
    const Port80Holder taken("127.0.0.83");
    if (!taken.held())
        GTEST_SKIP() << kNoPort80;
    const QvhostRun run = runQvhost("settings --camera-address 127.0.0.83");

    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.messages.rfind("qvhost: the simulated camera cannot start: cannot bind 127.0.0.83:80", 0), 0U)
        << run.messages;
}

} // namespace
