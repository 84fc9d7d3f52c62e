// What the host may hand the plug-in by mistake: null texts and pointers, broken maps, odd bytes, broken frame
// sizes and timestamps at the ends of the range. Each gets a defined answer and nothing crashes.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include <host_double/action.h>
#include <host_double/active_setting_changed_action.h>
#include <host_double/assertion_report.h>
#include <host_double/compressed_video_packet.h>
#include <host_double/custom_metadata_packet.h>
#include <host_double/device_agent_handler.h>
#include <host_double/device_info.h>
#include <host_double/engine_info.h>
#include <host_double/host_string_map.h>
#include <host_double/leak_check.h>
#include <host_double/ref_count_of.h>
#include <host_double/stderr_capture.h>
#include <host_double/taken_error.h>
#include <plugin/device_agent.h>
#include <plugin/engine.h>
#include <tesh/sdk/analytics/helpers/event_metadata.h>
#include <tesh/sdk/analytics/helpers/object_metadata.h>
#include <tesh/sdk/analytics/helpers/object_track_best_shot_packet.h>
#include <tesh/sdk/helpers/lib_context.h>

#include "one_person_document.h"

extern "C" void teshSetUnitTestOptions(const tesh::sdk::IStringMap* options);

namespace tesh::test {
namespace {

using sdk::ErrorCode;
using sdk::Ptr;
using sdk::Result;
using vms_server_plugins::analytics::qv::DeviceAgent;
using vms_server_plugins::analytics::qv::Engine;

constexpr int64_t kMaxTime = std::numeric_limits<int64_t>::max();

Ptr<DeviceInfo> camera(NullableText vendor, NullableText model)
{
    auto info = sdk::makePtr<DeviceInfo>();
    info->setVendor(std::move(vendor));
    info->setModel(std::move(model));
    return info;
}

Ptr<DeviceAgent> obtainAgent(Engine& engine, const sdk::IDeviceInfo* info)
{
    Result<sdk::analytics::IDeviceAgent*> result;
    engine.obtainDeviceAgent(&result, info);
    EXPECT_EQ(takeError(&result.error), kSuccess);
    return sdk::adopt(static_cast<DeviceAgent*>(result.value));
}

template<class Map>
ErrorSeen deliver(Map& target, Ptr<HostStringMap> settings)
{
    Result<sdk::ISettingsResponse*> result;
    target.doSetSettings(&result, settings.get());
    sdk::adopt(result.value);
    return takeError(&result.error);
}

void nullTextsCountAsEmpty(Engine& engine)
{
    SCOPED_TRACE("null texts");
    EXPECT_FALSE(engine.isCompatible(nullptr));
    EXPECT_FALSE(engine.isCompatible(camera(std::nullopt, "RMTL-3").get()));
    EXPECT_FALSE(engine.isCompatible(camera("QV", std::nullopt).get()));

    EXPECT_EQ(obtainAgent(engine, nullptr)->cameraAddress(), "");
    const auto allNull = sdk::makePtr<DeviceInfo>();
    for (auto set: {&DeviceInfo::setId, &DeviceInfo::setUrl, &DeviceInfo::setLogin, &DeviceInfo::setPassword})
        (allNull.get()->*set)(std::nullopt);
    const auto agent = obtainAgent(engine, allNull.get());
    EXPECT_EQ(agent->cameraAddress(), "");

    engine.setEngineInfo(sdk::makePtr<EngineInfo>(std::nullopt).get());
    {
        StderrCapture capture;
        EXPECT_EQ(deliver(engine, makeHostStringMap({{"a", "1"}})), kSuccess);
        EXPECT_EQ(capture.lines().at(0), "[" + sdk::libContext().name() + "_engine_] Received settings:");
    }

    const auto action = sdk::makePtr<Action>(std::nullopt);
    action->setParams(makeHostStringMap({}));
    Result<sdk::analytics::ActionResult> actionResult;
    engine.doExecuteAction(&actionResult, action.get());
    EXPECT_EQ(takeError(&actionResult.error), kSuccess);

    agent->setTimestampCalibrationUs(50000);
    Result<sdk::analytics::IActiveSettingChangedResponse*> activeResult;
    agent->onActiveSettingChanged(&activeResult,
        sdk::makePtr<ActiveSettingChangedAction>(std::nullopt, makeHostStringMap({{"TS_CALIBRATION", "3"}})).get());
    EXPECT_EQ(takeError(&activeResult.error), kSuccess);
    EXPECT_EQ(activeResult.value, nullptr);
    EXPECT_EQ(agent->timestampCalibrationUs(), 50000);
}

void mapsWithNullTextsAreRefusedWhole(Engine& engine)
{
    SCOPED_TRACE("null keys and values");
    const auto agent = obtainAgent(engine, camera("QV", "RMTL").get());
    EXPECT_EQ(deliver(engine, makeHostStringMap({{"b", "2"}, {std::nullopt, "3"}})),
        ErrorSeen(ErrorCode::invalidParams, "Unable to convert the input string map"));
    EXPECT_EQ(deliver(*agent, makeHostStringMap({{"TS_CALIBRATION", "4"}, {"HL_DURATION", std::nullopt}})),
        ErrorSeen(ErrorCode::invalidParams, "Settings are invalid"));
    EXPECT_FALSE(agent->isRefreshPending()) << "no first delivery was claimed";

    teshSetUnitTestOptions(makeHostStringMap({{"x", "1"}, {std::nullopt, "2"}, {"y", std::nullopt}}).get());
    EXPECT_EQ(sdk::unitTestOptions(), (std::map<std::string, std::string>{{"x", "1"}}));
}

void nullNameKeepsTheContextsName()
{
    SCOPED_TRACE("null library name");
    sdk::libContext().setName("host_input_test");
    StderrCapture capture;
    sdk::libContext().setName(nullptr);
    const auto reports = assertionReports(capture.text());
    ASSERT_EQ(reports.size(), 1U);
    EXPECT_EQ(reports[0].condition, "m_name == kDefaultName || m_name == std::string(name)");
    EXPECT_EQ(sdk::libContext().name(), "host_input_test");
}

void highBytesAreLowerCasedAsBytes(Engine& engine)
{
    SCOPED_TRACE("bytes of 0x80 and above");
    EXPECT_TRUE(engine.isCompatible(camera("QV\xC9\xFF", "\x80RMTL\xA0").get()));
    EXPECT_TRUE(engine.isCompatible(camera("Quorvane", "rmtl").get()));
    EXPECT_FALSE(engine.isCompatible(camera("\xD1V", "RMTL").get()));
}

void pushFrame(DeviceAgent& agent, int width, int height)
{
    Result<void> result;
    agent.doPushDataPacket(&result, sdk::makePtr<CompressedVideoPacket>(1, width, height).get());
    EXPECT_EQ(takeError(&result.error), kSuccess);
}

void unusableFrameSizesChangeNothing(Engine& engine)
{
    SCOPED_TRACE("frame sizes");
    const auto agent = obtainAgent(engine, camera("QV", "RMTL").get());
    const auto handler = sdk::makePtr<DeviceAgentHandler>();
    agent->setHandler(handler.get());
    for (const auto& [width, height]: {std::pair{0, 0}, {-1920, 1080}, {1920, 0}, {1920, -1}, {16385, 1080},
             {1920, 16385}, {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}})
    {
        pushFrame(*agent, width, height);
        EXPECT_EQ(agent->frameSize().width, 3840) << width << "x" << height;
        EXPECT_EQ(agent->frameSize().height, 2160) << width << "x" << height;
        EXPECT_FALSE(agent->isRefreshPending()) << width << "x" << height;
    }
    pushFrame(*agent, 16384, 16384);
    EXPECT_EQ(agent->frameSize().width, 16384);
    EXPECT_EQ(agent->frameSize().height, 16384);
    EXPECT_TRUE(agent->isRefreshPending());
}

/** The times of every packet one document became, in increasing order. */
std::vector<int64_t> packetTimes(DeviceAgent& agent, int64_t timestampUs, int32_t calibrationUs)
{
    const auto handler = sdk::makePtr<DeviceAgentHandler>();
    agent.setHandler(handler.get());
    agent.setTimestampCalibrationUs(calibrationUs);
    Result<void> result;
    agent.doPushDataPacket(&result,
        sdk::makePtr<CustomMetadataPacket>(timestampUs, CustomMetadataPacket::kDefaultCodec, kOnePersonDocument).get());
    EXPECT_TRUE(handler->waitForPackets(3, std::chrono::seconds(5)));
    std::vector<int64_t> times;
    for (const auto& packet: handler->packets())
        times.push_back(packet->timestampUs());
    std::sort(times.begin(), times.end());
    return times;
}

void timestampsSaturateAndNeverGoNegative(Engine& engine)
{
    SCOPED_TRACE("timestamps");
    const auto early = obtainAgent(engine, camera("QV", "RMTL").get());
    EXPECT_EQ(packetTimes(*early, 5, -1000000), (std::vector<int64_t>{0, 0, 0}));
    const auto late = obtainAgent(engine, camera("QV", "RMTL").get());
    EXPECT_EQ(packetTimes(*late, kMaxTime - 10, 1000000), (std::vector<int64_t>{kMaxTime, kMaxTime, kMaxTime}));
}

void nullInterfaceIdGivesNothing(Engine& engine)
{
    SCOPED_TRACE("queryInterface(nullptr)");
    const auto agent = obtainAgent(engine, camera("QV", "RMTL").get());
    const int count = refCountOf(agent.get());
    EXPECT_EQ(agent->queryInterface(nullptr), nullptr);
    EXPECT_EQ(refCountOf(agent.get()), count);
}

void nullOutPointersAreReported()
{
    SCOPED_TRACE("null out pointers");
    const auto object = sdk::makePtr<sdk::analytics::ObjectMetadata>();
    const auto bestShot
        = sdk::makePtr<sdk::analytics::ObjectTrackBestShotPacket>(sdk::Uuid{}, 0, sdk::analytics::Rect{});
    const auto event = sdk::makePtr<sdk::analytics::EventMetadata>();
    StderrCapture capture;
    object->getTrackId(nullptr);
    object->getBoundingBox(nullptr);
    bestShot->getTrackId(nullptr);
    bestShot->getBoundingBox(nullptr);
    event->getTrackId(nullptr);
    const auto reports = assertionReports(capture.text());
    ASSERT_EQ(reports.size(), 5U);
    for (const auto& report: reports)
        EXPECT_EQ(report.condition, "outValue");
}

TEST(HostInput, eachMisuseGetsItsDefinedAnswer)
{
    const LeakCheck leakCheck;
    {
        const auto engine = sdk::makePtr<Engine>();
        nullTextsCountAsEmpty(*engine);
        mapsWithNullTextsAreRefusedWhole(*engine);
        nullNameKeepsTheContextsName();
        highBytesAreLowerCasedAsBytes(*engine);
        unusableFrameSizesChangeNothing(*engine);
        timestampsSaturateAndNeverGoNegative(*engine);
        nullInterfaceIdGivesNothing(*engine);
        nullOutPointersAreReported();
    }
    EXPECT_NO_LEAKS(leakCheck);
}

} // namespace
} // namespace tesh::test
