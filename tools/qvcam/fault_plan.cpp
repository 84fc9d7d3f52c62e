// The seeded fault draws.
#include "fault_plan.h"

#include <algorithm>

namespace qvcam {

namespace {

/** Long enough to look like a page fragment, short enough to stay below any answer cap. */
constexpr size_t kGarbageMinimumLength = 8;
constexpr size_t kGarbageMaximumLength = 64;

/** No "=" (the plug-in would find a value) and no capitals (it would find "Ok"). */
const std::string kGarbageAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789 ;,.:-_/<>#~";

/** The generator's 32 bits as a fraction: the same sequence with every standard library. */
constexpr double kGeneratorRange = 4294967296.0;

double clampedShare(double share)
{
    return std::min(1.0, std::max(0.0, share));
}

} // namespace

const char* faultName(Fault fault)
{
    switch (fault)
    {
        case Fault::none: return "";
        case Fault::garbage: return "garbage";
        case Fault::drop: return "drop";
    }
    return "";
}

FaultPlan::FaultPlan(double garbageShare, double dropShare, unsigned seed):
    m_random(seed),
    m_garbageShare(clampedShare(garbageShare)),
    m_dropShare(clampedShare(dropShare))
{}

Fault FaultPlan::draw()
{
    if (m_garbageShare <= 0 && m_dropShare <= 0)
        return Fault::none;
    const std::lock_guard<std::mutex> lock(m_mutex);
    const double draw = nextUniform();
    if (draw < m_dropShare)
        return Fault::drop;
    if (draw < m_dropShare + m_garbageShare)
        return Fault::garbage;
    return Fault::none;
}

std::string FaultPlan::garbage()
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    const size_t length = kGarbageMinimumLength + m_random() % (kGarbageMaximumLength - kGarbageMinimumLength + 1);
    std::string text;
    for (size_t i = 0; i < length; ++i)
        text += kGarbageAlphabet[m_random() % kGarbageAlphabet.size()];
    return text;
}

double FaultPlan::nextUniform()
{
    return static_cast<double>(m_random()) / kGeneratorRange;
}

} // namespace qvcam
