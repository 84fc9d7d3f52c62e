// The camera reports every change of its analytics settings, also the ones the agent itself writes; for a while
// after a write those reports and full reads of the camera would only show the agent its own half-written changes.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * A deadline rather than a sleeping thread: nothing has to be woken or joined when the agent goes, and a hold-off
 * costs one atomic store.
 */
class WriteHoldOff
{
public:
    static constexpr std::chrono::seconds kDuration{5};

    /**
     * Starts a hold-off unless one is running; a running one is neither extended nor restarted.
     * @return Whether this call started one.
     */
    bool start(std::chrono::nanoseconds duration = kDuration);

    bool isActive() const;

private:
    std::atomic<int64_t> m_endNs{std::numeric_limits<int64_t>::min()}; //< On the steady clock.
};

} // namespace tesh::vms_server_plugins::analytics::qv
