// The agent between the host and a camera's two subsystems: what each host hook reaches, and the agent's release.
#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/active_setting_changed_action.h>
#include <host_double/compressed_video_packet.h>
#include <host_double/host_string_map.h>
#include <host_double/leak_check.h>
#include <host_double/taken_error.h>
#include <plugin/pass_pool.h>

#include <support/camera_documents.h>
#include <support/metadata_views.h>
#include "agent_harness.h"

namespace tesh::test {
namespace {

using namespace std::chrono_literals;
using sdk::analytics::IObjectMetadataPacket;

class DeviceAgentHooks: public NoLeakTest
{
protected:
    void SetUp() override { agent->setHandler(handler.get()); }

    /** Pushes a document and waits for its pass to end. */
    void process(int64_t timestampUs, const std::string& xml)
    {
        pushDocument(*agent, timestampUs, xml);
        ASSERT_TRUE(waitUntilReady(*agent));
    }

    std::vector<ObjectView> lastObjects() const
    {
        const auto packets = packetsOf<IObjectMetadataPacket>(*handler);
        return packets.empty() ? std::vector<ObjectView>{} : objectsOf(*packets.back());
    }

    sdk::Ptr<DeviceAgentHandler> handler = sdk::makePtr<DeviceAgentHandler>();
    sdk::Ptr<DeviceAgent> agent = makeAgent();
};

TEST_F(DeviceAgentHooks, hostSettingsSetTheBoxDelayAndTheHighlightTimeAndTheSpinBoxActsAtOnce)
{
    const auto deliver = [this](std::map<std::string, std::string> values) {
        sdk::Result<sdk::ISettingsResponse*> result;
        agent->doSetSettings(&result, makeHostStringMap(values).get());
        EXPECT_EQ(takeError(&result.error), kSuccess);
        sdk::adopt(result.value);
    };
    const auto turnSpinBox = [this](const char* name, const char* level) {
        const auto action = sdk::makePtr<ActiveSettingChangedAction>(
            name, makeHostStringMap({{"TS_CALIBRATION", level}, {"HL_DURATION", "5"}}));
        sdk::Result<sdk::analytics::IActiveSettingChangedResponse*> result;
        agent->onActiveSettingChanged(&result, action.get());
        EXPECT_EQ(takeError(&result.error), kSuccess);
        EXPECT_EQ(result.value, nullptr) << "the dialog is left as it is";
    };
    const auto lastTimestamp = [this] { return handler->packets().back()->timestampUs(); };

    deliver({{"TS_CALIBRATION", "-2"}, {"HL_DURATION", "1"}});
    process(1'000'000, documentXml({}, behaviorEvent("7", "Enter")));
    EXPECT_EQ(lastTimestamp(), 900'000);
    process(1'100'000, documentXml({{7}}));
    EXPECT_EQ(highlightOf(lastObjects()[0]), "Red");

    turnSpinBox("TS_CALIBRATION", "-3");
    process(2'000'000, documentXml({{7}}));
    EXPECT_EQ(lastTimestamp(), 1'850'000) << "before the dialog is applied";
    turnSpinBox("HL_DURATION", "5");
    process(3'000'000, documentXml({{7}}));
    EXPECT_EQ(lastTimestamp(), 2'850'000) << "another active setting changes nothing";

    deliver({{"TS_CALIBRATION", "99999"}, {"HL_DURATION", "0 sec"}});
    process(4'000'000, documentXml({}, behaviorEvent("8", "Enter")));
    EXPECT_EQ(lastTimestamp(), 3'850'000) << "values out of range or not integers are ignored";
    process(4'100'000, documentXml({{8}}));
    EXPECT_EQ(highlightOf(lastObjects()[0]), "Red") << "the highlight time is still 1 s";
    deliver({{"HL_DURATION", "0"}});
    process(4'200'000, documentXml({}, behaviorEvent("9", "Enter")));
    process(4'300'000, documentXml({{9}}));
    EXPECT_EQ(highlightOf(lastObjects()[0]), "Green") << "0 turns highlighting off";
}

TEST_F(DeviceAgentHooks, cameraReportingChangedSettingsAsksForARead)
{
    EXPECT_FALSE(agent->isRefreshPending());
    process(1, documentXml({}, eventXml("tns1:AI/AppSettingChanged", "")));
    EXPECT_TRUE(agent->isRefreshPending());
}

TEST_F(DeviceAgentHooks, releasingTheAgentDeliversTheWorkInFlightFirst)
{
    handler->setCallDuration(50ms);

    pushDocument(*agent, 1, documentXml({{1}, {2, "http://127.0.0.1/snapshot/2.jpg"}}, counterEvent(1)));
    agent.reset();

    EXPECT_EQ(handler->packets().size(), 3U);
}

/** A host whose handler, at its first packet, does what a server may do there: detach itself, or let the agent go. */
class ReentrantHandler: public HostObject<sdk::analytics::IDeviceAgentHandler>
{
public:
    explicit ReentrantHandler(std::function<void()> atFirstPacket): m_atFirstPacket(std::move(atFirstPacket)) {}

    void handleMetadata(sdk::analytics::IMetadataPacket* /*metadataPacket*/) override
    {
        if (m_packets++ == 0)
            m_atFirstPacket();
    }

    int packets() const { return m_packets; }

private:
    const std::function<void()> m_atFirstPacket;
    std::atomic<int> m_packets{0}; //< Calls come from the agent's workers, one at a time.
};

TEST(DeviceAgentRelease, aHandlerMayDetachOrReleaseTheAgentFromInsideItsCall)
{
    struct Row
    {
        const char* reason;
        bool releaseInside; //< Else it detaches itself.
        int packets; //< What reaches the handler of a document of one box, one best shot and one event.
    };
    const Row rows[] = {
        {"setHandler(nullptr) inside the call", false, 1},
        {"the host's last reference released inside the call", true, 3},
    };
    for (const Row& row: rows)
    {
        SCOPED_TRACE(row.reason);
        const LeakCheck leakCheck;
        sdk::Ptr<DeviceAgent> agent = makeAgent();
        DeviceAgent* const raw = agent.get();
        std::promise<void> testLetGo;
        const std::shared_future<void> letGo = testLetGo.get_future().share();
        const auto handler = sdk::makePtr<ReentrantHandler>([&]() {
            if (!row.releaseInside)
                return raw->setHandler(nullptr);
            letGo.wait(); //< So that the handler's reference is the last.
            raw->releaseRef();
        });
        agent->setHandler(handler.get());
        if (row.releaseInside)
            raw->addRef(); //< The handler's own reference.
        const auto packet = sdk::makePtr<CustomMetadataPacket>(
            1, "", documentXml({{1}, {2, "http://127.0.0.1/snapshot/2.jpg"}}, counterEvent(1)));
        sdk::Result<void> result;
        agent->doPushDataPacket(&result, packet.get());
        takeError(&result.error); //< The handler may already be gone when the push looks for it.
        if (!row.releaseInside)
        {
            ASSERT_TRUE(waitUntilReady(*agent));
        }
        agent = nullptr;
        testLetGo.set_value();

        const auto deadline = std::chrono::steady_clock::now() + 5s;
        while (leakCheck.leakedCount() != 0 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(1ms);
        EXPECT_NO_LEAKS(leakCheck);
        EXPECT_EQ(handler->packets(), row.packets) << "no packet accepted before the release is lost";
    }
}

TEST(DeviceAgentPasses, handlersThatHoldTheirPassesDoNotHoldUpOtherCameras)
{
    const LeakCheck leakCheck;
    std::promise<void> testLetGo;
    const std::shared_future<void> letGo = testLetGo.get_future().share();
    std::vector<sdk::Ptr<ReentrantHandler>> stuckHandlers;
    std::vector<sdk::Ptr<DeviceAgent>> stuckAgents;
    for (unsigned i = 0; i + 1 < vms_server_plugins::analytics::qv::kMinPassWorkers; ++i)
    {
        stuckHandlers.push_back(sdk::makePtr<ReentrantHandler>([&]() { letGo.wait(); }));
        stuckAgents.push_back(makeAgent());
        stuckAgents.back()->setHandler(stuckHandlers.back().get());
        pushDocument(*stuckAgents.back(), 1, documentXml({{1}}, ""));
    }
    const auto handler = sdk::makePtr<DeviceAgentHandler>();
    const sdk::Ptr<DeviceAgent> agent = makeAgent();
    agent->setHandler(handler.get());

    pushDocument(*agent, 1, documentXml({{1}}, ""));

    EXPECT_TRUE(waitUntilReady(*agent));
    EXPECT_EQ(handler->packets().size(), 1U);
    testLetGo.set_value();
    for (const auto& stuck: stuckAgents)
        EXPECT_TRUE(waitUntilReady(*stuck));
}

TEST(DeviceAgentSetup, cameraAddressIsTheFirstDottedQuadOfTheUrl)
{
    const LeakCheck leakCheck;
    struct Row
    {
        const char* url;
        const char* address;
    };
    const Row rows[] = {
        {"http://10.1.2.3:8080/onvif/device_service", "10.1.2.3"},
        {"http://camera.example/onvif", ""},
        {"rtsp://192.168.0.10/a?b=10.0.0.1", "192.168.0.10"},
        {"http://1234.5.6.7/", "234.5.6.7"},
        {"http://1.2.3.4567/", "1.2.3.456"},
        {"http://999.1.1.1/", "999.1.1.1"},
        {"1.2.3", ""},
        {nullptr, ""},
    };
    for (const Row& row: rows)
        EXPECT_EQ(makeAgent(row.url)->cameraAddress(), row.address) << (row.url ? row.url : "null");
    EXPECT_NO_LEAKS(leakCheck);
}

TEST(DeviceAgentSetup, newFrameWidthAsksForAReadOfTheCamera)
{
    const LeakCheck leakCheck;
    {
        const auto agent = makeAgent();
        const auto handler = sdk::makePtr<DeviceAgentHandler>();
        agent->setHandler(handler.get());
        EXPECT_EQ(agent->frameSize().width, 3840);
        EXPECT_EQ(agent->frameSize().height, 2160);
        const auto push = [&](int width, int height) {
            const auto frame = sdk::makePtr<CompressedVideoPacket>(1, width, height);
            sdk::Result<void> result;
            agent->doPushDataPacket(&result, frame.get());
            EXPECT_TRUE(result.isOk());
        };
        push(1920, 1080);
        EXPECT_EQ(agent->frameSize().width, 1920);
        EXPECT_EQ(agent->frameSize().height, 1080);
        EXPECT_TRUE(agent->isRefreshPending());

        push(1920, 720);
        EXPECT_EQ(agent->frameSize().height, 1080) << "a new height alone changes nothing";
    }
    EXPECT_NO_LEAKS(leakCheck);
}

} // namespace
} // namespace tesh::test
