// Metadata timestamps are the host's int64 microseconds, shifted by offsets from the camera and the settings.
#pragma once

#include <cstdint>
#include <limits>

namespace tesh::vms_server_plugins::analytics::qv {

/**
 * A host timestamp near the end of the range must not wrap into the past (or into undefined behaviour), and a
 * negative calibration must not take a packet before the start of time, which the host refuses.
 */
inline int64_t shiftedTimestampUs(int64_t timestampUs, int64_t offsetUs)
{
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
    if (offsetUs > 0 && timestampUs > kMax - offsetUs)
        return kMax;
    if (offsetUs < 0 && timestampUs < kMin - offsetUs)
        return 0;
    const int64_t sum = timestampUs + offsetUs;
    return sum < 0 ? 0 : sum;
}

} // namespace tesh::vms_server_plugins::analytics::qv
