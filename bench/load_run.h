// Many cameras in one process, each fed documents at the camera's rate by the host's feeder threads, as the
// server feeds them: what a server with hundreds of cameras asks of the plug-in.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <qvhost/plugin_session.h>

#include "latency_histogram.h"
#include "load_camera.h"
#include "process_figures.h"

namespace tesh::bench {

/** What the cameras cost before any document reached them, per camera. */
struct IdleCost
{
    double threadsPerAgent = 0;
    double residentBytesPerAgent = 0;
};

/** Counts since start(). */
struct LoadCounts
{
    int64_t pushed = 0;
    int64_t refused = 0; //< Pushes the agent answered with an error.
    int64_t passed = 0; //< Documents whose pass delivered at least one packet.
};

struct LoadFigures
{
    LoadCounts counts;
    int64_t dropped = 0; //< Pushed, not refused, and never passed.
    double processorShare = 0; //< User and system time over wall time, of all threads: 1.0 is one core.
    ProcessFigures atEnd;
    LatencyHistogram lags; //< Push to the last packet of the document's pass.
    LatencyHistogram pushCalls;
};

class LoadRun
{
public:
    /** Makes the cameras' agents; throws HostError when the engine refuses one. */
    LoadRun(const qvhost::PluginSession& session, int cameras, std::shared_ptr<const std::string> document);
    ~LoadRun();

    const IdleCost& idleCost() const { return m_idleCost; }

    void start();
    LoadCounts counts() const;

    /**
     * The longest push-to-last-packet of a document since the last call: a backlog, which a stall of the process or
     * of the pass workers leaves behind, shows here.
     */
    std::chrono::steady_clock::duration takeLongestLag();

    /** Stops the feeders, lets the passes in flight end, and gives the figures of the run. */
    LoadFigures stop();

private:
    struct Feeder
    {
        int index = 0;
        std::vector<LoadCamera*> cameras;
        std::atomic<int64_t> pushed{0};
        std::atomic<int64_t> refused{0};
        LatencyHistogram pushCalls;
        std::thread thread;
    };

    void feed(Feeder* feeder, std::chrono::steady_clock::time_point start);
    int64_t passedCount() const;
    void awaitPassesEnded() const;

    std::vector<std::unique_ptr<LoadCamera>> m_cameras;
    std::vector<std::unique_ptr<Feeder>> m_feeders;
    std::atomic<bool> m_stopping{false};
    IdleCost m_idleCost;
    ProcessFigures m_atStart;
    std::chrono::steady_clock::time_point m_startedAt;
};

} // namespace tesh::bench
