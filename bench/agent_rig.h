// A device agent driven the way the host drives it, one document over and over, for the pass benchmarks.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include <host_double/custom_metadata_packet.h>
#include <plugin/device_agent.h>
#include <tesh/sdk/helpers/ptr.h>

#include "delivery_counter.h"

namespace tesh::bench {

/**
 * Far beyond any pass of the benchmark documents (well under a millisecond each): a pass that has not ended by
 * then is stuck, not slow.
 */
inline constexpr std::chrono::milliseconds kPassTimeout{5000};

/** Owns an agent with a handler set and one packet of the document, which the agent copies on every push. */
class AgentRig
{
public:
    using Clock = DeliveryCounter::Clock;

    explicit AgentRig(std::string document);

    /**
     * Runs passes of the document until the allocator, the caches and the pool's threads have settled, and learns
     * from them how many packets a pass delivers.
     * @return False if a push failed, a pass delivered nothing or did not end in time.
     */
    bool warmUp();

    int64_t packetsPerPass() const { return m_packetsPerPass; }

    /** The host's push call and nothing else. */
    bool push();

    /**
     * Holds the handler's deliveries and pushes the document, so that its pass stays under way, waiting in its
     * first delivery, and later pushes find the agent busy.
     */
    bool startHeldPass();

    /**
     * Lets the held pass and the passes queued behind it deliver, and waits until the agent is ready again.
     * @return False if the agent did not become ready in time.
     */
    bool releaseHeldPasses();

    /**
     * Waits until the pass of the latest push has delivered its packets and the agent is ready again.
     * @return When the pass's last packet reached the handler; nothing if the pass did not end in time or
     *     delivered a number of packets other than what warmUp() learned.
     */
    std::optional<Clock::time_point> awaitPass();

private:
    bool awaitReady() const;

private:
    sdk::Ptr<DeliveryCounter> m_handler;
    sdk::Ptr<vms_server_plugins::analytics::qv::DeviceAgent> m_agent;
    sdk::Ptr<test::CustomMetadataPacket> m_packet;
    int64_t m_packetsPerPass = 0;
    int64_t m_deliveredByEndedPasses = 0;
};

} // namespace tesh::bench
