// The agent keeps the host's dialog and the simulated camera in step, driven as the host drives it.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <camera_settings/camera_request.h>
#include <camera_settings/figure_reading.h>
#include <camera_settings/setting_writing.h>
#include <camera_settings/settings_defaults.h>
#include <camera_simulator.h>
#include <host_double/compressed_video_packet.h>
#include <host_double/custom_metadata_packet.h>
#include <host_double/device_agent_handler.h>
#include <host_double/device_info.h>
#include <host_double/host_string_map.h>
#include <plugin/device_agent.h>

namespace tesh::test {
namespace {

using namespace std::chrono_literals;
using vms_server_plugins::analytics::qv::DeviceAgent;
using vms_server_plugins::analytics::qv::kCameraRequestTimeoutMs;
using vms_server_plugins::analytics::qv::kControlCharacterRefusal;
using vms_server_plugins::analytics::qv::kEmptyFigureValue;
using vms_server_plugins::analytics::qv::kFigureRefusal;
using vms_server_plugins::analytics::qv::kMaxCameraRequestsInFlight;
using vms_server_plugins::analytics::qv::kQuickEmptyFigureValue;
using vms_server_plugins::analytics::qv::settingsDefaults;
using Clock = std::chrono::steady_clock;
using Json = nlohmann::json;
using Values = std::map<std::string, std::string>;
using Writes = std::vector<std::string>;

const std::string kUser = "operator";
const std::string kPassword = "s3cret-Pa55";

struct Reply
{
    bool present = false; //< Whether the agent answered with a response at all.
    Values values;
    Values errors;
};

Values valuesOf(sdk::Ptr<sdk::IStringMap> map)
{
    Values values;
    for (int i = 0; map && i < map->count(); ++i)
        values[map->key(i)] = map->value(i);
    return values;
}

Reply replyOf(sdk::Result<sdk::ISettingsResponse*>* result)
{
    EXPECT_TRUE(result->isOk());
    const auto response = sdk::adopt(result->value);
    if (!response)
        return {};
    return {true, valuesOf(sdk::adopt(response->values())), valuesOf(sdk::adopt(response->errors()))};
}

std::vector<std::string> resetNames()
{
    std::vector<std::string> names = {"AIX_LINE_COUNT_RESET_ALL"};
    for (int k = 1; k <= 8; ++k)
        names.push_back("AIX_LINE_COUNT_RESET" + std::to_string(k));
    return names;
}

Values onlyResets()
{
    Values values;
    for (const std::string& name: resetNames())
        values[name] = "false";
    return values;
}

class SettingsSync: public testing::Test
{
protected:
    /** Starts the camera on port 80 of 127.0.0.host; skips where this user may not bind it. */
    void startCamera(int host, void (*adjust)(qvcam::CameraSimulatorOptions*) = nullptr)
    {
        qvcam::CameraSimulatorOptions options;
        options.address = qvcam::loopbackAddressForTest(host);
        options.user = kUser;
        options.password = kPassword;
        if (adjust)
            adjust(&options);
        camera = std::make_unique<qvcam::CameraSimulator>(options);
        m_host = host;
        std::string error;
        if (camera->start(&error))
            return;
        if (geteuid() != 0)
            GTEST_SKIP() << "port 80 is out of reach for this user: " << error;
        FAIL() << error;
    }

    void makeAgent(int host, const std::string& password = kPassword)
    {
        const auto info = sdk::makePtr<DeviceInfo>();
        info->setId("camera-" + std::to_string(host));
        info->setUrl("http://" + qvcam::loopbackAddressForTest(host) + "/onvif/device_service");
        info->setLogin(kUser);
        info->setPassword(password);
        agent = sdk::makePtr<DeviceAgent>(info.get());
        agent->setHandler(handler.get());
    }

    Reply deliver(const Values& values)
    {
        sdk::Result<sdk::ISettingsResponse*> result;
        agent->doSetSettings(&result, makeHostStringMap(values).get());
        return replyOf(&result);
    }

