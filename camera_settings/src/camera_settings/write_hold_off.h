// The camera reports every change of its analytics settings, also the ones the agent itself writes; while its own
// writes are under way and for a while after the last, those reports would only make the agent read back its own
// changes.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <limits>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * From the first write accepted until kDuration after the last one finished. A deadline and a count rather than a
 * sleeping thread: nothing has to be woken or joined when the agent goes.
 */
class WriteHoldOff
{
public:
    /** A camera reports a change within a few seconds of saving it; 5 s after the last write covers that. */
    static constexpr std::chrono::seconds kDuration{5};

    /** A write was accepted: the hold-off runs at least until it has finished. */
    void writeStarted();

    /**
     * The write ended; the hold-off runs on for the duration after it (0 for a write the camera took none of), and
     * longer while other writes run or a longer one is still ahead.
     */
    void writeFinished(std::chrono::nanoseconds duration = kDuration);

    bool isActive() const;

private:
    std::atomic<int> m_writes{0};
    std::atomic<int64_t> m_endNs{std::numeric_limits<int64_t>::min()}; //< On the steady clock.
};

} // namespace tesh::vms_server_plugins::analytics::qv
