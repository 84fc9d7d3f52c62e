// The agent's ordered writes to the camera, and finishing them when the agent goes.
#include "write_channel.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace tesh::vms_server_plugins::analytics::qv {

WriteChannel::WriteChannel(int workers, Write write, Dropped dropped):
    m_maxWorkers(std::max(workers, 1)),
    m_write(std::move(write)),
    m_dropped(std::move(dropped))
{}

WriteChannel::~WriteChannel()
{
    finish(kWriteFinishCap);
}

void WriteChannel::post(Job job)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_closed)
    {
        lock.unlock();
        return m_dropped(job, /*replaced*/ false);
    }
    const auto older = std::find_if(
        m_pending.begin(), m_pending.end(), [&](const Job& pending) { return pending.name == job.name; });
    std::optional<Job> replaced;
    if (older != m_pending.end())
    {
        replaced = std::move(*older);
        m_pending.erase(older);
    }
    m_pending.push_back(std::move(job));
    joinEndedLocked();
    if (m_idleWorkers < static_cast<int>(m_pending.size()) && liveWorkersLocked() < m_maxWorkers)
        startWorkerLocked();
    if (liveWorkersLocked() == 0)
    {
        // No worker to take it, now or later.
        const Job orphan = std::move(m_pending.back());
        m_pending.pop_back();
        lock.unlock();
        return m_dropped(orphan, /*replaced*/ false);
    }
    m_changed.notify_all();
    lock.unlock();
    if (replaced)
        m_dropped(*replaced, /*replaced*/ true);
}

void WriteChannel::finish(std::chrono::milliseconds cap)
{
    std::list<Worker> workers;
    std::deque<Job> dropped;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
        m_changed.wait_for(lock, cap, [this]() { return m_pending.empty() && m_running.empty(); });
        m_timeUp = true;
        dropped.swap(m_pending);
        m_changed.notify_all();
        workers.swap(m_workers);
    }
    for (Worker& worker: workers)
        worker.thread.join();
    for (const Job& pending: dropped)
        m_dropped(pending, /*replaced*/ false);
}

int WriteChannel::workerCount() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return liveWorkersLocked();
}

int WriteChannel::liveWorkersLocked() const
{
    return static_cast<int>(
        std::count_if(m_workers.begin(), m_workers.end(), [](const Worker& worker) { return !worker.ended; }));
}

// A worker marks itself ended under the lock and then only returns, so joining it here waits for nothing.
void WriteChannel::joinEndedLocked()
{
    for (auto worker = m_workers.begin(); worker != m_workers.end();)
    {
        if (!worker->ended)
        {
            ++worker;
            continue;
        }
        worker->thread.join();
        worker = m_workers.erase(worker);
    }
}

void WriteChannel::startWorkerLocked()
{
    // Fewer workers only write more slowly; where there is none at all, post() drops the write.
    try
    {
        m_workers.emplace_back();
        m_workers.back().thread = std::thread([this, self = &m_workers.back()]() { work(self); });
    }
    catch (const std::exception&)
    {
        if (!m_workers.empty() && !m_workers.back().thread.joinable())
            m_workers.pop_back();
    }
}

void WriteChannel::work(Worker* self)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    while (true)
    {
        Job next;
        bool taken = false;
        ++m_idleWorkers;
        m_changed.wait(lock, [&]() {
            taken = takeLocked(&next);
            return taken || m_timeUp || m_pending.empty();
        });
        --m_idleWorkers;
        if (!taken)
        {
            self->ended = true;
            return;
        }
        m_running.insert(next.name);
        lock.unlock();
        m_write(next, m_timeUp);
        lock.lock();
        m_running.erase(next.name);
        m_changed.notify_all();
    }
}

/** The first pending write whose setting is not being written now. */
bool WriteChannel::takeLocked(Job* next)
{
    if (m_timeUp)
        return false;
    const auto ready = std::find_if(
        m_pending.begin(), m_pending.end(), [this](const Job& pending) { return m_running.count(pending.name) == 0; });
    if (ready == m_pending.end())
        return false;
    *next = std::move(*ready);
    m_pending.erase(ready);
    return true;
}

} // namespace tesh::vms_server_plugins::analytics::qv
