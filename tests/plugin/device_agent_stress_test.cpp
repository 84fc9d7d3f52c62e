// Agents fed from several host threads while agents are released mid-pass, and one agent driven through all its
// slots at once; meant for ThreadSanitizer and AddressSanitizer.
#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <host_double/compressed_video_packet.h>
#include <host_double/host_string_map.h>
#include <host_double/leak_check.h>

#include "agent_harness.h"

namespace tesh::test {
namespace {

using namespace std::chrono_literals;

constexpr int kAgents = 3;
constexpr int kPushThreads = 3;
constexpr auto kRunTime = 1s;

const std::string kDocument
    = "<tt:MetaDataStream xmlns:tt=\"x\" xmlns:wsnt=\"y\"><tt:VideoAnalytics><tt:Frame>"
      "<tt:Transformation><tt:Scale x=\"0.000520833\" y=\"0.000925926\"/></tt:Transformation>"
      "<tt:Object ObjectId=\"1\"><tt:Appearance><tt:Shape><tt:BoundingBox left=\"10\" "
      "top=\"10\" right=\"90\" bottom=\"90\"/></tt:Shape><tt:Class><tt:Type>Person</tt:Type>"
      "</tt:Class></tt:Appearance></tt:Object><tt:Object ObjectId=\"2\"><tt:Appearance>"
      "<tt:Class><tt:Type>Vehicle</tt:Type></tt:Class><tt:ImageRef>http://127.0.0.1/2.jpg"
      "</tt:ImageRef></tt:Appearance></tt:Object></tt:Frame></tt:VideoAnalytics><tt:Event>"
      "<wsnt:NotificationMessage><wsnt:Topic>tns1:RuleEngine/ObjectDetection/vndObjectEx"
      "</wsnt:Topic><wsnt:Message><tt:Message><tt:Data><tt:SimpleItem Name=\"ObjectId\" "
      "Value=\"1\"/><tt:SimpleItem Name=\"Actions\" Value=\"Enter\"/></tt:Data></tt:Message>"
      "</wsnt:Message></wsnt:NotificationMessage></tt:Event></tt:MetaDataStream>";

/** Agents that host threads pick at random while another thread keeps replacing them. */
class AgentSlots
{
public:
    explicit AgentSlots(DeviceAgentHandler* handler): m_handler(handler)
    {
        for (auto& agent: m_agents)
            agent = freshAgent();
    }

    sdk::Ptr<DeviceAgent> at(int index)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_agents[index % kAgents];
    }

    /** The old agent is released here, or by the host thread that still holds it, possibly mid-pass. */
    void replace(int index)
    {
        sdk::Ptr<DeviceAgent> fresh = freshAgent();
        const std::lock_guard<std::mutex> lock(m_mutex);
        std::swap(m_agents[index % kAgents], fresh);
    }

    void clear()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (auto& agent: m_agents)
            agent.reset();
    }

private:
    sdk::Ptr<DeviceAgent> freshAgent() const
    {
        auto agent = makeAgent();
        agent->setHandler(m_handler);
        agent->setHighlightSeconds(5);
        return agent;
    }

    DeviceAgentHandler* const m_handler;
    std::mutex m_mutex;
    sdk::Ptr<DeviceAgent> m_agents[kAgents];
};

TEST(DeviceAgentStress, agentsReleasedWhilePassesRunLeaveNothingBehind)
{
    const LeakCheck leakCheck;
    const auto handler = sdk::makePtr<DeviceAgentHandler>();
    AgentSlots slots(handler.get());
    std::atomic<bool> stop{false};
    std::atomic<int> pushes{0};

    std::vector<std::thread> threads;
    for (int t = 0; t < kPushThreads; ++t)
    {
        threads.emplace_back([&, t]() {
            for (int64_t i = 0; !stop; ++i)
            {
                const auto agent = slots.at(t + static_cast<int>(i));
                pushDocument(*agent, i, kDocument);
                ++pushes;
            }
        });
    }
    threads.emplace_back([&]() {
        for (int i = 0; !stop; ++i)
        {
            if (const auto agent = slots.at(i)) //< As a settings thread would, while passes read it.
                agent->setTimestampCalibrationUs(i % 100);
            slots.replace(i);
            std::this_thread::sleep_for(2ms);
        }
    });
    std::this_thread::sleep_for(kRunTime);
    stop = true;
    for (auto& thread: threads)
        thread.join();
    slots.clear();

    EXPECT_GT(pushes, 0);
    EXPECT_GT(handler->callCount(), 0);
    handler->clear();
    EXPECT_NO_LEAKS(leakCheck);
}

