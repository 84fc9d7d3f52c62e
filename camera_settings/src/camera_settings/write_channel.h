// The agent's writes to the camera, in the order the host delivered them, while the host's call has long returned.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Each of the kMaxCameraRequestsInFlight requests a camera serves at once may wait out a flash save of 2 s, and ten
 * changes take two rounds of them: 10 s lets a dialog's worth of changes applied just before the camera is removed
 * still reach it, and bounds how long the host's release of the agent can take.
 */
constexpr std::chrono::milliseconds kWriteFinishCap{10000};

/**
 * One per agent. Writes start in the order they were posted; a write waiting for its turn is replaced by a newer
 * value of the same setting, and a setting is never written by two workers at once, so the later value always
 * ends on the camera. At most `workers` writes run at once; each sends its requests one after the other. A worker
 * ends as soon as nothing waits, so an agent whose dialog is left alone keeps no thread for its writes.
 */
class WriteChannel
{
public:
    /** One setting's value and the requests that put it on the camera. */
    struct Job
    {
        std::string name;
        std::string value;
        std::vector<std::string> paths;
    };

    /** Sends one job's requests; is told to stop sending when the channel's time is up. Must not throw. */
    using Write = std::function<void(const Job& job, const std::atomic<bool>& timeUp)>;
    /** A job that will never run: replaced by a newer one, or never started. Must not throw. */
    using Dropped = std::function<void(const Job& job, bool replaced)>;

    WriteChannel(int workers, Write write, Dropped dropped);

    /** finish(kWriteFinishCap). */
    ~WriteChannel();

    WriteChannel(const WriteChannel&) = delete;
    WriteChannel& operator=(const WriteChannel&) = delete;

    void post(Job job);

    /**
     * Lets the writes posted so far run until they are done or the cap has passed, then tells the ones still
     * running to stop after their request under way (which ends within its time-out), drops the ones not started,
     * and joins every worker. Nothing is written afterwards.
     */
    void finish(std::chrono::milliseconds cap);

    /** Workers started and not yet ended. */
    int workerCount() const;

private:
    struct Worker
    {
        std::thread thread;
        bool ended = false; //< Left work(); joining it no longer waits.
    };

    void work(Worker* self);
    bool takeLocked(Job* next);
    void startWorkerLocked();
    void joinEndedLocked();
    int liveWorkersLocked() const;

    const int m_maxWorkers;
    const Write m_write;
    const Dropped m_dropped;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Job> m_pending;
    std::set<std::string> m_running; //< Names being written now.
    std::list<Worker> m_workers; //< Started as writes come, up to the bound; the ended ones joined at the next start.
    int m_idleWorkers = 0;
    bool m_closed = false; //< No more posts; workers end once nothing is left.
    std::atomic<bool> m_timeUp{false};
};

} // namespace tesh::vms_server_plugins::analytics::qv