    Reply openDialog()
    {
        sdk::Result<sdk::ISettingsResponse*> result;
        agent->getPluginSideSettings(&result);
        return replyOf(&result);
    }

    /** The host shows what the agent answered over what it held before. */
    static Values dialogAfter(const Reply& reply, Values values = settingsDefaults())
    {
        for (const auto& [name, value]: reply.values)
            values[name] = value;
        return values;
    }

    /** Delivers the dialog and takes the answer into it, as the host does. */
    Reply apply(Values* dialog)
    {
        const Reply reply = deliver(*dialog);
        *dialog = dialogAfter(reply, *dialog);
        return reply;
    }

    /** "PARAMETER=value" of every write the camera accepted so far, in the order they arrived. */
    Writes writes() const
    {
        Writes result;
        for (const qvcam::ServedRequest& request: camera->servedRequests())
        {
            if (request.path == "/httpapi/WriteParam" && request.status == 200)
                result.push_back(request.parameter + "=" + request.value);
        }
        return result;
    }

    /** The writes after the first `from`, once no new one arrived for a while. */
    Writes writesSettled(std::size_t from) const
    {
        Writes seen = writes();
        for (auto quietSince = Clock::now(); Clock::now() - quietSince < 400ms;)
        {
            std::this_thread::sleep_for(20ms);
            Writes now = writes();
            if (now.size() != seen.size())
                quietSince = Clock::now();
            seen = std::move(now);
        }
        return Writes(seen.begin() + static_cast<std::ptrdiff_t>(std::min(from, seen.size())), seen.end());
    }

    /** Requests the camera served to the parameter, writes and refused ones included. */
    std::size_t requestsFor(const std::string& path, const std::string& parameter) const
    {
        const auto requests = camera->servedRequests();
        return static_cast<std::size_t>(std::count_if(requests.begin(), requests.end(),
            [&](const qvcam::ServedRequest& r) { return r.path == path && r.parameter == parameter; }));
    }

    static bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 5s)
    {
        for (const auto deadline = Clock::now() + timeout; !condition(); std::this_thread::sleep_for(5ms))
        {
            if (Clock::now() > deadline)
                return false;
        }
        return true;
    }

