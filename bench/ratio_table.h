// The summary the metadata benchmarks end with: each figure as a multiple of the bare parse measured in the same run.
#pragma once

#include <ostream>
#include <vector>

#include "capturing_reporter.h"

namespace tesh::bench {

/** The names the benchmarks are registered under, by which the table finds their times. */
inline constexpr char kBareParseName[] = "bareRapidxmlParse";
inline constexpr char kParserParseName[] = "metadataParserParse";
inline constexpr char kStreamParseName[] = "parseMetadataStream";
inline constexpr char kDeepStreamParseName[] = "parseMetadataStreamOnADeepStack";
inline constexpr char kNestingScanName[] = "nestingScan";
inline constexpr char kPushCallName[] = "agentPushCall";
inline constexpr char kBusyPushCallName[] = "agentBusyPushCall";
inline constexpr char kWholePassName[] = "agentWholePass";
inline constexpr char kEnqueueCallName[] = "poolEnqueueCall";
inline constexpr char kHandOffName[] = "poolHandOffRoundTrip";
inline constexpr char kLogLineName[] = "agentLogLine";

/** The push call's own processor time, a counter of the push call's benchmark in microseconds per push. */
inline constexpr char kPushCpuCounter[] = "push_cpu_us";

/** The argument of the document benchmarks: the number of objects in the document. */
inline constexpr char kObjectsArgName[] = "objects";

/** The team's goal: the host's push call costs at most this multiple of the bare parse of the same document. */
inline constexpr double kPushCallGoal = 1.5;

/**
 * One row per document size: its bytes, the bare parse in microseconds, the other figures divided by it, and
 * whether the push call met the goal; then the costs of waking the pool, of a hand-off and of a log line that (c)
 * and (d) contain. A figure whose benchmark did not run (filtered out, or failed) shows as "-".
 */
void printRatioTable(const CapturingReporter& times, const std::vector<int>& objectCounts, std::ostream& out);

} // namespace tesh::bench
