// Many cameras in one process, each fed documents at the camera's rate by the host's feeder threads, as the
// server feeds them: what a server with hundreds of cameras asks of the plug-in.
#include "load_run.h"

#include <algorithm>

namespace tesh::bench {

namespace {

using Clock = std::chrono::steady_clock;

/** The server reads camera streams on a few threads of its own, each serving many cameras. */
constexpr int kFeederThreads = 4;

/** Longer than any pass takes to drain a queue of waiting documents on a loaded machine. */
constexpr std::chrono::seconds kDrainTimeout{10};

/** The passes have ended when no document has passed for this long. */
constexpr std::chrono::milliseconds kQuietPeriod{300};

/** Lets pool threads that start lazily appear, and the allocator settle, before the idle cost is read. */
constexpr std::chrono::milliseconds kSettleTime{200};

} // namespace

LoadRun::LoadRun(const qvhost::PluginSession& session, int cameras, std::shared_ptr<const std::string> document)
{
    const ProcessFigures before = processFigures();
    for (int index = 0; index < cameras; ++index)
        m_cameras.push_back(std::make_unique<LoadCamera>(session, index, document));
    std::this_thread::sleep_for(kSettleTime);
    const ProcessFigures after = processFigures();
    m_idleCost.threadsPerAgent = static_cast<double>(after.threads - before.threads) / cameras;
    m_idleCost.residentBytesPerAgent = static_cast<double>(after.residentBytes - before.residentBytes) / cameras;

    const int feeders = std::min(kFeederThreads, cameras);
    for (int f = 0; f < feeders; ++f)
    {
        m_feeders.push_back(std::make_unique<Feeder>());
        m_feeders.back()->index = f;
    }
    for (int index = 0; index < cameras; ++index)
        m_feeders[static_cast<size_t>(index % feeders)]->cameras.push_back(m_cameras[static_cast<size_t>(index)].get());
}

LoadRun::~LoadRun()
{
    m_stopping = true;
    for (const auto& feeder: m_feeders)
    {
        if (feeder->thread.joinable())
            feeder->thread.join();
    }
}

void LoadRun::start()
{
    m_atStart = processFigures();
    m_startedAt = Clock::now();
    for (const auto& feeder: m_feeders)
        feeder->thread = std::thread([this, feeder = feeder.get()]() { feed(feeder, m_startedAt); });
}

// Camera i of n pushes at start + (i / n + k) intervals: the cameras' frames are spread over the interval, as
// unsynchronised cameras' are. A feeder that falls behind pushes at once, and the shortfall shows in the count.
void LoadRun::feed(Feeder* feeder, Clock::time_point start)
{
    const auto interval = std::chrono::microseconds(kDocumentIntervalUs);
    const auto cameras = static_cast<int64_t>(m_cameras.size());
    for (int64_t sequence = 0; !m_stopping; ++sequence)
    {
        for (size_t slot = 0; slot < feeder->cameras.size() && !m_stopping; ++slot)
        {
            const auto cameraIndex = static_cast<int64_t>(slot * m_feeders.size()) + feeder->index;
            std::this_thread::sleep_until(start + sequence * interval + interval * cameraIndex / cameras);
            const auto took = feeder->cameras[slot]->push(sequence);
            ++feeder->pushed;
            if (took)
                feeder->pushCalls.add(*took);
            else
                ++feeder->refused;
        }
    }
}

Clock::duration LoadRun::takeLongestLag()
{
    Clock::duration longest{};
    for (const auto& camera: m_cameras)
        longest = std::max(longest, camera->timer().takeLongestLag());
    return longest;
}

LoadCounts LoadRun::counts() const
{
    LoadCounts counts;
    for (const auto& feeder: m_feeders)
    {
        counts.pushed += feeder->pushed;
        counts.refused += feeder->refused;
    }
    counts.passed = passedCount();
    return counts;
}

int64_t LoadRun::passedCount() const
{
    int64_t passed = 0;
    for (const auto& camera: m_cameras)
        passed += camera->timer().passedCount();
    return passed;
}

LoadFigures LoadRun::stop()
{
    m_stopping = true;
    for (const auto& feeder: m_feeders)
        feeder->thread.join();
    const Clock::time_point stoppedAt = Clock::now();
    LoadFigures figures;
    figures.atEnd = processFigures();
    const double wallSeconds = std::chrono::duration<double>(stoppedAt - m_startedAt).count();
    figures.processorShare = (figures.atEnd.processorSeconds - m_atStart.processorSeconds) / wallSeconds;

    awaitPassesEnded();
    figures.counts = counts();
    figures.dropped = figures.counts.pushed - figures.counts.refused - figures.counts.passed;
    for (const auto& camera: m_cameras)
        figures.lags.merge(camera->timer().lags());
    for (const auto& feeder: m_feeders)
        figures.pushCalls.merge(feeder->pushCalls);
    return figures;
}

void LoadRun::awaitPassesEnded() const
{
    const Clock::time_point deadline = Clock::now() + kDrainTimeout;
    int64_t passed = passedCount();
    while (Clock::now() < deadline)
    {
        std::this_thread::sleep_for(kQuietPeriod);
        const int64_t now = passedCount();
        if (now == passed)
            return;
        passed = now;
    }
}

} // namespace tesh::bench
