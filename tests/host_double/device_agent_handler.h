// The host's receiver of the metadata packets a device agent produces.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include <host_double/host_object.h>
#include <tesh/sdk/analytics/i_device_agent_handler.h>
#include <tesh/sdk/helpers/ptr.h>

namespace tesh::test {

/**
 * Keeps a reference to every packet it is given (a null packet is kept as a null entry), so the
 * packets stay alive until the handler dies or clear() is called: drop it before a leak check.
 * Also measures how many calls overlapped, since the library promises one call at a time.
 */
class DeviceAgentHandler: public HostObject<sdk::analytics::IDeviceAgentHandler>
{
public:
    using PacketPtr = sdk::Ptr<sdk::analytics::IMetadataPacket>;

    DeviceAgentHandler() = default;

    void handleMetadata(sdk::analytics::IMetadataPacket* metadataPacket) override;

    std::vector<PacketPtr> packets() const;
    int callCount() const;

    /** @return Whether at least count packets had arrived before the timeout. */
    bool waitForPackets(int count, std::chrono::milliseconds timeout) const;

    void clear();

    /** Each call sleeps this long while counted as in flight, to widen the window for overlaps. */
    void setCallDuration(std::chrono::microseconds duration);

    /** The most calls that were in flight at once. */
    int maxConcurrentCalls() const;

    /** While held, calls wait inside the handler: a test can tell for sure that the agent is mid-delivery. */
    void holdCalls();
    void releaseCalls();

    /** @return Whether at least count calls were waiting in holdCalls() before the timeout. */
    bool waitForHeldCalls(int count, std::chrono::milliseconds timeout) const;

private:
    void enterCall();
    void leaveCall();

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_packetArrived;
    std::vector<PacketPtr> m_packets;
    int m_callCount = 0;
    int m_callsInFlight = 0;
    int m_maxConcurrentCalls = 0;
    bool m_held = false;
    int m_heldCalls = 0;
    mutable std::condition_variable m_holdChanged;
    std::chrono::microseconds m_callDuration{0};
};

} // namespace tesh::test
