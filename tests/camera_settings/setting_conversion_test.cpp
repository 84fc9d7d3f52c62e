// The host's setting values and the camera's parameters, both ways, without a camera.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <camera_settings/bounded_parallel.h>
#include <camera_settings/camera_settings.h>
#include <camera_settings/figure_conversion.h>
#include <camera_settings/object_size_constraints.h>
#include <camera_settings/plugin_side_settings.h>
#include <camera_settings/setting_reading.h>
#include <camera_settings/setting_writing.h>
#include <camera_settings/write_hold_off.h>

namespace tesh::vms_server_plugins::analytics::qv {
namespace {

using Json = nlohmann::json;
using Paths = std::vector<std::string>;

std::string write(const std::string& parameter, const std::string& value)
{
    return "WriteParam?action=writeparam&" + parameter + "=" + value + "&";
}

using Points = std::vector<std::vector<float>>;

Points pointsOf(const std::optional<Json>& points)
{
    return points ? points->get<Points>() : Points();
}

TEST(FigureConversion, cameraListsBecomeSinglePrecisionFractions)
{
    EXPECT_EQ(pointsOf(pointsFromCamera("100,200,300,200,300,400", false)),
        Points({{0.1f, 0.2f}, {0.3f, 0.2f}, {0.3f, 0.4f}}));
    EXPECT_EQ(pointsFromCamera("100,200,300", false), std::nullopt) << "odd count";
    EXPECT_EQ(pointsFromCamera("100,x,300,400", false), std::nullopt);
    EXPECT_EQ(pointsOf(pointsFromCamera("100,200,50,60", true)), Points({{0.1f + 0.05f, 0.2f}, {0.1f, 0.2f + 0.06f}}))
        << "a rectangle x,y,w,h as two corners";
}

TEST(FigureConversion, regionsReachTheCameraClockwiseFromTheTopLeftVertex)
{
    const std::string ccw = R"({"figure":{"points":[[0.1,0.1],[0.1,0.5],[0.5,0.5],[0.5,0.1]]},"showOnCamera":true})";
    EXPECT_EQ(figureWritePaths("AIX_REGION_POSITION1", ccw),
        Paths({write("AIX_REGION_DISPLAY_ENABLE0", "1"),
            write("AIX_REGION_POSITION0", "100,100,500,100,500,500,100,500")}));
    const std::string cw = R"({"figure":{"points":[[0.5,0.5],[0.1,0.5],[0.1,0.1],[0.5,0.1]]}})";
    EXPECT_EQ(figureWritePaths("AIX_EXCLUDE_REGION_POSITION8", cw),
        Paths({write("AIX_EXCLUDE_REGION_DISPLAY_ENABLE7", "0"),
            write("AIX_EXCLUDE_REGION_POSITION7", "500,500,100,500,100,100,500,100")}))
        << "already clockwise: sent as drawn, starting where the host's list starts";
    EXPECT_EQ(figureWritePaths(
                  "AIX_REGION_POSITION2", R"({"figure":{"points":[[0.12349,0.99999],[-0.5,1.5],[1e300,-1e300]]}})"),
        Paths({write("AIX_REGION_DISPLAY_ENABLE1", "0"), write("AIX_REGION_POSITION1", "123,999,0,1000,1000,0")}))
        << "truncated towards zero, points outside the frame moved onto its edge";
}

TEST(FigureConversion, linesKeepTheirOrderAndSendTheirDirectionFirst)
{
    const std::string left = R"({"figure":{"points":[[0.5,0.1],[0.1,0.5]],"direction":"left"},"showOnCamera":false})";
    EXPECT_EQ(figureWritePaths("AIX_LINE_POSITION1", left),
        Paths({write("AIX_LINE_DIRECTION0", "1"), write("AIX_LINE_DISPLAY_ENABLE0", "0"),
            write("AIX_LINE_POSITION0", "500,100,100,500")}));
    const std::string none = R"({"figure":{"points":[[0.5,0.1],[0.1,0.5]],"direction":"up"}})";
    EXPECT_EQ(figureWritePaths("AIX_LINE_POSITION2", none)->front(), write("AIX_LINE_DISPLAY_ENABLE1", "0"));
}

TEST(FigureConversion, aNullFigureIsClearedAndABrokenValueSendsNothing)
{
    EXPECT_EQ(figureWritePaths("AIX_REGION_POSITION3", R"({"figure":null,"showOnCamera":true})"),
        Paths({write("AIX_REGION_DISPLAY_ENABLE2", "1"), write("AIX_REGION_CLEAR2", "0")}));
    EXPECT_EQ(
        figureWritePaths("AIX_REGION_POSITION3", R"({"showOnCamera":false})")->back(), write("AIX_REGION_CLEAR2", "0"))
        << "an absent figure counts as none";
    EXPECT_EQ(figureWritePaths("AIX_LINE_POSITION3", R"({"figure":{"points":[[0.1,0.1]]}})"), std::nullopt)
        << "a line of one point";
    for (const char* broken:
        {"", "not json", "[1,2]", R"({"figure":{"points":[["a","b"]]}})", R"({"figure":{"points":5}})",
            R"({"figure":"drawn"})", R"({"figure":{"points":[]}})", R"({"figure":{"points":[[0.1,0.1],[0.2,0.2]]}})"})
    {
        EXPECT_EQ(figureWritePaths("AIX_REGION_POSITION3", broken), std::nullopt) << broken;
    }
}

TEST(ObjectSizeConstraints, pixelsAndFractionsBothWays)
{
    const Json read = Json::parse(*objectSizeFromCamera("0,0,12,12,960,540,1920,1080", {1920, 1080}));
    EXPECT_EQ(read["minimum"], Json::array({12.0f / 1920, 12.0f / 1080}));
    EXPECT_EQ(read["maximum"], Json::array({1.0, 1.0}));
    EXPECT_EQ(read["positions"], Json::parse("[[0,0],[0.5,0.5]]"));
    for (const char* count: {"0,0,12,12,960,540,1920", "0,0,12,12,960,540,1920,1080,5", "0,0,12,12,960,540,1920,x"})
        EXPECT_EQ(objectSizeFromCamera(count, {1920, 1080}), std::nullopt) << count;
    EXPECT_EQ(objectSizeFromCamera("0,0,12,12,960,540,1920,1080", {0, 0}), std::nullopt) << "no frame yet";

    const std::string value = R"({"minimum":[0.001,0.001],"maximum":[1.2,0.5],"positions":[[0.1,0.1],[0.5,0.5]]})";
    EXPECT_EQ(objectSizeToCamera(value, {1920, 1080}), "192,108,12,12,960,540,1920,540");
    EXPECT_EQ(objectSizeToCamera(R"({"minimum":[0.006,0.01],"maximum":[1.0,1.0]})", {1920, 1080}), std::nullopt)
        << "the model's default has no positions: nothing half-taken reaches the camera";
}

TEST(SettingWriting, valuesAreConvertedIndexShiftedAndEncoded)
{
    AgentSettingsState state;
    struct Row
    {
        const char* name;
        const char* value;
        WritePlan expected;
    };
    const auto sent = [](Paths paths) { return WritePlan{std::move(paths), {}}; };
    const Row rows[] = {
        {"AIX_LINE_ENABLE2", "true",
            sent(Paths({write("AIX_LINE_COUNT_ENABLE1", "1"), write("AIX_LINE_ENABLE1", "1")}))},
        {"AIX_EXCLUDE_REGION_TYPE4", "Spot", sent(Paths({write("AIX_EXCLUDE_REGION_TYPE3", "1")}))},
        {"AIX_REGION_EVENT_CAR_STAY3", "true", sent(Paths({write("AIX_REGION_EVENT_CAR_STAY2", "1")}))},
        {"AIX_LINE_COUNTOSD_STRING3", "%L3% a,b",
            sent(Paths({write("AIX_LINE_COUNTOSD_STRING2", "%25L3%25%20a%2cb")}))},
        {"AIX_PERSON_SENSITIVITY", "2", sent(Paths({write("AIX_PERSON_SENSITIVITY", "2")}))},
        {"AIX_LINE_COUNT_RESET3", "true", sent(Paths({write("AIX_LINE_COUNT_RESET2", "1")}))},
        {"AIX_LINE_COUNT_RESET4", "maybe", sent(Paths({write("AIX_LINE_COUNT_RESET3", "0")}))},
        {"AIX_BICYCLE_DISPLAY_TYPE", "7", sent(Paths({write("AIX_BICYCLE_DISPLAY_TYPE", "1")}))},
        {"TS_CALIBRATION", "3", {}},
        {"HL_DURATION", "5", {}},
        {"AIX_TAMPERING_ENABLE&AIX_OBJECT_DETECTION_ENABLE=0", "true", {}},
        {"AIX_PERSON SENSITIVITY", "1", {}},
        {"AIX_OBJECT_DETECTION_SIZE", R"({"minimum":[0.006,0.01],"maximum":[1.0,1.0]})", {}},
        {"AIX_LINE_COUNTOSD_STRING1", "two\r\nlines", {{}, kControlCharacterRefusal}},
        {"AIX_LINE_COUNTOSD_STRING3", "tab\t", {{}, kControlCharacterRefusal}},
        {"AIX_REGION_POSITION1", R"({"figure":{"points":[[0.1,0.1],[0.2,0.2]]}})", {{}, kFigureRefusal}},
    };
    for (const Row& row: rows)
        EXPECT_EQ(writePlanFor(&state, row.name, row.value), row.expected) << row.name;
    EXPECT_EQ(
        writePlanFor(&state, "AIX_LINE_COUNTOSD_STRING4", std::string("a\0b", 3)).refusal, kControlCharacterRefusal)
        << "a NUL inside the value";

    const Paths resets = writePlanFor(&state, "AIX_LINE_COUNT_RESET_ALL", "true").paths;
    ASSERT_EQ(resets.size(), 8U);
    EXPECT_EQ(resets.front(), write("AIX_LINE_COUNT_RESET0", "0"));
    EXPECT_EQ(resets.back(), write("AIX_LINE_COUNT_RESET7", "0"));

    EXPECT_EQ(writePlanFor(&state, "AIX_CAR_DISPLAY_TYPE", "0"), sent(Paths({write("AIX_CAR_DISPLAY_TYPE", "0")})));
    EXPECT_EQ(state.carDisplayType, 0);
    EXPECT_EQ(state.bicycleDisplayType, 1);
}

TEST(SettingReading, cameraValuesBecomeTheHostsForms)
{
    AgentSettingsState state;
    EXPECT_EQ(hostValueOf("AIX_TAMPERING_SENSITIVITY", "2", &state), "2");
    EXPECT_EQ(hostValueOf("AIX_LINE_COUNTOSD_STRING1", "%L1%", &state), "%L1%");
    EXPECT_EQ(hostValueOf("AIX_EXCLUDE_REGION_TYPE1", "1", &state), "Spot");
    EXPECT_EQ(hostValueOf("AIX_EXCLUDE_REGION_TYPE1", "0", &state), "Region");
    EXPECT_EQ(hostValueOf("AIX_EXCLUDE_REGION_TYPE1", "2", &state), std::nullopt);
    EXPECT_EQ(hostValueOf("AIX_LINE_ENABLE1", "1", &state), "true");
    EXPECT_EQ(hostValueOf("AIX_LINE_ENABLE1", " -3xyz", &state), "true") << "read as the C library reads integers";
    EXPECT_EQ(hostValueOf("AIX_LINE_ENABLE1", "0", &state), "false");
    EXPECT_EQ(hostValueOf("AIX_LINE_ENABLE1", "on", &state), std::nullopt);

    EXPECT_EQ(hostValueOf("AIX_BICYCLE_DISPLAY_TYPE", "1", &state), std::nullopt) << "shown already: nothing new";
    EXPECT_EQ(hostValueOf("AIX_BICYCLE_DISPLAY_TYPE", "0", &state), "0");
    EXPECT_EQ(state.bicycleDisplayType, 0);
    EXPECT_EQ(hostValueOf("AIX_BICYCLE_DISPLAY_TYPE", "1", &state), "1");
    EXPECT_EQ(state.bicycleDisplayType, 1);
}

TEST(BoundedParallel, runsEveryJobOnceWithAtMostTheBoundAtATime)
{
    constexpr int kJobs = 40;
    std::atomic<int> running{0};
    std::atomic<int> mostRunning{0};
    std::vector<std::atomic<int>> runs(kJobs);
    runBounded(kJobs, 8, [&](std::size_t i) {
        const int now = ++running;
        for (int seen = mostRunning; now > seen && !mostRunning.compare_exchange_weak(seen, now);)
        {}
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ++runs[i];
        --running;
    });
    for (const auto& count: runs)
        EXPECT_EQ(count, 1);
    EXPECT_EQ(mostRunning, 8);
}

TEST(WriteHoldOff, runsFromTheFirstWriteUntilItsDurationAfterTheLastFinished)
{
    using namespace std::chrono_literals;
    WriteHoldOff holdOff;
    EXPECT_FALSE(holdOff.isActive());
    holdOff.writeStarted();
    holdOff.writeStarted();
    holdOff.writeFinished(100ms);
    std::this_thread::sleep_for(150ms);
    EXPECT_TRUE(holdOff.isActive()) << "the second write is still under way";
    holdOff.writeFinished(100ms);
    holdOff.writeStarted();
    holdOff.writeFinished(0ms);
    EXPECT_TRUE(holdOff.isActive()) << "a write the camera took none of does not cut short another's hold-off";
    std::this_thread::sleep_for(150ms);
    EXPECT_FALSE(holdOff.isActive());
}

TEST(CameraSettings, cameraReportOfAChangeAsksForAReadUnlessOurWriteCausedIt)
{
    struct Row
    {
        const char* reason;
        bool holdOff;
        bool refreshPending;
    };
    const Row rows[] = {
        {"someone else changed the camera", false, true},
        {"our own write made the camera report it", true, false},
    };
    for (const Row& row: rows)
    {
        SCOPED_TRACE(row.reason);
        CameraSettings settings(CameraLink("", "", "")); //< Asks the camera nothing here.
        if (row.holdOff)
        {
            settings.state().writeHoldOff.writeStarted();
            settings.state().writeHoldOff.writeFinished();
        }
        settings.cameraSettingsChanged();
        EXPECT_EQ(settings.state().refreshPending, row.refreshPending);
    }
}

TEST(PluginSideSettings, onlyIntegersWithinTheDialogsRangesAreTaken)
{
    EXPECT_EQ(calibrationUsOf("-2"), -100'000);
    EXPECT_EQ(calibrationUsOf("20"), 1'000'000);
    EXPECT_EQ(calibrationUsOf("-20"), -1'000'000);
    EXPECT_EQ(calibrationUsOf("21"), std::nullopt) << "beyond the spin box";
    EXPECT_EQ(calibrationUsOf("42950"), std::nullopt) << "would overflow 32 bits once multiplied";
    EXPECT_EQ(calibrationUsOf("3 levels"), std::nullopt) << "not the whole text";
    EXPECT_EQ(calibrationUsOf(""), std::nullopt);
    EXPECT_EQ(highlightSecondsOf("0"), 0) << "off";
    EXPECT_EQ(highlightSecondsOf("60"), 60);
    EXPECT_EQ(highlightSecondsOf("-1"), std::nullopt);
    EXPECT_EQ(highlightSecondsOf("5 sec"), std::nullopt);
}

} // namespace
} // namespace tesh::vms_server_plugins::analytics::qv
