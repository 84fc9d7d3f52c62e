// Running many independent jobs on at most a given number of threads at once.
#include "bounded_parallel.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace tesh::vms_server_plugins::analytics::qv {

void runBounded(std::size_t count, int maxInFlight, const std::function<void(std::size_t)>& job)
{
    if (count == 0)
        return;
    std::atomic<std::size_t> next{0};
    const auto work = [&]() {
        for (std::size_t index = next++; index < count; index = next++)
            job(index);
    };
    const std::size_t helpers = std::min<std::size_t>(count, static_cast<std::size_t>(std::max(maxInFlight, 1))) - 1;
    std::vector<std::thread> threads;
    try
    {
        threads.reserve(helpers);
        for (std::size_t i = 0; i < helpers; ++i)
            threads.emplace_back(work);
    }
    catch (const std::exception&)
    {
        // Fewer threads only make the jobs take longer; the caller's own thread does the rest.
    }
    work();
    for (std::thread& thread: threads)
        thread.join();
}

} // namespace tesh::vms_server_plugins::analytics::qv
