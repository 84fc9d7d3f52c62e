// Latencies of a long run kept in constant memory, so that a soak of minutes holds as much as a run of seconds.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>

namespace tesh::bench {

/**
 * Microseconds, exact below 64 and within 1/32 (3 %) above: fine enough for a median and a 99th percentile, and
 * the same memory whether it holds a hundred samples or a hundred million.
 */
class LatencyHistogram
{
public:
    void add(std::chrono::nanoseconds latency);
    void merge(const LatencyHistogram& other);

    int64_t count() const { return m_count; }

    /** The latency below which this fraction of the samples lies, in microseconds; 0 when there are none. */
    double percentileUs(double fraction) const;

private:
    static constexpr int kExactBelow = 64;
    static constexpr int kStepsPerDoubling = 32;
    // Up to 2^40 µs (12 days): nothing of a run lasts longer.
    static constexpr int kBuckets = kExactBelow + (40 - 6) * kStepsPerDoubling;

    static int bucketOf(uint64_t us);
    static uint64_t lowerBoundOf(int bucket);

    std::array<int64_t, kBuckets> m_buckets{};
    int64_t m_count = 0;
};

} // namespace tesh::bench