TEST(DeviceAgentStress, releaseRightAfterAPushDeliversThePassFirstAndNothingLater)
{
    constexpr int kCycles = 300;
    constexpr int kPacketsOfTheDocument = 3; //< Objects, the vehicle's best shot, the event.
    const LeakCheck leakCheck;
    std::mt19937 random(8);
    std::uniform_int_distribution<int> jitterUs(0, 500);
    std::vector<sdk::Ptr<DeviceAgentHandler>> handlers;
    std::vector<int> countsAtRelease;
    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        const auto handler = sdk::makePtr<DeviceAgentHandler>();
        {
            const auto agent = makeAgent();
            agent->setHandler(handler.get());
            pushDocument(*agent, cycle, kDocument);
            std::this_thread::sleep_for(std::chrono::microseconds(jitterUs(random)));
        } //< The only reference: the agent dies here, wherever its pass is.
        countsAtRelease.push_back(handler->callCount());
        handlers.push_back(handler);
    }
    std::this_thread::sleep_for(50ms); //< A delivery the release failed to wait for would arrive meanwhile.
    for (int cycle = 0; cycle < kCycles; ++cycle)
    {
        EXPECT_EQ(countsAtRelease[cycle], kPacketsOfTheDocument) << "cycle " << cycle;
        EXPECT_EQ(handlers[cycle]->callCount(), countsAtRelease[cycle]) << "cycle " << cycle;
    }
    handlers.clear();
    EXPECT_NO_LEAKS(leakCheck);
}

/** Runs body over and over on its own thread until stop is set. */
template<class Body>
std::thread repeatUntil(const std::atomic<bool>& stop, Body body)
{
    return std::thread([&stop, body]() mutable {
        for (int i = 0; !stop; ++i)
            body(i);
    });
}

TEST(DeviceAgentStress, fourHostThreadsOnOneAgentNeverOverlapDeliveries)
{
    const LeakCheck leakCheck;
    {
        // Nothing listens there: every camera request of the settings threads fails at once.
        const auto agent = makeAgent("http://127.0.0.110/");
        const sdk::Ptr<DeviceAgentHandler> handlers[]
            = {sdk::makePtr<DeviceAgentHandler>(), sdk::makePtr<DeviceAgentHandler>()};
        agent->setHandler(handlers[0].get());
        std::atomic<bool> stop{false};
        std::atomic<int> deliveries{0};
        std::vector<std::thread> threads;
        threads.push_back(repeatUntil(stop, [&](int i) {
            const std::string text = std::to_string(i % 3);
            sdk::Result<sdk::ISettingsResponse*> result;
            agent->doSetSettings(&result,
                makeHostStringMap({{"HL_DURATION", text}, {"TS_CALIBRATION", text}, {"AIX_BICYCLE_DISPLAY_TYPE", text}})
                    .get());
            sdk::adopt(result.value);
            ++deliveries;
        }));
        threads.push_back(repeatUntil(stop, [&](int) {
            sdk::Result<sdk::ISettingsResponse*> result;
            agent->getPluginSideSettings(&result);
            sdk::adopt(result.value);
        }));
        threads.push_back(repeatUntil(stop, [&](int i) {
            agent->setHandler(handlers[i % 2].get());
            std::this_thread::sleep_for(100us);
        }));
        threads.push_back(repeatUntil(stop, [&](int i) {
            pushDocument(*agent, i, kDocument);
            sdk::Result<void> result;
            agent->doPushDataPacket(&result, sdk::makePtr<CompressedVideoPacket>(i, 1920 + i % 2, 1080).get());
        }));
        std::this_thread::sleep_for(2s);
        stop = true;
        for (auto& thread: threads)
            thread.join();

        EXPECT_GT(deliveries, 0);
        for (const auto& handler: handlers)
            EXPECT_LE(handler->maxConcurrentCalls(), 1);
        EXPECT_GT(handlers[0]->callCount() + handlers[1]->callCount(), 0);
        for (const auto& handler: handlers)
            handler->clear();
    }
    EXPECT_NO_LEAKS(leakCheck);
}

} // namespace
} // namespace tesh::test
