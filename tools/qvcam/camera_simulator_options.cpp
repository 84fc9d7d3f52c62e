// The checks of the simulated camera's options, each failure told in one line.
#include "camera_simulator_options.h"

#include "parameter_table.h"

namespace qvcam {

namespace {

/** The numbers a test or a command line may set, with their bounds. */
struct Bounded
{
    const char* name;
    long long value;
    long long minimum;
    long long maximum;
};

std::vector<Bounded> boundedOptions(const CameraSimulatorOptions& options)
{
    return {
        {"delay", options.answerDelayMs, 0, kMaxDelayMs},
        {"write delay", options.writeDelayMs, 0, kMaxDelayMs},
        {"answer padding", static_cast<long long>(options.answerPadding), 0, kMaxAnswerPadding},
        {"connection cap", options.maxConnections, 0, kMaxConnections},
        {"requests per keep-alive connection", options.keepAliveRequests, 0, kMaxKeepAliveRequests},
        {"keep-alive idle time", options.keepAliveIdleS, 1, kMaxSeconds},
        {"nonce lifetime", options.nonceLifetimeS, 1, kMaxSeconds},
        {"trailing blanks", static_cast<long long>(options.trailingBlanks), 0, kMaxTrailingBlanks},
    };
}

bool fail(const std::string& reason, std::string* errorMessage)
{
    if (errorMessage != nullptr)
        *errorMessage = reason;
    return false;
}

bool shareInRange(double share)
{
    return share >= 0 && share <= 1;
}

} // namespace

bool validateParameterFaults(const ParameterFaults& faults, std::string* errorMessage)
{
    const ParameterTable factory;
    for (const ParameterStatus& status: faults.statuses)
    {
        if (!factory.knows(status.parameter))
            return fail("status for an unknown parameter: " + status.parameter, errorMessage);
        if (!isOfferedErrorStatus(status.status))
        {
            return fail("status " + std::to_string(status.status) + " for " + status.parameter + " is not one of "
                    + offeredErrorStatuses(),
                errorMessage);
        }
    }
    for (const std::string& refused: faults.refusedWrites)
    {
        if (!factory.knows(refused))
            return fail("refused writes of an unknown parameter: " + refused, errorMessage);
    }
    return true;
}

const char* surplusConnectionsName(SurplusConnections mode)
{
    return mode == SurplusConnections::reset ? "reset" : "close";
}

bool parseSurplusConnections(const std::string& text, SurplusConnections* mode)
{
    for (const SurplusConnections candidate: {SurplusConnections::reset, SurplusConnections::close})
    {
        if (text == surplusConnectionsName(candidate))
        {
            *mode = candidate;
            return true;
        }
    }
    return false;
}

bool validateOptions(const CameraSimulatorOptions& options, std::string* errorMessage)
{
    for (const Bounded& bounded: boundedOptions(options))
    {
        if (bounded.value < bounded.minimum || bounded.value > bounded.maximum)
        {
            return fail(std::string(bounded.name) + " " + std::to_string(bounded.value) + " is not within "
                    + std::to_string(bounded.minimum) + ".." + std::to_string(bounded.maximum),
                errorMessage);
        }
    }
    if (!shareInRange(options.garbageShare) || !shareInRange(options.dropShare))
        return fail("fault shares are within 0..1", errorMessage);
    return validateParameterFaults(options.parameterFaults, errorMessage);
}

} // namespace qvcam
