// A device agent driven the way the host drives it, one document over and over, for the pass benchmarks.
#include "agent_rig.h"

#include <thread>

#include <host_double/device_info.h>

namespace tesh::bench {

namespace {

using vms_server_plugins::analytics::qv::DeviceAgent;

/** Enough passes for the heap and the pool's threads to reach the state they keep for the rest of the run. */
constexpr int kWarmUpPasses = 20;

/** The packet's time as the host stamps it; the agent only adds its calibration to it. */
constexpr int64_t kPacketTimestampUs = 1'715'678'467'412'000;

sdk::Ptr<DeviceAgent> makeAgent()
{
    const auto info = sdk::makePtr<test::DeviceInfo>();
    info->setId("camera-1");
    info->setUrl("http://127.0.0.1:80/");
    info->setLogin("admin");
    info->setPassword("secret");
    return sdk::makePtr<DeviceAgent>(info.get());
}

} // namespace

AgentRig::AgentRig(std::string document):
    m_handler(sdk::makePtr<DeliveryCounter>()),
    m_agent(makeAgent()),
    m_packet(sdk::makePtr<test::CustomMetadataPacket>(
        kPacketTimestampUs, test::CustomMetadataPacket::kDefaultCodec, std::move(document)))
{
    m_agent->setHandler(m_handler.get());
}

bool AgentRig::warmUp()
{
    if (!awaitReady() || !push() || !awaitReady())
        return false;
    m_packetsPerPass = m_handler->count();
    m_deliveredByEndedPasses = m_packetsPerPass;
    if (m_packetsPerPass <= 0)
        return false;
    for (int pass = 1; pass < kWarmUpPasses; ++pass)
    {
        if (!push() || !awaitPass())
            return false;
    }
    return true;
}

bool AgentRig::push()
{
    sdk::Result<void> result;
    m_agent->doPushDataPacket(&result, m_packet.get());
    return result.isOk();
}

bool AgentRig::startHeldPass()
{
    m_handler->holdDeliveries();
    return push() && !m_agent->isMetadataReady();
}

bool AgentRig::releaseHeldPasses()
{
    m_handler->releaseDeliveries();
    if (!awaitReady())
        return false;
    m_deliveredByEndedPasses = m_handler->count();
    return true;
}

std::optional<AgentRig::Clock::time_point> AgentRig::awaitPass()
{
    const int64_t expected = m_deliveredByEndedPasses + m_packetsPerPass;
    const std::optional<Clock::time_point> lastDelivery = m_handler->waitFor(expected, kPassTimeout);
    if (!lastDelivery || !awaitReady() || m_handler->count() != expected)
        return std::nullopt;
    m_deliveredByEndedPasses = expected;
    return lastDelivery;
}

bool AgentRig::awaitReady() const
{
    // The pass turns ready a few microseconds after its last delivery: too short a wait to sleep through.
    const Clock::time_point deadline = Clock::now() + kPassTimeout;
    while (!m_agent->isMetadataReady())
    {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace tesh::bench
