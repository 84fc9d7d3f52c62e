// qvhost run as an integrator runs it: its exit status, the JSON lines of the packets, its messages.
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using Json = nlohmann::json;

const std::string kDataDir = QV_TEST_DATA_DIR;

struct QvhostRun
{
    int status = -1;
    std::vector<Json> packets;
    std::string printed;
    std::string messages;
};

std::string readText(const std::string& path)
{
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

/**
 * A replay writes its packets to a file, the rest goes to the standard output; messages come from the standard error;
 * the plug-in's log goes to a file of its own.
 */
/** A directory of this process's own, so that runs by other users or at the same time never share files. */
const std::string& runDirectory()
{
    static const std::string directory = []
    {
        std::string pattern = testing::TempDir() + "qvhost_test.XXXXXX";
        return mkdtemp(pattern.data()) ? pattern + "/" : testing::TempDir();
    }();
    return directory;
}

QvhostRun runQvhost(const std::string& arguments)
{
    const std::string& dir = runDirectory();
    const std::string name = dir + testing::UnitTest::GetInstance()->current_test_info()->name();
    std::remove((name + ".jsonl").c_str());
    const std::string output = arguments.rfind("replay", 0) == 0 ? " --output " + name + ".jsonl" : "";
    const std::string command = std::string(QVHOST_PROGRAM) + " " + arguments + " --plugin-log " + name + ".log"
        + output + " > " + name + ".stdout 2> " + name + ".stderr";
    QvhostRun run;
    const int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream lines(name + ".jsonl");
    for (std::string line; std::getline(lines, line);)
        run.packets.push_back(Json::parse(line, nullptr, false));
    run.printed = readText(name + ".stdout");
    run.messages = readText(name + ".stderr");
    return run;
}

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

TEST(Qvhost, manifestPrintsAndChecksTheThreeManifests)
{
    const QvhostRun run = runQvhost("manifest");
    const std::string& printed = run.printed;

    EXPECT_EQ(run.status, 0) << run.messages;
    for (const char* heading: {"Plug-in manifest\n{", "Engine manifest\n{", "Device agent manifest\n{"})
        EXPECT_NE(printed.find(heading), std::string::npos) << heading;
    EXPECT_NE(printed.find("\"version\": \"1.0.2\""), std::string::npos);
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
    };
    for (const auto& row: rows)
    {
        const QvhostRun run = runQvhost(row.arguments);
        EXPECT_EQ(run.status, 2) << row.arguments;
        EXPECT_EQ(run.messages.rfind(row.message, 0), 0U) << run.messages;
        EXPECT_EQ(run.messages.find('\n'), run.messages.size() - 1) << "one line: " << run.messages;
    }
}

} // namespace
