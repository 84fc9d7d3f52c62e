// The summary the settings read benchmark ends with: per answer delay of the camera and cap on its connections, the
// read's time against the lower bound that the requests served at once set.
#include "settings_read_table.h"

#include <cstdio>
#include <optional>
#include <string>

#include "table_cell.h"

namespace tesh::bench {

namespace {

constexpr double kMicrosecondsPerMillisecond = 1000;

constexpr char kHeader[]
    = "delay ms  cap  read ms  k  parameters  exchanges  challenges  bound ms  ratio  values  errors  ratio <= %.1f\n";
constexpr char kRow[] = "%8d  %3s  %7s  %s  %10s  %9s  %10s  %8s  %5s  %6s  %6s  %s\n";

std::optional<double> milliseconds(std::optional<double> microseconds)
{
    if (!microseconds)
        return std::nullopt;
    return *microseconds / kMicrosecondsPerMillisecond;
}

/** Without an answer delay the bound is 0 and there is no ratio to judge. */
const char* verdict(std::optional<double> ratio)
{
    if (!ratio)
        return "-";
    return *ratio <= kFullReadGoal ? "met" : "MISSED";
}

void printLegend(std::ostream& out)
{
    out << "\nThe full read of the camera's configuration that the host's first doSetSettings causes, against the "
           "simulated camera; means of the iterations:\n"
           "  cap         connections the camera serves at once, resetting the rest (-: no cap)\n"
           "  k           requests served at once: the cap, else the agent's kMaxCameraRequestsInFlight\n"
           "  parameters  distinct camera parameters the read asked for: one exchange each at the least\n"
           "  exchanges   HTTP exchanges of one read, the camera's records; challenges: those answered 401\n"
           "  bound       parameters x delay / k: no read of these parameters can be faster\n"
           "  ratio       read / bound\n"
           "  values      settings the response carries the camera's value of; errors: settings it names as unread\n\n";
}

std::string argsOf(const ReadCase& read)
{
    return std::string(kDelayArgName) + ":" + std::to_string(read.delayMs) + "/" + kCapArgName + ":"
        + std::to_string(read.maxConnections);
}

void printRow(const CapturingReporter& times, const ReadCase& read, std::ostream& out)
{
    const std::string args = argsOf(read);
    const auto counter = [&](const char* name) { return times.counter(kFullReadName, args, name); };
    const std::optional<double> ratio = counter(kRatioCounter);
    const std::string cap = read.maxConnections > 0 ? std::to_string(read.maxConnections) : "-";
    char line[192];
    std::snprintf(line, sizeof(line), kRow, read.delayMs, cap.c_str(),
        formatted(milliseconds(times.microseconds(kFullReadName, args)), "%.1f").c_str(),
        formatted(counter(kAtOnceCounter), "%.0f").c_str(), formatted(counter(kParametersCounter), "%.0f").c_str(),
        formatted(counter(kExchangesCounter), "%.0f").c_str(), formatted(counter(kChallengesCounter), "%.0f").c_str(),
        formatted(counter(kBoundCounter), "%.1f").c_str(), formatted(ratio, "%.2f").c_str(),
        formatted(counter(kValuesCounter), "%.0f").c_str(), formatted(counter(kErrorsCounter), "%.0f").c_str(),
        verdict(ratio));
    out << line;
}

} // namespace

void printSettingsReadTable(const CapturingReporter& times, const std::vector<ReadCase>& cases, std::ostream& out)
{
    printLegend(out);
    char header[160];
    std::snprintf(header, sizeof(header), kHeader, kFullReadGoal);
    out << header;
    for (const ReadCase& read: cases)
        printRow(times, read, out);
}

} // namespace tesh::bench
