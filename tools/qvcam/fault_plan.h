// Which requests the simulated camera answers badly, and with what: faults chosen per parameter (an
// HTTP error status, a refused write) and a seeded draw per request, so that a run with the same seed
// and the same number of requests meets the same number of faults.
#pragma once

#include <cstdint>
#include <mutex>
#include <random>
#include <string>
#include <vector>

namespace qvcam {

enum class Fault
{
    none,
    garbage, //< Answered with status 200 and a body holding no "=" (and never "Ok").
    drop, //< The connection is closed without an answer.
    status, //< Answered with an HTTP error status and an HTML error page.
    refusal, //< A write answered "Error" with status 200; nothing is stored.
};

const char* faultName(Fault fault);

/** An HTTP error status answered to requests naming a parameter. */
struct ParameterStatus
{
    std::string parameter;
    int status = 0; //< One for which isOfferedErrorStatus() holds.
    bool writesOnly = false; //< Reads of the parameter are answered as usual.
};

/** The faults chosen by parameter name; a request naming several takes the first that applies. */
struct ParameterFaults
{
    std::vector<ParameterStatus> statuses;
    std::vector<std::string> refusedWrites; //< Every write naming one of these is refused.
};

/** 400, 403, 404, 500 and 503: what embedded web servers answer for parameters they will not serve. */
bool isOfferedErrorStatus(int status);

/** The statuses above as "400, 403, ...", for messages. */
std::string offeredErrorStatuses();

/**
 * An HTML error page as embedded web servers send it, with "=" in its <meta> tags, so that a client
 * looking for NAME=VALUE finds something.
 */
std::string errorPage(int status);

struct FaultDecision
{
    Fault fault = Fault::none;
    int status = 0; //< For Fault::status.
};

class FaultPlan
{
public:
    /** Shares are clamped to 0..1; where they add up to more than 1, drops take precedence. */
    FaultPlan(double garbageShare, double dropShare, unsigned seed, ParameterFaults parameterFaults = {});

    /**
     * For an authenticated request naming these parameters: a status fault first, then a refused write,
     * else a seeded draw. Requests with a fault by name do not draw, so the draws stay those of the rest.
     */
    FaultDecision decide(const std::vector<std::string>& parameters, bool isWrite);

    /** In place of the faults by name given so far: a camera that refuses now may accept later. */
    void setParameterFaults(ParameterFaults parameterFaults);

    Fault draw();

    /** Printable text of random length without "=", line end or capital letters. */
    std::string garbage();

private:
    double nextUniform();
    FaultDecision byNameLocked(const std::vector<std::string>& parameters, bool isWrite) const;

    std::mutex m_mutex;
    std::mt19937 m_random;
    double m_garbageShare;
    double m_dropShare;
    ParameterFaults m_parameterFaults;
};

} // namespace qvcam
