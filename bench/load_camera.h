// One camera of the load benchmark: its agent, made by the engine through the exported interface, and the host's
// handler that times each document from the push to its pass's last packet.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <host_kit/host_object.h>
#include <qvhost/host_ref.h>
#include <qvhost/plugin_session.h>
#include <tesh/sdk/analytics/i_consuming_device_agent.h>
#include <tesh/sdk/analytics/i_device_agent_handler.h>

#include "latency_histogram.h"

namespace tesh::bench {

/** A camera's documents arrive this far apart (30 per second); document n carries time kFirstDocumentUs + n × this. */
inline constexpr int64_t kDocumentIntervalUs = 33'333;

/**
 * Packets that carry the pass's time are told from best shots (first appearance + 1000 µs) by lying on the grid
 * of document times.
 */
inline constexpr int64_t kFirstDocumentUs = 1'715'678'467'000'000;

/** Notes when each document was pushed and when the last packet carrying its time arrived. */
class PassTimer: public host_kit::HostObject<sdk::analytics::IDeviceAgentHandler>
{
public:
    using Clock = std::chrono::steady_clock;

    void handleMetadata(sdk::analytics::IMetadataPacket* metadataPacket) override;

    void pushing(int64_t sequence, Clock::time_point when);

    /** Documents of which at least one packet arrived. */
    int64_t passedCount() const;

    /** Closes the document still open (call when no pass runs any more) and gives every lag so far. */
    LatencyHistogram lags();

    /** The longest lag of a document closed since the last call. */
    Clock::duration takeLongestLag();

private:
    void closeCurrent();

    // Passes of one agent run one at a time and in order, so a document is done when the next one's packets come.
    // Far more slots than documents can wait in an agent.
    static constexpr int64_t kRing = 1024;

    mutable std::mutex m_mutex;
    std::array<Clock::time_point, kRing> m_pushTimes{};
    int64_t m_current = -1;
    Clock::time_point m_currentLastArrival;
    int64_t m_passed = 0;
    LatencyHistogram m_lags;
    Clock::duration m_longestLag{};
};

class LoadCamera
{
public:
    /** Throws HostError when the engine makes no agent for it. */
    LoadCamera(const qvhost::PluginSession& session, int index, std::shared_ptr<const std::string> document);
    ~LoadCamera();
    LoadCamera(const LoadCamera&) = delete;
    LoadCamera& operator=(const LoadCamera&) = delete;

    /** Pushes document number `sequence`. @return How long the call took; nothing if the agent refused it. */
    std::optional<std::chrono::nanoseconds> push(int64_t sequence);

    PassTimer& timer() { return *m_timer.get(); }

private:
    qvhost::HostRef<PassTimer> m_timer;
    qvhost::HostRef<sdk::analytics::IConsumingDeviceAgent> m_agent;
    const std::shared_ptr<const std::string> m_document;
};

} // namespace tesh::bench
