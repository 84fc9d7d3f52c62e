// The simulated camera's connections: their numbers, the cap on those served at once (embedded web
// servers serve few) and the number of answers one keep-alive connection carries.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "camera_simulator_options.h"

namespace qvcam {

/** One accepted connection, from the library's start notice to its close notice. */
struct ServedConnection
{
    uint64_t id = 0; //< From 1, in the order the connections were accepted.
    bool surplus = false; //< Beyond the cap: closed at its first request, without an answer.
    int answers = 0; //< Sent so far; only the connection's own thread touches it.
};

struct ConnectionCounts
{
    uint64_t accepted = 0; //< Connections taken on, the surplus ones closed after their request included.
    uint64_t surplus = 0; //< Connections beyond the cap: reset at once, or closed after their request.
    int served = 0; //< Connections served now, surplus ones not counted.
    int peakServed = 0; //< The most connections served at once.
};

class ConnectionPolicy
{
public:
    ConnectionPolicy(int maxConnections, SurplusConnections surplusMode, int keepAliveRequests);

    /**
     * Asked when a connection is accepted, before the library takes it on: false (and counted as a
     * surplus) when surplus connections are reset and the cap is reached.
     */
    bool admitsAnother();

    /** The library took a connection on: served, or surplus when the cap is reached. */
    std::unique_ptr<ServedConnection> opened();
    void closed(std::unique_ptr<ServedConnection> connection);

    /** Counts an answer about to be sent; true when the connection must close after it. */
    bool countAnswer(ServedConnection* connection) const;

    ConnectionCounts counts() const;

private:
    bool hasRoomLocked() const;

    const int m_maxConnections;
    const SurplusConnections m_surplusMode;
    const int m_keepAliveRequests;

    mutable std::mutex m_mutex;
    ConnectionCounts m_counts;
};

} // namespace qvcam
