// One pool of pass workers at a time, made by the first agent that asks and joined when the last agent goes.
#include "pass_pool.h"

#include <algorithm>
#include <mutex>
#include <thread>

#include <metadata/parse_metadata_stream.h>

namespace tesh::vms_server_plugins::analytics::qv {

namespace {

unsigned workerCount()
{
    return std::max(kMinPassWorkers, std::thread::hardware_concurrency());
}

} // namespace

std::shared_ptr<kit::ThreadPool> passPool()
{
    // The slot holds no reference: agents own the pool, and the last of them joins its workers.
    static std::mutex mutex;
    static std::weak_ptr<kit::ThreadPool> current;
    const std::lock_guard<std::mutex> lock(mutex);
    std::shared_ptr<kit::ThreadPool> pool = current.lock();
    if (!pool)
    {
        // Not make_shared: the slot's weak reference would keep the pool's memory after the last agent.
        pool = std::shared_ptr<kit::ThreadPool>(new kit::ThreadPool(workerCount(), kDeepParseStackBytes));
        current = pool;
    }
    return pool;
}

} // namespace tesh::vms_server_plugins::analytics::qv