    std::unique_ptr<qvcam::CameraSimulator> camera;
    sdk::Ptr<DeviceAgentHandler> handler = sdk::makePtr<DeviceAgentHandler>();
    sdk::Ptr<DeviceAgent> agent;

private:
    int m_host = 0;
};

Writes sorted(Writes writes)
{
    std::sort(writes.begin(), writes.end());
    return writes;
}

TEST_F(SettingsSync, firstDeliveryShowsTheCamerasConfigurationAndWritesOnlyTheDisplayOffOfADisabledFigure)
{
    startCamera(91);
    camera->setParameter("AIX_TAMPERING_SENSITIVITY", "2");
    camera->setParameter("AIX_LINE_POSITION0", "100,200,300,400");
    camera->setParameter("AIX_LINE_DIRECTION0", "1");
    camera->setParameter("AIX_LINE_ENABLE0", "1");
    camera->setParameter("AIX_LINE_DISPLAY_ENABLE0", "1");
    camera->setParameter("AIX_LINE_POSITION2", "0,500,999,500,999,600,0,700");
    camera->setParameter("AIX_LINE_CURRENT_POSITION2", "2;0,500,999,500;999,600,0,700");
    camera->setParameter("AIX_LINE_ENABLE2", "1");
    camera->setParameter("AIX_REGION_POSITION0", "100,100,500,100,500,500,100,500");
    camera->setParameter("AIX_REGION_ENABLE0", "0");
    camera->setParameter("AIX_REGION_DISPLAY_ENABLE0", "1");
    makeAgent(91);

    const Reply reply = deliver(settingsDefaults());

    EXPECT_EQ(reply.errors, Values());
    EXPECT_EQ(reply.values.size(), 337U - 2 - 3) << "all but the box delay, the highlight time and the display types";
    EXPECT_EQ(reply.values.count("TS_CALIBRATION"), 0U);
    EXPECT_EQ(reply.values.at("AIX_TAMPERING_SENSITIVITY"), "2");
    EXPECT_EQ(reply.values.at("AIX_TAMPERING_ENABLE"), "true");
    EXPECT_EQ(reply.values.at("AIX_EXCLUDE_REGION_TYPE1"), "Region");
    for (const std::string& reset: resetNames())
        EXPECT_EQ(reply.values.at(reset), "false") << reset;
    EXPECT_EQ(Json::parse(reply.values.at("AIX_LINE_POSITION1")),
        Json({{"figure", {{"direction", "left"}, {"points", {{0.1f, 0.2f}, {0.3f, 0.4f}}}}}, {"showOnCamera", true}}));
    EXPECT_EQ(reply.values.at("AIX_LINE_ENABLE1"), "true");
    EXPECT_EQ(Json::parse(reply.values.at("AIX_LINE_POSITION3"))["figure"]["points"],
        Json({{0.0f, 0.5f}, {0.999f, 0.5f}, {0.999f, 0.6f}, {0.0f, 0.7f}}))
        << "the live shape in pieces, joined";
    EXPECT_EQ(Json::parse(reply.values.at("AIX_REGION_POSITION1"))["showOnCamera"], false);
    EXPECT_EQ(reply.values.at("AIX_REGION_ENABLE1"), "false");
    EXPECT_EQ(reply.values.at("AIX_REGION_POSITION5"), kEmptyFigureValue);

    EXPECT_EQ(writesSettled(0), Writes({"AIX_REGION_DISPLAY_ENABLE0=0"}));
    const std::vector<qvcam::ServedRequest> served = camera->servedRequests();
    std::set<std::string> parameters;
    for (const qvcam::ServedRequest& request: served)
        parameters.insert(request.path + "?" + request.parameter);
    EXPECT_LE(served.size(), parameters.size() + 2 * kMaxCameraRequestsInFlight)
        << "one exchange per parameter, one challenge per kept connection";
}

TEST_F(SettingsSync, laterDeliveriesWriteExactlyWhatChangedConvertedAndIndexShifted)
{
    startCamera(92);
    makeAgent(92);
    Values dialog = dialogAfter(deliver(settingsDefaults()));
    const std::size_t before = writes().size();

    dialog["AIX_LINE_ENABLE2"] = "true";
    dialog["AIX_EXCLUDE_REGION_TYPE4"] = "Spot";
    dialog["AIX_LINE_COUNTOSD_STRING3"] = "%L3% & more";
    dialog["AIX_CAR_DISPLAY_TYPE"] = "0";
    dialog["AIX_REGION_POSITION2"]
        = R"({"figure":{"points":[[0.1,0.1],[0.1,0.5],[0.5,0.5],[0.5,0.1]]},"showOnCamera":true})";
    dialog["AIX_LINE_COUNTOSD_STRING4"] = "two\r\nlines";
    dialog["AIX_EXCLUDE_REGION_POSITION1"] = R"({"figure":{"points":[[0.1,0.1],[0.5,0.5]]},"showOnCamera":true})";
    const Reply reply = deliver(dialog);

    EXPECT_EQ(reply.values, onlyResets());
    EXPECT_EQ(reply.errors,
        Values({{"AIX_LINE_COUNTOSD_STRING4", kControlCharacterRefusal},
            {"AIX_EXCLUDE_REGION_POSITION1", kFigureRefusal}}))
        << "values the camera cannot keep are not sent";
    const Writes written = writesSettled(before);
    EXPECT_EQ(sorted(written),
        sorted({"AIX_LINE_COUNT_ENABLE1=1", "AIX_LINE_ENABLE1=1", "AIX_EXCLUDE_REGION_TYPE3=1",
            "AIX_LINE_COUNTOSD_STRING2=%L3% & more", "AIX_CAR_DISPLAY_TYPE=0", "AIX_REGION_DISPLAY_ENABLE1=1",
            "AIX_REGION_POSITION1=100,100,500,100,500,500,100,500"}));
    const auto at = [&](const char* write) { return std::find(written.begin(), written.end(), write); };
    EXPECT_LT(at("AIX_LINE_COUNT_ENABLE1=1"), at("AIX_LINE_ENABLE1=1")) << "counting is enabled with its line";
    EXPECT_LT(at("AIX_REGION_DISPLAY_ENABLE1=1"), at("AIX_REGION_POSITION1=100,100,500,100,500,500,100,500"));
    EXPECT_EQ(camera->parameter("AIX_LINE_COUNTOSD_STRING2"), "%L3% & more") << "the text arrived whole";

    const std::size_t afterChanges = writes().size();
    EXPECT_EQ(deliver(dialog).values, onlyResets());
    EXPECT_EQ(writesSettled(afterChanges), Writes()) << "nothing changed, nothing written";
}

TEST_F(SettingsSync, momentarySwitchesAndTheObjectDetectionSwitch)
{
    startCamera(93);
    makeAgent(93);
    Values dialog = dialogAfter(deliver(settingsDefaults()));

    std::size_t before = writes().size();
    dialog["AIX_LINE_COUNT_RESET_ALL"] = "true";
    dialog["AIX_LINE_COUNT_RESET5"] = "true";
    EXPECT_EQ(apply(&dialog).values, onlyResets()) << "the dialog shows the boxes unticked again";
    EXPECT_EQ(sorted(writesSettled(before)),
        sorted({"AIX_LINE_COUNT_RESET0=0", "AIX_LINE_COUNT_RESET1=0", "AIX_LINE_COUNT_RESET2=0",
            "AIX_LINE_COUNT_RESET3=0", "AIX_LINE_COUNT_RESET4=0", "AIX_LINE_COUNT_RESET5=0", "AIX_LINE_COUNT_RESET6=0",
            "AIX_LINE_COUNT_RESET7=0", "AIX_LINE_COUNT_RESET4=1"}));

    before = writes().size();
    dialog["AIX_OBJECT_DETECTION_ENABLE"] = "false";
    apply(&dialog);
    EXPECT_EQ(writesSettled(before), Writes({"AIX_OBJECT_DETECTION_ENABLE=0"}));

    before = writes().size();
    dialog["AIX_OBJECT_DETECTION_ENABLE"] = "true";
    dialog["AIX_PERSON_SENSITIVITY"] = "3";
    Values expected = onlyResets();
    expected["AIX_OBJECT_DETECTION_ENABLE"] = "false";
    EXPECT_EQ(apply(&dialog).values, expected);
    EXPECT_EQ(writesSettled(before), Writes({"AIX_OBJECT_DETECTION_ENABLE=1"}))
        << "settings named after it wait for the next delivery";
    before = writes().size();
    apply(&dialog);
    EXPECT_EQ(writesSettled(before), Writes({"AIX_PERSON_SENSITIVITY=3"}));
}

TEST_F(SettingsSync, theHoldOffSuppressesOnlyTheCamerasReportOfOurWritesUntilFiveSecondsAfterTheLast)
{
    startCamera(94);
    camera->setParameter("AIX_OBJECT_DETECTION_SIZE", "0,0,12,12,960,540,1920,1080");
    makeAgent(94);
    Values dialog = dialogAfter(deliver(settingsDefaults()));
    const auto writeAndWait = [&](const char* name, const char* value) {
        const std::size_t before = writes().size();
        dialog[name] = value;
        deliver(dialog);
        ASSERT_TRUE(waitUntil([&] { return writes().size() > before; }));
    };
    writeAndWait("AIX_TAMPERING_ENABLE", "false");

    const std::string settingsChanged = R"(<?xml version="1.0"?><tt:MetaDataStream xmlns:tt="t" xmlns:wsnt="w">)"
                                        R"(<tt:Event><wsnt:NotificationMessage><wsnt:Topic>tns1:AI/AppSettingChanged)"
                                        R"(</wsnt:Topic></wsnt:NotificationMessage></tt:Event></tt:MetaDataStream>)";
    sdk::Result<void> pushed;
    agent->doPushDataPacket(&pushed, sdk::makePtr<CustomMetadataPacket>(1000, "", settingsChanged).get());
    ASSERT_TRUE(waitUntil([&] { return agent->isMetadataReady(); }));
    EXPECT_FALSE(agent->isRefreshPending()) << "the camera reported our own change";

    agent->doPushDataPacket(&pushed, sdk::makePtr<CompressedVideoPacket>(2000, 1920, 1080).get());
    ASSERT_TRUE(agent->isRefreshPending()) << "a new video size asks for a read";
    writeAndWait("AIX_TAMPERING_SENSITIVITY", "2");
    const auto lastWritten = Clock::now();
    EXPECT_TRUE(agent->isRefreshPending()) << "a write does not cancel the read the new size asked for";
    EXPECT_FALSE(openDialog().present) << "within the hold-off";
    EXPECT_EQ(deliver(dialog).values, onlyResets()) << "nor does a delivery read within it";

    std::this_thread::sleep_until(lastWritten + 5200ms);
    const Reply reply = deliver(dialog);
    EXPECT_EQ(reply.errors, Values());
    EXPECT_EQ(reply.values.at("AIX_TAMPERING_ENABLE"), "false") << "read from the camera after the hold-off";
    EXPECT_EQ(Json::parse(reply.values.at("AIX_OBJECT_DETECTION_SIZE"))["maximum"], Json::array({1.0, 1.0}))
        << "object sizes in the new frame's pixels";
    EXPECT_FALSE(agent->isRefreshPending());
}

TEST_F(SettingsSync, theQuickReadShowsTheFiguresAlone)
{
    startCamera(95);
    camera->setParameter("AIX_EXCLUDE_REGION_CURRENT_POSITION1", "0");
    camera->setParameter("AIX_LINE_POSITION7", "100,100,900,900");
    camera->setParameter("AIX_LINE_ENABLE7", "1");
    camera->setParameter("AIX_LINE_DISPLAY_ENABLE7", "0");
    makeAgent(95);

    const Reply reply = openDialog();

    EXPECT_EQ(reply.errors, Values());
    EXPECT_EQ(reply.values.at("AIX_EXCLUDE_REGION_POSITION2"), kQuickEmptyFigureValue);
    EXPECT_EQ(reply.values.count("AIX_REGION_POSITION1"), 0U) << "no live shape: the host keeps its value";
    EXPECT_EQ(Json::parse(reply.values.at("AIX_LINE_POSITION8")),
        Json({{"figure", {{"points", {{0.1f, 0.1f}, {0.9f, 0.9f}}}}}, {"showOnCamera", false}}));
    EXPECT_EQ(reply.values.at("AIX_LINE_ENABLE8"), "true");
    EXPECT_EQ(writesSettled(0), Writes()) << "the quick read writes nothing";
}

struct Fault
{
    const char* name;
    int host;
    bool listening;
    void (*adjust)(qvcam::CameraSimulatorOptions*);
    const char* password;
    const char* reason;
};

void PrintTo(const Fault& fault, std::ostream* out)
{
    *out << fault.name;
}

class SettingsSyncFault: public SettingsSync, public testing::WithParamInterface<Fault>
{};

TEST_P(SettingsSyncFault, leavesTheSettingsToTheHostWithAReasonAndReturnsWithinTheTimeOut)
{
    const Fault fault = GetParam();
    if (fault.listening)
        startCamera(fault.host, fault.adjust);
    makeAgent(fault.host, fault.password);

    const auto start = Clock::now();
    const Reply reply = deliver(settingsDefaults());
    const auto took = Clock::now() - start;

    EXPECT_LT(took, std::chrono::milliseconds(kCameraRequestTimeoutMs) + 3s);
    EXPECT_EQ(reply.values, onlyResets()) << "read without asking the camera";
    EXPECT_EQ(reply.errors.size(), 337U - 2 - 9);
    for (const auto& [name, reason]: reply.errors)
    {
        ASSERT_EQ(reason, fault.reason) << name;
        EXPECT_EQ(reason.find(kPassword), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Camera,
    SettingsSyncFault,
    testing::Values(Fault{"wrongPassword", 96, true, nullptr, "wrong-password", "the camera refused the login"},
        Fault{"unreachable", 97, false, nullptr, kPassword.c_str(), "the camera could not be reached"},
        Fault{"neverAnswers", 98, true, [](auto* o) { o->neverAnswer = true; }, kPassword.c_str(),
            "the camera did not answer in time"},
        Fault{"garbage", 99, true, [](auto* o) { o->garbageShare = 1; }, kPassword.c_str(),
            "the camera's answer could not be read"}),
    [](const auto& info) { return std::string(info.param.name); });

struct RefusedWrite
{
    const char* name;
    int host;
    qvcam::ParameterFaults faults;
    const char* reason;
};

void PrintTo(const RefusedWrite& refused, std::ostream* out)
{
    *out << refused.name;
}

class SettingsSyncRefusedWrite: public SettingsSync, public testing::WithParamInterface<RefusedWrite>
{};

TEST_P(SettingsSyncRefusedWrite, isReportedTriedAgainAtTheNextDeliveryAndTheDialogShowsTheCamerasValue)
{
    const RefusedWrite refused = GetParam();
    const std::string setting = "AIX_LINE_COUNTOSD_STRING1";
    const std::string parameter = "AIX_LINE_COUNTOSD_STRING0";
    startCamera(refused.host);
    makeAgent(refused.host);
    Values dialog = dialogAfter(deliver(settingsDefaults()));
    const std::string onCamera = camera->parameter(parameter);
    std::string error;
    ASSERT_TRUE(camera->setParameterFaults(refused.faults, &error)) << error;

    dialog[setting] = "a text the camera will not take";
    // The write runs after the call returns; a camera that refuses at once may have answered before the call's
    // response is made, and then that response already reports it.
    Values reported = deliver(dialog).errors;
    ASSERT_TRUE(waitUntil([&] { return agent->isRefreshPending(); }));
    const Values next = deliver(dialog).errors;
    reported.insert(next.begin(), next.end());
    EXPECT_EQ(reported, Values({{setting, refused.reason}}));
    EXPECT_TRUE(waitUntil([&] { return requestsFor("/httpapi/WriteParam", parameter) == 2; })) << "tried again";

    ASSERT_TRUE(waitUntil([&] { return agent->isRefreshPending(); }));
    const Reply reply = openDialog();
    ASSERT_TRUE(reply.present) << "a refused write changed nothing, so nothing is held off";
    EXPECT_EQ(reply.values.at(setting), onCamera);
    EXPECT_EQ(camera->parameter(parameter), onCamera);
}

INSTANTIATE_TEST_SUITE_P(Camera,
    SettingsSyncRefusedWrite,
    testing::Values(
        RefusedWrite{"answeredError", 102, {{}, {"AIX_LINE_COUNTOSD_STRING0"}}, "the camera refused the value"},
        RefusedWrite{"answeredStatus500", 103, {{{"AIX_LINE_COUNTOSD_STRING0", 500, true}}, {}},
            "the camera answered with an error status (HTTP 500)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsSync, releasingTheAgentRightAfterADeliveryFinishesItsWritesFirst)
{
    startCamera(101, [](auto* o) { o->writeDelayMs = 300; });
    makeAgent(101);
    Values dialog = {{"AIX_TAMPERING_ENABLE", "true"}, {"AIX_TAMPERING_SENSITIVITY", "1"}};
    deliver(dialog);
    Writes expected = {"AIX_TAMPERING_ENABLE=0", "AIX_TAMPERING_SENSITIVITY=2"};
    dialog = {{"AIX_TAMPERING_ENABLE", "false"}, {"AIX_TAMPERING_SENSITIVITY", "2"}};
    for (int i = 1; i <= 8; ++i)
    {
        dialog["AIX_LINE_COUNTOSD_STRING" + std::to_string(i)] = "line" + std::to_string(i);
        expected.push_back("AIX_LINE_COUNTOSD_STRING" + std::to_string(i - 1) + "=line" + std::to_string(i));
    }
    ASSERT_EQ(expected.size(), 10U);
    deliver(dialog);

    agent.reset();
    const Writes afterRelease = writes();
    EXPECT_EQ(sorted(afterRelease), sorted(expected)) << "every accepted write reached the camera";
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(writes().size(), afterRelease.size()) << "no request after the agent has gone";
}

TEST_F(SettingsSync, aLaterValueOfASettingAlwaysEndsOnTheCameraWithinTheAgentsBound)
{
    startCamera(104, [](auto* o) { o->writeDelayMs = 150; });
    makeAgent(104);
    Values dialog = dialogAfter(deliver(settingsDefaults()));
    for (const char* value: {"1", "3"})
    {
        dialog["AIX_PERSON_SENSITIVITY"] = value;
        for (int i = 1; i <= 8; ++i)
            dialog["AIX_LINE_COUNTOSD_STRING" + std::to_string(i)] = std::string("text ") + value;
        apply(&dialog);
        std::this_thread::sleep_for(50ms);
    }
    writesSettled(0);
    EXPECT_EQ(camera->parameter("AIX_PERSON_SENSITIVITY"), "3");
    EXPECT_EQ(camera->parameter("AIX_LINE_COUNTOSD_STRING7"), "text 3");
    EXPECT_EQ(dialog.at("AIX_PERSON_SENSITIVITY"), "3");
    EXPECT_LE(camera->connectionCounts().peakServed, kMaxCameraRequestsInFlight) << "both deliveries together";
}

TEST_F(SettingsSync, aCameraOffLineAtTheFirstDeliveryFillsTheDialogAtTheNext)
{
    makeAgent(105);
    const Reply offLine = deliver(settingsDefaults());
    EXPECT_FALSE(offLine.errors.empty());
    EXPECT_TRUE(agent->isRefreshPending());

    startCamera(105);
    camera->setParameter("AIX_TAMPERING_SENSITIVITY", "2");
    const Reply onLine = deliver(settingsDefaults());
    EXPECT_EQ(onLine.errors, Values());
    EXPECT_EQ(onLine.values.at("AIX_TAMPERING_SENSITIVITY"), "2");
    EXPECT_EQ(writesSettled(0), Writes({})) << "the host's defaults did not overwrite the camera";
}

struct PoliteOnlyInPart
{
    const char* name;
    int host;
    void (*adjust)(qvcam::CameraSimulatorOptions*);
};

void PrintTo(const PoliteOnlyInPart& camera, std::ostream* out)
{
    *out << camera.name;
}

class SettingsSyncLessPoliteCamera: public SettingsSync, public testing::WithParamInterface<PoliteOnlyInPart>
{};

TEST_P(SettingsSyncLessPoliteCamera, isReadWholeWithTheHostsForms)
{
    startCamera(GetParam().host, GetParam().adjust);
    camera->setParameter("AIX_LINE_COUNTOSD_STRING0", "%L1%");
    camera->setParameter("AIX_REGION_POSITION0", "100,100,500,100,500,500");
    camera->setParameter("AIX_REGION_ENABLE0", "1");
    makeAgent(GetParam().host);

    const Reply reply = deliver(settingsDefaults());

    EXPECT_EQ(reply.errors, Values());
    EXPECT_EQ(reply.values.size(), 337U - 2 - 3);
    EXPECT_EQ(reply.values.at("AIX_LINE_COUNTOSD_STRING1"), "%L1%");
    EXPECT_EQ(Json::parse(reply.values.at("AIX_REGION_POSITION1"))["figure"]["points"],
        Json({{0.1f, 0.1f}, {0.5f, 0.1f}, {0.5f, 0.5f}}));
}

INSTANTIATE_TEST_SUITE_P(Camera,
    SettingsSyncLessPoliteCamera,
    testing::Values(PoliteOnlyInPart{"fourConnectionsResetTheRest", 106, [](auto* o) { o->maxConnections = 4; }},
        PoliteOnlyInPart{"twoConnectionsResetTheRest", 107, [](auto* o) { o->maxConnections = 2; }},
        PoliteOnlyInPart{"oneConnectionResetTheRest", 108, [](auto* o) { o->maxConnections = 1; }},
        PoliteOnlyInPart{"fourConnectionsCloseTheRest", 109,
            [](auto* o) {
                o->maxConnections = 4;
                o->surplusConnections = qvcam::SurplusConnections::close;
            }},
        PoliteOnlyInPart{"twoConnectionsCloseTheRest", 124,
            [](auto* o) {
                o->maxConnections = 2;
                o->surplusConnections = qvcam::SurplusConnections::close;
            }},
        PoliteOnlyInPart{"oneConnectionCloseTheRest", 125,
            [](auto* o) {
                o->maxConnections = 1;
                o->surplusConnections = qvcam::SurplusConnections::close;
            }},
        PoliteOnlyInPart{"nonceStaleEveryTwoSeconds", 126,
            [](auto* o) {
                o->nonceLifetimeS = 2;
                o->answerDelayMs = 60;
            }},
        PoliteOnlyInPart{"connectionClosedEveryFiveAnswers", 127, [](auto* o) { o->keepAliveRequests = 5; }},
        PoliteOnlyInPart{"trailingBlanks", 128, [](auto* o) { o->trailingBlanks = 3; }},
        PoliteOnlyInPart{"severalLinesPerAnswer", 129, [](auto* o) { o->multiLineAnswers = true; }}),
    [](const auto& info) { return std::string(info.param.name); });

struct ParameterStatuses
{
    const char* name;
    int host;
    std::vector<qvcam::ParameterStatus> statuses;
};

void PrintTo(const ParameterStatuses& statuses, std::ostream* out)
{
    *out << statuses.name;
}

class SettingsSyncParameterStatus: public SettingsSync, public testing::WithParamInterface<ParameterStatuses>
{};

TEST_P(SettingsSyncParameterStatus, isThatSettingsErrorWithTheStatusAndEveryOtherSettingIsRead)
{
    const ParameterStatuses row = GetParam();
    startCamera(row.host);
    std::string error;
    ASSERT_TRUE(camera->setParameterFaults({row.statuses, {}}, &error)) << error;
    makeAgent(row.host);

    const Reply reply = deliver(settingsDefaults());

    Values expectedErrors;
    for (const qvcam::ParameterStatus& status: row.statuses)
    {
        const std::string setting = status.parameter.substr(0, status.parameter.size() - 1)
            + std::to_string(status.parameter.back() - '0' + 1);
        expectedErrors[setting]
            = "the camera answered with an error status (HTTP " + std::to_string(status.status) + ")";
    }
    EXPECT_EQ(reply.errors, expectedErrors);
    EXPECT_EQ(reply.values.size(), 337U - 2 - 3 - expectedErrors.size());
    for (const auto& [name, value]: reply.values)
        EXPECT_EQ(value.find('<'), std::string::npos) << name << " shows the error page";
}

INSTANTIATE_TEST_SUITE_P(Camera,
    SettingsSyncParameterStatus,
    testing::Values(ParameterStatuses{"notFound", 130,
                        {{"AIX_LINE_COUNTOSD_STRING0", 404, false}, {"AIX_REGION_ENABLE3", 404, false}}},
        ParameterStatuses{"forbidden", 131, {{"AIX_LINE_ENABLE1", 403, false}}},
        ParameterStatuses{"serverError", 132, {{"AIX_LINE_COUNTOSD_STRING4", 500, false}}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace tesh::test
