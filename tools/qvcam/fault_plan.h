// Which requests the simulated camera answers badly: a seeded draw per request, so that a run with the
// same seed and the same number of requests meets the same number of faults.
#pragma once

#include <cstdint>
#include <mutex>
#include <random>
#include <string>

namespace qvcam {

enum class Fault
{
    none,
    garbage, //< Answered with status 200 and a body holding no "=" (and never "Ok").
    drop, //< The connection is closed without an answer.
};

const char* faultName(Fault fault);

class FaultPlan
{
public:
    /** Shares are clamped to 0..1; where they add up to more than 1, drops take precedence. */
    FaultPlan(double garbageShare, double dropShare, unsigned seed);

    Fault draw();

    /** Printable text of random length without "=", line end or capital letters. */
    std::string garbage();

private:
    double nextUniform();

    std::mutex m_mutex;
    std::mt19937 m_random;
    double m_garbageShare;
    double m_dropShare;
};

} // namespace qvcam
