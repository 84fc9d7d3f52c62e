// The monotonic clock that highlight and first-appearance entries are aged by.
#pragma once

#include <chrono>
#include <cstdint>

namespace tesh::kit {

inline int64_t steadyClockNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline constexpr int64_t kNsPerSecond = 1'000'000'000;

} // namespace tesh::kit
