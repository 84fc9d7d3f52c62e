// The faults by parameter name, their error pages, and the seeded fault draws.
#include "fault_plan.h"

#include <algorithm>
#include <utility>

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

struct OfferedStatus
{
    int status;
    const char* reason;
};

/** The reason phrases of RFC 9110, as the pages' titles carry them. */
const OfferedStatus kOfferedStatuses[] = {
    {400, "Bad Request"},
    {403, "Forbidden"},
    {404, "Not Found"},
    {500, "Internal Server Error"},
    {503, "Service Unavailable"},
};

const char* reasonPhrase(int status)
{
    for (const OfferedStatus& offered: kOfferedStatuses)
    {
        if (offered.status == status)
            return offered.reason;
    }
    return nullptr;
}

bool names(const std::vector<std::string>& parameters, const std::string& name)
{
    return std::find(parameters.begin(), parameters.end(), name) != parameters.end();
}

} // namespace

const char* faultName(Fault fault)
{
    switch (fault)
    {
        case Fault::none: return "";
        case Fault::garbage: return "garbage";
        case Fault::drop: return "drop";
        case Fault::status: return "status";
        case Fault::refusal: return "refusal";
    }
    return "";
}

bool isOfferedErrorStatus(int status)
{
    return reasonPhrase(status) != nullptr;
}

std::string offeredErrorStatuses()
{
    std::string text;
    for (const OfferedStatus& offered: kOfferedStatuses)
        text += (text.empty() ? "" : ", ") + std::to_string(offered.status);
    return text;
}

std::string errorPage(int status)
{
    const char* reason = reasonPhrase(status);
    const std::string title = std::to_string(status) + " " + (reason != nullptr ? reason : "Error");
    return "<!DOCTYPE html>\r\n<html><head>\r\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n"
           "<title>"
        + title + "</title>\r\n</head><body><h1>" + title + "</h1></body></html>\r\n";
}

FaultPlan::FaultPlan(double garbageShare, double dropShare, unsigned seed, ParameterFaults parameterFaults):
    m_random(seed),
    m_garbageShare(clampedShare(garbageShare)),
    m_dropShare(clampedShare(dropShare)),
    m_parameterFaults(std::move(parameterFaults))
{}

FaultDecision FaultPlan::decide(const std::vector<std::string>& parameters, bool isWrite)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const FaultDecision named = byNameLocked(parameters, isWrite);
        if (named.fault != Fault::none)
            return named;
    }
    return {draw(), 0};
}

void FaultPlan::setParameterFaults(ParameterFaults parameterFaults)
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_parameterFaults = std::move(parameterFaults);
}

FaultDecision FaultPlan::byNameLocked(const std::vector<std::string>& parameters, bool isWrite) const
{
    for (const ParameterStatus& status: m_parameterFaults.statuses)
    {
        if ((isWrite || !status.writesOnly) && names(parameters, status.parameter))
            return {Fault::status, status.status};
    }
    for (const std::string& refused: m_parameterFaults.refusedWrites)
    {
        if (isWrite && names(parameters, refused))
            return {Fault::refusal, 0};
    }
    return {};
}

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
