// How many requests one agent has under way at its camera at once: lowered when the camera turns connections away,
// raised again slowly while it answers.
#pragma once

#include <condition_variable>
#include <mutex>

namespace tesh::vms_server_plugins::analytics::qv {

/** Reads and writes of one agent all pass here, so the bound holds for the agent as a whole. */
/**
 * Answers in a row before the limit is raised past what the camera served when it last turned a connection away. A
 * failed probe costs one refused connection and a short back-off of one request, a few per cent of the answers at 32;
 * one that succeeds wins back a camera whose other clients have let go of their connections within a tenth of a read.
 */
constexpr int kAnswersBeforeProbing = 32;

class RequestGate
{
public:
    /** @param maxInFlight The most requests at once, also where the limit starts. */
    explicit RequestGate(int maxInFlight);

    /** Waits until a request may start. */
    void enter();

    /**
     * The request ended with an answer (any status): after a run of them the limit grows by one, up to where the
     * camera last turned a connection away; past it only after a long run, which probes whether it serves more now.
     */
    void leaveAnswered();

    /**
     * The camera reset, refused or closed the connection without an answer: too many at once. The limit drops to
     * the requests still under way (those the camera did take), at least one below what it was, never below 1.
     */
    void leaveTurnedAway();

    /** The request failed otherwise (time-out, refused login): says nothing about the number at once. */
    void leave();

    int limit() const;

    /** Requests under way now. */
    int inFlight() const;

private:
    void leaveLocked();

    const int m_maxInFlight;
    mutable std::mutex m_mutex;
    std::condition_variable m_room;
    int m_limit;
    int m_ceiling; //< The most the camera served at once before it last turned one away.
    int m_servedAtOnce = 0; //< The most requests under way when one was answered.
    int m_inFlight = 0;
    int m_answeredSinceChange = 0;
};

} // namespace tesh::vms_server_plugins::analytics::qv
