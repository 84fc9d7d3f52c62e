// The host's receiver of the metadata packets a device agent produces.
#include "device_agent_handler.h"

#include <algorithm>
#include <thread>

namespace tesh::test {

void DeviceAgentHandler::handleMetadata(sdk::analytics::IMetadataPacket* metadataPacket)
{
    enterCall();
    std::chrono::microseconds duration{0};
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        ++m_heldCalls;
        m_holdChanged.notify_all();
        m_holdChanged.wait(lock, [this]() { return !m_held; });
        --m_heldCalls;
        duration = m_callDuration;
    }
    if (duration.count() > 0)
        std::this_thread::sleep_for(duration);
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        // Borrowed for the call: keeping it needs a reference of our own.
        m_packets.push_back(sdk::share(metadataPacket));
        ++m_callCount;
    }
    m_packetArrived.notify_all();
    leaveCall();
}

std::vector<DeviceAgentHandler::PacketPtr> DeviceAgentHandler::packets() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_packets;
}

int DeviceAgentHandler::callCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_callCount;
}

bool DeviceAgentHandler::waitForPackets(int count, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_packetArrived.wait_for(lock, timeout, [&]() { return static_cast<int>(m_packets.size()) >= count; });
}

void DeviceAgentHandler::clear()
{
    std::vector<PacketPtr> released;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        released.swap(m_packets);
    }
    // The packets die here, outside the lock, in case their destructors log or call back.
}

void DeviceAgentHandler::setCallDuration(std::chrono::microseconds duration)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_callDuration = duration;
}

int DeviceAgentHandler::maxConcurrentCalls() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_maxConcurrentCalls;
}

void DeviceAgentHandler::holdCalls()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_held = true;
}

void DeviceAgentHandler::releaseCalls()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_held = false;
    }
    m_holdChanged.notify_all();
}

bool DeviceAgentHandler::waitForHeldCalls(int count, std::chrono::milliseconds timeout) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_holdChanged.wait_for(lock, timeout, [&]() { return m_held && m_heldCalls >= count; });
}

void DeviceAgentHandler::enterCall()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    ++m_callsInFlight;
    m_maxConcurrentCalls = std::max(m_maxConcurrentCalls, m_callsInFlight);
}

void DeviceAgentHandler::leaveCall()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    --m_callsInFlight;
}

} // namespace tesh::test
