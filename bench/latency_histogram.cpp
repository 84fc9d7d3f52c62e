// Latencies of a long run kept in constant memory, so that a soak of minutes holds as much as a run of seconds.
#include "latency_histogram.h"

namespace tesh::bench {

namespace {

int highestBit(uint64_t value)
{
    int bit = 0;
    while (value >>= 1)
        ++bit;
    return bit;
}

} // namespace

int LatencyHistogram::bucketOf(uint64_t us)
{
    if (us < kExactBelow)
        return static_cast<int>(us);
    const int bit = highestBit(us); // 6 or more
    const int shift = bit - 5;
    const int step = static_cast<int>(us >> shift) - kStepsPerDoubling;
    const int bucket = kExactBelow + (bit - 6) * kStepsPerDoubling + step;
    return bucket < kBuckets ? bucket : kBuckets - 1;
}

uint64_t LatencyHistogram::lowerBoundOf(int bucket)
{
    if (bucket < kExactBelow)
        return static_cast<uint64_t>(bucket);
    const int doubling = (bucket - kExactBelow) / kStepsPerDoubling;
    const int step = (bucket - kExactBelow) % kStepsPerDoubling;
    return static_cast<uint64_t>(kStepsPerDoubling + step) << (doubling + 1);
}

void LatencyHistogram::add(std::chrono::nanoseconds latency)
{
    const int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(latency).count();
    ++m_buckets[static_cast<size_t>(bucketOf(us > 0 ? static_cast<uint64_t>(us) : 0))];
    ++m_count;
}

void LatencyHistogram::merge(const LatencyHistogram& other)
{
    for (size_t i = 0; i < m_buckets.size(); ++i)
        m_buckets[i] += other.m_buckets[i];
    m_count += other.m_count;
}

double LatencyHistogram::percentileUs(double fraction) const
{
    if (m_count == 0)
        return 0;
    const auto rank = static_cast<int64_t>(fraction * static_cast<double>(m_count - 1));
    int64_t seen = 0;
    for (int bucket = 0; bucket < kBuckets; ++bucket)
    {
        seen += m_buckets[static_cast<size_t>(bucket)];
        if (seen > rank)
            return static_cast<double>(lowerBoundOf(bucket));
    }
    return static_cast<double>(lowerBoundOf(kBuckets - 1));
}

} // namespace tesh::bench
