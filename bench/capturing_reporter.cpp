// The console output of Google Benchmark, keeping each benchmark's figures for the summary printed after the run.
#include "capturing_reporter.h"

#include <algorithm>
#include <iostream>

namespace tesh::bench {

namespace {

constexpr double kMicrosecondsPerSecond = 1e6;

/** The name of Google Benchmark's median aggregate. */
constexpr char kMedianAggregate[] = "median";

std::string keyOf(const std::string& name, const std::string& args)
{
    return args.empty() ? name : name + "/" + args;
}

/** The upper of the two middle values for an even count. */
double medianOf(std::vector<double> values)
{
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

CapturingReporter::CapturingReporter(): benchmark::ConsoleReporter(OO_Tabular)
{
    // The machine and its load belong with the figures; the standard error carries the agent's log.
    SetErrorStream(&std::cout);
}

void CapturingReporter::ReportRuns(const std::vector<Run>& reports)
{
    benchmark::ConsoleReporter::ReportRuns(reports);
    for (const Run& run: reports)
    {
        if (run.error_occurred)
            continue;
        const std::string key = keyOf(run.run_name.function_name, run.run_name.args);
        if (run.run_type == Run::RT_Iteration)
            m_repetitions[key].push_back(run);
        else if (run.aggregate_name == kMedianAggregate)
            m_medians.insert_or_assign(key, run);
    }
}

std::optional<double> CapturingReporter::microseconds(const std::string& name, const std::string& args) const
{
    return figure(keyOf(name, args), [](const Run& run) -> std::optional<double> {
        const double seconds = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
        return seconds * kMicrosecondsPerSecond;
    });
}

std::optional<double> CapturingReporter::counter(
    const std::string& name, const std::string& args, const std::string& counter) const
{
    return figure(keyOf(name, args), [&](const Run& run) -> std::optional<double> {
        const auto found = run.counters.find(counter);
        if (found == run.counters.end())
            return std::nullopt;
        return found->second.value;
    });
}

std::optional<double> CapturingReporter::figure(
    const std::string& key, const std::function<std::optional<double>(const Run&)>& of) const
{
    if (const auto median = m_medians.find(key); median != m_medians.end())
        return of(median->second);
    const auto repetitions = m_repetitions.find(key);
    if (repetitions == m_repetitions.end())
        return std::nullopt;
    std::vector<double> values;
    for (const Run& run: repetitions->second)
    {
        if (const std::optional<double> value = of(run))
            values.push_back(*value);
    }
    if (values.empty())
        return std::nullopt;
    return medianOf(std::move(values));
}

} // namespace tesh::bench
