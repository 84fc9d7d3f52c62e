// The host's handler for the benchmarks: counts the packets an agent delivers and notes when the latest arrived.
#include "delivery_counter.h"

namespace tesh::bench {

void DeliveryCounter::handleMetadata(sdk::analytics::IMetadataPacket* /*metadataPacket*/)
{
    Clock::time_point now = Clock::now();
    bool reached = false;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_held)
        {
            m_released.wait(lock, [this]() { return !m_held; });
            now = Clock::now();
        }
        ++m_count;
        m_lastDelivery = now;
        reached = m_awaitedCount > 0 && m_count >= m_awaitedCount;
    }
    if (reached)
        m_countReached.notify_all();
}

int64_t DeliveryCounter::count() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_count;
}

void DeliveryCounter::holdDeliveries()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_held = true;
}

void DeliveryCounter::releaseDeliveries()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_held = false;
    }
    m_released.notify_all();
}

std::optional<DeliveryCounter::Clock::time_point> DeliveryCounter::waitFor(
    int64_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_awaitedCount = count;
    const bool reached = m_countReached.wait_for(lock, timeout, [&]() { return m_count >= count; });
    m_awaitedCount = 0;
    if (!reached)
        return std::nullopt;
    return m_lastDelivery;
}

} // namespace tesh::bench
