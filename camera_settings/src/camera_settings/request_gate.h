// How many requests one agent has under way at its camera at once: lowered when the camera turns connections away,
// raised again slowly while it answers.
#pragma once

#include <condition_variable>
#include <mutex>

namespace tesh::vms_server_plugins::analytics::qv {

/** Reads and writes of one agent all pass here, so the bound holds for the agent as a whole. */
class RequestGate
{
public:
    /** @param maxInFlight The most requests at once, also where the limit starts. */
    explicit RequestGate(int maxInFlight);

    /** Waits until a request may start. */
    void enter();

    /** The request ended with an answer (any status): after a run of them the limit grows by one. */
    void leaveAnswered();

    /**
     * The camera reset, refused or closed the connection without an answer: too many at once. The limit drops to
     * the requests still under way (those the camera did take), at least one below what it was, never below 1.
     */
    void leaveTurnedAway();

    /** The request failed otherwise (time-out, refused login): says nothing about the number at once. */
    void leave();

    int limit() const;

private:
    void leaveLocked();

    const int m_maxInFlight;
    mutable std::mutex m_mutex;
    std::condition_variable m_room;
    int m_limit;
    int m_inFlight = 0;
    int m_answeredSinceChange = 0;
};

} // namespace tesh::vms_server_plugins::analytics::qv
