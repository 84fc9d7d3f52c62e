// The summary the settings read benchmark ends with: per answer delay of the camera, the read's time against the
// lower bound that the bounded number of requests under way sets.
#include "settings_read_table.h"

#include <cstdio>
#include <optional>
#include <string>

#include "table_cell.h"

namespace tesh::bench {

namespace {

constexpr double kMicrosecondsPerMillisecond = 1000;

constexpr char kHeader[]
    = "delay ms  read ms  k  exchanges  challenges  bound ms  ratio  one exch. ms  values  errors  ratio <= %.1f\n";
constexpr char kRow[] = "%8d  %7s  %s  %9s  %10s  %8s  %5s  %12s  %6s  %6s  %s\n";

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
           "  k          requests one agent has under way at once (kMaxCameraRequestsInFlight)\n"
           "  exchanges  HTTP exchanges of one read, the camera's records; challenges: those answered 401\n"
           "  bound      exchanges / k x delay: no read with these exchanges can be faster\n"
           "  ratio      read / bound\n"
           "  one exch.  (exchanges - challenges) / k x delay: the bound if every setting took one exchange, without\n"
           "             a challenge (and a new connection) per request\n"
           "  values     settings the response carries the camera's value of; errors: settings it names as unread\n\n";
}

void printRow(const CapturingReporter& times, int delayMs, std::ostream& out)
{
    const std::string args = std::string(kDelayArgName) + ":" + std::to_string(delayMs);
    const auto counter = [&](const char* name) { return times.counter(kFullReadName, args, name); };
    const std::optional<double> ratio = counter(kRatioCounter);
    char line[192];
    std::snprintf(line, sizeof(line), kRow, delayMs,
        formatted(milliseconds(times.microseconds(kFullReadName, args)), "%.1f").c_str(),
        formatted(counter(kInFlightCounter), "%.0f").c_str(), formatted(counter(kExchangesCounter), "%.0f").c_str(),
        formatted(counter(kChallengesCounter), "%.0f").c_str(), formatted(counter(kBoundCounter), "%.1f").c_str(),
        formatted(ratio, "%.2f").c_str(), formatted(counter(kOnePerParameterCounter), "%.1f").c_str(),
        formatted(counter(kValuesCounter), "%.0f").c_str(), formatted(counter(kErrorsCounter), "%.0f").c_str(),
        verdict(ratio));
    out << line;
}

} // namespace

void printSettingsReadTable(const CapturingReporter& times, const std::vector<int>& delaysMs, std::ostream& out)
{
    printLegend(out);
    char header[160];
    std::snprintf(header, sizeof(header), kHeader, kFullReadGoal);
    out << header;
    for (const int delayMs: delaysMs)
        printRow(times, delayMs, out);
}

} // namespace tesh::bench
