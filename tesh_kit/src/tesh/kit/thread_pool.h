// A fixed set of worker threads with one FIFO queue: runs an agent's metadata passes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <queue>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "platform_thread.h"

namespace tesh::kit {

/**
 * Starts one worker thread running loop, with a stack of stackBytes; the operating system may refuse, with
 * std::system_error.
 */
using WorkerStart = PlatformThread (*)(std::function<void()> loop, std::size_t stackBytes);

/** For tests: every pool made afterwards starts its workers through start; null restores the plain start. */
void setWorkerStartForTests(WorkerStart start);

/**
 * Wakes the worker that went idle last: it is the most likely to be still in cache, and the scheduler gives a thread
 * that slept long a head start that lets it push aside the thread that woke it.
 */
class ThreadPool
{
public:
    /**
     * Starts the workers one by one, each with a stack of stackBytes (0: the system's default size); if one cannot
     * be started, joins those already running and rethrows.
     */
    explicit ThreadPool(unsigned workerCount, std::size_t stackBytes = 0);

    /**
     * Waits until no task is queued or running (a running task may still enqueue more), then stops and joins
     * every worker. Must not run on one of the pool's own workers.
     */
    ~ThreadPool();

    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    /** @throws std::runtime_error "enqueue on stopped ThreadPool" once the destructor has stopped the pool. */
    template<class Function>
    std::future<std::invoke_result_t<Function>> enqueue(Function&& function);

    /**
     * The same for a task nobody waits for, without the future's shared state; whatever it throws is dropped.
     * @throws std::runtime_error "enqueue on stopped ThreadPool" once the destructor has stopped the pool.
     */
    void post(std::function<void()> task) { push(std::move(task)); }

    /** Whether the calling thread is one of this pool's workers, where the destructor would wait for itself. */
    bool isOwnWorker() const;

    /** The stack each worker was started with; 0 for the system's default, whose size is not known here. */
    std::size_t stackBytes() const { return m_stackBytes; }

private:
    struct Worker
    {
        PlatformThread thread;
        std::condition_variable wake; //< Handed a task, or stop.
        bool handed = false; //< Taken off the idle stack by push(); guarded by the queue mutex.
    };

    void push(std::function<void()> job);
    void workerLoop(Worker& self);
    void stopAndJoin();

private:
    const std::size_t m_stackBytes;
    std::vector<std::unique_ptr<Worker>> m_workers;
    std::queue<std::function<void()>> m_tasks;
    std::mutex m_queueMutex;
    std::vector<Worker*> m_idleWorkers; //< Waiting for a task, the last to wait last.
    std::condition_variable m_idleCondition; //< The queue ran dry with no task running.
    unsigned m_runningTasks = 0;
    bool m_stop = false;
};

template<class Function>
std::future<std::invoke_result_t<Function>> ThreadPool::enqueue(Function&& function)
{
    using Outcome = std::invoke_result_t<Function>;
    // std::function needs a copyable callable; the task itself is move-only.
    auto task = std::make_shared<std::packaged_task<Outcome()>>(std::forward<Function>(function));
    std::future<Outcome> future = task->get_future();
    push([task]() { (*task)(); });
    return future;
}

} // namespace tesh::kit
