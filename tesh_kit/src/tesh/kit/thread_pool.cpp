// A fixed set of worker threads with one FIFO queue.
#include "thread_pool.h"

#include <algorithm>
#include <atomic>

namespace tesh::kit {

namespace {

std::atomic<WorkerStart> workerStartForTests{nullptr};

PlatformThread startWorker(std::function<void()> loop, std::size_t stackBytes)
{
    const WorkerStart start = workerStartForTests.load();
    return start ? start(std::move(loop), stackBytes) : PlatformThread(std::move(loop), stackBytes);
}

} // namespace

void setWorkerStartForTests(WorkerStart start)
{
    workerStartForTests.store(start);
}

ThreadPool::ThreadPool(unsigned workerCount, std::size_t stackBytes): m_stackBytes(stackBytes)
{
    m_workers.reserve(workerCount);
    m_idleWorkers.reserve(workerCount);
    try
    {
        for (unsigned i = 0; i < workerCount; ++i)
        {
            m_workers.push_back(std::make_unique<Worker>());
            Worker& worker = *m_workers.back();
            worker.thread = startWorker([this, &worker]() { workerLoop(worker); }, m_stackBytes);
        }
    }
    catch (...)
    {
        // Workers already running wait for a task that never comes: they are told to stop before they are joined.
        stopAndJoin();
        throw;
    }
}

ThreadPool::~ThreadPool()
{
    {
        std::unique_lock<std::mutex> lock(m_queueMutex);
        m_idleCondition.wait(lock, [this]() { return m_tasks.empty() && m_runningTasks == 0; });
    }
    stopAndJoin();
}

void ThreadPool::stopAndJoin()
{
    {
        const std::lock_guard<std::mutex> lock(m_queueMutex);
        m_stop = true;
        // Told under the lock: a worker that has not started to wait yet sees the stop before it does.
        for (const auto& worker: m_workers)
            worker->wake.notify_all();
    }
    for (const auto& worker: m_workers)
    {
        if (worker->thread.joinable())
            worker->thread.join();
    }
}

void ThreadPool::push(std::function<void()> job)
{
    Worker* handedTo = nullptr;
    {
        const std::lock_guard<std::mutex> lock(m_queueMutex);
        if (m_stop)
            throw std::runtime_error("enqueue on stopped ThreadPool");
        m_tasks.push(std::move(job));
        if (!m_idleWorkers.empty())
        {
            handedTo = m_idleWorkers.back();
            m_idleWorkers.pop_back();
            handedTo->handed = true;
        }
    }
    // Told outside the lock: the worker lives as long as the pool, and a notice that comes late finds it at worst
    // waiting again, which its condition ignores.
    if (handedTo)
        handedTo->wake.notify_one();
}

// No thread_local for this: in a library loaded at run time it takes dynamic TLS, which some hosts run short of.
bool ThreadPool::isOwnWorker() const
{
    return std::any_of(m_workers.begin(), m_workers.end(),
        [](const std::unique_ptr<Worker>& worker) { return worker->thread.isCurrent(); });
}

void ThreadPool::workerLoop(Worker& self)
{
    for (;;)
    {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_queueMutex);
            // A worker handed a task may find it taken by one that came back first: it waits again.
            while (!m_stop && m_tasks.empty())
            {
                self.handed = false;
                m_idleWorkers.push_back(&self);
                self.wake.wait(lock, [this, &self]() { return m_stop || self.handed; });
            }
            if (m_tasks.empty())
                return;
            job = std::move(m_tasks.front());
            m_tasks.pop();
            ++m_runningTasks;
        }
        try
        {
            job(); //< A packaged task stores what its function throws in its future; a posted one has none.
        }
        catch (...)
        {
            // Nobody waits for a posted task's outcome.
        }
        job = nullptr; //< The task's captures die before the pool may count itself idle.
        {
            const std::lock_guard<std::mutex> lock(m_queueMutex);
            --m_runningTasks;
            if (m_tasks.empty() && m_runningTasks == 0)
                m_idleCondition.notify_all();
        }
    }
}

} // namespace tesh::kit
