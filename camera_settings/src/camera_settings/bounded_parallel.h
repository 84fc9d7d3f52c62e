// Many independent jobs on a few threads: a camera serves only a handful of requests at a time.
#pragma once

#include <cstddef>
#include <functional>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * Runs job(0) to job(count - 1), at most maxInFlight at once, in index order of their start, and returns when all
 * have finished. The calling thread takes part, so the jobs still all run where no thread can be started.
 * @param job Must not throw.
 */
void runBounded(std::size_t count, int maxInFlight, const std::function<void(std::size_t)>& job);

} // namespace tesh::vms_server_plugins::analytics::qv
