// The host's handler for the benchmarks: counts the packets an agent delivers and notes when the latest arrived.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include <host_double/host_object.h>
#include <tesh/sdk/analytics/i_device_agent_handler.h>

namespace tesh::bench {

/** Keeps no packet, so a long run holds no memory and the handler adds next to nothing to a delivery. */
class DeliveryCounter: public test::HostObject<sdk::analytics::IDeviceAgentHandler>
{
public:
    using Clock = std::chrono::steady_clock;

    DeliveryCounter() = default;

    void handleMetadata(sdk::analytics::IMetadataPacket* metadataPacket) override;

    int64_t count() const;

    /** Makes each delivery wait in handleMetadata until releaseDeliveries(), so that the pass delivering stays busy. */
    void holdDeliveries();
    void releaseDeliveries();

    /**
     * Waits until at least `count` packets have been delivered in all. The waiter is woken once, by the delivery
     * that reaches the count, so that it takes no processor from the pass while the pass runs.
     * @return When the latest packet arrived (taken on entry to handleMetadata, before any lock), or nothing if the
     *     timeout passed first.
     */
    std::optional<Clock::time_point> waitFor(int64_t count, std::chrono::milliseconds timeout);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_countReached;
    std::condition_variable m_released;
    bool m_held = false;
    int64_t m_count = 0;
    int64_t m_awaitedCount = 0;
    Clock::time_point m_lastDelivery;
};

} // namespace tesh::bench
