// The console output of Google Benchmark, keeping each benchmark's figures for the summary printed after the run.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace tesh::bench {

class CapturingReporter: public benchmark::ConsoleReporter
{
public:
    /** Tabular and without colour: the output is read in logs and reports more often than on a terminal. */
    CapturingReporter();

    void ReportRuns(const std::vector<Run>& reports) override;

    /**
     * The real (or manual) time per iteration in microseconds of the benchmark registered as `name` with these
     * arguments ("objects:10", or empty). With repetitions, the median over them.
     * @return Nothing if it did not run or failed.
     */
    std::optional<double> microseconds(const std::string& name, const std::string& args) const;

    /** A user counter of that benchmark as it reported it; with repetitions, the median over them. */
    std::optional<double> counter(const std::string& name, const std::string& args, const std::string& counter) const;

private:
    std::optional<double> figure(
        const std::string& key, const std::function<std::optional<double>(const Run&)>& of) const;

private:
    // By name and arguments. The median aggregate is reported only when the benchmark ran with repetitions; the
    // console may be given aggregates alone, so the runs of single repetitions need not all be there.
    std::map<std::string, std::vector<Run>> m_repetitions;
    std::map<std::string, Run> m_medians;
};

} // namespace tesh::bench
